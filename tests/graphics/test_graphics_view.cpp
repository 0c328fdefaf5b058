// The point-cloud item, scene and view, driven the way the pages and the
// operator drive them: revolutions in, wheel and mouse events, and what ends up
// on screen (rendered pixels) or in the signals.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSceneWheelEvent>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <vector>

#include "graphics_item_data.h"

namespace {

constexpr float kPi = 3.14159265358979f;

struct Dot {
    float angle;     // radians
    float distance;  // metres
    uint8_t energy;
};

std::vector<RawData> revolutionOf(const std::vector<Dot>& dots) {
    std::vector<RawData> revolution(1);
    RawData& fan = revolution[0];
    for (const Dot& d : dots) {
        fan.points[fan.count].angle = d.angle;
        fan.points[fan.count].distance = d.distance;
        fan.points[fan.count].energy = d.energy;
        ++fan.count;
    }
    return revolution;
}

class PointCloud : public ::testing::Test {
protected:
    PointCloud() : item(new Graphics_Item_Data) { scene.addItem(item); }

    // The scene square of side `size` around the scanner, one pixel per item pixel:
    // scene (x, y) lands on pixel (x + size / 2, y + size / 2).
    QImage render(int size = 400) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(QColor(0, 0, 200));
        QPainter painter(&image);
        scene.render(&painter, QRectF(0, 0, size, size), QRectF(-size / 2.0, -size / 2.0, size, size));
        return image;
    }

    static QColor pixel(const QImage& image, double sceneX, double sceneY) {
        return image.pixelColor(static_cast<int>(std::floor(sceneX + image.width() / 2.0)),
                                static_cast<int>(std::floor(sceneY + image.height() / 2.0)));
    }

    void wheel(int delta) {
        QGraphicsSceneWheelEvent event(QEvent::GraphicsSceneWheel);
        event.setDelta(delta);
        event.setOrientation(Qt::Vertical);
        scene.sendEvent(item, &event);
    }

    void mouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QGraphicsSceneMouseEvent event(type);
        event.setButton(button);
        event.setButtons(buttons);
        event.setScenePos(at);
        event.setPos(item->mapFromScene(at));
        event.setButtonDownScenePos(Qt::LeftButton, at);
        scene.sendEvent(item, &event);
    }

    // Press, drag and release in capture mode; returns the emitted sector.
    range captureSector(QPointF from, QPointF to) {
        QSignalSpy spy(item, &Graphics_Item_Data::sig_scope);
        item->setMouseMode(1);
        mouse(QEvent::GraphicsSceneMousePress, from, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::GraphicsSceneMouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::GraphicsSceneMouseMove, to, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::GraphicsSceneMouseRelease, to, Qt::LeftButton, Qt::NoButton);
        EXPECT_EQ(spy.count(), 1);
        if (spy.count() != 1) return range{-1.0f, -1.0f};
        return spy.at(0).at(0).value<range>();
    }

    Graphics_scene scene;
    Graphics_Item_Data* item;  // owned by the scene
};

double degrees(double radians) {
    return radians * 180.0 / M_PI;
}

// ---------------------------------------------------------------- placement

TEST_F(PointCloud, PointAtZeroAngleOneMetreIsStraightAboveCentre) {
    item->setRevolution(revolutionOf({{0.0f, 1.0f, 50}}));
    ASSERT_EQ(item->pointCount(), 1);
    // 1000 mm at the initial 0.1 px/mm, screen up is negative y.
    EXPECT_NEAR(item->points()[0].x(), 0.0, 1e-6);
    EXPECT_NEAR(item->points()[0].y(), -100.0, 1e-6);
    EXPECT_EQ(item->energies()[0], 50);
}

TEST_F(PointCloud, QuarterTurnLiesRightAndMirroringPutsItLeft) {
    item->setRevolution(revolutionOf({{kPi / 2, 2.0f, 0}}));
    ASSERT_EQ(item->pointCount(), 1);
    EXPECT_NEAR(item->points()[0].x(), 200.0, 1e-3);
    EXPECT_NEAR(item->points()[0].y(), 0.0, 1e-3);

    // Turning mirroring on flips what is already shown...
    item->setMirrored(true);
    EXPECT_NEAR(item->points()[0].x(), -200.0, 1e-3);
    // ...and the next revolution lands mirrored too.
    item->setRevolution(revolutionOf({{kPi / 2, 2.0f, 0}, {0.0f, 1.0f, 0}}));
    ASSERT_EQ(item->pointCount(), 2);
    EXPECT_NEAR(item->points()[0].x(), -200.0, 1e-3);
    EXPECT_NEAR(item->points()[1].y(), -100.0, 1e-3);
}

