#include <gtest/gtest.h>

#include <cmath>

#include "fan_text.h"
#include "packet_builder.h"
#include "stream_replay.h"

using pb::Bytes;

namespace {

// Everything a replay hands out, in order.
struct Recorder {
    std::vector<int> fanStarts;
    std::vector<int> boundaries;
    std::vector<Revolution> revolutions;
    std::vector<float> progress;
    std::vector<std::string> dropped;
    std::vector<std::string> errors;
    Revolution partial;
    bool finished = false;

    ReplaySink sink() {
        ReplaySink s;
        s.fan = [this](const RawData& f) { fanStarts.push_back(f.start); };
        s.boundary = [this](int b) { boundaries.push_back(b); };
        s.revolution = [this](const Revolution& r, float p) {
            revolutions.push_back(r);
            progress.push_back(p);
        };
        s.decodeError = [this](const char* m, int, int) { errors.emplace_back(m); };
        s.revolutionDropped = [this](const std::string& t) { dropped.push_back(t); };
        s.finished = [this](const Revolution& r) {
            partial = r;
            finished = true;
        };
        return s;
    }
};

// Ten 36-degree 0xFACF fans from 0 to 324 degrees, `points` points each.
Bytes turn(int points = 4) {
    Bytes b;
    for (int s = 0; s < 3600; s += 360)
        pb::append(b, pb::fanCFn(uint16_t(s), 360, points, uint16_t(1000 + s)));
    return b;
}

std::vector<int> starts(const Revolution& r) {
    std::vector<int> v;
    for (const auto& f : r) v.push_back(f.start);
    return v;
}

const std::vector<int> kFrom180 = {1800, 2160, 2520, 2880, 3240, 0, 360, 720, 1080, 1440};

}  // namespace

TEST(StreamReplay, FirstTurnFindsTheBoundaryThenRevolutionsAreCutThere) {
    const Bytes rec = pb::concat({turn(), turn(), turn(), turn()});
    Recorder r;
    const ReplaySummary sum = replay_stream(rec.data(), rec.size(), r.sink());
    EXPECT_EQ(r.boundaries, std::vector<int>{1800});
    EXPECT_EQ(sum.boundary, 1800);
    // Turn 1 and the first fan of turn 2 calibrate; the rest of turn 2 up to
    // 180 degrees cannot close a full revolution and is dropped.
    ASSERT_EQ(r.dropped.size(), 1u);
    EXPECT_EQ(r.dropped[0], "angle sum 1440, drop 4 fans 16 points");
    ASSERT_EQ(r.revolutions.size(), 2u);
    EXPECT_EQ(starts(r.revolutions[0]), kFrom180);
    EXPECT_EQ(starts(r.revolutions[1]), kFrom180);
    EXPECT_EQ(r.revolutions[0][0].points[0].distance, 2.8f);  // fan at 180 deg: 1000 + 1800 mm
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(starts(r.partial), (std::vector<int>{1800, 2160, 2520, 2880, 3240}));
    EXPECT_EQ(sum.fans, 40);
    EXPECT_EQ(sum.revolutions, 2);
    EXPECT_EQ(sum.decodeErrors, 0);
    EXPECT_EQ(sum.bytes, rec.size());
    EXPECT_EQ(r.fanStarts.size(), 40u);
    // Progress: share of the stream read when the revolution closed.
    const double perTurn = double(turn().size());
    EXPECT_FLOAT_EQ(r.progress[0], float((2 * perTurn + 5 * (perTurn / 10)) / rec.size() * 100));
}

TEST(StreamReplay, NoiseAndRepliesBetweenFansAreSkipped) {
    Bytes rec;
    for (int k = 0; k < 3; ++k) {
        for (int s = 0; s < 3600; s += 360) {
            pb::append(rec, pb::fanCFn(uint16_t(s), 360, 4, uint16_t(1000 + s)));
            if (s == 720) pb::append(rec, Bytes(37, 0x01));
            if (s == 1080) pb::append(rec, pb::textReply(3, "OK"));
            if (s == 1440) pb::append(rec, pb::text("SRPM:600\r\n"));
            if (s == 2520)
                pb::append(rec, pb::lhReply(0xB8, 0xA5, 9, Bytes(20, 0x4C)));  // zone reply full of 'L'
        }
    }
    Recorder r;
    const ReplaySummary sum = replay_stream(rec.data(), rec.size(), r.sink());
    EXPECT_EQ(sum.fans, 30);
    ASSERT_EQ(r.revolutions.size(), 1u);
    EXPECT_EQ(starts(r.revolutions[0]), kFrom180);
}

