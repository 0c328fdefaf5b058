#pragma once
// BRectangle: an axis-parallel rectangle between two opposite corners, each
// with its own handle (edge and second edge), moved by a centre handle.
// Reports (Buttom, Left), (Top, Right) in millimetres: Buttom and Top are
// forward values (up on screen), Left and Right lateral ones.

#include "bqgraphicsitem.h"

struct ZoneEntry;

class BRectangle : public BGraphicsItem {
    Q_OBJECT

public:
    BRectangle(const QPointF& corner, const QPointF& otherCorner, int kind, int uuid,
               const ShapeGeometry& geometry, bool highlight);
    static BRectangle* fromEntry(const ZoneEntry& entry, int uuid, const ShapeGeometry& geometry,
                                 bool highlight);

    QVector<Point_double> parameters() const override;
    void handleDragged(BPointItem* handle, const QPointF& from, const QPointF& to) override;

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    QRectF cornerRect() const { return QRectF(m_edge, m_anotherEdge).normalized(); }
    void recenter();
};
