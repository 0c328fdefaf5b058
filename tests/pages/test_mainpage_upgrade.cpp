// The main window's firmware upgrade and admin window against the in-process
// simulator: the upgrade runs on the worker thread, progress reaches the
// progress window, and the outcome is one operator message.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include "../protocol/firmware_support.h"
#include "dialog_waitsignal.h"
#include "dialog_waitsignal2.h"
#include "mainpage.h"
#include "netguard.h"
#include "page_admin.h"
#include "qt_wait.h"
#include "settings.h"
#include "simulator.h"

namespace {

class MainPageUpgrade : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("VANTREL_SERIAL_PORTS", "");
        Settings::setDirectoryForTesting(m_dir.path().toStdString());
        ASSERT_TRUE(Settings::instance().Write("Standard", "Language", "English"));
        MainPage::setTranslationDirectory(QStringLiteral(VANTREL_QM_DIR));
        MainPage::setMessageHook(
            [this](const QString& title, const QString& text) { m_messages << title + "|" + text; });
    }
    void TearDown() override { MainPage::setMessageHook({}); }
    QString write(const std::vector<uint8_t>& bytes) {
        const QString path = m_dir.filePath("fw.bin");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return path;
    }

    QTemporaryDir m_dir;
    QStringList m_messages;
};

TEST_F(MainPageUpgrade, UdpUpgradeShowsProgressThenSuccess) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    sim::SimOptions o;
    o.udpAddress = QStringLiteral("127.0.0.2");
    o.udpPort = 41801;
    o.logCommands = false;
    o.firmwareOut = m_dir.filePath("received.bin");
    sim::Simulator scanner(o);
    ASSERT_TRUE(scanner.start());
    const std::vector<uint8_t> image = firmware_test::makeImage(16 * 512);

    MainPage page;
    page.recv_wait(true);  // as the configuration page does before asking
    page.recv_upgrade(QStringLiteral("127.0.0.2"), 41801, write(image), QStringLiteral("UDP"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !m_messages.isEmpty(); }, 20000));
    EXPECT_EQ(m_messages, QStringList{"warm|Firmware upgrade success!"});
    ASSERT_NE(page.progressDialog(), nullptr);  // progress arrived on the way
    EXPECT_FALSE(page.progressDialog()->isVisible());
    EXPECT_FALSE(page.waitDialog()->isVisible());
    QFile received(o.firmwareOut);
    ASSERT_TRUE(received.open(QIODevice::ReadOnly));
    EXPECT_EQ(received.readAll(), QByteArray(reinterpret_cast<const char*>(image.data()) + 652, 16 * 512));
}

TEST_F(MainPageUpgrade, FailureShowsTheReasonInOneErrorBox) {
    const QString file = write(firmware_test::makeImage(512));
    const QString missing = m_dir.filePath("missing.bin");
    struct Case {
        QString name, type, expected;
        int port;
        QString path;
    };
    const Case cases[] = {
        {m_dir.filePath("no-such-port"), "UART",
         "error|Firmware upgrade failed:can not open:" + m_dir.filePath("no-such-port"), 115200, file},
        {"127.0.0.2", "TCP", "error|Firmware upgrade failed:", 41802, file},
        // The file is read before the port is opened.
        {m_dir.filePath("no-such-port"), "UART", "error|Firmware upgrade failed:load  file failed:" + missing,
         115200, missing},
    };
    for (const Case& c : cases) {
        m_messages.clear();
        MainPage page;
        page.recv_upgrade(c.name, c.port, c.path, c.type);
        ASSERT_TRUE(testsupport::waitUntil([&] { return !m_messages.isEmpty(); }, 10000))
            << c.type.toStdString();
        EXPECT_EQ(m_messages, QStringList{c.expected});
    }
}

TEST_F(MainPageUpgrade, AdminWindowSendsCommandsAndShowsTheReplies) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    sim::SimOptions o;
    o.udpAddress = QStringLiteral("127.0.0.2");
    o.udpPort = 41803;
    o.serialNumber = QStringLiteral("VTADMIN01");
    o.logCommands = false;
    sim::Simulator scanner(o);
    ASSERT_TRUE(scanner.start());
    MainPage page;
    EXPECT_EQ(page.adminPage(), nullptr);
    page.recv_start(QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), 41803, 41903);
    ASSERT_TRUE(
        testsupport::waitUntil([&] { return bool(page.stateFlags() & MainPage::kBlockReceived); }, 15000));

    page.showAdminPage();
    Page_Admin* admin = page.adminPage();
    ASSERT_NE(admin, nullptr);
    EXPECT_TRUE(admin->isVisible());
    EXPECT_EQ(admin->linkType(), "UDP");
    admin->findChild<QComboBox*>("cb_pack")->setCurrentIndex(0);  // C_PACK
    admin->findChild<QLineEdit*>("le_cmd")->setText("LUUIDH");
    admin->findChild<QPushButton*>("pb_send")->click();
    // The scanner's answer arrives as a reply text (other replies may come too).
    auto answered = [&] {
        for (int r = 0; r < admin->model()->rowCount(); ++r) {
            const QStandardItem* item = admin->model()->item(r, 1);
            if (item && item->text().contains("VTADMIN01")) return r > 0;
        }
        return false;
    };
    ASSERT_TRUE(testsupport::waitUntil(answered, 10000));
    EXPECT_EQ(admin->model()->item(0, 0)->text(), "LUUIDH/C_PACK");
    scanner.stop();
}

}  // namespace
