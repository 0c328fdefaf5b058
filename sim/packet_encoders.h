#pragma once
// Byte-exact encoders of everything the scanner sends: fan packets of every
// family, segments, the legacy serial fan, status packets and the two device
// state records. All wire integers little-endian; distances in millimetres;
// angles in the unit each family uses (0.1, 0.01 or 0.001 degree).
//
// Written from the wire tables alone, independent of the decoder, so that the
// simulator checks the decoder rather than mirroring it.

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace sim {

struct FanPoint {
    uint16_t distance = 0;  // mm (0 = no return)
    uint8_t energy = 0;
};

// 0xFACE: 6-byte header, N x (u8 energy, u16 distance), u16 sum. 3N + 8 bytes.
QByteArray encodeFace(uint16_t start, const std::vector<FanPoint>& points);
// 0xFACF: 8-byte header with span, N x (energy, distance), sum. 3N + 10 bytes.
QByteArray encodeFacf(uint16_t start, uint16_t span, const std::vector<FanPoint>& points);
// 0xFADF: 16-byte header with first/last point angle in 0.01 degree. 3N + 18 bytes.
QByteArray encodeFadf(uint16_t start, uint16_t span, uint16_t firstAngle, uint16_t lastAngle,
                      const std::vector<FanPoint>& points);
// 0xFA9D: distances only, no energy. 2N + 10 bytes.
QByteArray encodeFa9d(uint16_t start, uint16_t span, const std::vector<FanPoint>& points);
// 0xFA99: index of the first point, points per revolution, device time in ms
// within the hour; N distances then N energies. 3N + 34 bytes.
QByteArray encodeFa99(uint16_t firstIndex, uint16_t perRevolution, uint32_t msWithinHour,
                      const std::vector<FanPoint>& points);

// Header fields shared by the two segment families.
struct SegmentHeader {
    uint16_t totalPoints = 0;   // points of the whole fan
    uint16_t index = 0;         // segment index within the fan
    uint32_t segmentStart = 0;  // 0.001 degree
    uint32_t fanEnd = 0;        // 0.001 degree
    uint32_t deviceWord = 0;    // bytes 16..19
    uint32_t word20 = 0;        // 0xFAAA: fan id seconds; 0xFAC7: device ms within the hour
    uint32_t word24 = 0;        // 0xFAAA: nanoseconds; 0xFAC7: unnamed
};

// 0xFAAA segment: 48-byte header, N distances, N angle offsets (0.001 degree
// from the segment start), N energies, u16 sum. 5N + 50 bytes.
QByteArray encodeFaaaSegment(const SegmentHeader& header, const std::vector<FanPoint>& points,
                             const std::vector<uint16_t>& angleOffsets);
// 0xFAC7 segment: the same with a 28-byte header. 5N + 30 bytes.
QByteArray encodeFac7Segment(const SegmentHeader& header, const std::vector<FanPoint>& points,
                             const std::vector<uint16_t>& angleOffsets);

// Legacy serial 0xFACE: magic, N, start; N point words; u16 start + N + sum
// of the words. 2N + 8 bytes.
QByteArray encodeLegacyFace(uint16_t start, const std::vector<uint16_t>& words);

// "ST" f 0 0 0 "ED": bit i of f is status flag i.
QByteArray encodeStatusPacket(uint8_t flags);

// 128-byte "LMSG" record: fault word at 40..43, zone state at 48..51.
struct StateRecord {
    uint32_t sequence = 0;
    uint32_t faultWord = 0;
    int32_t zoneState = -1;
    uint16_t rpm = 0;
    int16_t temperatureTenths = 0;
    uint16_t supplyMillivolts = 0;
    char serialNumber[20] = {};
};
QByteArray encodeLmsg(const StateRecord& record);
// 32-byte "AM" record: seven u32 words (fault word at bytes 9..12, zone state
// at 13..16) and crc32_words over them.
QByteArray encodeAmRecord(const StateRecord& record);

}  // namespace sim
