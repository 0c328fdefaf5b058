#include "zone_compare.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

#include "le_bytes.h"
#include "zone_image.h"

// ============================================================ images

bool zone_images_equal(const ZoneDef& a, const ZoneDef& b, ZoneImageDifference* diff) {
    const auto* base = reinterpret_cast<const uint8_t*>(&a);
    auto firstDifference = [](const uint8_t* x, const uint8_t* y, size_t n) -> size_t {
        const auto at = std::mismatch(x, x + n, y);
        return size_t(at.first - x);
    };
    for (int k = 0; k < kZoneCount; ++k) {
        size_t at = firstDifference(a.records[k], b.records[k], kZoneRecordSlotSize);
        bool inTable = false;
        const uint8_t* where = a.records[k];
        if (at == kZoneRecordSlotSize) {
            at = firstDifference(a.tables[k], b.tables[k], kZoneTableSlotSize);
            if (at == kZoneTableSlotSize) continue;
            inTable = true;
            where = a.tables[k];
        }
        if (diff) {
            diff->zone = k;
            diff->inTable = inTable;
            diff->offset = size_t(where - base) + at;
        }
        return false;
    }
    return true;
}

// ============================================================ capturing a write

ZoneWriteCapture::ZoneWriteCapture() : m_image(std::make_unique<ZoneDef>()), m_seen(kZonePieceCount, false) {
    reset();
}

ZoneWriteCapture::~ZoneWriteCapture() = default;

void ZoneWriteCapture::reset() {
    std::memset(m_image.get(), 0, sizeof(ZoneDef));
    std::fill(m_seen.begin(), m_seen.end(), false);
    m_pieces = 0;
    m_started = false;
}

void ZoneWriteCapture::add(const uint8_t* body, size_t len) {
    if (!body || len < kZoneReplyHeaderSize || le32(body) != kZoneVersion) return;
    const uint32_t offset = le32(body + 4);
    if (offset == kZoneErase) {
        reset();
        m_started = true;
        return;
    }
    const uint16_t length = le16(body + 8);
    if (!m_started || length != kZonePieceSize || offset % kZonePieceSize != 0 ||
        uint64_t(offset) + kZonePieceSize > kZoneDefSize || len < kZoneReplyHeaderSize + kZonePieceSize)
        return;
    std::memcpy(reinterpret_cast<uint8_t*>(m_image.get()) + offset, body + kZoneReplyHeaderSize,
                kZonePieceSize);
    const size_t piece = offset / kZonePieceSize;
    if (!m_seen[piece]) {
        m_seen[piece] = true;
        ++m_pieces;
    }
}

bool ZoneWriteCapture::complete() const {
    return m_started && m_pieces == kZonePieceCount;
}

// ============================================================ records

std::vector<ZoneRecord> zone_records_of_list(const zones& list, bool mirror) {
    std::vector<ZoneRecord> out;
    const int n = std::clamp(list.count, 0, kMaxZoneEntries);
    for (int i = 0; i < n; ++i) {
        const ZoneEntry& e = list.entries[i];
        out.push_back({e.zoneId, e.kind, e.type, zone_entry_device_values(e, mirror)});
    }
    return out;
}

std::vector<ZoneRecord> zone_records_of_image(const ZoneDef& def) {
    std::vector<ZoneRecord> out;
    for (int k = 0; k < kZoneCount; ++k) {
        // Decoding decides where a slot's valid records end; the values are
        // then read straight from the bytes, so nothing is rounded twice.
        auto decoded = std::make_unique<zones>();
        const int count = set_graph(k, def.records[k], kZoneRecordSlotSize, false, *decoded);
        size_t off = 0;
        for (int i = 0; i < count; ++i) {
            const uint8_t* r = def.records[k] + off;
            ZoneRecord rec{r[1], r[2], r[0], {}};
            for (int j = 0; j < r[3]; ++j) rec.values.push_back(int32_t(le32(r + 4 + 4 * j)));
            off += 4 + 4 * size_t(r[3]);
            out.push_back(std::move(rec));
        }
    }
    return out;
}

ZoneEntry zone_record_entry(const ZoneRecord& record, bool mirror) {
    // One record in a buffer of its own, decoded as an image slot is.
    std::vector<uint8_t> bytes(4 + 4 * record.values.size());
    bytes[0] = uint8_t(record.type);
    bytes[1] = uint8_t(record.zone);
    bytes[2] = uint8_t(record.kind);
    bytes[3] = uint8_t(record.values.size());
    for (size_t j = 0; j < record.values.size(); ++j)
        put_le32(bytes.data() + 4 + 4 * j, uint32_t(record.values[j]));
    auto decoded = std::make_unique<zones>();
    ZoneEntry entry;
    if (set_graph(record.zone, bytes.data(), bytes.size(), mirror, *decoded) == 1)
        entry = decoded->entries[0];
    entry.type = record.type;
    entry.zoneId = record.zone;
    entry.kind = record.kind;
    return entry;
}

std::vector<ZoneRecordDiff> diff_zone_records(const std::vector<ZoneRecord>& a,
                                              const std::vector<ZoneRecord>& b) {
    using Key = std::pair<int, int>;  // zone, kind
    std::map<Key, std::pair<std::vector<ZoneRecord>, std::vector<ZoneRecord>>> groups;
    for (const ZoneRecord& r : a) groups[{r.zone, r.kind}].first.push_back(r);
    for (const ZoneRecord& r : b) groups[{r.zone, r.kind}].second.push_back(r);

    std::vector<ZoneRecordDiff> out;
    for (auto& [key, sides] : groups) {
        std::vector<ZoneRecord>& left = sides.first;
        std::vector<ZoneRecord>& right = sides.second;
        // Equal records pair off whatever their order.
        for (auto it = left.begin(); it != left.end();) {
            const auto match = std::find(right.begin(), right.end(), *it);
            if (match == right.end()) {
                ++it;
                continue;
            }
            right.erase(match);
            it = left.erase(it);
        }
        ZoneRecordDiff d;
        d.zone = key.first;
        d.kind = key.second;
        // Of the rest, the same shape in list order counts as one shape changed.
        for (const ZoneRecord& r : left) {
            const auto same = std::find_if(right.begin(), right.end(),
                                           [&](const ZoneRecord& o) { return o.type == r.type; });
            if (same == right.end()) {
                d.onlyInA.push_back(r);
            } else {
                d.changed.emplace_back(r, *same);
                right.erase(same);
            }
        }
        d.onlyInB = right;
        if (!d.onlyInA.empty() || !d.onlyInB.empty() || !d.changed.empty()) out.push_back(std::move(d));
    }
    return out;
}
