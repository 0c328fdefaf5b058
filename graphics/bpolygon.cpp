#include "bpolygon.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMessageBox>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "zone_types.h"

namespace {

// Relative tolerance 1e-12, and the same absolute tolerance near zero.
bool fuzzyEqual(double a, double b) {
    const double d = std::fabs(a - b);
    return d <= 1e-12 || d <= 1e-12 * std::max(std::fabs(a), std::fabs(b));
}

}  // namespace

BPolygon::BPolygon(ItemType type, int kind, int uuid, const ShapeGeometry& geometry, bool highlight)
    : BGraphicsItem(QPointF(), QPointF(), type, kind, uuid, geometry, highlight) {
    m_finished = false;
}

BPolygon* BPolygon::fromEntry(const ZoneEntry& entry, int uuid, const ShapeGeometry& geometry,
                              bool highlight) {
    auto* polygon = new BPolygon(ItemType(entry.type), entry.kind, uuid, geometry, highlight);
    const int n = std::clamp(entry.pointCount, 0, kMaxZonePoints);
    if (n == 0) return polygon;  // still to be drawn
    QPointF sum;
    for (int i = 0; i < n; ++i) {
        // Entries keep forward pointing up; the scene's y points down.
        const QPointF p = geometry.toScene(entry.points[i].first, -entry.points[i].second);
        polygon->addHandle(p, BPointItem::Edge);
        sum += p;
    }
    polygon->m_center = sum / n;
    polygon->m_edge = polygon->m_pointList.first()->getPoint();
    polygon->addHandle(polygon->m_center, BPointItem::Center);
    polygon->m_finished = true;
    return polygon;
}

QList<QPointF> BPolygon::vertices() const {
    QList<QPointF> out;
    for (const BPointItem* handle : m_pointList)
        if (handle->getPointType() == BPointItem::Edge) out << handle->getPoint();
    return out;
}

QPolygonF BPolygon::polygon() const {
    return QPolygonF(QVector<QPointF>::fromList(vertices()));
}

QVector<Point_double> BPolygon::parameters() const {
    QVector<Point_double> out;
    if (m_pointList.size() < 3) return out;
    // Every handle but the last (the centre, once closed).
    const int n = m_finished ? m_pointList.size() - 1 : m_pointList.size();
    for (int i = 0; i < n; ++i) {
        const QPointF mm = m_geometry.toMm(pos() + m_pointList[i]->getPoint());
        out.append({mm.x(), mm.y()});
    }
    return out;
}

void BPolygon::handleDragged(BPointItem* handle, const QPointF& from, const QPointF& to) {
    if (handle->getPointType() != BPointItem::Edge) return;
    prepareGeometryChange();
    // Vertices drawn onto one another move together.
    for (BPointItem* other : m_pointList) {
        if (other == handle || other->getPointType() != BPointItem::Edge) continue;
        const QPointF p = other->getPoint();
        if (fuzzyEqual(p.x(), from.x()) && fuzzyEqual(p.y(), from.y())) other->setPoint(to);
    }
    m_edge = to;
    report(SynLive);
}

void BPolygon::pushPoint(QPointF p, QList<QPointF> list, int isCenter) {
    if (m_finished) return;
    prepareGeometryChange();
    if (list.isEmpty()) list << p;
    // The scene keeps every click of this drawing: a polygon rebuilt while the
    // operator draws picks up the points it has not seen.
    for (int i = m_pointList.size(); i < list.size(); ++i) addHandle(mapFromScene(list[i]), BPointItem::Edge);
    update();
    if (isCenter == 1 || isCenter == 2) close(isCenter);
}

void BPolygon::close(int isCenter) {
    const QList<QPointF> points = vertices();
    QPointF sum;
    for (const QPointF& q : points) sum += q;
    m_center = points.isEmpty() ? QPointF() : sum / points.size();
    addHandle(m_center, BPointItem::Center);
    m_finished = true;
    if (points.size() > kMaxVertices) {
        QWidget* parent = nullptr;
        if (scene() && !scene()->views().isEmpty()) parent = scene()->views().first();
        QMessageBox::warning(parent, tr("error"), tr("Polygon vertices cannot more than 20,please redraw!"),
                             QMessageBox::Ok);
        prepareGeometryChange();
        removeHandles();
        update();
        emit sig_syn(nullptr, 0, 0, 0);
        emit sig_syn(nullptr, 0, 0);
        return;
    }
    report(isCenter == 1 ? SynClosed : SynClosedOther);
}

QRectF BPolygon::boundingRect() const {
    return polygon().boundingRect().adjusted(-4, -4, 4, 4);
}

QPainterPath BPolygon::shape() const {
    QPainterPath path;
    path.addPolygon(polygon());
    if (m_finished) path.closeSubpath();
    return path;
}

void BPolygon::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    const QPolygonF poly = polygon();
    if (poly.isEmpty()) return;
    if (!m_finished) {
        // Still being drawn: the edges so far.
        painter->setPen(pen());
        painter->drawPolyline(poly);
        return;
    }
    paintShape(painter, shape());
    painter->setPen(pen());
    painter->setBrush(Qt::NoBrush);
    painter->drawPolygon(poly);  // edges including the closing one
}
