#include "mainpage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFont>
#include <QLocale>
#include <QMessageBox>
#include <QMetaObject>
#include <QStackedWidget>
#include <QThread>
#include <QTimer>
#include <cstring>
#include <string>

#include "dialog_reminder.h"
#include "dialog_waitsignal.h"
#include "dialog_waitsignal2.h"
#include "graphics_item_data.h"
#include "heartbeatproc.h"
#include "le_bytes.h"
#include "link_open.h"
#include "model_table.h"
#include "page_dev.h"
#include "page_lidar.h"
#include "page_main.h"
#include "param_file.h"
#include "recorder.h"
#include "recvdataproc.h"
#include "sendcmdproc.h"
#include "settings.h"
#include "transport.h"
#include "ui_mainpage.h"

// ---------------------------------------------------------------- helpers

namespace {

QDebug mainTrace(int line, const char* function) {
    QDebug d = qDebug().noquote();
    d << "[" + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))
      << quintptr(QThread::currentThreadId())
      << QStringLiteral("mainpage.cpp:%1:%2]").arg(line).arg(QLatin1String(function));
    return d;
}
#define MAIN_TRACE(function) mainTrace(__LINE__, function)

MainPage::MessageHook& messageHook() {
    static MainPage::MessageHook hook;
    return hook;
}

QString& translationDirOverride() {
    static QString dir;
    return dir;
}

// A little-endian int of a device record; records shorter than the field
// leave the value at `fallback` rather than reading past their end.
qint32 recordInt(const QByteArray& data, int offset, qint32 fallback = 0) {
    if (offset < 0 || data.size() < offset + 4) return fallback;
    return qint32(le32(reinterpret_cast<const uint8_t*>(data.constData()) + offset));
}

int decimal(const QByteArray& data) {
    return data.trimmed().toInt();
}

