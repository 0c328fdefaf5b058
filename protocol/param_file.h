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

// The careful reading an import needs: the same sections, but a file that
// could import something other than what it holds is refused whole.
enum class ParamFileStatus {
    Ok,
    CannotOpen,        // missing, unreadable or a directory
    Truncated,         // ends inside a section header or a section
    BadSectionLength,  // "zone" or "v101" with a length other than its content's
    NotParamFile,      // no known section, or a tag that is not text
    BadModelName,      // the block's type identifier is not text
};

// Reads `path` into `out` (cleared first). Unknown sections with text tags
// are skipped. On anything but Ok, `out` holds nothing.
ParamFileStatus load_param_file(const std::string& path, ParamFileContents& out);

// The operator's text for a status (English source text; the windowed
// program translates it in the context "ParamFile").
const char* param_file_status_text(ParamFileStatus status);
