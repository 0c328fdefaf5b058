#include "dialog_whatif.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <string>

#include "recording_file.h"
#include "stream_replay.h"
#include "thread_handover.h"
#include "zone_image.h"
#include "zone_whatif.h"

namespace {

constexpr int kPollMs = 200;

}  // namespace

// What one check needs and gives back. The worker thread writes the outcome;
// the GUI thread reads it only after the thread has finished.
struct Dialog_WhatIf::Job {
    enum Outcome { Done, Cancelled, OpenFailed, TooLarge, ZonesRefused, NoRevolutions };

    std::string path;
    std::shared_ptr<const zones> list;
    bool mirror = false;
    WhatIfOptions options;
    std::atomic<bool> cancel{false};
    std::atomic<int> progress{0};

    Outcome outcome = Done;
    std::string detail;
    WhatIfResult result;

    void run() {
        RecordingFile file;
        switch (file.open(path)) {
            case RecordingFile::Ok:
                break;
            case RecordingFile::TooLarge:
                outcome = TooLarge;
                return;
            default:
                outcome = OpenFailed;
                return;
        }
        auto image = std::make_unique<ZoneDef>();
        int bad = 0;
        const int status = zones_to_zonedef(*list, mirror, 0, *image, nullptr, &bad);
        if (status != kZoneListOk) {
            outcome = ZonesRefused;
            detail = zone_list_check_text(status, bad);
            return;
        }
        // The replay loop of playback, stepped here so that a cancel is
        // noticed between messages.
        ZoneWhatIf whatIf(*image, options);
        ReplaySink sink;
        sink.revolution = [&](const Revolution& revolution, float percent) {
            whatIf.addRevolution(revolution);
            progress = int(percent);
        };
        StreamReplay replay(file.data(), file.size());
        while (!replay.atEnd()) {
            if (cancel) {
                outcome = Cancelled;
                return;
            }
            replay.step(sink);
        }
        replay.finish(sink);
        result = whatIf.result();
        outcome = result.revolutions > 0 ? Done : NoRevolutions;
    }
};

Dialog_WhatIf::Dialog_WhatIf(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Dialog_WhatIf"));
    auto* layout = new QVBoxLayout(this);

    auto* thresholds = new QHBoxLayout();
    m_pointsLabel = new QLabel(this);
    m_points = new QSpinBox(this);
    m_points->setObjectName(QStringLiteral("sb_points"));
    m_revolutionsLabel = new QLabel(this);
    m_revolutions = new QSpinBox(this);
    m_revolutions->setObjectName(QStringLiteral("sb_revolutions"));
    for (QSpinBox* box : {m_points, m_revolutions}) {
        box->setRange(kWhatIfMinThreshold, kWhatIfMaxThreshold);
        box->setValue(1);
    }
    m_pointsLabel->setBuddy(m_points);
    m_revolutionsLabel->setBuddy(m_revolutions);
    m_run = new QPushButton(this);
    m_run->setObjectName(QStringLiteral("pb_run"));
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("pb_cancel"));
    thresholds->addWidget(m_pointsLabel);
    thresholds->addWidget(m_points);
    thresholds->addWidget(m_revolutionsLabel);
    thresholds->addWidget(m_revolutions);
    thresholds->addStretch();
    thresholds->addWidget(m_run);
    thresholds->addWidget(m_cancel);
    layout->addLayout(thresholds);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lb_status"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_status);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    layout->addWidget(m_progress);

    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("tw_result"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table);

    auto* bottom = new QHBoxLayout();
    m_close = new QPushButton(this);
    m_close->setObjectName(QStringLiteral("pb_close"));
    bottom->addStretch();
    bottom->addWidget(m_close);
    layout->addLayout(bottom);

    m_poll = new QTimer(this);
    m_poll->setInterval(kPollMs);
    connect(m_poll, &QTimer::timeout, this, [this] {
        if (m_job) m_progress->setValue(m_job->progress);
    });
    connect(m_run, &QPushButton::clicked, this, &Dialog_WhatIf::run);
    connect(m_cancel, &QPushButton::clicked, this, &Dialog_WhatIf::cancel);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);

    retranslate();
    setRunning(false);
    resize(760, 420);
}

Dialog_WhatIf::~Dialog_WhatIf() {
    // The check reads the file and the zones it was given; it stops at the
    // next message once told, so waiting here is short.
    if (m_thread) {
        m_thread->disconnect(this);
        if (m_job) m_job->cancel = true;
        handover::joinThread(m_thread);
    }
}

void Dialog_WhatIf::setInput(const QString& recording, const zones& list, bool mirror) {
    cancel();
    m_recording = recording;
    m_zones = std::make_shared<const zones>(list);
    m_mirror = mirror;
    m_table->setRowCount(0);
    m_progress->setValue(0);
    m_status->clear();
}

