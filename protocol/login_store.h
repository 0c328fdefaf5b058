#pragma once
// The two built-in accounts, their right levels, and the remembered login in
// section "Login" of the settings file ("SavePasswd", "AutoLogin" and the
// encrypted "Password", see login_crypto.h).
//
// Right levels: 0 not logged in, 1 administrator, 2 super administrator.
// Plain functions over the process settings; safe from any thread.

#include <QString>

#include "login_crypto.h"

constexpr int kRightNone = 0;
constexpr int kRightAdmin = 1;
constexpr int kRightSuperAdmin = 2;

// The login text of an account: name and password joined by "&".
QString login_text(const QString& account, const QString& password);

// kRightAdmin for "admin&qz739251", kRightSuperAdmin for
// "superadmin&qz739251", kRightNone for anything else (letter case counts).
int login_level(const QString& loginText);

// A level from any source clamped to the three known ones; anything else is 0.
int sanitize_right_level(int level);

struct RememberedLogin {
    bool save = false;       // "SavePasswd" is "1"
    bool autoLogin = false;  // "AutoLogin" is "1"
    QString loginText;       // decrypted "Password"; empty when absent or unusable
    int level = kRightNone;  // login_level(loginText)
};

// Reads the three settings and decrypts "Password" under `ids`. A value that
// does not decrypt to an account text leaves loginText empty and level 0.
RememberedLogin read_remembered_login(const MachineIdentifiers& ids = current_machine_identifiers());

// The level the automatic login at start-up grants: the remembered level when
// "AutoLogin" is set and "Password" decrypts to an account text, else 0.
int automatic_login_level(const MachineIdentifiers& ids = current_machine_identifiers());

// Stores the outcome of a successful login. save: "SavePasswd" "1",
// "AutoLogin" from autoLogin, "Password" the encrypted text; otherwise "0",
// "0" and an empty "Password". When the text cannot be encrypted (no
// identifier of this computer is readable) nothing is remembered and the
// result is false, as it is when the settings file cannot be written.
bool store_remembered_login(bool save, bool autoLogin, const QString& loginText,
                            const MachineIdentifiers& ids = current_machine_identifiers());
