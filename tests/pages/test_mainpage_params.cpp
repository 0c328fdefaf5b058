// The parameter and configuration pages inside the main window, against the
// in-process simulator: the block shown and changed, an export, an import
// read back from the scanner, the switch of a serial line's rate, and the
// messages that steer the pages. Operator messages and file dialogs are
// answered through the hooks, so no modal box blocks a test.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cstring>
#include <vector>

#include "mainpage.h"
#include "netguard.h"
#include "page_config.h"
#include "page_info.h"
#include "page_message.h"
#include "qt_wait.h"
#include "recvdataproc.h"
#include "settings.h"
#include "simulator.h"
#include "transport.h"

namespace {

constexpr int kConnectTimeoutMs = 20000;
// An import sends one command every half second, then reads the block again.
constexpr int kImportTimeoutMs = 40000;

struct Message {
    QString title;
    QString text;
};

class MainPageParamsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("VANTREL_SERIAL_PORTS", "");
        Settings::setDirectoryForTesting(m_dir.path().toStdString());
        ASSERT_TRUE(Settings::instance().Write("Standard", "Language", "English"));
        MainPage::setTranslationDirectory(QStringLiteral(VANTREL_QM_DIR));
        MainPage::setMessageHook([this](const QString& title, const QString& text) {
            m_messages.push_back({title, text});
        });
        pagemsg::setFileHook(
            [this](pagemsg::FileChoice, const QString& caption, const QString& dir, const QString&) {
                m_dialogs << caption + QLatin1Char('|') + dir;
                return m_chosen;
            });
    }
    void TearDown() override {
        MainPage::setMessageHook({});
        pagemsg::setFileHook({});
    }

    bool hasMessage(const QString& title, const QString& text) const {
        for (const Message& m : m_messages)
            if (m.title == title && m.text == text) return true;
        return false;
    }

    static sim::SimOptions udpScanner(quint16 port) {
        sim::SimOptions o;
        o.udpAddress = QStringLiteral("127.0.0.2");
        o.udpPort = port;
        o.heartbeat = sim::HeartbeatKind::Off;
        o.logCommands = false;
        return o;
    }

    // Connects and waits for the scanner's block; then logs in as administrator.
    static bool connectAndLogIn(MainPage& page, const QString& type, const QString& address, int portBaud,
                                int localPort) {
        page.recv_start(type, address, portBaud, localPort);
        if (!testsupport::waitUntil([&] { return bool(page.stateFlags() & MainPage::kBlockReceived); },
                                    kConnectTimeoutMs))
            return false;
        page.recv_data(17, "1");
        return true;
    }

    template <class T>
    static T* child(QWidget* page, const char* name) {
        return page->findChild<T*>(QString::fromLatin1(name));
    }

    QTemporaryDir m_dir;
    std::vector<Message> m_messages;
    QStringList m_dialogs;
    QString m_chosen;
};

}  // namespace

