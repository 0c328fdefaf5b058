// The home page: the connection history read from the settings file, the
// reconnection request a double-click makes, the quick functions, and the
// round trip of a history entry through the device list page.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QListWidget>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTranslator>
#include <cstring>

#include "../task/heartbeat_builder.h"
#include "page_dev.h"
#include "page_main.h"
#include "page_test_support.h"

using pagetest::BoxAnswerer;
using pagetest::ScratchSettings;

namespace {

QListWidget* historyList(Page_Main& page) {
    return page.findChild<QListWidget*>("listWidget_history");
}

void doubleClickItem(QListWidget* list, int row) {
    list->window()->show();
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

// What the page asked of the main window, in order.
struct Requests {
    explicit Requests(Page_Main& page) {
        QObject::connect(&page, &Page_Main::sig_wait, [this](int s) { log << QString("wait %1").arg(s); });
        QObject::connect(&page, &Page_Main::sig_start, [this](QString t, QString ip, int pb, int rp) {
            log << QString("start %1 %2 %3 %4").arg(t, ip).arg(pb).arg(rp);
        });
    }
    QStringList log;
};

}  // namespace

TEST(HomePage, IntroductionAndClass) {
    ScratchSettings scratch;
    Page_Main page;
    EXPECT_EQ(page.property("Class").toString(), "Page_Main");
    const QString intro = page.findChild<QTextBrowser*>("textBrowser_introduct")->toPlainText();
    EXPECT_TRUE(intro.contains("lidar upper computer software is mainly used as a visualization tool"));
}

TEST(HomePageHistory, ListsAtMostTenEntriesOneLinePerField) {
    ScratchSettings scratch;
    for (int i = 0; i < 11; ++i)
        scratch.settings().Write("History", "history" + std::to_string(i),
                                 "Time:t" + std::to_string(i) + "|Model: |Type:UDP|Info:a:1|Remote:b:2");
    Page_Main page;
    QListWidget* list = historyList(page);
    ASSERT_EQ(list->count(), 10);
    EXPECT_EQ(list->item(0)->text(), "Time:t0\nModel: \nType:UDP\nInfo:a:1\nRemote:b:2");
    EXPECT_TRUE(list->item(9)->text().startsWith("Time:t9\n"));
}

TEST(HomePageHistory, ReadingStopsAtTheFirstEmptyEntry) {
    ScratchSettings scratch;
    scratch.settings().Write("History", "history0", "Time:a|Model: |Type:UDP|Info:a:1|Remote:b:2");
    scratch.settings().Write("History", "history2", "Time:c|Model: |Type:UDP|Info:a:1|Remote:b:2");
    Page_Main page;
    EXPECT_EQ(historyList(page)->count(), 1);
}

TEST(HomePageReconnect, UdpEntryRequestsItsLink) {
    ScratchSettings scratch;
    scratch.settings().Write(
        "History", "history0",
        "Time:2024-05-06 07:08:09.010|Model: |Type:UDP|Info:192.168.1.10:2368|Remote:192.168.1.88:6543");
    Page_Main page;
    Requests requests(page);
    doubleClickItem(historyList(page), 0);
    EXPECT_EQ(requests.log, QStringList({"wait 1", "start UDP 192.168.1.10 6543 2368"}));
}

TEST(HomePageReconnect, SerialEntryCarriesBaudRateAsRemotePort) {
    ScratchSettings scratch;
    scratch.settings().Write("History", "history0",
                             "Time:2024-05-06 07:08:09.010|Model: |Type:UART|Info:ttyUSB0:460800|Remote:");
    Page_Main page;
    Requests requests(page);
    doubleClickItem(historyList(page), 0);
    EXPECT_EQ(requests.log, QStringList({"wait 1", "start UART ttyUSB0 0 460800"}));
}

TEST(HomePageReconnect, MalformedEntriesAreRefused) {
    ScratchSettings scratch;
    scratch.settings().Write("History", "history0", "Time:x|Model: |Type:UDP|Info:10.0.0.1:2368");
    scratch.settings().Write("History", "history1", "Time:x|Model: |Type:UDP|Info:10.0.0.1|Remote:");
    scratch.settings().Write("History", "history2", "garbage");
    Page_Main page;
    Requests requests(page);
    for (int row = 0; row < 3; ++row) {
        BoxAnswerer ok(QMessageBox::Ok);
        doubleClickItem(historyList(page), row);
        EXPECT_EQ(ok.seen.count, 1) << row;
        EXPECT_EQ(ok.seen.title, "warm");
        EXPECT_EQ(ok.seen.text, "config.ini file is not correct!");
    }
    EXPECT_TRUE(requests.log.isEmpty()) << requests.log.join(';').toStdString();
}

TEST(HomePageQuickFunctions, DoubleClickAsksForTheFunction) {
    ScratchSettings scratch;
    Page_Main page;
    auto* list = page.findChild<QListWidget*>("listWidget_Navigation");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "save log");
    EXPECT_EQ(list->item(1)->text(), "open dev");
    EXPECT_EQ(list->iconSize(), QSize(80, 80));
    QSignalSpy skip(&page, &Page_Main::sig_skipFunc);
    doubleClickItem(list, 1);
    doubleClickItem(list, 0);
    ASSERT_EQ(skip.count(), 2);
    EXPECT_EQ(skip.at(0).at(0).toInt(), 1);
    EXPECT_EQ(skip.at(1).at(0).toInt(), 0);
}

