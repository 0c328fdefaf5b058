#pragma once
// The point-cloud scene. Besides hosting the items it can collect clicked
// points, which is how a polygon zone is drawn point by point. GUI thread only.

#include <QGraphicsScene>
#include <QList>
#include <QPointF>

class Graphics_scene : public QGraphicsScene {
    Q_OBJECT

public:
    explicit Graphics_scene(QObject* parent = nullptr);

    // flag 1 starts collecting clicks, 0 stops; both start from an empty list.
    void setCaptureFlag(int flag);
    bool isCapturing() const { return m_capture; }
    void clearPoints();
    const QList<QPointF>& capturedPoints() const { return m_points; }

signals:
    // flag 0: a point was added; flag 1: the figure was closed (right click).
    void updatePoint(QPointF p, QList<QPointF> list, int flag);

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;

private:
    QList<QPointF> m_points;
    bool m_capture = false;
};
