#include "compact_revolution.h"

#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// The single-packet formats spread a fan's points evenly over its span; with
// the same arithmetic the angles follow from start, span and count alone. A
// fan whose angles differ in any bit simply takes the per-point encoding.
constexpr double kTenthToRad = 3.1415926535898 / 1800.0;

enum AngleCoding : uint8_t { AnglesSpread = 0, AnglesDelta = 1 };
enum DistanceCoding : uint8_t { DistanceMm = 0, DistanceCm = 1, DistanceFloat = 2 };

uint32_t bitsOf(float v) {
    uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

float floatOf(uint32_t b) {
    float v;
    std::memcpy(&v, &b, sizeof v);
    return v;
}

// float(k / divisor) for every 16-bit k: the distances the decoders produce
// from millimetre and centimetre fields.
struct DistanceTable {
    explicit DistanceTable(double divisor) : divisor(divisor) {
        for (uint32_t k = 0; k < 65536; ++k) bits[k] = bitsOf(float(k / divisor));
    }
    // The 16-bit field that gives exactly d, or -1.
    long fieldOf(float d) const {
        // Any rounding will do: the table decides whether k gives d exactly.
        const double x = double(d) * divisor + 0.5;
        if (!(x >= 0.0 && x < 65536.0)) return -1;
        const uint32_t k = uint32_t(x);
        return bits[k] == bitsOf(d) ? long(k) : -1;
    }
    double divisor;
    uint32_t bits[65536];
};

const DistanceTable& mmTable() {
    static const auto* table = new DistanceTable(1000.0);
    return *table;
}

const DistanceTable& cmTable() {
    static const auto* table = new DistanceTable(100.0);
    return *table;
}

int validCount(const RawData& fan) {
    return fan.count < kMaxFanPoints ? fan.count : kMaxFanPoints;
}

// The decoders' own arithmetic: step = span / count, then (i * step + start) tenths.
struct Spread {
    explicit Spread(const RawData& fan)
        : step(fan.count ? double(fan.span) / fan.count : 0.0), start(fan.start) {}
    float angle(int i) const { return float((i * step + start) * kTenthToRad); }
    double step;
    double start;
};

bool anglesAreSpread(const RawData& fan, int n) {
    // Formats with more than 550 points per fan do not exist; a clamped count
    // would not reproduce the step, so those fans keep their own angles.
    if (n != fan.count) return false;
    const Spread spread(fan);
    for (int i = 0; i < n; ++i)
        if (bitsOf(spread.angle(i)) != bitsOf(fan.points[i].angle)) return false;
    return true;
}

// Fills fields with the 16-bit field of every distance; false when one has none.
bool distanceFields(const RawData& fan, int n, const DistanceTable& table, uint16_t* fields) {
    for (int i = 0; i < n; ++i) {
        const long k = table.fieldOf(fan.points[i].distance);
        if (k < 0) return false;
        fields[i] = uint16_t(k);
    }
    return true;
}

// ---------------------------------------------------------------- byte writer/reader
// In-memory only, so host byte order.

// Writes into a buffer the caller sized for the worst case of a fan.
struct Writer {
    uint8_t* p;
    template <typename T>
    void put(T v) {
        std::memcpy(p, &v, sizeof v);
        p += sizeof v;
    }
    void varint(uint64_t v) {
        while (v >= 0x80) {
            *p++ = uint8_t(v | 0x80);
            v >>= 7;
        }
        *p++ = uint8_t(v);
    }
};

constexpr size_t kFanHeaderBytes = 29;
constexpr size_t kMaxVarintBytes = 10;

size_t worstCaseBytes(int n) {
    return kFanHeaderBytes + 4 + size_t(n) * (kMaxVarintBytes + 4 + 1);
}

// A buffer that only grows, so that making room never clears bytes.
struct Scratch {
    std::vector<uint8_t> bytes;
    size_t used = 0;
    uint8_t* room(size_t n) {
        if (used + n > bytes.size()) bytes.resize(std::max(bytes.size() * 2, used + n));
        return bytes.data() + used;
    }
};

uint64_t zigzag(int64_t v) {
    return (uint64_t(v) << 1) ^ uint64_t(v >> 63);
}

int64_t unzigzag(uint64_t v) {
    return int64_t(v >> 1) ^ -int64_t(v & 1);
}

struct Reader {
    const uint8_t* p;
    template <typename T>
    T get() {
        T v;
        std::memcpy(&v, p, sizeof v);
        p += sizeof v;
        return v;
    }
    uint64_t varint() {
        uint64_t v = 0;
        for (int shift = 0;; shift += 7) {
            const uint8_t b = *p++;
            v |= uint64_t(b & 0x7F) << shift;
            if (!(b & 0x80)) return v;
        }
    }
};

void encodeFan(Scratch& buffer, const RawData& fan) {
    const int n = validCount(fan);
    uint8_t* const begin = buffer.room(worstCaseBytes(n));
    Writer out{begin};
    out.put(fan.tag);
    out.put(fan.count);
    out.put(fan.start);
    out.put(fan.span);
    out.put(fan.reserved1);
    out.put(fan.reserved2);
    out.put(fan.deviceWord);
    out.put(fan.stampSec);
    out.put(fan.stampUsec);

    uint16_t fields[kMaxFanPoints];
    const AngleCoding angles = anglesAreSpread(fan, n) ? AnglesSpread : AnglesDelta;
    DistanceCoding distances = DistanceFloat;
    if (distanceFields(fan, n, mmTable(), fields))
        distances = DistanceMm;
    else if (distanceFields(fan, n, cmTable(), fields))
        distances = DistanceCm;
    out.put(uint8_t(angles | distances << 2));

    if (angles == AnglesDelta && n > 0) {
        // Neighbouring angles grow by a nearly constant step, so the change
        // of the step (in units of the float's last bit) is a small number.
        int64_t previous = bitsOf(fan.points[0].angle);
        int64_t step = 0;
        out.put(uint32_t(previous));
        for (int i = 1; i < n; ++i) {
            const int64_t bits = bitsOf(fan.points[i].angle);
            const int64_t d = bits - previous;
            out.varint(zigzag(d - step));
            step = d;
            previous = bits;
        }
    }
    if (distances == DistanceFloat) {
        for (int i = 0; i < n; ++i) out.put(bitsOf(fan.points[i].distance));
    } else {
        std::memcpy(out.p, fields, size_t(n) * sizeof(uint16_t));
        out.p += size_t(n) * sizeof(uint16_t);
    }
    for (int i = 0; i < n; ++i) *out.p++ = fan.points[i].energy;
    buffer.used += size_t(out.p - begin);
}

void decodeFan(Reader& in, RawData& fan) {
    fan = RawData{};
    fan.tag = in.get<uint16_t>();
    fan.count = in.get<uint16_t>();
    fan.start = in.get<uint16_t>();
    fan.span = in.get<uint16_t>();
    fan.reserved1 = in.get<int32_t>();
    fan.reserved2 = in.get<int32_t>();
    fan.deviceWord = in.get<uint32_t>();
    fan.stampSec = in.get<int32_t>();
    fan.stampUsec = in.get<int32_t>();
    const uint8_t coding = in.get<uint8_t>();
    const int n = validCount(fan);

    if ((coding & 3) == AnglesSpread) {
        const Spread spread(fan);
        for (int i = 0; i < n; ++i) fan.points[i].angle = spread.angle(i);
    } else if (n > 0) {
        int64_t bits = in.get<uint32_t>();
        int64_t step = 0;
        fan.points[0].angle = floatOf(uint32_t(bits));
        for (int i = 1; i < n; ++i) {
            step += unzigzag(in.varint());
            bits += step;
            fan.points[i].angle = floatOf(uint32_t(bits));
        }
    }
    const uint8_t distances = coding >> 2;
    if (distances == DistanceFloat) {
        for (int i = 0; i < n; ++i) fan.points[i].distance = floatOf(in.get<uint32_t>());
    } else {
        const DistanceTable& table = distances == DistanceMm ? mmTable() : cmTable();
        for (int i = 0; i < n; ++i) fan.points[i].distance = floatOf(table.bits[in.get<uint16_t>()]);
    }
    for (int i = 0; i < n; ++i) fan.points[i].energy = *in.p++;
}

}  // namespace