TEST_F(PointCloud, ZeroDistanceAndNoEchoCodesAreNotDrawn) {
    // Distances as the decoder delivers them: whole millimetres over 1000.
    item->setRevolution(revolutionOf({{0.1f, 0.0f, 0},
                                      {0.2f, 65533 / 1000.0f, 0},
                                      {0.3f, 65535 / 1000.0f, 0},
                                      {0.4f, 80.0f, 0},
                                      {0.5f, 65532 / 1000.0f, 0},
                                      {0.6f, std::nanf(""), 0}}));
    ASSERT_EQ(item->pointCount(), 1);
    EXPECT_NEAR(std::hypot(item->points()[0].x(), item->points()[0].y()), 6553.2, 1e-2);
}

TEST_F(PointCloud, OversizedRevolutionIsBoundedToTheBuffer) {
    // 25 full fans, and one fan claiming more points than a fan can hold.
    std::vector<RawData> revolution(25);
    for (RawData& fan : revolution) {
        fan.count = kMaxFanPoints;
        for (RawPoint& p : fan.points) p.distance = 1.0f;
    }
    revolution[0].count = 60000;
    item->setRevolution(revolution);
    EXPECT_EQ(item->pointCount(), Graphics_Item_Data::kMaxPoints);
}

TEST_F(PointCloud, RevolutionsAreIgnoredWhileLiveUpdateIsOff) {
    item->setRevolution(revolutionOf({{0.0f, 1.0f, 0}}));
    item->setLiveUpdate(false);
    item->setRevolution(revolutionOf({{0.0f, 2.0f, 0}, {1.0f, 2.0f, 0}}));
    ASSERT_EQ(item->pointCount(), 1);
    EXPECT_NEAR(item->points()[0].y(), -100.0, 1e-6);
    item->setLiveUpdate(true);
    item->setRevolution(revolutionOf({{0.0f, 2.0f, 0}, {1.0f, 2.0f, 0}}));
    EXPECT_EQ(item->pointCount(), 2);
}

// ---------------------------------------------------------------- rendering

TEST_F(PointCloud, PointsArePaintedInTheirEnergyColour) {
    // 1.5 m = 150 px: between two grid rings, away from every label.
    item->setRevolution(revolutionOf({{0.0f, 1.5f, 29}, {kPi / 2, 1.5f, 30}, {kPi, 1.5f, 255}}));
    const QImage image = render();
    EXPECT_EQ(pixel(image, 0, -150), QColor("#ffffff"));
    EXPECT_EQ(pixel(image, -1, -151), QColor("#ffffff"));
    EXPECT_EQ(pixel(image, 150, 0), QColor("#aaffaa"));
    EXPECT_EQ(pixel(image, 150, -1), QColor("#aaffaa"));
    EXPECT_EQ(pixel(image, 0, 150), QColor("#aa0055"));
    // No point on the left: at most the dim grid shows there.
    EXPECT_LT(qGray(pixel(image, -150, 0).rgb()), 80);
    EXPECT_EQ(pixel(image, -150, -37), QColor(Qt::black));
    // The whole range of byte energies, by the tens of 30.
    const char* expected[] = {"#ffffff", "#aaffaa", "#55ff55", "#00ff00", "#00aa55",
                              "#0055aa", "#0000ff", "#5500aa", "#aa0055"};
    for (int band = 0; band < 9; ++band)
        EXPECT_EQ(item->colorForEnergy(band * 30 + 15), QColor(expected[band])) << band;
}

TEST_F(PointCloud, MirroredPointIsPaintedOnTheLeft) {
    item->setMirrored(true);
    item->setRevolution(revolutionOf({{kPi / 2, 1.5f, 100}}));
    const QImage image = render();
    EXPECT_EQ(pixel(image, -150, 0), QColor("#00ff00"));
    EXPECT_LT(qGray(pixel(image, 150, 0).rgb()), 80);
}

