// The main window against the in-process simulator on loopback: connecting,
// identifying, drawing, disconnecting, the connection failures the operator
// is told about, the fault texts, the log switch and the start-up language.
// Every operator message is captured through the message hook, so no modal
// box ever blocks a test.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "box_sim.h"
#include "dialog_waitsignal.h"
#include "graphics_item_data.h"
#include "mainpage.h"
#include "netguard.h"
#include "page_box.h"
#include "page_dev.h"
#include "page_lidar.h"
#include "qt_wait.h"
#include "recvdataproc.h"
#include "settings.h"
#include "simulator.h"

namespace {

constexpr int kConnectTimeoutMs = 15000;

struct Message {
    QString title;
    QString text;
};

class MainPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        // The device page probes serial ports: give it none, never the machine's.
        qputenv("VANTREL_SERIAL_PORTS", "");
        Settings::setDirectoryForTesting(m_dir.path().toStdString());
        MainPage::setTranslationDirectory(QStringLiteral(VANTREL_QM_DIR));
        MainPage::setMessageHook([this](const QString& title, const QString& text) {
            m_messages.push_back({title, text});
        });
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override {
        MainPage::setMessageHook({});
        QLocale::setDefault(QLocale::system());
    }

    void setLanguage(const char* value) {
        ASSERT_TRUE(Settings::instance().Write("Standard", "Language", value));
    }

    bool hasMessage(const QString& title, const QString& text) const {
        for (const Message& m : m_messages)
            if (m.title == title && m.text == text) return true;
        return false;
    }
    // Links open off the GUI thread: outcomes arrive through the event loop.
    bool waitMessage(const QString& title, const QString& text, int ms = kConnectTimeoutMs) const {
        return testsupport::waitUntil([&] { return hasMessage(title, text); }, ms);
    }
    static bool waitOpen(const MainPage& page) {
        return testsupport::waitUntil([&] { return page.isLinkOpen(); }, kConnectTimeoutMs);
    }
    static bool waitIdentified(const MainPage& page) {
        return testsupport::waitUntil([&] { return bool(page.stateFlags() & MainPage::kBlockReceived); },
                                      kConnectTimeoutMs);
    }
    static bool waitPoints(const MainPage& page) {
        return testsupport::waitUntil([&] { return bool(page.lidarPage()->item()->pointCount() > 0); },
                                      kConnectTimeoutMs);
    }

    static QPushButton* sideButton(MainPage& page, const char* name) {
        QWidget* bar = page.findChild<QWidget*>(QStringLiteral("w_sidebar"));
        return bar ? bar->findChild<QPushButton*>(QString::fromLatin1(name)) : nullptr;
    }

    // A simulated scanner on 127.0.0.2:port.
    static sim::SimOptions udpScanner(quint16 port) {
        sim::SimOptions o;
        o.udpAddress = QStringLiteral("127.0.0.2");
        o.udpPort = port;
        o.logCommands = false;
        return o;
    }

    // A simulated scanner on a pseudo-terminal, plain-text serial protocol.
    static sim::SimOptions uartScanner() {
        sim::SimOptions o;
        o.serial = sim::SerialMode::Uart;
        o.logCommands = false;
        return o;
    }

    QTemporaryDir m_dir;
    std::vector<Message> m_messages;
};

// A UDP socket bound to the port without address reuse, as another program
// holding the port would have it.
int occupyUdpPort(int port) {
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

}  // namespace

// ---------------------------------------------------------------- connecting by UDP

