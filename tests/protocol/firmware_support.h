#pragma once
// Images for the firmware tests: a valid container around a payload of a
// given length, built field by field from the documented layout (not with the
// packer under test).

#include <cstdint>
#include <vector>

#include "crc32.h"
#include "le_bytes.h"

namespace firmware_test {

// Payload byte i is a fixed pattern, so every 512-byte piece differs.
inline std::vector<uint8_t> makeImage(uint32_t payloadLength) {
    std::vector<uint8_t> image(652 + payloadLength, 0);
    for (uint32_t i = 0; i < payloadLength; ++i)
        image[652 + i] = static_cast<uint8_t>((i * 7 + i / 512) & 0xFF);
    put_le32(image.data(), 0xB18E03EA);
    put_le32(image.data() + 4, payloadLength);
    put_le32(image.data() + 12, crc32_words(image.data() + 652, payloadLength / 4));
    return image;
}

}  // namespace firmware_test
