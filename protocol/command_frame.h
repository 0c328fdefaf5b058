#pragma once
// The 'L','H' command frame that carries every command and request to the
// scanner on UDP, TCP and framed serial (VPC) links, and every framed reply
// back. All integers little-endian:
//
//   0  u16 sign 0x484C ('L','H')
//   2  u16 mode (request) or reply code (= ~mode)
//   4  u16 sequence number
//   6  u16 padded body length P (body length rounded up to a multiple of 4)
//   8  P bytes body, zero-padded
//   8+P u32 crc32_words over the (P / 4) + 2 words before it
//
// Total length P + 12.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

constexpr uint16_t kFrameSign = 0x484C;
constexpr size_t kMaxFrameBody = 2040;
constexpr size_t kFrameOverhead = 12;

// Request modes.
constexpr uint16_t C_PACK = 0x0043;      // control and identity commands, text reply
constexpr uint16_t S_PACK = 0x0053;      // set commands, 2-byte status reply
constexpr uint16_t GS_PACK = 0x4753;     // parameter block request ("xxxxxx")
constexpr uint16_t ZONE_WRITE_PACK = 0x5A53;
constexpr uint16_t ZONE_READ_PACK = 0x5A47;
constexpr uint16_t FIRMWARE_PACK = 0x0046;
constexpr uint16_t BOX_PACK = 0x0075;
constexpr uint16_t KEEPALIVE_PACK = 0x4B41;

// Reply code of a request mode.
constexpr uint16_t reply_code(uint16_t mode) { return static_cast<uint16_t>(~mode); }

// Builds a frame. Returns an empty vector when the body is longer than 2040 bytes.
std::vector<uint8_t> encode_command_frame(uint16_t mode, uint16_t sn, const uint8_t* body, size_t bodyLen);
std::vector<uint8_t> encode_command_frame(uint16_t mode, uint16_t sn, std::string_view body);

// A frame found at the start of a buffer. `body` points into the caller's buffer.
struct CommandFrameView {
    uint16_t mode = 0;
    uint16_t sn = 0;
    uint16_t length = 0;  // padded body length as carried in bytes 6..7
    const uint8_t* body = nullptr;
    size_t frameLength = 0;  // length + 12
    bool crcOk = false;
};

// Parses the frame at buf[0..len). Returns 1 when a whole frame is present
// (crcOk tells whether its CRC matches), 0 when more bytes are needed, -1 when
// buf does not start with 'L','H' or the length exceeds 2040.
int decode_command_frame(const uint8_t* buf, size_t len, CommandFrameView& out);
