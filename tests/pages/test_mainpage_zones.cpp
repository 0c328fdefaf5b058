// Zones through the whole window against the in-process simulator: a write
// from the point-cloud page is read back and verified, a scanner that keeps a
// corrupted copy is named, the I/O indicators follow the state records, and a
// screenshot of the point-cloud page with a zone set for review.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <vector>

#include "bqgraphicsitem.h"
#include "graphics_item_data.h"
#include "mainpage.h"
#include "netguard.h"
#include "page_lidar.h"
#include "qt_wait.h"
#include "queued_spy.h"
#include "recvdataproc.h"
#include "settings.h"
#include "simulator.h"
#include "zone_entries.h"

namespace {

constexpr int kTransferTimeoutMs = 60000;

ZoneEntry shape(int type, int kind, const std::vector<ZonePoint>& points) {
    return testsupport::zoneEntry(type, 0, kind, points);
}

// One of every shape in zone 0, a filter polygon cutting into the rectangle.
zones zoneSet() {
    const ZoneEntry entries[] = {
        shape(ZoneShapeRectangle, ZoneKindAlarm, {{500, -1500}, {2000, -300}}),
        shape(ZoneShapeEllipse, ZoneKindWarning, {{1300, 1500}, {1200, 800}}),
        shape(ZoneShapeSector, ZoneKindObservation, {{1350, 2250}, {2500, 800}}),
        shape(ZoneShapePolygon, ZoneKindAlarm, {{-2500, -500}, {-1000, -1200}, {-2000, -2500}}),
        shape(ZoneShapeFilter, ZoneKindAlarm, {{-1000, 800}, {-500, 800}, {-500, 1500}, {-1000, 1500}}),
    };
    zones z;
    for (const ZoneEntry& e : entries) z.entries[z.count++] = e;
    return z;
}

class WindowZones : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("VANTREL_SERIAL_PORTS", "");
        Settings::setDirectoryForTesting(m_dir.path().toStdString());
        ASSERT_TRUE(Settings::instance().Write("Standard", "Language", "English"));
        MainPage::setMessageHook([this](const QString& title, const QString& text) {
            m_messages.push_back(title + QStringLiteral(": ") + text);
        });
    }
    void TearDown() override { MainPage::setMessageHook({}); }

    bool said(const QString& line) const {
        for (const QString& m : m_messages)
            if (m == line || (line.endsWith(QLatin1Char('*')) && m.startsWith(line.chopped(1)))) return true;
        return false;
    }

    // Connects `page` to a simulated scanner on 127.0.0.2:port and waits until
    // the window has taken in the zone read every connection makes.
    bool connectAndSettle(MainPage& page, quint16 port, int local) {
        testsupport::QueuedSpy messages(page.receiver(), &RecvDataProc::sig_data);
        page.recv_start(QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), port, local);
        auto readEnded = [&] {
            for (const QList<QVariant>& m : messages)
                if (m.at(0).toInt() == 6) return true;
            return false;
        };
        if (!testsupport::waitUntil(readEnded, kTransferTimeoutMs)) return false;
        // The result is queued to the window by now; whatever is queued after it runs later.
        bool flushed = false;
        QMetaObject::invokeMethod(
            &page, [&] { flushed = true; }, Qt::QueuedConnection);
        return testsupport::waitUntil([&] { return flushed; }, 5000);
    }

    static sim::SimOptions scanner(quint16 port, const char* zoneFault = "") {
        sim::SimOptions o;
        o.udpAddress = QStringLiteral("127.0.0.2");
        o.udpPort = port;
        o.logCommands = false;
        o.zoneFault = QString::fromLatin1(zoneFault);
        return o;
    }

    QTemporaryDir m_dir;
    std::vector<QString> m_messages;
};

}  // namespace

