#include "dialog_playback.h"

#include <QEvent>

#include "ui_dialog_playback.h"

Dialog_Playback::Dialog_Playback(QWidget* parent) : QDialog(parent), ui(new Ui::Dialog_Playback) {
    ui->setupUi(this);
    registerTaskMetaTypes();  // sig_playprogress carries std::vector<RawData>
    connect(&m_timer, &QTimer::timeout, this, &Dialog_Playback::recv_timeout);
    // A new rate applies at once while replaying.
    connect(ui->cb_framerate, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] {
        if (m_playing) applyFrameRate();
    });
}

Dialog_Playback::~Dialog_Playback() {
    delete ui;
}

// ---------------------------------------------------------------- cache

void Dialog_Playback::addCachedFrame(std::vector<RawData> frame, float progress) {
    addCachedFrames(progress == 100.0f ? std::vector<CompactRevolution>{}
                                       : std::vector<CompactRevolution>{CompactRevolution(frame)},
                    progress);
}

void Dialog_Playback::addCachedFrames(const std::vector<CompactRevolution>& frames, float progress) {
    if (progress == 100.0f) {
        ui->le_info->setText(tr("Caching is finish!"));
        return;
    }
    m_cache.insert(m_cache.end(), frames.begin(), frames.end());
    m_progress = progress;
    ui->le_info->setText(tr("Current Cache Progress:%%1").arg(double(progress), 0, 'g', 6));
    if (m_autoPlay && !m_cache.empty()) {
        m_autoPlay = false;
        if (!m_playing) on_pb_start_clicked();
    }
}

void Dialog_Playback::resetCache() {
    m_timer.stop();
    m_cache.clear();
    m_cache.shrink_to_fit();
    m_progress = 0.0f;
    m_playing = false;
    m_index = 0;
    m_autoPlay = false;
    ui->horizontalSlider->setValue(0);
    setProgressLabel(0);
    showPlayState();
    ui->le_info->setText(tr("请选择播放帧率并点击开始按钮"));
}

// ---------------------------------------------------------------- replay

void Dialog_Playback::setProgressLabel(int percent) {
    ui->lb_progress->setText(QStringLiteral("%%1").arg(percent));
}

void Dialog_Playback::applyFrameRate() {
    const int rate = ui->cb_framerate->currentText().toInt();
    m_timer.setInterval(int(1000.0f / float(rate > 0 ? rate : 1)));  // 100, 200, 333 or 1000 ms
}

void Dialog_Playback::showPlayState() {
    ui->pb_start->setText(m_playing ? tr("parse") : tr("play"));
}

void Dialog_Playback::on_pb_start_clicked() {
    m_playing = !m_playing;
    if (m_playing) {
        applyFrameRate();
        m_timer.start();
    } else {
        m_timer.stop();
    }
    showPlayState();
}

void Dialog_Playback::recv_timeout() {
    const int size = cacheSize();
    if (m_index < size) {
        const int percent = int(qint64(m_index) * 100 / size);
        ui->horizontalSlider->setValue(percent);
        setProgressLabel(percent);
        emit sig_playprogress(m_cache[size_t(m_index)].expand());
        ++m_index;
        return;
    }
    m_timer.stop();
    m_playing = false;
    showPlayState();
    setProgressLabel(100);
    ui->le_info->setText(tr("Playback is end!"));
}

void Dialog_Playback::on_horizontalSlider_sliderMoved(int position) {
    setProgressLabel(position);
    if (m_cache.empty()) return;
    const int index = int(position * (double(m_cache.size()) / 100.0));
    m_index = index < 0 ? 0 : (index >= cacheSize() ? cacheSize() - 1 : index);
    emit sig_playprogress(m_cache[size_t(m_index)].expand());
}

// ---------------------------------------------------------------- closing

void Dialog_Playback::on_pb_close_clicked() {
    m_timer.stop();
    emit sig_close();
    QDialog::reject();  // hides
}

void Dialog_Playback::reject() {
    on_pb_close_clicked();
}

void Dialog_Playback::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        // The form's texts follow the language; the running state keeps its own.
        const QString info = ui->le_info->text();
        const QString progress = ui->lb_progress->text();
        ui->retranslateUi(this);
        ui->le_info->setText(info);
        ui->lb_progress->setText(progress);
        showPlayState();
    }
    QDialog::changeEvent(event);
}
