// The device list page fed with hand-made heartbeat records and a scripted
// serial probe: rows and their columns, connecting and disconnecting, the
// connection history, refresh, and header sorting.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QTranslator>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "../task/heartbeat_builder.h"
#include "page_dev.h"
#include "page_test_support.h"
#include "queued_spy.h"

using pagetest::BoxAnswerer;
using pagetest::ScratchSettings;

namespace {

// ---------------------------------------------------------------- records

// A status heartbeat record as the heartbeat worker delivers it.
DevConnInfo record(const std::vector<uint8_t>& datagram, int hour = 9, int minute = 5, int second = 7) {
    DevConnInfo c;
    c.type = datagram.size() == 112 ? 3 : datagram.size() == 80 ? 1 : 2;
    // The sender is the scanner itself.
    if (datagram.size() == 112)
        std::snprintf(c.ip, sizeof c.ip, "%d.%d.%d.%d", datagram[60], datagram[61], datagram[62],
                      datagram[63]);
    c.port = 2112;
    std::memcpy(c.payload, datagram.data(), datagram.size());
    c.recv_time[0] = second;
    c.recv_time[1] = minute;
    c.recv_time[2] = hour;
    return c;
}

// Status heartbeat of a scanner at 172.16.5.<host>:2112 sending over UDP.
std::vector<uint8_t> udpStatus(const std::string& serial, const std::string& model, uint8_t host = 4) {
    std::vector<uint8_t> d = hb::status112(serial, model);
    hb::putIp(d, 60, 172, 16, 5, host);
    hb::put16(d, 80, 1);  // link kind UDP
    return d;
}

DevConnInfo serialRecord(const char* port, int baud) {
    DevConnInfo c;
    c.type = baud == -1 ? 4 : 0;
    std::strcpy(c.com, port);
    c.baud = baud;
    return c;
}

// ---------------------------------------------------------------- scripted serial ports

// Ports that answer the identity request at one baud rate (or, with -1, the
// framed request of a virtual serial port). Thread-safe: the probe runs on a
// thread of its own.
class FakeProbeIo : public SerialProbeIo {
public:
    struct Shared {
        std::vector<std::pair<std::string, int>> ports;  // name, answering rate
        std::atomic<int> open{0};
        std::atomic<int> maxOpen{0};
        std::atomic<int> passes{0};
    };
    explicit FakeProbeIo(std::shared_ptr<Shared> s) : m_s(std::move(s)) { ++m_s->passes; }

    std::vector<std::string> listPorts() override {
        std::vector<std::string> names;
        for (auto& p : m_s->ports) names.push_back(p.first);
        return names;
    }
    int open(const std::string& name, int baud) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        const int now = ++m_s->open;
        int seen = m_s->maxOpen;
        while (now > seen && !m_s->maxOpen.compare_exchange_weak(seen, now)) {
        }
        m_pending.clear();
        for (auto& p : m_s->ports) {
            if (p.first != name) continue;
            if (p.second == baud && baud != -1) m_pending = "PRODUCT SN:LX0001\r\n";
            if (p.second == -1 && baud == 12345) m_pending = "LMSG";
        }
        return 7;
    }
    int write(int, const uint8_t*, size_t n) override { return static_cast<int>(n); }
    int read(int, uint8_t* buf, size_t max) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        const size_t n = std::min(max, m_pending.size());
        std::memcpy(buf, m_pending.data(), n);
        m_pending.erase(0, n);
        return static_cast<int>(n);
    }
    void close(int) override { --m_s->open; }
    // Real (short) pauses, so that two overlapping passes would meet.
    void pause(int) override { std::this_thread::sleep_for(std::chrono::microseconds(200)); }
    uint16_t sequenceNumber() override { return 0x1234; }

private:
    std::shared_ptr<Shared> m_s;
    std::mutex m_mutex;
    std::string m_pending;
};

// ---------------------------------------------------------------- fixture

