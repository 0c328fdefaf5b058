#pragma once
// The zone list of vantrel-cli as JSON text (see `vantrel-cli zones --help`):
//
//   {"zones": [{"shape": S, "zone": Z, "kind": K, "points": [[a, b], ...]}, ...]}
//
// parse_zone_list reads a file's text into a `zones` record and applies the
// entry check the point-cloud page applies before a write; zone_list_json
// writes a list in the same form, so that its output parses back to the
// same list.

#include <string>

#include "zone_types.h"

namespace cli {

enum class ZoneListParse {
    Ok,
    Malformed,  // not JSON, or not a zone list of the documented form
    Refused,    // well-formed, but an entry fails the entry check
};

// On failure `error` names the entry and what is wrong with it; `out` is then
// unspecified.
ZoneListParse parse_zone_list(const std::string& text, zones& out, std::string& error);

// The list as JSON in the input form, one entry per line.
std::string zone_list_json(const zones& list);

}  // namespace cli
