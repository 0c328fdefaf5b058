#include "gap_meter.h"

#include <time.h>

#include <algorithm>

namespace {

constexpr int kBins = 20000;

int64_t threadCpuUs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return int64_t(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

}  // namespace

void GapMeter::Histogram::add(int64_t us) {
    if (bins.empty()) bins.assign(kBins, 0);
    ++bins[size_t(std::clamp<int64_t>(us / 100, 0, kBins - 1))];
}

double GapMeter::Histogram::percentileMs(double share, uint64_t count, double ceilingMs) const {
    if (count == 0 || bins.empty()) return 0;
    const uint64_t wanted = std::max<uint64_t>(1, uint64_t(share * double(count) + 0.5));
    uint64_t seen = 0;
    for (int i = 0; i < kBins; ++i) {
        seen += bins[size_t(i)];
        // The upper edge of the bin: no gap in it is longer.
        if (seen >= wanted) return std::min((i + 1) / 10.0, ceilingMs);
    }
    return ceilingMs;
}

GapMeter::GapMeter(QObject* parent) : QObject(parent) {
    m_clock.start();
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &GapMeter::tick);
    m_timer.start(kTickMs);
}

void GapMeter::reset() {
    m_gaps.bins.clear();
    m_busy.bins.clear();
    m_ticks = 0;
    m_longestUs = 0;
    m_lastTickUs = -1;
}

void GapMeter::tick() {
    const int64_t now = m_clock.nsecsElapsed() / 1000;
    const int64_t cpu = threadCpuUs();
    if (m_lastTickUs >= 0) {
        const int64_t gap = now - m_lastTickUs;
        m_gaps.add(gap);
        m_busy.add(cpu - m_lastCpuUs);
        m_longestUs = std::max(m_longestUs, gap);
        ++m_ticks;
    }
    m_lastTickUs = now;
    m_lastCpuUs = cpu;
}

double GapMeter::percentileMs(double share, bool busy) const {
    return (busy ? m_busy : m_gaps).percentileMs(share, m_ticks, busy ? 2000.0 : longestMs());
}
