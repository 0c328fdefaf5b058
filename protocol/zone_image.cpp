#include "zone_image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "crc32.h"
#include "le_bytes.h"
#include "zone_raster.h"

namespace {

// ============================================================ helpers

// Nearest integer, halves away from zero.
int32_t roundI32(double v) {
    return zone_raster::clamp_to_i32(std::round(v));
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
                     int* badIndex, ZoneRasteriser rasteriser) {
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
        std::vector<zone_raster::Shape> shapes;
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
            shapes.push_back(zone_raster::make_shape(e, values));
        }
        if (shapes.empty()) continue;
        if (rasteriser == ZoneRasteriser::Reference)
            zone_raster::rasterise_slot_reference(shapes, out.tables[k]);
        else
            zone_raster::rasterise_slot_fast(shapes, out.tables[k]);
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

// ============================================================ one entry as stored

std::vector<int32_t> zone_entry_device_values(const ZoneEntry& entry, bool mirror) {
    return deviceValues(entry, mirror ? -1 : 1);
}
