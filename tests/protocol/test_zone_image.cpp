// Zone list <-> zone image. Expected intervals are worked out by hand from
// the ray geometry in the comments; table and record bytes are read back
// straight from the image layout, not through the code under test.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "crc32.h"
#include "zone_image.h"
#include "zone_types.h"

namespace {

using Interval = std::pair<int, int>;  // (start with kind bit, end)

constexpr int kAlarmBit = 0x8000, kWarningBit = 0x4000, kObservationBit = 0x2000;

uint16_t u16At(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t u32At(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
int32_t i32At(const uint8_t* p) {
    return static_cast<int32_t>(u32At(p));
}

const uint8_t* bytes(const ZoneDef& def) {
    return reinterpret_cast<const uint8_t*>(&def);
}

// Table entry `k` of zone `slot`: 12 bytes at 0x4000 + 0x3000 * slot + 12 * k.
std::vector<Interval> intervals(const ZoneDef& def, int slot, int k) {
    const uint8_t* e = bytes(def) + 0x4000 + 0x3000 * slot + 12 * k;
    std::vector<Interval> out;
    for (int i = 0; i < 3; ++i) {
        const int start = u16At(e + 4 * i), end = u16At(e + 4 * i + 2);
        if (start != 0 || end != 0) out.emplace_back(start, end);
    }
    return out;
}

ZoneEntry rect(int zone, int kind, double bottom, double left, double top, double right) {
    ZoneEntry e;
    e.type = ZoneShapeRectangle;
    e.zoneId = zone;
    e.kind = kind;
    e.points[0] = {bottom, left};
    e.points[1] = {top, right};
    e.pointCount = 2;
    return e;
}

ZoneEntry ellipse(int zone, int kind, double cx, double cy, double w, double h) {
    ZoneEntry e = rect(zone, kind, cx, cy, w, h);
    e.type = ZoneShapeEllipse;
    return e;
}

ZoneEntry sector(int zone, int kind, double a1, double a2, double far, double near) {
    ZoneEntry e = rect(zone, kind, a1, a2, far, near);
    e.type = ZoneShapeSector;
    return e;
}

ZoneEntry polygon(int zone, int kind, std::vector<ZonePoint> pts, int type = ZoneShapePolygon) {
    ZoneEntry e;
    e.type = type;
    e.zoneId = zone;
    e.kind = kind;
    e.pointCount = int(pts.size());
    for (size_t i = 0; i < pts.size(); ++i) e.points[i] = pts[i];
    return e;
}

// A strip in front of the scanner, forward from `near` to `far`, 1 m wide: a
// polygon in drawing axes (lateral, forward).
ZoneEntry strip(int zone, int kind, double near, double far, int type = ZoneShapePolygon) {
    return polygon(zone, kind, {{-500, near}, {500, near}, {500, far}, {-500, far}}, type);
}

struct Fixture {
    std::unique_ptr<zones> list = std::make_unique<zones>();
    std::unique_ptr<ZoneDef> def = std::make_unique<ZoneDef>();
    void add(const ZoneEntry& e) { list->entries[list->count++] = e; }
    int build(bool mirror = false, uint32_t* crc = nullptr) {
        return zones_to_zonedef(*list, mirror, 0x5F000000, *def, crc);
    }
};

}  // namespace

// ============================================================ header and CRC

TEST(ZoneImageHeader, EmptyListGivesValidHeaderZeroAreasAndCrc) {
    Fixture f;
    std::memset(f.def.get(), 0xAB, sizeof(ZoneDef));
    uint32_t crc = 0;
    ASSERT_EQ(f.build(false, &crc), kZoneListOk);
    const uint8_t* b = bytes(*f.def);
    EXPECT_EQ(0, std::memcmp(b, "PZNE", 4));
    EXPECT_EQ(u32At(b + 4), 0x101u);
    EXPECT_EQ(u32At(b + 8), 0x34000u);
    EXPECT_EQ(u32At(b + 16), 0x30000u);
    EXPECT_EQ(u32At(b + 20), 0x5F000000u);
    for (size_t i = 24; i < 0x34000; ++i) ASSERT_EQ(b[i], 0) << "byte " << i;
    EXPECT_EQ(u32At(b + 12), crc32_words(b + 16, 53244));
    EXPECT_EQ(u32At(b + 12), crc);
}

TEST(ZoneImageHeader, CrcFollowsTheContent) {
    Fixture a, b;
    ASSERT_EQ(a.build(), kZoneListOk);
    b.add(sector(0, 2, 300, 600, 5000, 1000));
    ASSERT_EQ(b.build(), kZoneListOk);
    EXPECT_NE(u32At(bytes(*a.def) + 12), u32At(bytes(*b.def) + 12));
    EXPECT_EQ(u32At(bytes(*b.def) + 12), crc32_words(bytes(*b.def) + 16, 53244));
}

// ============================================================ records

TEST(ZoneImageRecords, RectangleRecordInItsZoneSlot) {
    Fixture f;
    f.add(rect(3, 1, 1000, -500, 2000, 700));
    ASSERT_EQ(f.build(), kZoneListOk);
    const uint8_t* r = bytes(*f.def) + 0x400 + 960 * 3;
    EXPECT_EQ(r[0], 2);
    EXPECT_EQ(r[1], 3);
    EXPECT_EQ(r[2], 1);
    EXPECT_EQ(r[3], 4);
    EXPECT_EQ(i32At(r + 4), 1000);
    EXPECT_EQ(i32At(r + 8), -500);
    EXPECT_EQ(i32At(r + 12), 2000);
    EXPECT_EQ(i32At(r + 16), 700);
    for (int i = 20; i < 960; ++i) ASSERT_EQ(r[i], 0);
    for (int i = 0; i < 960 * 3; ++i) ASSERT_EQ(bytes(*f.def)[0x400 + i], 0);
}

TEST(ZoneImageRecords, PolygonVerticesSwapAxesMirrorAndRoundHalvesAwayFromZero) {
    for (bool mirror : {false, true}) {
        Fixture f;
        f.add(polygon(0, 2, {{100, 2000}, {-2.5, 2.5}, {0.4, -1.5}}));
        ASSERT_EQ(f.build(mirror), kZoneListOk);
        const uint8_t* r = bytes(*f.def) + 0x400;
        const int s = mirror ? -1 : 1;
        EXPECT_EQ(r[0], 1);
        EXPECT_EQ(r[3], 6);
        EXPECT_EQ(i32At(r + 4), 2000);
        EXPECT_EQ(i32At(r + 8), 100 * s);
        EXPECT_EQ(i32At(r + 12), 3);       // 2.5 rounds away from zero
        EXPECT_EQ(i32At(r + 16), -3 * s);  // -2.5 likewise
        EXPECT_EQ(i32At(r + 20), -2);
        EXPECT_EQ(i32At(r + 24), 0);
    }
}

TEST(ZoneImageRecords, EllipseBecomesItsBoundingCorners) {
    Fixture f;
    f.add(ellipse(0, 0, 100, 3000, 400, 600));  // centre (lateral 100, forward 3000)
    ASSERT_EQ(f.build(), kZoneListOk);
    const uint8_t* r = bytes(*f.def) + 0x400;
    EXPECT_EQ(r[0], 3);
    EXPECT_EQ(i32At(r + 4), 2700);
    EXPECT_EQ(i32At(r + 8), -100);
    EXPECT_EQ(i32At(r + 12), 3300);
    EXPECT_EQ(i32At(r + 16), 300);
}

TEST(ZoneImageRecords, SectorPointsAreSwappedAndMirroredUnderMirroring) {
    // 30 deg at 5000 mm: (4330.13, 2500) -> (4330, 2500); 60 deg at 1000 mm: (500, 866.03) -> (500, 866).
    Fixture plain, mirrored;
    plain.add(sector(0, 2, 300, 600, 5000, 1000));
    mirrored.add(sector(0, 2, 300, 600, 5000, 1000));
    ASSERT_EQ(plain.build(false), kZoneListOk);
    ASSERT_EQ(mirrored.build(true), kZoneListOk);
    const uint8_t* p = bytes(*plain.def) + 0x400;
    EXPECT_EQ(i32At(p + 4), 4330);
    EXPECT_EQ(i32At(p + 8), 2500);
    EXPECT_EQ(i32At(p + 12), 500);
    EXPECT_EQ(i32At(p + 16), 866);
    const uint8_t* m = bytes(*mirrored.def) + 0x400;
    EXPECT_EQ(i32At(m + 4), 500);
    EXPECT_EQ(i32At(m + 8), -866);
    EXPECT_EQ(i32At(m + 12), 4330);
    EXPECT_EQ(i32At(m + 16), -2500);
}

// ============================================================ rasterisation

TEST(ZoneRaster, RectangleCoversItsDepthOnChosenRays) {
    // Device box x 1000..2000, y 100..600 (lateral 100..600, unmirrored).
    Fixture f;
    f.add(rect(3, 2, 1000, 100, 2000, 600));
    ASSERT_EQ(f.build(), kZoneListOk);
    // Entry 25 is 9.0 deg: step (7.9015, 1.2515) mm. x >= 1000 from c = 127 (1003.5; c = 126 gives 995.6),
    // x < 2000 up to c = 253 (1999.1); y stays inside 100..600 over that range.
    EXPECT_EQ(intervals(*f.def, 3, 25), (std::vector<Interval>{{kAlarmBit | 127, 253}}));
    // Entry 0 looks along y = 0, outside the box's lateral range.
    EXPECT_TRUE(intervals(*f.def, 3, 0).empty());
    // Entry 975 is 351 deg, the mirror image of entry 25: nothing there.
    EXPECT_TRUE(intervals(*f.def, 3, 975).empty());
    // Other zones stay empty.
    EXPECT_TRUE(intervals(*f.def, 2, 25).empty());
}

TEST(ZoneRaster, MirroringMovesTheRectangleToTheOtherSide) {
    Fixture f;
    f.add(rect(3, 2, 1000, 100, 2000, 600));
    ASSERT_EQ(f.build(true), kZoneListOk);
    EXPECT_TRUE(intervals(*f.def, 3, 25).empty());
    EXPECT_EQ(intervals(*f.def, 3, 975), (std::vector<Interval>{{kAlarmBit | 127, 253}}));
}

TEST(ZoneRaster, RectangleEdgesAreHalfOpen) {
    // Along y = 0 through a box x 1000..2000, y -500..500: the crossing test counts the
    // edge at x = 1000 only when it lies right of the point, so 8c = 1000 is inside and 2000 is not.
    Fixture f;
    f.add(rect(0, 2, 1000, -500, 2000, 500));
    ASSERT_EQ(f.build(), kZoneListOk);
    EXPECT_EQ(intervals(*f.def, 0, 0), (std::vector<Interval>{{kAlarmBit | 125, 249}}));
    EXPECT_TRUE(intervals(*f.def, 0, 500).empty());  // 180 deg, behind the scanner
}

TEST(ZoneRaster, EllipseIsRasterisedAsItsPolygon) {
    // Corners (2000, -500), (4000, 500): centre (3000, 0), radii 1000 and 500. Along y = 0 the
    // polygon's vertices 0 and 36 lie at x = 4000 and x = 2000: inside for 2000 <= 8c < 4000.
    Fixture f;
    f.add(ellipse(5, 1, 0, 3000, 1000, 2000));
    ASSERT_EQ(f.build(), kZoneListOk);
    EXPECT_EQ(intervals(*f.def, 5, 0), (std::vector<Interval>{{kWarningBit | 250, 499}}));
    EXPECT_TRUE(intervals(*f.def, 5, 250).empty());  // 90 deg passes beside it
}

TEST(ZoneRaster, SectorCoversItsAnglesBetweenItsRadii) {
    // Stored points (4330, 2500) at 30.002 deg and (500, 866) at 60.001 deg; radii 999.98 and 4999.89.
    Fixture f;
    f.add(sector(7, 0, 300, 600, 5000, 1000));
    ASSERT_EQ(f.build(), kZoneListOk);
    // 45 deg: 999.98 < 8c < 4999.89 gives c = 125 .. 624.
    const std::vector<Interval> inside{{kObservationBit | 125, 624}};
    EXPECT_EQ(intervals(*f.def, 7, 125), inside);
    EXPECT_EQ(intervals(*f.def, 7, 84), inside);     // 30.2 deg
    EXPECT_EQ(intervals(*f.def, 7, 166), inside);    // 59.7 deg
    EXPECT_TRUE(intervals(*f.def, 7, 83).empty());   // 29.8 deg
    EXPECT_TRUE(intervals(*f.def, 7, 167).empty());  // 60.1 deg
}

TEST(ZoneRaster, SectorAcrossZeroDegrees) {
    // 350 deg at 3000 mm -> (2954, -521); 10 deg at 500 mm -> (492, 87) at 10.03 deg.
    // Radii 499.63 and 2999.59: inside for c = 63 .. 374.
    Fixture f;
    f.add(sector(1, 2, 3500, 100, 3000, 500));
    ASSERT_EQ(f.build(), kZoneListOk);
    const std::vector<Interval> inside{{kAlarmBit | 63, 374}};
    EXPECT_EQ(intervals(*f.def, 1, 0), inside);
    EXPECT_EQ(intervals(*f.def, 1, 975), inside);    // 351.0 deg
    EXPECT_EQ(intervals(*f.def, 1, 28), inside);     // 10.0 deg
    EXPECT_TRUE(intervals(*f.def, 1, 29).empty());   // 10.4 deg
    EXPECT_TRUE(intervals(*f.def, 1, 970).empty());  // 349.2 deg
    EXPECT_TRUE(intervals(*f.def, 1, 500).empty());  // 180 deg
}

TEST(ZoneRaster, TouchingShapesOfOneKindMerge) {
    Fixture f;
    f.add(strip(0, 2, 1000, 2000));  // c 125 .. 249
    f.add(strip(0, 2, 2000, 3000));  // c 250 .. 374
    ASSERT_EQ(f.build(), kZoneListOk);
    EXPECT_EQ(intervals(*f.def, 0, 0), (std::vector<Interval>{{kAlarmBit | 125, 374}}));
}

TEST(ZoneRaster, OneStepGapSplitsTheInterval) {
    Fixture f;
    f.add(strip(0, 2, 1000, 2000));  // c 125 .. 249
    f.add(strip(0, 2, 2008, 3000));  // c 251 .. 374; c = 250 (2000 mm) is in neither
    ASSERT_EQ(f.build(), kZoneListOk);
    EXPECT_EQ(intervals(*f.def, 0, 0),
              (std::vector<Interval>{{kAlarmBit | 125, 249}, {kAlarmBit | 251, 374}}));
}

TEST(ZoneRaster, RunOfOneStepOpensItsIntervalButLeavesTheEndUnset) {
    // A strip 1000 <= forward < 1008 holds exactly one step of the ray along y = 0
    // (c = 125, 1000 mm): entering sets the start; the end only follows steps that
    // stay inside, so it remains 0.
    Fixture f;
    f.add(strip(0, 2, 1000, 1008));
    f.add(strip(0, 2, 2000, 2016));  // two steps: c = 250 and 251
    ASSERT_EQ(f.build(), kZoneListOk);
    EXPECT_EQ(intervals(*f.def, 0, 0), (std::vector<Interval>{{kAlarmBit | 125, 0}, {kAlarmBit | 250, 251}}));
}

TEST(ZoneRaster, ThreeIntervalsAtMostAlarmThenWarningThenObservation) {
    Fixture f;
    f.add(strip(4, 0, 504, 704));    // observation, nearest: c 63 .. 87
    f.add(strip(4, 1, 4000, 4200));  // warning: c 500 .. 524
    f.add(strip(4, 2, 1000, 1200));  // alarm: c 125 .. 149
    f.add(strip(4, 1, 3000, 3200));  // warning: c 375 .. 399
    f.add(strip(4, 2, 2000, 2200));  // alarm: c 250 .. 274
    ASSERT_EQ(f.build(), kZoneListOk);
    EXPECT_EQ(
        intervals(*f.def, 4, 0),
        (std::vector<Interval>{{kAlarmBit | 125, 149}, {kAlarmBit | 250, 274}, {kWarningBit | 375, 399}}));
}

TEST(ZoneRaster, KindsOverlapInSeparateIntervals) {
    Fixture f;
    f.add(strip(2, 0, 1000, 3000));  // observation c 125 .. 374
    f.add(strip(2, 2, 1000, 2000));  // alarm c 125 .. 249
    ASSERT_EQ(f.build(), kZoneListOk);
    EXPECT_EQ(intervals(*f.def, 2, 0),
              (std::vector<Interval>{{kAlarmBit | 125, 249}, {kObservationBit | 125, 374}}));
}

TEST(ZoneFilter, FilterOverTheStartRemovesTheWholeInterval) {
    Fixture f;
    f.add(strip(0, 2, 1000, 3000));                  // c 125 .. 374
    f.add(strip(0, 0, 800, 1600, ZoneShapeFilter));  // filter c 100 .. 199
    ASSERT_EQ(f.build(), kZoneListOk);
    EXPECT_TRUE(intervals(*f.def, 0, 0).empty());
}

TEST(ZoneFilter, FilterInsideTheIntervalCutsItAtTheFilterStart) {
    Fixture f;
    f.add(strip(0, 1, 1000, 3000));                   // c 125 .. 374
    f.add(strip(0, 2, 2000, 2400, ZoneShapeFilter));  // filter c 250 .. 299
    ASSERT_EQ(f.build(), kZoneListOk);
    EXPECT_EQ(intervals(*f.def, 0, 0), (std::vector<Interval>{{kWarningBit | 125, 250}}));
}

TEST(ZoneFilter, FilterBeforeTheIntervalLeavesIt) {
    Fixture f;
    f.add(strip(0, 2, 1000, 3000));                 // c 125 .. 374
    f.add(strip(0, 2, 200, 400, ZoneShapeFilter));  // filter c 25 .. 49
    ASSERT_EQ(f.build(), kZoneListOk);
    EXPECT_EQ(intervals(*f.def, 0, 0), (std::vector<Interval>{{kAlarmBit | 125, 374}}));
}

TEST(ZoneFilter, SecondFilterRunOnARayIsIgnored) {
    Fixture f;
    f.add(strip(0, 2, 1000, 3000));                  // c 125 .. 374
    f.add(strip(0, 2, 200, 400, ZoneShapeFilter));   // first filter run c 25 .. 49
    f.add(strip(0, 2, 800, 1600, ZoneShapeFilter));  // second run, would cover the start
    ASSERT_EQ(f.build(), kZoneListOk);
    EXPECT_EQ(intervals(*f.def, 0, 0), (std::vector<Interval>{{kAlarmBit | 125, 374}}));
}

TEST(ZoneFilter, FilterOfAnotherZoneHasNoEffect) {
    Fixture f;
    f.add(strip(0, 2, 1000, 3000));
    f.add(strip(1, 2, 800, 1600, ZoneShapeFilter));
    ASSERT_EQ(f.build(), kZoneListOk);
    EXPECT_EQ(intervals(*f.def, 0, 0), (std::vector<Interval>{{kAlarmBit | 125, 374}}));
    EXPECT_TRUE(intervals(*f.def, 1, 0).empty());
}

// ============================================================ slot capacity

TEST(ZoneSlotCapacity, RecordsPastTheSlotAreRefusedBeforePacking) {
    // Six 20-vertex polygons need 6 * 164 = 984 bytes, more than the 960 of a slot.
    Fixture f;
    std::vector<ZonePoint> pts;
    for (int i = 0; i < 20; ++i) pts.push_back({double(i), 1000.0 + i});
    for (int i = 0; i < 6; ++i) f.add(polygon(9, 2, pts));
    std::memset(f.def.get(), 0x5A, sizeof(ZoneDef));
    int bad = -1;
    EXPECT_EQ(zones_to_zonedef(*f.list, false, 0, *f.def, nullptr, &bad), kZoneListSlotOverflow);
    EXPECT_EQ(bad, 9);
    EXPECT_EQ(zone_list_check_text(kZoneListSlotOverflow, 9),
              "Zone ID:9:The number of alarm zones more than the maximum limit!");
    EXPECT_EQ(zone_list_check_text(kZoneListSlotOverflow, 11),
              "Zone ID:B:The number of alarm zones more than the maximum limit!");
    // Nothing was written.
    for (size_t i = 0; i < sizeof(ZoneDef); ++i) ASSERT_EQ(bytes(*f.def)[i], 0x5A);
}

TEST(ZoneSlotCapacity, ExactlyFullSlotIsPackedAndReadBack) {
    // Five 20-vertex polygons (5 * 164 = 820) and seven rectangles (7 * 20 = 140) fill 960 bytes.
    Fixture f;
    std::vector<ZonePoint> pts;
    for (int i = 0; i < 20; ++i) pts.push_back({double(10 * i), 20000.0 + i});
    for (int i = 0; i < 5; ++i) f.add(polygon(15, 0, pts));
    for (int i = 0; i < 7; ++i) f.add(rect(15, 0, 30000 + i, 10, 30001 + i, 20));
    ASSERT_EQ(f.build(), kZoneListOk);
    zones back;
    ASSERT_EQ(zonedef_to_zones(*f.def, false, back), 1);
    ASSERT_EQ(back.count, 12);
    EXPECT_EQ(back.entries[11].type, ZoneShapeRectangle);
    EXPECT_EQ(back.entries[11].points[1].first, 30007);
    // The table area right behind zone 15's records is untouched by them.
    EXPECT_EQ(u32At(bytes(*f.def) + 0x4000), 0u);
}

TEST(ZoneSlotCapacity, MalformedEntriesAreRefused) {
    Fixture f;
    f.add(strip(0, 2, 1000, 2000));
    f.list->entries[0].pointCount = 21;  // would read past the 20 pairs
    int bad = -1;
    EXPECT_EQ(f.build(false, nullptr), kZoneListBadEntry);
    EXPECT_EQ(check_zone_list(*f.list, &bad), kZoneListBadEntry);
    EXPECT_EQ(bad, 0);
    f.list->entries[0].pointCount = 4;
    f.list->entries[0].kind = 3;  // no kind bit above alarm
    EXPECT_EQ(f.build(), kZoneListBadEntry);
    f.list->entries[0].kind = 2;
    f.list->count = 65;
    EXPECT_EQ(f.build(), kZoneListBadCount);
}

// ============================================================ decoding

TEST(ZoneDecode, WriteThenReadReturnsTheEntries) {
    for (bool mirror : {false, true}) {
        Fixture f;
        f.add(polygon(0, 2, {{-300, 500}, {400, 600}, {100, 1500}}));
        f.add(rect(0, 1, 1000, -200, 1800, 350));
        f.add(ellipse(6, 0, 100, 3000, 400, 600));
        f.add(sector(6, 2, 300, 1200, 4000, 1500));
        f.add(strip(15, 1, 200, 400, ZoneShapeFilter));
        ASSERT_EQ(f.build(mirror), kZoneListOk);
        zones back;
        ASSERT_EQ(zonedef_to_zones(*f.def, mirror, back), 1);
        ASSERT_EQ(back.count, 5) << "mirror " << mirror;
        for (int i = 0; i < 5; ++i) {
            const ZoneEntry& a = f.list->entries[i];
            const ZoneEntry& b = back.entries[i];
            EXPECT_EQ(b.type, a.type);
            EXPECT_EQ(b.zoneId, a.zoneId);
            EXPECT_EQ(b.kind, a.kind);
            EXPECT_EQ(b.pointCount, a.pointCount);
            EXPECT_EQ(b.selected, 1);
            for (int p = 0; p < a.pointCount; ++p) {
                ZonePoint want = a.points[p];
                // Mirrored, a sector comes back with the distances of its stored points in
                // stored order: the near point is stored first.
                if (mirror && a.type == ZoneShapeSector && p == 1)
                    want = {a.points[1].second, a.points[1].first};
                EXPECT_EQ(b.points[p].first, want.first)
                    << "entry " << i << " pair " << p << " mirror " << mirror;
                EXPECT_EQ(b.points[p].second, want.second)
                    << "entry " << i << " pair " << p << " mirror " << mirror;
            }
        }
    }
}

TEST(ZoneDecode, DecodingWithTheOtherFlagMirrorsLaterals) {
    Fixture f;
    f.add(rect(2, 1, 1000, -200, 1800, 350));
    ASSERT_EQ(f.build(false), kZoneListOk);
    zones back;
    ASSERT_EQ(zonedef_to_zones(*f.def, true, back), 1);
    ASSERT_EQ(back.count, 1);
    EXPECT_EQ(back.entries[0].points[0].second, 200);
    EXPECT_EQ(back.entries[0].points[1].second, -350);
}

TEST(ZoneDecode, BadHeaderLeavesTheListEmpty) {
    Fixture f;
    f.add(rect(2, 1, 1000, -200, 1800, 350));
    ASSERT_EQ(f.build(), kZoneListOk);
    zones back;
    back.count = 3;
    f.def->version = 0x102;
    EXPECT_EQ(zonedef_to_zones(*f.def, false, back), -1);
    EXPECT_EQ(back.count, 0);
}

namespace {

// Writes a record header and `n` values by hand.
size_t putRecord(uint8_t* slot, size_t at, int type, int zone, int kind, int n, int32_t value = 7) {
    slot[at] = uint8_t(type);
    slot[at + 1] = uint8_t(zone);
    slot[at + 2] = uint8_t(kind);
    slot[at + 3] = uint8_t(n);
    for (int i = 0; i < n && at + 8 + 4 * i <= 960; ++i) std::memcpy(slot + at + 4 + 4 * i, &value, 4);
    return at + 4 + 4 * size_t(n);
}

}  // namespace

TEST(ZoneDecode, InvalidRecordEndsItsSlotButKeepsEarlierEntries) {
    auto def = std::make_unique<ZoneDef>();
    std::memset(def.get(), 0, sizeof(ZoneDef));
    size_t at = putRecord(def->records[0], 0, 2, 0, 1, 4);
    at = putRecord(def->records[0], at, 2, 0, 3, 4);  // kind 3: stop
    putRecord(def->records[0], at, 2, 0, 1, 4);
    putRecord(def->records[1], 0, 2, 1, 0, 4);
    zones out;
    EXPECT_EQ(set_graph(0, def->records[0], 960, false, out), 1);
    EXPECT_EQ(set_graph(1, def->records[1], 960, false, out), 1);
    EXPECT_EQ(out.count, 2);
    EXPECT_EQ(out.entries[1].zoneId, 1);
}

// Regression: a record naming zone 16 or above became an entry whose zone
// number the pages use as an index into their sixteen zones.
TEST(ZoneDecode, RecordWithAZoneNumberAboveFifteenEndsItsSlot) {
    auto def = std::make_unique<ZoneDef>();
    std::memset(def.get(), 0, sizeof(ZoneDef));
    size_t at = putRecord(def->records[2], 0, 2, 15, 1, 4);
    putRecord(def->records[2], at, 2, 0x20, 1, 4);
    zones out;
    EXPECT_EQ(set_graph(2, def->records[2], 960, false, out), 1);
    ASSERT_EQ(out.count, 1);
    EXPECT_EQ(out.entries[0].zoneId, 15);
}

TEST(ZoneDecode, RecordsThatWouldOverrunAreNotRead) {
    auto def = std::make_unique<ZoneDef>();
    std::memset(def.get(), 0, sizeof(ZoneDef));
    zones out;
    // A polygon of 21 vertices does not fit an entry's 20 pairs.
    putRecord(def->records[0], 0, 1, 0, 2, 42);
    EXPECT_EQ(set_graph(0, def->records[0], 960, false, out), 0);
    // A rectangle with two values would be read as four.
    std::memset(def->records[0], 0, 960);
    putRecord(def->records[0], 0, 2, 0, 2, 2);
    EXPECT_EQ(set_graph(0, def->records[0], 960, false, out), 0);
    // Values that end beyond the slot.
    std::memset(def->records[0], 0, 960);
    size_t at = 0;
    for (int i = 0; i < 47; ++i) at = putRecord(def->records[0], at, 2, 0, 0, 4);  // 940 bytes
    putRecord(def->records[0], at, 1, 0, 0, 6);                                    // 940 + 28 > 960
    EXPECT_EQ(set_graph(0, def->records[0], 960, false, out), 47);
    EXPECT_EQ(out.count, 47);
}

TEST(ZoneDecode, NeverMoreThanSixtyFourEntries) {
    // Sixteen slots of 48 rectangles each hold 768 valid records.
    auto def = std::make_unique<ZoneDef>();
    zones none;
    ASSERT_EQ(zones_to_zonedef(none, false, 0, *def), kZoneListOk);
    for (int k = 0; k < 16; ++k) {
        size_t at = 0;
        for (int i = 0; i < 48; ++i) at = putRecord(def->records[k], at, 2, k, 2, 4, 100 + i);
    }
    auto out = std::make_unique<zones>();
    ASSERT_EQ(zonedef_to_zones(*def, false, *out), 1);
    EXPECT_EQ(out->count, 64);
    EXPECT_EQ(out->entries[63].zoneId, 1);
    EXPECT_EQ(out->entries[63].points[0].first, 100 + 15);
}

// ============================================================ entry check

TEST(ZoneEntryCheck, RefusalsAndTheirTexts) {
    ZoneEntry zero = rect(0, 2, 0, 0, 0, 0);
    EXPECT_EQ(validate_zone_entry(zero, 0), ZoneEntryCheck::AllZero);
    EXPECT_EQ(zone_entry_check_text(ZoneEntryCheck::AllZero, 0, 0), "The current parameter cannot all zero!");

    ZoneEntry flat = sector(0, 2, 900, 900, 3000, 500);
    EXPECT_EQ(validate_zone_entry(flat, 0), ZoneEntryCheck::NotSector);
    EXPECT_EQ(zone_entry_check_text(ZoneEntryCheck::NotSector, 0, 0),
              "The current parameter cannot form a sector!");

    ZoneEntry nearZero = sector(0, 2, 100, 900, 3000, 5);
    EXPECT_EQ(validate_zone_entry(nearZero, 0), ZoneEntryCheck::NearTooSmall);
    EXPECT_EQ(zone_entry_check_text(ZoneEntryCheck::NearTooSmall, 0, 0),
              "The sector near distance  cannot be less than 10mm");

    ZoneEntry far = sector(11, 2, 100, 900, 4000, 500);
    EXPECT_EQ(validate_zone_entry(far, 4000), ZoneEntryCheck::TooFar);
    EXPECT_EQ(zone_entry_check_text(ZoneEntryCheck::TooFar, 4000, 11),
              "The drawing distance of the alarm zone exceeds 4000 mm, zone id 11");
    EXPECT_EQ(validate_zone_entry(far, 4001), ZoneEntryCheck::Ok);
    EXPECT_EQ(validate_zone_entry(far, 0), ZoneEntryCheck::Ok);

    ZoneEntry thin = rect(0, 2, 1000, 300, 1000, 800);
    EXPECT_EQ(validate_zone_entry(thin, 0), ZoneEntryCheck::NotRectangle);
    EXPECT_EQ(zone_entry_check_text(ZoneEntryCheck::NotRectangle, 0, 0),
              "The current parameter cannot form a rectangle!");

    // (3000, 4000) lies 5000 mm from the scanner.
    ZoneEntry wide = rect(0, 2, 1000, 300, 3000, 4000);
    EXPECT_EQ(validate_zone_entry(wide, 5000), ZoneEntryCheck::TooFar);
    EXPECT_EQ(validate_zone_entry(wide, 5001), ZoneEntryCheck::Ok);

    // Polygon limits are enforced while drawing, not here.
    ZoneEntry longStrip = strip(0, 2, 1000, 90000);
    EXPECT_EQ(validate_zone_entry(longStrip, 100), ZoneEntryCheck::Ok);
}

TEST(ZoneEntryCheck, SectorDistancesAreOrderedFarFirst) {
    ZoneEntry s = sector(0, 2, 100, 900, 500, 3000);
    EXPECT_EQ(validate_zone_entry(s, 0), ZoneEntryCheck::Ok);
    EXPECT_EQ(s.points[1].first, 3000);
    EXPECT_EQ(s.points[1].second, 500);
}

// ============================================================ request bodies

TEST(ZoneRequests, ReadAndWriteBodiesFollowTheWireLayout) {
    const std::vector<uint8_t> query = zone_read_request(0xFD009E21, 0);
    std::vector<uint8_t> want(32, 0);
    want[0] = 0x01;
    want[1] = 0x01;
    want[4] = 0x21;
    want[5] = 0x9E;
    want[6] = 0x00;
    want[7] = 0xFD;
    EXPECT_EQ(query, want);

    uint8_t data[600];
    for (int i = 0; i < 600; ++i) data[i] = uint8_t(i);
    const std::vector<uint8_t> piece = zone_write_request(0x400, 512, data, sizeof data);
    ASSERT_EQ(piece.size(), 524u);
    EXPECT_EQ(u32At(piece.data()), 0x101u);
    EXPECT_EQ(u32At(piece.data() + 4), 0x400u);
    EXPECT_EQ(u16At(piece.data() + 8), 512);
    EXPECT_EQ(u16At(piece.data() + 10), 0);
    EXPECT_EQ(0, std::memcmp(piece.data() + 12, data, 512));  // never more than 512 data bytes
}
