#include "login_crypto.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/rand.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <array>
#include <memory>
#include <mutex>

namespace {

constexpr int kNonceBytes = 12;
constexpr int kTagBytes = 16;
constexpr int kKeyBytes = 16;
constexpr int kIdentifierChars = 5;
// Settings values keep 128 characters: 64 bytes as hexadecimal.
constexpr int kMaxStoredBytes = 64;
constexpr qint64 kMaxIdentifierFileBytes = 256;

// Fixed labels: they separate this key and this format from any other use of
// the same identifiers, and a later format from this one.
constexpr char kKdfSalt[] = "Vantrel remembered login";
constexpr char kKdfInfo[] = "AES-128-GCM key";
constexpr char kAad[] = "Vantrel login v1";

// ---------------------------------------------------------------- identifiers

QString readSmallFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.read(kMaxIdentifierFileBytes)).trimmed();
}

// Block devices that are not disks of this computer.
bool isVirtualBlockDevice(const QString& name) {
    static const char* const kPrefixes[] = {"loop", "ram", "zram", "dm-", "md", "sr", "fd", "nbd"};
    for (const char* prefix : kPrefixes)
        if (name.startsWith(QLatin1String(prefix))) return true;
    return false;
}

QString firstDiskSerial(const QString& root) {
    const QDir block(root + QStringLiteral("sys/block"));
    const QStringList names = block.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        if (isVirtualBlockDevice(name)) continue;
        // SCSI, SATA and NVMe disks carry it under device/, virtio disks beside it.
        QString serial = readSmallFile(block.filePath(name + QStringLiteral("/device/serial")));
        if (serial.isEmpty()) serial = readSmallFile(block.filePath(name + QStringLiteral("/serial")));
        return serial;  // the first disk only, readable or not
    }
    return {};
}

std::mutex g_sourceMutex;
MachineIdentifierSource g_source;

// ---------------------------------------------------------------- OpenSSL helpers

struct CipherCtxFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
struct PkeyCtxFree {
    void operator()(EVP_PKEY_CTX* ctx) const { EVP_PKEY_CTX_free(ctx); }
};

// Holds the key and wipes it when it goes out of scope.
struct Key {
    std::array<unsigned char, kKeyBytes> bytes{};
    bool ok = false;
    ~Key() { OPENSSL_cleanse(bytes.data(), bytes.size()); }
};

void deriveKey(const MachineIdentifiers& ids, Key& key) {
    QByteArray material = machine_key_material(ids).toUtf8();
    std::unique_ptr<EVP_PKEY_CTX, PkeyCtxFree> ctx(EVP_PKEY_CTX_new_id(EVP_PKEY_HKDF, nullptr));
    size_t length = key.bytes.size();
    key.ok =
        ctx && EVP_PKEY_derive_init(ctx.get()) > 0 && EVP_PKEY_CTX_set_hkdf_md(ctx.get(), EVP_sha256()) > 0 &&
        EVP_PKEY_CTX_set1_hkdf_salt(ctx.get(), reinterpret_cast<const unsigned char*>(kKdfSalt),
                                    int(sizeof kKdfSalt - 1)) > 0 &&
        EVP_PKEY_CTX_set1_hkdf_key(ctx.get(), reinterpret_cast<const unsigned char*>(material.constData()),
                                   material.size()) > 0 &&
        EVP_PKEY_CTX_add1_hkdf_info(ctx.get(), reinterpret_cast<const unsigned char*>(kKdfInfo),
                                    int(sizeof kKdfInfo - 1)) > 0 &&
        EVP_PKEY_derive(ctx.get(), key.bytes.data(), &length) > 0 && length == key.bytes.size();
    OPENSSL_cleanse(material.data(), size_t(material.size()));
}

bool allBlank(const MachineIdentifiers& ids) {
    return ids.machineId.isEmpty() && ids.boardSerial.isEmpty() && ids.productUuid.isEmpty() &&
           ids.diskSerial.isEmpty();
}

bool isHexText(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool hex = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f');
        if (!hex) return false;
    }
    return true;
}

}  // namespace

MachineIdentifiers read_machine_identifiers(const QString& root) {
    const QString base = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    MachineIdentifiers ids;
    ids.machineId = readSmallFile(base + QStringLiteral("etc/machine-id"));
    ids.boardSerial = readSmallFile(base + QStringLiteral("sys/class/dmi/id/board_serial"));
    ids.productUuid = readSmallFile(base + QStringLiteral("sys/class/dmi/id/product_uuid"));
    ids.diskSerial = firstDiskSerial(base);
    return ids;
}

void set_machine_identifier_source(MachineIdentifierSource source) {
    std::lock_guard<std::mutex> lock(g_sourceMutex);
    g_source = std::move(source);
}

