#pragma once
// BPolygon: a polygon (or filter polygon) with one handle per vertex and,
// once closed, a centre handle that moves it. A new polygon is drawn through
// the scene's clicks (pushPoint) and closed by a right click; more than
// kMaxVertices vertices are refused. Reports its vertices in millimetres with
// y pointing down, in drawing order.

#include <QList>

#include "bqgraphicsitem.h"

struct ZoneEntry;

class BPolygon : public BGraphicsItem {
    Q_OBJECT

public:
    static constexpr int kMaxVertices = 20;

    // An open polygon waiting for its vertices (type Polygon or FilterPolygon).
    BPolygon(ItemType type, int kind, int uuid, const ShapeGeometry& geometry, bool highlight);
    // A closed polygon from an entry's vertices (lateral, forward in mm).
    static BPolygon* fromEntry(const ZoneEntry& entry, int uuid, const ShapeGeometry& geometry,
                               bool highlight);

    bool isFinished() const { return m_finished; }
    // Vertex positions (item coordinates), in drawing order.
    QList<QPointF> vertices() const;

    QVector<Point_double> parameters() const override;
    void handleDragged(BPointItem* handle, const QPointF& from, const QPointF& to) override;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

public slots:
    // The scene's clicks while drawing: `list` holds every point clicked so
    // far (scene coordinates). isCenter 0 adds vertices, 1 or 2 closes the
    // polygon (reported with flag 2 or 3). Ignored once closed.
    void pushPoint(QPointF p, QList<QPointF> list, int isCenter);

private:
    void close(int isCenter);

    QPolygonF polygon() const;
};