bool isSerial(const QString& type) {
    return type == QLatin1String("UART") || type == QLatin1String("VPC");
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

void MainPage::setMessageHook(MessageHook hook) {
    messageHook() = std::move(hook);
}

void MainPage::setTranslationDirectory(const QString& dir) {
    translationDirOverride() = dir;
}

QString MainPage::translationDirectory() {
    if (!translationDirOverride().isEmpty()) return translationDirOverride();
    return QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
}

void MainPage::showMessage(const QString& title, const QString& text) {
    MAIN_TRACE("MainPage::showMessage") << title << text;
    emit sig_message(title, text);
    if (messageHook()) {
        messageHook()(title, text);
        return;
    }
    QMessageBox::warning(this, title, text, QMessageBox::Ok);
}

// ---------------------------------------------------------------- construction

MainPage::MainPage(QWidget* parent) : QWidget(parent), ui(new Ui::MainPage) {
    setProperty("Class", QStringLiteral("MainPage"));
    for (size_t i = 0; i < m_threads.size(); ++i) {
        m_threads[i] = new QThread();
        m_threads[i]->setObjectName(QStringLiteral("vantrel-worker-%1").arg(i));
    }
    m_waitDialog = new Dialog_WaitSignal(this);
    m_waitDialog->hide();
    ui->setupUi(this);
    setWindowFlags(Qt::FramelessWindowHint | Qt::Window);
    setMouseTracking(true);

    registerTypes();
    loadLanguageSetting();
    buildPages();
    createWorkers();
    connectWorkers();
    connectPeerPages();

    ui->lb_version->setText(QString::fromLatin1(kVersion));
    setDeviceButtonsVisible(false);
    showPage(m_pageMain ? m_pageMain : static_cast<QWidget*>(m_pageLidar));
}

MainPage::~MainPage() {
    if (m_heartbeat) m_heartbeat->recv_close();
    if (m_receiver) m_receiver->runFlag = 0;
    for (QThread* thread : m_threads) {
        thread->quit();
        thread->wait();
    }
    // The receiver's destructor ends its loop and waits for it; only then may
    // the handles it reads be closed.
    delete m_receiver;
    m_receiver = nullptr;
    closeLink();
    delete m_heartbeat;
    m_heartbeat = nullptr;
    delete ui;
    for (QThread* thread : m_threads) delete thread;
    if (m_translatorInstalled) QCoreApplication::removeTranslator(&m_translator);
}

void MainPage::registerTypes() {
    registerTaskMetaTypes();  // RawData, std::vector<RawData>, zones, ZoneDef*
    qRegisterMetaType<DevConnInfo>("DevConnInfo");
    qRegisterMetaType<EEpromV101>("EEpromV101");
    qRegisterMetaType<range>("range");
    qRegisterMetaType<int*>("int*");
    // "Point*" and "BPointItemList" belong to the zone shape items and are
    // registered where those types are defined.
}

void MainPage::loadLanguageSetting() {
    QString language =
        QString::fromStdString(Settings::instance().Read("Standard", "Language", "Auto")).trimmed();
    if (language.compare(QLatin1String("Chinese"), Qt::CaseInsensitive) == 0) {
        language = QStringLiteral("Chinese");
    } else if (language.compare(QLatin1String("English"), Qt::CaseInsensitive) == 0) {
        language = QStringLiteral("English");
    } else {
        const QLocale::Language system = QLocale().language();
        if (system == QLocale::Chinese) {
            language = QStringLiteral("Chinese");
        } else if (system == QLocale::English || system == QLocale::C) {
            // The C/POSIX locale (no LANG set) is the system's plain English.
            language = QStringLiteral("English");
        } else {
            showMessage(tr("error"), tr("System language is not support!"));
            language = QStringLiteral("English");
        }
    }
    applyLanguage(language);
}

// ---------------------------------------------------------------- pages

void MainPage::registerPage(QWidget* page, QAbstractButton* button) {
    if (!page) {
        if (button) button->hide();
        return;
    }
    ui->stackedWidget->addWidget(page);
    m_pages.append({page, button});
    if (button) button->show();
}

void MainPage::showPage(QWidget* page) {
    if (!page || ui->stackedWidget->indexOf(page) < 0) return;
    ui->stackedWidget->setCurrentWidget(page);
    for (const PageEntry& entry : m_pages) {
        if (entry.button) entry.button->setChecked(entry.page == page);
    }
}

QWidget* MainPage::currentPage() const {
    return ui->stackedWidget->currentWidget();
}

void MainPage::buildPages() {
    m_pageLidar = new Page_lidar(this);
    buildPeerPages();
    // Side-bar order. Pages still to come (parameters, algorithm box,
    // configuration, admin) register here with their button; a null page
    // keeps its button hidden.
    registerPage(m_pageMain, ui->pb_start);
    registerPage(m_pageInfo, ui->pb_info);
    registerPage(m_pageLidar, ui->pb_lidardata);
    registerPage(m_pageBox, ui->pb_box);
    registerPage(m_pageDev, ui->pb_dev);
    registerPage(m_pageConfig, ui->pb_config);
    registerPage(m_pageAdmin, nullptr);
    // The sector data sit in the point-cloud page's side panel.
    ui->pb_span->hide();
}

void MainPage::on_pb_start_clicked() {
    showPage(m_pageMain);
}

void MainPage::on_pb_info_clicked() {
    showPage(m_pageInfo);
}

void MainPage::on_pb_lidardata_clicked() {
    m_pageLidar->setStateFlags(m_stateFlags);
    if (!(m_stateFlags & kBlockReceived)) m_pageLidar->setConnected(false);
    showPage(m_pageLidar);
}

void MainPage::on_pb_span_clicked() {
    showPage(m_pageLidar);
}

void MainPage::on_pb_box_clicked() {
    showPage(m_pageBox);
}

void MainPage::on_pb_dev_clicked() {
    showPage(m_pageDev);
}

void MainPage::on_pb_config_clicked() {
    showPage(m_pageConfig);
}

void MainPage::on_pb_right_clicked() {
    // Rights management opens the login dialog once it exists.
}

void MainPage::on_pb_showmax_clicked() {
    if (isMaximized())
        showNormal();
    else
        showMaximized();
    QTimer::singleShot(100, this, [this] {
        if (layout()) layout()->activate();
        update();
    });
}

void MainPage::on_pb_showmin_clicked() {
    showMinimized();
}

void MainPage::on_pb_close_clicked() {
    if (m_heartbeat) m_heartbeat->recv_close();
    if (m_receiver) m_receiver->runFlag = 0;
    QCoreApplication::quit();
}

// ---------------------------------------------------------------- workers

void MainPage::createWorkers() {
    m_receiver = new RecvDataProc();
    m_receiver->setObjectName(QStringLiteral("RecvDataProc"));

    m_sender = new SendCmdProc();
    m_sender->moveToThread(m_threads[0]);
    connect(m_threads[0], &QThread::finished, m_sender, &QObject::deleteLater);

    m_heartbeat = new HeartBeatProc(kHeartbeatPort);
    m_heartbeat->start();
}

void MainPage::connectWorkers() {
    // Receiver (signals leave its loop thread, arrive here queued).
    connect(m_receiver, &RecvDataProc::sig_wait, this, &MainPage::recv_wait);
    connect(m_receiver, &RecvDataProc::sig_data, this, &MainPage::recv_data);
    connect(m_receiver, &RecvDataProc::sig_lidarData, m_pageLidar, &Page_lidar::recv_lidarData);
    connect(m_receiver, &RecvDataProc::sig_spanData, m_pageLidar, &Page_lidar::recv_spanData);
    connect(m_receiver, &RecvDataProc::sig_offsetAngle, this, &MainPage::recv_offsetAngle);
    connect(m_receiver, &RecvDataProc::sig_zoneData, this, &MainPage::recv_zoneData);
    connect(m_receiver, &RecvDataProc::sig_ZoneDef, this, &MainPage::recv_ZoneDef);
    connect(m_receiver, &RecvDataProc::sig_progress, this, &MainPage::recv_progress);
    connect(m_receiver, &RecvDataProc::sig_ZoneCMD, m_sender, &SendCmdProc::recv_ZoneCMD);
    connect(m_receiver, &RecvDataProc::sig_CmdRecv, m_sender,
            qOverload<int, int, bool>(&SendCmdProc::recv_CmdRecv));

    // Command sender.
    connect(this, &MainPage::SendInit, m_sender, &SendCmdProc::recv_Init);
    connect(m_sender, &SendCmdProc::sig_wait, this, &MainPage::recv_wait);
    connect(m_sender, &SendCmdProc::sig_data, this, &MainPage::recv_data);
    connect(m_sender, &SendCmdProc::sig_respondFinish, this, &MainPage::recv_respondFinish);
    connect(m_sender, &SendCmdProc::sig_import_finish, this, &MainPage::recv_import_finish);

    // Heartbeat.
    connect(m_heartbeat, &HeartBeatProc::sig_data, this, &MainPage::recv_data);

    // Point-cloud page.
    connect(m_pageLidar, &Page_lidar::sig_wait, this, &MainPage::recv_wait);
    connect(m_pageLidar, &Page_lidar::sig_data, this, &MainPage::recv_data);
    connect(m_pageLidar, &Page_lidar::sig_saveLog, this, &MainPage::recv_saveLog);
    connect(m_pageLidar, &Page_lidar::sig_PlayBackFileName, this, &MainPage::recv_PlayBackFileName);
    connect(m_pageLidar, &Page_lidar::sig_isplayback, this, &MainPage::recv_isplayback);
    connect(m_pageLidar, &Page_lidar::sig_zoneCmd, m_receiver, &RecvDataProc::recv_zoneCmd);
    connect(m_pageLidar, &Page_lidar::sig_C_PACK, m_sender, &SendCmdProc::recv_C_PACK);
    connect(m_pageLidar, &Page_lidar::sig_S_PACK, m_sender, &SendCmdProc::recv_S_PACK);
    connect(m_pageLidar, &Page_lidar::sig_cmd, m_sender, &SendCmdProc::recv_cmd);
    connect(this, &MainPage::sig_zonearg, m_pageLidar, &Page_lidar::recv_zonearg);
    // Playback (sig_PlayBackFileName, sig_isplayback, sig_CacheData,
    // sig_playback) and firmware upgrade (sig_upgrade, sig_finish) connect
    // here once their workers exist; they get m_threads[1] and m_threads[2].
}

void MainPage::startWorkers() {
    if (!m_receiver->isRunning()) m_receiver->start();
    if (!m_threads[0]->isRunning()) m_threads[0]->start();
}

// ---------------------------------------------------------------- language

void MainPage::applyLanguage(const QString& language) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(language == QLatin1String("English") ? 8 : 12);
    QApplication::setFont(font);

    if (m_translatorInstalled) {
        QCoreApplication::removeTranslator(&m_translator);
        m_translatorInstalled = false;
    }
    const QString file = QStringLiteral("%1/%2.qm").arg(translationDirectory(), language);
    if (m_translator.load(file)) {
        m_translatorInstalled = QCoreApplication::installTranslator(&m_translator);
    } else {
        MAIN_TRACE("MainPage::applyLanguage") << "cannot load" << file;
    }
    m_language = language;
    retranslate();
}

