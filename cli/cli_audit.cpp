#include "cli_audit.h"

#include <QFile>
#include <QStandardPaths>

#include "algorithmboxproc.h"
#include "cli_common.h"
#include "eeprom.h"
#include "login_store.h"
#include "session.h"
#include "settings.h"

namespace cli {

namespace {

// The settings are consulted only when the window has left a file: a
// command-line run creates no settings file of its own.
int rememberedLevel() {
    const QString file =
        QStandardPaths::writableLocation(QStandardPaths::TempLocation) + QLatin1String(Settings::kFileName);
    return QFile::exists(file) ? automatic_login_level() : kRightNone;
}

}  // namespace

AuditRecord linkAuditRecord(const LinkAddress& link, const char* operation) {
    AuditRecord r;
    r.program = QStringLiteral("vantrel-cli");
    r.level = rememberedLevel();
    const bool serial = link.type == "UART" || link.type == "VPC";
    r.address = QString::fromStdString(serial ? link.address + "@" + std::to_string(link.baud)
                                              : link.address + ":" + std::to_string(link.port));
    r.link = QString::fromStdString(link.type);
    r.operation = QLatin1String(operation);
    return r;
}

AuditRecord boxAuditRecord(const std::string& box, int port, const std::string& command) {
    AuditRecord r = box_audit_record(QString::fromStdString(box), port, QString::fromStdString(command));
    r.program = QStringLiteral("vantrel-cli");
    r.level = rememberedLevel();
    return r;
}

AuditRecord sessionAuditRecord(const Session& session, const char* operation) {
    AuditRecord r = linkAuditRecord(session.link(), operation);
    r.serial = QString::fromStdString(eeprom_product_sn(session.block()));
    r.model = QString::fromStdString(session.model());
    return r;
}

void recordAudit(const std::string& command, const AuditRecord& record) {
    QString error;
    if (!audit_append(record, &error))
        printError(command, "warning: the audit trail " + audit_file_path().toStdString() +
                                " cannot be written: " + error.toStdString());
}

}  // namespace cli
