#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "decoder_harness.h"
#include "packet_builder.h"

using pb::Bytes;

namespace {

constexpr double kPi = 3.1415926535898;

double tenthsToRad(double tenths) {
    return tenths * kPi / 1800.0;
}

std::vector<uint16_t> rampMm(int n, uint16_t base = 1000, uint16_t step = 3) {
    std::vector<uint16_t> v;
    for (int i = 0; i < n; ++i) v.push_back(uint16_t(base + i * step));
    return v;
}

std::vector<uint8_t> rampEnergy(int n) {
    std::vector<uint8_t> v;
    for (int i = 0; i < n; ++i) v.push_back(uint8_t(10 + i));
    return v;
}

// Bytes that can start none of the stream's messages.
Bytes quietNoise(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b;
    while (b.size() < n) {
        const uint8_t c = uint8_t(rng());
        if (c == 'L' || c == 'S' || c == 'A' || c == 'E' || c == '\r' || c == 0xFA) continue;
        b.push_back(c);
    }
    return b;
}

}  // namespace

// ------------------------------------------------------------- single-packet fans

TEST(FanPackets, ShortBufferYieldsNothingAndConsumesNothing) {
    DecoderHarness d;
    const Bytes seven = {0xCF, 0xFA, 0, 0, 0, 0, 0};
    d.consumed = 12345;
    EXPECT_EQ(decode_stream_message(seven.size(), seven.data(), d.flags, *d.raw, d.consumed, true, d.mode,
                                    d.message, d.header, d.segments),
              KindNothing);
    EXPECT_EQ(d.consumed, 12345u);
}

TEST(FanPackets, FanCFDecodesAnglesDistancesAndEnergy) {
    DecoderHarness d;
    const auto mm = rampMm(4);
    const auto en = rampEnergy(4);
    const Bytes pkt = pb::fanCF(1800, 360, mm, en);
    ASSERT_EQ(pkt.size(), 3u * 4 + 10);
    ASSERT_EQ(d.decode(pkt), KindFan);
    EXPECT_EQ(d.consumed, pkt.size());
    const RawData& f = *d.raw;
    EXPECT_EQ(f.tag, 0xFACF);
    EXPECT_EQ(f.count, 4);
    EXPECT_EQ(f.start, 1800);
    EXPECT_EQ(f.span, 360);
    EXPECT_EQ(f.deviceWord, 0u);
    EXPECT_EQ(f.stampSec, 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(f.points[i].angle, float(tenthsToRad(1800 + i * 360.0 / 4))) << i;
        EXPECT_FLOAT_EQ(f.points[i].distance, float(mm[i] / 1000.0)) << i;
        EXPECT_EQ(f.points[i].energy, en[i]) << i;
    }
}

TEST(FanPackets, FanCESpanIs360Except720At342Degrees) {
    DecoderHarness d;
    ASSERT_EQ(d.decode(pb::fanCE(3420, rampMm(3), rampEnergy(3))), KindFan);
    EXPECT_EQ(d.raw->tag, 0xFACE);
    EXPECT_EQ(d.raw->span, 720);
    EXPECT_FLOAT_EQ(d.raw->points[1].angle, float(tenthsToRad(3420 + 720.0 / 3)));

    ASSERT_EQ(d.decode(pb::fanCE(3240, rampMm(3), rampEnergy(3))), KindFan);
    EXPECT_EQ(d.raw->span, 360);
    EXPECT_FLOAT_EQ(d.raw->points[2].angle, float(tenthsToRad(3240 + 2 * 360.0 / 3)));
    EXPECT_EQ(d.consumed, 3u * 3 + 8);
}

