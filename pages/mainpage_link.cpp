// MainPage: opening, restarting and closing the link to a scanner.

#include <QMetaObject>

#include "dialog_waitsignal.h"
#include "link_open.h"
#include "mainpage.h"
#include "mainpage_internal.h"
#include "page_dev.h"
#include "page_lidar.h"
#include "recorder.h"
#include "recvdataproc.h"
#include "sendcmdproc.h"
#include "transport.h"

using namespace mainpage;

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

// The home page's history goes through the device list, which knows whether
// the device is still there and asks before replacing a connection; it then
// comes back to recv_start as the device page's request.
bool MainPage::startFromHomePage(const QString& type, const QString& ip_com, int port_baud, int remote_port) {
    if (!m_pageDev) return false;
    bool isBox = false;
    return m_pageDev->connectByAddress(type, ip_com, port_baud, remote_port, isBox);
}
