// The window's commissioning report against the in-process simulator: the
// engineer, site and file are answered through the hooks, the block and the
// zones are read again, and the PDF written is read back with poppler.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>

#include "audit_log.h"
#include "dialog_report.h"
#include "mainpage.h"
#include "netguard.h"
#include "page_lidar.h"
#include "page_message.h"
#include "pdf_read.h"
#include "qt_wait.h"
#include "settings.h"
#include "simulator.h"
#include "zone_image.h"

TEST(MainPageReport, WritesTheConnectedScannersReportWithItsZones) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    VANTREL_REQUIRE_POPPLER();
    QTemporaryDir dir;
    qputenv("VANTREL_SERIAL_PORTS", "");
    Settings::setDirectoryForTesting(dir.path().toStdString());
    const QString sharedTrail = audit_directory();
    audit_set_directory(dir.filePath("trail"));  // never the user's own trail
    QStringList messages;
    MainPage::setMessageHook([&](const QString&, const QString& text) { messages << text; });
    const QString out = dir.filePath("handover.pdf");
    pagemsg::setFileHook(
        [&](pagemsg::FileChoice, const QString&, const QString&, const QString&) { return out; });
    Dialog_Report::setAnswerHook([](QString* engineer, QString* site) {
        *engineer = QStringLiteral("王芳");
        *site = QStringLiteral("Dock 4");
        return true;
    });

    // The scanner holds zones 1 and B.
    auto list = std::make_unique<zones>();
    list->count = 2;
    list->entries[0].type = ZoneShapeRectangle;
    list->entries[0].zoneId = 1;
    list->entries[0].kind = ZoneKindAlarm;
    list->entries[0].pointCount = 2;
    list->entries[0].points[0] = {0, -500};
    list->entries[0].points[1] = {1000, 500};
    list->entries[1] = list->entries[0];
    list->entries[1].zoneId = 11;
    auto image = std::make_unique<ZoneDef>();
    ASSERT_EQ(zones_to_zonedef(*list, false, 1714640000, *image), kZoneListOk);
    QFile zonesFile(dir.filePath("scanner.zones"));
    ASSERT_TRUE(zonesFile.open(QIODevice::WriteOnly));
    zonesFile.write(reinterpret_cast<const char*>(image.get()), kZoneDefSize);
    zonesFile.close();
    sim::SimOptions o;
    o.udpAddress = QStringLiteral("127.0.0.2");
    o.udpPort = 41595;
    o.serialNumber = QStringLiteral("VTWIN0005");
    o.heartbeat = sim::HeartbeatKind::Off;
    o.logCommands = false;
    o.stateFile = dir.filePath("scanner");
    sim::Simulator scanner(o);
    QString error;
    ASSERT_TRUE(scanner.start(&error)) << error.toStdString();

    MainPage page;
    QSignalSpy finished(&page, &MainPage::sig_reportWritten);
    auto* reportButton = page.lidarPage()->findChild<QPushButton*>(QStringLiteral("pb_report"));
    ASSERT_NE(reportButton, nullptr);
    EXPECT_EQ(reportButton->text(), QStringLiteral("Commissioning report…"));
    EXPECT_FALSE(reportButton->isEnabled());
    // Without a scanner there is nothing to record.
    page.writeCommissioningReport();
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(messages.contains(QStringLiteral("Connect a scanner to write its commissioning report.")));

    page.recv_start(QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), 41595, 41695);
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return (page.stateFlags() & MainPage::kBlockReceived) && !page.shownRevolution().empty(); },
        20000));
    // Zones drawn on the page but not written yet survive the report's own read.
    auto drawn = std::make_unique<zones>();
    drawn->count = 1;
    drawn->entries[0] = list->entries[0];
    drawn->entries[0].zoneId = 5;
    page.lidarPage()->loadZones(*drawn);
    // The operator starts it from the point-cloud page.
    ASSERT_TRUE(reportButton->isEnabled());
    reportButton->click();
    ASSERT_TRUE(finished.wait(60000));
    ASSERT_TRUE(finished.front().at(0).toBool()) << finished.front().at(1).toString().toStdString();

    EXPECT_EQ(testsupport::pdfPages(out), 5);  // identity, parameters, zones 1 and B, verification
    const QString text = testsupport::pdfText(out);
    for (const QString& expected :
         {QStringLiteral("VTWIN0005"), QStringLiteral("王芳"), QStringLiteral("Dock 4"),
          QStringLiteral("udp://127.0.0.2:41595"), QStringLiteral("zone 1"), QStringLiteral("zone B"),
          QStringLiteral("the last revolution received")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n" << text.toStdString();
    ASSERT_EQ(page.lidarPage()->workingZones().count, 1);
    EXPECT_EQ(page.lidarPage()->workingZones().entries[0].zoneId, 5);

    MainPage::setMessageHook({});
    pagemsg::setFileHook({});
    Dialog_Report::setAnswerHook({});
    audit_set_directory(sharedTrail);
}