class DevPage : public ::testing::Test {
protected:
    void SetUp() override {
        probe = std::make_shared<FakeProbeIo::Shared>();
        page = std::make_unique<Page_Dev>();
        auto shared = probe;
        page->setProbeIoFactory([shared] { return std::make_unique<FakeProbeIo>(shared); });
        auto calls = macCalls;
        page->setMacLookup([calls](const std::string& ip, std::string& text) {
            ++*calls;
            if (ip == "172.16.5.4") {
                text = "aa-bb-cc-dd-ee-01";
                return true;
            }
            text = "SendARP Error:6";
            return false;
        });
        view = page->findChild<QTableView*>("tableView");
        model = qobject_cast<QStandardItemModel*>(view->model());
    }

    QString at(int row, int column) const {
        QStandardItem* item = model->item(row, column);
        return item ? item->text() : QString();
    }
    void click(int row) {
        page->show();
        const QRect rect = view->visualRect(model->index(row, Page_Dev::ColAddress));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void doubleClick(int row) {
        page->show();
        const QRect rect = view->visualRect(model->index(row, Page_Dev::ColAddress));
        // A double-click in a view follows a press-release pair.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void pressButton(const char* name) {
        QTest::mouseClick(page->findChild<QPushButton*>(name), Qt::LeftButton);
    }

    ScratchSettings scratch;
    std::shared_ptr<FakeProbeIo::Shared> probe;
    std::shared_ptr<std::atomic<int>> macCalls = std::make_shared<std::atomic<int>>(0);
    std::unique_ptr<Page_Dev> page;
    QTableView* view = nullptr;
    QStandardItemModel* model = nullptr;
};

}  // namespace

// ---------------------------------------------------------------- rows from heartbeats

TEST_F(DevPage, StatusHeartbeatFillsEveryColumn) {
    std::vector<uint8_t> d = udpStatus("SN123", "LX-200");
    hb::put16(d, 82, 600);   // 60 rpm
    hb::put16(d, 84, 1234);  // 12.34
    d[92] = 1;               // observation zone
    d[93] = 1;               // alert zone
    d[51] = 1;               // algorithm box connected
    page->recv_lidarHeart(record(d, 14, 3, 9));

    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(at(0, 0), "1");
    EXPECT_EQ(at(0, 1), "SN123");
    EXPECT_EQ(at(0, 2), "UDP");
    EXPECT_EQ(at(0, 3), "172.16.5.4:2112");
    EXPECT_EQ(at(0, 4), "172.16.5.1:2113");
    EXPECT_EQ(at(0, 5), "LX-200");
    EXPECT_EQ(at(0, 6), "14:3:9");
    EXPECT_EQ(at(0, 7), "60/12.34");
    EXPECT_EQ(at(0, 8), "-5.7");
    EXPECT_EQ(at(0, 10), "24.1");
    EXPECT_EQ(at(0, 11), "Observation ZoneAlert ZoneBox connect");
    EXPECT_EQ(at(0, 12), "");
    EXPECT_EQ(at(0, 13), "1");
    // The MAC comes from the neighbour table, off the GUI thread.
    EXPECT_TRUE(QTest::qWaitFor([&] { return at(0, 9) == "aa-bb-cc-dd-ee-01"; }, 5000))
        << at(0, 9).toStdString();

    EXPECT_TRUE(view->isColumnHidden(1));
    EXPECT_TRUE(view->isColumnHidden(5));
    EXPECT_TRUE(view->isColumnHidden(13));
    EXPECT_FALSE(view->isColumnHidden(9));
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Num ");
    EXPECT_EQ(model->headerData(7, Qt::Horizontal).toString(), "RPM/HZ");
}

