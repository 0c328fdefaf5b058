#include "xmodem.h"

#include <algorithm>
#include <cstring>

uint16_t crc16_xmodem(const uint8_t* data, size_t len) {
    uint16_t crc = 0;
    for (size_t i = 0; i < len; ++i) {
        crc ^= static_cast<uint16_t>(data[i] << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc =
                (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021) : static_cast<uint16_t>(crc << 1);
    }
    return crc;
}

void xmodem_frame(uint8_t number, const uint8_t* data, size_t n, uint8_t out[kXmodemFrame]) {
    n = std::min(n, kXmodemData);
    out[0] = kXmodemSoh;
    out[1] = number;
    out[2] = static_cast<uint8_t>(~number);
    std::memset(out + 3, 0xFF, kXmodemData);
    if (n > 0) std::memcpy(out + 3, data, n);
    const uint16_t crc = crc16_xmodem(out + 3, kXmodemData);
    out[3 + kXmodemData] = static_cast<uint8_t>(crc >> 8);
    out[4 + kXmodemData] = static_cast<uint8_t>(crc);
}

namespace {

// One byte from the line within `timeoutMs`: the byte (0..255), or -1.
int readByte(SerialIo& io, const MsClock& clock, int timeoutMs) {
    const int64_t end = clock() + timeoutMs;
    for (;;) {
        uint8_t b = 0;
        const int n = io.read(&b, 1);
        if (n == 1) return b;
        if (clock() > end) return -1;
        io.sleepMs(1);
    }
}

void drainInput(SerialIo& io) {
    uint8_t junk[256];
    // Bounded: a line that keeps delivering must not hold us here.
    for (int i = 0; i < 64 && io.read(junk, sizeof junk) > 0; ++i) {
    }
}

void say(const XmodemHooks& hooks, const char* text) {
    if (hooks.console) hooks.console(text);
}

}  // namespace

int xmodem_send(SerialIo& io, const MsClock& clock, const uint8_t* data, size_t len, const XmodemHooks& hooks,
                std::string_view alreadyRead) {
    say(hooks, "wait for lidar transfer signal ...");
    if (alreadyRead.find(static_cast<char>(kXmodemStart)) == std::string_view::npos) {
        const int64_t end = clock() + kXmodemStartTimeoutMs;
        for (;;) {
            const int64_t left = end - clock();
            if (left < 0) return XmodemNoStart;
            const int b = readByte(io, clock, static_cast<int>(left));
            if (b == kXmodemStart) break;
            if (b < 0) return XmodemNoStart;
        }
    }

    say(hooks, "Sending ");
    uint8_t frame[kXmodemFrame];
    uint8_t number = 1;
    size_t offset = 0;
    int repeats = 0;
    while (offset < len) {
        xmodem_frame(number, data + offset, len - offset, frame);
        drainInput(io);
        if (io.write(frame, kXmodemFrame) < static_cast<int>(kXmodemFrame)) return XmodemShortWrite;
        const int reply = readByte(io, clock, kXmodemReplyTimeoutMs);
        if (reply < 0) return XmodemNoReply;
        if (reply == kXmodemAck) {
            say(hooks, ".");
            offset += std::min(kXmodemData, len - offset);
            ++number;
            repeats = 0;
            if (hooks.progress) hooks.progress(offset, len);
            continue;
        }
        say(hooks, reply == kXmodemNak ? "N" : "?");
        if (++repeats > kXmodemMaxRepeats) return XmodemTooManyRepeats;
    }

    const uint8_t eot = kXmodemEot;
    if (io.write(&eot, 1) != 1) return XmodemEotFailed;
    say(hooks, "transfer bin finished");
    return XmodemOk;
}
