// The zone list file of `vantrel-cli zones encode|write|whatif` (JSON). The
// input is the file's text. A list that parses is printed and parsed again:
// the same list comes back, so a list read from a scanner and saved can be
// written again; every entry it holds is one the drawing checks can judge.

#include <memory>
#include <string>

#include "fuzz_entry.h"
#include "zone_image.h"
#include "zone_json.h"

VANTREL_FUZZ_TARGET(cli_zones) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    auto list = std::make_unique<zones>();
    std::string error;
    const bool parsed = zones_from_json(text, *list, error);
    FUZZ_CHECK(list->count >= 0 && list->count <= kMaxZoneEntries);
    if (!parsed) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    for (int i = 0; i < list->count; ++i) {
        ZoneEntry copy = list->entries[i];
        validate_zone_entry(copy, 0);
        FUZZ_CHECK(copy.pointCount >= 1 && copy.pointCount <= kMaxZonePoints);
    }

    const std::string printed = zones_to_json(*list);
    auto again = std::make_unique<zones>();
    FUZZ_CHECK(zones_from_json(printed, *again, error));
    FUZZ_CHECK(again->count == list->count);
    for (int i = 0; i < list->count; ++i) {
        const ZoneEntry& a = list->entries[i];
        const ZoneEntry& b = again->entries[i];
        FUZZ_CHECK(a.type == b.type && a.zoneId == b.zoneId && a.kind == b.kind);
        FUZZ_CHECK(a.pointCount == b.pointCount);
        for (int p = 0; p < a.pointCount; ++p)
            FUZZ_CHECK(a.points[p].first == b.points[p].first && a.points[p].second == b.points[p].second);
    }
    return 0;
}
