// The fast rasteriser against the reference, byte for byte over the whole
// image: hand-picked lists where boundaries meet the steps head on, and a
// bounded number of small random lists (the reference is slow);
// scripts/zone-equivalence N runs as many full-size lists as wanted.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <vector>

#include "zone_json.h"
#include "zone_random.h"
#include "zone_raster.h"

namespace {

std::string why(const zones& list, bool mirror, long diff) {
    if (diff == zonegen::kListRefused) return "list refused by the packer:\n" + zones_to_json(list);
    return "first difference at byte " + std::to_string(diff) + " (" + zonegen::describeOffset(diff) + ")" +
           (mirror ? ", mirrored" : "") + "; the list:\n" + zones_to_json(list);
}

ZoneEntry entry(int type, int zone, int kind, const std::vector<ZonePoint>& pts) {
    ZoneEntry e{type, zone, kind, {}, int(pts.size()), 0};
    std::copy(pts.begin(), pts.end(), e.points);
    return e;
}

// A drawing-axes vertex t mm out along the ray of table entry k and h mm to its left.
ZonePoint nearRay(int k, double t, double h) {
    const zone_raster::Ray r = zone_raster::table_ray(k);
    const double ux = r.ux / 8.0, uy = r.uy / 8.0;
    return {std::round(t * uy + h * ux), std::round(t * ux - h * uy)};
}

struct Case {
    const char* name;
    std::vector<ZoneEntry> entries;
};

// A drawing-axes vertex far out along the ray of table entry k, so close to
// it that every step's verdict on the edge from the scanner to it is decided
// by the rounding of the step point alone.
ZonePoint alongRay(int k) {
    const zone_raster::Ray r = zone_raster::table_ray(k);
    return {std::round(2e8 * r.uy), std::round(2e8 * r.ux)};
}

// Lists where a boundary meets the steps head on: these are the places a
// rounding slip would show first.
std::vector<Case> boundaryCases() {
    const double big = double(INT_MAX), huge = 4.0e9;
    return {
        {"edges on the 0, 90, 180 and 270 deg rays and on step multiples",
         {entry(ZoneShapePolygon, 0, 2, {{0, 0}, {0, 800}, {800, 800}, {800, 0}}),
          entry(ZoneShapePolygon, 0, 1, {{0, 0}, {-800, 0}, {-800, -800}, {0, -800}}),
          entry(ZoneShapeRectangle, 0, 0, {{-1600, 0}, {1600, 1600}})}},
        {"edges lying along 45 and 135 deg rays",
         {entry(ZoneShapePolygon, 1, 2, {{0, 0}, {4000, 4000}, {0, 8000}}),
          entry(ZoneShapePolygon, 1, 0, {{0, 0}, {-4000, 4000}, {-4000, 0}})}},
        {"slivers whose edges lie along table rays",
         {entry(ZoneShapePolygon, 6, 2, {{0, 0}, alongRay(77), alongRay(78)}),
          entry(ZoneShapePolygon, 6, 1, {{0, 0}, alongRay(333), alongRay(331)}),
          entry(ZoneShapeFilter, 6, 0, {{0, 0}, alongRay(640), alongRay(641)})}},
        {"needles crossing table rays at shallow angles",
         {entry(ZoneShapePolygon, 7, 2,
                {nearRay(352, 900, 2), nearRay(352, 60000, -2), nearRay(352, 30000, 40)}),
          entry(ZoneShapePolygon, 7, 1,
                {nearRay(101, -2000, -3), nearRay(101, 70000, 3), nearRay(101, 5000, 30)}),
          entry(ZoneShapePolygon, 7, 0,
                {nearRay(613, 500, 1), nearRay(613, 900000, -1), nearRay(614, 1000, 0)}),
          entry(ZoneShapeFilter, 7, 0,
                {nearRay(880, 3000, 1), nearRay(880, 50000, -1), nearRay(880, 9000, -20)})}},
        // Lattice points found by search: each long edge crosses table ray 137, 352, 555 or 871
        // about 40 m out at an angle near 1e-6 rad, so that for some hundred steps round the
        // crossing only the rounding of the step point decides the side.
        {"edges crossing table rays at angles near 1e-6 rad",
         {entry(ZoneShapePolygon, 8, 2, {{-121298, -104333}, {184066, 158322}, {0, 0}}),
          entry(ZoneShapePolygon, 9, 2, {{-128282, 95618}, {194580, -145035}, {0, 0}}),
          entry(ZoneShapePolygon, 10, 1, {{54198, 150541}, {-81528, -226453}, {0, 0}}),
          entry(ZoneShapeFilter, 11, 0, {{116054, -110131}, {-174817, 165895}, {0, 0}}),
          entry(ZoneShapeRectangle, 11, 0, {{0, 0}, {70000, 70000}})}},
        {"two-vertex and one-vertex polygons",
         {entry(ZoneShapePolygon, 2, 2, {{100, 100}, {3000, 5000}}),
          entry(ZoneShapePolygon, 2, 1, {{-3000, 7}}),
          entry(ZoneShapeFilter, 2, 0, {{5, 5}, {-7000, 9000}})}},
        {"shapes at the ends of the int32 range",
         {entry(ZoneShapeRectangle, 3, 2, {{-big, -big}, {big, big}}),
          entry(ZoneShapePolygon, 3, 1, {{-huge, 10}, {huge, 11}, {huge, 20000}, {-huge, 19999}}),
          entry(ZoneShapeEllipse, 3, 0, {{0, 0}, {huge, 3 * huge}})}},
        {"sectors across 0 deg and at the distance limit",
         {entry(ZoneShapeSector, 4, 2, {{3500, 100}, {65520, 65512}}),
          entry(ZoneShapeSector, 4, 1, {{0, 3600}, {70000, 10}}),
          entry(ZoneShapeSector, 4, 0, {{900, 2700}, {16, 10}})}},
        {"more than three runs and filters that clip",
         {entry(ZoneShapePolygon, 5, 0, {{-9000, 1000}, {9000, 1000}, {9000, 1008}, {-9000, 1008}}),
          entry(ZoneShapePolygon, 5, 0, {{-9000, 1024}, {9000, 1024}, {9000, 1040}, {-9000, 1040}}),
          entry(ZoneShapeRectangle, 5, 1, {{2000, -9000}, {3000, 9000}}),
          entry(ZoneShapeRectangle, 5, 2, {{4000, -9000}, {5000, 9000}}),
          entry(ZoneShapeFilter, 5, 2, {{-100, 900}, {100, 900}, {100, 4500}, {-100, 4500}}),
          entry(ZoneShapeFilter, 5, 1, {{-9000, 6000}, {9000, 6000}, {0, 7000}})}},
    };
}

}  // namespace

