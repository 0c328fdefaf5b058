#include <gtest/gtest.h>

#include <ctime>

#include "decoder_harness.h"
#include "packet_builder.h"

using pb::Bytes;
using pb::Segment;

namespace {

constexpr double kMilliDegToRad = 1.7453292519943334e-05;

// Checks point k of the fan against point i of the segment it came from.
void expectPoint(const RawData& fan, int k, const Segment& s, int i) {
    SCOPED_TRACE(testing::Message() << "fan point " << k << " from segment " << s.index << " point " << i);
    EXPECT_FLOAT_EQ(fan.points[k].angle,
                    float((double(s.startMilli) + s.offsetMilli[size_t(i)]) * kMilliDegToRad));
    EXPECT_FLOAT_EQ(fan.points[k].distance, float(s.mm[size_t(i)] / 1000.0));
    EXPECT_EQ(fan.points[k].energy, s.energy[size_t(i)]);
}

}  // namespace

TEST(SegmentAssembly, TwoC7SegmentsMakeOneFanInArrivalOrder) {
    DecoderHarness d;
    // One 36-degree fan of 300 points in two halves, the second half first.
    Segment a = pb::makeSegment(300, 0, 36000, 72000, 150, 1000);
    Segment b = pb::makeSegment(300, 1, 54000, 72000, 150, 3000);
    for (Segment* s : {&a, &b}) {
        s->word16 = 0xCAFEF00D;
        s->word20 = 754321;  // 754.321 s into the hour
    }
    const Bytes pb1 = pb::segC7(b);
    ASSERT_EQ(pb1.size(), 5u * 150 + 30);
    EXPECT_EQ(d.decode(pb1), KindNoFan);
    EXPECT_EQ(d.consumed, pb1.size());
    EXPECT_EQ(d.pendingSegments(), 1);

    const int64_t before = time(nullptr);
    ASSERT_EQ(d.decode(pb::segC7(a)), KindFan);
    const int64_t after = time(nullptr);
    EXPECT_EQ(d.pendingSegments(), 0);
    const RawData& f = *d.raw;
    EXPECT_EQ(f.tag, 0xFAC7);
    EXPECT_EQ(f.count, 300);
    // The head is the first segment to arrive (b): start 540, span (72000 - 54000) / 100.
    EXPECT_EQ(f.start, 540);
    EXPECT_EQ(f.span, 180);
    EXPECT_EQ(f.deviceWord, 0xCAFEF00Du);
    EXPECT_EQ(f.reserved1, 0);
    EXPECT_EQ(f.reserved2, 0);
    EXPECT_TRUE(f.stampSec == before - before % 3600 + 754 || f.stampSec == after - after % 3600 + 754);
    EXPECT_EQ(f.stampUsec, 321000);
    for (int i : {0, 77, 149}) expectPoint(f, i, b, i);
    for (int i : {0, 77, 149}) expectPoint(f, 150 + i, a, i);
}

TEST(SegmentAssembly, AASegmentsCarryTheirSecondsAndNanoseconds) {
    DecoderHarness d;
    Segment a = pb::makeSegment(20, 0, 0, 9000, 12);
    Segment b = pb::makeSegment(20, 1, 5400, 9000, 8);
    a.word20 = 1700000000;
    a.word24 = 987654321;
    // A segment belongs to the fan when either of its two stamp words matches.
    b.word20 = 1700000001;
    b.word24 = 987654321;
    a.word16 = b.word16 = 0x01020304;
    const Bytes pa = pb::segAA(a);
    ASSERT_EQ(pa.size(), 5u * 12 + 50);
    EXPECT_EQ(d.decode(pa), KindNoFan);
    ASSERT_EQ(d.decode(pb::segAA(b)), KindFan);
    EXPECT_EQ(d.raw->tag, 0xFAAA);
    EXPECT_EQ(d.raw->count, 20);
    EXPECT_EQ(d.raw->start, 0);
    EXPECT_EQ(d.raw->span, 90);
    EXPECT_EQ(d.raw->stampSec, 1700000000);
    EXPECT_EQ(d.raw->stampUsec, 987654);
    EXPECT_EQ(d.raw->deviceWord, 0x01020304u);
    expectPoint(*d.raw, 11, a, 11);
    expectPoint(*d.raw, 12, b, 0);
    expectPoint(*d.raw, 19, b, 7);
}

TEST(SegmentAssembly, SingleSegmentFan) {
    DecoderHarness d;
    const Segment s = pb::makeSegment(10, 0, 123456, 133456, 10);
    ASSERT_EQ(d.decode(pb::segAA(s)), KindFan);
    EXPECT_EQ(d.raw->start, 1234);
    EXPECT_EQ(d.raw->span, 100);
    expectPoint(*d.raw, 9, s, 9);
}