TEST_F(MainPageTest, UdpConnectReachesIdentifiedStateAndDrawsRevolutions) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    sim::SimOptions options = udpScanner(41543);
    options.serialNumber = QStringLiteral("VT2401A0042");
    sim::Simulator scanner(options);
    QString error;
    ASSERT_TRUE(scanner.start(&error)) << error.toStdString();

    MainPage page;
    page.recv_start(QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), 41543, 41668);
    ASSERT_TRUE(waitOpen(page));
    EXPECT_EQ(page.localPort(), 41668);

    // Identified: the scanner's own parameter block arrived and names it.
    ASSERT_TRUE(testsupport::waitUntil([&] { return bool(page.stateFlags() & MainPage::kBlockReceived); },
                                       kConnectTimeoutMs));
    EXPECT_EQ(eeprom_product_sn(page.paramBlock()), "VT2401A0042");
    EXPECT_TRUE(page.lidarPage()->isConnected());
    EXPECT_EQ(page.currentPage(), page.lidarPage());
    EXPECT_FALSE(page.waitDialog()->isVisible());

    // Live revolutions reach the point-cloud item.
    ASSERT_TRUE(testsupport::waitUntil([&] { return bool(page.lidarPage()->item()->pointCount() > 0); },
                                       kConnectTimeoutMs));
    EXPECT_TRUE(m_messages.empty()) << m_messages.front().text.toStdString();
    scanner.stop();
}

TEST_F(MainPageTest, HeartbeatListsScannerAndDeviceListConnects) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    sim::Simulator scanner(udpScanner(41548));
    ASSERT_TRUE(scanner.start());
    MainPage page;
    QTableView* table = page.devicePage()->findChild<QTableView*>(QStringLiteral("tableView"));
    ASSERT_NE(table, nullptr);
    auto rowOf = [table](const QString& address) {
        for (int r = 0; r < table->model()->rowCount(); ++r)
            if (table->model()->index(r, Page_Dev::ColAddress).data().toString() == address) return r;
        return -1;
    };
    ASSERT_TRUE(testsupport::waitUntil([&] { return bool(rowOf(QStringLiteral("127.0.0.2:41548")) >= 0); },
                                       kConnectTimeoutMs));

    page.devicePage()->on_tableView_clicked(
        table->model()->index(rowOf(QStringLiteral("127.0.0.2:41548")), 0));
    page.devicePage()->on_pb_connect_clicked();
    ASSERT_TRUE(testsupport::waitUntil([&] { return bool(page.stateFlags() & MainPage::kBlockReceived); },
                                       kConnectTimeoutMs));
    ASSERT_TRUE(testsupport::waitUntil([&] { return bool(page.lidarPage()->item()->pointCount() > 0); },
                                       kConnectTimeoutMs));
    EXPECT_TRUE(m_messages.empty()) << m_messages.front().text.toStdString();

    // Disconnecting from the device list returns the window to idle.
    page.devicePage()->on_pb_connect_stop_clicked();
    EXPECT_FALSE(page.isLinkOpen());
    EXPECT_FALSE(page.lidarPage()->isConnected());
    scanner.stop();
}

TEST_F(MainPageTest, DisconnectReturnsToIdleAndReleasesThePort) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    sim::Simulator scanner(udpScanner(41544));
    ASSERT_TRUE(scanner.start());

    MainPage page;
    page.recv_start(QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), 41544, 41669);
    ASSERT_TRUE(testsupport::waitUntil([&] { return bool(page.lidarPage()->item()->pointCount() > 0); },
                                       kConnectTimeoutMs));

    page.recv_data(8, QByteArray());
    EXPECT_FALSE(page.isLinkOpen());
    EXPECT_FALSE(page.stateFlags() & MainPage::kBlockReceived);
    EXPECT_FALSE(page.lidarPage()->isConnected());
    EXPECT_EQ(page.lidarPage()->item()->pointCount(), 0);
    EXPECT_EQ(page.receiver()->runFlag.load(), 0);
    // The local port is free again: another program can take it exactly
    // (as soon as the receiver's current wait on the closed socket returns).
    int s = -1;
    ASSERT_TRUE(testsupport::waitUntil([&] { return (s = occupyUdpPort(41669)) > 0; }, 5000));
    ::close(s);
    scanner.stop();
}

