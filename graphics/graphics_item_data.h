#pragma once
// The live point cloud: one large graphics item that holds the latest
// revolution and paints background, distance grid, points, cursor read-out,
// caption and sweep.
//
// GUI thread only. Revolutions arrive by value through setRevolution() (a
// queued connection from the receiver works) and are painted on the item's
// 200 ms timer, never once per fan.
//
// Coordinates: the scanner sits at the item origin; screen up is angle 0,
// angles grow clockwise (counter-clockwise when mirrored). Item pixels per
// millimetre are pixelsPerMm(); every grid step (zoomLevel() mm) is 100 px.
//
// This header also brings in Graphics_scene and Graphics_view.

#include <QColor>
#include <QGraphicsItem>
#include <QMetaType>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics_scene.h"
#include "graphics_view.h"
#include "metatypes.h"
#include "rawdata.h"

// An angular sector in degrees, clockwise from screen up; start may exceed
// end when the sector passes through 0.
struct range {
    float start = 0.0f;
    float end = 0.0f;
};
Q_DECLARE_METATYPE(range)

class Graphics_Item_Data : public QObject, public QGraphicsItem {
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    static constexpr int kMaxPoints = 11000;  // one revolution: 20 fans x 550 points
    static constexpr int kPaletteSize = 10;
    static constexpr int kTickMs = 200;
    static constexpr size_t kMaxCaptured = 4096;  // points kept from one capture drag
    static constexpr int kCaptionTicks = 25;      // caption lives this many ticks (about 5 s)

    explicit Graphics_Item_Data(QGraphicsItem* parent = nullptr);
    ~Graphics_Item_Data() override;

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    // --- settings
    // range <= 0 removes the limit (grid step 1000 mm); otherwise the grid
    // step becomes range / gridCount mm and wheel zoom-out is bounded by it.
    void setRange(int range);
    void setTheme(bool lightBackground, bool lightTheme);
    void setMirrored(bool mirrored);
    // 0 drags the item, 1 captures points for sig_scope.
    void setMouseMode(int mode);
    // code -1 hides the caption.
    void setCaption(int code, const QString& text);
    void setLiveUpdate(bool on);
    // direction 0 turns the sweep clockwise on screen, anything else counter-clockwise.
    void setSweep(bool on, int step, int direction);
    void setLineMode(bool on);
    void setGridMode(int mode);  // 1 rectangular, otherwise polar
    void setRadialStep(int degrees);
    void setPointSize(int pixels);
    // Size of the viewport the fixed texts are laid out for; an empty size
    // means "the widget or device painted on".
    void setViewSize(const QSizeF& size);
    // Cursor read-out in millimetres, y pointing up.
    void setCursorPosition(const QPointF& mm);
    // Drops the points and puts the item back at the origin.
    void resetView();
    void clearPoints();

    // --- state
    int pointCount() const { return m_pointCount; }
    const QPointF* points() const { return m_points.data(); }
    const uint8_t* energies() const { return m_energies.data(); }
    double pixelsPerMm() const { return m_pixelsPerMm; }
    int zoomLevel() const { return m_zoomLevel; }
    int gridCount() const { return m_gridCount; }
    int extent() const { return m_extent; }
    int maxRange() const { return m_maxRange; }
    bool isMirrored() const { return m_mirrored; }
    bool liveUpdate() const { return m_liveUpdate; }
    int mouseMode() const { return m_mouseMode; }
    QString caption() const { return m_caption; }
    int captionCode() const { return m_captionCode; }
    int sweepAngle() const { return m_sweepAngle; }
    QPointF dragOffset() const { return m_dragOffset; }
    QPointF cursorPosition() const { return m_cursorMm; }
    const std::vector<QPointF>& capturedPoints() const { return m_capturedPoints; }
    QColor colorForEnergy(int energy) const;

    // Bearing of a cursor position (mm, y up) as shown in the read-out:
    // degrees in (0, 360], clockwise from up (counter-clockwise when mirrored).
    static double cursorAngle(const QPointF& mm, bool mirrored);
    // Angular sector spanned by two points (item pixels, y down), clockwise
    // from up; the full circle when they enclose the centre or line up.
    static range sectorFromPoints(const QPointF& first, const QPointF& last, bool mirrored);

signals:
    void sig_scope(range r);
    void sig_synData(float multiple, int cx, int cy, float factor);
    void sig_factor(double factor);
    void sig_synScenePos(QPointF point);

public slots:
    // Loads a revolution (ignored while live updates are off); painted on the next tick.
    void setRevolution(std::vector<RawData> revolution);
    // One timer tick: advances the sweep, ages the caption, repaints.
    void advanceFrame();

protected:
    void wheelEvent(QGraphicsSceneWheelEvent* event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    void hoverMoveEvent(QGraphicsSceneHoverEvent* event) override;

private:
    void zoomBy(bool zoomIn);
    void applyScale(double newPixelsPerMm);
    void updateBounds();
    void regroupPoints();
    QSizeF textArea(QPainter* painter, QWidget* widget) const;
    QRectF visibleRect(QPainter* painter, const QStyleOptionGraphicsItem* option) const;
    void paintGrid(QPainter* painter, const QRectF& visible, const QColor& color);
    void paintLabels(QPainter* painter, const QRectF& visible, const QColor& color, const QRectF& keepOut);
    void paintPoints(QPainter* painter);
    void paintSweep(QPainter* painter, const QRectF& visible);

    std::vector<QPointF> m_points;
    std::vector<uint8_t> m_energies;
    int m_pointCount = 0;
    double m_pixelsPerMm = 0.1;
    int m_zoomLevel = 1000;
    int m_gridCount = 64;
    int m_extent = 6400;
    int m_maxRange = 0;
    QStringList m_palette;
    std::array<QColor, kPaletteSize> m_colors;
    bool m_lightBackground = false;
    bool m_lightTheme = false;
    bool m_mirrored = false;
    bool m_liveUpdate = true;
    QPointF m_dragOffset;
    QPointF m_pressOrigin;
    int m_mouseMode = 0;
    bool m_lineMode = false;
    std::vector<QPointF> m_capturedPoints;
    int m_gridMode = 0;
    int m_radialStep = 10;
    int m_pointSize = 2;
    int m_sweepAngle = 0;
    int m_sweepStep = 0;
    bool m_sweepOn = false;
    int m_sweepDirection = 0;
    QString m_caption;
    int m_captionCode = -1;
    int m_ticks = 0;
    QPointF m_cursorMm;
    QSizeF m_viewSize;
    QTimer m_timer;

    // Points grouped by palette index so a paint switches brush once per colour.
    std::array<QVector<QRectF>, kPaletteSize> m_dots;
    bool m_dotsDirty = true;
};
