#include "mainpage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QFont>
#include <QLocale>
#include <QMessageBox>
#include <QStackedWidget>
#include <QThread>
#include <QTimer>

#include "bpointitem.h"
#include "dialog_reminder.h"
#include "dialog_waitsignal.h"
#include "dialog_waitsignal2.h"
#include "heartbeatproc.h"
#include "mainpage_internal.h"
#include "page_box.h"
#include "page_config.h"
#include "page_dev.h"
#include "page_info.h"
#include "page_lidar.h"
#include "page_main.h"
#include "page_message.h"
#include "recorder.h"
#include "recvdataproc.h"
#include "sendcmdproc.h"
#include "settings.h"
#include "thread_handover.h"
#include "ui_mainpage.h"

using namespace mainpage;

QDebug mainpage::trace(const char* file, int line, const char* function) {
    QDebug d = qDebug().noquote();
    d << "[" + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))
      << quintptr(QThread::currentThreadId())
      << QStringLiteral("%1:%2:%3]")
             .arg(QFileInfo(QString::fromUtf8(file)).fileName())
             .arg(line)
             .arg(QLatin1String(function));
    return d;
}

namespace {

MainPage::MessageHook& messageHook() {
    static MainPage::MessageHook hook;
    return hook;
}

QString& translationDirOverride() {
    static QString dir;
    return dir;
}

}  // namespace

void MainPage::setMessageHook(MessageHook hook) {
    messageHook() = hook;
    // The pages' own boxes go the same way.
    pagemsg::setMessageHook(std::move(hook));
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
        handover::watchThread(m_threads[i]);
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
    connectLinkControls();
    connectPeerPages();
    connectParamPages();
    setupRights();
    // Started once every receiver of its signals is connected: a set-up
    // failure it reports at once must not go unheard.
    m_heartbeat->start();

    ui->lb_version->setText(QString::fromLatin1(kVersion));
    setDeviceButtonsVisible(false);
    showPage(m_pageMain ? m_pageMain : static_cast<QWidget*>(m_pageLidar));
}

MainPage::~MainPage() {
    stopOpening();
    if (m_heartbeat) m_heartbeat->recv_close();
    if (m_receiver) m_receiver->runFlag = 0;
    if (m_playback) m_playback->stop();  // a caching loop would hold its thread
    for (QThread* thread : m_threads) {
        thread->quit();
        handover::joinThread(thread);
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
    registerShapeMetaTypes();  // "Point*", "BPointItemList"
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
    buildParamPages();
    // Side-bar order. Pages still to come (parameters, algorithm box,
    // configuration, admin) register here with their button; a null page
    // keeps its button hidden.
    registerPage(m_pageMain, ui->pb_start);
    registerPage(m_pageInfo, ui->pb_info);
    registerPage(m_pageLidar, ui->pb_lidardata);
    registerPage(m_pageBox, ui->pb_box);
    registerPage(m_pageDev, ui->pb_dev);
    registerPage(m_pageConfig, ui->pb_config);
    // The admin page is a window of its own (showAdminPage), not in the stack.
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
    if (m_pageConfig) m_pageConfig->refresh();
    showPage(m_pageConfig);
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
    if (m_playback) m_playback->stop();
    QCoreApplication::quit();
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
    m_pageLidar->resetSpan();
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
    // The report's read must not replace zones the operator has drawn but not written.
    if (reportReadingZones()) return;
    m_readZones = std::make_unique<zones>(data);
    emit sig_zonearg(data);
}

void MainPage::recv_getDevInfo(bool isUDP) {
    // A serial probe takes seconds; the window stays live behind the wait
    // dialog, which also keeps a second request from starting meanwhile.
    if (!isUDP) recv_wait(true);
    const QStringList devices = m_pageDev ? m_pageDev->collectDevices(isUDP) : QStringList();
    if (!isUDP) recv_wait(false);
    MAIN_TRACE("MainPage::recv_getDevInfo") << isUDP << devices;
    emit sig_upgradeTargets(devices);
}

void MainPage::recv_PlayBackFileName(QString filename) {
    startPlayback(filename);
}

void MainPage::recv_isplayback(bool isplay) {
    m_isPlayback = isplay;
    // Direct, not queued: the worker's thread is busy in its loop.
    if (m_playback) m_playback->recv_isplayback(isplay);
}

void MainPage::recv_upgrade(QString name, int port, QString path, QString type) {
    MAIN_TRACE("MainPage::recv_upgrade") << type << name << port << path;
    if (!m_threads[2]->isRunning()) m_threads[2]->start();
    emit sig_upgrade(name, port, path, type);
}

void MainPage::recv_upgradeFinish(bool value, QString result) {
    recv_wait(false);
    if (m_progressDialog) m_progressDialog->hide();
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
    // Pages that only make sense with a scanner attached. The configuration
    // page stays: language, log path and firmware upgrade work off line.
    for (const PageEntry& entry : m_pages) {
        if (entry.page == m_pageInfo && entry.button) entry.button->setVisible(visible);
    }
}

void MainPage::reloadZonePages() {
    if (!zonesSupported()) return;
    m_receiver->recv_zoneCmd(1, zones{});
}
