// MainPage: creating the workers and connecting them and the pages.

#include <QThread>

#include "firmwareupdateproc.h"
#include "heartbeatproc.h"
#include "mainpage.h"
#include "mainpage_internal.h"
#include "page_admin.h"
#include "page_box.h"
#include "page_dev.h"
#include "page_lidar.h"
#include "page_main.h"
#include "recvdataproc.h"
#include "sendcmdproc.h"
#include "zone_write_check.h"

// ---------------------------------------------------------------- workers

void MainPage::createWorkers() {
    m_receiver = new RecvDataProc();
    m_receiver->setObjectName(QStringLiteral("RecvDataProc"));

    m_sender = new SendCmdProc();
    m_sender->moveToThread(m_threads[0]);
    connect(m_threads[0], &QThread::finished, m_sender, &QObject::deleteLater);

    // An upgrade blocks its thread for its whole length: a thread of its own.
    m_firmware = new FirmwareUpdateProc();
    m_firmware->moveToThread(m_threads[2]);
    connect(m_threads[2], &QThread::finished, m_firmware, &QObject::deleteLater);
    // Running from the start, so the worker is also deleted on its thread
    // when no upgrade ever ran.
    m_threads[2]->start();

    m_heartbeat = new HeartBeatProc(kHeartbeatPort);  // started once connected

    createPlayback();
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
    connect(m_pageLidar, &Page_lidar::sig_openAdmin, this, [this] { showAdminPage(); });
    connect(m_pageLidar, &Page_lidar::sig_commissioningReport, this, &MainPage::writeCommissioningReport);
    // Firmware upgrade.
    connect(this, &MainPage::sig_upgrade, m_firmware, &FirmwareUpdateProc::recv_upgrade);
    connect(m_firmware, &FirmwareUpdateProc::sig_finish, this, &MainPage::recv_upgradeFinish);
    connect(m_firmware, &FirmwareUpdateProc::sig_progress, this, &MainPage::recv_progress);
    connectZoneCheck();
    connectPlayback();
}

void MainPage::showAdminPage() {
    if (!m_pageAdmin) {
        m_pageAdmin = new Page_Admin(this);
        m_pageAdmin->setWindowFlags(m_pageAdmin->windowFlags() | Qt::Window);
        connect(m_pageAdmin, &Page_Admin::sig_cmd, m_sender, &SendCmdProc::recv_cmd);
    }
    m_pageAdmin->setLinkType(m_linkType);
    m_pageAdmin->show();
    m_pageAdmin->raise();
    m_pageAdmin->activateWindow();
}

void MainPage::startWorkers() {
    if (!m_receiver->isRunning()) m_receiver->start();
    if (!m_threads[0]->isRunning()) m_threads[0]->start();
}

// ================================================================ peer pages
// Home page and device list page. They are written alongside this window;
// this section is the one place that creates and connects them.

void MainPage::buildPeerPages() {
    m_pageMain = new Page_Main(this);
    m_pageDev = new Page_Dev(this);
    m_pageBox = new Page_Box(this);
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
    connectBoxPage();
}

// ================================================================ verified zone writes

void MainPage::connectZoneCheck() {
    m_zoneCheck = new ZoneWriteCheck(this);
    // The pieces on their way to the sender are what the scanner is given.
    connect(m_receiver, &RecvDataProc::sig_ZoneCMD, m_zoneCheck, &ZoneWriteCheck::recv_ZoneCMD);
    connect(m_receiver, &RecvDataProc::sig_zoneImage, m_zoneCheck, &ZoneWriteCheck::imageRead);
    connect(m_zoneCheck, &ZoneWriteCheck::sig_result, this,
            [this](bool verified, QString text) { showMessage(verified ? tr("warm") : tr("error"), text); });
    // A check never carries over to another link or scanner.
    connect(this, &MainPage::sig_linkChanged, m_zoneCheck, [this] { m_zoneCheck->cancel(); });
}
