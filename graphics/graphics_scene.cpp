#include "graphics_scene.h"

#include <QGraphicsSceneMouseEvent>

Graphics_scene::Graphics_scene(QObject* parent) : QGraphicsScene(parent) {
    // One huge item fills the scene; an index would only cost time.
    setItemIndexMethod(QGraphicsScene::NoIndex);
}

void Graphics_scene::setCaptureFlag(int flag) {
    m_capture = (flag == 1);
    m_points.clear();
}

void Graphics_scene::clearPoints() {
    m_points.clear();
}

void Graphics_scene::mousePressEvent(QGraphicsSceneMouseEvent* event) {
    if (!m_capture) {
        QGraphicsScene::mousePressEvent(event);
        return;
    }
    // While collecting, clicks belong to the figure being drawn, not to the
    // items under the pointer (which would start dragging).
    const QPointF p = event->scenePos();
    if (event->button() == Qt::LeftButton) {
        m_points.append(p);
        emit updatePoint(p, m_points, 0);
    } else if (event->button() == Qt::RightButton && m_points.size() >= 3) {
        const QList<QPointF> list = m_points;
        m_capture = false;
        m_points.clear();
        emit updatePoint(p, list, 1);
    }
    event->accept();
}
