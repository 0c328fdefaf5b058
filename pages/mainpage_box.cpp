// MainPage: the algorithm box page and the box status datagrams that reach
// the window as message type 16.

#include "box_protocol.h"
#include "firmwareupdateproc.h"
#include "mainpage.h"
#include "mainpage_internal.h"
#include "page_box.h"
#include "page_dev.h"
#include "ui_mainpage.h"

void MainPage::connectBoxPage() {
    connect(m_pageBox, &Page_Box::sig_wait, this, &MainPage::recv_wait);
    // Declared by the page for a scanner-style upgrade; the box itself is
    // upgraded by its own worker on the box port.
    connect(m_pageBox, &Page_Box::sig_upgrade, m_firmware, &FirmwareUpdateProc::recv_upgrade);
    connect(m_pageDev, &Page_Dev::sig_addressConflicts, m_pageBox, &Page_Box::setConflictingAddresses);
    // The box page stays out of the side bar until a box has been heard.
    ui->pb_box->hide();
}

void MainPage::handleBoxStatus(const QByteArray& data) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    const std::string box = box_status_address(bytes, size_t(data.size()));
    if (box.empty()) return;  // not a whole status record
    if (!m_boxWorkerStarted) {
        m_boxWorkerStarted = true;
        MAIN_TRACE("MainPage::handleBoxStatus") << "first algorithm box" << box.c_str();
        m_pageBox->startBoxWorker();
        ui->pb_box->show();
    }
    m_pageBox->showBoxStatus(data);
    m_pageDev->recordBoxAddress(QString::fromStdString(box));
}
