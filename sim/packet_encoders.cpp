#include "packet_encoders.h"

#include <cstring>

#include "crc32.h"
#include "le_bytes.h"

namespace sim {

namespace {

// Little-endian writer with a running 16-bit sum of the values it is told to
// include; every fan checksum is such a wrap-around sum.
class Writer {
public:
    explicit Writer(int size) : m_bytes(size, '\0') {}

    void u8(int at, uint8_t v, bool summed) {
        m_bytes[at] = static_cast<char>(v);
        if (summed) m_sum = static_cast<uint16_t>(m_sum + v);
    }
    void u16(int at, uint16_t v, bool summed) {
        put_le16(byteAt(at), v);
        if (summed) m_sum = static_cast<uint16_t>(m_sum + v);
    }
    void u32(int at, uint32_t v) { put_le32(byteAt(at), v); }
    // Adds the u16 words of bytes [from, to) to the sum, as written so far.
    void sumWords(int from, int to) {
        for (int at = from; at + 1 < to; at += 2) m_sum = static_cast<uint16_t>(m_sum + le16(byteAt(at)));
    }
    void magic(uint8_t low) { u8(0, low, false), u8(1, 0xFA, false); }
    QByteArray finish(int at) {
        u16(at, m_sum, false);
        return m_bytes;
    }

private:
    uint8_t* byteAt(int at) { return reinterpret_cast<uint8_t*>(m_bytes.data()) + at; }