void Dialog_WhatIf::run() {
    if (!m_zones) return;
    cancel();
    auto job = std::make_shared<Job>();
    job->path = QFile::encodeName(m_recording).toStdString();
    job->list = m_zones;
    job->mirror = m_mirror;
    job->options.minPoints = m_points->value();
    job->options.minRevolutions = m_revolutions->value();
    m_job = job;
    m_table->setRowCount(0);
    m_progress->setValue(0);
    m_status->setText(tr("Checking %1 against the zones...").arg(QFileInfo(m_recording).fileName()));

    QThread* thread = QThread::create([job] { job->run(); });
    m_thread = thread;
    connect(thread, &QThread::finished, this, [this, job, thread] {
        if (m_thread == thread) m_thread = nullptr;
        if (m_job == job) finish(job);  // a newer check supersedes this one
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    handover::watchThread(thread);
    setRunning(true);
    thread->start();
}

void Dialog_WhatIf::cancel() {
    if (!m_job) return;
    m_job->cancel = true;
    m_job.reset();
    setRunning(false);
    m_status->setText(tr("The check was cancelled."));
}

QString Dialog_WhatIf::failureText(const Job& job) const {
    switch (job.outcome) {
        case Job::Cancelled:
            return tr("The check was cancelled.");
        case Job::OpenFailed:
            return tr("The recording %1 cannot be read.").arg(m_recording);
        case Job::TooLarge:
            return tr("The playback file cannot exceed 50MB!");
        case Job::ZonesRefused:
            return tr("The zone list cannot be converted: %1").arg(QString::fromStdString(job.detail));
        case Job::NoRevolutions:
            return tr("no revolutions in %1").arg(m_recording);
        case Job::Done:
            break;
    }
    return QString();
}

void Dialog_WhatIf::finish(const std::shared_ptr<Job>& job) {
    m_job.reset();
    setRunning(false);
    const QString file = QFileInfo(m_recording).fileName();
    if (job->outcome != Job::Done) {
        m_status->setText(failureText(*job));
        emit sig_finished(false);
        return;
    }

    const WhatIfResult& result = job->result;
    const QString kinds[] = {tr("observation"), tr("warning"), tr("alarm")};
    auto moment = [this](const WhatIfMoment& m) {
        if (m.revolution < 0) return tr("never");
        QString text = tr("revolution %1").arg(m.revolution);
        if (m.sec != 0 || m.usec != 0)
            text += QStringLiteral(" (%1.%2 s)").arg(m.sec).arg(m.usec, 6, 10, QLatin1Char('0'));
        return text;
    };
    m_table->setRowCount(int(result.rows.size()));
    for (int r = 0; r < int(result.rows.size()); ++r) {
        const WhatIfRow& row = result.rows[size_t(r)];
        const QString cells[ColumnCount] = {
            QString::number(row.zone, 16).toUpper(),
            row.kind >= 0 && row.kind <= 2 ? kinds[row.kind] : QString::number(row.kind),
            QString::number(row.triggered),
            QString::number(row.alarms),
            moment(row.firstTriggered),
            moment(row.firstAlarm),
            QString::number(row.pointsInside),
        };
        for (int c = 0; c < ColumnCount; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == ColTriggered || c == ColAlarms || c == ColPoints)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(r, c, item);
        }
    }
    m_table->resizeColumnsToContents();
    m_progress->setValue(100);
    m_status->setText(
        tr("%1: %2 revolutions checked, %3 revolutions in a row of %4 points or more make an alarm.")
            .arg(file)
            .arg(result.revolutions)
            .arg(job->options.minRevolutions)
            .arg(job->options.minPoints));
    emit sig_finished(true);
}

void Dialog_WhatIf::setRunning(bool running) {
    m_running = running;
    m_run->setEnabled(!running);
    m_cancel->setEnabled(running);
    m_points->setEnabled(!running);
    m_revolutions->setEnabled(!running);
    if (running)
        m_poll->start();
    else
        m_poll->stop();
}

int Dialog_WhatIf::rowCount() const {
    return m_table->rowCount();
}

QString Dialog_WhatIf::cellText(int row, Column column) const {
    const QTableWidgetItem* item = m_table->item(row, column);
    return item ? item->text() : QString();
}

QString Dialog_WhatIf::statusText() const {
    return m_status->text();
}

void Dialog_WhatIf::retranslate() {
    setWindowTitle(tr("Zone what-if"));
    m_pointsLabel->setText(tr("Points for a trigger (F):"));
    m_revolutionsLabel->setText(tr("Revolutions in a row for an alarm (C):"));
    m_run->setText(tr("Run"));
    m_cancel->setText(tr("Cancel"));
    m_close->setText(tr("Close"));
    m_table->setHorizontalHeaderLabels({tr("Zone"), tr("Kind"), tr("Revolutions triggered"), tr("Alarms"),
                                        tr("First trigger"), tr("First alarm"), tr("Points inside")});
}

void Dialog_WhatIf::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}
