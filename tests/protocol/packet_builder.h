#pragma once
// Test-side builders of every packet family of the scanner stream, written
// from the wire tables alone: little-endian fields, 16-bit wrap-around sums,
// and a bit-by-bit CRC of our own. Nothing here calls the decoder.

#include <cstdint>
#include <string>
#include <vector>

namespace pb {

using Bytes = std::vector<uint8_t>;

inline void put8(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
}
inline void put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
inline uint16_t get16(const Bytes& b, size_t at) {
    return uint16_t(b[at] | (b[at + 1] << 8));
}

inline Bytes& append(Bytes& to, const Bytes& from) {
    to.insert(to.end(), from.begin(), from.end());
    return to;
}
inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) append(out, p);
    return out;
}

// Adds 1 to the trailing u16 checksum, so the packet no longer verifies.
inline Bytes corruptChecksum(Bytes b) {
    const uint16_t v = uint16_t(get16(b, b.size() - 2) + 1);
    b[b.size() - 2] = uint8_t(v);
    b[b.size() - 1] = uint8_t(v >> 8);
    return b;
}

// Sum of the u16 words of b[from, to).
inline uint32_t wordSum(const Bytes& b, size_t from, size_t to) {
    uint32_t s = 0;
    for (size_t i = from; i + 2 <= to; i += 2) s += get16(b, i);
    return s;
}

// ------------------------------------------------------------- single-packet fans

// 0xFACE: magic, N, S, N x (u8 energy, u16 mm), u16 sum(N, S, energies, distances).
inline Bytes fanCE(uint16_t start, const std::vector<uint16_t>& mm, const std::vector<uint8_t>& energy) {
    Bytes b{0xCE, 0xFA};
    const uint16_t n = uint16_t(mm.size());
    put16(b, n);
    put16(b, start);
    uint32_t sum = n + start;
    for (size_t i = 0; i < mm.size(); ++i) {
        put8(b, energy[i]);
        put16(b, mm[i]);
        sum += energy[i] + mm[i];
    }
    put16(b, sum & 0xFFFF);
    return b;
}

// 0xFACF: magic, N, S, span, N x (u8 energy, u16 mm), u16 sum(N, S, span, points).
inline Bytes fanCF(uint16_t start, uint16_t span, const std::vector<uint16_t>& mm,
                   const std::vector<uint8_t>& energy) {
    Bytes b{0xCF, 0xFA};
    const uint16_t n = uint16_t(mm.size());
    put16(b, n);
    put16(b, start);
    put16(b, span);
    uint32_t sum = n + start + span;
    for (size_t i = 0; i < mm.size(); ++i) {
        put8(b, energy[i]);
        put16(b, mm[i]);
        sum += energy[i] + mm[i];
    }
    put16(b, sum & 0xFFFF);
    return b;
}

// A 0xFACF fan with n points of constant distance and energy.
inline Bytes fanCFn(uint16_t start, uint16_t span, int n, uint16_t mm = 1000, uint8_t energy = 7) {
    return fanCF(start, span, std::vector<uint16_t>(size_t(n), mm), std::vector<uint8_t>(size_t(n), energy));
}

// 0xFADF: 16-byte header (N, S, span, w8, first 0.01 deg, last 0.01 deg, w14), 3-byte points.
inline Bytes fanDF(uint16_t start, uint16_t span, uint16_t first, uint16_t last,
                   const std::vector<uint16_t>& mm, const std::vector<uint8_t>& energy, uint16_t w8 = 0x1234,
                   uint16_t w14 = 0x5678) {
    Bytes b{0xDF, 0xFA};
    put16(b, uint16_t(mm.size()));
    put16(b, start);
    put16(b, span);
    put16(b, w8);
    put16(b, first);
    put16(b, last);
    put16(b, w14);
    uint32_t sum = wordSum(b, 2, 16);
    for (size_t i = 0; i < mm.size(); ++i) {
        put8(b, energy[i]);
        put16(b, mm[i]);
        sum += energy[i] + mm[i];
    }
    put16(b, sum & 0xFFFF);
    return b;
}

