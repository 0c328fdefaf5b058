// XMODEM-CRC and the serial upgrade handshake against a scripted receiver on
// a virtual clock (time moves only when the sender pauses).

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>

#include "firmware_serial.h"
#include "xmodem.h"

namespace {

class ScriptedLine : public SerialIo {
public:
    int64_t now = 0;
    std::string written;
    std::vector<std::string> writes;
    // Called with each write; may queue answers with reply().
    std::function<void(const std::string&)> onWrite;

    void reply(const std::string& bytes, int delayMs = 0) { m_incoming.push_back({now + delayMs, bytes}); }

    int write(const uint8_t* data, size_t len) override {
        const std::string chunk(reinterpret_cast<const char*>(data), len);
        written += chunk;
        writes.push_back(chunk);
        if (onWrite) onWrite(chunk);
        return int(len);
    }
    int read(uint8_t* data, size_t len) override {
        size_t n = 0;
        while (n < len && !m_incoming.empty() && m_incoming.front().first <= now) {
            std::string& bytes = m_incoming.front().second;
            const size_t take = std::min(len - n, bytes.size());
            std::copy(bytes.begin(), bytes.begin() + take, data + n);
            bytes.erase(0, take);
            n += take;
            if (bytes.empty()) m_incoming.pop_front();
        }
        return int(n);
    }
    void sleepMs(int ms) override { now += ms; }
    MsClock clock() {
        return [this] { return now; };
    }

