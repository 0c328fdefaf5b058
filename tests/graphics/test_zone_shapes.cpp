// The zone shapes over the point cloud: each shape's millimetre conversion
// on a geometry worked out by hand, handle drags, the sector turning on
// release, polygon drawing with its vertex limit, focus and the context menus.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QMenu>
#include <cmath>
#include <memory>
#include <vector>

#include "../pages/page_test_support.h"
#include "bconcentricsector.h"
#include "bellipse.h"
#include "bpolygon.h"
#include "brectangle.h"
#include "zone_entries.h"
#include "zone_shapes.h"

namespace {

// One report of sig_syn, values copied out while the pointer is valid.
struct Report {
    int flag;
    int uuid;
    std::vector<Point_double> values;
};

class Shapes : public ::testing::Test {
protected:
    Shapes() {
        registerShapeMetaTypes();
        // 0.1 scene units per mm, the cloud dragged by (30, -20), the scanner at (5, 7).
        geometry.scale = 0.1;
        geometry.offset = QPoint(30, -20);
        geometry.origin = QPointF(5, 7);
    }

    template <class Item>
    Item* add(Item* item) {
        scene.addItem(item);
        QObject::connect(item, qOverload<Point_double*, int, int, int>(&BGraphicsItem::sig_syn), item,
                         [this](Point_double* data, int size, int uuid, int flag) {
                             reports.push_back({flag, uuid, std::vector<Point_double>(data, data + size)});
                         });
        return item;
    }

    void mouse(QGraphicsItem* target, QEvent::Type type, const QPointF& at, const QPointF& last) {
        QGraphicsSceneMouseEvent event(type);
        event.setScenePos(at);
        event.setLastScenePos(last);
        event.setButton(type == QEvent::GraphicsSceneMouseMove ? Qt::NoButton : Qt::LeftButton);
        event.setButtons(type == QEvent::GraphicsSceneMouseRelease ? Qt::NoButton : Qt::LeftButton);
        scene.sendEvent(target, &event);
    }

    static BPointItem* handle(BGraphicsItem* item, BPointItem::PointType role) {
        for (BPointItem* h : item->handles())
            if (h->getPointType() == role) return h;
        return nullptr;
    }

    static ZoneEntry entry(int type, const std::vector<ZonePoint>& points) {
        return testsupport::zoneEntry(type, 2, ZoneKindWarning, points);
    }

    QGraphicsScene scene;
    ShapeGeometry geometry;
    std::vector<Report> reports;
};

void expectValues(const std::vector<Point_double>& got, const std::vector<ZonePoint>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_NEAR(got[i].x, want[i].first, 1e-6) << "pair " << i;
        EXPECT_NEAR(got[i].y, want[i].second, 1e-6) << "pair " << i;
    }
}

}  // namespace

// ---------------------------------------------------------------- millimetres

