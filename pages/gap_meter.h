#pragma once
// GapMeter: how long the GUI thread leaves a timer waiting. A precise timer
// asks for a tick every kTickMs; the time between two ticks is a gap (kTickMs
// when the thread is idle, longer while something holds it). On a loaded
// machine a gap also holds the time the thread waited for a processor, so the
// thread's own processor time between two ticks is kept beside it: the busy
// part of a gap, which the program's own work caused. Used by the window's
// soak probe and by the device-list storm benchmark.
//
// Lives on the thread whose responsiveness it measures (the GUI thread).

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <vector>

class GapMeter : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 4;

    explicit GapMeter(QObject* parent = nullptr);

    // Forgets every gap measured so far (the start-up of what is measured).
    void reset();
    // Gap in milliseconds that `share` (0 < share <= 1) of all gaps do not
    // exceed, to 0.1 ms; 0 before the second tick. busy: the thread's own
    // processor time within each gap instead of the whole gap.
    double percentileMs(double share, bool busy = false) const;
    double longestMs() const { return m_longestUs / 1000.0; }
    uint64_t ticks() const { return m_ticks; }

private:
    // 0.1 ms bins up to 2 s; longer gaps land in the last bin.
    struct Histogram {
        std::vector<uint32_t> bins;
        void add(int64_t us);
        double percentileMs(double share, uint64_t count, double ceilingMs) const;
    };

    void tick();

    Histogram m_gaps;
    Histogram m_busy;
    uint64_t m_ticks = 0;
    int64_t m_longestUs = 0;
    int64_t m_lastTickUs = -1;
    int64_t m_lastCpuUs = 0;
    QElapsedTimer m_clock;
    QTimer m_timer;
};
