#include "scan_decoder.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "crc32.h"
#include "device_time.h"
#include "le_bytes.h"

namespace {

// ---------------------------------------------------------------- helpers

// The device firmware converts with this truncated pi; using the same value
// keeps our angles bit-identical to what the device reports elsewhere.
constexpr double kPi = 3.1415926535898;
constexpr double kTenthToRad = kPi / 1800.0;
constexpr double kHundredthToRad = kPi / 18000.0;
constexpr double kMilliDegToRad = 1.7453292519943334e-05;

// No fan has more segments than points; a stream of empty segments with fresh
// indices must not grow the pending list without bound.
constexpr int kMaxPendingSegments = kMaxFanPoints;

constexpr size_t kScanDropThreshold = 1024;

// Copies text into the 512-byte message buffer, always leaving a NUL.
void setMessage(char* out, const char* text) {
    size_t n = std::strlen(text);
    if (n > kMessageBufferSize - 1) n = kMessageBufferSize - 1;
    std::memcpy(out, text, n);
    out[n] = '\0';
}

constexpr bool isLineChar(uint8_t c) {
    return c == '\r' || c == ' ' || c == '!' || (c >= '+' && c <= ':') || (c >= 'A' && c <= 'Z') ||
           c == '_' || (c >= 'a' && c <= 'z');
}

struct LineCharTable {
    bool allowed[256];
    constexpr LineCharTable() : allowed() {
        for (int c = 0; c < 256; ++c) allowed[c] = isLineChar(uint8_t(c));
    }
};
constexpr LineCharTable kLineChars;

// A reply line ends in CR LF at p: the run of line characters directly
// before p (at least one) goes to the message buffer.
bool tryTextLine(const uint8_t* buf, size_t p, char* message, size_t& consumed) {
    if (p == 0 || buf[p + 1] != '\n') return false;
    size_t run = 0;
    while (run < p && kLineChars.allowed[buf[p - 1 - run]]) ++run;
    if (run == 0) return false;
    // The buffer holds 511 characters and the NUL; of a longer run keep the
    // end, which is the reply itself.
    const size_t n = run < kMessageBufferSize - 1 ? run : kMessageBufferSize - 1;
    std::memcpy(message, buf + p - n, n);
    message[n] = '\0';
    consumed = p + 1;
    return true;
}

// A reply line that needs only its CR LF in the buffer, not 8 bytes: a line
// at the very end of a datagram or of the serial bytes read so far would
// otherwise wait for bytes that may never come. Looks from `from` on.
bool trailingTextLine(const uint8_t* buf, size_t from, size_t len, char* message, size_t& consumed) {
    for (size_t q = from; q + 2 <= len; ++q)
        if (buf[q] == '\r' && tryTextLine(buf, q, message, consumed)) return true;
    return false;
}

// True when the bytes from p on are line characters up to a CR LF: the "AM"
// at p is then part of a reply line ("PARAM", "AMP"), not a state record.
bool lineRunsToCrLf(const uint8_t* buf, size_t p, size_t len) {
    for (size_t q = p; q + 1 < len; ++q) {
        if (buf[q] == '\r' && buf[q + 1] == '\n') return true;
        if (!kLineChars.allowed[buf[q]]) return false;
    }
    return false;
}

void setFanHeader(RawData& out, uint16_t tag, uint16_t count, uint16_t start, uint16_t span) {
    out.tag = tag;
    out.count = count;
    out.start = start;
    out.span = span;
    out.reserved1 = 0;
    out.reserved2 = 0;
    out.deviceWord = 0;
    out.stampSec = 0;
    out.stampUsec = 0;
}

// Marks a fan that failed its checksum: the record holds no valid point.
int checksumFailed(RawData& out, char* message, const char* console) {
    out.count = 0;
    setMessage(message, "chksum  error");
    if (console) std::puts(console);
    return KindNoFan;
}

// ---------------------------------------------------------------- single-packet fans
// Each decoder gets a complete packet (length already checked) and fills the
// record and the checksum in one pass over the point fields.

// 0xFACE / 0xFACF / 0xFADF carry a 3-byte point (u8 energy, u16 distance);
// 0xFA9D a bare u16 distance, stored with energy 1, which marks a valid return.
// angleAt(i) gives the beam direction of point i in radians. Returns the sum
// of the point fields for the checksum.
template <bool kWithEnergy, typename AngleFn>
uint32_t decodePoints(const uint8_t* pts, int n, RawData& out, AngleFn angleAt) {
    constexpr int kPointSize = kWithEnergy ? 3 : 2;
    uint32_t sum = 0;
    RawPoint* dst = out.points;
    for (int i = 0; i < n; ++i, pts += kPointSize) {
        const uint32_t d = le16(pts + kPointSize - 2);
        sum += d;
        if (kWithEnergy) sum += pts[0];
        dst[i].angle = float(angleAt(i));
        dst[i].distance = float(d / 1000.0);
        dst[i].energy = kWithEnergy ? pts[0] : 1;
    }
    return sum;
}

int decodeCE(const uint8_t* pkt, bool verify, RawData& out, char* message) {
    const int n = le16(pkt + 2);
    const uint16_t s = le16(pkt + 4);
    // 342.0 degrees is the one sector the device sends twice as wide.
    const uint16_t span = s == 3420 ? 720 : 360;
    setFanHeader(out, le16(pkt), uint16_t(n), s, span);
    const double step = n ? double(span) / n : 0.0;
    uint32_t sum = uint32_t(n) + s;
    sum += decodePoints<true>(pkt + 6, n, out, [&](int i) { return (i * step + s) * kTenthToRad; });
    if (verify && uint16_t(sum) != le16(pkt + 6 + 3 * n))
        return checksumFailed(out, message, "chksum ce error");
    return KindFan;
}

// 0xFACF and 0xFA9D: u16 count, start and span, then the points spread
// evenly over the span and a u16 sum of the three header words and the points.
template <bool kWithEnergy>
int decodeSpannedFan(const uint8_t* pkt, bool verify, RawData& out, char* message) {
    constexpr int kPointSize = kWithEnergy ? 3 : 2;
    const int n = le16(pkt + 2);
    const uint16_t s = le16(pkt + 4);
    const uint16_t span = le16(pkt + 6);
    setFanHeader(out, le16(pkt), uint16_t(n), s, span);
    const double step = n ? double(span) / n : 0.0;
    uint32_t sum = uint32_t(n) + s + span;
    sum += decodePoints<kWithEnergy>(pkt + 8, n, out, [&](int i) { return (i * step + s) * kTenthToRad; });
    if (verify && uint16_t(sum) != le16(pkt + 8 + kPointSize * n))
        return checksumFailed(out, message, "chksum cf error");
    return KindFan;
}

int decodeDF(const uint8_t* pkt, bool verify, RawData& out, char* message) {
    const int n = le16(pkt + 2);
    setFanHeader(out, le16(pkt), uint16_t(n), le16(pkt + 4), le16(pkt + 6));
    const double first = le16(pkt + 10);
    const double last = le16(pkt + 12);
    // A single point has no spacing: it sits on the first angle.
    const double step = n > 1 ? (last - first) / (n - 1) : 0.0;
    uint32_t sum = 0;
    for (int off = 2; off <= 14; off += 2) sum += le16(pkt + off);
    sum += decodePoints<true>(pkt + 16, n, out, [&](int i) { return (first + i * step) * kHundredthToRad; });
    if (verify && uint16_t(sum) != le16(pkt + 16 + 3 * n)) return checksumFailed(out, message, nullptr);
    return KindFan;
}

// 0xFA99 carries no usable checksum; perRevolution was checked non-zero.
int decode99(const uint8_t* pkt, RawData& out) {
    const int n = le16(pkt + 2);
    const uint32_t index = le16(pkt + 4);
    const uint32_t perRev = le16(pkt + 6);
    setFanHeader(out, le16(pkt), uint16_t(n), uint16_t(index * 3600 / perRev),
                 uint16_t(uint32_t(n) * 3600 / perRev));
    const uint8_t* dist = pkt + 32;
    const uint8_t* energy = dist + 2 * n;
    const double degPerPoint = 360.0 / perRev;
    for (int i = 0; i < n; ++i) {
        out.points[i].angle = float((i + index) * degPerPoint * (kPi / 180.0));
        out.points[i].distance = float(le16(dist + 2 * i) / 1000.0);
        out.points[i].energy = energy[i];
    }
    const DeviceTime t = device_time_to_timeval(le32(pkt + 12));
    out.stampSec = t.sec;
    out.stampUsec = t.usec;
    return KindFan;
}

// ---------------------------------------------------------------- segmented fans

struct SegmentLayout {
    uint16_t tag;
    int headerSize;
};
constexpr SegmentLayout kSegAA{0xFAAA, 48};
constexpr SegmentLayout kSegC7{0xFAC7, 28};

bool sameFan(const SegmentNode& head, const SegmentNode& node, const SegmentLayout& layout) {
    if (le16(head.header) != layout.tag) return false;
    if (le32(head.header + 20) == le32(node.header + 20)) return true;
    return layout.tag == 0xFAAA && le32(head.header + 24) == le32(node.header + 24);
}

int decodeSegment(const uint8_t* pkt, const SegmentLayout& layout, RawData& out, char* message,
                  SegmentNode*& segments) {
    const bool isC7 = layout.tag == 0xFAC7;
    const int n = le16(pkt + 2);
    const uint8_t* dist = pkt + layout.headerSize;
    const uint8_t* offs = dist + 2 * n;
    const uint8_t* energy = offs + 2 * n;

    uint32_t sum = 0;
    for (int off = 2; off < layout.headerSize; off += 2) sum += le16(pkt + off);
    for (int i = 0; i < 2 * n; ++i) sum += le16(dist + 2 * i);  // distances and angle offsets
    for (int i = 0; i < n; ++i) sum += energy[i];
    if (uint16_t(sum) != le16(energy + n)) {
        std::puts("checksum error");
        return KindNoFan;
    }

    auto* node = new (std::nothrow) SegmentNode;
    if (!node) return KindNoFan;
    std::memset(node->header, 0, sizeof node->header);
    std::memcpy(node->header, pkt, size_t(layout.headerSize));
    node->n = uint16_t(n);
    for (int i = 0; i < n; ++i) {
        node->distance[i] = le16(dist + 2 * i);
        node->angleOffset[i] = le16(offs + 2 * i);
        node->energy[i] = energy[i];
    }

    if (segments && sameFan(*segments, *node, layout)) {
        const uint16_t index = le16(node->header + 6);
        SegmentNode* tail = segments;
        int listed = 1;
        for (SegmentNode* it = segments; it; it = it->next) {
            if (le16(it->header + 6) == index) {
                setMessage(message, "drop duplicated segment");
                if (isC7) std::puts("drop duplicated segment");
                delete node;
                return KindNoFan;
            }
            tail = it;
            ++listed;
        }
        if (listed > kMaxPendingSegments) {
            // More pieces than a fan can have points: this fan cannot complete.
            free_segment_list(segments);
            delete node;
            setMessage(message, "drop old fan segments");
            return KindNoFan;
        }
        tail->next = node;
    } else {
        if (segments) {
            free_segment_list(segments);
            setMessage(message, "drop old fan segments");
        }
        segments = node;
    }

    const SegmentNode& head = *segments;
    const uint32_t total = le16(head.header + 4);
    uint32_t listedPoints = 0;
    for (SegmentNode* it = segments; it; it = it->next) listedPoints += it->n;
    if (listedPoints < total) return KindNoFan;
    if (listedPoints > total) {
        free_segment_list(segments);
        return KindNoFan;
    }
    if (total > uint32_t(kMaxFanPoints)) {
        char text[64];
        std::snprintf(text, sizeof text, "too many %u points in 1 fan", unsigned(total));
        setMessage(message, text);
        if (isC7) std::puts(text);
        free_segment_list(segments);
        return KindNoFan;
    }

    const uint32_t headStart = le32(head.header + 8);
    const uint32_t headEnd = le32(head.header + 12);
    setFanHeader(out, layout.tag, uint16_t(total), uint16_t(headStart / 100),
                 uint16_t((headEnd - headStart) / 100));
    out.deviceWord = le32(head.header + 16);
    if (isC7) {
        const DeviceTime t = device_time_to_timeval(le32(head.header + 20));
        out.stampSec = t.sec;
        out.stampUsec = t.usec;
    } else {
        out.stampSec = int32_t(le32(head.header + 20));
        out.stampUsec = int32_t(le32(head.header + 24) / 1000);
    }
    int k = 0;
    for (const SegmentNode* it = segments; it; it = it->next) {
        const double segStart = le32(it->header + 8);
        for (int i = 0; i < it->n; ++i, ++k) {
            out.points[k].angle = float((it->angleOffset[i] + segStart) * kMilliDegToRad);
            out.points[k].distance = float(it->distance[i] / 1000.0);
            out.points[k].energy = it->energy[i];
        }
    }
    free_segment_list(segments);
    return KindFan;
}

// ---------------------------------------------------------------- fan packet table

// Length of a complete fan packet with n points, or 0 for an unknown magic.
size_t fanPacketLength(uint8_t magic, size_t n) {
    switch (magic) {
        case 0xCE:
            return 3 * n + 8;
        case 0xCF:
            return 3 * n + 10;
        case 0xDF:
            return 3 * n + 18;
        case 0x9D:
            return 2 * n + 10;
        case 0x99:
            return 3 * n + 34;
        case 0xAA:
            return 5 * n + 50;
        case 0xC7:
            return 5 * n + 30;
        default:
            return 0;
    }
}

// Plausibility of a fan header at p (8 header bytes are in the buffer).
bool plausibleFanHeader(const uint8_t* pkt) {
    const uint8_t magic = pkt[0];
    const uint32_t n = le16(pkt + 2);
    if (magic == 0x99) {
        const uint32_t perRev = le16(pkt + 6);
        if (perRev == 0) {
            std::puts("bad num hdr99 ");
            return false;
        }
        if ((n * 3600 / perRev) % 90 != 0) return false;
    } else if (magic != 0xC7 && magic != 0xAA) {
        if (le16(pkt + 4) % 90 != 0) return false;
    }
    return n <= uint32_t(kMaxFanPoints);
}

int decodeFanPacket(const uint8_t* pkt, bool verify, RawData& out, char* message, SegmentNode*& segments) {
    switch (pkt[0]) {
        case 0xCE:
            return decodeCE(pkt, verify, out, message);
        case 0xCF:
            return decodeSpannedFan<true>(pkt, verify, out, message);
        case 0xDF:
            return decodeDF(pkt, verify, out, message);
        case 0x9D:
            return decodeSpannedFan<false>(pkt, verify, out, message);
        case 0x99:
            return decode99(pkt, out);
        case 0xAA:
            return decodeSegment(pkt, kSegAA, out, message, segments);
        case 0xC7:
            return decodeSegment(pkt, kSegC7, out, message, segments);
        default:
            return KindNothing;
    }
}

// ---------------------------------------------------------------- framed replies

struct ReplyCode {
    uint8_t b2, b3;
    int kind;
};
constexpr ReplyCode kReplyCodes[] = {
    {0xAC, 0xB8, KindParamBlock},  {0xBE, 0xB4, KindKeepAlive},     {0xBC, 0xFF, KindPayloadReply},
    {0xAC, 0xFF, KindStatusReply}, {0xB8, 0xA5, KindZoneReadReply}, {0xAC, 0xA5, KindZoneWriteReply},
};

constexpr size_t kLmsgSize = 128;
constexpr size_t kParamReplySize = 164;
constexpr size_t kParamBlockSize = 152;
constexpr size_t kKeepAliveReplySize = 44;
constexpr size_t kAmRecordSize = 32;

// Outcome of a test at one position: not this message, a decoded message, a
// message that needs more bytes than the buffer holds, or a damaged one to drop.
enum class Match { No, Done, Incomplete, Damaged };

// A reply frame carries a CRC over its header and body like a request does.
// A damaged reply must not pass for an answer (one flipped byte turns a
// refusal "NG" into an acceptance, or moves a zone piece), so one whose CRC
// does not match is dropped like a lost reply and the sender asks again.
// Bodies not padded to whole words cannot carry that CRC; they are taken as
// they are.
bool replyCrcHolds(const uint8_t* frame, size_t frameLength) {
    const size_t covered = frameLength - 4;
    if (covered % 4 != 0) return true;
    return crc32_words(frame, covered / 4) == le32(frame + covered);
}

Match tryFramed(size_t len, const uint8_t* buf, size_t p, int& kind, size_t& consumed, char* message,
                uint8_t* header) {
    const uint8_t* m = buf + p;
    if (m[1] == 'M' && m[2] == 'S' && m[3] == 'G') {
        // A record running past the received bytes is left for the next read.
        if (len - p < kLmsgSize) return Match::Incomplete;
        std::memcpy(message, m, kLmsgSize);
        kind = KindLmsg;
        consumed = p + kLmsgSize;
        return Match::Done;
    }
    if (m[1] != 'H') return Match::No;
    const ReplyCode* code = nullptr;
    for (const auto& c : kReplyCodes)
        if (m[2] == c.b2 && m[3] == c.b3) code = &c;
    if (!code) return Match::No;

    size_t end = p;
    switch (code->kind) {
        case KindParamBlock:
            end = p + kParamReplySize;
            break;
        case KindKeepAlive:
            end = p + kKeepAliveReplySize;
            break;
        default:  // payload and status replies, and the zone replies the zone worker parses from p
            end = p + le16(m + 6) + 12;
            break;
    }
    if (end > len) return Match::Incomplete;
    if (!replyCrcHolds(m, end - p)) {
        consumed = end;
        return Match::Damaged;
    }
    const bool zoneReply = code->kind == KindZoneReadReply || code->kind == KindZoneWriteReply;
    std::memcpy(header, m, kReplyHeaderSize);
    if (code->kind == KindParamBlock) std::memcpy(message, m + 8, kParamBlockSize);
    if (code->kind == KindStatusReply) {
        const size_t n = le16(m + 6) < 2 ? le16(m + 6) : 2;
        std::memcpy(message, m + 8, n);
    }
    kind = code->kind;
    consumed = zoneReply ? p : end;
    return Match::Done;
}

}  // namespace