TEST_F(WindowZones, WrittenZonesAreReadBackAndVerified) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    sim::Simulator sim(scanner(41560));
    ASSERT_TRUE(sim.start());
    MainPage page;
    ASSERT_TRUE(connectAndSettle(page, 41560, 41680));

    page.lidarPage()->loadZones(zoneSet());
    page.lidarPage()->on_pb_setzone_clicked();
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return said(QStringLiteral("warm: Zones written and verified (CRC 0x*")); },
        kTransferTimeoutMs))
        << (m_messages.empty() ? std::string("no message") : m_messages.back().toStdString());
    // The pages now hold what the scanner read back: every shape of the set.
    ASSERT_TRUE(testsupport::waitUntil([&] { return page.lidarPage()->workingZones().count == 5; }, 5000));
    EXPECT_EQ(page.lidarPage()->shapes().size(), 5);
    sim.stop();
}

TEST_F(WindowZones, ScannerKeepingACorruptedCopyIsNamedWithTheZone) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    sim::Simulator sim(scanner(41561, "corrupt-store"));
    ASSERT_TRUE(sim.start());
    MainPage page;
    ASSERT_TRUE(connectAndSettle(page, 41561, 41681));

    zones z;
    z.entries[z.count++] = shape(ZoneShapeRectangle, ZoneKindAlarm, {{500, -1500}, {2000, -300}});
    z.entries[0].zoneId = 6;
    page.lidarPage()->loadZones(z);
    page.lidarPage()->on_pb_setzone_clicked();
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return said(QStringLiteral("error: Zone 6 read back differs from what was written")); },
        kTransferTimeoutMs))
        << (m_messages.empty() ? std::string("no message") : m_messages.back().toStdString());
    EXPECT_FALSE(said(QStringLiteral("warm: Zones written and verified*")));
    sim.stop();
}

TEST_F(WindowZones, IndicatorsFollowTheFaultWordOfStateRecords) {
    struct Case {
        quint32 word;
        bool uart;
        QVector<int> states;  // health, obscured, observation, warning, alarm
    };
    const Case cases[] = {
        {0x0, false, {1, 0, 0, 0, 0}},          {0x4000 | 0x1000, false, {1, 0, 2, 0, 4}},
        {0x2 | 0x8000, false, {4, 4, 0, 0, 0}}, {0x20000 | 0x100000, true, {1, 4, 0, 3, 0}},
        {0x800, true, {4, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(MainPage::ioStates(c.word, c.uart), c.states) << std::hex << c.word;
}

// ---------------------------------------------------------------- screenshot for review

// Writes <build>/tests/screenshots/lidar_zones.png: the point-cloud page of a
// connected scanner with every shape of zone 0 drawn over the scan.
TEST_F(WindowZones, ScreenshotOfThePointCloudPageWithAZoneSet) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    sim::Simulator sim(scanner(41562));
    ASSERT_TRUE(sim.start());
    QDir().mkpath(QStringLiteral(VANTREL_SHOT_DIR));
    MainPage page;
    page.resize(1280, 800);
    page.show();
    ASSERT_TRUE(connectAndSettle(page, 41562, 41682));
    Page_lidar* lidar = page.lidarPage();
    lidar->loadZones(zoneSet());
    lidar->on_pb_addzone_clicked();  // the drawing tab slides in
    ASSERT_TRUE(testsupport::waitUntil([&] { return lidar->item()->pointCount() > 0; }, 10000));
    QApplication::setActiveWindow(&page);
    lidar->shapes().first()->setFocus();  // as if clicked: the rectangle shown in the drawing page
    QTest::qWait(800);                    // the panel's slide and a repaint of the cloud
    ASSERT_EQ(lidar->shapes().size(), 5);
    const QString file = QStringLiteral(VANTREL_SHOT_DIR "/lidar_zones.png");
    ASSERT_TRUE(lidar->grab().save(file)) << file.toStdString();
    EXPECT_GT(QFileInfo(file).size(), 0);
    sim.stop();
}
