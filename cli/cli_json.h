#pragma once
// JSON forms shared by the subcommands, so that the same thing prints the
// same way wherever it appears (info, params show, zones decode).

#include <nlohmann/json.hpp>
#include <string>

#include "eeprom.h"
#include "zone_types.h"

namespace cli {

using OrderedJson = nlohmann::ordered_json;

// Every field of the parameter block (addresses as dotted text). On a UART
// link bytes 48..50 hold the baud rate: printed as "baud" instead of "ip".
OrderedJson blockJson(const EEpromV101& b, const std::string& linkType);

// One zone entry in the input form of `zones encode` (the zone list as a
// whole: zones_to_json() in zone_json.h).
OrderedJson zoneEntryJson(const ZoneEntry& e);

}  // namespace cli
