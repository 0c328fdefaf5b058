// The main window's login and audit trail: the automatic login at start-up,
// the rights button and the level reaching every protected widget, and the
// audit lines a parameter change and a zone write leave against the
// in-process simulator.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

#include "audit_writer.h"
#include "dialog_audit.h"
#include "dialog_login.h"
#include "login_store.h"
#include "mainpage.h"
#include "netguard.h"
#include "page_admin.h"
#include "page_config.h"
#include "page_info.h"
#include "page_lidar.h"
#include "page_main.h"
#include "qt_wait.h"
#include "recvdataproc.h"
#include "right_level.h"
#include "settings.h"
#include "simulator.h"

namespace {

// No test of this program, whichever fixture it has, writes to the user's own trail.
class PrivateAuditTrail : public ::testing::Environment {
public:
    void SetUp() override { audit_set_directory(m_dir.path()); }
    void TearDown() override { audit_flush(); }

private:
    QTemporaryDir m_dir;
};
::testing::Environment* const g_privateTrail = ::testing::AddGlobalTestEnvironment(new PrivateAuditTrail);

constexpr int kTimeoutMs = 20000;
const MachineIdentifiers kHere{"3d1219c7c4c5404a", "PF2ZK0QX", "", "S4EVNX0N"};
const MachineIdentifiers kElsewhere{"b0b0b0b0b0b0b0b0", "PF2ZK0QX", "", "S4EVNX0N"};

// A widget with controls the level protects, as the parameter and
// configuration pages are.
class ProtectedWidget : public QWidget, public RightLevelReceiver {
public:
    using QWidget::QWidget;
    void setRightLevel(int level) override {
        levels.push_back(level);
        firmwareGroup.setEnabled(rights::firmwareGroupEnabled(level, connected));
    }
    std::vector<int> levels;
    bool connected = false;
    QWidget firmwareGroup;
};

class MainPageRightsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("VANTREL_SERIAL_PORTS", "");
        Settings::setDirectoryForTesting(m_dir.path().toStdString());
        ASSERT_TRUE(Settings::instance().Write("Standard", "Language", "English"));
        m_sharedTrail = audit_directory();
        audit_set_directory(m_dir.path());
        set_machine_identifier_source([] { return kHere; });
        MainPage::setMessageHook(
            [this](const QString& title, const QString& text) { m_messages << title + ": " + text; });
    }
    void TearDown() override {
        audit_flush();
        audit_set_directory(m_sharedTrail);
        set_machine_identifier_source({});
        MainPage::setMessageHook({});
    }

    // The trail as written so far.
    std::vector<AuditRecord> trail() {
        EXPECT_TRUE(audit_flush());
        const AuditReadResult read = read_audit_log(audit_file_path());
        EXPECT_TRUE(read.damagedLines.empty());
        return read.records;
    }
    const AuditRecord* lastOf(const char* operation) {
        m_trail = trail();
        for (auto it = m_trail.rbegin(); it != m_trail.rend(); ++it)
            if (it->operation == operation) return &*it;
        return nullptr;
    }

    static QString statusText(MainPage& page) {
        return page.lidarPage()->findChild<QLabel*>("lb_status")->text();
    }

    QTemporaryDir m_dir;
    QString m_sharedTrail;
    QStringList m_messages;
    std::vector<AuditRecord> m_trail;
};

}  // namespace

TEST_F(MainPageRightsTest, AutomaticLoginStartsAtTheRememberedLevelOnThisComputerOnly) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ASSERT_TRUE(store_remembered_login(true, true, "superadmin&qz739251"));
    {
        MainPage page;
        EXPECT_EQ(page.rightLevel(), 2);
        EXPECT_EQ(statusText(page), "status:2");
        EXPECT_EQ(page.loginDialog(), nullptr);  // no dialog shown for it
    }
    // The same settings file on another computer.
    set_machine_identifier_source([] { return kElsewhere; });
    MainPage page;
    EXPECT_EQ(page.rightLevel(), 0);
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
}

TEST_F(MainPageRightsTest, RightsButtonLogsInAndOutAndEveryProtectedWidgetFollows) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    MainPage page;
    auto* config = new ProtectedWidget(&page);
    auto* connectedConfig = new ProtectedWidget(&page);
    connectedConfig->connected = true;

    page.on_pb_right_clicked();
    Dialog_Login* dialog = page.loginDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->isModal());
    dialog->findChild<QLineEdit*>("le_account")->setText("admin");
    dialog->findChild<QLineEdit*>("le_password")->setText("qz739251");
    dialog->findChild<QPushButton*>("pb_login")->click();

    EXPECT_EQ(page.rightLevel(), 1);
    EXPECT_EQ(statusText(page), "status:1");
    EXPECT_EQ(config->levels.back(), 1);
    EXPECT_TRUE(config->firmwareGroup.isEnabled());
    // The configuration page's firmware group opens with no scanner connected.
    EXPECT_TRUE(page.configPage()->findChild<QWidget*>("groupBox_3")->isEnabled());
    EXPECT_EQ(page.infoPage()->rightLevel(), 1);
    EXPECT_FALSE(connectedConfig->firmwareGroup.isEnabled());  // never while a scanner is connected

    // Opened again it shows the login and logs out.
    page.on_pb_right_clicked();
    EXPECT_EQ(dialog->findChild<QPushButton*>("pb_login")->text(), "login out");
    dialog->findChild<QPushButton*>("pb_login")->click();
    EXPECT_EQ(page.rightLevel(), 0);
    EXPECT_EQ(config->levels.back(), 0);
    EXPECT_FALSE(config->firmwareGroup.isEnabled());
    EXPECT_FALSE(page.configPage()->findChild<QWidget*>("groupBox_3")->isEnabled());

    // A level no account has counts as none.
    page.recv_data(17, "7");
    EXPECT_EQ(page.rightLevel(), 0);
}