TEST_F(PointCloud, LightThemeUsesBlackForWeakEchoesOnWhite) {
    item->setTheme(true, true);
    item->setRevolution(revolutionOf({{0.0f, 1.5f, 10}}));
    const QImage image = render();
    EXPECT_EQ(pixel(image, 0, -150), QColor(Qt::black));
    EXPECT_EQ(pixel(image, -150, -37), QColor(Qt::white));
}

TEST_F(PointCloud, LineModeJoinsThePointsIntoOneOutline) {
    item->setRevolution(
        revolutionOf({{0.0f, 1.5f, 0}, {kPi / 2, 1.5f, 0}, {kPi, 1.5f, 0}, {3 * kPi / 2, 1.5f, 0}}));
    // Halfway along the edge from the top point to the right point.
    const QImage dots = render();
    EXPECT_LT(qGray(pixel(dots, 75, -75).rgb()), 40);
    item->setLineMode(true);
    const QImage lines = render();
    EXPECT_GT(qGray(pixel(lines, 75, -75).rgb()), 100);
    // The closing edge, from the left point back to the top.
    EXPECT_GT(qGray(pixel(lines, -76, -75).rgb()), 100);
}

TEST_F(PointCloud, RectangularGridDrawsLinesEveryGridStep) {
    item->setGridMode(1);
    const QImage image = render();
    // A vertical grid line at x = 100 crosses y = 37; the cell inside stays dark.
    EXPECT_GT(qGray(pixel(image, 100, 37).rgb()), 10);
    EXPECT_EQ(pixel(image, 50, 37), QColor(Qt::black));
}

TEST_F(PointCloud, SweepShadesTheQuarterAheadOfItsAngle) {
    item->setSweep(true, 0, 0);  // held at 0: the quarter from three o'clock up to twelve
    const QImage image = render();
    // At 45 degrees the gradient (turned by 180) stands at 225 / 360 = 0.625 of
    // its turn: alpha 100 * (0.8 - 0.625) / 0.4 = 44 of white over black.
    const int shade = qGray(pixel(image, 120, -90).rgb());
    EXPECT_GE(shade, 36);
    EXPECT_LE(shade, 52);
    EXPECT_EQ(pixel(image, -120, 90), QColor(Qt::black));
    EXPECT_EQ(pixel(image, 120, 90), QColor(Qt::black));
}

// ---------------------------------------------------------------- wheel zoom

TEST_F(PointCloud, OneWheelStepBackGives1200AndForwardGives900) {
    QSignalSpy factor(item, &Graphics_Item_Data::sig_factor);
    wheel(-120);
    EXPECT_EQ(item->zoomLevel(), 1200);
    EXPECT_EQ(item->gridCount(), 53);  // 64000 / 1200
    EXPECT_EQ(item->extent(), 5300);
    EXPECT_EQ(item->boundingRect(), QRectF(-5300, -5300, 10600, 10600));
    ASSERT_EQ(factor.count(), 1);
    EXPECT_DOUBLE_EQ(factor.at(0).at(0).toDouble(), 5300.0 / 53 / 1200);

    item->setRange(0);
    wheel(120);
    EXPECT_EQ(item->zoomLevel(), 900);
    EXPECT_DOUBLE_EQ(item->pixelsPerMm(), 7100.0 / 71 / 900);
}

TEST_F(PointCloud, WheelForwardWalksTheZoomStepsDownToTheFinestGrid) {
    const int expected[] = {900, 800, 700, 600, 500, 450, 400, 350, 300, 250, 200, 180,
                            160, 140, 120, 100, 90,  80,  70,  60,  50,  45,  40,  35,
                            30,  25,  20,  18,  16,  14,  12,  10,  10,  10};
    for (int level : expected) {
        wheel(120);
        ASSERT_EQ(item->zoomLevel(), level);
    }
    EXPECT_EQ(item->gridCount(), 6400);
    EXPECT_DOUBLE_EQ(item->pixelsPerMm(), 10.0);
}

