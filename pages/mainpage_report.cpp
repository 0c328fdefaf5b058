// MainPage: the commissioning report of the connected scanner. The engineer
// and site are asked for, then a file name; the block and the zones are read
// again with the wait dialog up, and the PDF is written off the GUI thread.

#include <QDate>
#include <QDir>
#include <QFileInfo>

#include "commissioning_report.h"
#include "dialog_report.h"
#include "mainpage.h"
#include "mainpage_internal.h"
#include "page_message.h"
#include "report_writer.h"

namespace {

// "udp://192.168.1.10:2111", "uart:///dev/ttyUSB0?baud=115200": the link as the command-line tool writes it.
QString linkText(const QString& type, const QString& address, int portOrBaud) {
    const QString scheme = type.toLower() + QStringLiteral("://");
    if (mainpage::isSerial(type)) return scheme + address + QStringLiteral("?baud=%1").arg(portOrBaud);
    return scheme + address + QStringLiteral(":%1").arg(portOrBaud);
}

}  // namespace

bool MainPage::reportReadingZones() const {
    return m_reportWriter && m_reportWriter->readingZones();
}

void MainPage::writeCommissioningReport() {
    if (m_reportWriter && m_reportWriter->isBusy()) return;
    if (!isLinkOpen() || !(m_stateFlags & kBlockReceived) || m_isPlayback) {
        showMessage(tr("warm"), tr("Connect a scanner to write its commissioning report."));
        return;
    }
    QString engineer = m_reportEngineer, site = m_reportSite;
    if (!Dialog_Report::ask(this, &engineer, &site)) return;

    const QString serial = QString::fromStdString(eeprom_product_sn(m_paramBlock));
    const QString proposed =
        QDir(m_exportDir.isEmpty() ? QDir::homePath() : m_exportDir)
            .filePath(QStringLiteral("%1_%2_commissioning.pdf")
                          .arg(serial.isEmpty() ? QStringLiteral("scanner") : serial,
                               QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
    QString path = pagemsg::chooseFile(this, pagemsg::FileChoice::SaveFile, tr("Commissioning report"),
                                       proposed, tr("PDF files (*.pdf)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
    // Ask the folder first: no point keeping the scanner busy for a file that cannot be written.
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.isDir() || !folder.isWritable()) {
        showMessage(tr("error"),
                    tr("Cannot write %1: the folder cannot be written.").arg(QDir::toNativeSeparators(path)));
        return;
    }
    m_reportEngineer = engineer;
    m_reportSite = site;
    m_exportDir = folder.absoluteFilePath();

    if (!m_reportWriter) {
        m_reportWriter = new ReportWriter(m_receiver, m_sender, this);
        connect(m_reportWriter, &ReportWriter::sig_finished, this, [this](bool written, QString text) {
            recv_wait(false);
            showMessage(written ? tr("warm") : tr("error"), text);
            emit sig_reportWritten(written, text);
        });
        connect(this, &MainPage::sig_linkChanged, m_reportWriter, [this](bool open) {
            if (!open) m_reportWriter->cancel(tr("the scanner was disconnected."));
        });
    }
    ReportInput input;
    input.linkType = m_linkType;
    input.linkText = linkText(m_linkType, m_ipCom, m_portBaud);
    input.programVersion = QStringLiteral("Vantrel %1").arg(QString::fromLatin1(kVersion));
    input.engineer = engineer;
    input.site = site;
    input.createdAt = QDateTime::currentDateTime();
    if (!m_shownRevolution.empty()) input.revolution = m_shownRevolution;
    input.mirrored = m_direction != 0;
    MAIN_TRACE("MainPage::writeCommissioningReport") << path;
    recv_wait(true);
    m_reportWriter->start(input, zonesSupported(), path);
}
