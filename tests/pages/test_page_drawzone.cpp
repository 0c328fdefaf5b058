// The zone drawing page: default shapes, field edits (mirrored sector angles,
// the near-distance check, no current entry), the polygon button, copy and
// delete with their warnings, and the autosave that publishes the list.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <memory>

#include "page_drawzone.h"
#include "page_test_support.h"
#include "qt_wait.h"

namespace {

using pagetest::BoxAnswerer;

class DrawZone : public ::testing::Test {
protected:
    DrawZone() { registerTaskMetaTypes(); }

    QLineEdit* field(int n) { return page.findChild<QLineEdit*>(QStringLiteral("le_arg%1").arg(n)); }
    // Types into a field and finishes the edit as the operator would.
    void edit(int n, const QString& text) {
        field(n)->setText(text);
        emit field(n)->editingFinished();
    }

    Page_DrawZone page;
};

std::vector<double> values(const ZoneEntry& e) {
    return {e.points[0].first, e.points[0].second, e.points[1].first, e.points[1].second};
}

}  // namespace

TEST_F(DrawZone, ShapeButtonsAddTheirDefaultsAndPublishAtOnce) {
    struct Case {
        const char* button;
        int type;
        std::vector<double> stored;
    };
    const Case cases[] = {
        {"pb_ellipse", ZoneShapeEllipse, {-1000, -1000, 1000, 1000}},
        // (Buttom, Left), (Top, Right)
        {"pb_rect", ZoneShapeRectangle, {-1000, -1000, 1000, 1000}},
        // 30 and 120 degrees in 0.1 degree, far, near
        {"pb_span", ZoneShapeSector, {300, 1200, 3000, 1000}},
    };
    page.findChild<QComboBox*>(QStringLiteral("cb_zone"))->setCurrentIndex(5);
    page.findChild<QComboBox*>(QStringLiteral("cb_area"))->setCurrentIndex(2);
    QSignalSpy published(&page, &Page_DrawZone::sig_zonearg);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        page.findChild<QPushButton*>(QString::fromLatin1(c.button))->click();
        ASSERT_FALSE(published.isEmpty());
        const zones z = published.takeLast().at(0).value<zones>();
        const ZoneEntry& e = z.entries[z.count - 1];
        EXPECT_EQ(e.type, c.type);
        EXPECT_EQ(e.zoneId, 5);
        EXPECT_EQ(e.kind, ZoneKindAlarm);
        EXPECT_EQ(e.selected, 1);
        EXPECT_EQ(values(e), c.stored);
        EXPECT_EQ(page.currentEntry(), z.count);
    }
    EXPECT_EQ(page.entryCount(), 3);
}

TEST_F(DrawZone, MirroredSectorEditStoresTheOppositeAngle) {
    page.setMirrored(true);
    page.on_pb_span_clicked();
    // Defaults 30 and 120 degrees, mirrored: Start = 3600 - 1200, End = 3600 - 300.
    EXPECT_EQ(values(page.entry(0)), (std::vector<double>{2400, 3300, 3000, 1000}));
    edit(1, QStringLiteral("45"));  // the field that reads as the start holds the stored end
    EXPECT_EQ(page.entry(0).points[0].second, 3600 - 450);
    EXPECT_EQ(page.entry(0).points[0].first, 2400);
    // Shown again, the fields read as typed.
    page.showEntry(0);
    EXPECT_EQ(field(1)->text(), QStringLiteral("45.0"));
    EXPECT_EQ(field(2)->text(), QStringLiteral("120.0"));
}

TEST_F(DrawZone, NearDistanceUnderTenMillimetresIsRefusedAndTheFieldRestored) {
    page.on_pb_span_clicked();
    BoxAnswerer answerer(QMessageBox::Ok);
    edit(4, QStringLiteral("-9"));
    EXPECT_EQ(answerer.seen.count, 1);
    EXPECT_EQ(answerer.seen.title, QStringLiteral("error"));
    EXPECT_EQ(answerer.seen.text, QStringLiteral("The sector near distance  cannot be less than 10mm"));
    EXPECT_EQ(page.entry(0).points[1].second, 1000);
    EXPECT_EQ(field(4)->text(), QStringLiteral("1000"));
    EXPECT_FALSE(page.isDirty());
}

