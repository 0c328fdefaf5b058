#pragma once
// BEllipse: an ellipse inscribed in the rectangle centred on the centre point
// and reaching the edge point; a centre handle moves it, an edge handle
// reshapes it. Reports (Center X, Center Y), (Width, Height) in millimetres,
// Center Y pointing up.

#include "bqgraphicsitem.h"

struct ZoneEntry;

class BEllipse : public BGraphicsItem {
    Q_OBJECT

public:
    BEllipse(const QPointF& center, const QPointF& edge, int kind, int uuid, const ShapeGeometry& geometry,
             bool highlight);
    // The shape of an ellipse entry (Center X, Center Y, Width, Height in mm).
    static BEllipse* fromEntry(const ZoneEntry& entry, int uuid, const ShapeGeometry& geometry,
                               bool highlight);

    QVector<Point_double> parameters() const override;
    void handleDragged(BPointItem* handle, const QPointF& from, const QPointF& to) override;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    QRectF ellipseRect() const;
};
