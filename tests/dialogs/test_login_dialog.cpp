// The login dialog as the operator uses it: the two accounts and their
// levels, a failed login, logging out, remembering on and off, the coupled
// check boxes and a remembered login that no longer decrypts; and the audit
// trail's table with its filters and damaged lines.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "audit_log.h"
#include "dialog_audit.h"
#include "dialog_login.h"
#include "login_store.h"
#include "qt_wait.h"
#include "settings.h"

namespace {

const MachineIdentifiers kHere{"3d1219c7c4c5404a", "PF2ZK0QX", "", "S4EVNX0N"};

class LoginDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        Settings::setDirectoryForTesting(m_dir.path().toStdString());
        set_machine_identifier_source([] { return kHere; });
        m_dialog.show();
    }
    void TearDown() override { set_machine_identifier_source({}); }

    template <typename T>
    T* child(const char* name) {
        T* w = m_dialog.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void enter(const char* account, const char* password) {
        child<QLineEdit>("le_account")->setText(account);
        child<QLineEdit>("le_password")->setText(password);
    }
    void clickLogin() { child<QPushButton>("pb_login")->click(); }
    bool inputsEnabled() {
        return child<QLineEdit>("le_account")->isEnabled() && child<QLineEdit>("le_password")->isEnabled() &&
               child<QCheckBox>("cb_save")->isEnabled() && child<QCheckBox>("cb_auto")->isEnabled();
    }
    static QString levelSent(const QSignalSpy& spy) {
        if (spy.isEmpty() || spy.last().at(0).toInt() != 17) return "none";
        return QString::fromLatin1(spy.last().at(1).toByteArray());
    }

    QTemporaryDir m_dir;
    Dialog_Login m_dialog;
};

}  // namespace

TEST_F(LoginDialogTest, EachAccountGrantsItsLevelAndOtherSpellingsFail) {
    const struct {
        const char* account;
        const char* level;
        const char* info;
    } cases[] = {
        {"admin", "1", "Administrator right login"},
        {"superadmin", "2", "Super Administrator right login"},
    };
    for (const auto& c : cases) {
        m_dialog.setStoredLogin(false, false, QString(), 0);
        m_dialog.show();
        QSignalSpy spy(&m_dialog, &Dialog_Login::sig_data);
        enter(c.account, "qz739251");
        clickLogin();
        EXPECT_EQ(levelSent(spy), c.level) << c.account;
        EXPECT_EQ(child<QLabel>("lb_info")->text(), c.info);
        EXPECT_EQ(child<QPushButton>("pb_login")->text(), "login out");
        EXPECT_FALSE(inputsEnabled());
        EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
        EXPECT_FALSE(m_dialog.isVisible());
    }

    m_dialog.setStoredLogin(false, false, QString(), 0);
    m_dialog.show();
    QSignalSpy spy(&m_dialog, &Dialog_Login::sig_data);
    enter("Admin", "qz739251");
    clickLogin();
    EXPECT_EQ(levelSent(spy), "none");
    EXPECT_EQ(child<QPushButton>("pb_login")->text(), "login failed");
    EXPECT_EQ(child<QLabel>("lb_info")->text(), "Account or password mismatch");
    EXPECT_TRUE(m_dialog.isVisible());
    EXPECT_TRUE(inputsEnabled());
}

TEST_F(LoginDialogTest, LoggingOutSendsLevelZeroAndReopensTheInputs) {
    m_dialog.setStoredLogin(false, false, QString(), 2);
    EXPECT_FALSE(inputsEnabled());
    QSignalSpy spy(&m_dialog, &Dialog_Login::sig_data);
    clickLogin();
    EXPECT_EQ(levelSent(spy), "0");
    EXPECT_TRUE(inputsEnabled());
    EXPECT_EQ(child<QPushButton>("pb_login")->text(), "login in");
    EXPECT_FALSE(m_dialog.isLoggedIn());
}

