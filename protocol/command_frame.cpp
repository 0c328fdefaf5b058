#include "command_frame.h"

#include <cstring>

#include "crc32.h"

namespace {

void putU16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void putU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint16_t getU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t getU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

std::vector<uint8_t> encode_command_frame(uint16_t mode, uint16_t sn, const uint8_t* body, size_t bodyLen)
{
    if (bodyLen > kMaxFrameBody) return {};
    const size_t padded = (bodyLen + 3) & ~size_t(3);
    std::vector<uint8_t> frame(padded + kFrameOverhead, 0);
    putU16(&frame[0], kFrameSign);
    putU16(&frame[2], mode);
    putU16(&frame[4], sn);
    putU16(&frame[6], static_cast<uint16_t>(padded));
    if (bodyLen) std::memcpy(&frame[8], body, bodyLen);
    putU32(&frame[8 + padded], crc32_words(frame.data(), padded / 4 + 2));
    return frame;
}

std::vector<uint8_t> encode_command_frame(uint16_t mode, uint16_t sn, std::string_view body)
{
    return encode_command_frame(mode, sn, reinterpret_cast<const uint8_t*>(body.data()), body.size());
}

int decode_command_frame(const uint8_t* buf, size_t len, CommandFrameView& out)
{
    if (len < 2) return 0;
    if (buf[0] != 'L' || buf[1] != 'H') return -1;
    if (len < 8) return 0;
    const uint16_t length = getU16(buf + 6);
    if (length > kMaxFrameBody) return -1;
    const size_t total = size_t(length) + kFrameOverhead;
    if (len < total) return 0;
    out.mode = getU16(buf + 2);
    out.sn = getU16(buf + 4);
    out.length = length;
    out.body = buf + 8;
    out.frameLength = total;
    // A reply's declared length need not be a multiple of 4; the CRC covers
    // whole words only when it is.
    out.crcOk = (length % 4 == 0) && crc32_words(buf, length / 4 + 2) == getU32(buf + 8 + length);
    return 1;
}
