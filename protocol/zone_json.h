#pragma once
// The zone list as JSON text, the form vantrel-cli reads and writes:
//
//   {"zones": [ENTRY, ...]}            at most 64 entries (a bare array is accepted too)
//   ENTRY = {"shape": S, "zone": Z, "kind": K, "points": [[a, b], ...]}
//   S  "polygon", "rectangle", "ellipse", "sector" or "filter"
//   Z  zone number 0..15
//   K  "observation", "warning" or "alarm"
//   points are the entry's pairs in drawing axes, lengths in mm, sector angles in 0.1 deg.
//
// Numbers are written so that reading them back gives the same doubles.

#include <string>

#include "zone_types.h"

// Parses a document into `out` (cleared first). On failure returns false with
// a one-line reason in `error` ("not valid JSON", "entry 3: ..."); `out` then
// holds the entries before the bad one. Entries are not checked against the
// drawing limits here: see validate_zone_entry().
bool zones_from_json(const std::string& text, zones& out, std::string& error);

// The list in the form above, one entry per line.
std::string zones_to_json(const zones& list);

// One entry in the form above, on one line.
std::string zone_entry_to_json(const ZoneEntry& entry);

// The names used in the text, by shape code (1..5) and kind (0..2); "unknown" for anything else.
const char* zone_shape_name(int type);
const char* zone_kind_name(int kind);
