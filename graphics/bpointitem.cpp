#include "bpointitem.h"

#include <QCursor>
#include <QDebug>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

#include "bqgraphicsitem.h"

namespace {

constexpr qreal kHandleHalf = 4.0;

}  // namespace

void registerShapeMetaTypes() {
    qRegisterMetaType<Point_double*>("Point_double*");
    qRegisterMetaType<Point_double*>("Point*");
    qRegisterMetaType<BPointItemList>("BPointItemList");
}

BPointItem::BPointItem(BGraphicsItem* parent, const QPointF& point, PointType type)
    : QObject(nullptr), QAbstractGraphicsShapeItem(parent), m_point(point), m_type(type) {
    setPos(m_point);
    setFlags(ItemIsMovable | ItemIsSelectable | ItemIsFocusable);
    setCursor(type == Center ? Qt::OpenHandCursor : Qt::PointingHandCursor);
    setPen(QPen(Qt::cyan));
    setBrush(Qt::cyan);
    setZValue(1);  // above the shape's own outline
}

BGraphicsItem* BPointItem::shapeItem() const {
    return static_cast<BGraphicsItem*>(parentItem());
}

void BPointItem::setPoint(const QPointF& point) {
    m_point = point;
    setPos(point);
}

QRectF BPointItem::boundingRect() const {
    return QRectF(-kHandleHalf, -kHandleHalf, 2 * kHandleHalf, 2 * kHandleHalf);
}

void BPointItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    if (m_type == Center) return;  // the centre handle is felt, not seen
    painter->setPen(pen());
    painter->setBrush(brush());
    painter->drawEllipse(boundingRect());
}

void BPointItem::mousePressEvent(QGraphicsSceneMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    emit sig_force();
    event->accept();
}

void BPointItem::mouseMoveEvent(QGraphicsSceneMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    BGraphicsItem* shape = shapeItem();
    if (!shape) return;
    qDebug() << "BPointItem move" << m_type << "scene" << event->scenePos() << "item" << shape->pos();
    if (m_type == Center) {
        shape->moveBy(event->scenePos().x() - event->lastScenePos().x(),
                      event->scenePos().y() - event->lastScenePos().y());
        return;
    }
    const QPointF old = m_point;
    const QPointF now = shape->mapFromScene(event->scenePos());
    setPoint(now);
    shape->handleDragged(this, old, now);
    shape->update();
}

void BPointItem::mouseReleaseEvent(QGraphicsSceneMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (BGraphicsItem* shape = shapeItem()) shape->handleReleased(this);
}