void MainPage::retranslate() {
    ui->retranslateUi(this);
    setWindowTitle(tr("MainPage"));
    ui->pb_start->setText(tr("Home"));
    ui->pb_info->setText(tr("Info"));
    ui->pb_lidardata->setText(tr("Lidar Cloud"));
    ui->pb_span->setText(tr("Sector Data"));
    ui->pb_box->setText(tr("Algorithm Box"));
    ui->pb_dev->setText(tr("Device"));
    ui->pb_config->setText(tr("Config"));
    ui->pb_close->setText(tr("Close"));
    ui->pb_right->setText(tr("Right Management"));
    ui->pb_showmin->setText(tr("Min"));
    ui->pb_showmax->setText(tr("Max"));
    ui->lb_version->setText(QString::fromLatin1(kVersion));
    if (m_pageLidar) m_pageLidar->retranslate();
}

void MainPage::recv_setlangunge(QString address) {
    applyLanguage(address);
}

// ---------------------------------------------------------------- connecting

void MainPage::recv_start(QString type, QString ip_com, int port_baud, int remote_port) {
    MAIN_TRACE("MainPage::recv_start") << type << ip_com << port_baud << remote_port;
    recv_wait(true);
    QObject* origin = sender();
    if (origin && origin->property("Class").toString() == QLatin1String("Page_Main")) {
        if (!startFromHomePage(type, ip_com, port_baud, remote_port)) recv_wait(false);
        return;
    }

    // Stop the receiver's loop before its handle closes, so the close is not
    // taken for a link failure.
    m_receiver->runFlag = 0;
    closeLink();
    m_stateFlags &= ~kBlockReceived;
    m_linkType = type;
    m_ipCom = ip_com;
    m_portBaud = port_baud;
    m_localPort = remote_port;
    const LinkOpenResult link = open_link(type.toStdString(), ip_com.toStdString(), port_baud, m_localPort);
    switch (link.status) {
        case LinkOpenStatus::Ok:
            break;
        case LinkOpenStatus::SerialOpenFailed:
            showMessage(tr("error"), tr("com open err"));
            recv_wait(false);
            return;
        case LinkOpenStatus::Unreachable:
            showMessage(tr("error"), tr("Current gateway unreachable!"));
            recv_wait(false);
            return;
        case LinkOpenStatus::UdpBindFailed:
        case LinkOpenStatus::UdpPortsInUse:
            showMessage(tr("error"), tr("socket bind failed!"));
            recv_wait(false);
            return;
        case LinkOpenStatus::TcpConnectFailed:
            showMessage(tr("error"), tr("tcp socket connect failed!"));
            recv_wait(false);
            return;
        case LinkOpenStatus::UnknownType:
            recv_wait(false);
            return;
    }

    if (type == QLatin1String("TCP")) {
        m_tcpCmdSocket = link.cmdHandle;
        m_tcpDataSocket = link.dataHandle;
        m_receiver->setCommandLink(link.cmdHandle, port_baud);
        m_receiver->recv_Init(QStringLiteral("TCP"), link.dataHandle, ip_com, port_baud + 1);
        startWorkers();
        emit SendInit(QStringLiteral("TCP"), link.cmdHandle, ip_com, port_baud);
        emit sig_linkChanged(true);
        return;
    }
    m_dataHandle = link.dataHandle;
    if (isSerial(type)) {
        if (m_pageDev) m_pageDev->setSerialHandle(link.dataHandle);
    } else if (link.boundPort != m_localPort) {
        showMessage(tr("warm"), tr("The current port %1 is already occupied, reassign the new port as %2")
                                    .arg(m_localPort)
                                    .arg(link.boundPort));
        m_localPort = link.boundPort;
    }

    m_receiver->recv_Init(type, m_dataHandle, ip_com, port_baud);
    startWorkers();
    emit SendInit(type, m_dataHandle, ip_com, port_baud);
    emit sig_linkChanged(true);
    // The wait dialog stays up until the parameter block arrives.
}

