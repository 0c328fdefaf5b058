#pragma once
// The point-cloud view: panning, a zoom held close to 1:1 (the item does the
// real zooming), and mouse reports for the hosting page. GUI thread only.

#include <QGraphicsView>
#include <QPoint>
#include <QPointF>

class Graphics_view : public QGraphicsView {
    Q_OBJECT

public:
    explicit Graphics_view(QWidget* parent = nullptr);
    explicit Graphics_view(QGraphicsScene* scene, QWidget* parent = nullptr);

    double accumulatedScale() const { return m_accumulatedScale; }

    using QGraphicsView::translate;

signals:
    void sig_mouseMovePoint(QPoint data);
    void sig_mouseMoveFrag(bool result);

public slots:
    void zoomIn();
    void zoomOut();
    void zoom(float scaleFactor);
    // Pans by delta viewport pixels (scaled by the accumulated zoom).
    void translate(QPointF delta);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void init();

    double m_scaleFactor = 1.0;
    double m_zoomStep = 0.1;
    double m_accumulatedScale = 1.0;
};