// ---------------------------------------------------------------- arena

namespace {

constexpr size_t kHugePage = size_t(2) << 20;
constexpr size_t kAlignment = 16;

size_t roundUp(size_t n, size_t to) {
    return (n + to - 1) / to * to;
}

// A block starting on a huge-page boundary, so that the system may back it
// with huge pages: a few page faults per block instead of one per 4 KiB.
std::shared_ptr<uint8_t> newBlock(size_t size) {
    const size_t mapped = size + kHugePage;
    void* map = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED) throw std::bad_alloc();
    auto* start = reinterpret_cast<uint8_t*>(roundUp(reinterpret_cast<uintptr_t>(map), kHugePage));
    madvise(start, size, MADV_HUGEPAGE);  // a hint; without it pages are small
    return std::shared_ptr<uint8_t>(start, [map, mapped](uint8_t*) { munmap(map, mapped); });
}

}  // namespace

std::shared_ptr<uint8_t> CompactArena::allocate(size_t n) {
    n = roundUp(n ? n : 1, kAlignment);
    if (!m_block || m_size - m_used < n) {
        m_size = roundUp(std::max(n, kBlockBytes), kHugePage);
        m_block = newBlock(m_size);
        m_used = 0;
    }
    std::shared_ptr<uint8_t> room(m_block, m_block.get() + m_used);
    m_used += n;
    return room;
}

// ---------------------------------------------------------------- revolution

CompactRevolution::CompactRevolution(const Revolution& revolution, CompactArena* arena) {
    // One scratch buffer per thread: the encoder grows it once, and each
    // revolution is then copied out at its exact size.
    thread_local Scratch scratch;
    scratch.used = 0;
    for (const RawData& fan : revolution) {
        encodeFan(scratch, fan);
        m_points += validCount(fan);
    }
    m_fans = int(revolution.size());
    m_size = scratch.used;
    std::shared_ptr<uint8_t> bytes =
        arena ? arena->allocate(m_size)
              : std::shared_ptr<uint8_t>(new uint8_t[m_size ? m_size : 1], std::default_delete<uint8_t[]>());
    std::memcpy(bytes.get(), scratch.bytes.data(), m_size);
    m_bytes = std::move(bytes);
}

void CompactRevolution::expandInto(Revolution& out) const {
    out.resize(size_t(m_fans));
    if (!m_bytes) return;
    Reader in{m_bytes.get()};
    for (RawData& fan : out) decodeFan(in, fan);
}

Revolution CompactRevolution::expand() const {
    Revolution out;
    expandInto(out);
    return out;
}
