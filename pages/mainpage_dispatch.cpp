// MainPage: the workers' and pages' messages (recv_data) turned into
// message boxes, page updates and state changes.

#include <QCoreApplication>
#include <QStringList>
#include <cstring>
#include <string>

#include "le_bytes.h"
#include "mainpage.h"
#include "mainpage_internal.h"
#include "model_table.h"
#include "page_admin.h"
#include "page_config.h"
#include "page_dev.h"
#include "page_info.h"
#include "page_lidar.h"
#include "recvdataproc.h"
#include "sendcmdproc.h"
#include "settings.h"
#include "transport.h"
#include "zone_write_check.h"

using namespace mainpage;

namespace {

// A little-endian int of a device record; records shorter than the field
// leave the value at `fallback` rather than reading past their end.
qint32 recordInt(const QByteArray& data, int offset, qint32 fallback = 0) {
    if (offset < 0 || data.size() < offset + 4) return fallback;
    return qint32(le32(reinterpret_cast<const uint8_t*>(data.constData()) + offset));
}

// "LSUDP:192.168.001.010 255.255.255.000 192.168.001.001 06543H" -> address, port.
bool parseNetworkCommand(const QByteArray& text, QString* ip, int* port) {
    const int at = text.indexOf("LSUDP:");
    if (at < 0) return false;
    QByteArray body = text.mid(at + 6);
    const int end = body.indexOf('H');
    if (end >= 0) body.truncate(end);
    const QList<QByteArray> fields = body.simplified().split(' ');
    if (fields.size() < 2) return false;
    const QList<QByteArray> octets = fields.first().split('.');
    if (octets.size() != 4) return false;
    QStringList parts;
    for (const QByteArray& o : octets) {
        bool ok = false;
        const int v = o.toInt(&ok);
        if (!ok || v < 0 || v > 255) return false;
        parts << QString::number(v);
    }
    bool ok = false;
    const int p = fields.last().toInt(&ok);
    if (!ok || p <= 0 || p > 65535) return false;
    *ip = parts.join(QLatin1Char('.'));
    *port = p;
    return true;
}

}  // namespace

// ---------------------------------------------------------------- dispatch

void MainPage::recv_data(int type, QByteArray data) {
    // News the link's workers queued before the link closed changes nothing
    // now (a late "resume" must not restart the receiver, a late block must
    // not show a scanner as connected); texts for the operator still show.
    if (type > 1 && !isLinkOpen() && (sender() == m_receiver || sender() == m_sender)) return;
    switch (type) {
        case 0:
            showMessage(tr("warm"), QString::fromLocal8Bit(data));
            break;
        case 1:
            showMessage(tr("error"), QString::fromLocal8Bit(data));
            break;
        case 2:
            m_receiver->runFlag = decimal(data);
            break;
        case 3:
            m_dataHandle = decimal(data);
            m_receiver->recv_Init(m_linkType, m_dataHandle, m_ipCom, m_portBaud);
            emit SendInit(m_linkType, m_dataHandle, m_ipCom, m_portBaud);
            break;
        case 4:
            handleDeviceState(data);
            break;
        case 5:
            handleParamBlock(data);
            break;
        case 6:
            if (reportReadingZones()) break;  // the report run tells its own outcome
            if (decimal(data) != 1) {
                showMessage(tr("error"), tr("read zone failed"));
                m_zoneCheck->readFailed();
            } else if (m_readZones) {
                m_pageLidar->loadZones(*m_readZones);
            }
            break;
        case 7:
            if (decimal(data) > 0) {
                // An image kept for export shows the zones as they were before.
                m_exportImage.reset();
                finishZoneImport(true);
                // Reading the zones back reloads the pages and lets the
                // written image be checked against what the scanner keeps.
                m_zoneCheck->writeFinished(true);
                reloadZonePages();
            } else {
                m_zoneCheck->writeFinished(false);
                showMessage(tr("error"), tr("write zone failed"));
                recv_wait(false);
                finishZoneImport(false);
            }
            break;
        case 8:
            disconnectLink();
            break;
        case 10:
            showMessage(tr("warm"), QString::fromLocal8Bit(data));
            break;
        case 11:
            m_serialZoneFlag = decimal(data) != 0;
            break;
        case 12:
            m_pageLidar->setReplyText(data);
            if (m_pageAdmin) m_pageAdmin->addReply(QString::fromLocal8Bit(data));
            break;
        case 14:
            handleLinkCommand(data);
            break;
        case 15:
            m_direction = decimal(data) != 0 ? 1 : 0;
            m_pageLidar->setDirection(m_direction);
            m_receiver->setDirection(m_direction);
            if (m_pageInfo) m_pageInfo->setRotate(m_direction != 0);
            break;
        case 16:
            handleBoxStatus(data);
            break;
        case 17:
            applyRightLevel(decimal(data));
            break;
        default:
            break;
    }
}

