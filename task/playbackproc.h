#pragma once
// PlaybackProc: caches a recording (data0.dump) for replay. One call of
// recv_playback reads the file whole, decodes it as fast as it can with the
// replay loop every recording goes through (stream_replay.h), and hands the
// complete revolutions to the GUI compacted and in batches (sig_CacheData):
// a 50 MiB recording holds tens of thousands of revolutions, which must not
// become as many queued signals nor as many fixed-size fan records.
//
// Thread affinity: a QObject moved to a worker thread of its own; a loop
// blocks that thread until the file is consumed. recv_isplayback,
// recv_playprogress, stop and cancelThrough are called directly from other
// threads while a loop runs, so the state they touch is atomic.

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <atomic>
#include <vector>

#include "compact_revolution.h"

// Revolutions cached by one playback run, in file order.
struct CachedRevolutions {
    int run = 0;  // the recv_playback call they come from, counted from 1
    std::vector<CompactRevolution> revolutions;
};
Q_DECLARE_METATYPE(CachedRevolutions)

class PlaybackProc : public QObject {
    Q_OBJECT

public:
    // A batch goes out when it holds this many revolutions, or once the
    // file has advanced another percent, or before the loop pauses or ends.
    static constexpr int kBatchRevolutions = 256;
    static constexpr float kBatchProgressStep = 1.0f;
    static constexpr int kPauseSliceMs = 10;

    explicit PlaybackProc(QObject* parent = nullptr);
    ~PlaybackProc() override;

    // Registers "CachedRevolutions". Idempotent; any thread.
    static void registerMetaTypes();

    // ---- any thread
    // Ends a running loop for good (the program closes).
    void stop() { m_running = false; }
    // Playback runs numbered up to `run` end at their next step, or return at
    // once when they have not started yet: a newer file replaces them, or
    // the operator closed the playback.
    void cancelThrough(int run) { m_cancelledThrough = run; }
    // True while a loop waits for recv_isplayback(true).
    bool isPaused() const { return m_paused; }
    bool isPlaying() const { return m_playing; }

public slots:
    // Caches one recording. Runs on the worker thread until the file is
    // consumed, the run is cancelled or the worker stopped.
    void recv_playback(QString filename);
    // false pauses the loop, true resumes it.
    void recv_isplayback(bool isplay);
    // Jumps to progress percent of the file after the next message.
    void recv_playprogress(int progress);

signals:
    // Complete revolutions and the share of the file read so far, percent.
    // The last emission of a run has progress 100 and holds the fans after
    // the last complete revolution, if any (not a revolution: not for replay).
    void sig_CacheData(CachedRevolutions data, float progress);
    // The revolution boundary found at the start of the file, 0.1 degree.
    void sig_offsetAngle(int angle);
    // Type 1 with an error text (local 8-bit) for the operator.
    void sig_data(int type, QByteArray data);

private:
    bool cancelled(int run) const { return !m_running || m_cancelledThrough.load() >= run; }
    void reportError(const QString& text);

    std::atomic<bool> m_running{true};
    int m_verify = 1;
    bool m_nearZero = false;
    std::atomic<bool> m_playing{true};
    std::atomic<int> m_seekPercent{-1};
    std::atomic<bool> m_paused{false};
    std::atomic<int> m_cancelledThrough{0};
    int m_runs = 0;  // worker thread only
};