TEST(FanPackets, FanDFPutsFirstAndLastPointOnHeaderAngles) {
    DecoderHarness d;
    const Bytes pkt = pb::fanDF(900, 360, 9005, 12595, rampMm(5), rampEnergy(5));
    ASSERT_EQ(d.decode(pkt), KindFan);
    EXPECT_EQ(d.consumed, 3u * 5 + 18);
    EXPECT_EQ(d.raw->tag, 0xFADF);
    EXPECT_EQ(d.raw->start, 900);
    EXPECT_EQ(d.raw->span, 360);
    const double toRad = kPi / 18000.0;
    EXPECT_FLOAT_EQ(d.raw->points[0].angle, float(9005 * toRad));
    EXPECT_FLOAT_EQ(d.raw->points[2].angle, float((9005 + 2 * (12595 - 9005) / 4.0) * toRad));
    EXPECT_FLOAT_EQ(d.raw->points[4].angle, float(12595 * toRad));
}

TEST(FanPackets, FanDFWithOnePointSitsOnFirstAngle) {
    DecoderHarness d;
    ASSERT_EQ(d.decode(pb::fanDF(0, 360, 1234, 4000, {777}, {9})), KindFan);
    EXPECT_EQ(d.raw->count, 1);
    EXPECT_FLOAT_EQ(d.raw->points[0].angle, float(1234 * kPi / 18000.0));
    EXPECT_FLOAT_EQ(d.raw->points[0].distance, 0.777f);
}

TEST(FanPackets, Fan9DHasEnergyOne) {
    DecoderHarness d;
    const auto mm = rampMm(6, 500, 100);
    ASSERT_EQ(d.decode(pb::fan9D(2700, 180, mm)), KindFan);
    EXPECT_EQ(d.consumed, 2u * 6 + 10);
    EXPECT_EQ(d.raw->tag, 0xFA9D);
    EXPECT_EQ(d.raw->span, 180);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(d.raw->points[i].energy, 1);
        EXPECT_FLOAT_EQ(d.raw->points[i].distance, float(mm[i] / 1000.0));
        EXPECT_FLOAT_EQ(d.raw->points[i].angle, float(tenthsToRad(2700 + i * 180.0 / 6)));
    }
}

TEST(FanPackets, Fan99AnglesFromIndexAndIsNeverChecked) {
    DecoderHarness d;
    // 40 points of a 1600-point revolution starting at point 400: 90.0 deg, 9.0 deg wide.
    const auto mm = rampMm(40);
    const auto en = rampEnergy(40);
    const uint32_t deviceMs = 1234567;
    Bytes pkt = pb::fan99(400, 1600, deviceMs, mm, en);
    pkt = pb::corruptChecksum(pkt);
    ASSERT_EQ(pkt.size(), 3u * 40 + 34);
    const int64_t before = time(nullptr);
    ASSERT_EQ(d.decode(pkt), KindFan);
    const int64_t after = time(nullptr);
    EXPECT_EQ(d.consumed, pkt.size());
    EXPECT_EQ(d.raw->tag, 0xFA99);
    EXPECT_EQ(d.raw->start, 900);
    EXPECT_EQ(d.raw->span, 90);
    for (int i : {0, 17, 39}) {
        EXPECT_FLOAT_EQ(d.raw->points[i].angle, float((i + 400) * 360.0 / 1600 * kPi / 180.0)) << i;
        EXPECT_FLOAT_EQ(d.raw->points[i].distance, float(mm[size_t(i)] / 1000.0));
        EXPECT_EQ(d.raw->points[i].energy, en[size_t(i)]);
    }
    // 1234.567 s into the hour of the clock at decode time.
    const int64_t hourBefore = before - before % 3600, hourAfter = after - after % 3600;
    EXPECT_TRUE(d.raw->stampSec == hourBefore + 1234 || d.raw->stampSec == hourAfter + 1234);
    EXPECT_EQ(d.raw->stampUsec, 567000);
}

TEST(FanPackets, Fan99WithZeroPerRevolutionIsNoPacket) {
    DecoderHarness d;
    Bytes pkt = pb::fan99(0, 1600, 0, rampMm(40), rampEnergy(40));
    pkt[6] = pkt[7] = 0;
    EXPECT_EQ(d.decode(pkt), KindNothing);
}

TEST(FanPackets, Fan99SpanOfPartialStepsIsNoPacket) {
    DecoderHarness d;
    // 41 of 1600 points is 9.225 deg: not whole 9-degree steps.
    EXPECT_EQ(d.decode(pb::fan99(0, 1600, 0, rampMm(41), rampEnergy(41))), KindNothing);
}

