#include "settings.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <mutex>

// Values are stored as UTF-8 bytes, so no wide-character conversion (and no
// extra conversion library) is needed.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

struct Settings::Impl {
    mutable std::mutex mutex;
    CSimpleIniA ini{/*isUtf8=*/true, /*multiKey=*/false, /*multiLine=*/false};
    std::string path;

    // Caller holds the mutex.
    void load(const std::string& directory) {
        path = directory + kFileName;
        ini.Reset();
        const QString qpath = QString::fromStdString(path);
        if (!QFile::exists(qpath)) {
            QDir().mkpath(QString::fromStdString(directory));
            QFile empty(qpath);
            if (!empty.open(QIODevice::WriteOnly)) qWarning("settings: cannot create %s", path.c_str());
            return;
        }
        QFile file(qpath);
        if (!file.open(QIODevice::ReadOnly)) {
            qWarning("settings: cannot read %s", path.c_str());
            return;
        }
        const QByteArray bytes = file.readAll();
        if (ini.LoadData(bytes.constData(), size_t(bytes.size())) < 0) {
            qWarning("settings: %s is not readable INI text", path.c_str());
            ini.Reset();
        }
    }

    // Caller holds the mutex. Written through a temporary file and renamed,
    // so an interrupted save never leaves a truncated settings file.
    bool save() const {
        std::string text;
        if (ini.Save(text) < 0) return false;
        QSaveFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::WriteOnly)) return false;
        if (file.write(text.data(), qint64(text.size())) != qint64(text.size())) {
            file.cancelWriting();
            return false;
        }
        return file.commit();
    }
};

namespace {

// Cut after `count` code points of UTF-8 text; continuation bytes (10xxxxxx)
// stay with their character.
std::string cutCharacters(const std::string& text, size_t count) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (chars == count) return text.substr(0, i);
            ++chars;
        }
    }
    return text;
}

bool usableName(const std::string& name) {
    return !name.empty() && name.find_first_of("\r\n=[]") == std::string::npos;
}

}  // namespace

namespace {

// Set by tests before (or after) the first use, so that no test touches the
// user's real settings file.
std::mutex g_directoryMutex;
std::string g_testDirectory;

std::string settingsDirectory() {
    std::lock_guard<std::mutex> lock(g_directoryMutex);
    if (!g_testDirectory.empty()) return g_testDirectory;
    return QStandardPaths::writableLocation(QStandardPaths::TempLocation).toStdString();
}

}  // namespace

Settings::Settings() : m_impl(std::make_unique<Impl>()) {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->load(settingsDirectory());
}

Settings::~Settings() = default;

Settings& Settings::instance() {
    // Never destroyed: workers may still read settings while statics are torn down.
    static Settings* settings = new Settings();
    return *settings;
}

void Settings::setDirectoryForTesting(const std::string& directory) {
    {
        std::lock_guard<std::mutex> lock(g_directoryMutex);
        g_testDirectory = directory;
    }
    Settings& s = instance();
    std::lock_guard<std::mutex> lock(s.m_impl->mutex);
    s.m_impl->load(directory);
}

std::string Settings::Read(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    const char* value = m_impl->ini.GetValue(section.c_str(), key.c_str(), nullptr);
    return value ? std::string(value) : defaultValue;
}

bool Settings::Write(const std::string& section, const std::string& key, const std::string& value) {
    if (!usableName(section) || !usableName(key)) return false;
    // The file is text: a value ends at its first NUL, and it must end there
    // before blanks are trimmed, or a blank in front of the NUL stays in memory
    // but is lost when the file is read again.
    std::string stored = cutCharacters(value.substr(0, value.find('\0')), kMaxValueLength);
    for (char& c : stored)
        if (c == '\r' || c == '\n') c = ' ';
    // The file format drops blanks around a value when it is loaded; drop them
    // now, so the value reads back the same before and after a restart.
    const size_t first = stored.find_first_not_of(" \t");
    stored = first == std::string::npos ? std::string()
                                        : stored.substr(first, stored.find_last_not_of(" \t") - first + 1);
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    if (m_impl->ini.SetValue(section.c_str(), key.c_str(), stored.c_str()) < 0) return false;
    return m_impl->save();
}

std::string Settings::filePath() const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->path;
}
