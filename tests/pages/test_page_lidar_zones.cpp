// The point-cloud page's zone tools on their own (no scanner): copy, clear and
// write with their refusals, offline import, the direction switch, the
// resolution presets, the shapes of the edit zone and what they report back,
// polygon drawing through the scene, and the I/O display.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGraphicsSceneMouseEvent>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <memory>

#include "bqgraphicsitem.h"
#include "page_drawzone.h"
#include "page_lidar.h"
#include "page_test_support.h"
#include "param_file.h"
#include "qt_wait.h"
#include "zone_image.h"

namespace {

using pagetest::BoxAnswerer;

ZoneEntry rect(int zone, double bottom, double left, double top, double right) {
    ZoneEntry e;
    e.type = ZoneShapeRectangle;
    e.zoneId = zone;
    e.kind = ZoneKindAlarm;
    e.points[0] = {bottom, left};
    e.points[1] = {top, right};
    e.pointCount = 2;
    return e;
}

ZoneEntry sector(int zone, double start, double end, double far, double near) {
    ZoneEntry e = rect(zone, start, end, far, near);
    e.type = ZoneShapeSector;
    return e;
}

ZoneEntry polygon(int zone, int vertices) {
    ZoneEntry e;
    e.type = ZoneShapePolygon;
    e.zoneId = zone;
    e.kind = ZoneKindWarning;
    for (int i = 0; i < vertices; ++i) e.points[i] = {100.0 * (i % 5), 300.0 + 100 * (i / 5)};
    e.pointCount = vertices;
    return e;
}

zones listOf(std::initializer_list<ZoneEntry> entries) {
    zones z;
    for (const ZoneEntry& e : entries) z.entries[z.count++] = e;
    return z;
}

class LidarZones : public ::testing::Test {
protected:
    LidarZones() {
        registerTaskMetaTypes();
        page = std::make_unique<Page_lidar>();
    }

    QAction* menuAction(const char* button, const QString& text) {
        auto* tool = page->findChild<QToolButton*>(QString::fromLatin1(button));
        for (QAction* a : tool->menu()->actions())
            if (a->text() == text) return a;
        return nullptr;
    }
    void setEditZone(int zone) {
        page->findChild<QComboBox*>(QStringLiteral("cb_changezone"))->setCurrentIndex(zone);
    }
    // The zone list of the last write the page asked for.
    static zones lastWrite(const QSignalSpy& spy) {
        for (int i = spy.count() - 1; i >= 0; --i)
            if (spy.at(i).at(0).toInt() == 2) return spy.at(i).at(1).value<zones>();
        return zones{};
    }

    pagetest::ScratchSettings settings;
    std::unique_ptr<Page_lidar> page;
};

bool sameEntries(const zones& a, const zones& b) {
    if (a.count != b.count) return false;
    for (int i = 0; i < a.count; ++i) {
        const ZoneEntry &x = a.entries[i], &y = b.entries[i];
        if (x.type != y.type || x.zoneId != y.zoneId || x.kind != y.kind || x.pointCount != y.pointCount)
            return false;
        for (int p = 0; p < x.pointCount; ++p)
            if (x.points[p].first != y.points[p].first || x.points[p].second != y.points[p].second)
                return false;
    }
    return true;
}

}  // namespace

// ---------------------------------------------------------------- copy and clear

TEST_F(LidarZones, CopyingZoneThreeOntoItselfDoublesItsEntriesAndWrites) {
    page->loadZones(
        listOf({rect(3, 100, -200, 900, 200), rect(1, 0, 0, 500, 500), rect(3, 1000, -50, 2000, 50)}));
    setEditZone(3);
    QSignalSpy cmds(page.get(), &Page_lidar::sig_zoneCmd);
    QSignalSpy data(page.get(), &Page_lidar::sig_data);
    page->on_pb_copyzone_triggered(menuAction("pb_copyzone", QStringLiteral("3")));
    ASSERT_EQ(cmds.count(), 1);
    const zones written = lastWrite(cmds);
    const zones expected =
        listOf({rect(3, 100, -200, 900, 200), rect(1, 0, 0, 500, 500), rect(3, 1000, -50, 2000, 50),
                rect(3, 100, -200, 900, 200), rect(3, 1000, -50, 2000, 50)});
    EXPECT_TRUE(sameEntries(written, expected));
    EXPECT_TRUE(sameEntries(page->workingZones(), expected));
    EXPECT_EQ(page->drawZonePage()->entryCount(), 5);
    ASSERT_FALSE(data.isEmpty());
    EXPECT_EQ(data.last().at(0).toInt(), 11);
    EXPECT_EQ(data.last().at(1).toByteArray(), QByteArray("1"));
}