// 0xFA9D: magic, N, S, span, N x u16 mm, u16 sum(N, S, span, distances).
inline Bytes fan9D(uint16_t start, uint16_t span, const std::vector<uint16_t>& mm) {
    Bytes b{0x9D, 0xFA};
    const uint16_t n = uint16_t(mm.size());
    put16(b, n);
    put16(b, start);
    put16(b, span);
    uint32_t sum = n + start + span;
    for (uint16_t d : mm) {
        put16(b, d);
        sum += d;
    }
    put16(b, sum & 0xFFFF);
    return b;
}

// 0xFA99: 32-byte header (N, first index, points per revolution, 4 bytes,
// device ms within the hour at 12, 16 bytes), N x u16 mm, N x u8 energy, 2 unchecked bytes.
inline Bytes fan99(uint16_t index, uint16_t perRev, uint32_t deviceMs, const std::vector<uint16_t>& mm,
                   const std::vector<uint8_t>& energy) {
    Bytes b{0x99, 0xFA};
    put16(b, uint16_t(mm.size()));
    put16(b, index);
    put16(b, perRev);
    put32(b, 0xA1A2A3A4);
    put32(b, deviceMs);
    for (int i = 0; i < 16; ++i) put8(b, 0x40 + i);
    for (uint16_t d : mm) put16(b, d);
    for (uint8_t e : energy) put8(b, e);
    put16(b, 0xBEEF);  // never checked
    return b;
}

// ------------------------------------------------------------- segments

struct Segment {
    uint16_t total = 0;       // points of the whole fan
    uint16_t index = 0;       // segment index
    uint32_t startMilli = 0;  // segment start angle, 0.001 deg
    uint32_t endMilli = 0;    // fan end angle, 0.001 deg
    uint32_t word16 = 0;      // device word (bytes 16..19)
    uint32_t word20 = 0;      // 0xFAAA: fan seconds; 0xFAC7: device ms within the hour
    uint32_t word24 = 0;      // 0xFAAA: nanoseconds
    std::vector<uint16_t> mm;
    std::vector<uint16_t> offsetMilli;
    std::vector<uint8_t> energy;
};

// A segment with n points, distances base+i, offsets i*step, energies i.
inline Segment makeSegment(uint16_t total, uint16_t index, uint32_t startMilli, uint32_t endMilli, int n,
                           uint16_t baseMm = 2000, uint16_t stepMilli = 100) {
    Segment s;
    s.total = total;
    s.index = index;
    s.startMilli = startMilli;
    s.endMilli = endMilli;
    for (int i = 0; i < n; ++i) {
        s.mm.push_back(uint16_t(baseMm + i));
        s.offsetMilli.push_back(uint16_t(i * stepMilli));
        s.energy.push_back(uint8_t(i));
    }
    return s;
}

inline Bytes segmentPacket(uint8_t magic, int headerSize, const Segment& s) {
    Bytes b{magic, 0xFA};
    put16(b, uint16_t(s.mm.size()));
    put16(b, s.total);
    put16(b, s.index);
    put32(b, s.startMilli);
    put32(b, s.endMilli);
    put32(b, s.word16);
    put32(b, s.word20);
    put32(b, s.word24);
    while (int(b.size()) < headerSize) put8(b, 0x30 + b.size());
    uint32_t sum = wordSum(b, 2, size_t(headerSize));
    for (uint16_t d : s.mm) {
        put16(b, d);
        sum += d;
    }
    for (uint16_t o : s.offsetMilli) {
        put16(b, o);
        sum += o;
    }
    for (uint8_t e : s.energy) {
        put8(b, e);
        sum += e;
    }
    put16(b, sum & 0xFFFF);
    return b;
}

inline Bytes segAA(const Segment& s) {
    return segmentPacket(0xAA, 48, s);
}
inline Bytes segC7(const Segment& s) {
    return segmentPacket(0xC7, 28, s);
}

// ------------------------------------------------------------- legacy

// Legacy 0xFACE: magic, N, S, N x u16 point word, u16 sum(S, N, words).
inline Bytes legacyCE(uint16_t start, const std::vector<uint16_t>& words) {
    Bytes b{0xCE, 0xFA};
    const uint16_t n = uint16_t(words.size());
    put16(b, n);
    put16(b, start);
    uint32_t sum = n + start;
    for (uint16_t w : words) {
        put16(b, w);
        sum += w;
    }
    put16(b, sum & 0xFFFF);
    return b;
}

