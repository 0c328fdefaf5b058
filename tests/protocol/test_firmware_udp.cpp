// The UDP firmware transfer against a scripted device on a virtual clock:
// every packet the transfer sends is decoded from its bytes, and the device's
// answers arrive at scripted times.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>

#include "command_frame.h"
#include "crc32.h"
#include "firmware_support.h"
#include "firmware_udp.h"
#include "le_bytes.h"

namespace {

using firmware_test::makeImage;

struct SentPacket {
    int64_t at;
    uint16_t sn;
    uint32_t op;
    uint32_t crc;
    std::vector<uint8_t> data;  // the 512 data bytes
};

// A device on a virtual clock. `answer` decides, per packet received, what
// goes back and after how many milliseconds.
class ScriptedDevice : public FirmwareUdpIo {
public:
    struct Reply {
        int delayMs;
        std::vector<uint8_t> datagram;
    };
    std::function<std::vector<Reply>(const SentPacket&, int transmission)> answer;
    std::vector<SentPacket> sent;
    int64_t now = 0;

    int send(const uint8_t* data, size_t len) override {
        CommandFrameView v;
        EXPECT_EQ(decode_command_frame(data, len, v), 1);
        EXPECT_TRUE(v.crcOk);
        EXPECT_EQ(v.mode, FIRMWARE_PACK);
        EXPECT_EQ(v.length, 520);
        SentPacket p{now, v.sn, le32(v.body), le32(v.body + 4),
                     std::vector<uint8_t>(v.body + 8, v.body + 520)};
        sent.push_back(p);
        const int transmission = ++m_count[p.op];
        if (answer)
            for (const Reply& r : answer(p, transmission)) m_queue.insert({now + r.delayMs, r.datagram});
        return int(len);
    }
    int wait(int timeoutMs) override {
        EXPECT_GE(timeoutMs, 0);
        EXPECT_LE(timeoutMs, 5000);
        if (!m_queue.empty() && m_queue.begin()->first <= now + timeoutMs) {
            now = std::max(now, m_queue.begin()->first);
            return 1;
        }
        now += timeoutMs;
        return 0;
    }
    int receive(uint8_t* buf, size_t max) override {
        if (m_queue.empty() || m_queue.begin()->first > now) return 0;
        const std::vector<uint8_t> d = m_queue.begin()->second;
        m_queue.erase(m_queue.begin());
        const size_t n = std::min(max, d.size());
        std::copy(d.begin(), d.begin() + n, buf);
        return int(n);
    }
    int64_t nowMs() override { return now; }

    std::vector<uint32_t> ops() const {
        std::vector<uint32_t> out;
        for (const SentPacket& p : sent) out.push_back(p.op);
        return out;
    }

private:
    std::map<uint32_t, int> m_count;
    std::multimap<int64_t, std::vector<uint8_t>> m_queue;
};

std::vector<uint8_t> reply(uint16_t sn, uint32_t op, uint32_t status) {
    uint8_t body[8];
    put_le32(body, op);
    put_le32(body + 4, status);
    return encode_command_frame(reply_code(FIRMWARE_PACK), sn, body, sizeof body);
}

// A device that answers every packet at once with status 0.
std::vector<ScriptedDevice::Reply> cooperative(const SentPacket& p, int) {
    if (p.op == kFirmwareOpClose) return {};
    return {{5, reply(p.sn, p.op, 0)}};
}

TEST(FirmwareUdp, ImageOf1024BytesGoesAsStartTwoPiecesFinishClose) {
    const std::vector<uint8_t> image = makeImage(1024);
    ScriptedDevice dev;
    dev.answer = cooperative;
    std::vector<std::pair<uint32_t, uint32_t>> progress;
    FirmwareUdpHooks hooks;
    hooks.progress = [&](uint32_t done, uint32_t total) { progress.push_back({done, total}); };

    const FirmwareUdpResult r = firmware_udp_transfer(dev, image, 0x1234, hooks);
    ASSERT_EQ(r.status, FirmwareUdpStatus::Ok);
    EXPECT_EQ(dev.ops(),
              (std::vector<uint32_t>{kFirmwareOpStart, 0, 512, kFirmwareOpFinish, kFirmwareOpClose}));
    for (const SentPacket& p : dev.sent) EXPECT_EQ(p.sn, 0x1234);
    EXPECT_EQ(le32(dev.sent[0].data.data()), 1024u);  // start carries L
    for (int i : {1, 2}) {
        const uint32_t off = dev.sent[i].op;
        EXPECT_TRUE(std::equal(dev.sent[i].data.begin(), dev.sent[i].data.end(), image.begin() + 652 + off));
        EXPECT_EQ(dev.sent[i].crc, crc32_words(image.data() + 652 + off, 128));
    }
    EXPECT_EQ(le32(dev.sent[3].data.data()), 1024u);  // finish carries L
    EXPECT_EQ(dev.sent[3].crc, dev.sent[2].crc);      // and the last piece's CRC
    EXPECT_EQ(le32(dev.sent[4].data.data()), 0xABCD1234u);
    EXPECT_EQ(r.packetsSent, 5);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::make_pair(1024u, 1024u));
}

