#include "audit_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <nlohmann/json.hpp>

#include "firmware_image.h"
#include "le_bytes.h"

namespace {

using Json = nlohmann::ordered_json;

// The window's application name: its AppDataLocation is <generic data>/vantrel.
constexpr char kAppDirectory[] = "vantrel";
// Longer lines are not ours; they are skipped unread rather than held in memory.
constexpr qint64 kMaxLineBytes = 64 * 1024;

std::mutex g_dirMutex;
QString g_directoryOverride;
// Serialises the appends of this process; flock does it across processes.
std::mutex g_appendMutex;

QString timeText(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

std::string utf8(const QString& text) {
    return text.toStdString();
}

QString stringField(const Json& j, const char* key) {
    const auto it = j.find(key);
    if (it == j.end() || !it->is_string()) return {};
    return QString::fromStdString(it->get<std::string>());
}

QString errnoText(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

// write(2) until everything is out or it fails.
bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

// True when the file is empty or ends with a line break. A torn last line
// from an earlier crash must not swallow the next record.
bool endsWithLineBreak(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size == 0) return true;
    char last = '\n';
    if (::pread(fd, &last, 1, st.st_size - 1) != 1) return true;
    return last == '\n';
}

bool parseCrc(const QString& text, quint32& crc) {
    if (!text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) return false;
    bool ok = false;
    const qulonglong v = text.mid(2).toULongLong(&ok, 16);
    if (!ok || v > 0xFFFFFFFFull) return false;
    crc = quint32(v);
    return true;
}

QString csvField(QString value) {
    // A leading =, + or @ makes a spreadsheet evaluate the cell.
    if (!value.isEmpty() && QStringLiteral("=+@\t\r").contains(value.front()))
        value.prepend(QLatin1Char('\''));
    if (value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('"')) ||
        value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))) {
        value.replace(QLatin1String("\""), QLatin1String("\"\""));
        value = QLatin1Char('"') + value + QLatin1Char('"');
    }
    return value;
}

}  // namespace

// ---------------------------------------------------------------- location

QString audit_directory() {
    {
        std::lock_guard<std::mutex> lock(g_dirMutex);
        if (!g_directoryOverride.isEmpty()) return g_directoryOverride;
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') +
           QLatin1String(kAppDirectory);
}

QString audit_file_path() {
    return audit_directory() + QLatin1Char('/') + QLatin1String(audit::kFileName);
}

void audit_set_directory(const QString& directory) {
    std::lock_guard<std::mutex> lock(g_dirMutex);
    g_directoryOverride = directory;
}

// ---------------------------------------------------------------- formats

QString audit_crc_text(quint32 crc) {
    return QStringLiteral("0x") + QString::number(crc, 16).toUpper().rightJustified(8, QLatin1Char('0'));
}

QString audit_readback_text(const std::optional<bool>& matched) {
    if (!matched) return {};
    return *matched ? QStringLiteral("matched") : QStringLiteral("mismatch");
}

QByteArray audit_record_json(const AuditRecord& r) {
    Json j;
    j["time"] = utf8(timeText(r.time.isValid() ? r.time : QDateTime::currentDateTimeUtc()));
    j["program"] = utf8(r.program.isEmpty() ? QCoreApplication::applicationName() : r.program);
    j["level"] = r.level;
    j["serial"] = utf8(r.serial);
    j["model"] = utf8(r.model);
    j["address"] = utf8(r.address);
    j["link"] = utf8(r.link);
    j["operation"] = utf8(r.operation);
    j["command"] = utf8(r.command);
    j["outcome"] = utf8(r.outcome);
    j["detail"] = utf8(r.detail);
    if (r.imageCrc) j["imageCrc"] = utf8(audit_crc_text(*r.imageCrc));
    if (r.readbackMatched) j["readback"] = utf8(audit_readback_text(r.readbackMatched));
    // Text from a device may hold anything; a bad byte becomes U+FFFD rather than a lost record.
    return QByteArray::fromStdString(j.dump(-1, ' ', false, Json::error_handler_t::replace));
}

bool audit_record_from_json(const QByteArray& line, AuditRecord& out) {
    const Json j = Json::parse(line.constData(), line.constData() + line.size(), nullptr, false);
    if (j.is_discarded() || !j.is_object()) return false;
    const QDateTime time = QDateTime::fromString(stringField(j, "time"), Qt::ISODateWithMs);
    if (!time.isValid()) return false;
    AuditRecord r;
    r.time = time.toUTC();
    r.program = stringField(j, "program");
    const auto level = j.find("level");
    r.level = level != j.end() && level->is_number_integer() ? int(level->get<int64_t>()) : 0;
    r.serial = stringField(j, "serial");
    r.model = stringField(j, "model");
    r.address = stringField(j, "address");
    r.link = stringField(j, "link");
    r.operation = stringField(j, "operation");
    r.command = stringField(j, "command");
    r.outcome = stringField(j, "outcome");
    r.detail = stringField(j, "detail");
    quint32 crc = 0;
    if (parseCrc(stringField(j, "imageCrc"), crc)) r.imageCrc = crc;
    const QString readback = stringField(j, "readback");
    if (readback == QLatin1String("matched")) r.readbackMatched = true;
    if (readback == QLatin1String("mismatch")) r.readbackMatched = false;
    out = r;
    return true;
}

QStringList audit_csv_columns() {
    return {QStringLiteral("time"),    QStringLiteral("program"),   QStringLiteral("level"),
            QStringLiteral("serial"),  QStringLiteral("model"),     QStringLiteral("address"),
            QStringLiteral("link"),    QStringLiteral("operation"), QStringLiteral("command"),
            QStringLiteral("outcome"), QStringLiteral("detail"),    QStringLiteral("imageCrc"),
            QStringLiteral("readback")};
}

QString audit_record_csv(const AuditRecord& r) {
    const QStringList fields{timeText(r.time),
                             r.program,
                             QString::number(r.level),
                             r.serial,
                             r.model,
                             r.address,
                             r.link,
                             r.operation,
                             r.command,
                             r.outcome,
                             r.detail,
                             r.imageCrc ? audit_crc_text(*r.imageCrc) : QString(),
                             audit_readback_text(r.readbackMatched)};
    QStringList out;
    for (const QString& f : fields) out << csvField(f);
    return out.join(QLatin1Char(','));
}

// ---------------------------------------------------------------- writing

bool audit_append_to(const QString& path, const AuditRecord& record, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir)) return fail(QStringLiteral("cannot create %1").arg(dir));
    const QByteArray line = audit_record_json(record);

    std::lock_guard<std::mutex> lock(g_appendMutex);
    // Read access only to look at the last byte; O_APPEND puts every write at the end.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return fail(errnoText("open"));
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            const QString why = errnoText("lock");
            ::close(fd);
            return fail(why);
        }
    }
    QByteArray out;
    out.reserve(line.size() + 2);
    if (!endsWithLineBreak(fd)) out += '\n';
    out += line;
    out += '\n';
    bool ok = writeAll(fd, out.constData(), size_t(out.size()));
    QString why = ok ? QString() : errnoText("write");
    if (ok && ::fdatasync(fd) != 0) {
        ok = false;
        why = errnoText("sync");
    }
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return ok ? true : fail(why);
}