TEST_F(DrawZone, EditWithoutCurrentEntryChangesNothingAndPublishesNothing) {
    zones z;
    z.count = 1;
    z.entries[0].type = ZoneShapeEllipse;
    z.entries[0].points[1] = {500, 500};
    z.entries[0].pointCount = 2;
    page.loadZones(z);
    ASSERT_EQ(page.currentEntry(), 0);
    QSignalSpy published(&page, &Page_DrawZone::sig_zonearg);
    edit(3, QStringLiteral("1234"));
    page.recv_autosave();
    EXPECT_TRUE(published.isEmpty());
    EXPECT_EQ(page.entry(0).points[1].first, 500);
}

TEST_F(DrawZone, FieldEditIsPublishedByTheAutosaveTimer) {
    page.on_pb_rect_clicked();
    QSignalSpy published(&page, &Page_DrawZone::sig_zonearg);
    edit(3, QStringLiteral("2500"));  // Right
    ASSERT_TRUE(published.wait(2000));
    const zones z = published.takeFirst().at(0).value<zones>();
    EXPECT_EQ(z.entries[0].points[1].second, 2500);
    EXPECT_FALSE(page.isDirty());
}

TEST_F(DrawZone, TwoPolygonPressesLeaveOneUnfinishedPolygon) {
    page.on_pb_ellipse_clicked();
    page.on_pb_raw_clicked();
    page.on_pb_raw_clicked();
    ASSERT_EQ(page.entryCount(), 2);
    EXPECT_EQ(page.entry(0).type, ZoneShapeEllipse);
    EXPECT_EQ(page.entry(1).type, ZoneShapePolygon);
    EXPECT_EQ(page.entry(1).pointCount, 0);
    EXPECT_EQ(page.currentEntry(), 2);
    // A filter polygon started from a shape's menu replaces it, whatever the mode says.
    page.startFilterPolygon();
    ASSERT_EQ(page.entryCount(), 2);
    EXPECT_EQ(page.entry(1).type, ZoneShapeFilter);
}

TEST_F(DrawZone, CopyDeleteAndTheirLimits) {
    page.on_pb_ellipse_clicked();
    page.on_pb_span_clicked();
    page.recv_item_copy(1);
    ASSERT_EQ(page.entryCount(), 3);
    EXPECT_EQ(values(page.entry(2)), values(page.entry(1)));

    BoxAnswerer answerer(QMessageBox::Ok);
    page.recv_item_delete(3);  // one past the end
    EXPECT_EQ(answerer.seen.text, QStringLiteral("!!! 3 3"));
    EXPECT_EQ(page.entryCount(), 3);
    page.recv_item_delete(0);
    ASSERT_EQ(page.entryCount(), 2);
    EXPECT_EQ(page.entry(0).type, ZoneShapeSector);

    // A full list of 64 takes no further shape and says so.
    zones full;
    full.count = kMaxZoneEntries;
    for (int i = 0; i < full.count; ++i) full.entries[i] = page.entry(0);
    page.loadZones(full);
    answerer.seen = {};
    page.on_pb_ellipse_clicked();
    page.recv_item_copy(0);
    EXPECT_EQ(answerer.seen.count, 2);
    EXPECT_EQ(answerer.seen.text, QStringLiteral("The number of alarm zones more than the maximum limit!"));
    EXPECT_EQ(page.entryCount(), kMaxZoneEntries);
}

// The English form shows Chinese texts with the Chinese catalogue.
TEST(DrawZoneTranslation, ChineseCatalogueTranslatesThePage) {
    registerTaskMetaTypes();
    pagetest::InstalledCatalogue catalogue(QStringLiteral("Chinese"));
    ASSERT_TRUE(catalogue.loaded);
    Page_DrawZone page;
    EXPECT_EQ(page.findChild<QPushButton*>("pb_ellipse")->text(), QString::fromUtf8("椭圆"));
    EXPECT_EQ(page.findChild<QPushButton*>("pb_save")->text(), QString::fromUtf8("保存"));
    EXPECT_EQ(page.findChild<QComboBox*>("cb_area")->itemText(2), QString::fromUtf8("3.报警区域"));
}
