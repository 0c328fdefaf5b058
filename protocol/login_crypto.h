#pragma once
// The remembered login: the login text encrypted under a key tied to this
// computer, so that a copied settings file does not log anyone in elsewhere.
//
// Key material: four identifiers of the computer, each trimmed, cut to its
// first five characters and right-aligned in five positions (a missing one
// counts as five blanks), joined in this order. HKDF-SHA256 turns the 20
// characters into the 16-byte AES-128 key; the key exists only inside one
// call and is wiped before it returns. It is never stored.
//
// Stored value: upper-case hexadecimal ("%.2X" per byte) of
//   nonce (12 random bytes) | ciphertext (as long as the text) | GCM tag (16)
// AES-128-GCM authenticates the text, so a value made on another computer or
// damaged in the file fails as a whole instead of decrypting to garbage.
//
// Plain functions; the identifier source below is process-wide and guarded,
// so every function may be called from any thread. Nothing here logs the
// login text, the key or the key material.

#include <QString>
#include <functional>
#include <optional>

// Identifiers of this computer as Linux offers them. An identifier that
// cannot be read (missing file, no permission) stays empty.
struct MachineIdentifiers {
    QString machineId;    // /etc/machine-id
    QString boardSerial;  // /sys/class/dmi/id/board_serial (usually readable by root only)
    QString productUuid;  // /sys/class/dmi/id/product_uuid (usually readable by root only)
    QString diskSerial;   // serial of the first disk in /sys/block (loop, ram, zram, dm devices skipped)
};

// Reads the identifiers under `root` ("/" on a real system; tests pass a
// directory laid out like one). Each file is read up to 256 bytes.
MachineIdentifiers read_machine_identifiers(const QString& root = QStringLiteral("/"));

// Where the identifiers of "this computer" come from. Default: read_machine_identifiers("/").
using MachineIdentifierSource = std::function<MachineIdentifiers()>;
// Replaces the source for the whole process (tests simulate another
// computer this way); an empty function restores the default.
void set_machine_identifier_source(MachineIdentifierSource source);
MachineIdentifiers current_machine_identifiers();

// The 20 characters of key material described above.
QString machine_key_material(const MachineIdentifiers& ids);

// Longest login text that fits, as hexadecimal, into a settings value (128 characters).
constexpr int kMaxLoginTextBytes = 36;

// The stored value for `loginText`, or an empty string when the text is empty
// or longer than kMaxLoginTextBytes (UTF-8), when no identifier at all could
// be read (the key would not be tied to this computer), or when OpenSSL fails.
QString encrypt_login_text(const QString& loginText, const MachineIdentifiers& ids);

// The login text, or nothing for a value that is empty, oversized, not an even
// number of hexadecimal digits, too short to hold nonce and tag, or that does
// not authenticate under these identifiers.
std::optional<QString> decrypt_login_text(const QString& stored, const MachineIdentifiers& ids);
