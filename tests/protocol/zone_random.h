#pragma once
// Random zone lists for checking the fast rasteriser against the reference:
// every shape, both mirror flags, shapes that touch, overlap, cross 0 deg,
// sit on 8 mm step boundaries and on the axes, reach past the 65520 mm
// distance limit, degenerate polygons, edges lying along the rays (where
// the rounding of each step decides), filters over the other shapes, and now
// and then coordinates near the ends of the int32 range. Every entry passes
// the drawing checks and every zone's records fit their slot, so a list that
// shows a difference can be fed to `vantrel-cli zones encode` as it is.
//
// Header-only; used by the property test and by the zone_equivalence tool.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "zone_image.h"
#include "zone_raster.h"
#include "zone_types.h"

namespace zonegen {

struct Limits {
    int maxZones = 16;        // distinct zone numbers in one list
    int maxEntries = 64;      // entries in one list
    int maxPerZone = 8;       // entries sharing one zone number
    int edgeBudget = 100000;  // polygon edges per list (an ellipse counts 72); bounds the reference's time
};

class Generator {
public:
    explicit Generator(uint64_t seed) : m_rng(seed) {}

    // A list and its mirror flag.
    std::unique_ptr<zones> next(const Limits& limits, bool& mirror) {
        auto list = std::make_unique<zones>();
        mirror = chance(0.5);
        int edges = 0;
        std::vector<int> ids(16);
        for (int i = 0; i < 16; ++i) ids[size_t(i)] = i;
        std::shuffle(ids.begin(), ids.end(), m_rng);
        const int zoneCount = uniform(1, std::max(1, limits.maxZones));
        for (int z = 0; z < zoneCount && list->count < limits.maxEntries; ++z) {
            const int zone = ids[size_t(z)];
            m_centre = pickCentre();
            m_scale = pickScale();
            size_t used = 0;
            const int entries = uniform(1, limits.maxPerZone);
            ZoneEntry previous;
            for (int n = 0; n < entries && list->count < limits.maxEntries; ++n) {
                ZoneEntry e;
                for (int attempt = 0; attempt < 20; ++attempt) {
                    e = entry(zone, previous);
                    if (validate_zone_entry(e, 0) == ZoneEntryCheck::Ok) break;
                    e.type = 0;
                }
                if (e.type == 0) continue;
                const int cost = e.type == ZoneShapeEllipse ? 72 : (e.type == ZoneShapeSector ? 1 : 4);
                const int entryEdges =
                    (e.type == ZoneShapePolygon || e.type == ZoneShapeFilter) ? e.pointCount : cost;
                if (used + zone_record_size(e) > kZoneRecordSlotSize) break;
                if (edges + entryEdges > limits.edgeBudget) break;
                used += zone_record_size(e);
                edges += entryEdges;
                list->entries[list->count++] = e;
                previous = e;
            }
        }
        return list;
    }

private:
    struct Point {
        double x, y;  // drawing axes: lateral, forward
    };

    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(m_rng) < p; }
    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    double real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(m_rng); }

    // Values on the 8 mm step grid, whole millimetres, halves (rounding ties) or any fraction.
    double snap(double v) {
        switch (uniform(0, 3)) {
            case 0:
                return 8 * std::round(v / 8);
            case 1:
                return std::round(v);
            case 2:
                return std::round(v) + 0.5;
            default:
                return v;
        }
    }

    Point pickCentre() {
        switch (uniform(0, 5)) {
            case 0:
                return {0, 0};  // around the scanner
            case 1: {           // on an axis: shapes cross 0, 90, 180 or 270 deg
                const double d = real(200, 70000);
                const Point axes[] = {{0, d}, {d, 0}, {0, -d}, {-d, 0}};
                return axes[uniform(0, 3)];
            }
            case 2: {  // at the distance limit
                const double a = real(0, 2 * M_PI), d = real(64000, 67000);
                return {d * std::sin(a), d * std::cos(a)};
            }
            default: {
                const double a = real(0, 2 * M_PI), d = real(300, 30000);
                return {d * std::sin(a), d * std::cos(a)};
            }
        }
    }

    double pickScale() {
        switch (uniform(0, 9)) {
            case 0:
                return real(5, 100);  // tiny shapes, a step or a few wide
            case 1:
                return real(20000, 200000);  // shapes across the whole range
            case 2:
                return chance(0.5) ? 2.0e9 : 3.0e9;  // near and past the int32 range
            default:
                return real(200, 5000);
        }
    }

    Point around(double spread) {
        return {snap(m_centre.x + real(-spread, spread)), snap(m_centre.y + real(-spread, spread))};
    }

    ZoneEntry base(int type, int zone) {
        ZoneEntry e;
        e.type = type;
        e.zoneId = zone;
        e.kind = uniform(0, 2);
        e.pointCount = 2;
        return e;
    }

    ZoneEntry entry(int zone, const ZoneEntry& previous) {
        const int pick = uniform(0, 11);
        // Touching: a rectangle sharing the previous rectangle's far edge, same kind.
        if (pick == 0 && previous.type == ZoneShapeRectangle) {
            ZoneEntry e = previous;
            const double depth = snap(real(8, m_scale));
            e.points[0].first = previous.points[1].first;
            e.points[1].first = previous.points[1].first + depth;
            if (chance(0.3)) e.points[0].first += 8;  // a one-step gap instead
            return e;
        }
        if (pick <= 2) return rectangle(zone);
        if (pick <= 4) return ellipse(zone);
        if (pick <= 6) return sector(zone);
        if (pick <= 9) return polygon(zone, ZoneShapePolygon);
        return polygon(zone, ZoneShapeFilter);
    }

    ZoneEntry rectangle(int zone) {
        ZoneEntry e = base(ZoneShapeRectangle, zone);
        const Point a = around(m_scale), b = around(m_scale);
        // (Buttom, Left), (Top, Right): forward then lateral.
        e.points[0] = {a.y, a.x};
        e.points[1] = {b.y, b.x};
        if (chance(0.2)) e.points[0].second = 0;  // a side on the 0 deg ray
        if (chance(0.1)) e.points[0].first = 0;   // a side through the scanner
        return e;
    }

    ZoneEntry ellipse(int zone) {
        ZoneEntry e = base(ZoneShapeEllipse, zone);
        const Point c = around(m_scale);
        e.points[0] = {c.x, c.y};
        e.points[1] = {snap(real(1, 2 * m_scale)), snap(real(1, 2 * m_scale))};
        return e;
    }

    ZoneEntry sector(int zone) {
        ZoneEntry e = base(ZoneShapeSector, zone);
        const double grid[] = {0, 900, 1800, 2700, 3599, 3600};
        auto angle = [&] { return chance(0.3) ? grid[uniform(0, 5)] : std::round(real(0, 3600)); };
        e.points[0] = {angle(), angle()};
        const double limit = chance(0.3) ? 70000 : std::min(70000.0, std::max(100.0, m_scale * 4));
        e.points[1] = {snap(real(10, limit)), snap(real(10, limit))};
        return e;
    }

    ZoneEntry polygon(int zone, int type) {
        ZoneEntry e = base(type, zone);
        const int n = chance(0.1) ? uniform(1, 3) : uniform(3, kMaxZonePoints);
        e.pointCount = n;
        const int style = uniform(0, 5);
        const double r0 = m_scale;
        const zone_raster::Ray ray = zone_raster::table_ray(uniform(0, kZoneDirections - 1));
        const double ux = ray.ux / 8.0, uy = ray.uy / 8.0;  // unit vector of a table ray
        for (int i = 0; i < n; ++i) {
            Point p;
            if (style == 0) {  // star-shaped round the centre
                const double a = 2 * M_PI * i / n + real(-0.2, 0.2), r = real(0.2, 1.0) * r0;
                p = {snap(m_centre.x + r * std::sin(a)), snap(m_centre.y + r * std::cos(a))};
            } else if (style == 1) {  // anything, self-crossing included
                p = around(r0);
            } else if (style == 2) {  // axis-parallel staircase
                const Point q = around(r0);
                p = (i % 2 && i > 0) ? Point{e.points[i - 1].first, q.y}
                                     : Point{q.x, i ? e.points[i - 1].second : q.y};
            } else if (style == 3) {  // fan from the scanner: vertices on rays through the origin
                const double a = real(0, 2 * M_PI), r = real(0, 2 * r0);
                p = i == 0 ? Point{0, 0} : Point{snap(r * std::sin(a)), snap(r * std::cos(a))};
            } else if (style ==
                       4) {  // sliver: edges from the scanner along table rays; the farther the
                             // vertex, the closer the edge to the ray, the more steps only rounding decides
                const double far = std::pow(10.0, real(3, 9.3));
                p = i == 0 ? Point{0, 0} : Point{std::round(far * uy), std::round(far * ux)};
            } else {  // needles: vertices a little to either side of one table ray, so that the edges
                      // cross it at shallow angles somewhere along its length
                const double t = real(-5000, 75000) * (chance(0.2) ? 1000 : 1);
                const double h = std::pow(10.0, real(-1, 2)) * (i % 2 ? 1 : -1);
                p = {std::round(t * uy + h * ux), std::round(t * ux - h * uy)};
            }
            e.points[i] = {p.x, p.y};
        }
        return e;
    }

    std::mt19937_64 m_rng;
    Point m_centre{0, 0};
    double m_scale = 1000;
};