TEST_F(MainPageTest, StopButtonReachesTheScanner) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    sim::Simulator scanner(udpScanner(41545));
    ASSERT_TRUE(scanner.start());
    MainPage page;
    page.recv_start(QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), 41545, 41670);
    ASSERT_TRUE(testsupport::waitUntil([&] { return bool(page.stateFlags() & MainPage::kBlockReceived); },
                                       kConnectTimeoutMs));

    const int before = scanner.commandsReceived();
    QPushButton* stop = page.lidarPage()->findChild<QPushButton*>(QStringLiteral("pb_stop"));
    ASSERT_NE(stop, nullptr);
    ASSERT_TRUE(stop->isEnabled());
    stop->click();
    ASSERT_TRUE(
        testsupport::waitUntil([&] { return bool(scanner.commandsReceived() > before); }, kConnectTimeoutMs));
    scanner.stop();
}

// ---------------------------------------------------------------- connection failures

TEST_F(MainPageTest, UnreachableAddressIsReportedAndOpensNothing) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    MainPage page;
    // Inside the private namespace only loopback exists: nothing answers here.
    page.recv_start(QStringLiteral("UDP"), QStringLiteral("10.255.255.1"), 6543, 41671);
    ASSERT_TRUE(waitMessage(QStringLiteral("error"), QStringLiteral("Current gateway unreachable!")));
    EXPECT_FALSE(page.isLinkOpen());
    EXPECT_FALSE(page.waitDialog()->isVisible());
    // The local port was never bound.
    const int s = occupyUdpPort(41671);
    EXPECT_GT(s, 0);
    if (s > 0) ::close(s);
}

TEST_F(MainPageTest, BusyLocalPortIsReassignedWithWarning) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    const int holder = occupyUdpPort(41672);
    ASSERT_GT(holder, 0);
    sim::Simulator scanner(udpScanner(41546));
    ASSERT_TRUE(scanner.start());

    MainPage page;
    page.recv_start(QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), 41546, 41672);
    ASSERT_TRUE(waitMessage(
        QStringLiteral("warm"),
        QStringLiteral("The current port 41672 is already occupied, reassign the new port as 41673")));
    EXPECT_EQ(page.localPort(), 41673);
    // The connection goes on over the new port.
    ASSERT_TRUE(testsupport::waitUntil([&] { return bool(page.stateFlags() & MainPage::kBlockReceived); },
                                       kConnectTimeoutMs));
    ::close(holder);
    scanner.stop();
}

TEST_F(MainPageTest, TcpConnectUsesBothPortsAndReachesIdentifiedState) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    sim::SimOptions options;
    options.tcpAddress = QStringLiteral("127.0.0.1");
    options.tcpPort = 41710;
    options.logCommands = false;
    sim::Simulator scanner(options);
    QString error;
    ASSERT_TRUE(scanner.start(&error)) << error.toStdString();

    MainPage page;
    page.recv_start(QStringLiteral("TCP"), QStringLiteral("127.0.0.1"), 41710, 0);
    ASSERT_TRUE(waitOpen(page));
    ASSERT_TRUE(testsupport::waitUntil([&] { return bool(page.stateFlags() & MainPage::kBlockReceived); },
                                       kConnectTimeoutMs));
    ASSERT_TRUE(testsupport::waitUntil([&] { return bool(page.lidarPage()->item()->pointCount() > 0); },
                                       kConnectTimeoutMs));
    EXPECT_TRUE(m_messages.empty()) << m_messages.front().text.toStdString();
    page.recv_data(8, QByteArray());
    EXPECT_FALSE(page.isLinkOpen());
    scanner.stop();
}

