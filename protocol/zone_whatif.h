#pragma once
// "What if": a recorded walk-through evaluated against a zone image, the way
// the scanner evaluates its direction tables. For every revolution, zone and
// kind it counts the points inside an interval of that kind; a revolution
// triggers a zone kind when at least `minPoints` points fall inside, and an
// alarm is counted when `minRevolutions` revolutions in a row have triggered
// (once per such streak).
//
// A point (angle in radians, distance in metres, as decoded) is looked up in
// the table entry of its direction: the angle taken modulo 360 deg, entry k
// covering [k * 0.36, (k + 1) * 0.36) deg. It lies inside an interval
// (start, end) when 8 * start <= distance in mm <= 8 * end (start without its
// kind bit); an interval whose end is 0 (a run of one step) holds no point.
// The table is in the scanner's own angles, so a point's decoded angle is
// used as it is, with or without mirroring.
//
// Plain values, no Qt objects, no threads: a worker or the CLI runs it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "rawdata.h"
#include "stream_replay.h"
#include "zone_types.h"

constexpr int kWhatIfMinThreshold = 1;
constexpr int kWhatIfMaxThreshold = 1000;
constexpr int kWhatIfSectors = 36;  // histogram sectors of 10 deg, from 0 deg

struct WhatIfOptions {
    int minPoints = 1;       // F: points inside for a revolution to trigger (1..1000)
    int minRevolutions = 1;  // C: triggered revolutions in a row for an alarm (1..1000)
};

// A revolution by its index in the recording (0 = first complete revolution)
// and the time stamp of its first fan (0, 0 when the packets carry none).
struct WhatIfMoment {
    int revolution = -1;  // -1: never
    int32_t sec = 0;
    int32_t usec = 0;
};

// One zone number and kind: one row of the result table.
struct WhatIfRow {
    int zone = 0;
    int kind = 0;                           // 0 observation, 1 warning, 2 alarm
    int triggered = 0;                      // revolutions with at least minPoints inside
    std::vector<int> triggeredRevolutions;  // their indices, ascending
    int alarms = 0;                         // streaks of minRevolutions triggered revolutions
    WhatIfMoment firstTriggered;
    WhatIfMoment firstAlarm;                         // the revolution that completed the first streak
    uint64_t pointsInside = 0;                       // over all revolutions
    std::array<uint64_t, kWhatIfSectors> sectors{};  // pointsInside by direction
};

struct WhatIfResult {
    int revolutions = 0;          // complete revolutions evaluated
    std::vector<WhatIfRow> rows;  // by zone number, then kind (observation first)
};

// Accumulates revolutions against one image. Rows exist for every zone number
// and kind that has a shape record (filters aside) or an interval in the table.
class ZoneWhatIf {
public:
    ZoneWhatIf(const ZoneDef& image, const WhatIfOptions& options);

    void addRevolution(const Revolution& revolution);
    const WhatIfResult& result() const { return m_result; }

private:
    struct Interval {
        uint32_t fromMm;
        uint32_t toMm;
        int row;  // index into m_result.rows
    };
    std::vector<Interval> m_intervals;  // every zone's intervals, grouped by direction entry
    std::vector<uint32_t> m_offsets;    // direction entry k: m_intervals[m_offsets[k] .. m_offsets[k + 1])
    std::vector<int> m_streak;          // per row: triggered revolutions in a row so far
    std::vector<int> m_inside;          // per row: points inside in the current revolution
    std::vector<int64_t> m_lastPoint;   // per row: the last point counted, so overlaps count once
    int64_t m_pointSerial = 0;
    WhatIfOptions m_options;
    WhatIfResult m_result;
};

// Decodes a recording through the same replay path as playback and
// `vantrel-cli decode` and evaluates every complete revolution. `summary`,
// when given, receives the replay's counts. A zone list is turned into the
// image first with zones_to_zonedef() under the mirroring flag in use.
// Decoding a 50 MB recording takes seconds: not on the GUI thread.
WhatIfResult zone_whatif(const uint8_t* recording, size_t size, const ZoneDef& image,
                         const WhatIfOptions& options, ReplaySummary* summary = nullptr);
