#pragma once
// Helpers shared by the command sender tests: an independent reading of the
// 'L','H' command frame (with its own bitwise CRC), a scripted UART scanner
// behind the SerialIo seam, and a Qt application for timers and signal spies.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "uart_query.h"
#include "qt_wait.h"

namespace sendtest {

using testsupport::ensureApp;

inline bool waitFor(const std::function<bool()>& pred, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!pred()) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(10);
    }
    return true;
}

// CRC-32/MPEG-2 bit by bit: polynomial 0x04C11DB7, initial 0xFFFFFFFF, no
// reflection, no final XOR, over little-endian 32-bit words, MSB first.
inline uint32_t referenceCrc(const uint8_t* data, size_t words) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t w = 0; w < words; ++w) {
        const uint8_t* p = data + 4 * w;
        const uint32_t word =
            uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        for (int bit = 31; bit >= 0; --bit) {
            const bool top = ((crc >> 31) ^ (word >> bit)) & 1u;
            crc <<= 1;
            if (top) crc ^= 0x04C11DB7u;
        }
    }
    return crc;
}

// A frame built by hand from the wire layout.
inline std::vector<uint8_t> handFrame(uint16_t mode, uint16_t sn, const std::string& body) {
    const size_t padded = (body.size() + 3) / 4 * 4;
    std::vector<uint8_t> f(8 + padded + 4, 0);
    f[0] = 'L';
    f[1] = 'H';
    f[2] = uint8_t(mode);
    f[3] = uint8_t(mode >> 8);
    f[4] = uint8_t(sn);
    f[5] = uint8_t(sn >> 8);
    f[6] = uint8_t(padded);
    f[7] = uint8_t(padded >> 8);
    std::memcpy(f.data() + 8, body.data(), body.size());
    const uint32_t crc = referenceCrc(f.data(), padded / 4 + 2);
    for (int i = 0; i < 4; ++i) f[8 + padded + i] = uint8_t(crc >> (8 * i));
    return f;
}

struct Frame {
    bool valid = false;
    uint16_t mode = 0;
    uint16_t sn = 0;
    std::string body;  // up to the first zero byte
};

inline Frame parseFrame(const std::vector<uint8_t>& f) {
    Frame out;
    if (f.size() < 12 || f[0] != 'L' || f[1] != 'H') return out;
    const size_t padded = size_t(f[6]) | size_t(f[7]) << 8;
    if (f.size() != padded + 12) return out;
    uint32_t crc = 0;
    for (int i = 0; i < 4; ++i) crc |= uint32_t(f[8 + padded + i]) << (8 * i);
    if (crc != referenceCrc(f.data(), padded / 4 + 2)) return out;
    out.mode = uint16_t(f[2] | f[3] << 8);
    out.sn = uint16_t(f[4] | f[5] << 8);
    out.body = std::string(reinterpret_cast<const char*>(f.data() + 8),
                           strnlen(reinterpret_cast<const char*>(f.data() + 8), padded));
    out.valid = true;
    return out;
}

// A plain-text scanner: each complete command written is answered from
// `answers` (no entry: silence). Everything written is kept in `written`.
struct ScriptedScanner {
    std::map<std::string, std::string> answers;
    std::vector<std::string> written;  // one entry per write call
    std::string pending;
};

class FakeSerial : public SerialIo {
public:
    explicit FakeSerial(std::shared_ptr<ScriptedScanner> s) : m_s(std::move(s)) {}
    int write(const uint8_t* data, size_t len) override {
        std::string text(reinterpret_cast<const char*>(data), len);
        m_s->written.push_back(text);
        auto it = m_s->answers.find(text);
        if (it != m_s->answers.end()) m_s->pending += it->second;
        return int(len);
    }
    int read(uint8_t* data, size_t len) override {
        const size_t n = std::min(len, m_s->pending.size());
        std::memcpy(data, m_s->pending.data(), n);
        m_s->pending.erase(0, n);
        return int(n);
    }
    void sleepMs(int) override {}

private:
    std::shared_ptr<ScriptedScanner> m_s;
};

}  // namespace sendtest