void MainPage::recv_restart(QString type, QString ip_com, int port_baud, int remote_port) {
    disconnectLink();
    recv_start(type, ip_com, port_baud, remote_port);
}

void MainPage::closeLink() {
    const bool wasOpen = isLinkOpen() || m_tcpCmdSocket > 0;
    if (m_linkType == QLatin1String("TCP")) {
        close_link(m_tcpCmdSocket, true);
        close_link(m_tcpDataSocket, true);
    } else if (m_dataHandle > 0) {
        close_link(m_dataHandle, !isSerial(m_linkType));
    }
    m_tcpCmdSocket = 0;
    m_tcpDataSocket = 0;
    m_dataHandle = 0;
    if (m_pageDev) m_pageDev->setSerialHandle(0);
    if (wasOpen) emit sig_linkChanged(false);
}

void MainPage::disconnectLink() {
    MAIN_TRACE("MainPage::disconnectLink") << m_linkType << m_ipCom;
    // Stop the loop first so it lets go of the handles before they close.
    m_receiver->runFlag = 0;
    m_receiver->resetCalibration();
    QMetaObject::invokeMethod(m_sender, &SendCmdProc::recv_UnInit, Qt::QueuedConnection);
    Recorder::instance().stop();
    m_pageLidar->setSaveLogResult(false);
    closeLink();
    m_stateFlags &= ~kBlockReceived;
    m_pageLidar->resetPage();
    setDeviceButtonsVisible(false);
    recv_wait(false);
}