// ------------------------------------------------------------- other messages

inline Bytes status(uint8_t flags) {
    return Bytes{'S', 'T', flags, 0, 0, 0, 'E', 'D'};
}

inline Bytes lmsg(uint8_t fill = 0x11) {
    Bytes b{'L', 'M', 'S', 'G'};
    while (b.size() < 128) b.push_back(uint8_t(fill + b.size()));
    return b;
}

// CRC-32, polynomial 0x04C11DB7, register 0xFFFFFFFF, no reflection, no final
// XOR, over little-endian u32 words fed most significant bit first.
inline uint32_t crcWords(const Bytes& b, size_t at, size_t words) {
    uint32_t crc = 0xFFFFFFFF;
    for (size_t w = 0; w < words; ++w) {
        const size_t o = at + 4 * w;
        const uint32_t word =
            uint32_t(b[o]) | uint32_t(b[o + 1]) << 8 | uint32_t(b[o + 2]) << 16 | uint32_t(b[o + 3]) << 24;
        for (int bit = 31; bit >= 0; --bit) {
            const bool in = ((word >> bit) & 1) != 0;
            const bool top = (crc & 0x80000000u) != 0;
            crc <<= 1;
            if (in != top) crc ^= 0x04C11DB7u;
        }
    }
    return crc;
}

// 'L','H', code (2 bytes), sn, len, payload, 4 CRC bytes.
inline Bytes lhReply(uint8_t code2, uint8_t code3, uint16_t sn, const Bytes& payload) {
    Bytes b{'L', 'H', code2, code3};
    put16(b, sn);
    put16(b, uint16_t(payload.size()));
    append(b, payload);
    // The frame CRC over header and body; a body not padded to whole words
    // gets a filler (such replies are taken unchecked).
    put32(b, payload.size() % 4 == 0 ? crcWords(b, 0, b.size() / 4) : 0xC0FFEE00);
    return b;
}

inline Bytes textReply(uint16_t sn, const std::string& text) {
    return lhReply(0xBC, 0xFF, sn, Bytes(text.begin(), text.end()));
}

// Parameter-block reply: 8-byte header, 152-byte block, 4-byte CRC = 164.
inline Bytes paramReply(uint16_t sn) {
    Bytes block;
    for (int i = 0; i < 152; ++i) block.push_back(uint8_t(i * 3 + 1));
    return lhReply(0xAC, 0xB8, sn, block);
}

// Keep-alive reply: 44 bytes in all.
inline Bytes keepAliveReply(uint16_t sn) {
    return lhReply(0xBE, 0xB4, sn, Bytes(32, 0x5A));
}

// "AM" record: 7 u32 words (the first holding 'A','M') and their CRC.
inline Bytes amRecord(uint32_t fault = 0x0000000F, uint32_t zone = 0x00000003) {
    Bytes b{'A', 'M', 0x01, 0x02};
    put32(b, 0x11111111);
    b.push_back(0);   // byte 8
    put32(b, fault);  // bytes 9..12
    put32(b, zone);   // bytes 13..16
    while (b.size() < 28) b.push_back(uint8_t(b.size()));
    put32(b, crcWords(b, 0, 7));
    return b;
}

inline Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// One turn of ten 36-degree 0xFACF fans, 36 points each (one per degree), all
// at 5000 mm except, when targetMm > 0, a target's five points at 3..7 deg.
inline Bytes targetTurn(int targetMm) {
    Bytes b;
    for (int s = 0; s < 3600; s += 360) {
        std::vector<uint16_t> mm(36, 5000);
        if (s == 0 && targetMm > 0)
            for (int deg = 3; deg <= 7; ++deg) mm[size_t(deg)] = uint16_t(targetMm);
        append(b, fanCF(uint16_t(s), 360, mm, std::vector<uint8_t>(36, 9)));
    }
    return b;
}

// A target walking through the scan: two empty turns, then one turn per
// distance. Revolution k (boundary 180 deg) closes with the fans 0..144 deg of
// turn k + 2; the first turn calibrates and the rest of the second is incomplete.
inline Bytes targetWalk(const std::vector<int>& targetMm) {
    Bytes b = concat({targetTurn(0), targetTurn(0)});
    for (int mm : targetMm) append(b, targetTurn(mm));
    return b;
}

}  // namespace pb
