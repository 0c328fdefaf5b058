// The audit trail file: records appended and read back, a file that is only
// ever appended to, damage (a torn last line, foreign text) skipped and
// reported without being "repaired", the date filter and the CSV form.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "audit_log.h"

namespace {

AuditRecord commandRecord(const QString& command, const char* outcome, const QDateTime& time) {
    AuditRecord r;
    r.time = time;
    r.program = "vantrel-cli";
    r.level = 2;
    r.serial = "VT2401A0042";
    r.model = "TQX-H540-S";
    r.address = "127.0.0.2:6543";
    r.link = "UDP";
    r.operation = audit::kParameterCommand;
    r.command = command;
    r.outcome = outcome;
    return r;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void appendRaw(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(bytes);
}

const QDateTime kMay1 = QDateTime(QDate(2024, 5, 1), QTime(8, 30, 0, 123), Qt::UTC);
const QDateTime kMay2 = QDateTime(QDate(2024, 5, 2), QTime(9, 0), Qt::UTC);

}  // namespace

TEST(AuditTrail, RecordsReadBackInOrderWithEveryField) {
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/audit.jsonl");  // the directory is created on demand
    AuditRecord zone = commandRecord("zones.json", audit::kSucceeded, kMay2);
    zone.operation = audit::kZoneWrite;
    zone.imageCrc = 0x00A1B2C3u;
    zone.readbackMatched = false;
    zone.detail = "result 1";
    ASSERT_TRUE(audit_append_to(path, commandRecord("LSRPM:900H", audit::kAccepted, kMay1)));
    ASSERT_TRUE(audit_append_to(path, zone));

    EXPECT_TRUE(fileBytes(path).startsWith(
        R"({"time":"2024-05-01T08:30:00.123Z","program":"vantrel-cli","level":2,"serial":"VT2401A0042")"));
    const AuditReadResult read = read_audit_log(path);
    ASSERT_TRUE(read.opened);
    EXPECT_TRUE(read.damagedLines.empty());
    ASSERT_EQ(read.records.size(), 2u);
    EXPECT_EQ(read.records[0].command, "LSRPM:900H");
    EXPECT_EQ(read.records[0].outcome, "accepted");
    EXPECT_EQ(read.records[0].time, kMay1);
    EXPECT_FALSE(read.records[0].imageCrc.has_value());
    EXPECT_EQ(read.records[1].operation, "zone write");
    EXPECT_EQ(read.records[1].imageCrc, 0x00A1B2C3u);
    EXPECT_EQ(read.records[1].readbackMatched, false);
    EXPECT_EQ(read.records[1].detail, "result 1");
    EXPECT_EQ(read.records[1].serial, "VT2401A0042");
}

TEST(AuditTrail, ATornLineStaysAndTheNextRecordStandsOnALineOfItsOwn) {
    QTemporaryDir dir;
    const QString path = dir.filePath("audit.jsonl");
    ASSERT_TRUE(audit_append_to(path, commandRecord("LSRPM:900H", audit::kAccepted, kMay1)));
    // A crash in the middle of a write.
    appendRaw(path, R"({"time":"2024-05-01T09:00:00.000Z","program":"vantr)");
    const QByteArray before = fileBytes(path);

    ASSERT_TRUE(audit_append_to(path, commandRecord("LSPST:3H", audit::kRefused, kMay2)));
    const QByteArray after = fileBytes(path);
    EXPECT_TRUE(after.startsWith(before)) << "the existing bytes were rewritten";

    const AuditReadResult read = read_audit_log(path);
    ASSERT_EQ(read.records.size(), 2u);
    EXPECT_EQ(read.records[1].command, "LSPST:3H");
    EXPECT_EQ(read.damagedLines, std::vector<int>{2});
    EXPECT_EQ(audit_damage_summary(read), "1 damaged line skipped (line 2).");
}

TEST(AuditTrail, DamagedLinesAreSkippedAndNamedOnce) {
    QTemporaryDir dir;
    const QString path = dir.filePath("audit.jsonl");
    ASSERT_TRUE(audit_append_to(path, commandRecord("LSRPM:900H", audit::kAccepted, kMay1)));
    appendRaw(path, "not json at all\n");
    appendRaw(path, "[1,2,3]\n");
    appendRaw(path, R"({"program":"vantrel","command":"LSRPM:600H"})"
                    "\n");                                                   // no time
    appendRaw(path, "{\"time\":\"" + QByteArray(70 * 1024, 'x') + "\"}\n");  // over-long
    appendRaw(path, "\n");                                                   // blank: not damage
    // A torn last line: the reader must not wait for or invent its end.
    ASSERT_TRUE(audit_append_to(path, commandRecord("LSPST:3H", audit::kAccepted, kMay2)));
    appendRaw(path, R"({"time":"2024-05-03T00:00:00.000Z")");

    const AuditReadResult read = read_audit_log(path);
    ASSERT_EQ(read.records.size(), 2u);
    EXPECT_EQ(read.damagedLines, (std::vector<int>{2, 3, 4, 5, 8}));
    EXPECT_EQ(audit_damage_summary(read), "5 damaged lines skipped (lines 2, 3, 4, 5, 8).");
}

TEST(AuditTrail, SinceKeepsTheRecordsFromThatTimeOn) {
    QTemporaryDir dir;
    const QString path = dir.filePath("audit.jsonl");
    ASSERT_TRUE(audit_append_to(path, commandRecord("A", audit::kAccepted, kMay1)));
    ASSERT_TRUE(audit_append_to(path, commandRecord("B", audit::kAccepted, kMay2)));

    const AuditReadResult since = read_audit_log(path, QDateTime(QDate(2024, 5, 2), QTime(0, 0), Qt::UTC));
    ASSERT_EQ(since.records.size(), 1u);
    EXPECT_EQ(since.records[0].command, "B");
    EXPECT_TRUE(read_audit_log(dir.filePath("missing.jsonl")).opened);  // no trail yet: empty, not an error
}

TEST(AuditTrail, CsvQuotesWhatNeedsItAndDisarmsFormulas) {
    AuditRecord r = commandRecord("LSOUT:0a,0bH", audit::kRefused, kMay1);
    r.detail = "=HYPERLINK(\"x\")";
    r.imageCrc = 0x1234u;
    EXPECT_EQ(
        audit_csv_columns().join(','),
        "time,program,level,serial,model,address,link,operation,command,outcome,detail,imageCrc,readback");
    EXPECT_EQ(audit_record_csv(r),
              "2024-05-01T08:30:00.123Z,vantrel-cli,2,VT2401A0042,TQX-H540-S,127.0.0.2:6543,UDP,"
              "parameter command,\"LSOUT:0a,0bH\",refused,\"'=HYPERLINK(\"\"x\"\")\",0x00001234,");
}

TEST(AuditTrail, OnlyCommandsThatChangeTheScannerCountAsChanges) {
    const struct {
        const char* text;
        bool change;
    } cases[] = {
        {"LSRPM:900H", true}, {"LSUDP:192.168.001.010 255.255.255.000 192.168.001.001 06543H", true},
        {"LRESTH", true},     {"LFFF1H", true},
        {"xxxxxx", false},    {"LQSRPMH", false},
        {"LUUIDH", false},    {"LSTARH", false},
        {"LSTOPH", false},    {"LSATS:1H", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(audit_is_change_command(c.text), c.change) << c.text;
}