// The page shows the simulator's block; a speed set on it is read back from
// the simulator. Writes PNGs of both pages for a person to look at.
TEST_F(MainPageParamsTest, ParameterPageShowsTheScannersBlockAndReadsBackAChange) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    sim::Simulator scanner(udpScanner(41561));
    QString error;
    ASSERT_TRUE(scanner.start(&error)) << error.toStdString();
    MainPage page;
    page.resize(1280, 800);
    page.show();
    ASSERT_TRUE(connectAndLogIn(page, QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), 41561, 41681));

    Page_Info* info = page.infoPage();
    QPushButton* infoButton = page.findChild<QPushButton*>(QStringLiteral("pb_info"));
    ASSERT_NE(infoButton, nullptr);
    ASSERT_TRUE(infoButton->isVisible());
    infoButton->click();
    EXPECT_EQ(page.currentPage(), info);
    EXPECT_EQ(child<QLineEdit>(info, "le_ip")->text(), "127.0.0.2");
    EXPECT_EQ(child<QLineEdit>(info, "le_port")->text(), "41561");
    EXPECT_EQ(child<QComboBox>(info, "cb_rpm")->currentText(), "600");
    EXPECT_EQ(child<QLineEdit>(info, "le_filterFactor")->text(), "10");
    EXPECT_TRUE(child<QGroupBox>(info, "groupBox_2")->isEnabled());
    EXPECT_TRUE(child<QGroupBox>(info, "groupBox_5")->isVisible());  // TQX-H540-S: I/O level 2

    QDir().mkpath(QStringLiteral(VANTREL_SHOT_DIR));
    QApplication::processEvents();
    const QString shot = QStringLiteral(VANTREL_SHOT_DIR "/mainpage_parameters_english.png");
    ASSERT_TRUE(page.grab().save(shot));
    EXPECT_GT(QFileInfo(shot).size(), 0);

    child<QComboBox>(info, "cb_rpm")->setCurrentText(QStringLiteral("900"));
    child<QPushButton>(info, "pb_setrun")->click();
    child<QPushButton>(info, "pb_fresh")->click();
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            return page.paramBlock().rpm == 900 && child<QComboBox>(info, "cb_rpm")->currentText() == "900";
        },
        kConnectTimeoutMs));
    // A refresh keeps the operator on the page.
    EXPECT_EQ(page.currentPage(), info);

    page.findChild<QPushButton*>(QStringLiteral("pb_config"))->click();
    QApplication::processEvents();
    ASSERT_TRUE(page.grab().save(QStringLiteral(VANTREL_SHOT_DIR "/mainpage_config_english.png")));
    EXPECT_TRUE(m_messages.empty()) << m_messages.front().text.toStdString();
    scanner.stop();
}

TEST_F(MainPageParamsTest, ExportWritesTheFreshBlockAndRemembersWhere) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    sim::Simulator scanner(udpScanner(41562));
    ASSERT_TRUE(scanner.start());
    MainPage page;
    ASSERT_TRUE(connectAndLogIn(page, QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), 41562, 41682));
    ASSERT_TRUE(Settings::instance().Write("Standard", "ExportPath", m_dir.path().toStdString()));

    m_chosen = m_dir.filePath(QStringLiteral("export.lidar"));
    child<QPushButton>(page.configPage(), "pb_export")->click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return QFileInfo::exists(m_chosen); }, kConnectTimeoutMs));
    ASSERT_TRUE(testsupport::waitUntil([&] {
        return hasMessage(QStringLiteral("warm"), QStringLiteral("lidar param is export success!"));
    }));
    // No zone image held: the "v101" section alone.
    QFile f(m_chosen);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_EQ(bytes.size(), 160);
    EXPECT_EQ(bytes.left(4), "v101");
    EXPECT_EQ(std::memcmp(bytes.constData() + 8, &page.paramBlock(), 152), 0);
    EXPECT_EQ(m_dialogs.first(), QStringLiteral("Save File|") + m_dir.path());
    EXPECT_EQ(QString::fromStdString(Settings::instance().Read("Standard", "ExportPath")), m_chosen);
    EXPECT_FALSE(page.stateFlags() & MainPage::kExportWaiting);

    // The point-cloud page's export hands over a zone image: the file starts
    // with it, and the save dialog starts in the program's directory.
    std::vector<uint8_t> image(sizeof(ZoneDef), 0x3C);
    m_chosen = m_dir.filePath(QStringLiteral("zones.lidar"));
    page.recv_ZoneDef(reinterpret_cast<ZoneDef*>(image.data()), QStringLiteral("setzone"));
    EXPECT_EQ(m_dialogs.last(), QStringLiteral("Save File|") + QCoreApplication::applicationDirPath());
    QFile z(m_chosen);
    ASSERT_TRUE(z.open(QIODevice::ReadOnly));
    const QByteArray withZones = z.readAll();
    ASSERT_EQ(withZones.size(), 8 + int(sizeof(ZoneDef)) + 160);
    EXPECT_EQ(withZones.left(4), "zone");
    EXPECT_EQ(withZones.mid(8 + int(sizeof(ZoneDef)), 4), "v101");

    // Those zones are this scanner's: the export of whatever is connected
    // next carries its block alone.
    page.recv_data(8, QByteArray());
    ASSERT_TRUE(connectAndLogIn(page, QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), 41562, 41682));
    m_chosen = m_dir.filePath(QStringLiteral("next.lidar"));
    child<QPushButton>(page.configPage(), "pb_export")->click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return QFileInfo::exists(m_chosen); }, kConnectTimeoutMs));
    EXPECT_EQ(QFileInfo(m_chosen).size(), 160);
    scanner.stop();
}