// ---------------------------------------------------------------- small slots

void MainPage::recv_wait(bool state) {
    if (state)
        m_waitDialog->show();
    else
        m_waitDialog->hide();
}

void MainPage::recv_progress(int rate, QString title, QString info) {
    if (!m_progressDialog) {
        m_progressDialog = new Dialog_WaitSignal2(this);
        // A window of its own over the main window, not a child widget in it.
        m_progressDialog->setWindowFlags(m_progressDialog->windowFlags() | Qt::Window);
    }
    m_progressDialog->setProgressValue(rate);
    m_progressDialog->setProgressTexts(title, info);
    if (rate == 100)
        m_progressDialog->hide();
    else
        m_progressDialog->show();
}

void MainPage::recv_respondFinish(int type, QString cmd, int time) {
    m_lastRefused = cmd;
    // The initial parameter read is the exchange that proves the link; when
    // it is given up the connection attempt has failed.
    if (!(m_stateFlags & kBlockReceived) && isLinkOpen() && m_waitDialog->isVisible()) {
        recv_wait(false);
        showMessage(tr("error"), tr("lidar connect failed:communication exception!"));
    }
    if (!m_reminder) m_reminder = new Dialog_Reminder(this);
    m_reminder->addRefusedCommand(type, cmd, time);
    m_reminder->move(x() + width() / 2 - m_reminder->width() / 2, y() + 100);
    m_reminder->show();
}

void MainPage::recv_offsetAngle(int angle) {
    m_offsetAngle = angle;
    m_pageLidar->setOffsetAngle(angle);
}

