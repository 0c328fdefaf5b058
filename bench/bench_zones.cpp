// Time of building the zone image (records, rasterised tables, CRC) with the
// reference rasteriser. Each iteration converts one complete list.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "zone_image.h"
#include "zone_types.h"

namespace {

ZoneEntry twoPairs(int type, int zone, int kind, double a, double b, double c, double d) {
    ZoneEntry e;
    e.type = type;
    e.zoneId = zone;
    e.kind = kind;
    e.points[0] = {a, b};
    e.points[1] = {c, d};
    e.pointCount = 2;
    return e;
}

// One zone made of a rectangle, an ellipse and a sector, one of each kind.
std::unique_ptr<zones> oneZoneThreeShapes() {
    auto list = std::make_unique<zones>();
    list->entries[0] = twoPairs(ZoneShapeRectangle, 0, ZoneKindAlarm, 500, -600, 1500, 600);
    list->entries[1] = twoPairs(ZoneShapeEllipse, 0, ZoneKindWarning, 0, 2000, 3000, 2000);
    list->entries[2] = twoPairs(ZoneShapeSector, 0, ZoneKindObservation, 2700, 900, 6000, 300);
    list->count = 3;
    return list;
}

// 64 entries over 16 zones (four each), every one a 20-vertex polygon of
// radius 800 mm at 1.5 .. 6 m, spread round the scanner.
std::unique_ptr<zones> fullList() {
    auto list = std::make_unique<zones>();
    for (int i = 0; i < kMaxZoneEntries; ++i) {
        ZoneEntry& e = list->entries[i];
        e.type = ZoneShapePolygon;
        e.zoneId = i / 4;
        e.kind = i % 3;
        e.pointCount = kMaxZonePoints;
        const double dir = 2 * M_PI * i / kMaxZoneEntries;
        const double dist = 1500 + 1500 * (i % 4);
        const double cx = dist * std::sin(dir), cy = dist * std::cos(dir);
        for (int v = 0; v < kMaxZonePoints; ++v) {
            const double a = 2 * M_PI * v / kMaxZonePoints;
            e.points[v] = {std::round(cx + 800 * std::cos(a)), std::round(cy + 800 * std::sin(a))};
        }
    }
    list->count = kMaxZoneEntries;
    return list;
}

void run(benchmark::State& state, const zones& list) {
    auto def = std::make_unique<ZoneDef>();
    for (auto _ : state) {
        uint32_t crc = 0;
        const int status = zones_to_zonedef(list, false, 0, *def, &crc);
        if (status != kZoneListOk) state.SkipWithError("list refused");
        benchmark::DoNotOptimize(crc);
    }
}

void BM_ZonesToZoneDef_OneZoneThreeShapes(benchmark::State& state) {
    run(state, *oneZoneThreeShapes());
}

void BM_ZonesToZoneDef_SixtyFourPolygonsSixteenZones(benchmark::State& state) {
    run(state, *fullList());
}

}  // namespace

BENCHMARK(BM_ZonesToZoneDef_OneZoneThreeShapes)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ZonesToZoneDef_SixtyFourPolygonsSixteenZones)->Unit(benchmark::kMillisecond)->Iterations(1);