TEST_F(LidarZones, CopyToAnotherZoneReplacesItsEntries) {
    page->loadZones(listOf({rect(0, 100, -200, 900, 200), rect(2, 0, 0, 500, 500)}));
    setEditZone(0);
    QSignalSpy cmds(page.get(), &Page_lidar::sig_zoneCmd);
    page->on_pb_copyzone_triggered(menuAction("pb_copyzone", QStringLiteral("2")));
    EXPECT_TRUE(
        sameEntries(lastWrite(cmds), listOf({rect(0, 100, -200, 900, 200), rect(2, 100, -200, 900, 200)})));
}

TEST_F(LidarZones, CopyToAllThatWouldPassSixtyFourEntriesIsRefused) {
    const zones before =
        listOf({rect(0, 100, -200, 900, 200), rect(0, 1000, -200, 1900, 200), rect(0, 2000, -200, 2900, 200),
                rect(0, 3000, -200, 3900, 200), rect(0, 4000, -200, 4900, 200)});
    page->loadZones(before);
    setEditZone(0);
    QSignalSpy cmds(page.get(), &Page_lidar::sig_zoneCmd);
    BoxAnswerer answerer(QMessageBox::Ok);
    page->on_pb_copyzone_triggered(menuAction("pb_copyzone", QStringLiteral("All")));  // 5 x 16 = 80
    EXPECT_EQ(answerer.seen.text, QStringLiteral("The number of alarm zones more than the maximum limit!"));
    EXPECT_TRUE(cmds.isEmpty());
    EXPECT_TRUE(sameEntries(page->workingZones(), before));
}

TEST_F(LidarZones, ClearingOneZoneOrAllWritesAtOnce) {
    page->loadZones(listOf({rect(3, 100, -200, 900, 200), rect(1, 0, 0, 500, 500)}));
    QSignalSpy cmds(page.get(), &Page_lidar::sig_zoneCmd);
    page->on_pb_clearzone_triggered(menuAction("pb_clearzone", QStringLiteral("3")));
    EXPECT_TRUE(sameEntries(lastWrite(cmds), listOf({rect(1, 0, 0, 500, 500)})));
    page->on_pb_clearzone_triggered(menuAction("pb_clearzone", QStringLiteral("All")));
    ASSERT_EQ(cmds.count(), 2);
    EXPECT_EQ(lastWrite(cmds).count, 0);
    EXPECT_EQ(page->workingZones().count, 0);
    EXPECT_EQ(page->drawZonePage()->entryCount(), 0);
}

// ---------------------------------------------------------------- write refusals

