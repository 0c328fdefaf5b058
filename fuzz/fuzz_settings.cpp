// The settings file "KorvellView.ini" as a user may have left it, and the
// connection history entries it holds. The input's first byte gives the
// length of a value that is written back afterwards; then come that value
// and the file text. Reading takes whatever the file holds; a value written
// reads back as stored (cut to 128 characters, line breaks as spaces); every
// history entry is either parsed whole or refused.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <string>

#include "fuzz_entry.h"
#include "history_entry.h"
#include "settings.h"

namespace {

size_t characters(const std::string& utf8) {
    size_t n = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace

VANTREL_FUZZ_TARGET(settings) {
    static QTemporaryDir dir;
    if (!dir.isValid()) return 0;
    fuzz::Reader in(data, size);
    size_t valueLength = 0;
    const uint8_t* valueBytes = in.take(in.byte(), valueLength);
    size_t textLength = 0;
    const uint8_t* text = in.rest(textLength);
    {
        QFile file(dir.path() + QString::fromLatin1(Settings::kFileName));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        file.write(reinterpret_cast<const char*>(text), qint64(textLength));
    }
    Settings::setDirectoryForTesting(dir.path().toStdString());
    Settings& settings = Settings::instance();

    for (const char* key : {"Language", "Logpath", "UpgradePath", "ImportPath", "ExportPath", "CallbackPath"})
        settings.Read("Standard", key, "Auto");
    for (const char* key : {"SavePasswd", "AutoLogin", "Password"}) settings.Read("Login", key, "0");
    settings.Read("Mapview", "Names");
    settings.Read("Mapview", "Values");
    for (int i = 0; i < 11; ++i) {
        const std::string stored = settings.Read("History", "history" + std::to_string(i));
        const QString shown = history_display_text(QString::fromStdString(stored));
        HistoryRequest request;
        if (parse_history_entry(shown, request)) {
            FUZZ_CHECK(shown.count(QLatin1Char('\n')) == 4);
            FUZZ_CHECK(!request.ipCom.contains(QLatin1Char(':')));
        }
    }

    const std::string value(reinterpret_cast<const char*>(valueBytes), valueLength);
    if (settings.Write("History", "history0", value)) {
        const std::string back = settings.Read("History", "history0");
        FUZZ_CHECK(characters(back) <= Settings::kMaxValueLength);
        FUZZ_CHECK(back.find('\n') == std::string::npos && back.find('\r') == std::string::npos);
        // The saved file loads again to the same value.
        Settings::setDirectoryForTesting(dir.path().toStdString());
        FUZZ_CHECK(Settings::instance().Read("History", "history0") == back);
    }
    return 0;
}