TEST_F(PointCloud, WheelBackStopsBeforeTheGridVanishes) {
    const int expected[] = {1200, 1400, 1600, 1800, 2000, 2500, 3000, 3500, 4000, 4500, 5000, 5500, 6000};
    for (int level : expected) {
        wheel(-120);
        ASSERT_EQ(item->zoomLevel(), level);
    }
    // Far beyond the coarsest step: at most one grid step of 64 m remains and
    // the scale stays finite (64000 / level would otherwise reach zero).
    for (int i = 0; i < 300; ++i) wheel(-120);
    EXPECT_EQ(item->zoomLevel(), 64000);
    EXPECT_EQ(item->gridCount(), 1);
    EXPECT_TRUE(std::isfinite(item->pixelsPerMm()));
    EXPECT_GT(item->pixelsPerMm(), 0.0);
    wheel(120);
    EXPECT_EQ(item->zoomLevel(), 63500);
}

TEST_F(PointCloud, WheelZoomRescalesTheShownRevolution) {
    item->setRevolution(revolutionOf({{0.0f, 1.0f, 0}}));
    item->setLiveUpdate(false);  // paused: zoom must still apply
    wheel(120);                  // 900 mm per grid step
    EXPECT_NEAR(item->points()[0].y(), -1000.0 * 100.0 / 900.0, 1e-6);
}