TEST_F(MainPageRightsTest, ParameterChangesAndAZoneWriteLeaveAuditLines) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    sim::SimOptions options;
    options.udpAddress = QStringLiteral("127.0.0.2");
    options.udpPort = 41590;
    options.serialNumber = QStringLiteral("VT2401A0099");
    options.logCommands = false;
    sim::Simulator scanner(options);
    QString error;
    ASSERT_TRUE(scanner.start(&error)) << error.toStdString();
    ASSERT_TRUE(store_remembered_login(true, true, "admin&qz739251"));

    MainPage page;
    page.recv_start(QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), 41590, 41691);
    ASSERT_TRUE(testsupport::waitUntil([&] { return bool(page.stateFlags() & MainPage::kBlockReceived); },
                                       kTimeoutMs));
    EXPECT_TRUE(trail().empty()) << "connecting changes nothing on the scanner";

    emit page.lidarPage()->sig_C_PACK(QStringLiteral("LSRPM:1200H"));
    ASSERT_TRUE(
        testsupport::waitUntil([&] { return lastOf(audit::kParameterCommand) != nullptr; }, kTimeoutMs));
    const AuditRecord accepted = *lastOf(audit::kParameterCommand);
    EXPECT_EQ(accepted.command, "LSRPM:1200H");
    EXPECT_EQ(accepted.outcome, "accepted");
    EXPECT_EQ(accepted.serial, "VT2401A0099");
    EXPECT_EQ(accepted.model, "TQX-H540-S");
    EXPECT_EQ(accepted.address, "127.0.0.2:41590");
    EXPECT_EQ(accepted.link, "UDP");
    EXPECT_EQ(accepted.level, 1);
    EXPECT_EQ(accepted.program, "vantrel");

    emit page.lidarPage()->sig_S_PACK(QStringLiteral("LSRPM:700H"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return trail().size() == 2; }, kTimeoutMs));
    EXPECT_EQ(lastOf(audit::kParameterCommand)->outcome, "refused");

    // The admin console sends without tracking: the line says it went out.
    page.showAdminPage();
    emit page.adminPage()->sig_cmd(0x0053, QStringLiteral("LSPST:3H"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return trail().size() == 3; }, kTimeoutMs));
    EXPECT_EQ(lastOf(audit::kParameterCommand)->command, "LSPST:3H");
    EXPECT_EQ(lastOf(audit::kParameterCommand)->outcome, "sent");

    auto list = std::make_unique<zones>();
    list->count = 1;
    list->entries[0].type = ZoneShapeRectangle;
    list->entries[0].kind = ZoneKindAlarm;
    list->entries[0].pointCount = 2;
    list->entries[0].points[0] = {100, -1500};
    list->entries[0].points[1] = {2500, 1500};
    page.receiver()->recv_zoneCmd(2, *list);
    ASSERT_TRUE(testsupport::waitUntil([&] { return lastOf(audit::kZoneWrite) != nullptr; }, 60000));
    const AuditRecord written = *lastOf(audit::kZoneWrite);
    EXPECT_EQ(written.outcome, "succeeded");
    ASSERT_TRUE(written.imageCrc.has_value());

    // The window reads a successful write back by itself: that read is its read-back.
    ASSERT_TRUE(testsupport::waitUntil([&] { return lastOf(audit::kZoneReadBack) != nullptr; }, 60000));
    const AuditRecord readBack = *lastOf(audit::kZoneReadBack);
    EXPECT_EQ(readBack.outcome, "succeeded");
    EXPECT_EQ(readBack.imageCrc, written.imageCrc);
    EXPECT_EQ(readBack.readbackMatched, true);

    // The home page's button shows the same trail.
    page.homePage()->findChild<QPushButton*>("pb_audit")->click();
    ASSERT_NE(page.auditDialog(), nullptr);
    ASSERT_TRUE(testsupport::waitUntil([&] { return page.auditDialog()->visibleRows() == 5; }, kTimeoutMs));
    EXPECT_EQ(page.auditDialog()->cellText(0, Dialog_Audit::ColOperation), "zone read-back");
    scanner.stop();
}
