// MainPage: the login and its right level (message type 17), and the audit
// trail of the changes the window makes to a scanner.

#include <QDialog>
#include <QFileInfo>

#include "audit_writer.h"
#include "command_frame.h"
#include "dialog_audit.h"
#include "dialog_login.h"
#include "firmwareupdateproc.h"
#include "login_store.h"
#include "mainpage.h"
#include "mainpage_internal.h"
#include "model_table.h"
#include "page_config.h"
#include "page_info.h"
#include "page_lidar.h"
#include "page_main.h"
#include "recvdataproc.h"
#include "right_level.h"
#include "sendcmdproc.h"
#include "settings.h"

using namespace mainpage;

// ---------------------------------------------------------------- set-up

void MainPage::setupRights() {
    connect(m_sender, &SendCmdProc::sig_cmdOutcome, this, &MainPage::recv_cmdOutcome);
    connect(m_receiver, &RecvDataProc::sig_zoneImageCrc, this, &MainPage::recv_zoneImageCrc);
    // After recv_data's own handling of the same message.
    connect(m_receiver, &RecvDataProc::sig_data, this, [this](int type, QByteArray data) {
        if (type == 6 || type == 7) auditZoneResult(type, data);
    });
    connect(this, &MainPage::sig_linkChanged, this, [this](bool open) {
        if (!open) m_writtenZoneCrc.reset();  // its read-back can no longer come
    });
    connect(AuditNotifier::instance(), &AuditNotifier::sig_failed, this, [this](QString error) {
        MAIN_TRACE("MainPage::setupRights") << "audit trail:" << error;
        // Once per run: a full disk would otherwise bring a box with every command.
        if (m_auditFailureShown) return;
        m_auditFailureShown = true;
        showMessage(tr("warm"), tr("The audit trail cannot be written: %1").arg(error));
    });
    if (m_pageMain) connect(m_pageMain, &Page_Main::sig_showAudit, this, &MainPage::recv_showAudit);
    // Parameter imports: the file and its commands when one starts, the end
    // when the sender has sent them all and read the block back.
    if (m_pageConfig) {
        connect(m_pageConfig, &Page_Config::sig_import_Cmds, this, [this](QStringList cmds) {
            AuditRecord r = auditRecord(audit::kParameterImport);
            r.command = QFileInfo(QString::fromStdString(Settings::instance().Read("Standard", "ImportPath")))
                            .fileName();
            r.detail = QStringLiteral("%1 commands sent").arg(cmds.size());
            m_pendingImport = r;
        });
    }
    connect(m_sender, &SendCmdProc::sig_import_finish, this, [this] {
        if (!m_pendingImport) return;
        AuditRecord r = *m_pendingImport;
        m_pendingImport.reset();
        r.time = QDateTime();
        r.outcome = QLatin1String(audit::kSucceeded);
        audit_post(r);
    });
    // Firmware upgrades: the target and file when one starts, the result when it ends.
    connect(this, &MainPage::sig_upgrade, this, [this](QString name, int port, QString path, QString type) {
        AuditRecord r = auditRecord(audit::kFirmwareUpgrade);
        r.serial.clear();  // the target is chosen by address; no block is read from it
        r.model.clear();
        r.address = isSerial(type) ? QStringLiteral("%1@%2").arg(name).arg(port)
                                   : QStringLiteral("%1:%2").arg(name).arg(port);
        r.link = type;
        r.command = QFileInfo(path).fileName();
        r.imageCrc = audit_firmware_crc(path);
        m_pendingUpgrade = r;
    });
    connect(m_firmware, &FirmwareUpdateProc::sig_finish, this, [this](bool ok, QString result) {
        if (!m_pendingUpgrade) return;
        AuditRecord r = *m_pendingUpgrade;
        m_pendingUpgrade.reset();
        r.time = QDateTime();
        r.outcome = QLatin1String(ok ? audit::kSucceeded : audit::kFailed);
        r.detail = result;
        audit_post(r);
    });

    // Automatic login: a remembered login that decrypts on this computer.
    applyRightLevel(automatic_login_level());
}

// ---------------------------------------------------------------- login and level

void MainPage::on_pb_right_clicked() {
    if (!m_loginDialog) {
        m_loginDialog = new Dialog_Login(this);
        m_loginDialog->setWindowModality(Qt::ApplicationModal);
        connect(m_loginDialog, &Dialog_Login::sig_data, this, &MainPage::recv_data);
        connect(m_loginDialog, &QDialog::finished, this, [](int result) {
            MAIN_TRACE("MainPage::on_pb_right_clicked")
                << (result == QDialog::Accepted ? "accept" : "reject");
        });
    }
    const RememberedLogin login = read_remembered_login();
    m_loginDialog->setStoredLogin(login.save, login.autoLogin, login.loginText, m_statusValue);
    // Modal without a nested event loop: the scan keeps drawing behind it.
    m_loginDialog->open();
}