QString MainPage::faultText(quint32 word, bool uartRecord, bool serialZoneFlag) {
    struct Bit {
        quint32 mask;
        const char* text;
    };
    static const Bit kNetwork[] = {
        {0x1, QT_TR_NOOP("Insufficient power supply")},
        {0x2, QT_TR_NOOP("The motor is stalled")},
        {0x4, QT_TR_NOOP("The distance measuring module is too hot")},
        {0x8, QT_TR_NOOP("Net Error")},
        {0x10, QT_TR_NOOP("The ranging module has no output")},
        {0x20, QT_TR_NOOP("Angle error")},
        {0x40, QT_TR_NOOP("The ranging data error")},
        {0x1000, QT_TR_NOOP("Observe")},
        {0x2000, QT_TR_NOOP("Warning")},
        {0x4000, QT_TR_NOOP("Alarm")},
        {0x8000, QT_TR_NOOP("Obscured")},
        {0x10000, QT_TR_NOOP("No data")},
        {0x20000, QT_TR_NOOP("No zone setting")},
        {0x40000, QT_TR_NOOP("System internal error")},
        {0x80000, QT_TR_NOOP("System run exception")},
        {0x200000, QT_TR_NOOP("Device updating")},
        {0x400000, QT_TR_NOOP("Zero position output")},
    };
    static const Bit kSerialHardware[] = {
        {0x1, QT_TR_NOOP("mainboard low voltage")},
        {0x2, QT_TR_NOOP("mainboard's voltage too high")},
        {0x4, QT_TR_NOOP("The distance measuring module is too hot")},
        {0x8, QT_TR_NOOP("Ranging Module low voltage")},
        {0x10, QT_TR_NOOP("Ranging Module's voltage too high")},
        {0x20, QT_TR_NOOP("Ranging Module is Muted")},
        {0x40, QT_TR_NOOP("Ranging Module Communication error")},
        {0x80, QT_TR_NOOP("IR Communication error")},
        {0x100, QT_TR_NOOP("Wireless Power Supply Lost")},
        {0x200, QT_TR_NOOP("Wireless Power Supply  overcurrent")},
        {0x400, QT_TR_NOOP("encoder exception")},
        {0x800, QT_TR_NOOP("motor exception")},
    };
    static const Bit kSerialZone[] = {
        {0x10000, QT_TR_NOOP("Observe")},      {0x20000, QT_TR_NOOP("Warning")},
        {0x40000, QT_TR_NOOP("Alarm")},        {0x80000, QT_TR_NOOP("NO Zone Set")},
        {0x100000, QT_TR_NOOP("Lidar cover")},
    };
    QString text;
    auto append = [&](const Bit* bits, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            if (word & bits[i].mask) text += tr(bits[i].text);
        }
    };
    if (!uartRecord) {
        append(kNetwork, std::size(kNetwork));
    } else {
        if (!serialZoneFlag) append(kSerialHardware, std::size(kSerialHardware));
        append(kSerialZone, std::size(kSerialZone));
    }
    return text;
}

void MainPage::handleDeviceState(const QByteArray& data) {
    const bool uart = m_linkType == QLatin1String("UART");
    const quint32 word = quint32(recordInt(data, uart ? 9 : 40));
    int zoneState = recordInt(data, uart ? 13 : 48, -1);
    if (!zonesSupported()) zoneState = -1;
    m_pageLidar->setDeviceState(faultText(word, uart, m_serialZoneFlag), zoneState);
    m_pageLidar->setIoStates(ioStates(word, uart));
}

QVector<int> MainPage::ioStates(quint32 word, bool uartRecord) {
    enum { Off = 0, Green = 1, Blue = 2, Yellow = 3, Red = 4 };
    const quint32 alarm = uartRecord ? 0x40000 : 0x4000;
    const quint32 warning = uartRecord ? 0x20000 : 0x2000;
    const quint32 observe = uartRecord ? 0x10000 : 0x1000;
    const quint32 obscured = uartRecord ? 0x100000 : 0x8000;
    const quint32 hardware = uartRecord ? 0xFFF : (0x7F | 0x40000 | 0x80000);
    return {(word & hardware) ? Red : Green, (word & obscured) ? Red : Off, (word & observe) ? Blue : Off,
            (word & warning) ? Yellow : Off, (word & alarm) ? Red : Off};
}