// Scene point of (x mm, y mm down) = (x * 0.1 + 5 + 30, y * 0.1 + 7 - 20).
TEST_F(Shapes, EachShapeSitsWhereItsMillimetresSayAndReportsThemBack) {
    struct Case {
        int type;
        std::vector<ZonePoint> values;     // the entry
        std::vector<QPointF> handleScene;  // edge handles, worked out by hand
        std::vector<ZonePoint> reported;   // what the shape reports
    };
    const Case cases[] = {
        // Centre (-1000, 2000 up) -> (-65, -213); the edge half the size away.
        {ZoneShapeEllipse, {{-1000, 2000}, {600, 400}}, {{-35, -193}}, {{-1000, 2000}, {600, 400}}},
        // Corners (Buttom 500, Left -1500) -> (-115, -63) and (Top 2500, Right 1500) -> (185, -263).
        {ZoneShapeRectangle,
         {{500, -1500}, {2500, 1500}},
         {{-115, -63}, {185, -263}},
         {{500, -1500}, {2500, 1500}}},
        // Around (35, -13): 30 deg clockwise from ahead at 300 units, 120 deg at 100 units.
        {ZoneShapeSector,
         {{300, 1200}, {3000, 1000}},
         {{185, -272.8076211}, {121.6025404, 37}},
         {{300, 1200}, {3000, 1000}}},
        // Vertices (lateral, forward) -> scene; reported with y pointing down.
        {ZoneShapePolygon,
         {{0, 500}, {1500, 2500}, {-1500, 2500}},
         {{35, -63}, {185, -263}, {-115, -263}},
         {{0, -500}, {1500, -2500}, {-1500, -2500}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        BGraphicsItem* item = add(createZoneShape(entry(c.type, c.values), 7, geometry, false));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->type(), c.type);
        std::vector<QPointF> edges;
        for (BPointItem* h : item->handles())
            if (h->getPointType() != BPointItem::Center) edges.push_back(h->scenePos());
        ASSERT_EQ(edges.size(), c.handleScene.size());
        for (size_t i = 0; i < edges.size(); ++i) {
            EXPECT_NEAR(edges[i].x(), c.handleScene[i].x(), 1e-6);
            EXPECT_NEAR(edges[i].y(), c.handleScene[i].y(), 1e-6);
        }
        const QVector<Point_double> got = item->parameters();
        expectValues(std::vector<Point_double>(got.begin(), got.end()), c.reported);
    }
}

TEST_F(Shapes, MovingAWholeShapeReportsItsNewPlaceLive) {
    BGraphicsItem* ellipse =
        add(createZoneShape(entry(ZoneShapeEllipse, {{-1000, 2000}, {600, 400}}), 3, geometry, false));
    ellipse->moveBy(10, -5);  // 100 mm right, 50 mm up
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().flag, BGraphicsItem::SynLive);
    EXPECT_EQ(reports.back().uuid, 3);
    expectValues(reports.back().values, {{-900, 2050}, {600, 400}});
}

// ---------------------------------------------------------------- handles

TEST_F(Shapes, RectangleHandleDraggedOntoItselfEmitsNothing) {
    BGraphicsItem* rect =
        add(createZoneShape(entry(ZoneShapeRectangle, {{500, -1500}, {2500, 1500}}), 1, geometry, false));
    BPointItem* edge = handle(rect, BPointItem::Edge);
    ASSERT_NE(edge, nullptr);
    const QPointF at = edge->scenePos();
    mouse(edge, QEvent::GraphicsSceneMouseMove, at, at);
    EXPECT_TRUE(reports.empty());

    // A real move reports live, and the release reports once more with flag 1.
    mouse(edge, QEvent::GraphicsSceneMouseMove, at + QPointF(-10, 0), at);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].flag, BGraphicsItem::SynLive);
    expectValues(reports[0].values, {{500, -1600}, {2500, 1500}});
    mouse(edge, QEvent::GraphicsSceneMouseRelease, at + QPointF(-10, 0), at + QPointF(-10, 0));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].flag, BGraphicsItem::SynReleased);
}

TEST_F(Shapes, SectorHandleSetsFarDistanceAndStartAngle) {
    // Centre (35, -13); dragging the outer handle to straight ahead at 200 units.
    BGraphicsItem* sector =
        add(createZoneShape(entry(ZoneShapeSector, {{300, 1200}, {3000, 1000}}), 0, geometry, false));
    BPointItem* outer = handle(sector, BPointItem::Edge);
    mouse(outer, QEvent::GraphicsSceneMouseMove, QPointF(35, -213), outer->scenePos());
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().flag, BGraphicsItem::SynSectorLive);
    expectValues(reports.back().values, {{0, 1200}, {2000, 1000}});
}

TEST_F(Shapes, SectorTurnsWhenItsBodyIsDraggedAndReleased) {
    // Outer edge straight up at 100, inner edge to the right at 50, around the origin.
    auto* sector =
        add(new BConcentricSector(QPointF(0, 0), 100, 50, 90, 0, ZoneKindAlarm, 4, ShapeGeometry{}, false));
    EXPECT_FALSE(sector->flags() & QGraphicsItem::ItemIsMovable);
    const QVector<Point_double> before = sector->parameters();
    expectValues(std::vector<Point_double>(before.begin(), before.end()), {{0, 900}, {1000, 500}});

    // Less than one scene unit: nothing turns.
    mouse(sector, QEvent::GraphicsSceneMousePress, QPointF(20, -60), QPointF(20, -60));
    mouse(sector, QEvent::GraphicsSceneMouseRelease, QPointF(20.5, -60.5), QPointF(20.5, -60.5));
    EXPECT_TRUE(reports.empty());

    // 100 to the right: the edges move to (100, -100) and (150, 0): 45 deg and 0 deg.
    mouse(sector, QEvent::GraphicsSceneMousePress, QPointF(20, -60), QPointF(20, -60));
    mouse(sector, QEvent::GraphicsSceneMouseRelease, QPointF(120, -60), QPointF(120, -60));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].flag, BGraphicsItem::SynReleased);
    expectValues(reports[0].values, {{450, 900}, {1000, 500}});
    EXPECT_EQ(sector->pos(), QPointF(0, 0));  // turned, not moved
}

