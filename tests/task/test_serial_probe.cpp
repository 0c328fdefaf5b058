// The serial probe, driven by scripted ports: which rates are tried, what is
// sent, which answers count, and what is reported.

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <set>

#include "crc32.h"
#include "serial_probe.h"

namespace {

const std::vector<int> kAllRates = {230400, 256000, 384000, 460800, 500000, 768000, 921600, 1000000, 1500000};

// A scripted port session: each entry is what one read returns ("" = nothing
// waiting); after the script the port stays silent.
using Script = std::deque<std::string>;

class FakePorts : public SerialProbeIo {
public:
    std::vector<std::string> ports;
    // (port, baud) -> script; a missing entry is a silent port. Rates listed
    // in `unopenable` fail to open.
    std::map<std::pair<std::string, int>, Script> answers;
    std::set<std::pair<std::string, int>> unopenable;
    std::function<std::string(size_t)> endless;  // when set, every read returns this

    std::vector<std::pair<std::string, int>> opened;
    std::vector<std::vector<uint8_t>> written;
    size_t maxBytesInOneSession = 0;
    int openHandles = 0;
    uint16_t sn = 0xBEEF;

    std::vector<std::string> listPorts() override { return ports; }
    int open(const std::string& name, int baud) override {
        if (unopenable.count({name, baud})) return 0;
        opened.emplace_back(name, baud);
        auto it = answers.find({name, baud});
        m_script = it == answers.end() ? Script{} : it->second;
        m_sessionBytes = 0;
        ++openHandles;
        return 7;
    }
    int write(int handle, const uint8_t* data, size_t n) override {
        EXPECT_EQ(handle, 7);
        written.emplace_back(data, data + n);
        return static_cast<int>(n);
    }
    int read(int handle, uint8_t* buf, size_t max) override {
        EXPECT_EQ(handle, 7);
        EXPECT_GT(max, 0u);
        std::string chunk;
        if (endless) {
            chunk = endless(max);
        } else if (!m_script.empty()) {
            chunk = m_script.front();
            m_script.pop_front();
        }
        if (chunk == "<error>") return -1;
        const size_t n = std::min(chunk.size(), max);
        std::copy(chunk.begin(), chunk.begin() + static_cast<long>(n), buf);
        m_sessionBytes += n;
        maxBytesInOneSession = std::max(maxBytesInOneSession, m_sessionBytes);
        return static_cast<int>(n);
    }
    void close(int handle) override {
        EXPECT_EQ(handle, 7);
        --openHandles;
    }
    void pause(int) override {}
    uint16_t sequenceNumber() override { return sn; }

private:
    Script m_script;
    size_t m_sessionBytes = 0;
};

std::vector<std::pair<std::string, int>> ratesOf(const std::string& port, const std::vector<int>& rates) {
    std::vector<std::pair<std::string, int>> out;
    for (int r : rates) out.emplace_back(port, r);
    return out;
}

}  // namespace

TEST(SerialProbe, AnswerAt460800IsReportedAndHigherRatesAreNotTried) {
    FakePorts io;
    io.ports = {"ttyUSB0"};
    io.answers[{"ttyUSB0", 460800}] = {"", "PRODUCT SN:ABC123\r\n"};
    const auto hits = probeSerialPorts(io);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].port, "ttyUSB0");
    EXPECT_EQ(hits[0].baud, 460800);
    EXPECT_EQ(io.opened, ratesOf("ttyUSB0", {230400, 256000, 384000, 460800}));
    EXPECT_EQ(io.openHandles, 0);
}

TEST(SerialProbe, UartRequestIsLuuidhWithTerminatingNul) {
    FakePorts io;
    io.ports = {"ttyS0"};
    io.answers[{"ttyS0", 230400}] = {"PRODUCT SN:1"};
    probeSerialPorts(io);
    ASSERT_EQ(io.written.size(), 1u);
    EXPECT_EQ(io.written[0], (std::vector<uint8_t>{'L', 'U', 'U', 'I', 'D', 'H', 0}));
}

TEST(SerialProbe, SilentPortTriesEveryRateThenVirtualPortAndIsNotReported) {
    FakePorts io;
    io.ports = {"ttyS1"};
    EXPECT_TRUE(probeSerialPorts(io).empty());
    auto expected = ratesOf("ttyS1", kAllRates);
    expected.emplace_back("ttyS1", 12345);
    EXPECT_EQ(io.opened, expected);
    EXPECT_EQ(io.openHandles, 0);
}

TEST(SerialProbe, VirtualPortRequestIsFramedLuuidh) {
    FakePorts io;
    io.ports = {"ttyACM0"};
    io.sn = 0x1234;
    probeSerialPorts(io);
    ASSERT_EQ(io.written.size(), kAllRates.size() + 1);
    std::vector<uint8_t> expected = {'L', 'H', 0x43, 0x00, 0x34, 0x12, 8, 0,
                                     'L', 'U', 'U',  'I',  'D',  'H',  0, 0};
    const uint32_t crc = crc32_words(expected.data(), 4);
    for (int i = 0; i < 4; ++i) expected.push_back(static_cast<uint8_t>(crc >> (8 * i)));
    EXPECT_EQ(io.written.back(), expected);
}

