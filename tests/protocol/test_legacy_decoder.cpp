#include <gtest/gtest.h>

#include "decoder_harness.h"
#include "packet_builder.h"

using pb::Bytes;

namespace {

constexpr double kPi = 3.1415926535898;

std::vector<uint16_t> words(int n, uint16_t base) {
    std::vector<uint16_t> v;
    for (int i = 0; i < n; ++i) v.push_back(uint16_t(base + 7 * i));
    return v;
}

}  // namespace

TEST(LegacyDecoder, CentimetresWithoutEnergyByDefault) {
    DecoderHarness d;
    const auto w = words(30, 0xE100);  // top bits set: all of it is distance here
    const Bytes pkt = pb::legacyCE(720, w);
    ASSERT_EQ(pkt.size(), 2u * 30 + 8);
    ASSERT_EQ(d.legacy(pkt), 1);
    EXPECT_EQ(d.consumed, pkt.size());
    const RawData& f = *d.raw;
    EXPECT_EQ(f.tag, 0xFACE);
    EXPECT_EQ(f.count, 30);
    EXPECT_EQ(f.start, 720);
    EXPECT_EQ(f.span, 360);
    for (int i : {0, 13, 29}) {
        EXPECT_FLOAT_EQ(f.points[i].distance, float(w[size_t(i)] / 100.0)) << i;
        EXPECT_EQ(f.points[i].energy, 0) << i;
        EXPECT_FLOAT_EQ(f.points[i].angle, float((720 + i * 360.0 / 30) * kPi / 1800)) << i;
    }
}

TEST(LegacyDecoder, MillimetresAndEnergyFromStatusFlags) {
    DecoderHarness d;
    d.flags[0] = 1;  // millimetres
    d.flags[1] = 1;  // energy in the top 3 bits
    std::vector<uint16_t> w;
    for (int i = 0; i < 40; ++i) w.push_back(uint16_t((i % 8) << 13 | (1000 + i)));
    ASSERT_EQ(d.legacy(pb::legacyCE(3240, w)), 1);
    for (int i : {0, 5, 39}) {
        EXPECT_FLOAT_EQ(d.raw->points[i].distance, float((1000 + i) / 1000.0)) << i;
        EXPECT_EQ(d.raw->points[i].energy, i % 8) << i;
    }
}

TEST(LegacyDecoder, StatusPacketSwapsSmoothAndFilterBits) {
    DecoderHarness d;
    d.mode = kStreamModeLegacy;
    const Bytes stream = pb::concat({Bytes{0x55}, pb::status(0b00000100)});  // bit 2
    ASSERT_EQ(d.legacy(stream), 9);
    EXPECT_EQ(d.consumed, 9u);
    EXPECT_EQ(d.flags[2], 0);
    EXPECT_EQ(d.flags[3], 1);
    ASSERT_EQ(d.legacy(pb::status(0b00001011)), 9);  // bits 0, 1, 3
    EXPECT_EQ(d.flags[0], 1);
    EXPECT_EQ(d.flags[1], 1);
    EXPECT_EQ(d.flags[2], 1);
    EXPECT_EQ(d.flags[3], 0);
    EXPECT_EQ(d.mode, kStreamModeLegacy);  // only the general decoder switches modes
}

TEST(LegacyDecoder, StartMustBeAMultipleOf36Degrees) {
    DecoderHarness d;
    // 9.0 degrees passes the general decoder's test but not this one.
    Bytes stream = pb::legacyCE(90, words(30, 500));
    EXPECT_EQ(d.legacy(stream), 0);
    pb::append(stream, pb::legacyCE(360, words(30, 500)));
    ASSERT_EQ(d.legacy(stream), 1);
    EXPECT_EQ(d.raw->start, 360);
}

TEST(LegacyDecoder, PointCountOutside30To300IsNoPacket) {
    DecoderHarness d;
    EXPECT_EQ(d.legacy(pb::legacyCE(0, words(29, 500))), 0);
    EXPECT_EQ(d.legacy(pb::legacyCE(0, words(301, 500))), 0);
    EXPECT_EQ(d.legacy(pb::legacyCE(0, words(300, 500))), 1);
}

TEST(LegacyDecoder, ChecksumFailureDropsThePacket) {
    DecoderHarness d;
    const Bytes bad = pb::corruptChecksum(pb::legacyCE(0, words(50, 800)));
    EXPECT_EQ(d.legacy(bad), 0);
    EXPECT_EQ(d.consumed, bad.size());
    EXPECT_EQ(d.raw->count, 0);
    EXPECT_EQ(d.legacy(bad, false), 1);
}

TEST(LegacyDecoder, IncompletePacketWaits) {
    DecoderHarness d;
    const Bytes pkt = pb::legacyCE(0, words(50, 800));
    d.consumed = 0;
    EXPECT_EQ(d.legacy(Bytes(pkt.begin(), pkt.end() - 1)), 0);
    EXPECT_EQ(d.consumed, 0u);
}

TEST(LegacyDecoder, NoiseIsDroppedByHalves) {
    DecoderHarness d;
    EXPECT_EQ(d.legacy(Bytes(1100, 0x20)), 0);
    EXPECT_EQ(d.consumed, 546u);
}

TEST(LegacyDecoder, GeneralFormatFanIsNotLegacy) {
    DecoderHarness d;
    // A 0xFACF fan means nothing to the legacy decoder.
    EXPECT_EQ(d.legacy(pb::fanCFn(0, 360, 60)), 0);
}
