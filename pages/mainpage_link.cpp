// MainPage: opening, restarting and closing the link to a scanner.
//
// The link is opened on a worker thread (ping, up to two TCP connects of
// several seconds, a serial open) while the wait dialog shows; its Cancel calls
// the attempt off and closes whatever it had opened. The descriptors of an open
// link live in one ScannerLink shared with the receiver and the command
// sender: ending it (a disconnect here, or a loss the receiver noticed) stops
// every user at once, and the descriptors close when the last one lets go.

#include <QAbstractButton>
#include <QMetaObject>
#include <QThreadPool>

#include "dialog_waitsignal.h"
#include "link_open.h"
#include "mainpage.h"
#include "mainpage_internal.h"
#include "page_dev.h"
#include "page_lidar.h"
#include "recorder.h"
#include "recvdataproc.h"
#include "sendcmdproc.h"
#include "thread_handover.h"
#include "transport.h"

using namespace mainpage;

void MainPage::connectLinkControls() {
    connect(m_receiver, &RecvDataProc::sig_linkLost, this, &MainPage::recv_linkLost);
    // The wait dialog's close button only hides it; while connecting it also
    // calls the connection off.
    if (auto* cancel = m_waitDialog->findChild<QAbstractButton*>(QStringLiteral("pb_close")))
        connect(cancel, &QAbstractButton::clicked, this, &MainPage::cancelConnect);
}

bool MainPage::isConnecting() const {
    return m_openCancel != nullptr || (isLinkOpen() && !(m_stateFlags & kBlockReceived));
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

    // Stop the receiver's loop before its link ends, so the end is not taken
    // for a link failure; the sender forgets what it tracked there.
    abandonOpening();
    m_receiver->runFlag = 0;
    m_receiver->resetCalibration();
    QMetaObject::invokeMethod(m_sender, &SendCmdProc::recv_UnInit, Qt::QueuedConnection);
    closeLink();
    m_stateFlags &= ~kBlockReceived;
    m_linkType = type;
    m_ipCom = ip_com;
    m_portBaud = port_baud;
    m_localPort = remote_port;

    if (!m_linkOpener) {
        m_linkOpener = new QThreadPool(this);
        m_linkOpener->setMaxThreadCount(1);
    }
    const unsigned attempt = ++m_openAttempt;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    m_openCancel = cancel;
    const std::string linkType = type.toStdString();
    const std::string address = ip_com.toStdString();
    const int localPort = m_localPort;
    handover::startTask(*m_linkOpener, [this, attempt, cancel, linkType, address, port_baud, localPort] {
        const LinkOpenResult result = open_link(linkType, address, port_baud, localPort, cancel.get());
        // Dropped unseen when the window is gone by then; the result then
        // closes what it opened.
        QMetaObject::invokeMethod(
            this, [this, attempt, result] { finishStart(attempt, result); }, Qt::QueuedConnection);
    });
    // The wait dialog stays up until the parameter block arrives.
}

// The opening's result, back on the GUI thread.
void MainPage::finishStart(unsigned attempt, const LinkOpenResult& result) {
    // A cancelled or superseded attempt: its result closes what it opened.
    if (attempt != m_openAttempt || !m_openCancel) return;
    m_openCancel.reset();
    QString failure;
    switch (result.status) {
        case LinkOpenStatus::Ok:
            handOverLink(result);
            return;
        case LinkOpenStatus::SerialOpenFailed:
            failure = tr("com open err");
            break;
        case LinkOpenStatus::Unreachable:
            failure = tr("Current gateway unreachable!");
            break;
        case LinkOpenStatus::UdpBindFailed:
        case LinkOpenStatus::UdpPortsInUse:
            failure = tr("socket bind failed!");
            break;
        case LinkOpenStatus::TcpConnectFailed:
            failure = tr("tcp socket connect failed!");
            break;
        case LinkOpenStatus::UnknownType:
        case LinkOpenStatus::Cancelled:
            break;
    }
    MAIN_TRACE("MainPage::finishStart") << "failed" << int(result.status);
    recv_wait(false);
    if (m_pageDev) m_pageDev->linkClosed();
    if (!failure.isEmpty()) showMessage(tr("error"), failure);
}

