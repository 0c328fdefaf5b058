// Time of building the zone image (records, rasterised tables, CRC). Each case
// times the fast rasteriser over its iterations and, once before them, the
// reference rasteriser on the same list, and checks the two images are equal:
//   reference_ms  the reference's CPU time for one image
//   fast_ms       the fast rasteriser's mean CPU time for one image
//   ratio         reference_ms / fast_ms
// CPU time of this thread, so that other work on a shared machine does not
// blur the ratio; the Time column is wall time per fast image.
// Targets: a full list (64 entries over 16 zones) in 20 ms or less; ratio 100 or more in every case.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "zone_image.h"
#include "zone_types.h"

namespace {

double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

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

// A 20-vertex polygon of radius `radius` mm round the point `dist` mm out at `dir` radians.
ZoneEntry roundPolygon(int zone, int kind, double dir, double dist, double radius) {
    ZoneEntry e;
    e.type = ZoneShapePolygon;
    e.zoneId = zone;
    e.kind = kind;
    e.pointCount = kMaxZonePoints;
    const double cx = dist * std::sin(dir), cy = dist * std::cos(dir);
    for (int v = 0; v < kMaxZonePoints; ++v) {
        const double a = 2 * M_PI * v / kMaxZonePoints;
        e.points[v] = {std::round(cx + radius * std::cos(a)), std::round(cy + radius * std::sin(a))};
    }
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
std::unique_ptr<zones> sixtyFourPolygons() {
    auto list = std::make_unique<zones>();
    for (int i = 0; i < kMaxZoneEntries; ++i)
        list->entries[i] =
            roundPolygon(i / 4, i % 3, 2 * M_PI * i / kMaxZoneEntries, 1500 + 1500 * (i % 4), 800);
    list->count = kMaxZoneEntries;
    return list;
}

// 64 entries over 16 zones, each zone the usual commissioning set: an alarm
// rectangle, a warning ellipse round it, an observation sector and a filter
// polygon over part of them. The ellipses (72 edges each) dominate.
std::unique_ptr<zones> sixtyFourMixed() {
    auto list = std::make_unique<zones>();
    for (int z = 0; z < kZoneCount; ++z) {
        const double w = 400 + 100 * z, d = 1000 + 150 * z;
        ZoneEntry* e = list->entries + 4 * z;
        e[0] = twoPairs(ZoneShapeRectangle, z, ZoneKindAlarm, 100, -w, d, w);
        e[1] = twoPairs(ZoneShapeEllipse, z, ZoneKindWarning, 0, d / 2, 3 * w, 1.5 * d);
        e[2] = twoPairs(ZoneShapeSector, z, ZoneKindObservation, 3000 + 10 * z, 600 + 10 * z, 3 * d, 200);
        e[3] = roundPolygon(z, ZoneKindAlarm, 0.3 * z, d, w / 2);
        e[3].type = ZoneShapeFilter;
    }
    list->count = kMaxZoneEntries;
    return list;
}

void run(benchmark::State& state, const zones& list) {
    auto fast = std::make_unique<ZoneDef>(), reference = std::make_unique<ZoneDef>();
    const double r0 = threadCpuMs();
    const int refStatus =
        zones_to_zonedef(list, false, 0, *reference, nullptr, nullptr, ZoneRasteriser::Reference);
    const double referenceMs = threadCpuMs() - r0;
    if (refStatus != kZoneListOk) return state.SkipWithError("list refused");

    double fastMs = 0;
    for (auto _ : state) {
        const double t0 = threadCpuMs();
        uint32_t crc = 0;
        zones_to_zonedef(list, false, 0, *fast, &crc);
        benchmark::DoNotOptimize(crc);
        fastMs += threadCpuMs() - t0;
    }
    if (std::memcmp(fast.get(), reference.get(), sizeof(ZoneDef)) != 0)
        return state.SkipWithError("the fast image differs from the reference image");
    fastMs /= double(state.iterations());
    state.counters["reference_ms"] = referenceMs;
    state.counters["fast_ms"] = fastMs;
    state.counters["ratio"] = referenceMs / fastMs;
}

void BM_ZonesToZoneDef_OneZoneThreeShapes(benchmark::State& state) {
    run(state, *oneZoneThreeShapes());
}

void BM_ZonesToZoneDef_SixtyFourPolygonsSixteenZones(benchmark::State& state) {
    run(state, *sixtyFourPolygons());
}

void BM_ZonesToZoneDef_SixtyFourMixedSixteenZones(benchmark::State& state) {
    run(state, *sixtyFourMixed());
}

}  // namespace

// Fixed iteration counts: the function runs once, so the slow reference is timed once per case.
BENCHMARK(BM_ZonesToZoneDef_OneZoneThreeShapes)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_ZonesToZoneDef_SixtyFourPolygonsSixteenZones)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_ZonesToZoneDef_SixtyFourMixedSixteenZones)->Unit(benchmark::kMillisecond)->Iterations(20);
