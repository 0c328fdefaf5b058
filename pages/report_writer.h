#pragma once
// The window's commissioning report run: asks the connected scanner for a
// fresh parameter block, then (when its model stores zones) reads its zones
// through the data receiver, and writes the PDF on a thread of its own so the
// window stays live while the pages are drawn.
//
// Lives on the GUI thread; the workers reach it through their queued signals.
// Destroying it waits for a PDF still being written.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

#include "report_input.h"

class QThread;
class RecvDataProc;
class SendCmdProc;

class ReportWriter : public QObject {
    Q_OBJECT

public:
    // Bound of the whole read: the block, then 416 zone pieces; a silent
    // scanner is given up by the command sender long before.
    static constexpr int kReadBoundMs = 150000;

    ReportWriter(RecvDataProc* receiver, SendCmdProc* sender, QObject* parent = nullptr);
    ~ReportWriter() override;

    // Starts a run for `input` (identity, engineer, site, revolution filled
    // in by the caller); false while a run is going on.
    bool start(const ReportInput& input, bool readZones, const QString& path);
    bool isBusy() const { return m_stage != Stage::Idle; }
    // The zones arriving now are the report's own read, not one the pages asked for.
    bool readingZones() const { return m_stage == Stage::Zones; }
    // The link closed: the run ends without a report.
    void cancel(const QString& reason);

signals:
    // The run ended; `text` is what to tell the operator (where the file is, or why there is none).
    void sig_finished(bool written, QString text);

private:
    enum class Stage { Idle, Block, Zones, Writing };

    void recv_data(int type, QByteArray data);
    void recv_zoneData(zones data);
    void recv_respondFinish(int type, QString cmd, int time);
    void readZones();
    void write();
    void fail(const QString& reason);

    RecvDataProc* m_receiver;
    SendCmdProc* m_sender;
    Stage m_stage = Stage::Idle;
    bool m_readZones = false;
    ReportInput m_input;
    QString m_path;
    QTimer m_bound;
    QPointer<QThread> m_thread;
};