void MainPage::handOverLink(const LinkOpenResult& result) {
    m_link = result.link;
    auto handToSender = [this](int fd, int port) {
        // Queued in order: the sender takes the link, then the recv_Init naming it.
        QMetaObject::invokeMethod(
            m_sender, [sender = m_sender, link = m_link] { sender->adoptLink(link); }, Qt::QueuedConnection);
        emit SendInit(m_linkType, fd, m_ipCom, port);
    };

    if (m_linkType == QLatin1String("TCP")) {
        m_tcpCmdSocket = result.cmdHandle;
        m_tcpDataSocket = result.dataHandle;
        m_receiver->attachLink(m_linkType, m_link, m_ipCom, m_portBaud + 1, m_portBaud);
        startWorkers();
        handToSender(m_tcpCmdSocket, m_portBaud);
        emit sig_linkChanged(true);
        return;
    }
    m_dataHandle = result.dataHandle;
    if (isSerial(m_linkType)) {
        if (m_pageDev) m_pageDev->setSerialHandle(m_dataHandle);
    } else if (result.boundPort != m_localPort) {
        showMessage(tr("warm"), tr("The current port %1 is already occupied, reassign the new port as %2")
                                    .arg(m_localPort)
                                    .arg(result.boundPort));
        m_localPort = result.boundPort;
    }
    m_receiver->attachLink(m_linkType, m_link, m_ipCom, m_portBaud);
    startWorkers();
    handToSender(m_dataHandle, m_portBaud);
    emit sig_linkChanged(true);
}

// The wait dialog's Cancel while connecting: the attempt is called off, and a
// link already opened but not yet identified is closed again.
void MainPage::cancelConnect() {
    if (!isConnecting()) return;
    MAIN_TRACE("MainPage::cancelConnect") << m_linkType << m_ipCom;
    disconnectLink();
    if (m_pageDev) m_pageDev->linkClosed();
}

void MainPage::abandonOpening() {
    ++m_openAttempt;
    if (m_openCancel) m_openCancel->store(true);
    m_openCancel.reset();
}

// Called off and waited for (the window is going away).
void MainPage::stopOpening() {
    abandonOpening();
    if (m_linkOpener) handover::waitForTasks(*m_linkOpener);
}

void MainPage::recv_restart(QString type, QString ip_com, int port_baud, int remote_port) {
    disconnectLink();
    recv_start(type, ip_com, port_baud, remote_port);
}

void MainPage::recv_linkLost(quint64 linkId, QString reason) {
    // A link already replaced or closed here is nothing to report.
    if (!m_link || m_link->id() != linkId) return;
    MAIN_TRACE("MainPage::recv_linkLost") << m_linkType << m_ipCom << reason;
    disconnectLink();
    if (m_pageDev) m_pageDev->linkClosed();
    showMessage(tr("error"), reason);
}

bool MainPage::setSerialLinkBaud(int baud) {
    if (!isSerial(m_linkType) || !isLinkOpen() || baud <= 0) return false;
    return set_serial_baud(m_link->dataFd(), baud) == 0;
}

// Ends the link for every holder and lets go of it here; the descriptors
// close once the receiver and the sender have let go too.
void MainPage::closeLink() {
    const bool wasOpen = m_link != nullptr;
    if (m_link) {
        m_link->end();
        m_link.reset();
    }
    m_tcpCmdSocket = 0;
    m_tcpDataSocket = 0;
    m_dataHandle = 0;
    if (m_pageDev) m_pageDev->setSerialHandle(0);
    if (wasOpen) emit sig_linkChanged(false);
}

void MainPage::disconnectLink() {
    MAIN_TRACE("MainPage::disconnectLink") << m_linkType << m_ipCom;
    abandonOpening();
    // Stop the loop first so the end of the link is not taken for a failure.
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