TEST_F(MainPageTest, SerialConnectStoresLinkBaudInParameterBlock) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    sim::Simulator scanner(uartScanner());
    QString error;
    ASSERT_TRUE(scanner.start(&error)) << error.toStdString();
    ASSERT_FALSE(scanner.serialPath().isEmpty());

    MainPage page;
    page.recv_start(QStringLiteral("UART"), scanner.serialPath(), 460800, 0);
    ASSERT_TRUE(waitOpen(page));
    ASSERT_TRUE(testsupport::waitUntil([&] { return bool(page.stateFlags() & MainPage::kBlockReceived); },
                                       kConnectTimeoutMs));
    // Bytes 48..50 of the block carry the link's baud rate, low byte first.
    const auto* raw = reinterpret_cast<const uint8_t*>(&page.paramBlock());
    EXPECT_EQ(raw[48] | raw[49] << 8 | raw[50] << 16, 460800);
    page.recv_data(8, QByteArray());
    EXPECT_FALSE(page.isLinkOpen());
    scanner.stop();
}

TEST_F(MainPageTest, TcpDeviceRefusingSecondPortFails) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    QTcpServer commands;
    ASSERT_TRUE(commands.listen(QHostAddress(QStringLiteral("127.0.0.1")), 41700));
    MainPage page;
    page.recv_start(QStringLiteral("TCP"), QStringLiteral("127.0.0.1"), 41700, 0);
    ASSERT_TRUE(waitMessage(QStringLiteral("error"), QStringLiteral("tcp socket connect failed!")));
    EXPECT_FALSE(page.isLinkOpen());
    // The half-open command connection was closed again: the server saw it go.
    ASSERT_TRUE(testsupport::waitUntil([&] { return commands.hasPendingConnections(); }));
    QTcpSocket* accepted = commands.nextPendingConnection();
    ASSERT_NE(accepted, nullptr);
    EXPECT_TRUE(
        testsupport::waitUntil([&] { return accepted->state() == QAbstractSocket::UnconnectedState; }));
}

TEST_F(MainPageTest, SerialPortThatCannotOpenIsReported) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    MainPage page;
    page.recv_start(QStringLiteral("UART"), m_dir.filePath(QStringLiteral("no-such-port")), 115200, 0);
    ASSERT_TRUE(waitMessage(QStringLiteral("error"), QStringLiteral("com open err")));
    EXPECT_FALSE(page.isLinkOpen());
}

// ---------------------------------------------------------------- links that vanish

// The scanner's pseudo-terminal or TCP connections pulled away mid-stream:
// the window reports it once, shows the disconnected state, and connects
// again to the next scanner.
TEST_F(MainPageTest, LinkPulledAwayMidStreamIsReportedOnceAndReconnects) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    const sim::SimOptions serial = uartScanner();
    sim::SimOptions tcp;
    tcp.tcpAddress = QStringLiteral("127.0.0.1");
    tcp.tcpPort = 41720;
    tcp.logCommands = false;
    const struct {
        const char* type;
        sim::SimOptions options;
        int portBaud;
        const char* text;  // %1: the port
    } cases[] = {
        {"UART", serial, 460800, "The serial port %1 is no longer available; disconnected!"},
        {"TCP", tcp, 41720, "The device closed the connection!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        m_messages.clear();
        MainPage page;
        auto scanner = std::make_unique<sim::Simulator>(c.options);
        ASSERT_TRUE(scanner->start());
        const QString address =
            c.options.serial != sim::SerialMode::None ? scanner->serialPath() : c.options.tcpAddress;
        page.recv_start(QString::fromLatin1(c.type), address, c.portBaud, 0);
        ASSERT_TRUE(waitIdentified(page));
        ASSERT_TRUE(waitPoints(page));

        const QString loss = QString::fromLatin1(c.text).arg(address);
        const auto reports = [&] {
            return std::count_if(m_messages.begin(), m_messages.end(),
                                 [&](const Message& m) { return m.text == loss; });
        };
        scanner.reset();  // pulled away: terminal master closed, connections closed
        ASSERT_TRUE(waitMessage(QStringLiteral("error"), loss));
        EXPECT_FALSE(page.isLinkOpen());
        EXPECT_FALSE(page.stateFlags() & MainPage::kBlockReceived);
        EXPECT_FALSE(page.lidarPage()->isConnected());
        EXPECT_EQ(page.receiver()->runFlag.load(), 0);
        QTest::qWait(500);  // a second report would have arrived by now
        EXPECT_EQ(reports(), 1);

        // The next scanner on the same kind of link connects as usual.
        scanner = std::make_unique<sim::Simulator>(c.options);
        ASSERT_TRUE(scanner->start());
        const QString again = c.options.serial != sim::SerialMode::None ? scanner->serialPath() : address;
        page.recv_start(QString::fromLatin1(c.type), again, c.portBaud, 0);
        ASSERT_TRUE(waitIdentified(page));
        ASSERT_TRUE(waitPoints(page));
        EXPECT_EQ(reports(), 1);
    }
}