// ------------------------------------------------------------- checksums

TEST(FanChecksum, WrongChecksumYieldsNoFanAndDropsThePacket) {
    DecoderHarness d;
    Bytes stream = pb::corruptChecksum(pb::fanCFn(0, 360, 20));
    const size_t packet = stream.size();
    pb::append(stream, pb::fanCFn(360, 360, 20));
    EXPECT_EQ(d.decode(stream), KindNoFan);
    EXPECT_EQ(d.consumed, packet);
    EXPECT_EQ(d.text(), "chksum  error");
    EXPECT_EQ(d.raw->count, 0);
}

TEST(FanChecksum, EveryFamilyIsChecked) {
    for (const Bytes& good :
         {pb::fanCE(0, rampMm(5), rampEnergy(5)), pb::fanDF(0, 360, 0, 3600, rampMm(5), rampEnergy(5)),
          pb::fan9D(0, 360, rampMm(5))}) {
        DecoderHarness d;
        EXPECT_EQ(d.decode(good), KindFan);
        EXPECT_EQ(d.decode(pb::corruptChecksum(good)), KindNoFan);
        EXPECT_EQ(d.text(), "chksum  error");
        EXPECT_EQ(d.consumed, good.size());
    }
}

TEST(FanChecksum, AChangedPointIsCaught) {
    DecoderHarness d;
    Bytes pkt = pb::fanCFn(0, 360, 10);
    pkt[8 + 3 * 4 + 1] ^= 0x40;  // distance of point 4
    EXPECT_EQ(d.decode(pkt), KindNoFan);
}

TEST(FanChecksum, VerificationOffAcceptsBadSum) {
    DecoderHarness d;
    EXPECT_EQ(d.decode(pb::corruptChecksum(pb::fanCFn(0, 360, 10)), false), KindFan);
    EXPECT_EQ(d.raw->count, 10);
}

// ------------------------------------------------------------- scanning

TEST(StreamScan, OversizedFanHeaderIsNotAPacket) {
    DecoderHarness d;
    Bytes stream = {0xCF, 0xFA, 0x27, 0x02, 0, 0, 0x68, 0x01};  // N = 551, S = 0, span 360
    const Bytes fan = pb::fanCFn(720, 360, 5);
    pb::append(stream, fan);
    ASSERT_EQ(d.decode(stream), KindFan);
    EXPECT_EQ(d.raw->start, 720);
    EXPECT_EQ(d.consumed, 8 + fan.size());
}

TEST(StreamScan, StartNotOnNineDegreeStepIsSkipped) {
    DecoderHarness d;
    Bytes stream = pb::fanCE(95, rampMm(5), rampEnergy(5));
    EXPECT_EQ(d.decode(stream), KindNothing);
    pb::append(stream, pb::fanCE(90, rampMm(5), rampEnergy(5)));
    ASSERT_EQ(d.decode(stream), KindFan);
    EXPECT_EQ(d.raw->start, 90);
}

TEST(StreamScan, IncompleteFanWaitsForTheRest) {
    DecoderHarness d;
    const Bytes fan = pb::fanCFn(0, 360, 100);
    const Bytes head(fan.begin(), fan.begin() + 150);
    d.consumed = 0;
    EXPECT_EQ(d.decode(head), KindNothing);
    EXPECT_EQ(d.consumed, 0u);
    EXPECT_EQ(d.decode(fan), KindFan);
    EXPECT_EQ(d.consumed, fan.size());
}

TEST(StreamScan, NoiseIsDroppedByHalves) {
    DecoderHarness d;
    EXPECT_EQ(d.decode(quietNoise(1100, 1)), KindNothing);
    EXPECT_EQ(d.consumed, 546u);  // scan stops at 1093
    EXPECT_EQ(d.decode(Bytes(1100, 0)), KindNothing);
    EXPECT_EQ(d.consumed, 546u);
}

