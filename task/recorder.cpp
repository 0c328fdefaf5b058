#include "recorder.h"

#include <fcntl.h>
#include <spdlog/pattern_formatter.h>
#include <spdlog/sinks/rotating_file_sink.h>
#include <spdlog/spdlog.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "fan_text.h"
#include "settings.h"

namespace {

constexpr size_t kMaxLogBytes = 104857600;  // 100 MiB per text file before it rotates
constexpr size_t kMaxLogFiles = 1000;
const char* const kPattern = "[%Y-%m-%d %H:%M:%S.%e][thread %t][%@,%!][%l] : %v";

// spdlog's registry refuses a second logger of the same name; a recording
// that was not stopped cleanly, or two recorders in one process, must not
// make the next start fail, so every logger gets a name of its own.
std::atomic<unsigned> g_loggerSerial{0};

QString openFailure(const QString& path, const QString& why) {
    return QCoreApplication::translate("Recorder", "Cannot open the log file %1: %2").arg(path, why);
}

std::shared_ptr<spdlog::logger> makeLogger(const QString& name, const QString& path) {
    auto sink = std::make_shared<spdlog::sinks::rotating_file_sink_mt>(QFile::encodeName(path).toStdString(),
                                                                       kMaxLogBytes, kMaxLogFiles, false);
    const std::string unique = QStringLiteral("%1#%2").arg(name).arg(++g_loggerSerial).toStdString();
    auto logger = std::make_shared<spdlog::logger>(unique, std::move(sink));
    logger->set_formatter(
        std::make_unique<spdlog::pattern_formatter>(kPattern, spdlog::pattern_time_type::local, "\r\n"));
    logger->set_level(spdlog::level::info);
    logger->flush_on(spdlog::level::info);
    spdlog::register_logger(logger);
    return logger;
}

}  // namespace

Recorder& Recorder::instance() {
    // Never destroyed: receivers may still write while the process exits.
    static Recorder* recorder = new Recorder;
    return *recorder;
}

Recorder::Recorder() = default;

Recorder::~Recorder() {
    stop();
}

QString Recorder::recordingDirectory(const QString& baseDir, const QDateTime& localTime) {
    const QDate d = localTime.date();
    const QTime t = localTime.time();
    return QStringLiteral("%1/korvLOG/%2_%3_%4/%5_%6_%7")
        .arg(baseDir)
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(t.hour(), 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'));
}

bool Recorder::createPath(const QString& dir) {
    QString path = dir;
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    // Walk every prefix ending at a separator; the root prefix "/" exists.
    for (int i = path.indexOf(QLatin1Char('/'), 1); i >= 0; i = path.indexOf(QLatin1Char('/'), i + 1)) {
        const QString prefix = path.left(i);
        if (prefix.isEmpty() || QFileInfo::exists(prefix)) continue;
        if (!QDir().mkdir(prefix)) break;
    }
    return QFileInfo(path).isDir();
}

QString Recorder::startRecording(const QString& baseDir) {
    QString base = baseDir;
    if (base.isEmpty())
        base = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    const QString dir = recordingDirectory(base, QDateTime::currentDateTime());
    createPath(dir);  // a failure shows as files that cannot be opened
    return start(dir, QStringLiteral("info"), QStringLiteral("point"), QStringLiteral("data"), 1);
}

QString Recorder::startRecording() {
    return startRecording(QString::fromStdString(Settings::instance().Read("Standard", "Logpath")));
}

QString Recorder::start(const QString& dir, const QString& infoName, const QString& dataName,
                        const QString& rawName, int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    stopLocked();
    m_directory = dir;
    const QString prefix = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');

    QString error;
    for (int i = 0; i < count && error.isEmpty(); ++i) {
        const QString infoPath = prefix + infoName + QString::number(i) + QStringLiteral(".txt");
        const QString dataPath = prefix + dataName + QString::number(i) + QStringLiteral(".txt");
        const QString rawPath = prefix + rawName + QString::number(i) + QStringLiteral(".dump");
        const auto addLogger = [&](std::vector<LoggerPtr>& list, const QString& kind, const QString& path) {
            try {
                list.push_back(makeLogger(kind, path));
            } catch (const std::exception& e) {
                error = openFailure(path, QString::fromLocal8Bit(e.what()));
            }
        };
        if (!infoName.isEmpty()) addLogger(m_info, QStringLiteral("info"), infoPath);
        if (!dataName.isEmpty() && error.isEmpty()) addLogger(m_data, QStringLiteral("data"), dataPath);
        if (!error.isEmpty()) break;
        if (!rawName.isEmpty()) {
            const int fd = ::open(QFile::encodeName(rawPath).constData(),
                                  O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
            if (fd < 0) {
                error = openFailure(rawPath, QString::fromLocal8Bit(strerror(errno)));
                break;
            }
            m_raw.push_back(fd);
        }
    }
    if (!error.isEmpty()) {
        // A recording that silently records nothing would only be noticed
        // when the operator needs the data: refuse the start instead.
        stopLocked();
        return error;
    }
    spdlog::flush_on(spdlog::level::info);
    m_recording = true;
    return QString();
}

void Recorder::stop() {
    std::lock_guard<std::mutex> lock(m_mutex);
    stopLocked();
}

void Recorder::stopLocked() {
    m_recording = false;
    for (auto* list : {&m_info, &m_data}) {
        for (const LoggerPtr& logger : *list) {
            logger->flush();
            spdlog::drop(logger->name());
        }
        list->clear();
    }
    for (int fd : m_raw) ::close(fd);
    m_raw.clear();
}

QString Recorder::directory() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_directory;
}

void Recorder::writeRaw(int index, const void* data, size_t len) {
    if (!m_recording || data == nullptr || len == 0) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_recording || index < 0 || static_cast<size_t>(index) >= m_raw.size()) return;
    const int fd = m_raw[static_cast<size_t>(index)];
    const auto* p = static_cast<const char*>(data);
    while (len > 0) {
        const ssize_t n = ::write(fd, p, len);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // disk full or file gone: the block is lost, the receiver goes on
        p += n;
        len -= static_cast<size_t>(n);
    }
}

void Recorder::writeText(int index, const QString& text) {
    writeTextLine(index, text.toLocal8Bit().toStdString());
}

void Recorder::writeTextLine(int index, const std::string& line) {
    logTo(m_data, index, line);
}

void Recorder::writeRevolution(int index, const std::vector<RawData>& revolution) {
    if (!m_recording) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_recording || index < 0 || static_cast<size_t>(index) >= m_data.size()) return;
    // The line is ASCII, so it is already in the local 8-bit encoding.
    std::string line;
    for (const RawData& fan : revolution) {
        line.clear();
        append_fan_text_line(line, fan);
        m_data[static_cast<size_t>(index)]->log(spdlog::level::info,
                                                spdlog::string_view_t(line.data(), line.size()));
    }
}

void Recorder::writeInfo(int index, const QString& text) {
    logTo(m_info, index, text.toLocal8Bit().toStdString());
}

void Recorder::logTo(std::vector<LoggerPtr>& list, int index, const std::string& line) {
    if (!m_recording) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_recording || index < 0 || static_cast<size_t>(index) >= list.size()) return;
    // Logged as a plain string: a sector line holds no format directives,
    // and a '{' in operator text must not be taken for one.
    list[static_cast<size_t>(index)]->log(spdlog::level::info,
                                          spdlog::string_view_t(line.data(), line.size()));
}
