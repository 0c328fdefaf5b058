#include "report_audit.h"

namespace {

QString detailOf(const AuditRecord& r) {
    QStringList parts;
    if (!r.detail.isEmpty()) parts << r.detail;
    if (r.imageCrc) parts << QStringLiteral("CRC %1").arg(audit_crc_text(*r.imageCrc));
    const QString readback = audit_readback_text(r.readbackMatched);
    if (!readback.isEmpty()) parts << QStringLiteral("read-back %1").arg(readback);
    return parts.join(QStringLiteral(", "));
}

}  // namespace

void report_take_audit(ReportInput& in, const std::vector<AuditRecord>& records, const QString& serial,
                       const QDate& day) {
    if (serial.isEmpty()) return;  // nothing names the scanner: no entry can be told to be its own
    ReportVerification& v = in.verification;
    for (const AuditRecord& r : records) {
        if (r.serial != serial) continue;
        if (r.operation == QLatin1String(audit::kZoneWrite) &&
            r.outcome == QLatin1String(audit::kSucceeded) && r.imageCrc) {
            v.writtenCrc = *r.imageCrc;
            v.writtenAt = r.time;
        }
        if (r.time.toLocalTime().date() == day)
            in.audit.push_back({r.time, r.program, r.level, r.operation, r.command, r.outcome, detailOf(r)});
    }
    if (v.writtenCrc && v.imageCrc) v.matched = *v.writtenCrc == *v.imageCrc;
}

QString report_read_audit(ReportInput& in, const QString& path) {
    if (!in.block) return QString();
    const AuditReadResult read = read_audit_log(path.isEmpty() ? audit_file_path() : path);
    if (!read.opened) return QStringLiteral("the audit trail cannot be read: %1").arg(read.error);
    const QDateTime created = in.createdAt.isValid() ? in.createdAt : QDateTime::currentDateTime();
    report_take_audit(in, read.records, QString::fromStdString(eeprom_product_sn(*in.block)),
                      created.toLocalTime().date());
    return audit_damage_summary(read);
}
