#include "zone_image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "crc32.h"
#include "le_bytes.h"

namespace {

// ============================================================ helpers

// The device holds int32 values. Out-of-range or NaN doubles must not reach a
// float-to-int conversion (undefined behaviour), so they are clamped; the
// range is kept symmetric so that negating a stored value cannot overflow.
constexpr double kI32Max = std::numeric_limits<int32_t>::max();

int32_t clampToI32(double v) {
    if (std::isnan(v)) return 0;
    if (v >= kI32Max) return std::numeric_limits<int32_t>::max();
    if (v <= -kI32Max) return -std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(v);  // truncates toward zero
}

// Nearest integer, halves away from zero.
int32_t roundI32(double v) {
    return clampToI32(std::round(v));
}

int valueCount(const ZoneEntry& e) {
    return (e.type == ZoneShapePolygon || e.type == ZoneShapeFilter) ? 2 * e.pointCount : 4;
}

bool isPolygonType(int32_t type) {
    return type == ZoneShapePolygon || type == ZoneShapeFilter;
}

// ============================================================ entry -> device values

// The int32 values of one record in device axes (x forward, y = s * lateral).
std::vector<int32_t> deviceValues(const ZoneEntry& e, int s) {
    std::vector<int32_t> v;
    const ZonePoint* pt = e.points;
    switch (e.type) {
        case ZoneShapePolygon:
        case ZoneShapeFilter:
            for (int i = 0; i < e.pointCount; ++i) {
                v.push_back(roundI32(pt[i].second));
                v.push_back(roundI32(s * pt[i].first));
            }
            break;
        case ZoneShapeRectangle:
            v = {roundI32(pt[0].first), roundI32(s * pt[0].second), roundI32(pt[1].first),
                 roundI32(s * pt[1].second)};
            break;
        case ZoneShapeEllipse: {
            const double cx = pt[0].first, cy = pt[0].second, w = pt[1].first, h = pt[1].second;
            v = {roundI32(cy - h / 2), s * roundI32(cx - w / 2), roundI32(cy + h / 2),
                 s * roundI32(cx + w / 2)};
            break;
        }
        case ZoneShapeSector: {
            const double t1 = pt[0].first * M_PI / 1800, t2 = pt[0].second * M_PI / 1800;
            const double rFar = pt[1].first, rNear = pt[1].second;
            const int32_t p1x = roundI32(rFar * std::cos(t1)), p1y = roundI32(rFar * std::sin(t1));
            const int32_t p2x = roundI32(rNear * std::cos(t2)), p2y = roundI32(rNear * std::sin(t2));
            // Mirrored, the points swap so the sweep from first to second stays counter-clockwise.
            if (s > 0)
                v = {p1x, p1y, p2x, p2y};
            else
                v = {p2x, -p2y, p1x, -p1y};
            break;
        }
        default:
            break;
    }
    return v;
}

// ============================================================ rasterisation

constexpr double kPiRay = 3.14159265;     // ray directions and ellipse vertices
constexpr double kPiSector = 3.1415926;   // sector table directions
constexpr double kTwoPiWrap = 6.2831852;  // sector start/end angles moved into [0, 2 pi)
constexpr int kSteps = 8190;              // 8 mm steps along a ray: distances 8 .. 65520 mm
constexpr int kSectorDirections = 3600;

struct RasterShape {
    bool filter = false;
    int kind = 0;
    bool sector = false;
    std::vector<double> xs, ys;     // polygon vertices (device axes, integral values)
    std::vector<double> near, far;  // sector table, one pair per 0.1 deg
};

RasterShape rasterShape(const ZoneEntry& e, const std::vector<int32_t>& v) {
    RasterShape r;
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
                vertex(clampToI32(std::cos(a) * double(rx) + double(cx)),
                       clampToI32(std::sin(a) * double(ry) + double(cy)));
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

// Crossing-number test; an edge counts when it straddles py (half-open) and crosses right of px.
bool insidePolygon(const RasterShape& s, double px, double py) {
    const size_t n = s.xs.size();
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const double xi = s.xs[i], yi = s.ys[i], xj = s.xs[j], yj = s.ys[j];
        if ((yj <= py && py < yi) || (yi <= py && py < yj)) {
            if (xj + (xi - xj) * (py - yj) / (yi - yj) > px) inside = !inside;
        }
    }
    return inside;
}

bool insideShape(const RasterShape& s, int p, double px, double py, double d) {
    if (s.sector) return s.near[p] < d && d < s.far[p];
    if (s.xs.empty()) return false;
    return insidePolygon(s, px, py);
}

uint16_t kindBit(int kind) {
    return static_cast<uint16_t>(1u << (13 + kind));
}

int kindOfStart(uint16_t start) {
    if (start & 0x8000) return 2;
    if (start & 0x4000) return 1;
    return 0;
}

void rasteriseSlot(const std::vector<RasterShape>& shapes, uint8_t* table) {
    for (int k = 0; k < kZoneDirections; ++k) {
        const int p = k * 36 / 10;  // floor(k * 3.6), exactly
        const double theta = p * kPiRay / 1800;
        const float ux = static_cast<float>(8 * std::cos(theta));
        const float uy = static_cast<float>(8 * std::sin(theta));

        uint16_t start[3] = {0, 0, 0}, end[3] = {0, 0, 0};
        uint16_t filterStart = 0, filterEnd = 0;

        // Alarm first: when a ray crosses more than three runs, the most severe kinds keep their slots.
        for (int kind = 2; kind >= 0; --kind) {
            bool prevZone = false, prevFilter = false, filterOpen = false;
            int open = -1;
            for (int c = 1; c <= kSteps; ++c) {
                const float fx = static_cast<float>(c) * ux;
                const float fy = static_cast<float>(c) * uy;
                const double px = fx, py = fy, d = 8.0 * c;
                bool zoneHit = false, filterHit = false;
                for (const RasterShape& s : shapes) {
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
                            start[i] = static_cast<uint16_t>(c | kindBit(kind));
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

        if (filterStart != 0 || filterEnd != 0) {
            for (int i = 0; i < 3; ++i) {
                if (start[i] == 0) continue;
                const uint16_t bit = kindBit(kindOfStart(start[i]));
                const uint16_t e = static_cast<uint16_t>(filterEnd | bit);
                const uint16_t s = static_cast<uint16_t>(filterStart | bit);
                if (start[i] >= e) continue;
                if (start[i] >= s)
                    start[i] = 0;
                else if (end[i] > filterStart)
                    end[i] = filterStart;
            }
        }

        uint8_t* entry = table + size_t(k) * kZoneTableEntrySize;
        int out = 0;
        for (int i = 0; i < 3; ++i) {
            if (start[i] == 0) continue;
            put_le16(entry + 4 * out, start[i]);
            put_le16(entry + 4 * out + 2, end[i]);
            ++out;
        }
    }
}

}  // namespace

// ============================================================ entry check

ZoneEntryCheck validate_zone_entry(ZoneEntry& e, int maxDistance) {
    ZonePoint* pt = e.points;
    if (pt[0].first == 0 && pt[0].second == 0 && pt[1].first == 0 && pt[1].second == 0)
        return ZoneEntryCheck::AllZero;
    switch (e.type) {
        case ZoneShapeSector:
            if (pt[0].first == pt[0].second) return ZoneEntryCheck::NotSector;
            if (pt[1].first <= pt[1].second) std::swap(pt[1].first, pt[1].second);
            if (std::fabs(pt[1].second) < 10) return ZoneEntryCheck::NearTooSmall;
            if (maxDistance > 0 && std::fabs(pt[1].first) >= maxDistance) return ZoneEntryCheck::TooFar;
            return ZoneEntryCheck::Ok;
        case ZoneShapeRectangle:
        case ZoneShapeEllipse: {
            if (pt[0].first == pt[1].first || pt[0].second == pt[1].second)
                return ZoneEntryCheck::NotRectangle;
            if (maxDistance > 0) {
                const int n = std::clamp(e.pointCount, 0, kMaxZonePoints);
                for (int i = 0; i < n; ++i)
                    if (std::hypot(pt[i].first, pt[i].second) >= maxDistance) return ZoneEntryCheck::TooFar;
            }
            return ZoneEntryCheck::Ok;
        }
        default:
            return ZoneEntryCheck::Ok;
    }
}

std::string zone_entry_check_text(ZoneEntryCheck check, int maxDistance, int zoneId) {
    switch (check) {
        case ZoneEntryCheck::Ok:
            return {};
        case ZoneEntryCheck::AllZero:
            return "The current parameter cannot all zero!";
        case ZoneEntryCheck::NotSector:
            return "The current parameter cannot form a sector!";
        case ZoneEntryCheck::NearTooSmall:
            return "The sector near distance  cannot be less than 10mm";
        case ZoneEntryCheck::TooFar:
            return "The drawing distance of the alarm zone exceeds " + std::to_string(maxDistance) +
                   " mm, zone id " + std::to_string(zoneId);
        case ZoneEntryCheck::NotRectangle:
            return "The current parameter cannot form a rectangle!";
    }
    return {};
}

// ============================================================ packing limits

size_t zone_record_size(const ZoneEntry& entry) {
    return 4 + 4 * size_t(std::max(0, valueCount(entry)));
}

int check_zone_list(const zones& list, int* badIndex) {
    auto fail = [badIndex](int status, int index) {
        if (badIndex) *badIndex = index;
        return status;
    };
    if (list.count < 0 || list.count > kMaxZoneEntries) return fail(kZoneListBadCount, list.count);
    size_t used[kZoneCount] = {};
    for (int i = 0; i < list.count; ++i) {
        const ZoneEntry& e = list.entries[i];
        if (e.type < ZoneShapePolygon || e.type > ZoneShapeFilter) return fail(kZoneListBadEntry, i);
        if (e.kind < ZoneKindObservation || e.kind > ZoneKindAlarm) return fail(kZoneListBadEntry, i);
        // A polygon record without values would end decoding of its slot on read-back.
        if (isPolygonType(e.type) && (e.pointCount < 1 || e.pointCount > kMaxZonePoints))
            return fail(kZoneListBadEntry, i);
        if (e.zoneId < 0 || e.zoneId >= kZoneCount) continue;  // never packed, like any other slot-less entry
        used[e.zoneId] += zone_record_size(e);
    }
    // The records of one zone number must fit its slot: anything longer would run
    // into the next zone's records (or, for zone 15, into the tables).
    for (int k = 0; k < kZoneCount; ++k)
        if (used[k] > kZoneRecordSlotSize) return fail(kZoneListSlotOverflow, k);
    return kZoneListOk;
}

std::string zone_list_check_text(int status, int badIndex) {
    char buf[128];
    switch (status) {
        case kZoneListBadCount:
            std::snprintf(buf, sizeof buf, "zone list count %d outside 0..64", badIndex);
            return buf;
        case kZoneListBadEntry:
            std::snprintf(buf, sizeof buf, "zone entry %d has an unknown shape, kind or point count",
                          badIndex);
            return buf;
        case kZoneListSlotOverflow:
            std::snprintf(buf, sizeof buf,
                          "Zone ID:%X:The number of alarm zones more than the maximum limit!",
                          unsigned(badIndex));
            return buf;
        default:
            return {};
    }
}

// ============================================================ list -> image

uint32_t zonedef_crc(const ZoneDef& def) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&def);
    return crc32_words(bytes + 16, (kZoneDefSize - 16) / 4);
}

int zones_to_zonedef(const zones& list, bool mirror, uint32_t createdAt, ZoneDef& out, uint32_t* crcOut,
                     int* badIndex) {
    const int status = check_zone_list(list, badIndex);
    if (status != kZoneListOk) return status;
    const int s = mirror ? -1 : 1;

    std::memset(&out, 0, sizeof out);
    out.magic = kZoneMagic;
    out.version = kZoneVersion;
    out.size = kZoneDefSize;
    out.tableSize = kZoneTableAreaSize;
    out.createdAt = createdAt;

    for (int k = 0; k < kZoneCount; ++k) {
        uint8_t* slot = out.records[k];
        size_t used = 0;
        std::vector<RasterShape> shapes;
        for (int i = 0; i < list.count; ++i) {
            const ZoneEntry& e = list.entries[i];
            if (e.zoneId != k) continue;
            const std::vector<int32_t> values = deviceValues(e, s);
            // check_zone_list has proven the slot's records fit; the bound stays as the last guard.
            if (used < 952 && used + 4 + 4 * values.size() <= kZoneRecordSlotSize) {
                slot[used] = static_cast<uint8_t>(e.type);
                slot[used + 1] = static_cast<uint8_t>(k);
                slot[used + 2] = static_cast<uint8_t>(e.kind);
                slot[used + 3] = static_cast<uint8_t>(values.size());
                for (size_t j = 0; j < values.size(); ++j)
                    put_le32(slot + used + 4 + 4 * j, static_cast<uint32_t>(values[j]));
                used += 4 + 4 * values.size();
            }
            shapes.push_back(rasterShape(e, values));
        }
        if (!shapes.empty()) rasteriseSlot(shapes, out.tables[k]);
    }

    out.crc = zonedef_crc(out);
    if (crcOut) *crcOut = out.crc;
    return kZoneListOk;
}

// ============================================================ image -> list

bool zonedef_header_ok(const ZoneDef& def) {
    return def.magic == kZoneMagic && def.version == kZoneVersion && def.size == kZoneDefSize;
}

int set_graph(int slot, const uint8_t* data, size_t len, bool mirror, zones& out) {
    (void)slot;  // the zone number comes from each record
    const double s = mirror ? -1 : 1;
    int appended = 0;
    size_t off = 0;
    while (off + 4 <= len && out.count >= 0 && out.count < kMaxZoneEntries) {
        const uint8_t* r = data + off;
        const int type = r[0], zoneId = r[1], kind = r[2], n = r[3];
        if (type == 0 || type > ZoneShapeFilter || kind > ZoneKindAlarm || n < 2 || n % 2 != 0) break;
        // The pages index their sixteen zones by this number.
        if (zoneId >= kZoneCount) break;
        if (off + 4 + 4 * size_t(n) > len) break;
        // An entry holds at most 20 vertices, and the fixed shapes need four values.
        if (isPolygonType(type) && n > 2 * kMaxZonePoints) break;
        if (!isPolygonType(type) && n < 4) break;

        ZoneEntry& e = out.entries[out.count];
        e = ZoneEntry{};
        e.type = type;
        e.zoneId = zoneId;
        e.kind = kind;
        e.selected = 1;
        auto val = [r](int i) { return double(static_cast<int32_t>(le32(r + 4 + 4 * i))); };
        if (isPolygonType(type)) {
            for (int i = 0; i < n / 2; ++i) {
                e.points[i].first = s * val(2 * i + 1);
                e.points[i].second = val(2 * i);
            }
            e.pointCount = n / 2;
        } else {
            const double x1 = val(0), y1 = val(1), x2 = val(2), y2 = val(3);
            e.pointCount = 2;
            if (type == ZoneShapeRectangle) {
                e.points[0] = {x1, s * y1};
                e.points[1] = {x2, s * y2};
            } else if (type == ZoneShapeEllipse) {
                e.points[0] = {(s * y2 - s * y1) / 2 + s * y1, (x2 - x1) / 2 + x1};
                e.points[1] = {s * y2 - s * y1, x2 - x1};
            } else {
                const double r1 = std::round(std::sqrt(x1 * x1 + y1 * y1));
                const double r2 = std::round(std::sqrt(x2 * x2 + y2 * y2));
                const double m = std::round(std::atan2(y1, x1) / 6.2831853071796 * 3600);
                const double t = std::round(std::atan2(y2, x2) / 6.2831852 * 3600);
                double startA, endA;
                if (s > 0) {
                    startA = m < 0 ? m + 3600 : m;
                    endA = t < 0 ? t + 3600 : t;
                } else {
                    startA = t >= 0 ? 3600 - t : -t;
                    endA = m >= 0 ? 3600 - m : -m;
                }
                e.points[0] = {startA, endA};
                e.points[1] = {r1, r2};
            }
        }
        ++out.count;
        ++appended;
        off += 4 + 4 * size_t(n);
    }
    return appended;
}

int zonedef_to_zones(const ZoneDef& def, bool mirror, zones& out) {
    out.count = 0;
    if (!zonedef_header_ok(def)) return -1;
    for (int k = 0; k < kZoneCount; ++k) set_graph(k, def.records[k], kZoneRecordSlotSize, mirror, out);
    return 1;
}

// ============================================================ transfer bodies

std::vector<uint8_t> zone_read_request(uint32_t offset, uint32_t length) {
    std::vector<uint8_t> body(kZoneReadRequestSize, 0);
    put_le32(&body[0], kZoneVersion);
    put_le32(&body[4], offset);
    put_le32(&body[8], length);
    return body;
}

std::vector<uint8_t> zone_write_request(uint32_t offset, uint16_t length, const uint8_t* data,
                                        size_t dataLen) {
    std::vector<uint8_t> body(kZoneWriteRequestSize, 0);
    put_le32(&body[0], kZoneVersion);
    put_le32(&body[4], offset);
    put_le16(&body[8], length);
    if (data && dataLen) std::memcpy(&body[12], data, std::min(dataLen, kZonePieceSize));
    return body;
}
