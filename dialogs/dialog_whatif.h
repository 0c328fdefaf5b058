#pragma once
// Dialog_WhatIf: a recording checked against a zone list off the GUI thread
// (zone_whatif.h), shown as a table: per zone and kind the revolutions that
// triggered, the alarms, the first trigger and alarm, the points inside. The
// thresholds F (points for a trigger) and C (triggered revolutions in a row
// for an alarm) can be changed and the check run again; a run in progress can
// be cancelled. GUI thread only.

#include <QDialog>
#include <QString>
#include <atomic>
#include <memory>

#include "zone_types.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QThread;
class QTimer;

class Dialog_WhatIf : public QDialog {
    Q_OBJECT

public:
    enum Column {
        ColZone,
        ColKind,
        ColTriggered,
        ColAlarms,
        ColFirstTriggered,
        ColFirstAlarm,
        ColPoints,
        ColumnCount
    };

    explicit Dialog_WhatIf(QWidget* parent = nullptr);
    ~Dialog_WhatIf() override;

    // The recording and the zones to check it against; `mirror` is the
    // scanner's rotation flag, under which the list becomes the zone image.
    // Clears the table; run() starts the check.
    void setInput(const QString& recording, const zones& list, bool mirror);
    QString recording() const { return m_recording; }

    // Checks with the thresholds in the dialog; a check still running is
    // cancelled first. sig_finished follows.
    void run();
    void cancel();
    bool isRunning() const { return m_running; }

    int rowCount() const;
    QString cellText(int row, Column column) const;
    QString statusText() const;

signals:
    // ok: the table holds the outcome; otherwise statusText() says why.
    void sig_finished(bool ok);

private:
    struct Job;
    void finish(const std::shared_ptr<Job>& job);
    QString failureText(const Job& job) const;
    void setRunning(bool running);
    void retranslate();
    void changeEvent(QEvent* event) override;

    QSpinBox* m_points = nullptr;
    QSpinBox* m_revolutions = nullptr;
    QPushButton* m_run = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_close = nullptr;
    QLabel* m_pointsLabel = nullptr;
    QLabel* m_revolutionsLabel = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QTableWidget* m_table = nullptr;
    QTimer* m_poll = nullptr;

    QString m_recording;
    std::shared_ptr<const zones> m_zones;
    bool m_mirror = false;
    bool m_running = false;
    std::shared_ptr<Job> m_job;  // the check in progress, if any
    QThread* m_thread = nullptr;
};
