// What-if: revolutions of a target walking through an alarm rectangle,
// evaluated against the rasterised image. The expected triggers are read off
// the walk by hand: the rectangle spans forward 1000..3000 mm and lateral
// 0..1000 mm, the target stands at 3..7 deg, where lateral = d sin(a) is
// 50..300 mm for the distances used, so it is inside exactly when
// 1000 < d cos(a) < 3000. Every other point is at 5000 mm, outside.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "zone_image.h"
#include "zone_whatif.h"

namespace {

constexpr double kPi = 3.1415926535898;

struct Walk {
    double distance;  // mm
    int width;        // target points, at 3, 4, ... deg (1 point: 5 deg)
};

// One revolution: a single fan of 360 points, one per degree (its shape does
// not matter here, only the points do).
Revolution revolution(const Walk& w, bool mirrored, int32_t sec) {
    Revolution rev(1);
    RawData& f = rev[0];
    f.count = 360;
    f.span = 3600;
    f.stampSec = sec;
    f.stampUsec = 250;
    for (int i = 0; i < 360; ++i) {
        f.points[i].angle = float(i * kPi / 180);
        f.points[i].distance = 5.0f;
    }
    const int first = w.width == 1 ? 5 : 3;
    for (int i = first; i < first + w.width; ++i) {
        const int deg = mirrored ? 360 - i : i;  // mirrored, the same spot lies at -a
        f.points[deg].distance = float(w.distance / 1000);
    }
    return rev;
}

// Triggered: revolutions 1, 2, 4 (one point only), 5, 6.
const std::vector<Walk> kWalk = {{4000, 5}, {2500, 5}, {1500, 5}, {700, 5},
                                 {1500, 1}, {2000, 5}, {2000, 5}, {4000, 5}};

std::unique_ptr<ZoneDef> rectangleImage(bool mirror) {
    auto list = std::make_unique<zones>();
    ZoneEntry& e = list->entries[list->count++];
    e.type = ZoneShapeRectangle;
    e.zoneId = 3;
    e.kind = ZoneKindAlarm;
    e.points[0] = {1000, 0};     // (Buttom, Left)
    e.points[1] = {3000, 1000};  // (Top, Right)
    e.pointCount = 2;
    auto def = std::make_unique<ZoneDef>();
    EXPECT_EQ(zones_to_zonedef(*list, mirror, 0, *def), kZoneListOk);
    return def;
}

WhatIfResult run(const ZoneDef& image, int f, int c, bool mirrored = false) {
    ZoneWhatIf whatIf(image, WhatIfOptions{f, c});
    for (size_t i = 0; i < kWalk.size(); ++i)
        whatIf.addRevolution(revolution(kWalk[i], mirrored, 1000 + int(i)));
    return whatIf.result();
}

}  // namespace

TEST(ZoneWhatIf, WalkThroughRectangleTriggersTheRevolutionsWorkedOutByHand) {
    const auto image = rectangleImage(false);
    const WhatIfResult r = run(*image, 1, 1);
    EXPECT_EQ(r.revolutions, 8);
    ASSERT_EQ(r.rows.size(), 1u);
    const WhatIfRow& row = r.rows[0];
    EXPECT_EQ(row.zone, 3);
    EXPECT_EQ(row.kind, ZoneKindAlarm);
    EXPECT_EQ(row.triggeredRevolutions, (std::vector<int>{1, 2, 4, 5, 6}));
    EXPECT_EQ(row.triggered, 5);
    EXPECT_EQ(row.pointsInside, 5u + 5 + 1 + 5 + 5);
    EXPECT_EQ(row.sectors[0], row.pointsInside);  // 3..7 deg: the first 10-degree sector
    EXPECT_EQ(row.firstTriggered.revolution, 1);
    EXPECT_EQ(row.firstTriggered.sec, 1001);
    EXPECT_EQ(row.firstTriggered.usec, 250);
    // Default C = 1: one alarm per streak of triggered revolutions, 1..2 and 4..6.
    EXPECT_EQ(row.alarms, 2);
    EXPECT_EQ(row.firstAlarm.revolution, 1);
}

TEST(ZoneWhatIf, PointAndRevolutionThresholds) {
    struct Case {
        int f, c;
        std::vector<int> triggered;
        int alarms;
        int firstAlarm;
    } const cases[] = {
        {2, 1, {1, 2, 5, 6}, 2, 1},     // revolution 4 has one point inside
        {1, 2, {1, 2, 4, 5, 6}, 2, 2},  // streaks 1..2 and 4..6 both reach two
        {1, 3, {1, 2, 4, 5, 6}, 1, 6},  // only 4..6 reaches three
        {2, 3, {1, 2, 5, 6}, 0, -1},    // with F = 2 the streaks are 1..2 and 5..6
        {6, 1, {}, 0, -1},              // never more than five points inside
    };
    const auto image = rectangleImage(false);
    for (const Case& k : cases) {
        const WhatIfResult r = run(*image, k.f, k.c);
        ASSERT_EQ(r.rows.size(), 1u);
        EXPECT_EQ(r.rows[0].triggeredRevolutions, k.triggered) << "F " << k.f << " C " << k.c;
        EXPECT_EQ(r.rows[0].alarms, k.alarms) << "F " << k.f << " C " << k.c;
        EXPECT_EQ(r.rows[0].firstAlarm.revolution, k.firstAlarm) << "F " << k.f << " C " << k.c;
    }
}

TEST(ZoneWhatIf, MirroredZonesMeetTheTargetOnTheOtherSide) {
    const auto image = rectangleImage(true);
    EXPECT_EQ(run(*image, 1, 1, true).rows.at(0).triggeredRevolutions, (std::vector<int>{1, 2, 4, 5, 6}));
    EXPECT_TRUE(run(*image, 1, 1, false).rows.at(0).triggeredRevolutions.empty());
}

TEST(ZoneWhatIf, EveryDrawnZoneKindGetsARowEvenWhenNothingEntersIt) {
    auto list = std::make_unique<zones>();
    for (int kind : {ZoneKindObservation, ZoneKindWarning}) {
        ZoneEntry& e = list->entries[list->count++];
        e.type = ZoneShapeSector;
        e.zoneId = 9;
        e.kind = kind;
        e.points[0] = {1800, 2000};  // 180..200 deg, behind the scanner
        e.points[1] = {3000.0 + 1000 * kind, 500};
        e.pointCount = 2;
    }
    auto image = std::make_unique<ZoneDef>();
    ASSERT_EQ(zones_to_zonedef(*list, false, 0, *image), kZoneListOk);
    const WhatIfResult r = run(*image, 1, 1);
    ASSERT_EQ(r.rows.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(r.rows[size_t(i)].zone, 9);
        EXPECT_EQ(r.rows[size_t(i)].kind, i);
        EXPECT_EQ(r.rows[size_t(i)].triggered, 0);
        EXPECT_EQ(r.rows[size_t(i)].firstTriggered.revolution, -1);
    }
}
