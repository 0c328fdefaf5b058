#pragma once
// The general stream decoder: finds the first complete message in a buffer of
// scanner bytes (a UDP datagram, or the front of a TCP or serial stream) and
// decodes it. Works in place on the caller's buffer; plain and re-entrant.
//
// Wire data is little-endian; angles on the wire in 0.1 degree (0.01 or
// 0.001 degree for some packet types), distances in millimetres.

#include <cstddef>
#include <cstdint>

#include "rawdata.h"

// Result kinds of decode_stream_message.
enum StreamKind : int {
    KindNothing = -1,        // nothing decodable, or more bytes needed
    KindNoFan = 0,           // a fan packet that yields no fan (checksum, or segment pending)
    KindFan = 1,             // a fan was decoded into rawOut
    KindLmsg = 2,            // 128-byte "LMSG" state record in messageOut
    KindParamBlock = 3,      // parameter block reply: 152 bytes in messageOut, header in headerOut
    KindKeepAlive = 4,       // 44-byte keep-alive reply, skipped
    KindPayloadReply = 5,    // C_PACK reply; header in headerOut, payload at consumed - len - 4
    KindStatusReply = 6,     // S_PACK reply; first two payload bytes in messageOut
    KindZoneReadReply = 7,   // zone read reply; nothing consumed, parsed by the zone worker
    KindZoneWriteReply = 8,  // zone write reply; as above
    KindStatusPacket = 9,    // "ST..ED" status packet; flags and mode updated
    KindAmRecord = 10,       // 32-byte "AM" record in messageOut
    KindTextLine = 11,       // reply line (without CR LF) in messageOut
};

constexpr size_t kMessageBufferSize = 512;
constexpr size_t kReplyHeaderSize = 8;

// Stream mode values owned by the caller (initially 3).
constexpr int kStreamModeGeneral = 3;
constexpr int kStreamModeLegacy = 2;

// One pending 0xFAAA / 0xFAC7 segment. The list belongs to the caller through
// one head pointer (initially null) kept between calls; the decoder allocates
// and frees the nodes. Free a list that is abandoned with free_segment_list.
struct SegmentNode {
    uint8_t header[48];          // segment header (28 bytes used for 0xFAC7)
    uint16_t n = 0;              // points in this segment
    uint16_t distance[kMaxFanPoints];
    uint16_t angleOffset[kMaxFanPoints];
    uint8_t energy[kMaxFanPoints];
    SegmentNode* next = nullptr;
};

void free_segment_list(SegmentNode*& head);

// Decodes the first complete message in buf[0..len).
//   statusFlags  8 flags, updated by a status packet
//   rawOut       receives a decoded fan (kind 1); count 0 after a fan that failed its checksum
//   consumedOut  bytes the caller may drop from the front; untouched when none
//                may be dropped, so set it to 0 first
//   modeInOut    stream mode, set by a status packet
//   messageOut   512 bytes, zeroed by the caller; payload of non-fan messages or an error text
//   headerOut    8 bytes, the header of an "LH" reply
//   segments     head of the pending segment list
// Never reads outside buf[0..len) nor writes outside the output buffers.
int decode_stream_message(size_t len, const uint8_t* buf, uint8_t statusFlags[8], RawData& rawOut,
                          size_t& consumedOut, bool verifyChecksum, int& modeInOut,
                          char messageOut[kMessageBufferSize], uint8_t headerOut[kReplyHeaderSize],
                          SegmentNode*& segments);