TEST_F(DevPage, SecondHeartbeatUpdatesOnlyLiveColumns) {
    page->recv_lidarHeart(record(udpStatus("SN123", "LX-200"), 10, 0, 0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return at(0, 9) == "aa-bb-cc-dd-ee-01"; }, 5000))
        << at(0, 9).toStdString();

    std::vector<uint8_t> d = udpStatus("OTHER", "MODEL-B");
    hb::put16(d, 82, 150);
    hb::put16(d, 84, 50);
    hb::put16(d, 88, 415);
    hb::put16(d, 90, 12500);
    d[97] = 0;  // no zone active
    d[98] = 1;  // system error
    DevConnInfo second = record(d, 10, 0, 5);
    std::strcpy(second.mac, "11-11-11-11-11-11");
    page->recv_lidarHeart(second);

    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(at(0, 6), "10:0:5");
    EXPECT_EQ(at(0, 7), "15/0.5");
    EXPECT_EQ(at(0, 8), "41.5");
    EXPECT_EQ(at(0, 10), "12.5");
    EXPECT_EQ(at(0, 11), "No zone activeSystem error");
    EXPECT_EQ(at(0, 13), "0");
    EXPECT_EQ(at(0, 1), "SN123");
    EXPECT_EQ(at(0, 5), "LX-200");
    EXPECT_EQ(at(0, 9), "aa-bb-cc-dd-ee-01");
    EXPECT_EQ(*macCalls, 1);
}

TEST_F(DevPage, ShortHeartbeatFromKnownAddressChangesNothing) {
    page->recv_lidarHeart(record(udpStatus("SN123", "LX-200"), 8, 1, 2));
    std::vector<uint8_t> d80 = hb::heart80("SN999", "M80");
    hb::putIp(d80, 10, 172, 16, 5, 4);
    hb::put16(d80, 28, 2112);
    page->recv_lidarHeart(record(d80));
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(at(0, 1), "SN123");
    EXPECT_EQ(at(0, 2), "UDP");
    EXPECT_EQ(at(0, 6), "8:1:2");
}

TEST_F(DevPage, FailedMacLookupShowsItsErrorText) {
    page->recv_lidarHeart(record(udpStatus("SN1", "M", 9)));
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return at(0, 9) == "SendARP Error:6"; }, 5000))
        << at(0, 9).toStdString();
}

TEST_F(DevPage, LinkKindsAndOlderHeartbeats) {
    page->recv_lidarHeart(record(hb::status112("T", "M")));  // link kind 3
    page->recv_lidarHeart(record(hb::heart60("S60", "M60")));
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(at(0, 2), "TCP");
    EXPECT_EQ(at(1, 2), "Net");
    EXPECT_EQ(at(1, 3), "10.0.0.7:3000");
    EXPECT_EQ(at(1, 4), "10.0.0.1:3001");
    EXPECT_EQ(at(1, 0), "2");
    EXPECT_EQ(at(1, 1), "S60");
    // Only status heartbeats carry live values.
    EXPECT_EQ(at(1, 6), "");
    // Neither is a UDP row, so no neighbour-table look-up is made.
    QTest::qWait(20);
    EXPECT_EQ(*macCalls, 0);
}

TEST_F(DevPage, NetLinkLossIsReportedOnlyForNetworkLinks) {
    std::vector<uint8_t> d = udpStatus("A", "M");
    d[100] = 0;
    d[103] = 0;
    page->recv_lidarHeart(record(d));
    EXPECT_EQ(at(0, 11), "NET disconnected");
    std::vector<uint8_t> usb = udpStatus("B", "M", 5);
    hb::put16(usb, 80, 2);
    usb[100] = 0;
    usb[103] = 0;
    page->recv_lidarHeart(record(usb));
    EXPECT_EQ(at(1, 11), "USB disconnected");
}

TEST_F(DevPage, SameScannerOnSerialAndNetworkGivesTwoRows) {
    page->recv_lidarHeart(record(udpStatus("SN1", "M")));
    page->recv_lidarHeart(serialRecord("ttyUSB0", 460800));
    page->recv_lidarHeart(serialRecord("ttyUSB0", 460800));
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(at(1, 2), "UART");
    EXPECT_EQ(at(1, 3), "ttyUSB0:460800");
    EXPECT_EQ(at(1, 4), "");
    EXPECT_EQ(at(1, 1), "");
}

// ---------------------------------------------------------------- connect and disconnect

