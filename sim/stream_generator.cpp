#include "stream_generator.h"

#include <algorithm>

#include "packet_encoders.h"

namespace sim {

namespace {

constexpr int kMaxPoints = 550;
constexpr int kLegacyMinPoints = 30;
constexpr int kLegacyMaxPoints = 300;
// A segment's point offsets are u16 millidegrees, so no segment may be
// wider than 65.535 degrees.
constexpr int kMaxSegmentDegrees = 60;

bool segmented(StreamFormat f) {
    return f == StreamFormat::Faaa || f == StreamFormat::Fac7;
}

// Points per fan: ten per degree where the family allows, fewer otherwise,
// always a whole number per degree so every fan has the same resolution.
int pointsFor(StreamFormat format, int fanDegrees) {
    const int limit = format == StreamFormat::Legacy ? kLegacyMaxPoints : kMaxPoints;
    for (int perDegree : {10, 8, 5, 4, 2, 1}) {
        if (fanDegrees * perDegree <= limit) return fanDegrees * perDegree;
    }
    return 0;
}

}  // namespace

bool StreamGenerator::validate(StreamFormat format, int fanDegrees, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (fanDegrees <= 0 || 360 % fanDegrees != 0 || fanDegrees % 9 != 0)
        return fail(QStringLiteral("fan width must divide 360 and be a multiple of 9 degrees"));
    // Both of these families have no span field: receivers assume 36 degrees.
    if ((format == StreamFormat::Face || format == StreamFormat::Legacy) && fanDegrees != 36)
        return fail(QStringLiteral("face and legacy fans are always 36 degrees"));
    const int points = pointsFor(format, fanDegrees);
    if (points <= 0) return fail(QStringLiteral("no point count fits this fan width"));
    if (format == StreamFormat::Legacy && points < kLegacyMinPoints)
        return fail(QStringLiteral("legacy fans need at least 30 points"));
    return true;
}

StreamGenerator::StreamGenerator(StreamFormat format, int fanDegrees, uint32_t seed)
    : m_format(format), m_fanDegrees(fanDegrees), m_scene(seed) {
    m_points = pointsFor(format, fanDegrees);
    if (segmented(format))
        m_segments = std::max(2, (fanDegrees + kMaxSegmentDegrees - 1) / kMaxSegmentDegrees);
}

std::vector<QByteArray> StreamGenerator::fan(uint64_t fanNumber, const FanContext& ctx) {
    const int fans = fansPerRevolution();
    const int indexInRevolution = static_cast<int>(fanNumber % fans);
    const uint32_t revolution = static_cast<uint32_t>(fanNumber / fans);
    const int n = m_points;
    const uint16_t start = static_cast<uint16_t>(indexInRevolution * m_fanDegrees * 10);  // 0.1 degree
    const uint16_t span = static_cast<uint16_t>(m_fanDegrees * 10);
    const int64_t msTotal = ctx.epochMicros / 1000;
    uint32_t msWithinHour = static_cast<uint32_t>(msTotal % 3600000);

    // Point i lies at start + i * span / N tenths, the spacing every family
    // with a span field implies.
    std::vector<FanPoint> points(n);
    for (int i = 0; i < n; ++i) {
        const double tenths = start + double(i) * span / n;
        const double deg = tenths / 10.0;
        const double world = ctx.counterClockwise ? deg : 360.0 - deg;
        points[i] = m_scene.sample(world, ctx.sceneSeconds);
    }

    std::vector<QByteArray> out;
    switch (m_format) {
        case StreamFormat::Facf:
            out.push_back(encodeFacf(start, span, points));
            break;
        case StreamFormat::Face:
            out.push_back(encodeFace(start, points));
            break;
        case StreamFormat::Fadf: {
            const uint16_t first = static_cast<uint16_t>(start * 10);
            const uint16_t last = static_cast<uint16_t>(start * 10 + (n - 1) * span * 10 / n);
            out.push_back(encodeFadf(start, span, first, last, points));
            break;
        }
        case StreamFormat::Fa9d:
            out.push_back(encodeFa9d(start, span, points));
            break;
        case StreamFormat::Fa99:
            out.push_back(encodeFa99(static_cast<uint16_t>(indexInRevolution * n),
                                     static_cast<uint16_t>(n * fans), msWithinHour, points));
            break;
        case StreamFormat::Faaa:
        case StreamFormat::Fac7: {
            // 0xFAC7 tells fans apart by their device time alone, so two fans
            // may never share a millisecond even at the highest speeds.
            if (m_format == StreamFormat::Fac7) {
                if (msWithinHour == m_lastDeviceMs) msWithinHour = (msWithinHour + 1) % 3600000;
                m_lastDeviceMs = msWithinHour;
            }
            const uint32_t spanMilli = uint32_t(span) * 100;
            const uint32_t startMilli = uint32_t(start) * 100;
            for (int s = 0; s < m_segments; ++s) {
                const int a = n * s / m_segments, b = n * (s + 1) / m_segments;
                const uint32_t segStart = startMilli + uint32_t(a) * spanMilli / n;
                SegmentHeader h;
                h.totalPoints = static_cast<uint16_t>(n);
                h.index = static_cast<uint16_t>(s);
                h.segmentStart = segStart;
                h.fanEnd = startMilli + spanMilli;
                h.deviceWord = revolution;
                if (m_format == StreamFormat::Faaa) {
                    h.word20 = static_cast<uint32_t>(ctx.epochMicros / 1000000);
                    h.word24 = static_cast<uint32_t>((ctx.epochMicros % 1000000) * 1000);
                } else {
                    h.word20 = msWithinHour;
                    h.word24 = revolution;
                }
                std::vector<FanPoint> part(points.begin() + a, points.begin() + b);
                std::vector<uint16_t> offsets;
                offsets.reserve(b - a);
                for (int i = a; i < b; ++i)
                    offsets.push_back(
                        static_cast<uint16_t>(startMilli + uint32_t(i) * spanMilli / n - segStart));
                out.push_back(m_format == StreamFormat::Faaa ? encodeFaaaSegment(h, part, offsets)
                                                             : encodeFac7Segment(h, part, offsets));
            }
            break;
        }
        case StreamFormat::Legacy: {
            if (indexInRevolution == 0) {
                // Flag 0: millimetres. Flag 1 stays clear: it would switch a
                // receiver back to the general decoder. In the legacy mode the
                // receiver reads smoothing from bit 3 and the trailing-point
                // filter from bit 2.
                uint8_t flags = 0x01;
                if (ctx.smoothing) flags |= 0x08;
                if (ctx.trailingRemoval) flags |= 0x04;
                out.push_back(encodeStatusPacket(flags));
            }
            std::vector<uint16_t> words(n);
            for (int i = 0; i < n; ++i) words[i] = points[i].distance;
            out.push_back(encodeLegacyFace(start, words));
            break;
        }
    }
    return out;
}

}  // namespace sim
