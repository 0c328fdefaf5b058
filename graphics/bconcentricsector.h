#pragma once
// BConcentricSector: an annular sector around the scanner between an inner
// and an outer radius and between a start and an end angle. The edge handle
// sits on the outer radius at the start angle, the second-edge handle on the
// inner radius at the end angle. The sector does not move as a whole: a drag
// of its body turns it when released. Reports (Start angle, End angle) in
// 0.1 degree clockwise from straight ahead, (Far distance, Near distance) in mm.

#include "bqgraphicsitem.h"

struct ZoneEntry;

class BConcentricSector : public BGraphicsItem {
    Q_OBJECT

public:
    // Angles in degrees, counter-clockwise on screen from the positive x axis;
    // radii in scene units; `center` the scanner's position.
    BConcentricSector(const QPointF& center, double outerRadius, double innerRadius, double startDeg,
                      double endDeg, int kind, int uuid, const ShapeGeometry& geometry, bool highlight);
    static BConcentricSector* fromEntry(const ZoneEntry& entry, int uuid, const ShapeGeometry& geometry,
                                        bool highlight);

    double startAngle() const { return m_startDeg; }
    double endAngle() const { return m_endDeg; }
    double outerRadius() const { return m_outer; }
    double innerRadius() const { return m_inner; }

    // Angle of a point relative to the centre (scene axes, y down): degrees in
    // [0, 360), counter-clockwise on screen.
    static double angleOf(const QPointF& delta);

    QVector<Point_double> parameters() const override;
    void handleDragged(BPointItem* handle, const QPointF& from, const QPointF& to) override;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void edgeChanged() override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;

private:
    QPointF pointAt(double radius, double deg) const;
    void placeHandles();

    double m_outer = 0;
    double m_inner = 0;
    double m_startDeg = 0;
    double m_endDeg = 0;
    QPointF m_pressScene;
    bool m_pressed = false;
};
