#pragma once
// The audit trail: one JSON object per line in "audit.jsonl", one line for
// every change the program (the window or vantrel-cli) makes to a scanner or
// an algorithm box.
//
// Recording a change is one call:
//
//     AuditRecord r;
//     r.operation = audit::kFirmwareUpgrade;
//     r.serial = ...; r.model = ...; r.address = ...; r.link = "UDP";
//     r.command = "LH-2.3.bin";                  // what was done
//     r.outcome = ok ? audit::kSucceeded : audit::kFailed;
//     r.detail = errorText;                      // optional
//     r.imageCrc = crc;                          // optional
//     audit_append(r);                           // blocking: worker threads, vantrel-cli
//     // or audit_post(r) from audit_writer.h    // GUI thread: returns at once
//
// `time` and `program` fill themselves in. Nothing else is needed: the file,
// its directory and the locking are handled here.
//
// The file lives in the window's QStandardPaths::AppDataLocation (the
// generic data directory + "/vantrel", e.g. ~/.local/share/vantrel), whichever
// program writes, so the window and vantrel-cli share one trail.
//
// The file is only ever appended to: it is opened with O_APPEND and never
// truncated, rewritten or "repaired". Each record is written whole by one
// writer at a time (an exclusive flock across processes) and flushed to disk.
// A line cut short by a crash or a power loss stays as it is; the next append
// first ends it with a line break so the new record stands on a line of its
// own, and the reader skips the damaged line and says so.
//
// Line format (keys in this order; optional keys only when set):
//   {"time":"2024-05-01T08:30:00.123Z","program":"vantrel","level":1,
//    "serial":"...","model":"...","address":"192.168.1.10:6543","link":"UDP",
//    "operation":"parameter command","command":"LSRPM:900H","outcome":"accepted",
//    "detail":"","imageCrc":"0x1A2B3C4D","readback":"matched"}
//
// Thread-safe: appends from several threads are serialised.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace audit {

// Operations.
inline constexpr const char* kParameterCommand = "parameter command";
inline constexpr const char* kParameterImport = "parameter import";
inline constexpr const char* kZoneWrite = "zone write";
inline constexpr const char* kZoneReadBack = "zone read-back";  // the read that checks a zone write
inline constexpr const char* kFirmwareUpgrade = "firmware upgrade";
inline constexpr const char* kBoxChange = "box change";

// Outcomes. Commands: the scanner's acknowledgement. Operations: the result.
inline constexpr const char* kAccepted = "accepted";
inline constexpr const char* kRefused = "refused";
inline constexpr const char* kNoAnswer = "no answer";
inline constexpr const char* kSent = "sent";  // sent; the scanner gives no answer to this one
inline constexpr const char* kSucceeded = "succeeded";
inline constexpr const char* kFailed = "failed";

inline constexpr const char* kFileName = "audit.jsonl";

}  // namespace audit

struct AuditRecord {
    QDateTime time;                       // when; the current time when left invalid. Stored in UTC.
    QString program;                      // "vantrel" or "vantrel-cli"; the application name when left empty
    int level = 0;                        // right level of the operator: 0, 1 or 2
    QString serial;                       // serial number of the scanner (or the box)
    QString model;                        // model / type identifier
    QString address;                      // "IP:port", or the serial port and baud rate
    QString link;                         // "UDP", "TCP", "UART", "VPC" or "BOX"
    QString operation;                    // one of audit::k... operations
    QString command;                      // the command text, or what the operation worked on (a file name)
    QString outcome;                      // one of audit::k... outcomes
    QString detail;                       // anything worth keeping: an error text, a result code
    std::optional<quint32> imageCrc;      // zone image or firmware image CRC
    std::optional<bool> readbackMatched;  // zone write: the image read back was the one written
};

// ---- writing

// Appends `record` as one line to the trail. Blocking (file lock, write,
// fdatasync): call it from a worker thread or a command-line tool, or use
// audit_post (audit_writer.h) on the GUI thread. False with a one-line reason
// in *error when the directory cannot be created or the line cannot be written.
bool audit_append(const AuditRecord& record, QString* error = nullptr);

// The same into an explicit file (tests, and the writer thread, which resolves
// the path when the record is posted).
bool audit_append_to(const QString& path, const AuditRecord& record, QString* error = nullptr);

// The directory of the trail. Default: the generic data location + "/vantrel".
QString audit_directory();
// Full path of "audit.jsonl" in audit_directory().
QString audit_file_path();
// Points the trail of this process at `directory` (empty: back to the default).
// For tests.
void audit_set_directory(const QString& directory);

// True for a command text that changes the scanner: set commands ("LS...",
// "LF..." and the like) and restarts. Reads and queries ("xxxxxx", "LQ...",
// "LUUIDH", "LTYPEH", "LXVERH"), starting and stopping the measurement
// ("LSTARH", "LSTOPH") and the link handshake ("LSATS:...") are not changes.
bool audit_is_change_command(const QString& text);

// The CRC a firmware image file states in its header (bytes 12..15), or
// nothing when the file is not a firmware image (a raw serial image, for
// example). Reads only the first 16 bytes.
std::optional<quint32> audit_firmware_crc(const QString& path);

// ---- reading

struct AuditReadResult {
    bool opened = false;  // false: the file could not be read (a missing file reads as empty)
    QString error;        // why not, when !opened
    std::vector<AuditRecord> records;
    std::vector<int> damagedLines;  // 1-based numbers of the lines skipped as damaged
};

// Reads the trail, oldest first, keeping the records at or after `since` (an
// invalid time keeps all). A line that is not a
// complete JSON object with a valid "time" (a torn last line, a line longer
// than 64 KiB, foreign text) is skipped and its number reported.
AuditReadResult read_audit_log(const QString& path, const QDateTime& since = {});

// One sentence naming the damaged lines of a read ("2 damaged lines skipped
// (lines 3, 9)."), or empty when there are none. English; the window translates
// its own wording.
QString audit_damage_summary(const AuditReadResult& result);

// ---- formats

// The record as its JSON line (no line break).
QByteArray audit_record_json(const AuditRecord& record);
// Parses one line; false when it is not a record.
bool audit_record_from_json(const QByteArray& line, AuditRecord& out);
// Column names of the CSV form, and one record as a CSV row (RFC 4180
// quoting; a field that a spreadsheet would run as a formula gets a leading ').
QStringList audit_csv_columns();
QString audit_record_csv(const AuditRecord& record);
// "0x1A2B3C4D".
QString audit_crc_text(quint32 crc);
// "matched", "mismatch" or empty.
QString audit_readback_text(const std::optional<bool>& matched);