TEST(StreamScan, ShortNoiseIsKept) {
    DecoderHarness d;
    EXPECT_EQ(d.decode(quietNoise(1031, 2)), KindNothing);  // stops at 1024
    EXPECT_EQ(d.consumed, 0u);
    EXPECT_EQ(d.decode(quietNoise(1032, 2)), KindNothing);  // stops at 1025
    EXPECT_EQ(d.consumed, 512u);
}

TEST(StreamScan, HalvingKeepsAPacketThatStartedAfterTheNoise) {
    DecoderHarness d;
    Bytes stream = quietNoise(1500, 3);
    const Bytes fan = pb::fanCFn(1800, 360, 200);
    stream.insert(stream.end(), fan.begin(), fan.begin() + 100);
    EXPECT_EQ(d.decode(stream), KindNothing);
    EXPECT_EQ(d.consumed, 750u);
    Bytes rest(stream.begin() + 750, stream.end());
    rest.insert(rest.end(), fan.begin() + 100, fan.end());
    ASSERT_EQ(d.decode(rest), KindFan);
    EXPECT_EQ(d.consumed, 750 + fan.size());
    EXPECT_EQ(d.raw->start, 1800);
}

TEST(StreamScan, OnlyTheFirstMessageIsDecoded) {
    DecoderHarness d;
    const Bytes first = pb::fanCFn(0, 360, 3);
    const Bytes stream = pb::concat({pb::text("\x01\x02"), first, pb::fanCFn(360, 360, 3)});
    ASSERT_EQ(d.decode(stream), KindFan);
    EXPECT_EQ(d.raw->start, 0);
    EXPECT_EQ(d.consumed, 2 + first.size());
}

// ------------------------------------------------------------- other messages