// Each case is its own CTest entry, so that the reference's time (about a
// second per 100 edges, much more on a busy machine) is spread over several time-outs.
class ZoneRasterBoundary : public testing::TestWithParam<size_t> {};

TEST_P(ZoneRasterBoundary, FastImageEqualsReferenceByteForByte) {
    const Case c = boundaryCases()[GetParam()];
    auto list = std::make_unique<zones>();
    for (const ZoneEntry& e : c.entries) list->entries[list->count++] = e;
    const long diff = zonegen::compareRasterisers(*list, false);
    EXPECT_EQ(diff, zonegen::kImagesEqual) << c.name << ": " << why(*list, false, diff);
}

INSTANTIATE_TEST_SUITE_P(Cases, ZoneRasterBoundary, testing::Range(size_t(0), boundaryCases().size()));

// Two small random lists per case.
class ZoneRasterRandom : public testing::TestWithParam<int> {};

TEST_P(ZoneRasterRandom, FastImageEqualsReferenceByteForByte) {
    zonegen::Limits limits;
    limits.maxZones = 2;
    limits.maxPerZone = 4;
    limits.edgeBudget = 60;
    for (int n = 0; n < 2; ++n) {
        const uint64_t seed = 1000 * uint64_t(GetParam()) + uint64_t(n);
        zonegen::Generator generator(seed);
        bool mirror = false;
        const auto list = generator.next(limits, mirror);
        ASSERT_GT(list->count, 0);
        const long diff = zonegen::compareRasterisers(*list, mirror);
        ASSERT_EQ(diff, zonegen::kImagesEqual) << "seed " << seed << ": " << why(*list, mirror, diff);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, ZoneRasterRandom, testing::Range(1, 7));