// Offset of the first byte where two images differ, -1 when they are equal.
// The CRC at 12..15 differs whenever anything after it does, so it comes last.
inline long firstDifference(const ZoneDef& a, const ZoneDef& b) {
    const auto* pa = reinterpret_cast<const uint8_t*>(&a);
    const auto* pb = reinterpret_cast<const uint8_t*>(&b);
    for (size_t i = 16; i < sizeof(ZoneDef); ++i)
        if (pa[i] != pb[i]) return long(i);
    for (size_t i = 0; i < 16; ++i)
        if (pa[i] != pb[i]) return long(i);
    return -1;
}

// Where an image offset lies, in words: "zone 3 table, direction entry 250 (90.0 deg)".
inline std::string describeOffset(long offset) {
    char text[96];
    const long tables = long(offsetof(ZoneDef, tables)), records = long(offsetof(ZoneDef, records));
    if (offset >= tables) {
        const long slot = (offset - tables) / long(kZoneTableSlotSize);
        const long entry = (offset - tables) % long(kZoneTableSlotSize) / long(kZoneTableEntrySize);
        std::snprintf(text, sizeof text, "zone %ld table, direction entry %ld (%.1f deg)", slot, entry,
                      double(entry * 36 / 10) / 10);
    } else if (offset >= records) {
        std::snprintf(text, sizeof text, "zone %ld records", (offset - records) / long(kZoneRecordSlotSize));
    } else {
        std::snprintf(text, sizeof text, "header byte %ld", offset);
    }
    return text;
}

constexpr long kImagesEqual = -1;
constexpr long kListRefused = -2;

// Builds the image both ways: the offset of the first difference, kImagesEqual,
// or kListRefused when the list cannot be packed (never for a generated list).
inline long compareRasterisers(const zones& list, bool mirror) {
    auto fast = std::make_unique<ZoneDef>(), reference = std::make_unique<ZoneDef>();
    const int a = zones_to_zonedef(list, mirror, 0x60000000, *fast, nullptr, nullptr, ZoneRasteriser::Fast);
    const int b =
        zones_to_zonedef(list, mirror, 0x60000000, *reference, nullptr, nullptr, ZoneRasteriser::Reference);
    if (a != kZoneListOk || b != kZoneListOk) return kListRefused;
    return firstDifference(*fast, *reference);
}

}  // namespace zonegen