    // The 133-byte blocks written, in order.
    std::vector<std::string> blocks() const {
        std::vector<std::string> out;
        for (const std::string& w : writes)
            if (w.size() == kXmodemFrame) out.push_back(w);
        return out;
    }

private:
    std::deque<std::pair<int64_t, std::string>> m_incoming;
};

std::vector<uint8_t> fileOf(size_t n) {
    std::vector<uint8_t> f(n);
    for (size_t i = 0; i < n; ++i) f[i] = static_cast<uint8_t>(i * 3 + 5);
    return f;
}

TEST(Xmodem, CrcIsTheXmodemVariant) {
    const std::string check = "123456789";
    EXPECT_EQ(crc16_xmodem(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0x31C3);
}

TEST(Xmodem, File129BytesGoesAsTwoBlocksTheSecondPaddedWithFF) {
    const std::vector<uint8_t> file = fileOf(129);
    ScriptedLine line;
    line.reply("C");
    line.onWrite = [&](const std::string& w) {
        if (w.size() == kXmodemFrame) line.reply(std::string(1, char(kXmodemAck)), 2);
    };
    std::vector<size_t> progress;
    XmodemHooks hooks;
    hooks.progress = [&](size_t done, size_t) { progress.push_back(done); };
    ASSERT_EQ(xmodem_send(line, line.clock(), file.data(), file.size(), hooks), XmodemOk);

    const std::vector<std::string> blocks = line.blocks();
    ASSERT_EQ(blocks.size(), 2u);
    for (size_t b = 0; b < 2; ++b) {
        const auto* p = reinterpret_cast<const uint8_t*>(blocks[b].data());
        EXPECT_EQ(p[0], kXmodemSoh);
        EXPECT_EQ(p[1], b + 1);
        EXPECT_EQ(p[2], uint8_t(~(b + 1)));
        const uint16_t crc = crc16_xmodem(p + 3, 128);
        EXPECT_EQ(p[131], crc >> 8);
        EXPECT_EQ(p[132], crc & 0xFF);
    }
    EXPECT_EQ(blocks[0].substr(3, 128), std::string(file.begin(), file.begin() + 128));
    EXPECT_EQ(uint8_t(blocks[1][3]), file[128]);
    EXPECT_EQ(blocks[1].substr(4, 127), std::string(127, '\xFF'));
    EXPECT_EQ(line.writes.back(), std::string(1, char(kXmodemEot)));
    EXPECT_EQ(progress, (std::vector<size_t>{128, 129}));
}

TEST(Xmodem, RefusedBlockIsRepeatedAtMostTenTimes) {
    struct Case {
        int refusals;
        char refusal;
        int expected;
    };
    for (const Case c :
         {Case{10, char(kXmodemNak), XmodemOk}, Case{11, char(kXmodemNak), XmodemTooManyRepeats},
          Case{11, 'x', XmodemTooManyRepeats}, Case{2, 'x', XmodemOk}}) {
        const std::vector<uint8_t> file = fileOf(300);
        ScriptedLine line;
        line.reply("C");
        int seen = 0;
        line.onWrite = [&](const std::string& w) {
            if (w.size() != kXmodemFrame) return;
            // Block 2 is refused `refusals` times, everything else taken.
            const bool refuse = uint8_t(w[1]) == 2 && seen++ < c.refusals;
            line.reply(std::string(1, refuse ? c.refusal : char(kXmodemAck)), 1);
        };
        EXPECT_EQ(xmodem_send(line, line.clock(), file.data(), file.size()), c.expected) << c.refusals;
        if (c.expected == XmodemTooManyRepeats) {
            EXPECT_EQ(seen, 11);  // first transmission and ten repeats
            EXPECT_NE(line.writes.back(), std::string(1, char(kXmodemEot)));
        }
    }
}

// ---------------------------------------------------------------- serial handshake

// A scanner that answers the handshake as told and then receives with XMODEM.
struct HandshakeScript {
    bool ready = true;  // answers "LFWUPH" with "LFWUQH"
    std::string announceReply = "FWUI OK\r\nC";
};

ScriptedLine& scriptScanner(ScriptedLine& line, const HandshakeScript& s) {
    line.onWrite = [&line, s](const std::string& w) {
        if (w == "LFWUPH" && s.ready)
            line.reply("LF", 3), line.reply("WUQH\r\n", 4);
        else if (w.rfind("LFWUI:", 0) == 0)
            line.reply(s.announceReply, 10);
        else if (w.size() == kXmodemFrame)
            line.reply(std::string(1, char(kXmodemAck)), 1);
    };
    return line;
}

TEST(FirmwareSerial, HandshakeAnnouncementAndTransfer) {
    const std::vector<uint8_t> file = fileOf(129);
    ScriptedLine line;
    scriptScanner(line, {});
    const FirmwareSerialResult r = firmware_serial_transfer(line, line.clock(), file.data(), file.size());
    ASSERT_EQ(r.status, FirmwareSerialStatus::Ok) << r.xmodemResult;
    ASSERT_GE(line.writes.size(), 2u);
    EXPECT_EQ(line.writes[0], "LFWUPH");
    EXPECT_EQ(line.writes[1], "LFWUI:00000081,FFFFFFFF,H");
    // The 'C' that came with "FWUI OK" started the transfer at once.
    EXPECT_EQ(line.blocks().size(), 2u);
    EXPECT_LT(line.now, 1000);
}

TEST(FirmwareSerial, EachHandshakeFailureHasItsOwnOutcome) {
    struct Case {
        const char* name;
        HandshakeScript script;
        FirmwareSerialStatus expected;
        int64_t within;
    };
    const Case cases[] = {
        {"no LFWUQH", {false, ""}, FirmwareSerialStatus::NoHandshake, kFirmwareHandshakeMs + 10},
        {"LFWUQH but never FWUI OK", {true, ""}, FirmwareSerialStatus::NotAcknowledged, 4000},
        {"FWUI refused", {true, "FWUI ER\r\n"}, FirmwareSerialStatus::NotAcknowledged, 4000},
        {"no C after FWUI OK", {true, "FWUI OK\r\n"}, FirmwareSerialStatus::TransferFailed, 8000},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> file = fileOf(256);
        ScriptedLine line;
        scriptScanner(line, c.script);
        const FirmwareSerialResult r = firmware_serial_transfer(line, line.clock(), file.data(), file.size());
        EXPECT_EQ(r.status, c.expected) << c.name;
        EXPECT_TRUE(line.blocks().empty()) << c.name;
        EXPECT_LE(line.now, c.within) << c.name;
    }
}

}  // namespace
