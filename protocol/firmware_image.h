#pragma once
// The firmware image container the scanner (and the algorithm box) accept over
// the network, and the packing of a raw file into it. All integers are
// little-endian:
//
//   0    u32 magic 0xB18E03EA
//   4    u32 payload length L, a non-zero multiple of 512
//   8    u32 (zero when we write it)
//   12   u32 crc32_words over the payload read as L / 4 words
//   16   636 bytes (zero when we write it)
//   652  L bytes payload
//
// Plain functions over byte buffers; no I/O except load_firmware_file().

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kFirmwareMagic = 0xB18E03EA;
constexpr size_t kFirmwareHeaderSize = 652;
constexpr size_t kFirmwareChunk = 512;
// Largest file we read as firmware: far above any scanner image, small enough
// that a wrong choice of file cannot exhaust memory.
constexpr size_t kMaxFirmwareFile = 64u * 1024u * 1024u;

enum class FirmwareImageCheck {
    Ok,
    TooShort,      // fewer than 652 bytes: no header
    BadMagic,      // bytes 0..3 are not 0xB18E03EA
    BadLength,     // L is zero or not a multiple of 512
    SizeMismatch,  // the file is not exactly L + 652 bytes
    BadCrc,        // the payload's CRC differs from bytes 12..15
};

struct FirmwareImageInfo {
    uint32_t length = 0;      // L as the header states it
    uint32_t storedCrc = 0;   // bytes 12..15
    uint32_t payloadCrc = 0;  // computed; only when the sizes agree
};

// Checks an image held in memory. `info` gets what could be read even when
// the check fails.
FirmwareImageCheck check_firmware_image(const uint8_t* data, size_t size, FirmwareImageInfo* info = nullptr);
inline FirmwareImageCheck check_firmware_image(const std::vector<uint8_t>& image,
                                               FirmwareImageInfo* info = nullptr) {
    return check_firmware_image(image.data(), image.size(), info);
}

// One line in English naming a failed check (for logs and the command-line tool).
const char* firmware_check_text(FirmwareImageCheck check);

// Packs `size` bytes into an image: L = size rounded up to a multiple of 512,
// the payload zero-padded to L, the CRC over it, the uninterpreted header
// fields zero. Result: L + 652 bytes; empty for an empty input (an image
// without payload is refused by every check, so none is ever made).
std::vector<uint8_t> pack_firmware_image(const uint8_t* data, size_t size);

// Reads a whole file (at most kMaxFirmwareFile bytes). False when it cannot be
// opened or read, or is larger than that.
bool load_firmware_file(const std::string& path, std::vector<uint8_t>& bytes);
