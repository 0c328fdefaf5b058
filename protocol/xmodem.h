#pragma once
// Sending a file with XMODEM-CRC: 128-byte blocks framed as SOH, block number,
// its complement, the data (the last block padded with 0xFF) and CRC-16/XMODEM
// high byte first; the receiver starts the transfer with 'C', answers each
// block with ACK or NAK, and the end is marked by EOT.
//
// The serial line and the clock come in from the caller (SerialIo of
// uart_query.h, a millisecond clock), so a test drives the transfer with a
// script instead of a port and real time. Blocking; runs on the caller's thread.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "uart_query.h"

constexpr uint8_t kXmodemSoh = 0x01;
constexpr uint8_t kXmodemEot = 0x04;
constexpr uint8_t kXmodemAck = 0x06;
constexpr uint8_t kXmodemNak = 0x15;
constexpr uint8_t kXmodemStart = 'C';
constexpr size_t kXmodemData = 128;
constexpr size_t kXmodemFrame = 133;

// How long the receiver may take to ask for the transfer, and to answer a block.
constexpr int kXmodemStartTimeoutMs = 5000;
constexpr int kXmodemReplyTimeoutMs = 5000;
// A block refused (NAK or anything but ACK) this many times after its first
// transmission ends the transfer: a receiver that never takes it must not keep
// the line busy for ever.
constexpr int kXmodemMaxRepeats = 10;

// Results of xmodem_send.
enum XmodemResult : int {
    XmodemOk = 0,
    XmodemNoStart = -1,         // no 'C' within kXmodemStartTimeoutMs
    XmodemShortWrite = -2,      // a block could not be written whole
    XmodemNoReply = -3,         // no answer to a block within kXmodemReplyTimeoutMs
    XmodemEotFailed = -4,       // EOT could not be written
    XmodemTooManyRepeats = -5,  // one block refused more than kXmodemMaxRepeats times
};

// Milliseconds of a monotonic clock.
using MsClock = std::function<int64_t()>;

struct XmodemHooks {
    // Bytes of the file acknowledged so far, of `total`; after every ACK.
    std::function<void(size_t done, size_t total)> progress;
    // The console trace: "wait for lidar transfer signal ...", "Sending ",
    // "." per ACK, "N" per NAK, "?" per other answer, "transfer bin finished".
    std::function<void(const std::string& text)> console;
};

// CRC-16/XMODEM: polynomial 0x1021, initial value 0, most significant bit first.
uint16_t crc16_xmodem(const uint8_t* data, size_t len);

// The 133-byte block `number` carrying `n` (at most 128) bytes of `data`.
void xmodem_frame(uint8_t number, const uint8_t* data, size_t n, uint8_t out[kXmodemFrame]);

// Sends `len` bytes. `alreadyRead` holds bytes the caller took off the line
// before (they are searched for the receiver's 'C' first). Returns an
// XmodemResult. Pending input is discarded before each block goes out, so a
// stale request byte is never taken for the answer to that block.
int xmodem_send(SerialIo& io, const MsClock& clock, const uint8_t* data, size_t len,
                const XmodemHooks& hooks = {}, std::string_view alreadyRead = {});