TEST_F(DevPage, ConnectWithoutSelectionWarnsAndEmitsNothing) {
    page->recv_lidarHeart(record(udpStatus("SN1", "M")));
    QSignalSpy start(page.get(), &Page_Dev::sig_start);
    BoxAnswerer answer(QMessageBox::Ok);
    pressButton("pb_connect");
    EXPECT_EQ(answer.seen.count, 1);
    EXPECT_EQ(answer.seen.title, "warm");
    EXPECT_EQ(answer.seen.text, "please choose one lidar!");
    EXPECT_EQ(start.count(), 0);
}

TEST_F(DevPage, ConnectEmitsStartWithTheRowsLink) {
    page->recv_lidarHeart(record(udpStatus("SN1", "M")));
    QSignalSpy start(page.get(), &Page_Dev::sig_start);
    click(0);
    pressButton("pb_connect");
    ASSERT_EQ(start.count(), 1);
    EXPECT_EQ(start.at(0).at(0).toString(), "UDP");
    EXPECT_EQ(start.at(0).at(1).toString(), "172.16.5.4");
    EXPECT_EQ(start.at(0).at(2).toInt(), 2113);
    EXPECT_EQ(start.at(0).at(3).toInt(), 2112);
    EXPECT_EQ(at(0, 12), "Connected");
    EXPECT_TRUE(page->isConnected());
    EXPECT_EQ(page->connectedAddress(), "172.16.5.4");
}

TEST_F(DevPage, ConnectWhileConnectedAsksBeforeRestarting) {
    std::vector<uint8_t> boxed = udpStatus("SN2", "M", 5);
    boxed[51] = 1;
    page->recv_lidarHeart(record(udpStatus("SN1", "M")));
    page->recv_lidarHeart(record(boxed));
    click(0);
    pressButton("pb_connect");

    QSignalSpy restart(page.get(), &Page_Dev::sig_restart);
    click(1);
    {
        BoxAnswerer cancel(QMessageBox::Cancel);
        pressButton("pb_connect");
        EXPECT_EQ(cancel.seen.count, 1);
        EXPECT_EQ(cancel.seen.text,
                  "Existing device is connected. Do you want to disconnect the existing device to "
                  "try a new connection?");
    }
    EXPECT_EQ(restart.count(), 0);
    EXPECT_EQ(at(0, 12), "Connected");

    BoxAnswerer ok(QMessageBox::Ok);
    pressButton("pb_connect");
    ASSERT_EQ(restart.count(), 1);
    EXPECT_EQ(restart.at(0).at(1).toString(), "172.16.5.5");
    EXPECT_EQ(restart.at(0).at(3).toInt(), 2112);
    EXPECT_EQ(at(0, 12), "");
    EXPECT_EQ(at(1, 12), "Connected");
    EXPECT_TRUE(page->isBoxConnected());
}

TEST_F(DevPage, DisconnectRequestsType8AndClearsTheMark) {
    page->recv_lidarHeart(record(udpStatus("SN1", "M")));
    click(0);
    pressButton("pb_connect");
    QSignalSpy data(page.get(), &Page_Dev::sig_data);
    pressButton("pb_connect_stop");
    ASSERT_EQ(data.count(), 1);
    EXPECT_EQ(data.at(0).at(0).toInt(), 8);
    EXPECT_TRUE(data.at(0).at(1).toByteArray().isEmpty());
    EXPECT_EQ(at(0, 12), "");
    EXPECT_FALSE(page->isConnected());
}

// Regression: a serial row has no upload address, and the main window opens
// the port at port_baud, which must not be the previous row's upload port.
TEST_F(DevPage, SerialRowConnectCarriesItsBaudRate) {
    page->recv_lidarHeart(record(udpStatus("SN1", "M")));
    page->recv_lidarHeart(serialRecord("ttyUSB0", 460800));
    click(0);
    click(1);
    QSignalSpy start(page.get(), &Page_Dev::sig_start);
    pressButton("pb_connect");
    ASSERT_EQ(start.count(), 1);
    EXPECT_EQ(start.at(0).at(0).toString(), "UART");
    EXPECT_EQ(start.at(0).at(1).toString(), "ttyUSB0");
    EXPECT_EQ(start.at(0).at(2).toInt(), 460800);
    EXPECT_EQ(start.at(0).at(3).toInt(), 460800);
}