TEST(SegmentAssembly, DuplicateSegmentIsDropped) {
    DecoderHarness d;
    const Segment a = pb::makeSegment(300, 0, 0, 36000, 150);
    const Segment b = pb::makeSegment(300, 1, 18000, 36000, 150, 4000);
    EXPECT_EQ(d.decode(pb::segC7(a)), KindNoFan);
    EXPECT_EQ(d.decode(pb::segC7(a)), KindNoFan);
    EXPECT_EQ(d.text(), "drop duplicated segment");
    EXPECT_EQ(d.pendingSegments(), 1);
    ASSERT_EQ(d.decode(pb::segC7(b)), KindFan);
    EXPECT_EQ(d.raw->count, 300);
    expectPoint(*d.raw, 0, a, 0);
    expectPoint(*d.raw, 150, b, 0);
}

TEST(SegmentAssembly, SegmentOfAnotherFanDropsThePendingOnes) {
    DecoderHarness d;
    Segment old = pb::makeSegment(300, 0, 0, 36000, 150);
    old.word20 = 1000;
    Segment fresh0 = pb::makeSegment(100, 0, 36000, 72000, 50);
    Segment fresh1 = pb::makeSegment(100, 1, 54000, 72000, 50);
    fresh0.word20 = fresh1.word20 = 2000;
    EXPECT_EQ(d.decode(pb::segC7(old)), KindNoFan);
    EXPECT_EQ(d.decode(pb::segC7(fresh0)), KindNoFan);
    EXPECT_EQ(d.text(), "drop old fan segments");
    EXPECT_EQ(d.pendingSegments(), 1);
    ASSERT_EQ(d.decode(pb::segC7(fresh1)), KindFan);
    EXPECT_EQ(d.raw->count, 100);
    EXPECT_EQ(d.raw->start, 360);
}

TEST(SegmentAssembly, BadChecksumSegmentIsDiscarded) {
    DecoderHarness d;
    const Segment a = pb::makeSegment(40, 0, 0, 3600, 20);
    const Segment b = pb::makeSegment(40, 1, 1800, 3600, 20);
    EXPECT_EQ(d.decode(pb::segAA(a)), KindNoFan);
    const Bytes bad = pb::corruptChecksum(pb::segAA(b));
    EXPECT_EQ(d.decode(bad), KindNoFan);
    EXPECT_EQ(d.consumed, bad.size());
    EXPECT_EQ(d.pendingSegments(), 1);
    EXPECT_EQ(d.decode(pb::segAA(b)), KindFan);
}

TEST(SegmentAssembly, ChecksumIsVerifiedEvenWhenTheCallerSkipsIt) {
    DecoderHarness d;
    const Segment s = pb::makeSegment(5, 0, 0, 3600, 5);
    EXPECT_EQ(d.decode(pb::corruptChecksum(pb::segC7(s)), false), KindNoFan);
    EXPECT_EQ(d.pendingSegments(), 0);
}

TEST(SegmentAssembly, FanOfMoreThan550PointsIsDropped) {
    DecoderHarness d;
    const Segment a = pb::makeSegment(600, 0, 0, 36000, 300);
    const Segment b = pb::makeSegment(600, 1, 18000, 36000, 300);
    EXPECT_EQ(d.decode(pb::segC7(a)), KindNoFan);
    EXPECT_EQ(d.decode(pb::segC7(b)), KindNoFan);
    EXPECT_EQ(d.text(), "too many 600 points in 1 fan");
    EXPECT_EQ(d.pendingSegments(), 0);
}

TEST(SegmentAssembly, MorePointsThanAnnouncedDropsTheFan) {
    DecoderHarness d;
    const Segment a = pb::makeSegment(30, 0, 0, 3600, 20);
    const Segment b = pb::makeSegment(30, 1, 1800, 3600, 20);
    EXPECT_EQ(d.decode(pb::segAA(a)), KindNoFan);
    EXPECT_EQ(d.decode(pb::segAA(b)), KindNoFan);
    EXPECT_EQ(d.pendingSegments(), 0);
}

// Regression: empty segments with fresh indices never complete a fan and
// used to pile up in the pending list without limit.
TEST(SegmentAssembly, EmptySegmentsCannotGrowThePendingListWithoutBound) {
    DecoderHarness d;
    int most = 0;
    for (int i = 0; i < 1200; ++i) {
        const Segment s = pb::makeSegment(10, uint16_t(i), 0, 3600, 0);
        EXPECT_EQ(d.decode(pb::segC7(s)), KindNoFan);
        most = std::max(most, d.pendingSegments());
    }
    EXPECT_GE(most, 2);
    EXPECT_LE(most, kMaxFanPoints);
}