TEST(FirmwareUdp, SilentDeviceEndsAfterTheFourthResendWhetherOrNotOtherTrafficArrives) {
    for (const bool chatter : {false, true}) {
        const std::vector<uint8_t> image = makeImage(1024);
        ScriptedDevice dev;
        dev.answer = [chatter](const SentPacket& p, int transmission) -> std::vector<ScriptedDevice::Reply> {
            if (p.op == kFirmwareOpStart && transmission == 1) return cooperative(p, transmission);
            if (!chatter) return {};
            // Scan data keep arriving although the upgrade is not answered.
            std::vector<ScriptedDevice::Reply> noise;
            for (int t = 100; t < 3000; t += 100) noise.push_back({t, std::vector<uint8_t>(60, 0xAA)});
            return noise;
        };
        const FirmwareUdpResult r = firmware_udp_transfer(dev, image, 5);
        ASSERT_EQ(r.status, FirmwareUdpStatus::NoAnswer) << chatter;
        EXPECT_EQ(r.operation, 0u);
        // The data packet went out once and was re-sent four times, 3 s apart.
        ASSERT_EQ(dev.ops(), (std::vector<uint32_t>{kFirmwareOpStart, 0, 0, 0, 0, 0})) << chatter;
        const int64_t silentFor = dev.now - dev.sent[1].at;
        EXPECT_GE(silentFor, 12000) << chatter;
        EXPECT_LT(silentFor, 12100) << chatter;
    }
}

TEST(FirmwareUdp, ForeignSequenceNumberIsIgnoredAndDoesNotResetTheResendCount) {
    const std::vector<uint8_t> image = makeImage(1024);
    ScriptedDevice dev;
    dev.answer = [](const SentPacket& p, int transmission) -> std::vector<ScriptedDevice::Reply> {
        if (p.op == kFirmwareOpStart) return cooperative(p, transmission);
        // Every transmission of piece 0 is answered, but for another upgrade.
        return {{100, reply(static_cast<uint16_t>(p.sn + 1), p.op, 0)}};
    };
    const FirmwareUdpResult r = firmware_udp_transfer(dev, image, 0x0F0F);
    EXPECT_EQ(r.status, FirmwareUdpStatus::NoAnswer);
    EXPECT_EQ(dev.ops(), (std::vector<uint32_t>{kFirmwareOpStart, 0, 0, 0, 0, 0}));
}

TEST(FirmwareUdp, StaleOrGarbledEchoNeitherSkipsDataNorFinishesEarly) {
    const std::vector<uint8_t> image = makeImage(2048);
    ScriptedDevice dev;
    dev.answer = [](const SentPacket& p, int transmission) -> std::vector<ScriptedDevice::Reply> {
        if (p.op == 512 && transmission == 1)
            return {{1, reply(p.sn, 0, 0)},           // a late duplicate of the previous answer
                    {2, reply(p.sn, 0x00100000, 0)},  // an echo no packet carried
                    {3, reply(p.sn, 512, 0)}};
        return cooperative(p, transmission);
    };
    const FirmwareUdpResult r = firmware_udp_transfer(dev, image, 3);
    ASSERT_EQ(r.status, FirmwareUdpStatus::Ok);
    EXPECT_EQ(dev.ops(), (std::vector<uint32_t>{kFirmwareOpStart, 0, 512, 1024, 1536, kFirmwareOpFinish,
                                                kFirmwareOpClose}));
}

TEST(FirmwareUdp, NonZeroStatusEndsTheUpgradeWithWhatTheDeviceSaid) {
    const std::vector<uint8_t> image = makeImage(1024);
    ScriptedDevice dev;
    dev.answer = [](const SentPacket& p, int transmission) -> std::vector<ScriptedDevice::Reply> {
        if (p.op == 512) return {{5, reply(p.sn, p.op, 7)}};
        return cooperative(p, transmission);
    };
    const FirmwareUdpResult r = firmware_udp_transfer(dev, image, 3);
    EXPECT_EQ(r.status, FirmwareUdpStatus::Refused);
    EXPECT_EQ(r.operation, 512u);
    EXPECT_EQ(r.deviceStatus, 7u);
    EXPECT_EQ(dev.ops(), (std::vector<uint32_t>{kFirmwareOpStart, 0, 512}));  // no finish, no close
}

}  // namespace