void MainPage::recv_resetSpan() {
    m_receiver->resetCalibration();
}

void MainPage::recv_ZoneDef(ZoneDef* def, QString type) {
    if (type != QLatin1String("setzone") || !def) return;
    // The receiver reuses its buffer on the next conversion: keep a copy.
    m_exportImage = std::make_unique<ZoneDef>(*def);
    exportParams(QCoreApplication::applicationDirPath(), m_exportImage.get());
}

void MainPage::recv_UploadZone(ZoneDef* zoneDef) {
    m_receiver->recv_UploadZone(zoneDef);
}

void MainPage::recv_zoneData(zones data) {
    emit sig_zonearg(data);
}

void MainPage::recv_getDevInfo(bool isUDP) {
    const QStringList devices = m_pageDev ? m_pageDev->collectDevices(isUDP) : QStringList();
    MAIN_TRACE("MainPage::recv_getDevInfo") << isUDP << devices;
    // The configuration page takes the list once it exists.
}

void MainPage::recv_import_finish() {
    recv_wait(false);
    showMessage(tr("warm"), tr("Import parameters succeeded"));
}

void MainPage::recv_PlayBackFileName(QString filename) {
    emit sig_playback(filename);
}

void MainPage::recv_isplayback(bool isplay) {
    m_isPlayback = isplay;
}

void MainPage::recv_upgrade(QString name, int port, QString path, QString type) {
    emit sig_upgrade(name, port, path, type);
}

void MainPage::recv_upgradeFinish(bool value, QString result) {
    recv_wait(false);
    if (value)
        showMessage(tr("warm"), tr("Firmware upgrade success!"));
    else
        showMessage(tr("error"), tr("Firmware upgrade failed:%1").arg(result));
}

void MainPage::recv_synstatus(bool add, int status) {
    if (status < 0 || status > 30) return;
    if (add)
        m_stateFlags |= (1 << status);
    else
        m_stateFlags &= ~(1 << status);
}

void MainPage::recv_skipFunc(int type) {
    if (type == 0)
        on_pb_dev_clicked();
    else if (type == 1)
        on_pb_config_clicked();
}

void MainPage::recv_saveLog(bool isSave) {
    if (!isSave) {
        Recorder::instance().stop();
        return;
    }
    const QString error = Recorder::instance().startRecording();
    if (!error.isEmpty()) {
        m_pageLidar->setSaveLogResult(false);
        showMessage(tr("error"), error);
        return;
    }
    m_pageLidar->setSaveLogResult(true);
}

void MainPage::setDeviceButtonsVisible(bool visible) {
    // Pages that only make sense with a scanner attached.
    for (QWidget* page : {m_pageInfo, m_pageConfig}) {
        for (const PageEntry& entry : m_pages) {
            if (entry.page == page && entry.button) entry.button->setVisible(visible);
        }
    }
}

void MainPage::reloadZonePages() {
    if (!zonesSupported()) return;
    m_receiver->recv_zoneCmd(1, zones{});
}

// ---------------------------------------------------------------- dispatch

