#include "graphics_view.h"

#include <QMouseEvent>
#include <QScrollBar>

Graphics_view::Graphics_view(QWidget* parent) : QGraphicsView(parent) {
    init();
}

Graphics_view::Graphics_view(QGraphicsScene* scene, QWidget* parent) : QGraphicsView(scene, parent) {
    init();
}

void Graphics_view::init() {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setRenderHint(QPainter::Antialiasing, true);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    // Practically unbounded, so panning never hits a scroll limit.
    setSceneRect(-1073741824.0, -1073741824.0, 2147483647.0, 2147483647.0);
}

void Graphics_view::zoomIn() {
    zoom(static_cast<float>(1.0 + m_zoomStep));
}

void Graphics_view::zoomOut() {
    zoom(static_cast<float>(1.0 - m_zoomStep));
}

void Graphics_view::zoom(float scaleFactor) {
    // The item zooms by re-gridding; the view itself only allows a slight
    // scale so the grid labels stay readable.
    const qreal unit = transform().scale(scaleFactor, scaleFactor).mapRect(QRectF(0, 0, 1, 1)).width();
    if (unit < 0.95 || unit > 1.05) return;
    scale(scaleFactor, scaleFactor);
    m_accumulatedScale *= scaleFactor;
}

void Graphics_view::translate(QPointF delta) {
    delta *= m_accumulatedScale;
    delta *= m_scaleFactor;
    const QPoint centre(viewport()->width() / 2, viewport()->height() / 2);
    const QPointF target = QPointF(centre) - delta;
    centerOn(mapToScene(target.toPoint()));
}

void Graphics_view::mouseMoveEvent(QMouseEvent* event) {
    emit sig_mouseMovePoint(event->pos());
    QGraphicsView::mouseMoveEvent(event);
}

void Graphics_view::mousePressEvent(QMouseEvent* event) {
    emit sig_mouseMoveFrag(true);
    QGraphicsView::mousePressEvent(event);
}

void Graphics_view::mouseReleaseEvent(QMouseEvent* event) {
    emit sig_mouseMoveFrag(false);
    QGraphicsView::mouseReleaseEvent(event);
}