TEST_F(LoginDialogTest, RememberingStoresTheLoginAndLoggingInWithoutItClearsIt) {
    child<QCheckBox>("cb_auto")->click();  // checks cb_save as well
    EXPECT_TRUE(child<QCheckBox>("cb_save")->isChecked());
    enter("superadmin", "qz739251");
    clickLogin();
    EXPECT_EQ(automatic_login_level(), 2);
    QFile ini(QString::fromStdString(Settings::instance().filePath()));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_FALSE(ini.readAll().contains("qz739251"));

    // Reopened as the main window does: the fields come back from the stored value.
    const RememberedLogin stored = read_remembered_login();
    m_dialog.setStoredLogin(stored.save, stored.autoLogin, stored.loginText, 0);
    EXPECT_EQ(child<QLineEdit>("le_account")->text(), "superadmin");
    EXPECT_EQ(child<QLineEdit>("le_password")->text(), "qz739251");

    child<QCheckBox>("cb_save")->click();  // unchecks cb_auto as well
    EXPECT_FALSE(child<QCheckBox>("cb_auto")->isChecked());
    clickLogin();
    EXPECT_EQ(Settings::instance().Read("Login", "Password"), "");
    EXPECT_EQ(Settings::instance().Read("Login", "SavePasswd"), "0");
    EXPECT_EQ(automatic_login_level(), 0);
}

TEST_F(LoginDialogTest, ARememberedLoginFromAnotherComputerOpensAnEmptyDialog) {
    const MachineIdentifiers elsewhere{"99999999", "PF2ZK0QX", "", "S4EVNX0N"};
    ASSERT_TRUE(store_remembered_login(true, true, "admin&qz739251", elsewhere));
    const RememberedLogin stored = read_remembered_login();
    EXPECT_EQ(stored.level, 0);
    m_dialog.setStoredLogin(stored.save, stored.autoLogin, stored.loginText, stored.level);
    EXPECT_TRUE(child<QLineEdit>("le_account")->text().isEmpty());
    EXPECT_TRUE(child<QLineEdit>("le_password")->text().isEmpty());
    EXPECT_TRUE(inputsEnabled());
}

// ---------------------------------------------------------------- audit trail dialog

TEST(AuditDialog, ShowsNewestFirstFiltersByTextAndDateAndNamesDamagedLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath("audit.jsonl");
    auto record = [](const char* command, const char* outcome, const QDateTime& time) {
        AuditRecord r;
        r.time = time;
        r.serial = "VT2401A0042";
        r.operation = audit::kParameterCommand;
        r.command = command;
        r.outcome = outcome;
        return r;
    };
    const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-40);
    ASSERT_TRUE(audit_append_to(path, record("LSRPM:900H", audit::kAccepted, old)));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("garbage line\n");
    f.close();
    ASSERT_TRUE(
        audit_append_to(path, record("LSRPM:700H", audit::kRefused, QDateTime::currentDateTimeUtc())));

    Dialog_Audit dialog;
    dialog.setFilePath(path);
    QSignalSpy loaded(&dialog, &Dialog_Audit::sig_loaded);
    dialog.reload();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !loaded.isEmpty(); }, 10000));
    EXPECT_EQ(loaded.first().at(0).toInt(), 2);
    EXPECT_EQ(loaded.first().at(1).toInt(), 1);
    ASSERT_EQ(dialog.visibleRows(), 2);
    EXPECT_EQ(dialog.cellText(0, Dialog_Audit::ColCommand), "LSRPM:700H");
    EXPECT_TRUE(dialog.infoText().contains("line 2")) << dialog.infoText().toStdString();

    dialog.findChild<QLineEdit*>("le_filter")->setText("refused");
    ASSERT_EQ(dialog.visibleRows(), 1);
    EXPECT_EQ(dialog.cellText(0, Dialog_Audit::ColOutcome), "refused");
    dialog.findChild<QLineEdit*>("le_filter")->clear();

    dialog.findChild<QCheckBox*>("cb_since")->setChecked(true);  // the last 30 days by default
    ASSERT_EQ(dialog.visibleRows(), 1);
    EXPECT_EQ(dialog.cellText(0, Dialog_Audit::ColCommand), "LSRPM:700H");
    // Qt leaks the clear button's fade-out animation when its line edit dies
    // mid-fade; let it end so the leak checker sees only our own objects.
    QTest::qWait(400);
}
