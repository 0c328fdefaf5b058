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

// Names of the zone shapes (by ZoneEntry::type, 1..5) and kinds (0..2).
extern const char* const kZoneShapeNames[6];
extern const char* const kZoneKindNames[3];

// A whole number prints as an integer, anything else as it is.
OrderedJson numberJson(double v);

// One zone entry in the input form of `zones encode`.
OrderedJson zoneEntryJson(const ZoneEntry& e);

// The zone list as {"zones": [...]}, one entry per line.
std::string zonesJson(const zones& z);

}  // namespace cli
