#pragma once
// Zone files for the subcommands that read them: a zone list in JSON (see
// zone_json.h) or a zone image, raw (212992 bytes) or inside a ".lidar"
// parameter file. Each loader prints one error line for `command` and
// returns the exit status on failure, ExitOk on success.

#include <string>

#include "zone_types.h"

namespace cli {

bool readWholeFile(const std::string& path, std::string& data);

bool endsWith(const std::string& s, const std::string& suffix);

// A JSON zone list whose entries all pass the drawing checks. A file that
// cannot be read or parsed gives ExitUsage; an entry refused by the checks
// gives ExitFailure with the entry's message.
int loadZoneList(const std::string& command, const std::string& path, zones& list);

// The 212992 bytes of a zone image: the "zone" section of a ".lidar" file,
// or the file itself. The header is not checked here.
int loadZoneImageBytes(const std::string& command, const std::string& path, std::string& bytes);

// True when `path` holds a zone image rather than a zone list: a ".lidar"
// file, or exactly 212992 bytes starting with "PZNE".
bool isZoneImageFile(const std::string& path);

}  // namespace cli
