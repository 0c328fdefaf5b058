#pragma once
// Firmware upgrade over UDP, as scanners and the algorithm box take it: the
// image's payload in 512-byte pieces inside command frames of mode 0x0046,
// paced by the device. Each frame body is 520 bytes (little-endian):
//
//   0  u32 operation: a payload offset (0, 512, ...) or a control word
//   4  u32 crc32_words over the 512 data bytes (data packets; the finish and
//          close packets repeat the last data packet's value)
//   8  512 bytes: the payload piece, or for control packets one u32 argument
//          (start and finish: the payload length; close: 0xABCD1234), rest zero
//
// The device answers each packet with a frame carrying the upgrade's sequence
// number whose body starts with the echoed operation word and a u32 status
// (0 = accepted); each answer asks for the packet after the one it echoes:
// start -> offset 0 -> 512 -> ... -> finish (the device writes the image) ->
// close (not answered).
//
// An unanswered packet is sent again once its 3 s deadline has passed; the
// fourth re-send in a row ends the upgrade. The deadline is applied whether or
// not other datagrams arrive meanwhile, so a device that falls silent ends the
// upgrade after about 12 s.
//
// The datagram I/O and the clock come in through FirmwareUdpIo so that a test
// drives the transfer with a script. Blocking; runs on the caller's thread.
// The caller owns the socket.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "firmware_image.h"

constexpr uint32_t kFirmwareOpStart = 0xFE00EEEE;
constexpr uint32_t kFirmwareOpFinish = 0xFE00AAAA;
constexpr uint32_t kFirmwareOpClose = 0xFE00BBBB;
constexpr uint32_t kFirmwareCloseArgument = 0xABCD1234;
constexpr size_t kFirmwarePacketBody = 8 + kFirmwareChunk;  // 520

constexpr int kFirmwareReplyDeadlineMs = 3000;  // per packet
constexpr int kFirmwareWaitRoundMs = 5000;      // longest single wait
constexpr int kFirmwareMaxResends = 3;          // the next re-send in a row ends the upgrade
constexpr size_t kFirmwareReplyKept = 128;      // reply body bytes looked at

// The datagram side of one transfer towards one device.
class FirmwareUdpIo {
public:
    virtual ~FirmwareUdpIo() = default;
    // Sends one datagram to the device: bytes sent, or -1.
    virtual int send(const uint8_t* data, size_t len) = 0;
    // Waits up to timeoutMs for a datagram: 1 readable, 0 time-out, -1 error.
    virtual int wait(int timeoutMs) = 0;
    // Takes one waiting datagram (at most `max` bytes kept): its length,
    // 0 when none was waiting after all, -1 on error.
    virtual int receive(uint8_t* buf, size_t max) = 0;
    // Milliseconds of a monotonic clock.
    virtual int64_t nowMs() = 0;
};

// FirmwareUdpIo over a UDP socket of transport.h (not owned), to ip:port,
// with the steady clock. Datagrams from any sender are handed on; the
// transfer itself keeps only replies with its sequence number.
class UdpSocketFirmwareIo : public FirmwareUdpIo {
public:
    UdpSocketFirmwareIo(int sock, std::string ip, int port);
    int send(const uint8_t* data, size_t len) override;
    int wait(int timeoutMs) override;
    int receive(uint8_t* buf, size_t max) override;
    int64_t nowMs() override;

private:
    int m_sock;
    std::string m_ip;
    int m_port;
};

enum class FirmwareUdpStatus {
    Ok,             // the device wrote the image; the close packet went out
    ImageRejected,  // the image failed its checks: nothing was sent (see imageCheck)
    SendFailed,     // a datagram could not be sent
    WaitFailed,     // waiting on the socket failed
    ReceiveFailed,  // the socket reported readable but could not be read
    NoAnswer,       // a packet stayed unanswered through its re-sends
    Refused,        // the device answered with a non-zero status
};

struct FirmwareUdpResult {
    FirmwareUdpStatus status = FirmwareUdpStatus::Ok;
    FirmwareImageCheck imageCheck = FirmwareImageCheck::Ok;
    uint32_t operation = 0;     // Refused: the echoed word; NoAnswer: the unanswered packet's word
    uint32_t deviceStatus = 0;  // Refused: the status the device gave
    int packetsSent = 0;        // every transmission, re-sends included
};

struct FirmwareUdpHooks {
    // Payload bytes the device has confirmed, of `total`; after each answer.
    std::function<void(uint32_t done, uint32_t total)> progress;
    // Trace lines: the offset of each data packet, "OP_WRITE_IAP" before the
    // finish packet, "later 0x..." for each re-send.
    std::function<void(const std::string& line)> log;
};

// The complete frame of one upgrade packet. `data` (n bytes, at most 512) is
// copied to body offset 8, the rest of the 512 bytes zero.
std::vector<uint8_t> firmware_udp_packet(uint16_t sn, uint32_t operation, uint32_t dataCrc,
                                         const uint8_t* data, size_t n);

// An answer to the upgrade with sequence number `sn`: "LH", that sn, a body of
// at least 8 bytes inside the datagram. Fills the echoed word and the status.
bool parse_firmware_reply(const uint8_t* datagram, size_t len, uint16_t sn, uint32_t& operation,
                          uint32_t& status);

// Checks `image` (the whole file) and, when it passes, transfers its payload.
FirmwareUdpResult firmware_udp_transfer(FirmwareUdpIo& io, const uint8_t* image, size_t imageSize,
                                        uint16_t sn, const FirmwareUdpHooks& hooks = {});
inline FirmwareUdpResult firmware_udp_transfer(FirmwareUdpIo& io, const std::vector<uint8_t>& image,
                                               uint16_t sn, const FirmwareUdpHooks& hooks = {}) {
    return firmware_udp_transfer(io, image.data(), image.size(), sn, hooks);
}