// Connecting waits off the GUI thread behind the wait dialog; its Cancel calls
// the attempt off and closes the command connection it had already made.
TEST_F(MainPageTest, CancelWhileConnectingClosesWhatWasOpened) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    QTcpServer commands;
    ASSERT_TRUE(commands.listen(QHostAddress(QStringLiteral("127.0.0.1")), 41730));
    testsupport::SilentTcpPort data(41731);  // the data port never answers
    ASSERT_TRUE(data.ok());
    MainPage page;
    page.recv_start(QStringLiteral("TCP"), QStringLiteral("127.0.0.1"), 41730, 0);
    EXPECT_TRUE(page.waitDialog()->isVisible());
    EXPECT_TRUE(page.isConnecting());
    ASSERT_TRUE(testsupport::waitUntil([&] { return commands.hasPendingConnections(); }));
    QTcpSocket* accepted = commands.nextPendingConnection();
    ASSERT_NE(accepted, nullptr);

    QAbstractButton* cancel = page.waitDialog()->findChild<QAbstractButton*>(QStringLiteral("pb_close"));
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    EXPECT_FALSE(page.waitDialog()->isVisible());
    EXPECT_FALSE(page.isConnecting());
    ASSERT_TRUE(
        testsupport::waitUntil([&] { return accepted->state() == QAbstractSocket::UnconnectedState; }, 2000));
    EXPECT_FALSE(page.isLinkOpen());

    // The window goes on working: the next connection succeeds, and the
    // abandoned attempt never reports anything.
    sim::Simulator scanner(udpScanner(41549));
    ASSERT_TRUE(scanner.start());
    page.recv_start(QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), 41549, 41675);
    ASSERT_TRUE(waitIdentified(page));
    EXPECT_TRUE(m_messages.empty()) << m_messages.front().text.toStdString();
}

// A USB virtual serial port found by the probe carries the baud rate -1; its
// device-list row connects (double-click) at the probe's nominal rate.
TEST_F(MainPageTest, VirtualSerialRowFromTheProbeConnects) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    sim::SimOptions options;
    options.serial = sim::SerialMode::Vpc;
    options.heartbeat = sim::HeartbeatKind::Off;
    options.logCommands = false;
    sim::Simulator scanner(options);
    ASSERT_TRUE(scanner.start());
    qputenv("VANTREL_SERIAL_PORTS", scanner.serialPath().toLocal8Bit());
    MainPage page;
    QTableView* table = page.devicePage()->findChild<QTableView*>(QStringLiteral("tableView"));
    ASSERT_NE(table, nullptr);
    // Other tests' simulators may be heard on the heartbeat group meanwhile.
    int row = -1;
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            for (int r = 0; r < table->model()->rowCount(); ++r)
                if (table->model()->index(r, Page_Dev::ColLink).data().toString() == QStringLiteral("VPC"))
                    row = r;
            return row >= 0;
        },
        kConnectTimeoutMs));
    page.devicePage()->on_tableView_doubleClicked(table->model()->index(row, 0));
    ASSERT_TRUE(waitIdentified(page));
    ASSERT_TRUE(waitPoints(page));
    EXPECT_EQ(page.linkType(), QStringLiteral("VPC"));
}

