#include "firmware_serial.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace {

constexpr char kRequest[] = "LFWUPH";
constexpr char kReady[] = "LFWUQH";
constexpr char kAccepted[] = "FWUI OK";

// Appends what the line has now to `collected`. False on a read error.
bool readInto(SerialIo& io, std::string& collected, size_t max) {
    uint8_t buf[1024];
    const size_t room = max > collected.size() ? max - collected.size() : 0;
    if (room == 0) return true;
    const int n = io.read(buf, std::min(room, sizeof buf));
    if (n < 0) return false;
    collected.append(reinterpret_cast<const char*>(buf), static_cast<size_t>(n));
    return true;
}

}  // namespace

std::string firmware_announcement(uint32_t length) {
    char text[40];
    std::snprintf(text, sizeof text, "LFWUI:%08lX,%08X,H", static_cast<unsigned long>(length), 0xFFFFFFFFu);
    return text;
}

FirmwareSerialResult firmware_serial_transfer(SerialIo& io, const MsClock& clock, const uint8_t* data,
                                              size_t len, const XmodemHooks& hooks) {
    FirmwareSerialResult result;

    // Handshake. The answer may arrive split over several reads and behind
    // scan data still on the line, so reads are collected; only the tail that
    // could hold the start of the answer is kept between rounds.
    const int64_t t0 = clock();
    int64_t lastSend = t0;
    std::string seen;
    bool ready = false;
    while (!ready) {
        const int64_t now = clock();
        if (now > t0 + kFirmwareHandshakeMs) break;
        if (now > lastSend + kFirmwareHandshakeRepeatMs) {
            io.write(reinterpret_cast<const uint8_t*>(kRequest), sizeof kRequest - 1);
            lastSend = now;
        }
        if (!readInto(io, seen, 2048)) break;
        if (seen.find(kReady) != std::string::npos) {
            ready = true;
            break;
        }
        if (seen.size() > sizeof kReady) seen.erase(0, seen.size() - (sizeof kReady - 1));
        io.sleepMs(1);
    }
    if (!ready) {
        result.status = FirmwareSerialStatus::NoHandshake;
        return result;
    }

    // Announcement. The window runs from this write.
    const std::string announce = firmware_announcement(static_cast<uint32_t>(len));
    if (io.write(reinterpret_cast<const uint8_t*>(announce.data()), announce.size()) !=
        static_cast<int>(announce.size())) {
        result.status = FirmwareSerialStatus::WriteFailed;
        return result;
    }
    lastSend = clock();
    std::string reply;
    size_t acceptedAt = std::string::npos;
    for (;;) {
        if (!readInto(io, reply, kFirmwareAnnounceBuffer)) break;
        acceptedAt = reply.find(kAccepted);
        if (acceptedAt != std::string::npos) break;
        if (reply.size() >= kFirmwareAnnounceBuffer || clock() > lastSend + kFirmwareAnnounceMs) break;
        io.sleepMs(1);
    }
    if (acceptedAt == std::string::npos) {
        result.status = FirmwareSerialStatus::NotAcknowledged;
        return result;
    }

    // Whatever followed "FWUI OK" in the same read may already be the
    // receiver's request to start.
    const std::string_view after = std::string_view(reply).substr(acceptedAt + sizeof kAccepted - 1);
    result.xmodemResult = xmodem_send(io, clock, data, len, hooks, after);
    if (result.xmodemResult != XmodemOk) result.status = FirmwareSerialStatus::TransferFailed;
    return result;
}
