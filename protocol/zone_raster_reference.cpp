// Shape preparation, the table entry writer and the reference rasteriser: a
// brute-force scan of every ray in 8 mm steps. It is slow on purpose (seconds
// for a full list) and stays as the oracle the fast rasteriser is held to.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "le_bytes.h"
#include "zone_raster.h"

namespace zone_raster {

Shape make_shape(const ZoneEntry& e, const std::vector<int32_t>& v) {
    Shape r;
    r.filter = e.type == ZoneShapeFilter;
    r.kind = e.kind;
    auto vertex = [&r](double x, double y) {
        r.xs.push_back(x);
        r.ys.push_back(y);
    };
    switch (e.type) {
        case ZoneShapePolygon:
        case ZoneShapeFilter:
            for (size_t i = 0; i + 1 < v.size(); i += 2) vertex(v[i], v[i + 1]);
            break;
        case ZoneShapeRectangle:
            vertex(v[0], v[1]);
            vertex(v[2], v[1]);
            vertex(v[2], v[3]);
            vertex(v[0], v[3]);
            break;
        case ZoneShapeEllipse: {
            // 64-bit sums: the corners may be anywhere in int32.
            const int64_t cx = (int64_t(v[0]) + v[2]) / 2, cy = (int64_t(v[1]) + v[3]) / 2;
            const int64_t rx = std::llabs(int64_t(v[2]) - v[0]) / 2,
                          ry = std::llabs(int64_t(v[3]) - v[1]) / 2;
            for (int i = 0; i < 72; ++i) {
                const double a = 2 * kPiRay * i / 72;
                vertex(clamp_to_i32(std::cos(a) * double(rx) + double(cx)),
                       clamp_to_i32(std::sin(a) * double(ry) + double(cy)));
            }
            break;
        }
        case ZoneShapeSector: {
            r.sector = true;
            double a1 = std::atan2(double(v[1]), double(v[0]));
            double a2 = std::atan2(double(v[3]), double(v[2]));
            if (a1 < 0) a1 += kTwoPiWrap;
            if (a2 < 0) a2 += kTwoPiWrap;
            const double d1 = std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1]);
            const double d2 = std::sqrt(double(v[2]) * v[2] + double(v[3]) * v[3]);
            const double nearD = std::min(d1, d2), farD = std::max(d1, d2);
            r.near.assign(kSectorDirections, 0.0);
            r.far.assign(kSectorDirections, 0.0);
            for (int j = 0; j < kSectorDirections; ++j) {
                const double h = j * kPiSector / 1800;
                const bool in = (a1 <= a2) ? (a1 < h && h < a2) : (h < a2 || h > a1);
                if (in) {
                    r.near[j] = nearD;
                    r.far[j] = farD;
                }
            }
            break;
        }
        default:
            break;
    }
    return r;
}

Ray table_ray(int k) {
    Ray r;
    r.p = k * 36 / 10;  // floor(k * 3.6), exactly
    const double theta = r.p * kPiRay / 1800;
    r.ux = static_cast<float>(8 * std::cos(theta));
    r.uy = static_cast<float>(8 * std::sin(theta));
    return r;
}

namespace {

int kindOfStart(uint16_t start) {
    if (start & 0x8000) return 2;
    if (start & 0x4000) return 1;
    return 0;
}

bool insidePolygon(const Shape& s, double px, double py) {
    const size_t n = s.xs.size();
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++)
        if (edge_counts(s.xs[i], s.ys[i], s.xs[j], s.ys[j], px, py)) inside = !inside;
    return inside;
}

bool insideShape(const Shape& s, int p, double px, double py, double d) {
    if (s.sector) return s.near[p] < d && d < s.far[p];
    if (s.xs.empty()) return false;
    return insidePolygon(s, px, py);
}

}  // namespace

void write_table_entry(uint16_t start[3], uint16_t end[3], uint16_t filterStart, uint16_t filterEnd,
                       uint8_t* entry) {
    if (filterStart != 0 || filterEnd != 0) {
        for (int i = 0; i < 3; ++i) {
            if (start[i] == 0) continue;
            const uint16_t bit = kind_bit(kindOfStart(start[i]));
            const uint16_t e = static_cast<uint16_t>(filterEnd | bit);
            const uint16_t s = static_cast<uint16_t>(filterStart | bit);
            if (start[i] >= e) continue;
            if (start[i] >= s)
                start[i] = 0;
            else if (end[i] > filterStart)
                end[i] = filterStart;
        }
    }
    int out = 0;
    for (int i = 0; i < 3; ++i) {
        if (start[i] == 0) continue;
        put_le16(entry + 4 * out, start[i]);
        put_le16(entry + 4 * out + 2, end[i]);
        ++out;
    }
}

void rasterise_slot_reference(const std::vector<Shape>& shapes, uint8_t* table) {
    for (int k = 0; k < kZoneDirections; ++k) {
        const Ray ray = table_ray(k);
        const int p = ray.p;

        uint16_t start[3] = {0, 0, 0}, end[3] = {0, 0, 0};
        uint16_t filterStart = 0, filterEnd = 0;

        // Alarm first: when a ray crosses more than three runs, the most severe kinds keep their slots.
        for (int kind = 2; kind >= 0; --kind) {
            bool prevZone = false, prevFilter = false, filterOpen = false;
            int open = -1;
            for (int c = 1; c <= kSteps; ++c) {
                const double px = step_x(ray, c), py = step_y(ray, c), d = 8.0 * c;
                bool zoneHit = false, filterHit = false;
                for (const Shape& s : shapes) {
                    if (s.filter) {
                        if (!filterHit && insideShape(s, p, px, py, d)) filterHit = true;
                    } else if (s.kind == kind) {
                        if (!zoneHit && insideShape(s, p, px, py, d)) zoneHit = true;
                    }
                }
                // Entering a run opens a slot; only the steps that stay inside
                // move its end, so a run of a single step keeps end 0.
                if (zoneHit && !prevZone) {
                    open = -1;
                    for (int i = 0; i < 3; ++i)
                        if (start[i] == 0) {
                            open = i;
                            start[i] = static_cast<uint16_t>(c | kind_bit(kind));
                            break;
                        }
                } else if (zoneHit && open >= 0) {
                    end[open] = static_cast<uint16_t>(c);
                }
                prevZone = zoneHit;
                // One filter interval per ray: a later filter run is ignored, and the
                // same run met again in the next kind's pass only re-checks the start.
                if (filterHit) {
                    if (!prevFilter) {
                        filterOpen = filterStart == 0;
                        if (filterOpen) filterStart = static_cast<uint16_t>(c);
                    }
                    if (filterOpen) filterEnd = static_cast<uint16_t>(c);
                }
                prevFilter = filterHit;
            }
        }

        write_table_entry(start, end, filterStart, filterEnd, table + size_t(k) * kZoneTableEntrySize);
    }
}

}  // namespace zone_raster
