#include "zone_whatif.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <utility>

#include "le_bytes.h"
#include "zone_image.h"

namespace {

constexpr double kTwoPi = 2 * M_PI;

int kindOfStart(uint16_t start) {
    if (start & 0x8000) return 2;
    if (start & 0x4000) return 1;
    return 0;
}

const uint8_t* tableEntry(const ZoneDef& image, int zone, int k) {
    return image.tables[zone] + size_t(k) * kZoneTableEntrySize;
}

WhatIfMoment momentOf(const Revolution& revolution, int index) {
    WhatIfMoment m;
    m.revolution = index;
    if (!revolution.empty()) {
        m.sec = revolution.front().stampSec;
        m.usec = revolution.front().stampUsec;
    }
    return m;
}

}  // namespace

ZoneWhatIf::ZoneWhatIf(const ZoneDef& image, const WhatIfOptions& options) : m_options(options) {
    // The zone kinds to report: those drawn (records) and those present in the tables.
    std::set<std::pair<int, int>> pairs;
    auto list = std::make_unique<zones>();
    if (zonedef_to_zones(image, false, *list) > 0)
        for (int i = 0; i < list->count; ++i) {
            const ZoneEntry& e = list->entries[i];
            if (e.type != ZoneShapeFilter && e.zoneId >= 0 && e.zoneId < kZoneCount && e.kind >= 0 &&
                e.kind <= 2)
                pairs.insert({e.zoneId, e.kind});
        }
    for (int z = 0; z < kZoneCount; ++z)
        for (int k = 0; k < kZoneDirections; ++k)
            for (int i = 0; i < 3; ++i) {
                const uint16_t start = le16(tableEntry(image, z, k) + 4 * i);
                if (start != 0) pairs.insert({z, kindOfStart(start)});
            }
    int rowOf[kZoneCount][3];
    for (const auto& [zone, kind] : pairs) {
        rowOf[zone][kind] = int(m_result.rows.size());
        WhatIfRow row;
        row.zone = zone;
        row.kind = kind;
        m_result.rows.push_back(row);
    }
    m_streak.assign(m_result.rows.size(), 0);
    m_inside.assign(m_result.rows.size(), 0);
    m_lastPoint.assign(m_result.rows.size(), -1);

    m_offsets.assign(kZoneDirections + 1, 0);
    for (int k = 0; k < kZoneDirections; ++k) {
        m_offsets[size_t(k)] = uint32_t(m_intervals.size());
        for (int z = 0; z < kZoneCount; ++z)
            for (int i = 0; i < 3; ++i) {
                const uint8_t* e = tableEntry(image, z, k) + 4 * i;
                const uint16_t start = le16(e), end = le16(e + 2);
                const uint32_t from = 8u * (start & 0x1FFFu), to = 8u * end;
                if (start == 0 || to < from) continue;  // unused, or a one-step run (end 0)
                m_intervals.push_back({from, to, rowOf[z][kindOfStart(start)]});
            }
    }
    m_offsets[kZoneDirections] = uint32_t(m_intervals.size());
}

void ZoneWhatIf::addRevolution(const Revolution& revolution) {
    const int index = m_result.revolutions++;
    std::fill(m_inside.begin(), m_inside.end(), 0);
    for (const RawData& fan : revolution) {
        const int count = std::min<int>(fan.count, kMaxFanPoints);
        for (int i = 0; i < count; ++i) {
            const double mm = double(fan.points[i].distance) * 1000;
            const double angle = fan.points[i].angle;
            if (!(mm > 0) || !std::isfinite(mm) || !std::isfinite(angle)) continue;
            double t = std::fmod(angle, kTwoPi);
            if (t < 0) t += kTwoPi;
            const int k = std::clamp(int(t * kZoneDirections / kTwoPi), 0, kZoneDirections - 1);
            const int sector = std::clamp(int(t * kWhatIfSectors / kTwoPi), 0, kWhatIfSectors - 1);
            ++m_pointSerial;
            for (uint32_t j = m_offsets[size_t(k)]; j < m_offsets[size_t(k) + 1]; ++j) {
                const Interval& in = m_intervals[j];
                if (mm < in.fromMm || mm > in.toMm) continue;
                // Overlapping intervals of one zone kind count a point once.
                if (m_lastPoint[size_t(in.row)] == m_pointSerial) continue;
                m_lastPoint[size_t(in.row)] = m_pointSerial;
                ++m_inside[size_t(in.row)];
                WhatIfRow& row = m_result.rows[size_t(in.row)];
                ++row.pointsInside;
                ++row.sectors[size_t(sector)];
            }
        }
    }
    for (size_t r = 0; r < m_result.rows.size(); ++r) {
        WhatIfRow& row = m_result.rows[r];
        if (m_inside[r] < m_options.minPoints) {
            m_streak[r] = 0;
            continue;
        }
        ++row.triggered;
        row.triggeredRevolutions.push_back(index);
        if (row.firstTriggered.revolution < 0) row.firstTriggered = momentOf(revolution, index);
        if (++m_streak[r] == m_options.minRevolutions) {
            ++row.alarms;
            if (row.firstAlarm.revolution < 0) row.firstAlarm = momentOf(revolution, index);
        }
    }
}

WhatIfResult zone_whatif(const uint8_t* recording, size_t size, const ZoneDef& image,
                         const WhatIfOptions& options, ReplaySummary* summary) {
    ZoneWhatIf whatIf(image, options);
    ReplaySink sink;
    sink.revolution = [&whatIf](const Revolution& revolution, float) { whatIf.addRevolution(revolution); };
    const ReplaySummary s = replay_stream(recording, size, sink);
    if (summary) *summary = s;
    return whatIf.result();
}