    QByteArray m_bytes;
    uint16_t m_sum = 0;
};

uint16_t count(const std::vector<FanPoint>& points) {
    return static_cast<uint16_t>(points.size());
}

// N x (u8 energy, u16 distance) from offset `at`, all summed.
void putEnergyDistance(Writer& w, int at, const std::vector<FanPoint>& points) {
    for (const FanPoint& p : points) {
        w.u8(at, p.energy, true);
        w.u16(at + 1, p.distance, true);
        at += 3;
    }
}

QByteArray encodeSegment(uint8_t magicLow, int headerSize, const SegmentHeader& h,
                         const std::vector<FanPoint>& points, const std::vector<uint16_t>& offsets) {
    const int n = static_cast<int>(points.size());
    Writer w(5 * n + headerSize + 2);
    w.magic(magicLow);
    w.u16(2, count(points), false);
    w.u16(4, h.totalPoints, false);
    w.u16(6, h.index, false);
    w.u32(8, h.segmentStart);
    w.u32(12, h.fanEnd);
    w.u32(16, h.deviceWord);
    w.u32(20, h.word20);
    w.u32(24, h.word24);
    w.sumWords(2, headerSize);
    int at = headerSize;
    for (const FanPoint& p : points) w.u16(at, p.distance, true), at += 2;
    for (int i = 0; i < n; ++i)
        w.u16(at, i < static_cast<int>(offsets.size()) ? offsets[i] : 0, true), at += 2;
    for (const FanPoint& p : points) w.u8(at, p.energy, true), at += 1;
    return w.finish(at);
}

}  // namespace

QByteArray encodeFace(uint16_t start, const std::vector<FanPoint>& points) {
    Writer w(3 * static_cast<int>(points.size()) + 8);
    w.magic(0xCE);
    w.u16(2, count(points), true);
    w.u16(4, start, true);
    putEnergyDistance(w, 6, points);
    return w.finish(6 + 3 * static_cast<int>(points.size()));
}

QByteArray encodeFacf(uint16_t start, uint16_t span, const std::vector<FanPoint>& points) {
    Writer w(3 * static_cast<int>(points.size()) + 10);
    w.magic(0xCF);
    w.u16(2, count(points), true);
    w.u16(4, start, true);
    w.u16(6, span, true);
    putEnergyDistance(w, 8, points);
    return w.finish(8 + 3 * static_cast<int>(points.size()));
}

QByteArray encodeFadf(uint16_t start, uint16_t span, uint16_t firstAngle, uint16_t lastAngle,
                      const std::vector<FanPoint>& points) {
    Writer w(3 * static_cast<int>(points.size()) + 18);
    w.magic(0xDF);
    w.u16(2, count(points), true);
    w.u16(4, start, true);
    w.u16(6, span, true);
    w.u16(8, 0, true);
    w.u16(10, firstAngle, true);
    w.u16(12, lastAngle, true);
    w.u16(14, 0, true);
    putEnergyDistance(w, 16, points);
    return w.finish(16 + 3 * static_cast<int>(points.size()));
}

QByteArray encodeFa9d(uint16_t start, uint16_t span, const std::vector<FanPoint>& points) {
    Writer w(2 * static_cast<int>(points.size()) + 10);
    w.magic(0x9D);
    w.u16(2, count(points), true);
    w.u16(4, start, true);
    w.u16(6, span, true);
    int at = 8;
    for (const FanPoint& p : points) w.u16(at, p.distance, true), at += 2;
    return w.finish(at);
}

QByteArray encodeFa99(uint16_t firstIndex, uint16_t perRevolution, uint32_t msWithinHour,
                      const std::vector<FanPoint>& points) {
    const int n = static_cast<int>(points.size());
    Writer w(3 * n + 34);
    w.magic(0x99);
    w.u16(2, count(points), true);
    w.u16(4, firstIndex, true);
    w.u16(6, perRevolution, true);
    w.u32(12, msWithinHour);
    int at = 32;
    for (const FanPoint& p : points) w.u16(at, p.distance, true), at += 2;
    for (const FanPoint& p : points) w.u8(at, p.energy, true), at += 1;
    // Receivers skip these two bytes; the device fills them with the same
    // kind of sum as the other families.
    return w.finish(at);
}

QByteArray encodeFaaaSegment(const SegmentHeader& header, const std::vector<FanPoint>& points,
                             const std::vector<uint16_t>& angleOffsets) {
    return encodeSegment(0xAA, 48, header, points, angleOffsets);
}

QByteArray encodeFac7Segment(const SegmentHeader& header, const std::vector<FanPoint>& points,
                             const std::vector<uint16_t>& angleOffsets) {
    return encodeSegment(0xC7, 28, header, points, angleOffsets);
}

QByteArray encodeLegacyFace(uint16_t start, const std::vector<uint16_t>& words) {
    const int n = static_cast<int>(words.size());
    Writer w(2 * n + 8);
    w.magic(0xCE);
    w.u16(2, static_cast<uint16_t>(n), true);
    w.u16(4, start, true);
    int at = 6;
    for (uint16_t word : words) w.u16(at, word, true), at += 2;
    return w.finish(at);
}

QByteArray encodeStatusPacket(uint8_t flags) {
    QByteArray b(8, '\0');
    b[0] = 'S';
    b[1] = 'T';
    b[2] = static_cast<char>(flags);
    b[6] = 'E';
    b[7] = 'D';
    return b;
}

QByteArray encodeLmsg(const StateRecord& r) {
    // Built in a plain array: the record has a fixed size.
    uint8_t p[128] = {};
    std::memcpy(p, "LMSG", 4);
    put_le32(p + 4, r.sequence);
    std::memcpy(p + 8, r.serialNumber, sizeof r.serialNumber);
    put_le32(p + 28, r.rpm);
    put_le32(p + 32, static_cast<uint32_t>(static_cast<int32_t>(r.temperatureTenths)));
    put_le32(p + 36, r.supplyMillivolts);
    put_le32(p + 40, r.faultWord);
    put_le32(p + 48, static_cast<uint32_t>(r.zoneState));
    return QByteArray(reinterpret_cast<const char*>(p), sizeof p);
}

QByteArray encodeAmRecord(const StateRecord& r) {
    uint8_t p[32] = {};
    p[0] = 'A';
    p[1] = 'M';
    p[2] = 1;  // record version
    put_le32(p + 3, r.sequence);
    put_le32(p + 9, r.faultWord);  // unaligned on purpose: the record's own layout
    put_le32(p + 13, static_cast<uint32_t>(r.zoneState));
    put_le16(p + 17, r.rpm);
    put_le16(p + 19, static_cast<uint16_t>(r.temperatureTenths));
    put_le32(p + 28, crc32_words(p, 7));
    return QByteArray(reinterpret_cast<const char*>(p), sizeof p);
}

}  // namespace sim
