#pragma once
// CRC-32 as the scanner family computes it: polynomial 0x04C11DB7, initial
// register 0xFFFFFFFF, no reflection, no final XOR, fed one 32-bit word at a
// time most significant bit first. Words are read little-endian from memory,
// so the same bytes give the same CRC on any host.
//
// Used by command frames, the "AM" record, the zone image and firmware images.

#include <cstddef>
#include <cstdint>

// CRC over `count` little-endian u32 words starting at `words` (4 * count bytes).
uint32_t crc32_words(const void* words, size_t count);

// Continues a CRC over more words; crc32_words(p, n) == crc32_words_update(0xFFFFFFFF, p, n).
uint32_t crc32_words_update(uint32_t crc, const void* words, size_t count);
