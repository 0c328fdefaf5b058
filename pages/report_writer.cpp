#include "report_writer.h"

#include <QDir>
#include <QThread>
#include <cstring>

#include "command_frame.h"
#include "commissioning_report.h"
#include "model_table.h"
#include "recvdataproc.h"
#include "report_audit.h"
#include "sendcmdproc.h"
#include "thread_handover.h"

ReportWriter::ReportWriter(RecvDataProc* receiver, SendCmdProc* sender, QObject* parent)
    : QObject(parent), m_receiver(receiver), m_sender(sender) {
    m_bound.setSingleShot(true);
    m_bound.setInterval(kReadBoundMs);
    connect(&m_bound, &QTimer::timeout, this,
            [this] { fail(tr("The scanner did not finish answering in time.")); });
    connect(m_receiver, &RecvDataProc::sig_data, this, &ReportWriter::recv_data);
    connect(m_receiver, &RecvDataProc::sig_zoneData, this, &ReportWriter::recv_zoneData);
    connect(m_receiver, &RecvDataProc::sig_zoneImageCrc, this, [this](int type, quint32 crc) {
        if (m_stage == Stage::Zones && type == 6) m_input.verification.imageCrc = crc;
    });
    // Serial scanners' blocks come from the command sender.
    connect(m_sender, &SendCmdProc::sig_data, this, &ReportWriter::recv_data);
    connect(m_sender, &SendCmdProc::sig_respondFinish, this, &ReportWriter::recv_respondFinish);
}

ReportWriter::~ReportWriter() {
    if (m_thread) handover::joinThread(m_thread);
}

bool ReportWriter::start(const ReportInput& input, bool readZones, const QString& path) {
    if (isBusy()) return false;
    m_input = input;
    m_readZones = readZones;
    m_path = path;
    m_stage = Stage::Block;
    m_bound.start();
    SendCmdProc* sender = m_sender;
    QMetaObject::invokeMethod(
        m_sender, [sender] { sender->recv_GS_PACK(QStringLiteral("xxxxxx")); }, Qt::QueuedConnection);
    return true;
}

void ReportWriter::cancel(const QString& reason) {
    if (m_stage == Stage::Block || m_stage == Stage::Zones) fail(reason);
}

void ReportWriter::recv_data(int type, QByteArray data) {
    if (m_stage == Stage::Block && type == 5 && data.size() >= int(sizeof(EEpromV101))) {
        EEpromV101 block;
        std::memcpy(&block, data.constData(), sizeof block);
        m_input.block = block;
        m_input.model = QString::fromStdString(normalize_model_id(eeprom_type_id(block)));
        if (m_readZones)
            readZones();
        else
            write();
    } else if (m_stage == Stage::Zones && type == 6) {
        if (data.trimmed().toInt() != 1) return fail(tr("The zones could not be read."));
        m_input.zonesRead = true;
        m_input.verification.source = tr("read back from the scanner");
        // The zone worker checks the image against its CRC before it reports a read as done.
        if (m_input.verification.imageCrc) m_input.verification.imageIntact = true;
        write();
    }
}

void ReportWriter::recv_zoneData(zones data) {
    if (m_stage == Stage::Zones) m_input.zoneList = data;
}

void ReportWriter::recv_respondFinish(int type, QString, int) {
    // Only the run's own requests: a refused set command of a page is not ours.
    if (m_stage == Stage::Block && type == GS_PACK)
        fail(tr("The scanner did not send its parameters."));
    else if (m_stage == Stage::Zones && type == ZONE_READ_PACK)
        fail(tr("The scanner stopped answering while its zones were read."));
}

void ReportWriter::readZones() {
    m_stage = Stage::Zones;
    m_input.zoneList = zones{};
    m_input.verification.imageCrc.reset();
    m_receiver->recv_zoneCmd(1, zones{});
}

void ReportWriter::write() {
    m_stage = Stage::Writing;
    m_bound.stop();
    // Drawing sixteen zone pages over a revolution takes a moment: not on the GUI thread.
    auto result = std::make_shared<std::pair<bool, QString>>();
    const ReportInput base = m_input;
    const QString path = m_path;
    m_thread = QThread::create([base, path, result] {
        ReportInput input = base;
        // The trail is a file: read it here, not on the GUI thread.
        report_read_audit(input);
        int pages = 0;
        QString error;
        result->first = write_commissioning_report(input, path, &error, &pages);
        result->second = result->first ? tr("The commissioning report was written to %1 (%2 pages).")
                                             .arg(QDir::toNativeSeparators(path))
                                             .arg(pages)
                                       : error;
    });
    connect(m_thread, &QThread::finished, this, [this, result] {
        m_thread->deleteLater();
        m_stage = Stage::Idle;
        emit sig_finished(result->first, result->second);
    });
    handover::watchThread(m_thread);
    m_thread->start();
}

void ReportWriter::fail(const QString& reason) {
    if (m_stage == Stage::Zones) m_receiver->recv_zoneCmd(0, zones{});  // no late reply acted on
    m_bound.stop();
    m_stage = Stage::Idle;
    emit sig_finished(false, tr("No report was written: %1").arg(reason));
}