TEST(SerialProbe, VirtualPortAnsweringLmsgIsReportedWithBaudMinusOne) {
    FakePorts io;
    io.ports = {"ttyACM0"};
    io.answers[{"ttyACM0", 12345}] = {"", "", "\x4c\x48\xbc\xff", "xxLMSGyy"};
    const auto hits = probeSerialPorts(io);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].port, "ttyACM0");
    EXPECT_EQ(hits[0].baud, -1);
}

TEST(SerialProbe, VirtualPortGivesUpAfterFourEmptyReadsInARow) {
    FakePorts io;
    io.ports = {"ttyACM0"};
    io.answers[{"ttyACM0", 12345}] = {"", "", "", "", "LMSG"};
    EXPECT_TRUE(probeSerialPorts(io).empty());
}

TEST(SerialProbe, UartAnswerSplitAcrossReadsAndPausesIsFound) {
    FakePorts io;
    io.ports = {"ttyS2"};
    io.answers[{"ttyS2", 256000}] = {"noise PRODUCT", "", "<error>", "", " S", "", "", "N:77"};
    const auto hits = probeSerialPorts(io);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].baud, 256000);
}

TEST(SerialProbe, UartCountsEmptyReadsInAllNotInARow) {
    // Eleven empty reads spread between data end the answer before the scanner's text.
    FakePorts io;
    io.ports = {"ttyS3"};
    Script s;
    for (int i = 0; i < 11; ++i) {
        s.push_back("");
        s.push_back("x");
    }
    s.push_back("PRODUCT SN:late");
    io.answers[{"ttyS3", 230400}] = s;
    io.answers[{"ttyS3", 256000}] = {"PRODUCT SN:ok"};
    const auto hits = probeSerialPorts(io);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].baud, 256000);
}

TEST(SerialProbe, PortThatCannotOpenAtARateIsSkippedForThatRateOnly) {
    FakePorts io;
    io.ports = {"ttyS4"};
    io.unopenable.insert({"ttyS4", 230400});
    io.answers[{"ttyS4", 230400}] = {"PRODUCT SN:never seen"};
    io.answers[{"ttyS4", 256000}] = {"PRODUCT SN:x"};
    const auto hits = probeSerialPorts(io);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].baud, 256000);
    EXPECT_EQ(io.opened, ratesOf("ttyS4", {256000}));
}

TEST(SerialProbe, ScannersAreReportedInEnumerationOrder) {
    FakePorts io;
    io.ports = {"ttyS9", "ttyS0", "ttyS5"};
    io.answers[{"ttyS9", 1500000}] = {"PRODUCT SN:9"};
    io.answers[{"ttyS5", 12345}] = {"PRODUCT SN:5"};
    const auto hits = probeSerialPorts(io);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].port, "ttyS9");
    EXPECT_EQ(hits[0].baud, 1500000);
    EXPECT_EQ(hits[1].port, "ttyS5");
    EXPECT_EQ(hits[1].baud, -1);
}

// A port streaming scan data without pause must neither hang the probe nor be
// read past its buffers: each rate's answer stops at the UART buffer, and the
// virtual-port probe gives up after a bounded number of bytes.
TEST(SerialProbe, EndlessStreamWithoutAnswerIsLeftAfterAByteBudget) {
    FakePorts io;
    io.ports = {"ttyS6"};
    io.endless = [](size_t max) { return std::string(std::min<size_t>(max, 700), 'z'); };
    EXPECT_TRUE(probeSerialPorts(io).empty());
    EXPECT_EQ(io.opened.size(), kAllRates.size() + 1);
    EXPECT_EQ(io.maxBytesInOneSession, 65536u);
}

// A virtual port that is already streaming answers among its scan data,
// possibly after more than one read buffer's worth, and with short gaps in
// the stream. The answer is found wherever it lies, and reading stops there.
TEST(SerialProbe, VirtualPortAnswerAmongStreamDataIsFound) {
    struct Case {
        const char* what;
        size_t streamBefore;
        std::string answer;
    };
    const Case cases[] = {
        {"answer after three buffers of stream", 30000, "PRODUCT SN:ABC"},
        {"answer split across two buffers", 10238, "LMSG"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakePorts io;
        io.ports = {"ttyACM1"};
        Script s;
        for (size_t i = 0; i < c.streamBefore / 2; ++i) {
            s.push_back("zz");
            if (i % 1000 == 999) s.insert(s.end(), {"", "", ""});  // short pauses in the stream
        }
        s.push_back(c.answer.substr(0, 2));
        s.push_back(c.answer.substr(2));
        for (int i = 0; i < 100; ++i) s.push_back("zz");
        io.answers[{"ttyACM1", 12345}] = s;
        const auto hits = probeSerialPorts(io);
        ASSERT_EQ(hits.size(), 1u);
        EXPECT_EQ(hits[0].baud, -1);
        EXPECT_EQ(io.maxBytesInOneSession, c.streamBefore + c.answer.size());
    }
}