// A file written byte by byte (not by the program's own writer) goes into the
// scanner, and reading the block back shows its values: the factor arrives in
// decimal and the zone as its digit. An invalid destination is left out and
// the success message says so.
TEST_F(MainPageParamsTest, ImportChangesTheScannersBlock) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    sim::Simulator scanner(udpScanner(41563));
    ASSERT_TRUE(scanner.start());
    MainPage page;
    ASSERT_TRUE(connectAndLogIn(page, QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), 41563, 41683));

    EEpromV101 b = page.paramBlock();
    b.rpm = 900;
    b.af = 25;
    b.azn = 0x13;  // zone 3, software switching
    b.fir = 5;
    b.pnpBits = 0x05;
    std::memset(b.outMap, 0, sizeof b.outMap);
    b.outMap[2] = 0x0C;
    std::memset(b.uploadIp, 0, sizeof b.uploadIp);
    QByteArray file("v101", 4);
    file.append(char(152)).append(3, '\0');
    file.append(reinterpret_cast<const char*>(&b), sizeof b);
    m_chosen = m_dir.filePath(QStringLiteral("import.lidar"));
    QFile out(m_chosen);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    ASSERT_EQ(out.write(file), file.size());
    out.close();

    Page_Config* config = page.configPage();
    for (const char* box : {"cb_run", "cb_io", "cb_post"}) child<QCheckBox>(config, box)->setChecked(true);
    child<QPushButton>(config, "pb_importone")->click();
    const QString expected =
        QStringLiteral("Import parameters succeeded\nLSDST not sent: destination address invalid");
    ASSERT_TRUE(testsupport::waitUntil([&] { return hasMessage(QStringLiteral("warm"), expected); },
                                       kImportTimeoutMs));
    ASSERT_TRUE(testsupport::waitUntil([&] { return page.paramBlock().rpm == 900; }, kConnectTimeoutMs));
    const EEpromV101& now = page.paramBlock();
    EXPECT_EQ(now.af, 25);
    EXPECT_EQ(now.azn & 0x0F, 3);
    EXPECT_EQ(now.fir, 5);
    EXPECT_EQ(now.pnpBits, 0x05u);
    EXPECT_EQ(now.outMap[2], 0x0C);
    EXPECT_EQ(now.uploadIp[0], 127);  // left as it was
    scanner.stop();
}

// A refresh keeps the zones being edited, but only for the block it asked
// for: the next connection (perhaps to another scanner) shows that scanner's
// zones again.
TEST_F(MainPageParamsTest, RefreshHoldsTheZonesForItsOwnBlockOnly) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    sim::Simulator scanner(udpScanner(41564));
    ASSERT_TRUE(scanner.start());
    MainPage page;
    QSignalSpy loaded(&page, &MainPage::sig_zonearg);
    ASSERT_TRUE(connectAndLogIn(page, QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), 41564, 41684));
    ASSERT_TRUE(testsupport::waitUntil([&] { return loaded.count() == 1; }, kConnectTimeoutMs));

    QLineEdit* shownAt = child<QLineEdit>(page.infoPage(), "le_currnettime");
    const QString before = shownAt->text();
    child<QPushButton>(page.infoPage(), "pb_fresh")->click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return shownAt->text() != before; }, kConnectTimeoutMs));

    page.recv_data(8, QByteArray());
    ASSERT_TRUE(connectAndLogIn(page, QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), 41564, 41684));
    ASSERT_TRUE(testsupport::waitUntil([&] { return loaded.count() == 2; }, kConnectTimeoutMs));
    scanner.stop();
}

