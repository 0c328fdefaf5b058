#pragma once
// One zone entry for tests: shape code, zone number, kind and its pairs of
// values in the entry's order (see zone_types.h).

#include <vector>

#include "zone_types.h"

namespace testsupport {

inline ZoneEntry zoneEntry(int type, int zone, int kind, const std::vector<ZonePoint>& points) {
    ZoneEntry e;
    e.type = type;
    e.zoneId = zone;
    e.kind = kind;
    for (size_t i = 0; i < points.size() && i < size_t(kMaxZonePoints); ++i) e.points[i] = points[i];
    e.pointCount = int(points.size());
    return e;
}

}  // namespace testsupport