void MainPage::handleParamBlock(const QByteArray& data) {
    if (data.size() < int(sizeof(EEpromV101))) {
        MAIN_TRACE("MainPage::handleParamBlock") << "short block" << data.size();
        return;
    }
    std::memcpy(&m_paramBlock, data.constData(), sizeof m_paramBlock);
    // On UART links the address field holds the link's baud rate, all four bytes.
    if (m_linkType == QLatin1String("UART")) put_le32(m_paramBlock.ip, uint32_t(m_portBaud));
    const bool exportWaiting = (m_stateFlags & kExportWaiting) != 0;
    // Later blocks (a refresh, a setting read back, an import) keep the
    // operator on the page they are working on.
    const bool firstAfterConnect = !(m_stateFlags & kBlockReceived);

    setDeviceButtonsVisible(true);
    m_pageLidar->setConnected(true, m_linkType);
    m_stateFlags |= kBlockReceived;
    m_zonesByDevice = m_pageDev && m_pageDev->isBoxConnected();
    // Output type: character 7 of the "LSPNP" argument; outputs per status: the output map.
    m_pageLidar->setIoConfig((m_paramBlock.pnpBits >> 7) & 1u,
                             QByteArray(reinterpret_cast<const char*>(m_paramBlock.outMap), 12));
    showBlockOnParamPages();
    recv_wait(false);

    if (!exportWaiting) {
        if (firstAfterConnect) showPage(m_pageLidar);
        applyModel();
    } else {
        QString dir = QString::fromStdString(Settings::instance().Read("Standard", "ExportPath"));
        exportParams(dir, m_exportImage.get(), true);
        m_stateFlags &= ~kExportWaiting;
    }
}

void MainPage::applyModel() {
    std::string model = eeprom_type_id(m_paramBlock);
    if (isSerial(m_linkType)) model = normalize_model_id(model);
    MAIN_TRACE("MainPage::applyModel") << QString::fromStdString(model);
    std::string zoneValue, ioValue, directionValue;
    try {
        zoneValue = model_property(model, "alarmZone");
        ioValue = model_property(model, "I/O");
        directionValue = model_property(model, "direction");
    } catch (const std::exception& e) {
        // A malformed table entry must not take the program down; the
        // features it steers stay off.
        MAIN_TRACE("MainPage::applyModel") << e.what();
    }
    m_zonesByTable = !zoneValue.empty() && std::stoi(zoneValue) != 0;
    const bool zones = zonesSupported();
    m_pageLidar->setZoneControlsEnabled(zones);
    // A refresh keeps the zones being edited for the block it asked for;
    // later blocks load the scanner's zones again.
    const bool keepZones = (m_stateFlags & kKeepZones) != 0;
    m_stateFlags &= ~kKeepZones;
    if (zones && !keepZones) reloadZonePages();

    // Models whose direction is a setting of the device read it from the block.
    static const char* const kDirectionInBlock[] = {"TQX-H600-E", "TQX-H540-E", "TQX-H540-S", "TQX-H530-S",
                                                    "TQX-H500-E"};
    bool fromBlock = false;
    for (const char* name : kDirectionInBlock) fromBlock = fromBlock || model == name;
    int direction = -1;
    if (fromBlock) {
        direction = m_paramBlock.ccw != 0 ? 1 : 0;
    } else {
        const QStringList parts = QString::fromStdString(directionValue).split(QLatin1Char('|'));
        if (!directionValue.empty() && parts.size() == 1) direction = parts.first().toInt() != 0 ? 1 : 0;
    }
    if (direction >= 0) {
        m_direction = direction;
        m_pageLidar->setDirection(direction);
        m_receiver->setDirection(direction);
    }

    bool ioNumeric = false;
    const int ioLevel = QString::fromStdString(ioValue).toInt(&ioNumeric);
    const bool io = (ioNumeric && ioLevel > 1) || m_ioByDevice;
    m_pageLidar->setIoControlsEnabled(io);
    applyModelToParamPages(zones, io, direction);

    // Scanning data are now processed.
    m_receiver->runFlag = 1;
}

void MainPage::handleLinkCommand(const QByteArray& data) {
    const int baudAt = data.indexOf("LSBPS:");
    if (baudAt >= 0) {
        QByteArray text = data.mid(baudAt + 6);
        const int end = text.indexOf('H');
        if (end >= 0) text.truncate(end);
        bool ok = false;
        const int baud = text.trimmed().toInt(&ok);
        if (!ok || !setSerialLinkBaud(baud)) {
            showMessage(tr("err"), tr("Failed to modify baud rate!"));
            return;
        }
        m_portBaud = baud;
        if (m_pageDev) m_pageDev->updateConnectedAddress(m_ipCom, baud);
        if (m_pageInfo) m_pageInfo->setBaudRate(baud);
        return;
    }
    if (data.contains("LSUDP:")) {
        QString ip;
        int port = 0;
        if (!parseNetworkCommand(data, &ip, &port)) return;
        m_ipCom = ip;
        m_portBaud = port;
        m_receiver->setAddress(ip, port);
        if (m_pageDev) m_pageDev->updateConnectedAddress(ip, port);
        emit SendInit(m_linkType, m_linkType == QLatin1String("TCP") ? m_tcpCmdSocket : m_dataHandle, ip,
                      port);
        return;
    }
    if (data.startsWith("LSZTP:") && data.size() == 8 && m_pageInfo)
        m_pageInfo->setZoneSwitching(data.at(6) == '1');
}