void MainPage::recv_data(int type, QByteArray data) {
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
            if (decimal(data) != 1) showMessage(tr("error"), tr("read zone failed"));
            // The zone pages take the list from recv_zoneData.
            break;
        case 7:
            if (decimal(data) > 0) {
                // The zone pages already hold what was written; the
                // configuration page refreshes itself once it exists.
                m_stateFlags &= ~kZoneWriteFromConfig;
            } else {
                showMessage(tr("error"), tr("write zone failed"));
                recv_wait(false);
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
            break;
        case 14:
            handleLinkCommand(data);
            break;
        case 15:
            m_direction = decimal(data) != 0 ? 1 : 0;
            m_pageLidar->setDirection(m_direction);
            m_receiver->setDirection(m_direction);
            break;
        case 16:
            // Algorithm-box status: routed to the algorithm-box page once it exists.
            break;
        case 17:
            m_statusValue = decimal(data);
            m_pageLidar->setStatusValue(m_statusValue);
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
}

void MainPage::handleParamBlock(const QByteArray& data) {
    if (data.size() < int(sizeof(EEpromV101))) {
        MAIN_TRACE("MainPage::handleParamBlock") << "short block" << data.size();
        return;
    }
    std::memcpy(&m_paramBlock, data.constData(), sizeof m_paramBlock);
    // On UART links the address field holds the link's baud rate, all four bytes.
    if (m_linkType == QLatin1String("UART")) put_le32(m_paramBlock.ip, uint32_t(m_portBaud));
    const bool first = !(m_stateFlags & kExportWaiting);

    setDeviceButtonsVisible(true);
    m_pageLidar->setConnected(true, m_linkType);
    m_stateFlags |= kBlockReceived;
    m_zonesByDevice = m_pageDev && m_pageDev->isBoxConnected();
    // The parameter page takes the block here once it exists.
    recv_wait(false);

    if (first) {
        showPage(m_pageLidar);
        applyModel();
    } else {
        QString dir = QString::fromStdString(Settings::instance().Read("Standard", "ExportPath"));
        exportParams(dir, m_exportImage.get());
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
    if (zones && !(m_stateFlags & kKeepZones)) reloadZonePages();

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
    m_pageLidar->setIoControlsEnabled((ioNumeric && ioLevel > 1) || m_ioByDevice);

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
        if (!ok || baud <= 0 || set_serial_baud(m_dataHandle, baud) != 0) {
            showMessage(tr("err"), tr("Failed to modify baud rate!"));
            return;
        }
        m_portBaud = baud;
        if (m_pageDev) m_pageDev->updateConnectedAddress(m_ipCom, baud);
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
    if (data.startsWith("LSZTP:") && data.size() == 8) {
        // The parameter page shows the zone type digit once it exists.
        setProperty("zoneTypeDigit", QString::fromLatin1(data.mid(6, 1)));
    }
}

void MainPage::exportParams(const QString& startDir, const ZoneDef* image) {
    const QString path =
        QFileDialog::getSaveFileName(this, tr("Save File"), startDir, tr("lidar param file (*.lidar)"));
    if (path.isEmpty()) return;
    const bool haveBlock = (m_stateFlags & kBlockReceived) != 0;
    const bool ok = write_param_file(path.toStdString(), reinterpret_cast<const uint8_t*>(image),
                                     haveBlock ? &m_paramBlock : nullptr);
    if (ok)
        showMessage(tr("warm"), tr("lidar param is export success!"));
    else
        showMessage(tr("error"), tr("lidar param is export failed!"));
}

// ================================================================ peer pages
// Home page and device list page. They are written alongside this window;
// this section is the one place that creates and connects them.

void MainPage::buildPeerPages() {
    m_pageMain = new Page_Main(this);
    m_pageDev = new Page_Dev(this);
}

void MainPage::connectPeerPages() {
    connect(m_pageDev, &Page_Dev::sig_start, this, &MainPage::recv_start);
    connect(m_pageDev, &Page_Dev::sig_restart, this, &MainPage::recv_restart);
    connect(m_pageDev, &Page_Dev::sig_wait, this, &MainPage::recv_wait);
    connect(m_pageDev, &Page_Dev::sig_data, this, &MainPage::recv_data);
    connect(m_heartbeat, &HeartBeatProc::sig_GetLidarHeart, m_pageDev, &Page_Dev::recv_lidarHeart);

    connect(m_pageMain, &Page_Main::sig_start, this, &MainPage::recv_start);
    connect(m_pageMain, &Page_Main::sig_skipFunc, this, &MainPage::recv_skipFunc);
    connect(m_pageMain, &Page_Main::sig_wait, this, [this](int state) { recv_wait(state != 0); });
}

// The home page's history goes through the device list, which knows whether
// the device is still there and asks before replacing a connection; it then
// comes back to recv_start as the device page's request.
bool MainPage::startFromHomePage(const QString& type, const QString& ip_com, int port_baud, int remote_port) {
    if (!m_pageDev) return false;
    bool isBox = false;
    return m_pageDev->connectByAddress(type, ip_com, port_baud, remote_port, isBox);
}
