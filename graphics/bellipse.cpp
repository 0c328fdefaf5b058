#include "bellipse.h"

#include <cmath>

#include "zone_types.h"

BEllipse::BEllipse(const QPointF& center, const QPointF& edge, int kind, int uuid,
                   const ShapeGeometry& geometry, bool highlight)
    : BGraphicsItem(center, edge, Ellipse, kind, uuid, geometry, highlight) {
    addHandle(m_center, BPointItem::Center);
    addHandle(m_edge, BPointItem::Edge);
}

BEllipse* BEllipse::fromEntry(const ZoneEntry& entry, int uuid, const ShapeGeometry& geometry,
                              bool highlight) {
    const double cx = entry.points[0].first, cy = entry.points[0].second;
    const double w = entry.points[1].first, h = entry.points[1].second;
    const QPointF center = geometry.toScene(cx, -cy);
    const QPointF edge =
        center + QPointF(std::fabs(w) / 2 * geometry.scale, std::fabs(h) / 2 * geometry.scale);
    return new BEllipse(center, edge, entry.kind, uuid, geometry, highlight);
}

QVector<Point_double> BEllipse::parameters() const {
    const double k = m_geometry.scale;
    const QPointF mm = m_geometry.toMm(pos() + m_center);
    return {{mm.x(), -mm.y()},
            {std::fabs(m_edge.x() - m_center.x()) * 2 / k, std::fabs(m_edge.y() - m_center.y()) * 2 / k}};
}

void BEllipse::handleDragged(BPointItem* handle, const QPointF&, const QPointF& to) {
    if (handle->getPointType() == BPointItem::Edge) setEdge(to);
}

QRectF BEllipse::ellipseRect() const {
    const QPointF half(std::fabs(m_edge.x() - m_center.x()), std::fabs(m_edge.y() - m_center.y()));
    return QRectF(m_center - half, m_center + half);
}

QRectF BEllipse::boundingRect() const {
    return ellipseRect().united(QRectF(m_edge, QSizeF(0, 0))).adjusted(-4, -4, 4, 4);
}

QPainterPath BEllipse::shape() const {
    QPainterPath path;
    path.addEllipse(ellipseRect());
    return path;
}

void BEllipse::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    paintShape(painter, shape());
}
