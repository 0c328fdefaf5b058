#pragma once
// A revolution kept in memory with only the points it has: a few bytes per
// point instead of a full fixed-size RawData (550 points) per fan.
//
// Lossless: expand() gives back fans equal field for field, every float bit
// for bit, to the ones compacted. Each fan picks the smallest encoding that
// reproduces it exactly:
//   angles     - none at all when they are the evenly spread angles of the
//                fan's start, span and count (the single-packet formats);
//                otherwise the first angle and then the change of the step
//                between neighbours, as a variable-length integer;
//   distances  - whole millimetres (or centimetres) in 2 bytes when every
//                distance is one, else the 4-byte float;
//   energies   - 1 byte each.
//
// The bytes are immutable and shared: copying a CompactRevolution (into a
// queued signal, a cache, a batch) copies a pointer. Any thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "rawdata.h"

class CompactRevolution {
public:
    CompactRevolution() = default;
    explicit CompactRevolution(const Revolution& revolution);

    // The fans as the decoder produced them.
    Revolution expand() const;
    // The same into out (resized to the fan count).
    void expandInto(Revolution& out) const;

    bool isNull() const { return !m_bytes; }
    int fanCount() const { return m_fans; }
    int pointCount() const { return m_points; }
    // Bytes of point and fan data held (not counting the allocator's own).
    size_t byteSize() const { return m_bytes ? m_bytes->size() : 0; }

private:
    std::shared_ptr<const std::vector<uint8_t>> m_bytes;
    int m_fans = 0;
    int m_points = 0;
};
