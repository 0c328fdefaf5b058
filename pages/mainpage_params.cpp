// MainPage: the parameter and configuration pages — building and wiring
// them, handing them the parameter block and the model, the end of an
// import, and the export of a parameter file.

#include <QCoreApplication>
#include <QFileInfo>

#include "mainpage.h"
#include "mainpage_internal.h"
#include "page_config.h"
#include "page_dev.h"
#include "page_info.h"
#include "page_message.h"
#include "param_file.h"
#include "recvdataproc.h"
#include "sendcmdproc.h"
#include "settings.h"

using namespace mainpage;

// ---------------------------------------------------------------- building and wiring

void MainPage::buildParamPages() {
    m_pageInfo = new Page_Info(this);
    m_pageConfig = new Page_Config(this);
}

void MainPage::connectParamPages() {
    Page_Info* info = m_pageInfo;
    connect(info, &Page_Info::sig_wait, this, &MainPage::recv_wait);
    connect(info, &Page_Info::sig_data, this, &MainPage::recv_data);
    connect(info, &Page_Info::sig_resetSpan, this, &MainPage::recv_resetSpan);
    connect(info, &Page_Info::sig_synstatus, this, &MainPage::recv_synstatus);
    connect(info, &Page_Info::sig_C_PACK, m_sender, &SendCmdProc::recv_C_PACK);
    connect(info, &Page_Info::sig_S_PACK, m_sender, &SendCmdProc::recv_S_PACK);
    connect(info, &Page_Info::sig_GS_PACK, m_sender, &SendCmdProc::recv_GS_PACK);
    // The receiver names its flags (smooth, fitter); the page takes (fitter,
    // smooth): matched by meaning, not by position.
    connect(m_receiver, &RecvDataProc::sig_uartState, info,
            [info](bool smooth, bool fitter) { info->recv_uartState(fitter, smooth); });

    Page_Config* config = m_pageConfig;
    connect(config, &Page_Config::sig_wait, this, &MainPage::recv_wait);
    connect(config, &Page_Config::sig_synstatus, this, &MainPage::recv_synstatus);
    connect(config, &Page_Config::sig_getDevInfo, this, &MainPage::recv_getDevInfo);
    connect(config, &Page_Config::sig_upgrade, this, &MainPage::recv_upgrade);
    connect(config, &Page_Config::sig_UploadZone, this, &MainPage::recv_UploadZone);
    connect(config, &Page_Config::sig_GS_PACK, m_sender, &SendCmdProc::recv_GS_PACK);
    connect(config, &Page_Config::sig_import_Cmds, m_sender, &SendCmdProc::recv_import_Cmds);
    connect(this, &MainPage::sig_upgradeTargets, config, &Page_Config::fillUpgradeTargets);

    // Closing the link (type 8, a new connection, the window closing) leaves
    // both pages without a scanner.
    connect(this, &MainPage::sig_linkChanged, this, [this](bool open) {
        if (open) return;
        // Zones read from this scanner must not go into a file with the
        // next scanner's parameters.
        m_exportImage.reset();
        // A refresh that never got its block holds nothing on the next link.
        m_stateFlags &= ~kKeepZones;
        m_pageInfo->setConnected(false);
        m_pageConfig->setUI(false, m_linkType, QString(), false);
    });
}

// ---------------------------------------------------------------- block and model

void MainPage::showBlockOnParamPages() {
    const bool isBox = m_pageDev && m_pageDev->isBoxConnected();
    m_pageInfo->setConnected(true);
    if (isSerial(m_linkType)) m_pageInfo->setBaudRate(m_portBaud);
    m_pageInfo->recv_eeprom(m_linkType, m_paramBlock, isBox);
}

void MainPage::applyModelToParamPages(bool zones, bool io, int direction) {
    // Once per connection: setUI starts the import choices afresh, which a
    // later block (a refresh, a value read back) must not do.
    if (!m_pageConfig->isConnected()) {
        const bool isBox = m_pageDev && m_pageDev->isBoxConnected();
        m_pageConfig->setUI(true, m_linkType, m_pageInfo->lidarType(), isBox);
    }
    m_pageConfig->setZoneImportEnabled(zones);
    m_pageInfo->setZoneSetVisible(zones);
    m_pageInfo->setIOVisible(io, io ? (m_paramBlock.azn >> 4) & 1 : -1);
    if (direction >= 0) m_pageInfo->setRotate(direction != 0);
}

// ---------------------------------------------------------------- import

void MainPage::finishZoneImport(bool written) {
    if (!(m_stateFlags & kZoneWriteFromConfig)) return;
    m_stateFlags &= ~kZoneWriteFromConfig;
    // The parameters follow their zones; after a failed zone write the
    // operator decides again.
    if (written) m_pageConfig->importParameters();
}

void MainPage::recv_import_finish() {
    recv_wait(false);
    QString text = tr("Import parameters succeeded");
    const QString note = m_pageConfig ? m_pageConfig->importNote() : QString();
    if (!note.isEmpty()) text += QLatin1Char('\n') + note;
    showMessage(tr("warm"), text);
    if (m_pageInfo && (m_stateFlags & kBlockReceived)) m_pageInfo->recv_eeprom(m_linkType, m_paramBlock);
}

// ---------------------------------------------------------------- export

void MainPage::exportParams(const QString& startDir, const ZoneDef* image, bool rememberPath) {
    const QString path = pagemsg::chooseFile(this, pagemsg::FileChoice::SaveFile, tr("Save File"), startDir,
                                             tr("lidar param file (*.lidar)"));
    if (path.isEmpty()) return;
    if (rememberPath) Settings::instance().Write("Standard", "ExportPath", path.toStdString());
    const bool haveBlock = (m_stateFlags & kBlockReceived) != 0;
    std::string why;
    const bool ok = write_param_file(path.toStdString(), reinterpret_cast<const uint8_t*>(image),
                                     haveBlock ? &m_paramBlock : nullptr, &why);
    MAIN_TRACE("MainPage::exportParams") << path << ok << QString::fromStdString(why);
    if (ok)
        showMessage(tr("warm"), tr("lidar param is export success!"));
    else
        showMessage(tr("error"), tr("lidar param is export failed!"));
}