TEST(StreamReplay, ChecksumFailureCountsAsDecodeError) {
    Bytes rec = turn();
    pb::append(rec, pb::corruptChecksum(pb::fanCFn(0, 360, 4)));
    pb::append(rec, turn());
    Recorder r;
    const ReplaySummary sum = replay_stream(rec.data(), rec.size(), r.sink());
    EXPECT_EQ(sum.decodeErrors, 1);
    EXPECT_EQ(r.errors, std::vector<std::string>{"chksum  error"});
    EXPECT_EQ(sum.fans, 20);
}

TEST(StreamReplay, StatusPacketSwitchesToTheLegacyDecoder) {
    // Flag 0 (millimetres) without flag 1: the stream continues in legacy format.
    Bytes rec = pb::status(0b00000001);
    for (int k = 0; k < 3; ++k)
        for (int s = 0; s < 3600; s += 360)
            pb::append(rec, pb::legacyCE(uint16_t(s), std::vector<uint16_t>(30, 1500)));
    Recorder r;
    StreamReplay replay(rec.data(), rec.size());
    const ReplaySink sink = r.sink();
    EXPECT_EQ(replay.step(sink), KindStatusPacket);
    EXPECT_EQ(replay.streamMode(), kStreamModeLegacy);
    while (!replay.atEnd()) replay.step(sink);
    EXPECT_EQ(replay.fanCount(), 30);
    ASSERT_EQ(r.revolutions.size(), 1u);
    EXPECT_EQ(r.revolutions[0][0].tag, 0xFACE);
    EXPECT_EQ(r.revolutions[0][0].span, 360);
    EXPECT_FLOAT_EQ(r.revolutions[0][0].points[0].distance, 1.5f);
}

TEST(StreamReplay, StatusPacketWithFlagOneStaysGeneral) {
    Bytes rec = pb::status(0b00000010);
    pb::append(rec, turn());
    pb::append(rec, turn());
    Recorder r;
    const ReplaySummary sum = replay_stream(rec.data(), rec.size(), r.sink());
    EXPECT_EQ(sum.fans, 20);
}

TEST(StreamReplay, TruncatedTailEndsTheReplay) {
    Bytes rec = pb::concat({turn(), turn()});
    const Bytes last = pb::fanCFn(0, 360, 100);
    rec.insert(rec.end(), last.begin(), last.begin() + 200);
    Recorder r;
    StreamReplay replay(rec.data(), rec.size());
    int steps = 0;
    while (!replay.atEnd() && steps < 100000) {
        replay.step(r.sink());
        ++steps;
    }
    EXPECT_TRUE(replay.atEnd());
    EXPECT_EQ(replay.position(), rec.size());
    EXPECT_EQ(replay.fanCount(), 20);
}

// A header that announces more bytes than the recording holds must not hide
// the complete messages behind it.
TEST(StreamReplay, FalseStartNearTheEndHidesNothing) {
    Bytes rec = turn();
    pb::append(rec, Bytes{'L', 'H', 0xBC, 0xFF, 0x01, 0x00, 0xFF, 0x7F});  // claims 32767 bytes
    pb::append(rec, turn());
    Recorder r;
    const ReplaySummary sum = replay_stream(rec.data(), rec.size(), r.sink());
    EXPECT_EQ(sum.fans, 20);
}

TEST(StreamReplay, EmptyAndTinyInputsEnd) {
    Recorder r;
    EXPECT_EQ(replay_stream(nullptr, 0, r.sink()).fans, 0);
    EXPECT_TRUE(r.finished);
    const Bytes tiny = {0xCF, 0xFA, 1};
    EXPECT_EQ(replay_stream(tiny.data(), tiny.size(), r.sink()).fans, 0);
}

TEST(StreamReplay, RevolutionEndingOnTheLastByteStaysBelow100Percent) {
    // The 100 % emission marks the end of the stream; a real revolution
    // closing exactly at the end must not be mistaken for it.
    Bytes rec = pb::concat({turn(), turn(), turn()});
    const Bytes tail = turn();
    rec.insert(rec.end(), tail.begin(), tail.begin() + long(tail.size() / 10 * 5));  // up to 180 deg
    Recorder r;
    replay_stream(rec.data(), rec.size(), r.sink());
    ASSERT_EQ(r.revolutions.size(), 2u);
    EXPECT_LT(r.progress[1], 100.0f);
    EXPECT_GT(r.progress[1], 99.99f);
    EXPECT_TRUE(r.partial.empty());
}

TEST(StreamReplay, SeekJumpsToAShareOfTheStream) {
    const Bytes rec = pb::concat({turn(), turn(), turn(), turn()});
    StreamReplay replay(rec.data(), rec.size());
    replay.seekPercent(50);
    EXPECT_EQ(replay.position(), rec.size() * 50 / 100);
    replay.seekPercent(250);
    EXPECT_TRUE(replay.atEnd());
    replay.seekPercent(-3);
    EXPECT_EQ(replay.position(), 0u);
}

