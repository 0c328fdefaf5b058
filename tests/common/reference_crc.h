#pragma once
// The scanner family's CRC-32 computed bit by bit, independently of the
// program's table-driven crc32_words: each little-endian 32-bit word fed most
// significant bit first into a register starting at 0xFFFFFFFF, polynomial
// 0x04C11DB7, no reflection, no final XOR.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace testsupport {

inline uint32_t referenceCrc(const uint8_t* bytes, size_t words) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t w = 0; w < words; ++w) {
        const uint32_t word = uint32_t(bytes[4 * w]) | uint32_t(bytes[4 * w + 1]) << 8 |
                              uint32_t(bytes[4 * w + 2]) << 16 | uint32_t(bytes[4 * w + 3]) << 24;
        for (int bit = 31; bit >= 0; --bit) {
            const bool in = ((word >> bit) & 1u) != ((crc >> 31) & 1u);
            crc <<= 1;
            if (in) crc ^= 0x04C11DB7u;
        }
    }
    return crc;
}

inline uint32_t referenceCrc(const std::vector<uint8_t>& bytes, size_t words) {
    return referenceCrc(bytes.data(), words);
}

}  // namespace testsupport