TEST_F(PointCloud, WheelOverTheViewZoomsTheItem) {
    Graphics_view view(&scene);
    view.resize(800, 600);
    view.show();
    view.centerOn(0, 0);
    QSignalSpy factor(item, &Graphics_Item_Data::sig_factor);
    const QPointF centre(view.viewport()->width() / 2.0, view.viewport()->height() / 2.0);
    QWheelEvent back(centre, view.viewport()->mapToGlobal(centre.toPoint()), QPoint(), QPoint(0, -120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &back);
    EXPECT_EQ(item->zoomLevel(), 1200);
    EXPECT_EQ(factor.count(), 1);
}

// ---------------------------------------------------------------- range

TEST_F(PointCloud, RangeSetsTheGridStepAndLimit) {
    item->setRevolution(revolutionOf({{0.0f, 1.0f, 0}}));
    item->setSweep(true, 30, 0);
    item->advanceFrame();
    ASSERT_EQ(item->sweepAngle(), 30);

    item->setRange(12800);
    EXPECT_EQ(item->zoomLevel(), 200);  // 12800 / 64
    EXPECT_EQ(item->maxRange(), 12800);
    EXPECT_DOUBLE_EQ(item->pixelsPerMm(), 0.5);
    EXPECT_EQ(item->boundingRect(), QRectF(-6400, -6400, 12800, 12800));
    EXPECT_EQ(item->sweepAngle(), 0);
    EXPECT_NEAR(item->points()[0].y(), -500.0, 1e-6);

    item->setRange(0);
    EXPECT_EQ(item->zoomLevel(), 1000);
    EXPECT_EQ(item->maxRange(), 0);
    EXPECT_DOUBLE_EQ(item->pixelsPerMm(), 0.1);
}

TEST_F(PointCloud, RangeLimitHoldsTheWheelBack) {
    item->setRange(6400);  // 100 mm per step
    ASSERT_EQ(item->zoomLevel(), 100);
    wheel(-120);  // looked up at 100 / 5 = 20: step 50 / 10
    EXPECT_EQ(item->zoomLevel(), 105);
    // Now 64000 / 105 = 609 steps; 21 has reached 6400 / 609 = 10.
    wheel(-120);
    EXPECT_EQ(item->zoomLevel(), 105);
    wheel(120);  // 20 < 21 <= 50: step 5
    EXPECT_EQ(item->zoomLevel(), 100);
}

TEST_F(PointCloud, TinyRangeKeepsAUsableScale) {
    item->setRange(10);  // shorter than 64 grid steps of a millimetre
    EXPECT_GE(item->zoomLevel(), 1);
    EXPECT_TRUE(std::isfinite(item->pixelsPerMm()));
    EXPECT_GT(item->pixelsPerMm(), 0.0);
}

// ---------------------------------------------------------------- mouse on the item

TEST_F(PointCloud, CaptureInOneQuadrantGivesItsBearings) {
    // Up-right of the scanner: corners (100,200),(200,200),(100,100),(200,100) with y up.
    const range r = captureSector(QPointF(100, -200), QPointF(200, -100));
    EXPECT_NEAR(r.start, degrees(std::atan(100.0 / 200.0)), 1e-3);
    EXPECT_NEAR(r.end, degrees(std::atan(200.0 / 100.0)), 1e-3);
    EXPECT_TRUE(item->capturedPoints().empty());
}

TEST_F(PointCloud, CaptureAcrossTheTopPassesThroughZero) {
    const range r = captureSector(QPointF(-100, -200), QPointF(100, -100));
    // From the upper-left corner (-100, 200) round through 0 to (100, 200).
    EXPECT_NEAR(r.start, 360.0 - degrees(std::atan(100.0 / 200.0)), 1e-3);
    EXPECT_NEAR(r.end, degrees(std::atan(100.0 / 200.0)), 1e-3);
}

TEST_F(PointCloud, CaptureAroundTheScannerOrAlongALineIsTheFullCircle) {
    range r = captureSector(QPointF(-100, -100), QPointF(100, 100));
    EXPECT_FLOAT_EQ(r.start, 0.0f);
    EXPECT_FLOAT_EQ(r.end, 360.0f);
    r = captureSector(QPointF(50, -100), QPointF(50, -300));
    EXPECT_FLOAT_EQ(r.start, 0.0f);
    EXPECT_FLOAT_EQ(r.end, 360.0f);
}

TEST_F(PointCloud, CaptureBelowAndRightStaysBetween90And180) {
    const range r = captureSector(QPointF(100, 100), QPointF(300, 200));
    // Lower-right: bearings 180 - atan(x / |y|).
    EXPECT_NEAR(r.start, 180.0 - degrees(std::atan(300.0 / 100.0)), 1e-3);
    EXPECT_NEAR(r.end, 180.0 - degrees(std::atan(100.0 / 200.0)), 1e-3);
}

TEST_F(PointCloud, CaptureOnTheLeftHorizonBearsWest) {
    // Regression: a corner exactly on the horizontal axis left of the scanner
    // is at 270, not 90 (atan(x / 0) folded into the wrong half).
    const range r = captureSector(QPointF(-200, 0), QPointF(-100, -100));
    EXPECT_NEAR(r.start, 270.0, 1e-3);
    EXPECT_NEAR(r.end, 360.0 - degrees(std::atan(100.0 / 100.0)), 1e-3);
}

TEST_F(PointCloud, MirroredCaptureIsReflected) {
    item->setMirrored(true);
    const range r = captureSector(QPointF(100, -200), QPointF(200, -100));
    EXPECT_NEAR(r.start, 360.0 - degrees(std::atan(200.0 / 100.0)), 1e-3);
    EXPECT_NEAR(r.end, 360.0 - degrees(std::atan(100.0 / 200.0)), 1e-3);
}

TEST_F(PointCloud, LongCaptureDragStillEndsAtTheReleasePoint) {
    QSignalSpy spy(item, &Graphics_Item_Data::sig_scope);
    item->setMouseMode(1);
    mouse(QEvent::GraphicsSceneMousePress, QPointF(100, -200), Qt::LeftButton, Qt::LeftButton);
    for (int i = 0; i < 20000; ++i)
        mouse(QEvent::GraphicsSceneMouseMove, QPointF(-300 + i % 50, 300), Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::GraphicsSceneMouseMove, QPointF(200, -100), Qt::NoButton, Qt::LeftButton);
    EXPECT_LE(item->capturedPoints().size(), Graphics_Item_Data::kMaxCaptured);
    mouse(QEvent::GraphicsSceneMouseRelease, QPointF(200, -100), Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(spy.count(), 1);
    const range r = spy.at(0).at(0).value<range>();
    EXPECT_NEAR(r.start, degrees(std::atan(0.5)), 1e-3);
    EXPECT_NEAR(r.end, degrees(std::atan(2.0)), 1e-3);
}

TEST_F(PointCloud, DraggingMovesTheItemAndReportsTheOffset) {
    QSignalSpy moved(item, &Graphics_Item_Data::sig_synScenePos);
    QSignalSpy scope(item, &Graphics_Item_Data::sig_scope);
    mouse(QEvent::GraphicsSceneMousePress, QPointF(10, 10), Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::GraphicsSceneMouseMove, QPointF(40, -20), Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::GraphicsSceneMouseRelease, QPointF(40, -20), Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(0).toPointF(), QPointF(30, -30));
    EXPECT_EQ(item->pos(), QPointF(30, -30));
    EXPECT_EQ(item->dragOffset(), QPointF(30, -30));
    EXPECT_EQ(scope.count(), 0);
    item->resetView();
    EXPECT_EQ(item->pos(), QPointF(0, 0));
}

// ---------------------------------------------------------------- timer

TEST_F(PointCloud, CaptionDisappearsAfterTwentyFiveTicks) {
    item->setCaption(2, QStringLiteral("zone written"));
    for (int i = 0; i < Graphics_Item_Data::kCaptionTicks; ++i) item->advanceFrame();
    EXPECT_EQ(item->caption(), QStringLiteral("zone written"));
    EXPECT_EQ(item->captionCode(), 2);
    item->advanceFrame();  // 26 ticks of 200 ms: about 5 s
    EXPECT_TRUE(item->caption().isEmpty());
    EXPECT_EQ(item->captionCode(), -1);
}

TEST_F(PointCloud, SweepTurnsByItsStepEitherWay) {
    item->setSweep(true, 100, 0);
    for (int i = 0; i < 4; ++i) item->advanceFrame();
    EXPECT_EQ(item->sweepAngle(), 40);  // 400 mod 360
    item->setSweep(true, 100, 1);
    item->advanceFrame();
    EXPECT_EQ(item->sweepAngle(), 300);
    item->setSweep(false, 100, 1);
    item->advanceFrame();
    EXPECT_EQ(item->sweepAngle(), 300);
}

TEST_F(PointCloud, CursorReadOutAngleIsClockwiseFromUp) {
    EXPECT_DOUBLE_EQ(Graphics_Item_Data::cursorAngle(QPointF(1000, 0), false), 90.0);
    EXPECT_DOUBLE_EQ(Graphics_Item_Data::cursorAngle(QPointF(0, -1000), false), 180.0);
    EXPECT_DOUBLE_EQ(Graphics_Item_Data::cursorAngle(QPointF(-1000, 0), false), 270.0);
    EXPECT_DOUBLE_EQ(Graphics_Item_Data::cursorAngle(QPointF(0, 1000), false), 360.0);
    EXPECT_DOUBLE_EQ(Graphics_Item_Data::cursorAngle(QPointF(1000, 0), true), 270.0);
}

// ---------------------------------------------------------------- scene

TEST(GraphicsScene, ClicksAreCollectedAndRightClickClosesTheFigure) {
    Graphics_scene scene;
    QSignalSpy spy(&scene, &Graphics_scene::updatePoint);
    auto click = [&](QPointF at, Qt::MouseButton button) {
        QGraphicsSceneMouseEvent event(QEvent::GraphicsSceneMousePress);
        event.setButton(button);
        event.setButtons(button);
        event.setScenePos(at);
        QApplication::sendEvent(&scene, &event);
    };
    click(QPointF(1, 1), Qt::LeftButton);
    EXPECT_EQ(spy.count(), 0);  // not capturing

    scene.setCaptureFlag(1);
    click(QPointF(10, 20), Qt::LeftButton);
    click(QPointF(30, 20), Qt::LeftButton);
    click(QPointF(5, 5), Qt::RightButton);  // two points are no figure
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(1).at(0).toPointF(), QPointF(30, 20));
    EXPECT_EQ(spy.at(1).at(1).value<QList<QPointF>>(), (QList<QPointF>{{10, 20}, {30, 20}}));
    EXPECT_EQ(spy.at(1).at(2).toInt(), 0);

    click(QPointF(20, 40), Qt::LeftButton);
    click(QPointF(7, 7), Qt::RightButton);
    ASSERT_EQ(spy.count(), 4);
    EXPECT_EQ(spy.at(3).at(1).value<QList<QPointF>>(), (QList<QPointF>{{10, 20}, {30, 20}, {20, 40}}));
    EXPECT_EQ(spy.at(3).at(2).toInt(), 1);
    EXPECT_FALSE(scene.isCapturing());
    EXPECT_TRUE(scene.capturedPoints().isEmpty());
}

// ---------------------------------------------------------------- view

TEST(GraphicsView, ZoomStaysCloseToOneToOne) {
    Graphics_view view;
    view.zoomIn();  // 1.1 is outside 0.95..1.05
    EXPECT_DOUBLE_EQ(view.transform().m11(), 1.0);
    EXPECT_DOUBLE_EQ(view.accumulatedScale(), 1.0);
    view.zoom(1.04f);
    EXPECT_NEAR(view.transform().m11(), 1.04, 1e-6);
    view.zoom(1.04f);  // 1.0816
    EXPECT_NEAR(view.transform().m11(), 1.04, 1e-6);
    view.zoomOut();  // 0.936
    EXPECT_NEAR(view.transform().m11(), 1.04, 1e-6);
    view.zoom(0.97f);
    EXPECT_NEAR(view.transform().m11(), 1.04 * 0.97, 1e-6);
    EXPECT_NEAR(view.accumulatedScale(), 1.04 * 0.97, 1e-6);
}

TEST(GraphicsView, TranslateMovesTheCentreAgainstTheDelta) {
    QGraphicsScene scene;
    Graphics_view view(&scene);
    view.resize(400, 300);
    view.show();
    view.centerOn(0, 0);
    const QPoint middle(view.viewport()->width() / 2, view.viewport()->height() / 2);
    const QPointF before = view.mapToScene(middle);
    view.translate(QPointF(40, -30));
    const QPointF after = view.mapToScene(middle);
    EXPECT_NEAR(after.x() - before.x(), -40.0, 1.0);
    EXPECT_NEAR(after.y() - before.y(), 30.0, 1.0);
}

TEST(GraphicsView, MouseReportsReachThePage) {
    QGraphicsScene scene;
    Graphics_view view(&scene);
    view.resize(400, 300);
    view.show();
    QSignalSpy moves(&view, &Graphics_view::sig_mouseMovePoint);
    QSignalSpy frag(&view, &Graphics_view::sig_mouseMoveFrag);
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
    QMouseEvent move(QEvent::MouseMove, QPointF(70, 80), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(70, 80));
    ASSERT_EQ(frag.count(), 2);
    EXPECT_TRUE(frag.at(0).at(0).toBool());
    EXPECT_FALSE(frag.at(1).at(0).toBool());
    ASSERT_GE(moves.count(), 1);
    EXPECT_EQ(moves.last().at(0).toPoint(), QPoint(70, 80));
}

TEST(GraphicsView, ShowsTheRevolutionOnScreen) {
    Graphics_scene scene;
    auto* item = new Graphics_Item_Data;
    scene.addItem(item);
    item->setRevolution(revolutionOf({{0.0f, 1.5f, 30}}));
    Graphics_view view(&scene);
    view.resize(400, 400);
    view.show();
    view.centerOn(0, 0);
    const QImage shot = view.viewport()->grab().toImage();
    // The view rounds its own offset when painting; allow for that pixel.
    auto near = [&](QPointF scenePoint, const QColor& colour) {
        const QPoint at = view.mapFromScene(scenePoint);
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (shot.pixelColor(at + QPoint(dx, dy)) == colour) return true;
        return false;
    };
    EXPECT_TRUE(near(QPointF(0, -150), QColor("#aaffaa")));
    EXPECT_FALSE(near(QPointF(0, 150), QColor("#aaffaa")));
    EXPECT_EQ(shot.pixelColor(view.mapFromScene(QPointF(-120, 90))), QColor(Qt::black));
}

TEST(GraphicsView, CaptureThroughTheViewEmitsTheSector) {
    Graphics_scene scene;
    auto* item = new Graphics_Item_Data;
    scene.addItem(item);
    item->setMouseMode(1);
    Graphics_view view(&scene);
    view.resize(600, 600);
    view.show();
    view.centerOn(0, 0);
    QSignalSpy scope(item, &Graphics_Item_Data::sig_scope);
    const QPoint from = view.mapFromScene(QPointF(100, -200));
    const QPoint to = view.mapFromScene(QPointF(200, -100));
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, to);
    ASSERT_EQ(scope.count(), 1);
    const range r = scope.at(0).at(0).value<range>();
    EXPECT_NEAR(r.start, degrees(std::atan(0.5)), 1.0);
    EXPECT_NEAR(r.end, degrees(std::atan(2.0)), 1.0);
}

}  // namespace
