#include "login_store.h"

#include <string>

#include "settings.h"

namespace {

constexpr char kSection[] = "Login";
constexpr char kAdminText[] = "admin&qz739251";
constexpr char kSuperAdminText[] = "superadmin&qz739251";

bool readFlag(const char* key) {
    return Settings::instance().Read(kSection, key, "0") == "1";
}

}  // namespace

QString login_text(const QString& account, const QString& password) {
    return QStringLiteral("%1&%2").arg(account, password);
}

int login_level(const QString& loginText) {
    if (loginText == QLatin1String(kAdminText)) return kRightAdmin;
    if (loginText == QLatin1String(kSuperAdminText)) return kRightSuperAdmin;
    return kRightNone;
}

int sanitize_right_level(int level) {
    return level == kRightAdmin || level == kRightSuperAdmin ? level : kRightNone;
}

RememberedLogin read_remembered_login(const MachineIdentifiers& ids) {
    RememberedLogin login;
    login.save = readFlag("SavePasswd");
    login.autoLogin = readFlag("AutoLogin");
    const QString stored = QString::fromStdString(Settings::instance().Read(kSection, "Password"));
    if (stored.isEmpty()) return login;
    const std::optional<QString> text = decrypt_login_text(stored, ids);
    // Only an account text counts; anything else that happens to decrypt is dropped.
    if (text && login_level(*text) != kRightNone) {
        login.loginText = *text;
        login.level = login_level(*text);
    }
    return login;
}

int automatic_login_level(const MachineIdentifiers& ids) {
    const RememberedLogin login = read_remembered_login(ids);
    return login.autoLogin ? login.level : kRightNone;
}

bool store_remembered_login(bool save, bool autoLogin, const QString& loginText,
                            const MachineIdentifiers& ids) {
    Settings& settings = Settings::instance();
    QString stored;
    if (save) stored = encrypt_login_text(loginText, ids);
    const bool remember = save && !stored.isEmpty();
    bool ok = settings.Write(kSection, "SavePasswd", remember ? "1" : "0");
    ok = settings.Write(kSection, "AutoLogin", remember && autoLogin ? "1" : "0") && ok;
    ok = settings.Write(kSection, "Password", stored.toStdString()) && ok;
    return ok && remember == save;
}
