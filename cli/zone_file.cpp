#include "zone_file.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "cli_common.h"
#include "param_file.h"
#include "zone_image.h"
#include "zone_json.h"

namespace cli {

bool readWholeFile(const std::string& path, std::string& data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool endsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

int loadZoneList(const std::string& command, const std::string& path, zones& list) {
    std::string text, error;
    if (!readWholeFile(path, text)) return printError(command, "cannot read " + path), ExitUsage;
    if (!zones_from_json(text, list, error)) return printError(command, path + ": " + error), ExitUsage;
    for (int i = 0; i < list.count; ++i) {
        ZoneEntry& e = list.entries[i];
        const ZoneEntryCheck check = validate_zone_entry(e, 0);
        if (check != ZoneEntryCheck::Ok) {
            printError(command,
                       "entry " + std::to_string(i) + ": " + zone_entry_check_text(check, 0, e.zoneId));
            return ExitFailure;
        }
    }
    return ExitOk;
}

int loadZoneImageBytes(const std::string& command, const std::string& path, std::string& bytes) {
    if (endsWith(path, ".lidar")) {
        const auto contents = read_param_file(path);
        if (!contents) return printError(command, "cannot read " + path), ExitUsage;
        if (!contents->zoneImage) return printError(command, path + ": no \"zone\" section"), ExitFailure;
        bytes.assign(contents->zoneImage->begin(), contents->zoneImage->end());
    } else if (!readWholeFile(path, bytes)) {
        return printError(command, "cannot read " + path), ExitUsage;
    }
    if (bytes.size() != kZoneDefSize)
        return printError(command, path + ": not a zone image (" + std::to_string(bytes.size()) + " bytes)"),
               ExitFailure;
    return ExitOk;
}

bool isZoneImageFile(const std::string& path) {
    if (endsWith(path, ".lidar")) return true;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in || in.tellg() != std::streamoff(kZoneDefSize)) return false;
    in.seekg(0);
    char magic[4] = {};
    return in.read(magic, 4) && std::memcmp(magic, "PZNE", 4) == 0;
}

}  // namespace cli