TEST_F(DevPage, ReturningUdpDeviceOfTheConnectionIsMarkedConnected) {
    page->recv_lidarHeart(record(udpStatus("SN1", "M")));
    click(0);
    pressButton("pb_connect");
    page->findChild<QPushButton*>("pb_refresh")->click();
    ASSERT_EQ(model->rowCount(), 0);
    page->recv_lidarHeart(record(udpStatus("SN1", "M")));
    EXPECT_EQ(at(0, 12), "Connected");
}

// ---------------------------------------------------------------- history

TEST_F(DevPage, DoubleClickConnectsAndPutsTheEntryFirstInHistory) {
    Settings& s = scratch.settings();
    for (int i = 0; i < 10; ++i) s.Write("History", "history" + std::to_string(i), "old" + std::to_string(i));
    page->recv_lidarHeart(record(udpStatus("SN1", "M")));
    QSignalSpy start(page.get(), &Page_Dev::sig_start);
    doubleClick(0);
    EXPECT_EQ(start.count(), 1);
    const QString first = QString::fromStdString(s.Read("History", "history0"));
    EXPECT_TRUE(QRegularExpression("^Time:\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\|"
                                   "Model: \\|Type:UDP\\|Info:172\\.16\\.5\\.4:2112\\|"
                                   "Remote:172\\.16\\.5\\.1:2113$")
                    .match(first)
                    .hasMatch())
        << first.toStdString();
    EXPECT_EQ(s.Read("History", "history1"), "old0");
    EXPECT_EQ(s.Read("History", "history10"), "old9");
}

TEST_F(DevPage, HistoryIsRecordedEvenWhenTheSwitchIsDeclined) {
    Settings& s = scratch.settings();
    page->recv_lidarHeart(record(udpStatus("SN1", "M")));
    page->recv_lidarHeart(serialRecord("ttyACM0", -1));
    click(0);
    pressButton("pb_connect");
    BoxAnswerer cancel(QMessageBox::Cancel);
    doubleClick(1);
    EXPECT_EQ(cancel.seen.count, 1);
    const std::string entry = s.Read("History", "history0");
    EXPECT_NE(entry.find("|Type:VPC|Info:ttyACM0:-1|Remote:"), std::string::npos) << entry;
    EXPECT_EQ(s.Read("History", "history1"), "");
}

// ---------------------------------------------------------------- serial probe and refresh

TEST_F(DevPage, ProbeResultsAddSerialRows) {
    probe->ports = {{"ttyS0", 0}, {"ttyUSB0", 460800}, {"ttyACM0", -1}};
    testsupport::QueuedSpy over(page.get(), &Page_Dev::sig_RunOver);
    page->GetComDev();
    EXPECT_TRUE(page->isProbing());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !over.isEmpty(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount() == 2; }, 5000));
    EXPECT_EQ(at(0, 2), "UART");
    EXPECT_EQ(at(0, 3), "ttyUSB0:460800");
    EXPECT_EQ(at(1, 2), "VPC");
    EXPECT_EQ(at(1, 3), "ttyACM0:-1");
}

TEST_F(DevPage, RefreshRunsOneProbePassAtATime) {
    probe->ports = {{"ttyS0", 0}, {"ttyS1", 0}, {"ttyUSB0", 230400}};
    testsupport::QueuedSpy over(page.get(), &Page_Dev::sig_RunOver);
    page->recv_lidarHeart(record(udpStatus("SN1", "M")));
    pressButton("pb_refresh");
    EXPECT_EQ(model->rowCount(), 0);
    pressButton("pb_refresh");
    ASSERT_TRUE(QTest::qWaitFor([&] { return over.count() == 2 && !page->isProbing(); }, 10000));
    EXPECT_EQ(probe->passes, 2);
    EXPECT_EQ(probe->maxOpen, 1);
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(at(0, 3), "ttyUSB0:230400");
}

