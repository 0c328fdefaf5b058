#include "bconcentricsector.h"

#include <QDebug>
#include <QGraphicsSceneMouseEvent>
#include <QLineF>
#include <algorithm>
#include <cmath>

#include "zone_types.h"

namespace {

constexpr double kPi = 3.1415926535898;

double normalized(double deg) {
    deg = std::fmod(deg, 360.0);
    return deg < 0 ? deg + 360.0 : deg;
}

// Scene angle (counter-clockwise from +x) to the entry's angle in 0.1 degree
// (clockwise from straight ahead).
double entryAngle(double sceneDeg) {
    return 90.0 - sceneDeg >= 0 ? 10.0 * (90.0 - sceneDeg) : 10.0 * (450.0 - sceneDeg);
}

}  // namespace

BConcentricSector::BConcentricSector(const QPointF& center, double outerRadius, double innerRadius,
                                     double startDeg, double endDeg, int kind, int uuid,
                                     const ShapeGeometry& geometry, bool highlight)
    : BGraphicsItem(center, center, ConcentricSector, kind, uuid, geometry, highlight),
      m_outer(outerRadius),
      m_inner(innerRadius),
      m_startDeg(normalized(startDeg)),
      m_endDeg(normalized(endDeg)) {
    m_edge = pointAt(m_outer, m_startDeg);
    m_anotherEdge = pointAt(m_inner, m_endDeg);
    addHandle(m_edge, BPointItem::Edge);
    addHandle(m_anotherEdge, BPointItem::Special);
}

BConcentricSector* BConcentricSector::fromEntry(const ZoneEntry& entry, int uuid,
                                                const ShapeGeometry& geometry, bool highlight) {
    const double k = geometry.scale;
    return new BConcentricSector(geometry.toScene(0, 0), entry.points[1].first * k,
                                 entry.points[1].second * k, 90.0 - entry.points[0].first / 10.0,
                                 90.0 - entry.points[0].second / 10.0, entry.kind, uuid, geometry, highlight);
}

double BConcentricSector::angleOf(const QPointF& delta) {
    double deg = std::atan2(-delta.y(), delta.x()) * 180.0 / kPi;
    if (deg < 0) deg += 360.0;
    return deg;
}

QPointF BConcentricSector::pointAt(double radius, double deg) const {
    const double rad = deg * kPi / 180.0;
    return m_center + QPointF(radius * std::cos(rad), -radius * std::sin(rad));
}

QVector<Point_double> BConcentricSector::parameters() const {
    const double k = m_geometry.scale;
    const double a = m_startDeg;
    const double b = a < m_endDeg ? m_endDeg - 360.0 : m_endDeg;
    return {{entryAngle(a), entryAngle(b)}, {m_outer / k, m_inner / k}};
}

void BConcentricSector::edgeChanged() {
    report(SynSectorLive);
}

void BConcentricSector::handleDragged(BPointItem* handle, const QPointF&, const QPointF& to) {
    const QPointF delta = to - m_center;
    prepareGeometryChange();
    if (handle->getPointType() == BPointItem::Edge) {
        m_outer = std::hypot(delta.x(), delta.y());
        m_startDeg = angleOf(delta);
        setEdge(to);
    } else if (handle->getPointType() == BPointItem::Special) {
        m_inner = std::hypot(delta.x(), delta.y());
        m_endDeg = angleOf(delta);
        setAnotherEdge(to);
    }
}

void BConcentricSector::placeHandles() {
    m_edge = pointAt(m_outer, m_startDeg);
    m_anotherEdge = pointAt(m_inner, m_endDeg);
    for (BPointItem* handle : m_pointList)
        handle->setPoint(handle->getPointType() == BPointItem::Edge ? m_edge : m_anotherEdge);
}

void BConcentricSector::mousePressEvent(QGraphicsSceneMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pressScene = event->scenePos();
    m_pressed = true;
    event->accept();
}

void BConcentricSector::mouseReleaseEvent(QGraphicsSceneMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pressed) return;
    m_pressed = false;
    const QPointF drag = event->scenePos() - m_pressScene;
    if (std::fabs(drag.x()) < 1.0 && std::fabs(drag.y()) < 1.0) return;
    // Both edge points follow the drag; the sector turns to their new bearings
    // and keeps its radii.
    const QPointF edge = m_edge + drag - m_center;
    const QPointF another = m_anotherEdge + drag - m_center;
    auto degenerate = [](const QPointF& d) { return std::fabs(d.x()) < 0.1 && std::fabs(d.y()) < 0.1; };
    if (degenerate(edge) || degenerate(another)) {
        qDebug() << "error length" << edge << another;
        return;
    }
    prepareGeometryChange();
    m_startDeg = angleOf(edge);
    m_endDeg = angleOf(another);
    placeHandles();
    update();
    report(SynReleased);
}

QRectF BConcentricSector::boundingRect() const {
    const double r = std::max(m_outer, m_inner) + 4;
    return QRectF(m_center.x() - r, m_center.y() - r, 2 * r, 2 * r);
}

QPainterPath BConcentricSector::shape() const {
    const double outer = std::max(m_outer, m_inner), inner = std::min(m_outer, m_inner);
    // Clockwise on screen from the start to the end angle: drawn from the end
    // counter-clockwise round to the start.
    double sweep = normalized(m_startDeg - m_endDeg);
    if (sweep == 0) sweep = 360.0;
    QPainterPath pie;
    pie.moveTo(m_center);
    pie.arcTo(QRectF(m_center.x() - outer, m_center.y() - outer, 2 * outer, 2 * outer), m_endDeg, sweep);
    pie.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(m_center, inner, inner);
    return pie.subtracted(hole);
}

void BConcentricSector::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    paintShape(painter, shape());
}
