#pragma once
// Firmware upgrade of a scanner on a plain-text serial line: the "LFWUPH" /
// "LFWUQH" handshake, the announcement "LFWUI:<length>,FFFFFFFF,H" answered by
// "FWUI OK", then the file byte for byte with XMODEM-CRC (xmodem.h).
//
// The serial line and the clock come in from the caller, so a test drives the
// exchange with a script. Blocking; runs on the caller's thread. The caller
// opens and closes the port.

#include <cstddef>
#include <cstdint>
#include <string>

#include "xmodem.h"

// Timing of the handshake, in milliseconds.
constexpr int kFirmwareHandshakeMs = 1500;        // whole "LFWUPH" phase
constexpr int kFirmwareHandshakeRepeatMs = 500;   // "LFWUPH" is repeated this often
constexpr int kFirmwareAnnounceMs = 2000;         // wait for "FWUI OK"
constexpr size_t kFirmwareAnnounceBuffer = 1000;  // bytes collected at most

enum class FirmwareSerialStatus {
    Ok,
    NoHandshake,      // no "LFWUQH" within kFirmwareHandshakeMs
    NotAcknowledged,  // no "FWUI OK" to the announcement
    WriteFailed,      // the announcement could not be written
    TransferFailed,   // XMODEM failed; see xmodemResult
};

struct FirmwareSerialResult {
    FirmwareSerialStatus status = FirmwareSerialStatus::Ok;
    int xmodemResult = XmodemOk;
};

// "LFWUI:%08lX,%08X,H" with the file length and 0xFFFFFFFF.
std::string firmware_announcement(uint32_t length);

FirmwareSerialResult firmware_serial_transfer(SerialIo& io, const MsClock& clock, const uint8_t* data,
                                              size_t len, const XmodemHooks& hooks = {});