TEST_F(DevPage, RefreshOnSerialLinkAsksAndDisconnects) {
    page->recv_lidarHeart(serialRecord("ttyUSB0", 460800));
    click(0);
    pressButton("pb_connect");
    page->setSerialHandle(5);
    QSignalSpy data(page.get(), &Page_Dev::sig_data);
    {
        BoxAnswerer cancel(QMessageBox::Cancel);
        pressButton("pb_refresh");
        EXPECT_EQ(cancel.seen.count, 1);
    }
    EXPECT_EQ(model->rowCount(), 1);
    EXPECT_EQ(data.count(), 0);
    BoxAnswerer ok(QMessageBox::Ok);
    pressButton("pb_refresh");
    ASSERT_EQ(data.count(), 1);
    EXPECT_EQ(data.at(0).at(0).toInt(), 8);
    EXPECT_FALSE(page->isConnected());
    EXPECT_EQ(page->serialHandle(), 0);
}

TEST_F(DevPage, CollectDevicesListsUdpRowsOrProbes) {
    page->recv_lidarHeart(record(udpStatus("SN1", "M")));
    std::vector<uint8_t> tcp = hb::status112("T", "M");  // link kind TCP: not listed
    hb::putIp(tcp, 60, 172, 16, 5, 8);
    page->recv_lidarHeart(record(tcp));
    page->recv_lidarHeart(record(udpStatus("SN3", "M", 7)));
    EXPECT_EQ(page->collectDevices(true), QStringList({"172.16.5.4:2112", "172.16.5.7:2112"}));

    probe->ports = {{"ttyUSB1", 921600}, {"ttyACM0", -1}};
    EXPECT_EQ(page->collectDevices(false), QStringList({"ttyUSB1:921600", "ttyACM0:-1"}));
    // The synchronous probe reports to the caller only.
    EXPECT_EQ(model->rowCount(), 3);
}

// ---------------------------------------------------------------- sorting

TEST_F(DevPage, HeaderClickSortsAndFreezesTheListUntilRefresh) {
    page->recv_lidarHeart(record(udpStatus("C", "M", 30)));
    page->recv_lidarHeart(record(udpStatus("A", "M", 10)));
    page->recv_lidarHeart(record(udpStatus("B", "M", 20)));
    page->show();
    QHeaderView* header = view->horizontalHeader();
    const int x =
        header->sectionViewportPosition(Page_Dev::ColAddress) + header->sectionSize(Page_Dev::ColAddress) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    QStringList order;
    for (int r = 0; r < model->rowCount(); ++r) order << at(r, 3);
    const QStringList ascending{"172.16.5.10:2112", "172.16.5.20:2112", "172.16.5.30:2112"};
    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());
    EXPECT_TRUE(order == ascending || order == descending) << order.join(' ').toStdString();

    page->recv_lidarHeart(record(udpStatus("D", "M", 40)));
    EXPECT_EQ(model->rowCount(), 3);

    pressButton("pb_refresh");
    page->recv_lidarHeart(record(udpStatus("D", "M", 40)));
    EXPECT_EQ(model->rowCount(), 1);
}

// ---------------------------------------------------------------- main window operations

TEST_F(DevPage, ConnectByAddressFindsTheRow) {
    std::vector<uint8_t> boxed = udpStatus("SN2", "M", 5);
    boxed[51] = 1;
    page->recv_lidarHeart(record(boxed));
    QSignalSpy start(page.get(), &Page_Dev::sig_start);
    bool isBox = false;
    EXPECT_TRUE(page->connectByAddress("UDP", "172.16.5.5", 2113, 2112, isBox));
    EXPECT_TRUE(isBox);
    ASSERT_EQ(start.count(), 1);
    EXPECT_EQ(start.at(0).at(1).toString(), "172.16.5.5");
    EXPECT_EQ(start.at(0).at(2).toInt(), 2113);
    EXPECT_EQ(at(0, 12), "Connected");

    BoxAnswerer ok(QMessageBox::Ok);
    EXPECT_FALSE(page->connectByAddress("UDP", "172.16.5.99", 2113, 2112, isBox));
    EXPECT_EQ(ok.seen.text, "The Lidar does not exist!");
    EXPECT_EQ(ok.seen.title, "warm");
    // The current connection keeps its mark.
    EXPECT_EQ(at(0, 12), "Connected");
    EXPECT_EQ(start.count(), 1);
}

