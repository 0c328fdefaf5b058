#pragma once
// BGraphicsItem: the base of the editable zone shapes laid over the point
// cloud (ellipse, rectangle, annular sector, polygon). A shape draws itself
// with its handles (BPointItem) and reports every change of its geometry, in
// millimetres and in the zone entry's own parameter order, through sig_syn;
// the page that created it owns the zone data and copies the values back.
// GUI thread only.
//
// Scene and millimetres: a scene point S stands for the millimetres
// ((S.x - origin.x - offset.x) / scale, (S.y - origin.y - offset.y) / scale),
// y pointing down as on screen; `scale` is scene units per millimetre,
// `offset` the point cloud's displacement by dragging, `origin` where the
// scanner sits in the scene before that displacement.

#include <QAbstractGraphicsShapeItem>
#include <QList>
#include <QObject>
#include <QPainterPath>
#include <QPen>
#include <QPoint>
#include <QPointF>
#include <QPolygonF>
#include <QVector>

#include "bpointitem.h"

class QMenu;

// How one page maps millimetres onto its scene.
struct ShapeGeometry {
    double scale = 0.1;  // scene units per millimetre
    QPoint offset;       // view offset (point cloud drag), scene units
    QPointF origin;      // scanner origin, scene units

    // Millimetres (x right, y down) to a scene point, and back.
    QPointF toScene(double xMm, double yDownMm) const;
    QPointF toMm(const QPointF& scene) const;
};

class BGraphicsItem : public QObject, public QAbstractGraphicsShapeItem {
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    enum ItemType {
        Polygon = 1,
        Rectangle = 2,
        Ellipse = 3,
        ConcentricSector = 4,
        FilterPolygon = 5,
    };

    // Flags of sig_syn.
    enum SynFlag {
        SynSectorLive = -1,  // a sector handle is being dragged
        SynLive = 0,         // live change while dragging or moving
        SynReleased = 1,     // a handle was released, or the shape gained focus
        SynClosed = 2,       // a polygon was just closed (right click)
        SynClosedOther = 3,  // a polygon was just closed the other way
    };

    // kind: 0 observation, 1 warning, 2 alarm. highlight: the page's light
    // scheme (focused outline black, normal white; the reverse without it).
    BGraphicsItem(const QPointF& center, const QPointF& edge, ItemType type, int kind, int uuid,
                  const ShapeGeometry& geometry, bool highlight);
    ~BGraphicsItem() override;

    // The shape code 1..5.
    int type() const override { return m_type; }

    QPointF getCenter() const { return m_center; }
    void setCenter(const QPointF& center) { m_center = center; }
    QPointF getEdge() const { return m_edge; }
    QPointF getAnotherEdge() const { return m_anotherEdge; }
    // Move the edge or the second edge; each reports (flag 0, -1 for a
    // sector) only when the stored point actually changes.
    void setEdge(const QPointF& edge);
    void setAnotherEdge(const QPointF& edge);
    ItemType getType() const { return m_type; }
    int uuid() const { return m_uuid; }
    int kind() const { return m_kind; }
    const ShapeGeometry& geometry() const { return m_geometry; }
    const BPointItemList& handles() const { return m_pointList; }

    // The filter polygons of the shape's zone, in millimetres with y down;
    // painting cuts them out of the shape where they overlap it.
    void setFilters(const QList<QPolygonF>& filtersMm);

    // The shape's parameters in millimetres in the entry's order
    // (empty while a polygon has fewer than three handles).
    virtual QVector<Point_double> parameters() const = 0;
    // Emits both sig_syn forms with the current parameters.
    void report(int flag);

    // The context menu's actions for this shape ("refresh", "filter", "add",
    // "delete"; a filter polygon only "refresh" and "delete"), wired to the
    // signals. Empty unless the shape has focus.
    void fillContextMenu(QMenu& menu);

    // Called by the handles.
    virtual void handleDragged(BPointItem* handle, const QPointF& from, const QPointF& to) = 0;
    virtual void handleReleased(BPointItem* handle);

signals:
    void sig_syn(Point_double* data, int size, int uuid, int flag);
    void sig_syn(Point_double* data, int size, int uuid);
    void sig_delete(int uuid);
    void sig_copy(int uuid);
    void sig_filter();
    void sig_refresh();
    // Declared for pages that want the shape's reach or a polygon's points
    // directly; the shapes themselves report through sig_syn.
    void sig_synCurrentShape(double maxRadis, int uuid);
    void synPolygon(Point_double* points, int n);

protected:
    // Adds a handle at `point` (item coordinates), connected to take the focus.
    BPointItem* addHandle(const QPointF& point, BPointItem::PointType role);
    void removeHandles();
    // Fills and outlines `path` with the current pen and the kind's colour,
    // filter holes cut out.
    void paintShape(QPainter* painter, const QPainterPath& path);
    QPainterPath withFilterHoles(const QPainterPath& path) const;
    // Emits a change of the edge points; a sector overrides the flag.
    virtual void edgeChanged();

    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

    QPointF m_center;
    QPointF m_edge;
    ItemType m_type;
    BPointItemList m_pointList;
    QPen m_penFocus;
    QPen m_penNoFocus;
    QPointF m_anotherEdge;
    int m_kind = 0;
    int m_uuid = 0;
    ShapeGeometry m_geometry;
    QList<QPolygonF> m_filtersMm;
    bool m_finished = true;  // polygons: the drawing was closed
};
