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
//
// Many revolutions made in a row (caching a recording) take their bytes
// from a CompactArena: large blocks instead of one allocation each.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "rawdata.h"

// Hands out memory from blocks of a few MiB (huge pages where the system
// allows). A block lives as long as any revolution placed in it. One thread
// uses an arena; the revolutions it fills may go anywhere.
class CompactArena {
public:
    static constexpr size_t kBlockBytes = size_t(4) << 20;

    // n bytes that stay valid while the returned pointer (or a copy) lives.
    std::shared_ptr<uint8_t> allocate(size_t n);

private:
    std::shared_ptr<uint8_t> m_block;
    size_t m_used = 0;
    size_t m_size = 0;
};

class CompactRevolution {
public:
    CompactRevolution() = default;
    // Compacts revolution; its bytes come from arena when one is given.
    explicit CompactRevolution(const Revolution& revolution, CompactArena* arena = nullptr);

    // The fans as the decoder produced them.
    Revolution expand() const;
    // The same into out (resized to the fan count).
    void expandInto(Revolution& out) const;

    bool isNull() const { return !m_bytes; }
    int fanCount() const { return m_fans; }
    int pointCount() const { return m_points; }
    // Bytes of point and fan data held (not counting the allocator's own).
    size_t byteSize() const { return m_size; }

private:
    std::shared_ptr<const uint8_t> m_bytes;
    size_t m_size = 0;
    int m_fans = 0;
    int m_points = 0;
};
