#include "legacy_decoder.h"
#include "le_bytes.h"

#include <cstdio>

namespace {

constexpr double kTenthToRad = 3.1415926535898 / 1800.0;
constexpr size_t kScanDropThreshold = 1024;

// Old serial firmware sends 30..300 points per 36-degree fan; anything else
// is a false match inside the point data.
constexpr int kMinPoints = 30;
constexpr int kMaxPoints = 300;

}  // namespace

int decode_legacy_stream(size_t len, const uint8_t* buf, uint8_t statusFlags[8], RawData& rawOut,
                         size_t& consumedOut, bool verifyChecksum) {
    if (len < 8) return 0;

    size_t p = 0;
    const size_t last = len - 8;
    while (p <= last) {
        const uint8_t* m = buf + p;
        if (m[0] == 'S' && m[1] == 'T' && m[6] == 'E' && m[7] == 'D') {
            // The legacy firmware reports smooth and filter in swapped bits.
            for (int i = 0; i < 8; ++i) statusFlags[i] = (m[2] >> i) & 1;
            statusFlags[2] = (m[2] >> 3) & 1;
            statusFlags[3] = (m[2] >> 2) & 1;
            consumedOut = p + 8;
            return 9;
        }
        if (m[0] == 0xCE && m[1] == 0xFA) {
            const int n = le16(m + 2);
            const int s = le16(m + 4);
            if (s % 360 != 0) {
                std::printf("bad angle %d\n", s);
                p += 2;
                continue;
            }
            if (n < kMinPoints || n > kMaxPoints) {
                std::printf("points number %d seem not correct\n", n);
                p += 2;
                continue;
            }
            const size_t total = 2 * size_t(n) + 8;
            if (total > len - p) break;  // more bytes needed

            const bool millimetres = statusFlags[0] != 0;
            const bool withEnergy = statusFlags[1] != 0;
            const double unit = millimetres ? 1000.0 : 100.0;
            const double step = 360.0 / n;
            uint32_t sum = uint32_t(s) + uint32_t(n);
            const uint8_t* words = m + 6;
            for (int i = 0; i < n; ++i) {
                const uint16_t w = le16(words + 2 * i);
                sum += w;
                RawPoint& pt = rawOut.points[i];
                pt.angle = float((i * step + s) * kTenthToRad);
                pt.distance = float((withEnergy ? (w & 0x1FFF) : w) / unit);
                pt.energy = withEnergy ? uint8_t(w >> 13) : 0;
            }
            consumedOut = p + total;
            if (verifyChecksum && uint16_t(sum) != le16(words + 2 * n)) {
                std::puts("chksum error");
                rawOut.count = 0;
                return 0;
            }
            rawOut.tag = le16(m);
            rawOut.count = uint16_t(n);
            rawOut.start = uint16_t(s);
            rawOut.span = 360;
            rawOut.reserved1 = 0;
            rawOut.reserved2 = 0;
            rawOut.deviceWord = 0;
            rawOut.stampSec = 0;
            rawOut.stampUsec = 0;
            return 1;
        }
        ++p;
    }
    if (p > kScanDropThreshold) consumedOut = p / 2;
    return 0;
}