// The scanner answers "LSBPS" at the old rate and then listens at the new one
// only: the program must follow, or the next command is lost.
TEST_F(MainPageParamsTest, BaudChangeSwitchesTheSerialLine) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    sim::SimOptions options;
    options.serial = sim::SerialMode::Uart;
    options.model = QStringLiteral("TQX-H400-A");  // 230400|460800|921600
    options.logCommands = false;
    sim::Simulator scanner(options);
    QString error;
    ASSERT_TRUE(scanner.start(&error)) << error.toStdString();
    MainPage page;
    ASSERT_TRUE(connectAndLogIn(page, QStringLiteral("UART"), scanner.serialPath(), 460800, 0));
    Page_Info* info = page.infoPage();
    ASSERT_TRUE(child<QWidget>(info, "frame_baudset")->isVisibleTo(info));
    EXPECT_EQ(child<QComboBox>(info, "cb_baud")->currentText(), "460800");

    child<QComboBox>(info, "cb_baud")->setCurrentText(QStringLiteral("921600"));
    child<QPushButton>(info, "pb_baud")->click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return page.portOrBaud() == 921600; }, kConnectTimeoutMs));
    EXPECT_EQ(serial_baud(page.dataHandle()), 921600);
    EXPECT_EQ(info->baudRate(), 921600);

    // The line still carries commands: a speed set now is read back.
    child<QComboBox>(info, "cb_rpm")->setCurrentText(QStringLiteral("900"));
    child<QPushButton>(info, "pb_setrun")->click();
    child<QPushButton>(info, "pb_fresh")->click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return page.paramBlock().rpm == 900; }, kImportTimeoutMs));
    EXPECT_EQ(eeprom_uart_baud(page.paramBlock()), 921600u);
    EXPECT_TRUE(m_messages.empty()) << m_messages.front().text.toStdString();
    page.recv_data(8, QByteArray());
    scanner.stop();
}

TEST_F(MainPageParamsTest, WindowMessagesSteerTheParameterPage) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    MainPage page;
    Page_Info* info = page.infoPage();
    // Level 0 until a login: nothing that changes a scanner is open, even connected.
    info->setConnected(true);
    EXPECT_FALSE(child<QGroupBox>(info, "groupBox_2")->isEnabled());
    page.recv_data(17, "2");
    EXPECT_EQ(page.statusValue(), 2);
    EXPECT_TRUE(child<QGroupBox>(info, "groupBox_2")->isEnabled());
    page.recv_data(17, "0");
    EXPECT_FALSE(child<QGroupBox>(info, "groupBox_2")->isEnabled());

    page.recv_data(15, "1");
    EXPECT_TRUE(child<QCheckBox>(info, "cb_rotate")->isChecked());
    page.recv_data(15, "0");
    EXPECT_FALSE(child<QCheckBox>(info, "cb_rotate")->isChecked());

    page.recv_data(14, "LSZTP:1H");
    EXPECT_EQ(child<QComboBox>(info, "cb_zonectrl")->currentIndex(), 1);

    // The receiver reports (smooth, fitter); the page shows each in its own box.
    emit page.receiver()->sig_uartState(true, false);
    EXPECT_TRUE(child<QCheckBox>(info, "cb_smooth")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(info, "cb_filter")->isChecked());
    EXPECT_TRUE(m_messages.empty());
}
