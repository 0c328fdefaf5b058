#pragma once
// GuiProbe: what the running window experiences, for unattended soak runs
// (--probe). A GapMeter measures how long the GUI thread keeps a timer
// waiting; every complete revolution the receiver publishes is counted, and
// while recording its signature (revolution_signature) is appended to the
// signature file, so that the recording can later be checked for every
// revolution. Once a second the figures are written, as one JSON object, to
// the probe file (replaced whole each time).
//
// GUI thread only.

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <vector>

#include "gap_meter.h"
#include "rawdata.h"

class GuiProbe : public QObject {
    Q_OBJECT
public:
    // probeFile: where the figures go; signatureFile: one hexadecimal
    // signature per line of each revolution received while recording (empty:
    // none written).
    GuiProbe(const QString& probeFile, const QString& signatureFile, QObject* parent = nullptr);

    // The receiver's revolutions (connect RecvDataProc::sig_lidarData here).
    void recv_revolution(std::vector<RawData> revolution);
    // Whether the recorder is running.
    void setRecording(bool on) { m_recording = on; }

private:
    void writeFigures();

    GapMeter m_gaps;
    QElapsedTimer m_uptime;
    QTimer m_writeTimer;
    QString m_probePath;
    QFile m_signatures;
    bool m_recording = false;
    uint64_t m_revolutions = 0;
    uint64_t m_recorded = 0;
};
