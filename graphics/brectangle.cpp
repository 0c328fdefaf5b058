#include "brectangle.h"

#include "zone_types.h"

BRectangle::BRectangle(const QPointF& corner, const QPointF& otherCorner, int kind, int uuid,
                       const ShapeGeometry& geometry, bool highlight)
    : BGraphicsItem((corner + otherCorner) / 2, corner, Rectangle, kind, uuid, geometry, highlight) {
    m_anotherEdge = otherCorner;
    addHandle(m_center, BPointItem::Center);
    addHandle(m_edge, BPointItem::Edge);
    addHandle(m_anotherEdge, BPointItem::Special);
}

BRectangle* BRectangle::fromEntry(const ZoneEntry& entry, int uuid, const ShapeGeometry& geometry,
                                  bool highlight) {
    const double buttom = entry.points[0].first, left = entry.points[0].second;
    const double top = entry.points[1].first, right = entry.points[1].second;
    return new BRectangle(geometry.toScene(left, -buttom), geometry.toScene(right, -top), entry.kind, uuid,
                          geometry, highlight);
}

QVector<Point_double> BRectangle::parameters() const {
    const QPointF e = m_geometry.toMm(pos() + m_edge);
    const QPointF f = m_geometry.toMm(pos() + m_anotherEdge);
    return {{-e.y(), e.x()}, {-f.y(), f.x()}};
}

void BRectangle::recenter() {
    m_center = (m_edge + m_anotherEdge) / 2;
    for (BPointItem* handle : m_pointList)
        if (handle->getPointType() == BPointItem::Center) handle->setPoint(m_center);
}

void BRectangle::handleDragged(BPointItem* handle, const QPointF&, const QPointF& to) {
    if (handle->getPointType() == BPointItem::Edge)
        setEdge(to);
    else if (handle->getPointType() == BPointItem::Special)
        setAnotherEdge(to);
    recenter();
}

QRectF BRectangle::boundingRect() const {
    return cornerRect().adjusted(-4, -4, 4, 4);
}

void BRectangle::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    QPainterPath path;
    path.addRect(cornerRect());
    paintShape(painter, path);
}
