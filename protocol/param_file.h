#pragma once
// The "*.lidar" parameter file: a sequence of sections, each a 4-byte ASCII
// tag, a u32 length (little-endian) and that many bytes. Two are known:
// "zone" (the 212992-byte zone image) and "v101" (the 152-byte parameter block).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "eeprom.h"
#include "zone_types.h"

constexpr uint32_t kZoneImageSize = kZoneDefSize;  // 212992 bytes

struct ParamFileContents {
    std::optional<std::vector<uint8_t>> zoneImage;  // exactly kZoneImageSize bytes when present
    std::optional<EEpromV101> block;
};

// Writes the sections present, "zone" first, then "v101". zoneImage, when not
// null, points at kZoneImageSize bytes. Returns false when the file cannot be
// written completely (the error text then says why).
bool write_param_file(const std::string& path, const uint8_t* zoneImage, const EEpromV101* block,
                      std::string* errorText = nullptr);

// Reads a parameter file. Unknown sections are skipped; reading stops at the
// end of the file or at a short read. Returns nullopt when the file cannot be opened.
std::optional<ParamFileContents> read_param_file(const std::string& path);
