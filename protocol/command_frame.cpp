#include "command_frame.h"

#include <cstring>

#include "crc32.h"
#include "le_bytes.h"

std::vector<uint8_t> encode_command_frame(uint16_t mode, uint16_t sn, const uint8_t* body, size_t bodyLen) {
    if (bodyLen > kMaxFrameBody) return {};
    const size_t padded = (bodyLen + 3) & ~size_t(3);
    std::vector<uint8_t> frame(padded + kFrameOverhead, 0);
    put_le16(&frame[0], kFrameSign);
    put_le16(&frame[2], mode);
    put_le16(&frame[4], sn);
    put_le16(&frame[6], static_cast<uint16_t>(padded));
    if (bodyLen) std::memcpy(&frame[8], body, bodyLen);
    put_le32(&frame[8 + padded], crc32_words(frame.data(), padded / 4 + 2));
    return frame;
}

std::vector<uint8_t> encode_command_frame(uint16_t mode, uint16_t sn, std::string_view body) {
    return encode_command_frame(mode, sn, reinterpret_cast<const uint8_t*>(body.data()), body.size());
}

int decode_command_frame(const uint8_t* buf, size_t len, CommandFrameView& out) {
    if (len < 2) return 0;
    if (buf[0] != 'L' || buf[1] != 'H') return -1;
    if (len < 8) return 0;
    const uint16_t length = le16(buf + 6);
    if (length > kMaxFrameBody) return -1;
    const size_t total = size_t(length) + kFrameOverhead;
    if (len < total) return 0;
    out.mode = le16(buf + 2);
    out.sn = le16(buf + 4);
    out.length = length;
    out.body = buf + 8;
    out.frameLength = total;
    // A reply's declared length need not be a multiple of 4; the CRC covers
    // whole words only when it is.
    out.crcOk = (length % 4 == 0) && crc32_words(buf, length / 4 + 2) == le32(buf + 8 + length);
    return 1;
}