bool audit_append(const AuditRecord& record, QString* error) {
    return audit_append_to(audit_file_path(), record, error);
}

bool audit_is_change_command(const QString& text) {
    const QString t = text.trimmed();
    if (!t.startsWith(QLatin1Char('L')) || t.startsWith(QLatin1String("LQ"))) return false;
    static const char* const kNotChanges[] = {"LUUIDH", "LTYPEH", "LXVERH", "LSTARH", "LSTOPH"};
    for (const char* fixed : kNotChanges)
        if (t == QLatin1String(fixed)) return false;
    return !t.startsWith(QLatin1String("LSATS:"));
}

std::optional<quint32> audit_firmware_crc(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray head = file.read(16);
    if (head.size() < 16) return std::nullopt;
    const auto* bytes = reinterpret_cast<const uint8_t*>(head.constData());
    if (le32(bytes) != kFirmwareMagic) return std::nullopt;
    return quint32(le32(bytes + 12));
}

// ---------------------------------------------------------------- reading

AuditReadResult read_audit_log(const QString& path, const QDateTime& since) {
    AuditReadResult result;
    QFile file(path);
    if (!file.exists()) {
        result.opened = true;
        return result;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    result.opened = true;
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        QByteArray line = file.readLine(kMaxLineBytes + 1);
        bool damaged = false;
        if (!line.endsWith('\n')) {
            if (file.atEnd()) {
                damaged = true;  // torn: the write of this line never finished
            } else {
                damaged = true;  // over-long: drop the rest of it unread
                char c = 0;
                while (file.getChar(&c) && c != '\n') {
                }
            }
        }
        if (!damaged) {
            line.chop(1);
            if (line.endsWith('\r')) line.chop(1);
            if (line.trimmed().isEmpty()) continue;
            AuditRecord record;
            if (audit_record_from_json(line, record)) {
                if (!since.isValid() || record.time >= since) result.records.push_back(std::move(record));
                continue;
            }
        }
        result.damagedLines.push_back(number);
    }
    return result;
}

QString audit_damage_summary(const AuditReadResult& result) {
    const auto& lines = result.damagedLines;
    if (lines.empty()) return {};
    QStringList numbers;
    for (size_t i = 0; i < lines.size() && i < 10; ++i) numbers << QString::number(lines[i]);
    if (lines.size() > 10) numbers << QStringLiteral("...");
    if (lines.size() == 1) return QStringLiteral("1 damaged line skipped (line %1).").arg(numbers.first());
    return QStringLiteral("%1 damaged lines skipped (lines %2).").arg(lines.size()).arg(numbers.join(", "));
}