TEST(StreamReplay, LegacyFailuresCountOnlyDroppedPackets) {
    Bytes rec = pb::status(0b00000001);
    for (int s = 0; s < 3600; s += 360)
        pb::append(rec, pb::legacyCE(uint16_t(s), std::vector<uint16_t>(30, 900)));
    pb::append(rec, pb::corruptChecksum(pb::legacyCE(0, std::vector<uint16_t>(30, 900))));
    const Bytes cut = pb::legacyCE(360, std::vector<uint16_t>(30, 900));
    rec.insert(rec.end(), cut.begin(), cut.begin() + 40);  // a packet cut off by the end of the file
    Recorder r;
    const ReplaySummary sum = replay_stream(rec.data(), rec.size(), r.sink());
    EXPECT_EQ(sum.fans, 10);
    EXPECT_EQ(sum.decodeErrors, 1);
}

TEST(StreamReplay, PendingSegmentsAreNotFailuresButDroppedOnesAre) {
    Bytes rec;
    for (int s = 0; s < 3600; s += 360) {
        pb::Segment a = pb::makeSegment(6, 0, uint32_t(s) * 100, uint32_t(s) * 100 + 36000, 3);
        pb::Segment b = pb::makeSegment(6, 1, uint32_t(s) * 100 + 18000, uint32_t(s) * 100 + 36000, 3);
        a.word20 = b.word20 = uint32_t(s + 1);
        pb::append(rec, pb::segC7(a));
        if (s == 1080) pb::append(rec, pb::segC7(a));  // duplicate
        pb::append(rec, pb::segC7(b));
    }
    pb::Segment lone = pb::makeSegment(6, 0, 0, 36000, 3);
    lone.word20 = 99;
    pb::append(rec, pb::segC7(lone));
    pb::append(rec, pb::segC7(pb::makeSegment(6, 0, 0, 36000, 3)));  // another fan: the lone one is dropped
    Recorder r;
    const ReplaySummary sum = replay_stream(rec.data(), rec.size(), r.sink());
    EXPECT_EQ(sum.fans, 10);
    EXPECT_EQ(sum.decodeErrors, 2);
    EXPECT_EQ(r.errors, (std::vector<std::string>{"drop duplicated segment", "drop old fan segments"}));
}

// ------------------------------------------------------------- sector-log text

TEST(FanText, EmptyFanEndsWithCountAndTwoBlanks) {
    RawData f;
    f.start = 3240;
    f.span = 360;
    f.count = 0;
    EXPECT_EQ(fan_text_line(f), "start angle 3240 span:360 N:0  ");
}

TEST(FanText, PointsArePaddedGeneralFormat) {
    RawData f;
    f.start = 0;
    f.span = 90;
    f.count = 2;
    f.points[0] = {0.5f, 12.25f, 7};
    f.points[1] = {3.14159274f, 0.001f, 255};
    EXPECT_EQ(fan_text_line(f), "start angle 0 span:90 N:2  \t    0.5\t12.25\t  7\t3.14159\t0.001\t255");
}

TEST(StreamReplay, SeekNeverStitchesARevolutionFromTwoPlaces) {
    // Twenty turns whose fans carry the turn number as their distance; every
    // packet is 22 bytes, so 50 % is the fan at 0 degrees of turn 10.
    Bytes rec;
    for (int t = 0; t < 20; ++t)
        for (int s = 0; s < 3600; s += 360) pb::append(rec, pb::fanCFn(uint16_t(s), 360, 4, uint16_t(1000 + t)));
    ASSERT_EQ(rec.size(), 200u * 22u);
    Recorder r;
    const ReplaySink sink = r.sink();
    StreamReplay replay(rec.data(), rec.size());
    // Up to turn 2's fans from 180 to 324 degrees: half a revolution collected.
    while (replay.position() < 30 * 22) replay.step(sink);
    ASSERT_EQ(r.revolutions.size(), 1u);
    replay.seekPercent(50);
    while (!replay.atEnd()) replay.step(sink);
    // A revolution runs from 180 degrees of one turn to 144 degrees of the next.
    ASSERT_GE(r.revolutions.size(), 8u);
    for (const Revolution& rev : r.revolutions) {
        ASSERT_EQ(rev.size(), 10u);
        const int turn = int(std::lround(rev[0].points[0].distance * 1000)) - 1000;
        for (const RawData& fan : rev)
            ASSERT_EQ(std::lround(fan.points[0].distance * 1000), 1000 + turn + (fan.start < 1800 ? 1 : 0));
    }
}