TEST_F(LidarZones, WriteRefusalsNameTheProblemAndKeepTheList) {
    struct Case {
        const char* name;
        zones list;
        const char* preset;  // resolution preset chosen first, or null
        QString message;
    };
    const Case cases[] = {
        // Six polygons of 20 points: 6 x 20 x 8 = 960 bytes > 959.
        {"bytes",
         listOf({polygon(3, 20), polygon(3, 20), polygon(3, 20), polygon(3, 20), polygon(3, 20),
                 polygon(3, 20)}),
         nullptr, QStringLiteral("Zone ID:3:The number of alarm zones more than the maximum limit!")},
        {"near", listOf({sector(2, 300, 1200, 3000, 5)}), nullptr,
         QStringLiteral("The sector near distance  cannot be less than 10mm")},
        {"far", listOf({rect(1, 100, -200, 4500, 200)}), "Hand Detection",
         QStringLiteral("The drawing distance of the alarm zone exceeds 4000 mm, zone id 1")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        page->loadZones(c.list);
        if (c.preset)
            page->on_tb_resolution_triggered(menuAction("tb_resolution", QString::fromLatin1(c.preset)));
        QSignalSpy cmds(page.get(), &Page_lidar::sig_zoneCmd);
        BoxAnswerer answerer(QMessageBox::Ok);
        page->on_pb_setzone_clicked();
        EXPECT_EQ(answerer.seen.count, 1);
        EXPECT_EQ(answerer.seen.title, QStringLiteral("error"));
        EXPECT_EQ(answerer.seen.text, c.message);
        EXPECT_TRUE(cmds.isEmpty());
        EXPECT_TRUE(sameEntries(page->workingZones(), c.list));
    }
}

// ---------------------------------------------------------------- import and direction

TEST_F(LidarZones, OfflineImportTakesTheZoneSectionAndRefusesDamage) {
    QTemporaryDir dir;
    const zones stored = listOf({rect(0, 100, -200, 900, 300)});
    auto image = std::make_unique<ZoneDef>();
    ASSERT_EQ(zones_to_zonedef(stored, false, 0, *image), kZoneListOk);
    const auto* bytes = reinterpret_cast<const uint8_t*>(image.get());
    EEpromV101 block{};
    const QString good = dir.path() + "/good.lidar", noZone = dir.path() + "/block.lidar",
                  damaged = dir.path() + "/damaged.lidar";
    ASSERT_TRUE(write_param_file(good.toStdString(), bytes, &block));
    ASSERT_TRUE(write_param_file(noZone.toStdString(), nullptr, &block));
    image->records[0][5] ^= 0x40;  // a shape value changed, the header CRC left as it was
    ASSERT_TRUE(write_param_file(damaged.toStdString(), bytes, nullptr));

    page->loadZones(listOf({rect(4, 0, 0, 500, 500)}));
    const zones before = page->workingZones();
    for (const QString& bad : {noZone, damaged, dir.path() + "/missing.lidar"}) {
        SCOPED_TRACE(bad.toStdString());
        BoxAnswerer answerer(QMessageBox::Ok);
        EXPECT_FALSE(page->importZones(bad));
        EXPECT_EQ(answerer.seen.text, QStringLiteral("Off-line import of defense zones failed!"));
        EXPECT_TRUE(sameEntries(page->workingZones(), before));
    }
    QSignalSpy cmds(page.get(), &Page_lidar::sig_zoneCmd);
    ASSERT_TRUE(page->importZones(good));
    EXPECT_TRUE(sameEntries(page->workingZones(), stored));
    EXPECT_EQ(page->drawZonePage()->entryCount(), 1);
    EXPECT_TRUE(cmds.isEmpty());  // nothing goes to the scanner until the operator writes

    // After an import the direction switch reads the image again: lateral values change sign.
    QSignalSpy data(page.get(), &Page_lidar::sig_data);
    page->findChild<QComboBox*>(QStringLiteral("cb_direction"))->setCurrentIndex(1);
    EXPECT_TRUE(sameEntries(page->workingZones(), listOf({rect(0, 100, 200, 900, -300)})));
    ASSERT_FALSE(data.isEmpty());
    EXPECT_EQ(data.last().at(0).toInt(), 15);
}

TEST_F(LidarZones, DirectionSwitchBeforeAnyImportChangesOnlyTheView) {
    const zones list = listOf({rect(0, 100, -200, 900, 300)});
    page->loadZones(list);
    page->findChild<QComboBox*>(QStringLiteral("cb_direction"))->setCurrentIndex(1);
    EXPECT_TRUE(page->item()->isMirrored());
    EXPECT_EQ(page->direction(), 1);
    EXPECT_TRUE(sameEntries(page->workingZones(), list));
}

// ---------------------------------------------------------------- resolution presets

TEST_F(LidarZones, ResolutionPresetsSetTheDrawingLimitAndAreStored) {
    EXPECT_EQ(page->presetNames(), QStringList({"Hand Detection", "Arm Detection", "Leg Detection"}));
    page->on_tb_resolution_triggered(menuAction("tb_resolution", QStringLiteral("Arm Detection")));
    EXPECT_EQ(page->maxDrawDistance(), 5000);
    page->on_tb_resolution_triggered(menuAction("tb_resolution", QStringLiteral("reset")));
    EXPECT_EQ(page->maxDrawDistance(), 0);

    page->recv_map({"Wide", "Odd"}, {"12000", "twelve"});
    EXPECT_EQ(settings.settings().Read("Mapview", "Names"), "Wide|Odd");
    EXPECT_EQ(settings.settings().Read("Mapview", "Values"), "12000|twelve");
    page->on_tb_resolution_triggered(menuAction("tb_resolution", QStringLiteral("Wide")));
    EXPECT_EQ(page->maxDrawDistance(), 12000);
    page->on_tb_resolution_triggered(menuAction("tb_resolution", QStringLiteral("Odd")));
    EXPECT_EQ(page->maxDrawDistance(), 0);  // not a number: no limit

    // A new page starts from what was stored.
    Page_lidar again;
    EXPECT_EQ(again.presetNames(), QStringList({"Wide", "Odd"}));
}

// ---------------------------------------------------------------- shapes

TEST_F(LidarZones, EditZoneShapesAreDrawnAndTheirMovesComeBackIntoTheList) {
    page->loadZones(
        listOf({rect(1, 0, 0, 500, 500), rect(0, 1000, -500, 2000, 500), rect(0, 3000, -500, 4000, 500)}));
    setEditZone(0);
    ASSERT_TRUE(testsupport::waitUntil([&] { return page->shapes().size() == 2; }, 2000));
    BGraphicsItem* shape = page->shapes().first();
    EXPECT_EQ(shape->uuid(), 1);
    // 10 scene units at the default 0.1 units per mm: 100 mm to the right.
    shape->moveBy(10, 0);
    const ZoneEntry& moved = page->workingZones().entries[1];
    EXPECT_DOUBLE_EQ(moved.points[0].second, -400);
    EXPECT_DOUBLE_EQ(moved.points[1].second, 600);
    EXPECT_DOUBLE_EQ(page->drawZonePage()->entry(1).points[1].second, 600);
    EXPECT_EQ(page->drawZonePage()->currentEntry(), 2);

    setEditZone(1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return page->shapes().size() == 1; }, 2000));
    EXPECT_EQ(page->shapes().first()->uuid(), 0);
}