void free_segment_list(SegmentNode*& head) {
    while (head) {
        SegmentNode* next = head->next;
        delete head;
        head = next;
    }
}

int decode_stream_message(size_t len, const uint8_t* buf, uint8_t statusFlags[8], RawData& rawOut,
                          size_t& consumedOut, bool verifyChecksum, int& modeInOut,
                          char messageOut[kMessageBufferSize], uint8_t headerOut[kReplyHeaderSize],
                          SegmentNode*& segments) {
    if (len < 8) return trailingTextLine(buf, 0, len, messageOut, consumedOut) ? KindTextLine : KindNothing;

    size_t p = 0;
    const size_t last = len - 8;
    while (p <= last) {
        const uint8_t* m = buf + p;
        const uint8_t c = m[0];

        if (c == 'L') {
            int kind = KindNothing;
            size_t consumed = 0;
            const Match r = tryFramed(len, buf, p, kind, consumed, messageOut, headerOut);
            if (r == Match::Incomplete) return KindNothing;
            if (r == Match::Damaged) {
                consumedOut = consumed;
                return KindNothing;
            }
            if (r == Match::Done) {
                consumedOut = consumed;
                return kind;
            }
        }

        if (m[6] == 'E' && m[7] == 'D') {
            if (c == 'S' && m[1] == 'T') {
                for (int i = 0; i < 8; ++i) statusFlags[i] = (m[2] >> i) & 1;
                modeInOut = statusFlags[1] ? kStreamModeGeneral : kStreamModeLegacy;
                consumedOut = p + 8;
                return KindStatusPacket;
            }
            std::puts("error");
        }

        if (c == 'A' && m[1] == 'M') {
            if (len - p < kAmRecordSize) {
                // A record cut off by the end of the buffer waits for the
                // rest, unless it is plainly the text of a reply line.
                if (!lineRunsToCrLf(buf, p, len)) return KindNothing;
            } else if (le32(m + 28) == crc32_words(m, 7)) {
                std::memcpy(messageOut, m, kAmRecordSize);
                std::memcpy(headerOut, m, kReplyHeaderSize);
                consumedOut = p + kAmRecordSize;
                return KindAmRecord;
            }
        }

        if (c == '\r' && tryTextLine(buf, p, messageOut, consumedOut)) return KindTextLine;

        if (m[1] == 0xFA) {
            const size_t n = le16(m + 2);
            const size_t total = fanPacketLength(c, n);
            if (total != 0) {
                if (!plausibleFanHeader(m)) {
                    p += 2;
                    continue;
                }
                if (total > len - p) break;  // more bytes needed
                const int kind = decodeFanPacket(m, verifyChecksum, rawOut, messageOut, segments);
                consumedOut = p + total;
                return kind;
            }
        }
        ++p;
    }

    if (p > last && trailingTextLine(buf, p, len, messageOut, consumedOut)) return KindTextLine;

    // Nothing decodable before p: drop half of a long unusable prefix, keeping
    // a packet that may start at p.
    if (p > kScanDropThreshold) consumedOut = p / 2;
    return KindNothing;
}