TEST_F(DevPage, UpdateConnectedAddressMovesTheUdpMark) {
    page->recv_lidarHeart(record(udpStatus("SN1", "M", 4)));
    page->recv_lidarHeart(record(udpStatus("SN2", "M", 6)));
    click(0);
    pressButton("pb_connect");
    page->updateConnectedAddress("172.16.5.6", 2112);
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(at(0, 3), "172.16.5.6:2112");
    EXPECT_EQ(at(0, 12), "Connected");
    EXPECT_EQ(page->connectedAddress(), "172.16.5.6");
    // The removed address is a new device again when it next announces itself.
    page->recv_lidarHeart(record(udpStatus("SN1", "M", 4)));
    EXPECT_EQ(model->rowCount(), 2);
}

TEST_F(DevPage, UpdateConnectedAddressRewritesTheSerialRow) {
    page->recv_lidarHeart(serialRecord("ttyUSB0", 460800));
    click(0);
    pressButton("pb_connect");
    page->updateConnectedAddress("ttyUSB0", 921600);
    EXPECT_EQ(at(0, 3), "ttyUSB0:921600");
    QSignalSpy restart(page.get(), &Page_Dev::sig_restart);
    BoxAnswerer ok(QMessageBox::Ok);
    pressButton("pb_connect");
    ASSERT_EQ(restart.count(), 1);
    EXPECT_EQ(restart.at(0).at(2).toInt(), 921600);
}

// ---------------------------------------------------------------- translations

TEST(DevPageTranslation, ChineseCatalogueTranslatesThePage) {
    ScratchSettings scratch;
    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral(VANTREL_QM_DIR "/Chinese.qm")));
    QCoreApplication::installTranslator(&translator);
    {
        Page_Dev page;
        page.setProbeIoFactory([] { return std::unique_ptr<SerialProbeIo>(); });
        auto* model = qobject_cast<QStandardItemModel*>(page.findChild<QTableView*>()->model());
        EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("序号 "));
        EXPECT_EQ(page.findChild<QPushButton*>("pb_refresh")->text(), QString::fromUtf8("刷新"));
        EXPECT_EQ(page.findChild<QPushButton*>("pb_connect_stop")->text(), QString::fromUtf8("断开"));
        std::vector<uint8_t> d = udpStatus("SN1", "M");
        d[96] = 1;  // no data
        page.recv_lidarHeart(record(d));
        EXPECT_EQ(model->item(0, Page_Dev::ColAlarm)->text(), QString::fromUtf8("无数据"));
    }
    QCoreApplication::removeTranslator(&translator);
}

// Regression: the page used to keep the texts of the language it was built
// in, so a switch at run time left the device list in the old language.
TEST(DevPageTranslation, SwitchAtRunTimeRetranslatesButtonsAndHeaders) {
    ScratchSettings scratch;
    Page_Dev page;
    page.setProbeIoFactory([] { return std::unique_ptr<SerialProbeIo>(); });
    auto* model = qobject_cast<QStandardItemModel*>(page.findChild<QTableView*>()->model());
    EXPECT_EQ(page.findChild<QPushButton*>("pb_refresh")->text(), QStringLiteral("Refresh"));

    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral(VANTREL_QM_DIR "/Chinese.qm")));
    QCoreApplication::installTranslator(&translator);
    QCoreApplication::processEvents();
    EXPECT_EQ(page.findChild<QPushButton*>("pb_refresh")->text(), QString::fromUtf8("刷新"));
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("序号 "));

    QCoreApplication::removeTranslator(&translator);
    QCoreApplication::processEvents();
    EXPECT_EQ(page.findChild<QPushButton*>("pb_refresh")->text(), QStringLiteral("Refresh"));
}

