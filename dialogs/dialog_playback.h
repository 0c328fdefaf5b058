#pragma once
// Playback control: keeps the revolutions a recording yields (compacted, in
// file order, as the playback worker caches them) and replays them from
// memory at a chosen frame rate, with a slider to jump to any point.
//
// GUI thread only. A revolution is expanded to fans only when it is shown
// (sig_playprogress). Caching may still run while replay starts; replay
// sees whatever has been cached so far.

#include <QDialog>
#include <QTimer>
#include <vector>

#include "compact_revolution.h"
#include "metatypes.h"
#include "rawdata.h"

namespace Ui {
class Dialog_Playback;
}

class Dialog_Playback : public QDialog {
    Q_OBJECT

public:
    explicit Dialog_Playback(QWidget* parent = nullptr);
    ~Dialog_Playback() override;

    // One revolution and the share of the file cached so far, percent;
    // progress 100 ends the cache and its frame is not kept.
    void addCachedFrame(std::vector<RawData> frame, float progress);
    // The same for a batch of revolutions.
    void addCachedFrames(const std::vector<CompactRevolution>& frames, float progress);
    // Forgets the cache for a new recording: replay stopped at its start and
    // the texts as on opening.
    void resetCache();
    // Starts the replay by itself as soon as the first revolution is cached
    // (a recording opened from the command line). Until the next reset.
    void playWhenCached() { m_autoPlay = true; }

    int cacheSize() const { return int(m_cache.size()); }
    const std::vector<CompactRevolution>& cache() const { return m_cache; }
    int replayIndex() const { return m_index; }
    bool isPlaying() const { return m_playing; }
    float cacheProgress() const { return m_progress; }
    const QTimer& replayTimer() const { return m_timer; }

public slots:
    void recv_timeout();
    void on_pb_start_clicked();
    void on_pb_close_clicked();
    void on_horizontalSlider_sliderMoved(int position);

signals:
    // One revolution to draw.
    void sig_playprogress(std::vector<RawData> data);
    void sig_close();

protected:
    // Esc and the window's close button end the playback like pb_close.
    void reject() override;
    void changeEvent(QEvent* event) override;

private:
    void setProgressLabel(int percent);
    void applyFrameRate();
    void showPlayState();

    Ui::Dialog_Playback* ui;
    std::vector<CompactRevolution> m_cache;
    float m_progress = 0.0f;
    bool m_playing = false;
    int m_index = 0;
    bool m_autoPlay = false;
    QTimer m_timer;
};
