#include "gap_meter.h"

#include <algorithm>

GapMeter::GapMeter(QObject* parent) : QObject(parent), m_bins(kBins, 0) {
    m_clock.start();
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &GapMeter::tick);
    m_timer.start(kTickMs);
}

void GapMeter::reset() {
    std::fill(m_bins.begin(), m_bins.end(), 0);
    m_ticks = 0;
    m_longestUs = 0;
    m_lastTickUs = -1;
}

void GapMeter::tick() {
    const int64_t now = m_clock.nsecsElapsed() / 1000;
    if (m_lastTickUs >= 0) {
        const int64_t gap = now - m_lastTickUs;
        ++m_bins[size_t(std::clamp<int64_t>(gap / 100, 0, kBins - 1))];
        m_longestUs = std::max(m_longestUs, gap);
        ++m_ticks;
    }
    m_lastTickUs = now;
}

double GapMeter::percentileMs(double share) const {
    if (m_ticks == 0) return 0;
    const uint64_t wanted = std::max<uint64_t>(1, uint64_t(share * double(m_ticks) + 0.5));
    uint64_t seen = 0;
    for (int i = 0; i < kBins; ++i) {
        seen += m_bins[size_t(i)];
        // The upper edge of the bin: no gap in it is longer.
        if (seen >= wanted) return std::min((i + 1) / 10.0, longestMs());
    }
    return longestMs();
}