TEST(StreamMessages, StatusPacketSetsFlagsAndMode) {
    DecoderHarness d;
    const Bytes stream = pb::concat({Bytes{0x00, 0x01, 0x02}, pb::status(0b10000101)});
    ASSERT_EQ(d.decode(stream), KindStatusPacket);
    EXPECT_EQ(d.consumed, 3u + 8);
    const uint8_t expected[8] = {1, 0, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(d.flags[i], expected[i]) << i;
    EXPECT_EQ(d.mode, kStreamModeLegacy);

    ASSERT_EQ(d.decode(pb::status(0b00000010)), KindStatusPacket);
    EXPECT_EQ(d.flags[0], 0);
    EXPECT_EQ(d.flags[1], 1);
    EXPECT_EQ(d.mode, kStreamModeGeneral);
}

TEST(StreamMessages, LmsgRecordIsCopiedWhole) {
    DecoderHarness d;
    const Bytes rec = pb::lmsg();
    const Bytes stream = pb::concat({Bytes{9, 9}, rec, Bytes(10, 0)});
    ASSERT_EQ(d.decode(stream), KindLmsg);
    EXPECT_EQ(d.consumed, 2u + 128);
    EXPECT_EQ(std::memcmp(d.message, rec.data(), 128), 0);
}

TEST(StreamMessages, LmsgRunningPastTheBytesIsIncomplete) {
    DecoderHarness d;
    const Bytes rec = pb::lmsg();
    const Bytes cut(rec.begin(), rec.begin() + 100);
    EXPECT_EQ(d.decode(cut), KindNothing);
    EXPECT_EQ(d.consumed, 0u);
    EXPECT_EQ(d.message[0], 0);
}

TEST(StreamMessages, ParameterBlockReply) {
    DecoderHarness d;
    const Bytes reply = pb::paramReply(0x1234);
    ASSERT_EQ(reply.size(), 164u);
    ASSERT_EQ(d.decode(reply), KindParamBlock);
    EXPECT_EQ(d.consumed, 164u);
    EXPECT_EQ(std::memcmp(d.header, reply.data(), 8), 0);
    EXPECT_EQ(std::memcmp(d.message, reply.data() + 8, 152), 0);
    EXPECT_EQ(d.message[152], 0);
}

TEST(StreamMessages, KeepAliveReplyIsSkipped) {
    DecoderHarness d;
    const Bytes reply = pb::keepAliveReply(7);
    ASSERT_EQ(reply.size(), 44u);
    ASSERT_EQ(d.decode(reply), KindKeepAlive);
    EXPECT_EQ(d.consumed, 44u);
}

TEST(StreamMessages, PayloadReplyWaitsForItsDeclaredLength) {
    DecoderHarness d;
    const Bytes reply = pb::textReply(0x0102, "LSTARH-OK");
    const Bytes head(reply.begin(), reply.end() - 3);
    d.consumed = 0;
    EXPECT_EQ(d.decode(head), KindNothing);
    EXPECT_EQ(d.consumed, 0u);

    const Bytes stream = pb::concat({Bytes{0xEE}, reply});
    ASSERT_EQ(d.decode(stream), KindPayloadReply);
    EXPECT_EQ(d.consumed, 1 + 9 + 12u);
    EXPECT_EQ(d.header[0], 'L');
    EXPECT_EQ(d.header[4] | d.header[5] << 8, 0x0102);
    EXPECT_EQ(d.header[6] | d.header[7] << 8, 9);
    // The payload sits at consumed - len - 4.
    EXPECT_EQ(std::string(stream.begin() + long(d.consumed) - 9 - 4, stream.begin() + long(d.consumed) - 4),
              "LSTARH-OK");
}

TEST(StreamMessages, StatusReplyCarriesItsFirstTwoBytes) {
    DecoderHarness d;
    ASSERT_EQ(d.decode(pb::lhReply(0xAC, 0xFF, 5, pb::text("NGxyz"))), KindStatusReply);
    EXPECT_EQ(d.text(), "NG");
    EXPECT_EQ(d.consumed, 5 + 12u);
}

// Regression (fault runs with --corrupt): a damaged "NG" reply was taken for
// an acceptance. A reply whose CRC does not match is dropped whole instead.
TEST(StreamMessages, ReplyWithADamagedCrcIsDroppedNotTakenForAnAnswer) {
    DecoderHarness d;
    const Bytes refused = pb::lhReply(0xAC, 0xFF, 5, Bytes{'N', 'G', 0, 0});
    ASSERT_EQ(d.decode(refused), KindStatusReply);
    EXPECT_EQ(d.text(), "NG");
    for (const Bytes& intact : {refused, pb::paramReply(6), pb::lhReply(0xAC, 0xA5, 7, Bytes(12, 0))}) {
        for (size_t at : {size_t(4), size_t(8), intact.size() - 1}) {  // sequence number, body, CRC
            Bytes damaged = intact;
            damaged[at] ^= 0x5A;
            EXPECT_EQ(d.decode(damaged), KindNothing) << at;
            EXPECT_EQ(d.consumed, damaged.size()) << at;
        }
    }
}

TEST(StreamMessages, ZoneRepliesConsumeUpToTheirStart) {
    DecoderHarness d;
    const Bytes read = pb::lhReply(0xB8, 0xA5, 0x10, Bytes(40, 1));
    ASSERT_EQ(d.decode(pb::concat({Bytes{1, 2, 3}, read})), KindZoneReadReply);
    EXPECT_EQ(d.consumed, 3u);
    EXPECT_EQ(std::memcmp(d.header, read.data(), 8), 0);

    ASSERT_EQ(d.decode(pb::lhReply(0xAC, 0xA5, 0x11, Bytes(8, 0))), KindZoneWriteReply);
    EXPECT_EQ(d.consumed, 0u);
}

TEST(StreamMessages, UnknownReplyCodeIsNotAMessage) {
    DecoderHarness d;
    EXPECT_EQ(d.decode(pb::lhReply(0x12, 0x34, 1, Bytes(20, 0))), KindNothing);
}

TEST(StreamMessages, AmRecordWithValidCrc) {
    DecoderHarness d;
    const Bytes rec = pb::amRecord(0xDEAD, 0x0005);
    ASSERT_EQ(rec.size(), 32u);
    ASSERT_EQ(d.decode(pb::concat({Bytes{0, 0}, rec})), KindAmRecord);
    EXPECT_EQ(d.consumed, 2u + 32);
    EXPECT_EQ(std::memcmp(d.message, rec.data(), 32), 0);
    EXPECT_EQ(d.message[9] & 0xFF, 0xAD);   // fault word at bytes 9..12
    EXPECT_EQ(d.message[13] & 0xFF, 0x05);  // zone state at bytes 13..16
}

TEST(StreamMessages, AmRecordWithBadCrcIsPassedOver) {
    DecoderHarness d;
    Bytes rec = pb::amRecord();
    rec[30] ^= 1;
    EXPECT_EQ(d.decode(pb::concat({rec, Bytes(8, 0)})), KindNothing);
}

TEST(StreamMessages, AmRecordRunningPastTheBytesIsIncomplete) {
    DecoderHarness d;
    const Bytes rec = pb::amRecord();
    EXPECT_EQ(d.decode(Bytes(rec.begin(), rec.begin() + 20)), KindNothing);
    EXPECT_EQ(d.consumed, 0u);
}

TEST(TextLines, ReplyLineAfterBinaryBytes) {
    DecoderHarness d;
    const Bytes stream = pb::concat({Bytes{0x00, 0x9F, 0x03}, pb::text("SRPM:1200\r\n"), Bytes(6, 0)});
    ASSERT_EQ(d.decode(stream), KindTextLine);
    EXPECT_EQ(d.text(), "SRPM:1200");
    EXPECT_EQ(d.consumed, 3u + 9 + 1);  // the LF is left for the next scan

    const Bytes rest(stream.begin() + long(d.consumed), stream.end());
    EXPECT_EQ(d.decode(rest), KindNothing);
}

TEST(TextLines, CrLfWithNothingBeforeIsNoLine) {
    DecoderHarness d;
    EXPECT_EQ(d.decode(pb::text("\r\n\x01\x02\x03\x04\x05\x06")), KindNothing);
    EXPECT_EQ(d.decode(pb::text("\x01\x02\r\n\x03\x04\x05\x06")), KindNothing);
}

TEST(TextLines, LineLongerThanTheBufferKeepsItsLast511Characters) {
    DecoderHarness d;
    std::string line;
    for (int i = 0; i < 700; ++i) line += char('a' + i % 26);
    const Bytes stream = pb::text(line + "\r\nxxxxxx");
    ASSERT_EQ(d.decode(stream), KindTextLine);
    EXPECT_EQ(std::strlen(d.message), 511u);
    EXPECT_EQ(d.text(), line.substr(700 - 511));
    EXPECT_EQ(d.consumed, 701u);
}

// Regression: the scan tried only positions up to len - 8, so a reply line
// at the end of a datagram was never found.
TEST(TextLines, ReplyLineAtTheEndOfTheBuffer) {
    DecoderHarness d;
    const Bytes stream =
        pb::concat({Bytes{0xC3, 0x00, 0x81, 0x07, 0x9E, 0x02, 0x00, 0xB1}, pb::text("SRPM:15\r\n")});
    ASSERT_EQ(d.decode(stream), KindTextLine);
    EXPECT_EQ(d.text(), "SRPM:15");
    EXPECT_EQ(d.consumed, stream.size() - 1);
}

// A reply line decodes wherever it sits: in a buffer shorter than the 8 bytes
// the binary messages need, or behind the letters "AM" that might have begun
// a state record (its 32 bytes do not fit before the end of the buffer).
TEST(TextLines, ReplyLineThatNoBinaryMessageCanHold) {
    const struct {
        const char* name;
        Bytes stream;
        const char* line;
        size_t consumed;
    } cases[] = {
        {"7 bytes", pb::text("LiDAR\r\n"), "LiDAR", 6},
        {"3 bytes", pb::text("K\r\n"), "K", 2},
        {"line starting with AM", pb::text("AMP:0600\r\n"), "AMP:0600", 9},
        {"AM at the end of noise", pb::concat({Bytes{0x00, 0x81, 0x07, 'A', 'M'}, pb::text("LiDAR\r\n")}),
         "AMLiDAR", 11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DecoderHarness d;
        ASSERT_EQ(d.decode(c.stream), KindTextLine);
        EXPECT_EQ(d.text(), c.line);
        EXPECT_EQ(d.consumed, c.consumed);
    }
}