// ---------------------------------------------------------------- dispatch

TEST_F(MainPageTest, StateRecordFaultBitsBecomeTextsInBitOrder) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    MainPage page;
    QByteArray record(64, '\0');
    const quint32 word = 0x4001;  // supply low + alarm
    for (int i = 0; i < 4; ++i) record[40 + i] = char((word >> (8 * i)) & 0xFF);
    page.recv_data(4, record);
    EXPECT_EQ(page.lidarPage()->faultText(), QStringLiteral("Insufficient power supplyAlarm"));

    // A record too short for the fault word shows no fault instead of reading past it.
    page.recv_data(4, QByteArray(12, '\xFF'));
    EXPECT_EQ(page.lidarPage()->faultText(), QString());
}

TEST_F(MainPageTest, UnknownMessageTypesChangeNothing) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    MainPage page;
    const int flags = page.stateFlags();
    page.recv_data(9, QByteArray("1"));
    page.recv_data(13, QByteArray("LSTARH"));
    EXPECT_EQ(page.stateFlags(), flags);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_FALSE(page.isLinkOpen());
}

TEST_F(MainPageTest, SaveLogFailureShowsErrorAndUnchecks) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    // A log directory below a plain file cannot be created.
    QFile blocker(m_dir.filePath(QStringLiteral("plainfile")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ASSERT_TRUE(
        Settings::instance().Write("Standard", "Logpath", blocker.fileName().toStdString() + "/logs"));

    MainPage page;
    QCheckBox* box = page.lidarPage()->findChild<QCheckBox*>(QStringLiteral("checkBox"));
    ASSERT_NE(box, nullptr);
    box->setChecked(true);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.front().title, QStringLiteral("error"));
    EXPECT_FALSE(m_messages.front().text.isEmpty());
    EXPECT_FALSE(box->isChecked());
}

// ---------------------------------------------------------------- language at start

TEST_F(MainPageTest, LanguageFollowsSettingsKey) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("Chinese");
    {
        MainPage page;
        EXPECT_EQ(page.language(), QStringLiteral("Chinese"));
        EXPECT_EQ(sideButton(page, "pb_start")->text(), QStringLiteral("首页"));
        EXPECT_EQ(sideButton(page, "pb_lidardata")->text(), QStringLiteral("点云显示"));
    }
    setLanguage("English");
    {
        MainPage page;
        EXPECT_EQ(page.language(), QStringLiteral("English"));
        EXPECT_EQ(sideButton(page, "pb_start")->text(), QStringLiteral("Home"));
    }
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(MainPageTest, AutoLanguageWithUnsupportedLocaleWarnsOnceAndUsesEnglish) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    MainPage page;  // no "Language" key: "Auto"
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.front().title, QStringLiteral("error"));
    EXPECT_EQ(m_messages.front().text, QStringLiteral("System language is not support!"));
    EXPECT_EQ(page.language(), QStringLiteral("English"));
    EXPECT_EQ(sideButton(page, "pb_start")->text(), QStringLiteral("Home"));
}

TEST_F(MainPageTest, AutoLanguageWithPosixLocaleIsEnglishWithoutWarning) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    QLocale::setDefault(QLocale::c());
    MainPage page;
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(page.language(), QStringLiteral("English"));
}

TEST_F(MainPageTest, AutoLanguageWithChineseLocaleIsChinese) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    MainPage page;
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(page.language(), QStringLiteral("Chinese"));
    EXPECT_EQ(sideButton(page, "pb_start")->text(), QStringLiteral("首页"));
}

// ---------------------------------------------------------------- screenshots for review

