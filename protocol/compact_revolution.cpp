#include "compact_revolution.h"

#include <cmath>
#include <cstring>

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
        const double k = std::nearbyint(double(d) * divisor);
        if (!(k >= 0.0 && k <= 65535.0)) return -1;
        return bits[size_t(k)] == bitsOf(d) ? long(k) : -1;
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

float spreadAngle(const RawData& fan, int i) {
    const double step = fan.count ? double(fan.span) / fan.count : 0.0;
    return float((i * step + fan.start) * kTenthToRad);
}

bool anglesAreSpread(const RawData& fan, int n) {
    // Formats with more than 550 points per fan do not exist; a clamped count
    // would not reproduce the step, so those fans keep their own angles.
    if (n != fan.count) return false;
    for (int i = 0; i < n; ++i)
        if (bitsOf(spreadAngle(fan, i)) != bitsOf(fan.points[i].angle)) return false;
    return true;
}

bool distancesFit(const RawData& fan, int n, const DistanceTable& table) {
    for (int i = 0; i < n; ++i)
        if (table.fieldOf(fan.points[i].distance) < 0) return false;
    return true;
}

// ---------------------------------------------------------------- byte writer/reader
// In-memory only, so host byte order.

template <typename T>
void put(std::vector<uint8_t>& out, T v) {
    const size_t at = out.size();
    out.resize(at + sizeof v);
    std::memcpy(out.data() + at, &v, sizeof v);
}

void putVarint(std::vector<uint8_t>& out, uint64_t v) {
    while (v >= 0x80) {
        out.push_back(uint8_t(v | 0x80));
        v >>= 7;
    }
    out.push_back(uint8_t(v));
}

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

void encodeFan(std::vector<uint8_t>& out, const RawData& fan) {
    const int n = validCount(fan);
    put(out, fan.tag);
    put(out, fan.count);
    put(out, fan.start);
    put(out, fan.span);
    put(out, fan.reserved1);
    put(out, fan.reserved2);
    put(out, fan.deviceWord);
    put(out, fan.stampSec);
    put(out, fan.stampUsec);

    const AngleCoding angles = anglesAreSpread(fan, n) ? AnglesSpread : AnglesDelta;
    DistanceCoding distances = DistanceFloat;
    if (distancesFit(fan, n, mmTable()))
        distances = DistanceMm;
    else if (distancesFit(fan, n, cmTable()))
        distances = DistanceCm;
    put(out, uint8_t(angles | distances << 2));

    if (angles == AnglesDelta && n > 0) {
        // Neighbouring angles grow by a nearly constant step, so the change
        // of the step (in units of the float's last bit) is a small number.
        int64_t previous = bitsOf(fan.points[0].angle);
        int64_t step = 0;
        put(out, uint32_t(previous));
        for (int i = 1; i < n; ++i) {
            const int64_t bits = bitsOf(fan.points[i].angle);
            const int64_t d = bits - previous;
            putVarint(out, zigzag(d - step));
            step = d;
            previous = bits;
        }
    }
    if (distances == DistanceFloat) {
        for (int i = 0; i < n; ++i) put(out, bitsOf(fan.points[i].distance));
    } else {
        const DistanceTable& table = distances == DistanceMm ? mmTable() : cmTable();
        for (int i = 0; i < n; ++i) put(out, uint16_t(table.fieldOf(fan.points[i].distance)));
    }
    for (int i = 0; i < n; ++i) out.push_back(fan.points[i].energy);
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
        for (int i = 0; i < n; ++i) fan.points[i].angle = spreadAngle(fan, i);
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

CompactRevolution::CompactRevolution(const Revolution& revolution) {
    // One scratch buffer per thread: the encoder grows it once, and each
    // revolution is then copied out at its exact size.
    thread_local std::vector<uint8_t> scratch;
    scratch.clear();
    for (const RawData& fan : revolution) {
        encodeFan(scratch, fan);
        m_points += validCount(fan);
    }
    m_fans = int(revolution.size());
    m_bytes = std::make_shared<const std::vector<uint8_t>>(scratch.begin(), scratch.end());
}

void CompactRevolution::expandInto(Revolution& out) const {
    out.resize(size_t(m_fans));
    if (!m_bytes) return;
    Reader in{m_bytes->data()};
    for (RawData& fan : out) decodeFan(in, fan);
}

Revolution CompactRevolution::expand() const {
    Revolution out;
    expandInto(out);
    return out;
}
