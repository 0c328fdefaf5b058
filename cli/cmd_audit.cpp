// vantrel-cli audit: the audit trail the window and vantrel-cli write.

#include <QDateTime>
#include <QString>
#include <cstdio>
#include <string>

#include "audit_log.h"
#include "cli_common.h"

namespace cli {

namespace {

const char kCommand[] = "audit";

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: vantrel-cli audit [--since DATE] [--format json|csv] [--file PATH]\n"
                 "\n"
                 "Prints the audit trail, oldest first: every change the window and vantrel-cli\n"
                 "made to a scanner or box (parameter commands and their outcome, parameter\n"
                 "imports, zone writes with the image CRC and their read-back, firmware upgrades,\n"
                 "box changes), with the time, the right level, the scanner's serial number,\n"
                 "model, address and link.\n"
                 "--since DATE   only records from DATE on: YYYY-MM-DD (local midnight) or an\n"
                 "               ISO 8601 time such as 2024-05-01T08:30:00 or ...Z\n"
                 "--format       json: one JSON object per line, as stored (default)\n"
                 "               csv: a header line, then one row per record\n"
                 "--file PATH    read PATH instead of the trail of this computer\n"
                 "               (default: %s)\n"
                 "Damaged lines are skipped and named once on stderr.\n"
                 "exit status: 0 done, 1 the trail cannot be read, 2 usage\n",
                 audit_file_path().toLocal8Bit().constData());
}

// YYYY-MM-DD as local midnight, or an ISO 8601 date and time (local unless it names its zone).
QDateTime parseSince(const std::string& text) {
    const QString t = QString::fromStdString(text).trimmed();
    const QDate day = QDate::fromString(t, Qt::ISODate);
    if (day.isValid() && t.size() == 10) return day.startOfDay();
    QDateTime time = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (!time.isValid()) time = QDateTime::fromString(t, Qt::ISODate);
    return time;
}

}  // namespace

int runAudit(const std::vector<std::string>& args) {
    if (wantsHelp(args)) return usage(stdout), ExitOk;
    QDateTime since;
    std::string format = "json";
    QString path;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--since" && hasValue) {
            since = parseSince(args[++i]);
            if (!since.isValid())
                return printError(kCommand,
                                  "--since takes YYYY-MM-DD or an ISO 8601 time, not '" + args[i] + "'"),
                       ExitUsage;
        } else if (a == "--format" && hasValue) {
            format = args[++i];
            if (format != "json" && format != "csv")
                return printError(kCommand, "--format must be json or csv"), ExitUsage;
        } else if (a == "--file" && hasValue) {
            path = QString::fromStdString(args[++i]);
        } else {
            printError(kCommand, "unexpected argument " + a);
            return usage(stderr), ExitUsage;
        }
    }
    if (path.isEmpty()) path = audit_file_path();

    const AuditReadResult result = read_audit_log(path, since);
    if (!result.opened)
        return printError(kCommand, "cannot read " + path.toStdString() + ": " + result.error.toStdString()),
               ExitFailure;
    if (!result.damagedLines.empty())
        printError(kCommand, path.toStdString() + ": " + audit_damage_summary(result).toStdString());

    if (format == "csv")
        std::printf("%s\r\n", audit_csv_columns().join(QLatin1Char(',')).toUtf8().constData());
    for (const AuditRecord& r : result.records) {
        if (format == "csv")
            std::printf("%s\r\n", audit_record_csv(r).toUtf8().constData());
        else
            std::printf("%s\n", audit_record_json(r).constData());
    }
    return ExitOk;
}

}  // namespace cli
