#pragma once
// BPointItem: a small draggable handle of a zone shape (centre, edge or
// second edge). It belongs to one BGraphicsItem (its parent item) and tells
// it how the pointer moved; the shape decides what that means for its
// geometry. GUI thread only.

#include <QAbstractGraphicsShapeItem>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPointF>

class BGraphicsItem;

// One pair of parameters of a shape, in the entry's order (see zone_types.h).
struct Point_double {
    double x = 0;
    double y = 0;
};

class BPointItem : public QObject, public QAbstractGraphicsShapeItem {
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    enum PointType {
        Center = 0,   // moves the whole shape
        Edge = 1,     // reshapes
        Special = 2,  // the second edge (rectangle corner, sector's inner radius)
    };

    BPointItem(BGraphicsItem* parent, const QPointF& point, PointType type);

    // Position relative to the parent shape.
    QPointF getPoint() const { return m_point; }
    void setPoint(const QPointF& point);
    PointType getPointType() const { return m_type; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

signals:
    // The handle was pressed: its shape takes the focus.
    void sig_force();

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;

private:
    BGraphicsItem* shapeItem() const;

    QPointF m_point;
    PointType m_type;
};

using BPointItemList = QList<BPointItem*>;

Q_DECLARE_METATYPE(Point_double*)
Q_DECLARE_METATYPE(BPointItemList)

// Registers "Point*" (and "Point_double*") and "BPointItemList". Idempotent.
void registerShapeMetaTypes();