// A connection made by double-click on the device list is offered on the
// home page after the next start, and asking for it again reaches the same
// device through the device list.
TEST(HomePageReconnect, HistoryRoundTripThroughTheDeviceList) {
    ScratchSettings scratch;
    Page_Dev dev;
    dev.setProbeIoFactory([] { return std::unique_ptr<SerialProbeIo>(); });
    dev.setMacLookup([](const std::string&, std::string& t) {
        t = "02-00-00-00-00-01";
        return true;
    });
    std::vector<uint8_t> d = hb::status112("SN1", "M");
    hb::put16(d, 80, 1);
    DevConnInfo conn;
    conn.type = 3;
    std::memcpy(conn.payload, d.data(), d.size());
    dev.recv_lidarHeart(conn);

    auto* view = dev.findChild<QTableView*>("tableView");
    dev.show();
    const QRect rect = view->visualRect(view->model()->index(0, 3));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    dev.findChild<QPushButton*>("pb_connect_stop")->click();

    Page_Main home;
    ASSERT_EQ(historyList(home)->count(), 1);
    // What the main window does with a request from the home page.
    QSignalSpy start(&dev, &Page_Dev::sig_start);
    bool isBox = true;
    QObject::connect(&home, &Page_Main::sig_start, &dev,
                     [&](QString type, QString ip, int portBaud, int remotePort) {
                         dev.connectByAddress(type, ip, portBaud, remotePort, isBox);
                     });
    doubleClickItem(historyList(home), 0);
    ASSERT_EQ(start.count(), 1);
    EXPECT_EQ(start.at(0).at(0).toString(), "UDP");
    EXPECT_EQ(start.at(0).at(1).toString(), "172.16.5.4");
    EXPECT_EQ(start.at(0).at(2).toInt(), 2113);
    EXPECT_EQ(start.at(0).at(3).toInt(), 2112);
    EXPECT_FALSE(isBox);
}

TEST(HomePageTranslation, ChineseCatalogueTranslatesThePage) {
    ScratchSettings scratch;
    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral(VANTREL_QM_DIR "/Chinese.qm")));
    QCoreApplication::installTranslator(&translator);
    {
        Page_Main page;
        const QString intro = page.findChild<QTextBrowser*>("textBrowser_introduct")->toPlainText();
        EXPECT_TRUE(intro.contains(QString::fromUtf8("可视化工具"))) << intro.toStdString();
        auto* list = page.findChild<QListWidget*>("listWidget_Navigation");
        EXPECT_EQ(list->item(0)->text(), QString::fromUtf8("保存日志"));
        EXPECT_EQ(list->item(1)->text(), QString::fromUtf8("打开设备"));
    }
    QCoreApplication::removeTranslator(&translator);
}