// ---------------------------------------------------------------- polygons

TEST_F(Shapes, PolygonOfTwentyVerticesIsKeptAndOfTwentyOneRefused) {
    for (const int n : {20, 21}) {
        SCOPED_TRACE(n);
        reports.clear();
        auto* polygon = add(new BPolygon(BGraphicsItem::Polygon, ZoneKindAlarm, 9, geometry, false));
        QList<QPointF> clicks;
        for (int i = 0; i < n; ++i) {
            clicks << QPointF(100 * std::cos(i * 0.3), 100 * std::sin(i * 0.3));
            polygon->pushPoint(clicks.last(), clicks, 0);
        }
        EXPECT_TRUE(reports.empty());  // nothing while drawing
        pagetest::BoxAnswerer answerer(QMessageBox::Ok);
        polygon->pushPoint(clicks.last(), clicks, 1);
        ASSERT_EQ(reports.size(), 1u);
        if (n == 20) {
            EXPECT_EQ(answerer.seen.count, 0);
            EXPECT_EQ(reports[0].flag, BGraphicsItem::SynClosed);
            EXPECT_EQ(reports[0].values.size(), 20u);
            EXPECT_TRUE(polygon->isFinished());
        } else {
            EXPECT_EQ(answerer.seen.count, 1);
            EXPECT_EQ(answerer.seen.text,
                      QStringLiteral("Polygon vertices cannot more than 20,please redraw!"));
            EXPECT_TRUE(reports[0].values.empty());
            EXPECT_EQ(reports[0].uuid, 0);
            EXPECT_TRUE(polygon->handles().isEmpty());
        }
    }
}

TEST_F(Shapes, PolygonRebuiltWhileDrawingPicksUpEarlierClicks) {
    QList<QPointF> clicks = {QPointF(0, 0), QPointF(50, 0)};
    auto* polygon = add(new BPolygon(BGraphicsItem::FilterPolygon, ZoneKindAlarm, 1, geometry, false));
    clicks << QPointF(50, 50);
    polygon->pushPoint(clicks.last(), clicks, 0);
    EXPECT_EQ(polygon->vertices().size(), 3);
    polygon->pushPoint(clicks.last(), clicks, 2);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].flag, BGraphicsItem::SynClosedOther);
    // Another click after closing changes nothing.
    clicks << QPointF(0, 50);
    polygon->pushPoint(clicks.last(), clicks, 0);
    EXPECT_EQ(polygon->vertices().size(), 3);
}

// ---------------------------------------------------------------- focus and menus

TEST_F(Shapes, FocusReportsAndFilterPolygonMenuIsShorter) {
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&scene, &activate);
    const std::vector<ZonePoint> triangle = {{0, 500}, {1500, 2500}, {-1500, 2500}};
    struct Case {
        int type;
        QStringList actions;
    };
    const Case cases[] = {
        {ZoneShapePolygon, {"refresh", "filter", "add", "delete"}},
        {ZoneShapeFilter, {"refresh", "delete"}},
    };
    for (const Case& c : cases) {
        BGraphicsItem* item = add(createZoneShape(entry(c.type, triangle), 5, geometry, false));
        QMenu unfocused;
        item->fillContextMenu(unfocused);
        EXPECT_TRUE(unfocused.actions().isEmpty());  // only a focused shape offers a menu

        reports.clear();
        item->setFocus();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].flag, BGraphicsItem::SynReleased);
        QMenu menu;
        item->fillContextMenu(menu);
        QStringList texts;
        for (QAction* a : menu.actions()) texts << a->text();
        EXPECT_EQ(texts, c.actions);

        int deleted = -1;
        QObject::connect(item, &BGraphicsItem::sig_delete, [&](int uuid) { deleted = uuid; });
        menu.actions().last()->trigger();
        EXPECT_EQ(deleted, 5);
    }
}