// Writes PNGs of the pages in both languages to <build>/tests/screenshots.
// They are for a human to look at; the test only checks they were written.
TEST_F(MainPageTest, ScreenshotsOfPagesInBothLanguages) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    sim::Simulator scanner(udpScanner(41547));
    ASSERT_TRUE(scanner.start());
    QDir().mkpath(QStringLiteral(VANTREL_SHOT_DIR));

    MainPage page;
    page.resize(1280, 800);
    page.show();
    page.recv_start(QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), 41547, 41674);
    ASSERT_TRUE(testsupport::waitUntil([&] { return bool(page.lidarPage()->item()->pointCount() > 0); },
                                       kConnectTimeoutMs));
    // The device list shows the scanner's heartbeat row.
    QTableView* table = page.devicePage()->findChild<QTableView*>(QStringLiteral("tableView"));
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(
        testsupport::waitUntil([&] { return bool(table->model()->rowCount() > 0); }, kConnectTimeoutMs));

    const struct {
        const char* name;
        const char* button;
    } shots[] = {{"home", "pb_start"}, {"device", "pb_dev"}, {"cloud", "pb_lidardata"}};
    for (const char* language : {"English", "Chinese"}) {
        page.recv_setlangunge(QString::fromLatin1(language));
        for (const auto& shot : shots) {
            QPushButton* button = sideButton(page, shot.button);
            if (!button || button->isHidden()) continue;  // page not in this build
            button->click();
            QApplication::processEvents();
            const QString file = QStringLiteral("%1/mainpage_%2_%3.png")
                                     .arg(QStringLiteral(VANTREL_SHOT_DIR), QLatin1String(shot.name),
                                          QString::fromLatin1(language).toLower());
            ASSERT_TRUE(page.grab().save(file)) << file.toStdString();
            EXPECT_GT(QFileInfo(file).size(), 0);
        }
    }
    scanner.stop();
}

// ---------------------------------------------------------------- algorithm box

// A box heard on the heartbeat group brings up the box page and its worker;
// the page then talks to the box. Also writes screenshots of the page.
TEST_F(MainPageTest, BoxStatusDatagramBringsUpTheBoxPage) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    setLanguage("English");
    sim::BoxOptions o;
    o.address = QStringLiteral("127.0.0.41");
    o.logCommands = false;
    o.scanners = {{"192.168.158.10", 2368, 0}, {"192.168.158.11", 2368, 1}, {"192.168.158.12", 2370, 0}};
    sim::BoxSimulator box(o);
    ASSERT_TRUE(box.start());

    MainPage page;
    page.resize(1280, 800);
    page.show();
    QPushButton* button = sideButton(page, "pb_box");
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            return button->isVisible() && page.boxPage()->worker() &&
                   page.boxPage()->worker()->boundPort() > 0;
        },
        kConnectTimeoutMs));
    EXPECT_EQ(page.boxPage()->worker()->boundPort(), 6666);
    button->click();
    EXPECT_EQ(page.currentPage(), page.boxPage());

    auto* list = page.boxPage()->findChild<QListWidget*>("listWidget");
    ASSERT_TRUE(testsupport::waitUntil([&] { return list->count() == 1; }, kConnectTimeoutMs));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    auto* portA = page.boxPage()->findChild<QTableView*>("tableView_after");
    ASSERT_TRUE(testsupport::waitUntil([&] { return portA->model()->rowCount() == 2; }, kConnectTimeoutMs));
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            return page.boxPage()->findChild<QLabel*>("lb_indicator2") != nullptr &&
                   !page.boxPage()->findChild<QLabel*>("lb_version")->text().isEmpty();
        },
        kConnectTimeoutMs));

    QDir().mkpath(QStringLiteral(VANTREL_SHOT_DIR));
    for (const char* language : {"English", "Chinese"}) {
        page.recv_setlangunge(QString::fromLatin1(language));
        QApplication::processEvents();
        const QString file =
            QStringLiteral("%1/mainpage_box_%2.png")
                .arg(QStringLiteral(VANTREL_SHOT_DIR), QString::fromLatin1(language).toLower());
        ASSERT_TRUE(page.grab().save(file)) << file.toStdString();
    }
}