void MainPage::applyRightLevel(int level) {
    m_statusValue = sanitize_right_level(level);
    MAIN_TRACE("MainPage::applyRightLevel") << m_statusValue;
    m_pageLidar->setStatusValue(m_statusValue);
    if (m_pageInfo) m_pageInfo->setRightLevel(m_statusValue);
    if (m_pageConfig) m_pageConfig->setRightLevel(m_statusValue);
    // Widgets written later take the level through RightLevelReceiver.
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (auto* receiver = dynamic_cast<RightLevelReceiver*>(widget))
            receiver->setRightLevel(m_statusValue);
    }
}

// ---------------------------------------------------------------- audit trail

void MainPage::recv_showAudit() {
    if (!m_auditDialog) m_auditDialog = new Dialog_Audit(this);
    m_auditDialog->reload();
    m_auditDialog->show();
    m_auditDialog->raise();
}

AuditRecord MainPage::auditRecord(const char* operation) const {
    AuditRecord r;
    r.program = QStringLiteral("vantrel");
    r.level = m_statusValue;
    if (m_stateFlags & kBlockReceived) {
        r.serial = QString::fromStdString(eeprom_product_sn(m_paramBlock));
        std::string model = eeprom_type_id(m_paramBlock);
        if (isSerial(m_linkType)) model = normalize_model_id(model);
        r.model = QString::fromStdString(model);
    }
    r.address = isSerial(m_linkType) ? QStringLiteral("%1@%2").arg(m_ipCom).arg(m_portBaud)
                                     : QStringLiteral("%1:%2").arg(m_ipCom).arg(m_portBaud);
    r.link = m_linkType;
    r.operation = QLatin1String(operation);
    return r;
}

void MainPage::recv_cmdOutcome(int mode, QString cmd, int outcome) {
    // Reads of the block and the zone transfer pieces are not parameter changes.
    if (mode == GS_PACK || mode == ZONE_WRITE_PACK || mode == ZONE_READ_PACK) return;
    if (!audit_is_change_command(cmd)) return;
    AuditRecord r = auditRecord(audit::kParameterCommand);
    r.command = cmd;
    switch (outcome) {
        case SendCmdProc::CmdAccepted:
            r.outcome = QLatin1String(audit::kAccepted);
            break;
        case SendCmdProc::CmdRefused:
            r.outcome = QLatin1String(audit::kRefused);
            break;
        case SendCmdProc::CmdNoAnswer:
            r.outcome = QLatin1String(audit::kNoAnswer);
            break;
        default:
            r.outcome = QLatin1String(audit::kSent);
            break;
    }
    audit_post(r);
}

void MainPage::recv_zoneImageCrc(int type, quint32 crc) {
    if (type == 6 || type == 7) m_zoneCrc = crc;
}

// A zone write is recorded when it ends, with the CRC of the image written.
// The read that follows a write (reloading the zone pages, or a check of
// the write) is recorded as its read-back: whether the scanner now holds the
// image that was written. Two lines rather than one held back, so a write is
// on disk even if the program ends before any read-back.
void MainPage::auditZoneResult(int type, const QByteArray& data) {
    const int result = decimal(data);
    const std::optional<quint32> crc = m_zoneCrc;
    m_zoneCrc.reset();
    if (type == 7) {
        AuditRecord r = auditRecord(audit::kZoneWrite);
        r.outcome = QLatin1String(result > 0 ? audit::kSucceeded : audit::kFailed);
        r.detail = QStringLiteral("result %1").arg(result);
        if (result > 0) r.imageCrc = crc;
        m_writtenZoneCrc = result > 0 ? crc : std::nullopt;
        audit_post(r);
        return;
    }
    if (!m_writtenZoneCrc) return;  // an ordinary read changes nothing
    AuditRecord r = auditRecord(audit::kZoneReadBack);
    r.outcome = QLatin1String(result == 1 && crc ? audit::kSucceeded : audit::kFailed);
    r.detail = QStringLiteral("result %1, written %2").arg(result).arg(audit_crc_text(*m_writtenZoneCrc));
    if (result == 1 && crc) {
        r.imageCrc = crc;
        r.readbackMatched = *crc == *m_writtenZoneCrc;
    }
    m_writtenZoneCrc.reset();
    audit_post(r);
}
