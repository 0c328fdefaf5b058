// The zone list file of `vantrel-cli zones encode|write`. The input is the
// file's text. A list that parses is printed and parsed again: the same list
// comes back, so a list read from a scanner and saved can be written again.

#include <cstring>
#include <memory>
#include <string>

#include "fuzz_entry.h"
#include "zones_json.h"

VANTREL_FUZZ_TARGET(cli_zones) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    auto list = std::make_unique<zones>();
    std::string error;
    const cli::ZoneListParse parsed = cli::parse_zone_list(text, *list, error);
    FUZZ_CHECK((parsed == cli::ZoneListParse::Ok) == error.empty());
    if (parsed != cli::ZoneListParse::Ok) return 0;
    FUZZ_CHECK(list->count >= 0 && list->count <= kMaxZoneEntries);

    const std::string printed = cli::zone_list_json(*list);
    auto again = std::make_unique<zones>();
    FUZZ_CHECK(cli::parse_zone_list(printed, *again, error) == cli::ZoneListParse::Ok);
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