TEST_F(LidarZones, PolygonDrawnByClicksBecomesTheEntrysVertices) {
    setEditZone(2);
    page->drawZonePage()->setZoneNumber(2);
    page->drawZonePage()->on_pb_raw_clicked();
    // The autosave publishes the open polygon; the page lets the scene collect clicks.
    ASSERT_TRUE(testsupport::waitUntil([&] { return page->scene()->isCapturing(); }, 2000));
    auto click = [&](QPointF at, Qt::MouseButton button) {
        QGraphicsSceneMouseEvent event(QEvent::GraphicsSceneMousePress);
        event.setScenePos(at);
        event.setButton(button);
        event.setButtons(button);
        QApplication::sendEvent(page->scene(), &event);
    };
    click(QPointF(0, -100), Qt::LeftButton);
    click(QPointF(100, -100), Qt::LeftButton);
    click(QPointF(100, 0), Qt::LeftButton);
    click(QPointF(100, 0), Qt::RightButton);
    const ZoneEntry& e = page->workingZones().entries[0];
    ASSERT_EQ(e.pointCount, 3);
    // 0.1 scene units per mm; stored with forward pointing up.
    EXPECT_DOUBLE_EQ(e.points[1].first, 1000);
    EXPECT_DOUBLE_EQ(e.points[1].second, 1000);
    EXPECT_EQ(page->drawZonePage()->entry(0).pointCount, 3);
    EXPECT_FALSE(page->scene()->isCapturing());
}

// ---------------------------------------------------------------- I/O display

TEST_F(LidarZones, IoConfigurationAndIndicatorsShowWhatTheyAreGiven) {
    QByteArray map(12, '\0');
    map[0] = 0x05;  // outputs 1 and 3
    map[1] = 0x0A;  // outputs 2 and 4
    map[4] = 0x08;  // output 4 for status 5
    map[11] = 0x01;
    page->setIoConfig(true, map);
    EXPECT_EQ(page->findChild<QLabel*>("lb_iotype")->text(), QStringLiteral("NPN"));
    EXPECT_EQ(page->findChild<QLabel*>("lb_out1")->text(), QStringLiteral("13"));
    EXPECT_EQ(page->findChild<QLabel*>("lb_out2")->text(), QStringLiteral("24"));
    EXPECT_EQ(page->findChild<QLabel*>("lb_out3")->text(), QString());
    EXPECT_EQ(page->findChild<QLabel*>("lb_outmore")->toolTip(), QStringLiteral("4 5|1 12|"));

    page->setIoStates({1, 0, 2, 3, 4});
    EXPECT_TRUE(page->findChild<QLabel*>("lb_io1")->styleSheet().endsWith("background-color:rgb(0,255,0)"));
    EXPECT_TRUE(
        page->findChild<QLabel*>("lb_io2")->styleSheet().endsWith("background-color:rgb(190,190,190)"));
    EXPECT_TRUE(page->findChild<QLabel*>("lb_io5")->styleSheet().endsWith("background-color:rgb(255,0,0)"));
}
