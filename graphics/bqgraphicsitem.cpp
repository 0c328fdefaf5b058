#include "bqgraphicsitem.h"

#include <QAction>
#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>
#include <QPainter>

// ---------------------------------------------------------------- millimetres

QPointF ShapeGeometry::toScene(double xMm, double yDownMm) const {
    return QPointF(xMm * scale + origin.x() + offset.x(), yDownMm * scale + origin.y() + offset.y());
}

QPointF ShapeGeometry::toMm(const QPointF& scene) const {
    return QPointF((scene.x() - origin.x() - offset.x()) / scale,
                   (scene.y() - origin.y() - offset.y()) / scale);
}

// ---------------------------------------------------------------- the shape

namespace {

// Fill colours of the zone kinds, and of filter polygons.
QColor kindColor(int type, int kind, bool highlight) {
    QColor c;
    if (type == BGraphicsItem::FilterPolygon)
        c = highlight ? Qt::black : Qt::white;
    else if (kind == 0)
        c = Qt::blue;
    else if (kind == 1)
        c = Qt::yellow;
    else
        c = Qt::red;
    c.setAlpha(80);
    return c;
}

}  // namespace

BGraphicsItem::BGraphicsItem(const QPointF& center, const QPointF& edge, ItemType type, int kind, int uuid,
                             const ShapeGeometry& geometry, bool highlight)
    : QObject(nullptr),
      m_center(center),
      m_edge(edge),
      m_type(type),
      m_anotherEdge(edge),
      m_kind(kind),
      m_uuid(uuid),
      m_geometry(geometry) {
    m_penFocus = QPen(highlight ? Qt::black : Qt::white, 2);
    m_penNoFocus = QPen(highlight ? Qt::white : Qt::black, 2);
    setPen(m_penNoFocus);
    setBrush(kindColor(type, kind, highlight));
    setFlags(ItemIsSelectable | ItemIsFocusable | ItemSendsGeometryChanges |
             (type == ConcentricSector ? GraphicsItemFlags() : ItemIsMovable));
    setZValue(1);  // over the point cloud
}

BGraphicsItem::~BGraphicsItem() = default;

BPointItem* BGraphicsItem::addHandle(const QPointF& point, BPointItem::PointType role) {
    auto* handle = new BPointItem(this, point, role);
    connect(handle, &BPointItem::sig_force, this, [this] { setFocus(Qt::MouseFocusReason); });
    m_pointList.append(handle);
    return handle;
}

void BGraphicsItem::removeHandles() {
    for (BPointItem* handle : m_pointList) delete handle;  // child items: removed from the scene too
    m_pointList.clear();
}

void BGraphicsItem::setEdge(const QPointF& edge) {
    if (m_edge == edge) return;
    prepareGeometryChange();
    m_edge = edge;
    edgeChanged();
}

void BGraphicsItem::setAnotherEdge(const QPointF& edge) {
    if (m_anotherEdge == edge) return;
    prepareGeometryChange();
    m_anotherEdge = edge;
    edgeChanged();
}

void BGraphicsItem::edgeChanged() {
    report(SynLive);
}

void BGraphicsItem::setFilters(const QList<QPolygonF>& filtersMm) {
    m_filtersMm = filtersMm;
    update();
}

void BGraphicsItem::report(int flag) {
    QVector<Point_double> values = parameters();
    if (values.isEmpty()) return;  // a polygon with fewer than three handles says nothing yet
    emit sig_syn(values.data(), values.size(), m_uuid, flag);
    emit sig_syn(values.data(), values.size(), m_uuid);
}

void BGraphicsItem::handleReleased(BPointItem*) {
    report(SynReleased);
}

// ---------------------------------------------------------------- painting

QPainterPath BGraphicsItem::withFilterHoles(const QPainterPath& path) const {
    if (m_type == FilterPolygon || m_filtersMm.isEmpty()) return path;
    QPainterPath result = path;
    for (const QPolygonF& filter : m_filtersMm) {
        QPolygonF inItem;
        for (const QPointF& p : filter) inItem << m_geometry.toScene(p.x(), p.y()) - pos();
        QPainterPath hole;
        hole.addPolygon(inItem);
        hole.closeSubpath();
        if (result.intersects(hole)) result = result.subtracted(hole);
    }
    return result;
}

void BGraphicsItem::paintShape(QPainter* painter, const QPainterPath& path) {
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(pen());
    painter->setBrush(brush());
    painter->drawPath(withFilterHoles(path));
}

// ---------------------------------------------------------------- focus, menu, moves

void BGraphicsItem::focusInEvent(QFocusEvent* event) {
    setPen(m_penFocus);
    report(SynReleased);
    QAbstractGraphicsShapeItem::focusInEvent(event);
}

void BGraphicsItem::focusOutEvent(QFocusEvent* event) {
    setPen(m_penNoFocus);
    QAbstractGraphicsShapeItem::focusOutEvent(event);
}

void BGraphicsItem::fillContextMenu(QMenu& menu) {
    if (!hasFocus() || m_type < Polygon || m_type > FilterPolygon) return;
    connect(menu.addAction(tr("refresh")), &QAction::triggered, this, [this] { emit sig_refresh(); });
    if (m_type != FilterPolygon) {
        connect(menu.addAction(tr("filter")), &QAction::triggered, this, [this] { emit sig_filter(); });
        connect(menu.addAction(tr("add")), &QAction::triggered, this, [this] { emit sig_copy(m_uuid); });
    }
    connect(menu.addAction(tr("delete")), &QAction::triggered, this, [this] { emit sig_delete(m_uuid); });
}

void BGraphicsItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event) {
    QMenu menu;
    fillContextMenu(menu);
    if (menu.actions().isEmpty()) {
        event->ignore();
        return;
    }
    menu.exec(event->screenPos());
    event->accept();
}

QVariant BGraphicsItem::itemChange(GraphicsItemChange change, const QVariant& value) {
    if (change == ItemPositionHasChanged && m_type != ConcentricSector) report(SynLive);
    return QAbstractGraphicsShapeItem::itemChange(change, value);
}
