#pragma once
// GapMeter: how long the GUI thread leaves a timer waiting. A precise timer
// asks for a tick every kTickMs; the time between two ticks is a gap (kTickMs
// when the thread is idle, longer while something holds it). Used by the
// window's soak probe and by the device-list storm benchmark.
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
    // exceed, to 0.1 ms; 0 before the second tick.
    double percentileMs(double share) const;
    double longestMs() const { return m_longestUs / 1000.0; }
    uint64_t ticks() const { return m_ticks; }

private:
    void tick();

    // 0.1 ms bins up to 2 s; longer gaps land in the last bin (and in m_longestUs).
    static constexpr int kBins = 20000;
    std::vector<uint32_t> m_bins;
    uint64_t m_ticks = 0;
    int64_t m_longestUs = 0;
    int64_t m_lastTickUs = -1;
    QElapsedTimer m_clock;
    QTimer m_timer;
};
