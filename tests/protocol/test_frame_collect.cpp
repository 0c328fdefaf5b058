#include <gtest/gtest.h>

#include <memory>

#include "device_time.h"
#include "frame_collect.h"

namespace {

RawData fan(int start, int span = 360, int count = 10) {
    RawData f;
    f.tag = 0xFACF;
    f.start = uint16_t(start);
    f.span = uint16_t(span);
    f.count = uint16_t(count);
    return f;
}

}  // namespace

// ------------------------------------------------------------- boundary

TEST(FrameBoundary, FullTurnGivesTheFanNearest180Degrees) {
    std::vector<RawData> acc;
    std::string err;
    for (int s = 0; s <= 3240; s += 360) EXPECT_EQ(find_frame_boundary(fan(s), false, acc, err), -1) << s;
    EXPECT_EQ(acc.size(), 10u);
    EXPECT_EQ(find_frame_boundary(fan(0), false, acc, err), 1800);
    EXPECT_TRUE(acc.empty());
}

TEST(FrameBoundary, NearZeroPicksTheFanNearestZero) {
    std::vector<RawData> acc;
    std::string err;
    for (int s = 1800; s != 1440; s = (s + 360) % 3600) find_frame_boundary(fan(s), true, acc, err);
    find_frame_boundary(fan(1440), true, acc, err);
    EXPECT_EQ(find_frame_boundary(fan(1800), true, acc, err), 0);
}

TEST(FrameBoundary, TieGoesToTheFirstFanSeen) {
    // Fans of 20 degrees starting at 10 degrees: 170 and 190 degrees are both
    // 10 degrees from 180; the first one stored wins.
    std::vector<RawData> acc;
    std::string err;
    for (int s = 100; s < 3600; s += 200) find_frame_boundary(fan(s, 200), false, acc, err);
    EXPECT_EQ(find_frame_boundary(fan(100, 200), false, acc, err), 1700);

    for (int s = 1900; s != 1700; s = (s + 200) % 3600) find_frame_boundary(fan(s, 200), false, acc, err);
    find_frame_boundary(fan(1700, 200), false, acc, err);
    EXPECT_EQ(find_frame_boundary(fan(1900, 200), false, acc, err), 1900);
}

TEST(FrameBoundary, LostFanGivesAngleSumError) {
    std::vector<RawData> acc;
    std::string err;
    for (int s = 0; s <= 3240; s += 360) {
        if (s == 1080) continue;
        EXPECT_EQ(find_frame_boundary(fan(s), false, acc, err), -1);
    }
    EXPECT_EQ(acc.size(), 3u);  // fans after the gap do not chain
    EXPECT_EQ(find_frame_boundary(fan(0), false, acc, err), -2);
    EXPECT_EQ(err, "angle sum 1080");
    EXPECT_TRUE(acc.empty());
}

TEST(FrameBoundary, FanThatDoesNotChainIsIgnored) {
    std::vector<RawData> acc;
    std::string err;
    find_frame_boundary(fan(0), false, acc, err);
    EXPECT_EQ(find_frame_boundary(fan(900), false, acc, err), -1);
    EXPECT_EQ(acc.size(), 1u);
    EXPECT_EQ(find_frame_boundary(fan(360), false, acc, err), -1);
    EXPECT_EQ(acc.size(), 2u);
}

// Regression: zero-width fans chain forever; the accumulator must stay bounded.
TEST(FrameBoundary, ZeroWidthFansCannotGrowTheAccumulatorWithoutBound) {
    std::vector<RawData> acc;
    std::string err;
    find_frame_boundary(fan(0, 10, 0), false, acc, err);
    size_t most = 0;
    int failures = 0;
    for (int i = 0; i < 8000; ++i) {
        if (find_frame_boundary(fan(10, 0, 0), false, acc, err) == -2) ++failures;
        most = std::max(most, acc.size());
    }
    EXPECT_GE(failures, 1);
    EXPECT_LE(most, 3600u);
}

// ------------------------------------------------------------- collection

TEST(FrameCollection, RevolutionClosesOnTheBoundary) {
    std::vector<RawData> acc;
    std::string err;
    int s = 1800;
    for (int i = 0; i < 9; ++i, s = (s + 360) % 3600)
        EXPECT_EQ(collect_frame_fan(fan(s), 1800, acc, err), 0) << s;
    EXPECT_EQ(s, 1440);
    EXPECT_EQ(collect_frame_fan(fan(1440), 1800, acc, err), 1);
    ASSERT_EQ(acc.size(), 10u);
    EXPECT_EQ(acc.front().start, 1800);
    EXPECT_EQ(acc.back().start, 1440);
    EXPECT_TRUE(err.empty());
}

TEST(FrameCollection, WrongSpanSumDropsTheFans) {
    std::vector<RawData> acc;
    std::string err;
    collect_frame_fan(fan(360, 360, 5), 1800, acc, err);
    collect_frame_fan(fan(720, 360, 6), 1800, acc, err);
    EXPECT_EQ(collect_frame_fan(fan(1440, 360, 7), 1800, acc, err), -1);
    EXPECT_EQ(err, "angle sum 1080, drop 3 fans 18 points");
    EXPECT_TRUE(acc.empty());
}

TEST(FrameCollection, BoundaryAtZeroWrapsAround) {
    std::vector<RawData> acc;
    std::string err;
    for (int s = 0; s < 3240; s += 360) EXPECT_EQ(collect_frame_fan(fan(s), 0, acc, err), 0);
    EXPECT_EQ(collect_frame_fan(fan(3240), 0, acc, err), 1);
}

// Regression: with fans that never end on the boundary the accumulator grew forever.
TEST(FrameCollection, FansMissingTheBoundaryCannotGrowTheAccumulatorWithoutBound) {
    std::vector<RawData> acc;
    std::string err;
    size_t most = 0;
    int drops = 0;
    for (int i = 0; i < 10000; ++i) {
        if (collect_frame_fan(fan((i * 70) % 3600, 70, 1), 1805, acc, err) == -1) ++drops;
        most = std::max(most, acc.size());
    }
    EXPECT_GE(drops, 1);
    EXPECT_LE(most, 3601u);
}

// ------------------------------------------------------------- device time

TEST(DeviceTime, StampLandsInTheCurrentHour) {
    const int64_t hour = 1700002800;  // a whole hour
    ASSERT_EQ(hour % 3600, 0);
    const DeviceTime t = device_time_to_timeval_at(754321, hour + 800);
    EXPECT_EQ(t.sec, hour + 754);
    EXPECT_EQ(t.usec, 321000);
}

TEST(DeviceTime, LateStampJustAfterTheHourBelongsToThePreviousHour) {
    const int64_t hour = 1700002800;
    EXPECT_EQ(device_time_to_timeval_at(3597500, hour + 3).sec, hour - 3);
    EXPECT_EQ(device_time_to_timeval_at(3597500, hour + 4).sec, hour - 3);
    EXPECT_EQ(device_time_to_timeval_at(3597500, hour + 5).sec, hour + 3597);
    EXPECT_EQ(device_time_to_timeval_at(3595999, hour + 1).sec, hour + 3595);
}
