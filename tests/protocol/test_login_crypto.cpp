// The remembered login: the key material of a computer, the encrypted value
// in the settings file, its failure on another computer or when damaged, and
// the two accounts with their levels.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "login_crypto.h"
#include "login_store.h"
#include "settings.h"

namespace {

const MachineIdentifiers kThisComputer{"3d1219c7c4c5404aaa1f6d2a48adfda4", "PF2ZK0QX", "4C4C4544-0052",
                                       "S4EVNX0N"};
const MachineIdentifiers kOtherComputer{"77aa19c7c4c5404aaa1f6d2a48adfda4", "PF2ZK0QX", "4C4C4544-0052",
                                        "S4EVNX0N"};

void writeFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(path.section('/', 0, -2));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(data);
}

class ScratchSettings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        Settings::setDirectoryForTesting(m_dir.path().toStdString());
    }
    QTemporaryDir m_dir;
};

}  // namespace

TEST(MachineKey, EachIdentifierIsCutOrPaddedToFiveCharactersRightAligned) {
    const MachineIdentifiers ids{"3d1219c7c4", "", "ab", "  xyz  "};
    EXPECT_EQ(machine_key_material(ids), QString("3d121") + "     " + "   ab" + "  xyz");
}

TEST(MachineKey, IdentifiersAreReadFromTheLinuxFilesAndTheFirstRealDisk) {
    QTemporaryDir root;
    writeFile(root.filePath("etc/machine-id"), "3d1219c7c4c5404aaa1f6d2a48adfda4\n");
    writeFile(root.filePath("sys/class/dmi/id/board_serial"), "PF2ZK0QX\n");
    // product_uuid missing (not readable without root on most systems).
    writeFile(root.filePath("sys/block/loop0/serial"), "LOOPSERIAL");
    writeFile(root.filePath("sys/block/vda/serial"), "VIRTIO-7788\n");
    writeFile(root.filePath("sys/block/vdb/serial"), "SECOND-DISK");

    const MachineIdentifiers ids = read_machine_identifiers(root.path());
    EXPECT_EQ(ids.machineId, "3d1219c7c4c5404aaa1f6d2a48adfda4");
    EXPECT_EQ(ids.boardSerial, "PF2ZK0QX");
    EXPECT_EQ(ids.productUuid, "");
    EXPECT_EQ(ids.diskSerial, "VIRTIO-7788");
}

TEST(RememberedLogin, RoundTripsOnTheSameComputerAndNeverHoldsTheTextInClear) {
    const QString stored = encrypt_login_text("superadmin&qz739251", kThisComputer);
    ASSERT_FALSE(stored.isEmpty());
    EXPECT_EQ(stored, stored.toUpper());
    EXPECT_FALSE(QByteArray::fromHex(stored.toLatin1()).contains("qz739251"));
    // A fresh nonce each time: the same text never gives the same value twice.
    EXPECT_NE(stored, encrypt_login_text("superadmin&qz739251", kThisComputer));

    const std::optional<QString> text = decrypt_login_text(stored, kThisComputer);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "superadmin&qz739251");
}

TEST(RememberedLogin, AValueMadeOnAnotherComputerDoesNotDecrypt) {
    const QString stored = encrypt_login_text("admin&qz739251", kOtherComputer);
    ASSERT_FALSE(stored.isEmpty());
    EXPECT_FALSE(decrypt_login_text(stored, kThisComputer).has_value());
}

TEST(RememberedLogin, DamagedOrForeignValuesFailCleanly) {
    const QString good = encrypt_login_text("admin&qz739251", kThisComputer);
    QString flipped = good;
    flipped[40] = flipped[40] == QLatin1Char('0') ? QLatin1Char('1') : QLatin1Char('0');
    const struct {
        const char* why;
        QString value;
    } cases[] = {
        {"empty", ""},
        {"odd number of digits", good.left(good.size() - 1)},
        {"not hexadecimal", QString(good).replace(0, 2, "ZZ")},
        {"tag cut off", good.left(good.size() - 32)},
        {"too short for nonce and tag", good.left(56)},
        {"oversized", good + good},
        {"one byte changed", flipped},
        {"text of another program", "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF"},
    };
    for (const auto& c : cases) EXPECT_FALSE(decrypt_login_text(c.value, kThisComputer).has_value()) << c.why;
}

TEST(RememberedLogin, NothingIsRememberedWhenNoIdentifierCanBeRead) {
    // The key would be the same on every such computer.
    EXPECT_TRUE(encrypt_login_text("admin&qz739251", MachineIdentifiers{}).isEmpty());
}

TEST_F(ScratchSettings, AutoLoginNeedsTheAutoFlagTheSameComputerAndAnAccountText) {
    ASSERT_TRUE(store_remembered_login(true, true, "admin&qz739251", kThisComputer));
    EXPECT_EQ(automatic_login_level(kThisComputer), 1);
    EXPECT_EQ(automatic_login_level(kOtherComputer), 0);
    ASSERT_TRUE(store_remembered_login(true, false, "admin&qz739251", kThisComputer));
    EXPECT_EQ(read_remembered_login(kThisComputer).level, 1);
    EXPECT_EQ(automatic_login_level(kThisComputer), 0);

    // A value that decrypts, but to no account, grants nothing.
    Settings::instance().Write("Login", "AutoLogin", "1");
    Settings::instance().Write("Login", "Password",
                               encrypt_login_text("guest&guest", kThisComputer).toStdString());
    EXPECT_EQ(automatic_login_level(kThisComputer), 0);
}