MachineIdentifiers current_machine_identifiers() {
    MachineIdentifierSource source;
    {
        std::lock_guard<std::mutex> lock(g_sourceMutex);
        source = g_source;
    }
    return source ? source() : read_machine_identifiers();
}

QString machine_key_material(const MachineIdentifiers& ids) {
    QString material;
    for (const QString* id : {&ids.machineId, &ids.boardSerial, &ids.productUuid, &ids.diskSerial})
        material += QStringLiteral("%1").arg(id->trimmed().left(kIdentifierChars), kIdentifierChars);
    return material;
}

QString encrypt_login_text(const QString& loginText, const MachineIdentifiers& ids) {
    QByteArray plain = loginText.toUtf8();
    if (plain.isEmpty() || plain.size() > kMaxLoginTextBytes || allBlank(ids)) return {};
    Key key;
    deriveKey(ids, key);
    if (!key.ok) return {};

    QByteArray out(kNonceBytes + plain.size() + kTagBytes, '\0');
    auto* nonce = reinterpret_cast<unsigned char*>(out.data());
    unsigned char* cipher = nonce + kNonceBytes;
    unsigned char* tag = cipher + plain.size();
    std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree> ctx(EVP_CIPHER_CTX_new());
    int n = 0, tail = 0;
    const bool ok =
        ctx && RAND_bytes(nonce, kNonceBytes) == 1 &&
        EVP_EncryptInit_ex(ctx.get(), EVP_aes_128_gcm(), nullptr, nullptr, nullptr) == 1 &&
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceBytes, nullptr) == 1 &&
        EVP_EncryptInit_ex(ctx.get(), nullptr, nullptr, key.bytes.data(), nonce) == 1 &&
        EVP_EncryptUpdate(ctx.get(), nullptr, &n, reinterpret_cast<const unsigned char*>(kAad),
                          int(sizeof kAad - 1)) == 1 &&
        EVP_EncryptUpdate(ctx.get(), cipher, &n, reinterpret_cast<const unsigned char*>(plain.constData()),
                          plain.size()) == 1 &&
        EVP_EncryptFinal_ex(ctx.get(), cipher + n, &tail) == 1 && n + tail == plain.size() &&
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTagBytes, tag) == 1;
    OPENSSL_cleanse(plain.data(), size_t(plain.size()));
    if (!ok) return {};
    return QString::fromLatin1(out.toHex().toUpper());
}

std::optional<QString> decrypt_login_text(const QString& stored, const MachineIdentifiers& ids) {
    const QString hex = stored.trimmed();
    constexpr int kMinBytes = kNonceBytes + 1 + kTagBytes;
    if (hex.size() % 2 != 0 || hex.size() < 2 * kMinBytes || hex.size() > 2 * kMaxStoredBytes) return {};
    if (!isHexText(hex) || allBlank(ids)) return {};
    const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    const auto* nonce = reinterpret_cast<const unsigned char*>(bytes.constData());
    const unsigned char* cipher = nonce + kNonceBytes;
    const int cipherLen = bytes.size() - kNonceBytes - kTagBytes;
    std::array<unsigned char, kTagBytes> tag{};
    std::copy(cipher + cipherLen, cipher + cipherLen + kTagBytes, tag.begin());

    Key key;
    deriveKey(ids, key);
    if (!key.ok) return {};
    QByteArray plain(cipherLen, '\0');
    auto* out = reinterpret_cast<unsigned char*>(plain.data());
    std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree> ctx(EVP_CIPHER_CTX_new());
    int n = 0, tail = 0;
    const bool ok = ctx && EVP_DecryptInit_ex(ctx.get(), EVP_aes_128_gcm(), nullptr, nullptr, nullptr) == 1 &&
                    EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceBytes, nullptr) == 1 &&
                    EVP_DecryptInit_ex(ctx.get(), nullptr, nullptr, key.bytes.data(), nonce) == 1 &&
                    EVP_DecryptUpdate(ctx.get(), nullptr, &n, reinterpret_cast<const unsigned char*>(kAad),
                                      int(sizeof kAad - 1)) == 1 &&
                    EVP_DecryptUpdate(ctx.get(), out, &n, cipher, cipherLen) == 1 &&
                    EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagBytes, tag.data()) == 1 &&
                    // The tag is checked here: anything else than our own value fails.
                    EVP_DecryptFinal_ex(ctx.get(), out + n, &tail) > 0 && n + tail == cipherLen;
    if (!ok) {
        OPENSSL_cleanse(plain.data(), size_t(plain.size()));
        return {};
    }
    const QString text = QString::fromUtf8(plain);
    OPENSSL_cleanse(plain.data(), size_t(plain.size()));
    return text;
}
