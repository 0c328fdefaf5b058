#pragma once
// One decoded fan (angular sector) of a revolution, as it travels from the
// stream decoder to the collectors, the views and the logs.
//
// A plain fixed-size value: it crosses threads by copy in queued signals, so
// it must never own heap memory. A revolution is a std::vector<RawData>.

#include <cstdint>
#include <vector>

// Hard limit of the wire formats: no fan carries more points.
constexpr int kMaxFanPoints = 550;

struct RawPoint {
    float angle = 0.0f;    // beam direction in radians; not normalised (a fan may run past 2*pi)
    float distance = 0.0f; // metres
    uint8_t energy = 0;    // as sent by the device; 0 where the format has none
};

struct RawData {
    uint16_t tag = 0;      // packet magic read as u16 (0xFACF, 0xFAAA, ...)
    uint16_t count = 0;    // valid entries in points, 0..550
    uint16_t start = 0;    // start angle, 0.1 degree
    uint16_t span = 0;     // angular width, 0.1 degree
    int32_t reserved1 = 0;
    int32_t reserved2 = 0;
    uint32_t deviceWord = 0;  // bytes 16..19 of a segment header; 0 otherwise
    RawPoint points[kMaxFanPoints];
    int32_t stampSec = 0;   // seconds since the epoch; 0 when the packet carries none
    int32_t stampUsec = 0;  // microseconds
};

using Revolution = std::vector<RawData>;