// ---------------------------------------------------------------- address conflicts

namespace {

bool marked(QStandardItemModel* model, int row) {
    return model->item(row, Page_Dev::ColAddress)->data(Qt::BackgroundRole).isValid();
}

}  // namespace

TEST_F(DevPage, TwoDevicesClaimingOneAddressAreBothMarked) {
    QSignalSpy conflicts(page.get(), &Page_Dev::sig_addressConflicts);
    auto* label = page->findChild<QLabel*>("lb_conflict");
    ASSERT_NE(label, nullptr);
    page->show();
    page->recv_lidarHeart(record(udpStatus("SN1", "M", 4)));
    std::vector<uint8_t> second = udpStatus("SN2", "M", 4);
    hb::put16(second, 78, 2200);  // same address, another port and serial number
    page->recv_lidarHeart(record(udpStatus("SN3", "M", 9)));
    EXPECT_FALSE(label->isVisible());
    page->recv_lidarHeart(record(second));

    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_TRUE(marked(model, 0));
    EXPECT_FALSE(marked(model, 1));
    EXPECT_TRUE(marked(model, 2));
    EXPECT_TRUE(model->item(2, Page_Dev::ColAddress)->toolTip().contains("SN1"));
    EXPECT_TRUE(label->isVisible());
    EXPECT_TRUE(label->text().contains("172.16.5.4")) << label->text().toStdString();
    ASSERT_EQ(conflicts.count(), 1);
    EXPECT_EQ(conflicts.last().at(0).toStringList(), QStringList{"172.16.5.4"});

    // Heartbeats of a known conflict change nothing further; refresh forgets it.
    page->recv_lidarHeart(record(second));
    EXPECT_EQ(conflicts.count(), 1);
    pressButton("pb_refresh");
    EXPECT_FALSE(label->isVisible());
    EXPECT_TRUE(page->addressConflicts().isEmpty());
}

TEST_F(DevPage, SerialNumberChangingBehindOneAddressIsAConflict) {
    page->recv_lidarHeart(record(udpStatus("SN1", "M")));
    page->recv_lidarHeart(record(udpStatus("OTHER", "M")));
    ASSERT_EQ(model->rowCount(), 1);  // one row per address
    EXPECT_TRUE(marked(model, 0));
    EXPECT_EQ(page->addressConflicts(), QStringList{"172.16.5.4"});
}

TEST_F(DevPage, BoxAndScannerOnOneAddressConflict) {
    page->recordBoxAddress("172.16.5.4");
    page->recordBoxAddress("172.16.5.200");
    EXPECT_TRUE(page->addressConflicts().isEmpty());
    page->recv_lidarHeart(record(udpStatus("SN1", "M")));
    EXPECT_TRUE(marked(model, 0));
    EXPECT_EQ(page->addressConflicts(), QStringList{"172.16.5.4"});
    EXPECT_TRUE(model->item(0, Page_Dev::ColAddress)->toolTip().contains("algorithm box"));
}

TEST_F(DevPage, ColumnsFitTheirContentsSoonAfterTheyChange) {
    page->resize(1200, 400);
    page->show();
    std::vector<uint8_t> d = udpStatus("SN1", "M");
    d[92] = d[93] = d[94] = d[95] = 1;  // a long alarm text
    page->recv_lidarHeart(record(d));
    const auto fits = [&](int column) {
        return view->columnWidth(column) > view->fontMetrics().horizontalAdvance(at(0, column));
    };
    ASSERT_FALSE(at(0, Page_Dev::ColAlarm).isEmpty());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return fits(Page_Dev::ColAlarm) && fits(Page_Dev::ColAddress); }, 5000));
    EXPECT_TRUE(view->isColumnHidden(Page_Dev::ColBox));
}
