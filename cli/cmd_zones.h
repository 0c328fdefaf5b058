#pragma once
// The zone subcommand's pieces shared between its source files.

#include <string>

#include "zone_types.h"

namespace cli {

// Reads and checks a zone list file ({"zones": [...]}). ExitOk, or the exit
// status after one error line.
int loadZones(const std::string& inPath, zones& list);
// loadZones, then the check that a scanner can store the list.
int loadZonesToWrite(const std::string& path, zones& list);

// zones write --verify LINK FILE.json
int writeZonesVerified(const std::string& linkArg, const std::string& path);
// zones diff [--mirror] A B
int diffZones(const std::string& a, const std::string& b, bool mirror);

}  // namespace cli
