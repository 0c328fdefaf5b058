// Compact revolutions give back exactly the fans the decoders produced, for
// every packet family, and store the common ones in about the bytes the
// recording spent on them.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "compact_revolution.h"
#include "decoder_harness.h"
#include "packet_builder.h"

using pb::Bytes;

namespace {

uint32_t bits(float v) {
    uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Field by field, floats bit for bit, the valid points only.
void expectSameFan(const RawData& a, const RawData& b, const std::string& what) {
    EXPECT_EQ(a.tag, b.tag) << what;
    EXPECT_EQ(a.count, b.count) << what;
    EXPECT_EQ(a.start, b.start) << what;
    EXPECT_EQ(a.span, b.span) << what;
    EXPECT_EQ(a.reserved1, b.reserved1) << what;
    EXPECT_EQ(a.reserved2, b.reserved2) << what;
    EXPECT_EQ(a.deviceWord, b.deviceWord) << what;
    EXPECT_EQ(a.stampSec, b.stampSec) << what;
    EXPECT_EQ(a.stampUsec, b.stampUsec) << what;
    for (int i = 0; i < std::min<int>(a.count, kMaxFanPoints); ++i) {
        ASSERT_EQ(bits(a.points[i].angle), bits(b.points[i].angle)) << what << " point " << i;
        ASSERT_EQ(bits(a.points[i].distance), bits(b.points[i].distance)) << what << " point " << i;
        ASSERT_EQ(a.points[i].energy, b.points[i].energy) << what << " point " << i;
    }
}

std::vector<uint16_t> ramp(int n, int base) {
    std::vector<uint16_t> v;
    for (int i = 0; i < n; ++i) v.push_back(uint16_t(base + (i * 37) % 9000));
    return v;
}

std::vector<uint8_t> energies(int n) {
    std::vector<uint8_t> v;
    for (int i = 0; i < n; ++i) v.push_back(uint8_t(i * 7));
    return v;
}

// Decodes packets (general decoder, or legacy with the given flags) into fans.
Revolution decodeAll(const std::vector<Bytes>& packets, bool legacy = false, uint8_t flags = 0) {
    DecoderHarness d;
    for (int i = 0; i < 8; ++i) d.flags[i] = (flags >> i) & 1;
    Revolution out;
    for (const Bytes& p : packets)
        if ((legacy ? d.legacy(p) : d.decode(p)) == KindFan) out.push_back(*d.raw);
    return out;
}

struct Family {
    const char* name;
    Revolution fans;
};

std::vector<Family> families() {
    const int n = 300;
    pb::Segment a = pb::makeSegment(n, 0, 1800000, 1836000, n / 2, 2000, 120);
    pb::Segment b = pb::makeSegment(n, 1, 1818000, 1836000, n / 2, 2500, 120);
    a.word16 = b.word16 = 0xCAFE;
    a.word20 = b.word20 = 1700000000;
    a.word24 = b.word24 = 123456789;
    std::vector<uint16_t> words;
    for (int i = 0; i < 120; ++i) words.push_back(uint16_t((i % 8) << 13 | (300 + i)));
    return {
        {"0xFACF", decodeAll({pb::fanCF(0, 360, ramp(n, 500), energies(n)),
                              pb::fanCF(360, 360, ramp(n, 700), energies(n))})},
        {"0xFACE at 342 degrees", decodeAll({pb::fanCE(3420, ramp(n, 900), energies(n))})},
        {"0xFADF", decodeAll({pb::fanDF(900, 360, 9000, 12590, ramp(n, 100), energies(n))})},
        {"0xFA9D", decodeAll({pb::fan9D(1800, 360, ramp(n, 40))})},
        {"0xFA99", decodeAll({pb::fan99(400, 3600, 1234567, ramp(360, 60), energies(360))})},
        {"0xFAAA segments", decodeAll({pb::segAA(a), pb::segAA(b)})},
        {"legacy centimetres", decodeAll({pb::legacyCE(720, words)}, true, 0b10)},
    };
}

}  // namespace

TEST(CompactRevolution, EveryPacketFamilyComesBackBitForBit) {
    for (const Family& f : families()) {
        ASSERT_FALSE(f.fans.empty()) << f.name;
        const CompactRevolution compact(f.fans);
        EXPECT_EQ(compact.fanCount(), int(f.fans.size())) << f.name;
        const Revolution back = compact.expand();
        ASSERT_EQ(back.size(), f.fans.size()) << f.name;
        for (size_t i = 0; i < back.size(); ++i) expectSameFan(back[i], f.fans[i], f.name);
    }
}

TEST(CompactRevolution, SpreadFansCostNoMoreThanTheirPackets) {
    // Ten 0xFACF fans of 360 points: 1090 bytes each on the wire; a full
    // RawData is about 6.6 kB.
    std::vector<Bytes> packets;
    for (int s = 0; s < 3600; s += 360)
        packets.push_back(pb::fanCF(uint16_t(s), 360, ramp(360, s), energies(360)));
    const Revolution fans = decodeAll(packets);
    ASSERT_EQ(fans.size(), 10u);
    const CompactRevolution compact(fans);
    EXPECT_LE(compact.byteSize(), 10u * (3 * 360 + 40));
    EXPECT_EQ(compact.pointCount(), 3600);
}

TEST(CompactRevolution, AnyFloatsSurviveIncludingOnesNoDecoderMakes) {
    RawData odd;
    odd.tag = 0x1234;
    odd.count = kMaxFanPoints;
    odd.reserved1 = -7;
    odd.stampSec = -1;
    std::mt19937 rng(5);
    for (int i = 0; i < kMaxFanPoints; ++i) {
        uint32_t a = rng(), d = rng();
        std::memcpy(&odd.points[i].angle, &a, 4);
        std::memcpy(&odd.points[i].distance, &d, 4);
        odd.points[i].energy = uint8_t(rng());
    }
    odd.points[3].distance = std::numeric_limits<float>::quiet_NaN();
    odd.points[4].angle = -0.0f;
    RawData empty;  // a fan without points
    const Revolution fans{odd, empty};
    const Revolution back = CompactRevolution(fans).expand();
    ASSERT_EQ(back.size(), 2u);
    expectSameFan(back[0], odd, "random bits");
    expectSameFan(back[1], empty, "no points");
}
