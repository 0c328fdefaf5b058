#include "graphics_item_data.h"

#include <QFont>
#include <QGraphicsSceneHoverEvent>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSceneWheelEvent>
#include <QLineF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QStyleOptionGraphicsItem>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kQuarterTurn = 1.5707963267949;
// Item pixels between two grid lines, whatever the grid step in millimetres.
constexpr int kGridPixels = 100;
// The item always spans about +-64 m around the scanner.
constexpr int kSpanMm = 64000;
// Distances from 65533 mm up are the devices' "no echo" codes, not targets.
constexpr double kNoEchoMm = 65533.0;
constexpr int kZoomSteps[] = {10, 20, 50, 100, 200, 500, 1000, 2000, 5000};
constexpr int kZoomStepCount = static_cast<int>(sizeof(kZoomSteps) / sizeof(kZoomSteps[0]));

const char* const kDarkPalette[Graphics_Item_Data::kPaletteSize] = {
    "#ffffff", "#aaffaa", "#55ff55", "#00ff00", "#00aa55",
    "#0055aa", "#0000ff", "#5500aa", "#aa0055", "#ff0000"};

int paletteIndex(int energy) {
    return std::clamp(energy / 30, 0, Graphics_Item_Data::kPaletteSize - 1);
}

// Where a ray from the origin in direction u leaves rect, or false if it never
// crosses it.
bool rayExit(const QRectF& rect, double ux, double uy, QPointF* out) {
    double tNear = 0.0;
    double tFar = 1e300;
    const double lo[2] = {rect.left(), rect.top()};
    const double hi[2] = {rect.right(), rect.bottom()};
    const double u[2] = {ux, uy};
    for (int axis = 0; axis < 2; ++axis) {
        if (std::fabs(u[axis]) < 1e-12) {
            if (lo[axis] > 0.0 || hi[axis] < 0.0) return false;
            continue;
        }
        double t1 = lo[axis] / u[axis];
        double t2 = hi[axis] / u[axis];
        if (t1 > t2) std::swap(t1, t2);
        tNear = std::max(tNear, t1);
        tFar = std::min(tFar, t2);
    }
    if (tNear > tFar || tFar <= 0.0) return false;
    *out = QPointF(ux * tFar, uy * tFar);
    return true;
}

}  // namespace

Graphics_Item_Data::Graphics_Item_Data(QGraphicsItem* parent)
    : QObject(nullptr), QGraphicsItem(parent), m_points(kMaxPoints), m_energies(kMaxPoints) {
    setProperty("Class", "Graphics_Item_Data");
    setFlags(ItemIsMovable | ItemIsSelectable | ItemSendsGeometryChanges | ItemUsesExtendedStyleOption);
    setAcceptHoverEvents(true);
    for (const char* name : kDarkPalette) m_palette << QString::fromLatin1(name);
    setTheme(false, false);
    for (auto& dots : m_dots) dots.reserve(kMaxPoints / 4);

    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &Graphics_Item_Data::advanceFrame);
    m_timer.start();
}

Graphics_Item_Data::~Graphics_Item_Data() = default;

QRectF Graphics_Item_Data::boundingRect() const {
    return QRectF(-m_extent, -m_extent, 2.0 * m_extent, 2.0 * m_extent);
}

// ---------------------------------------------------------------- settings

void Graphics_Item_Data::setTheme(bool lightBackground, bool lightTheme) {
    m_lightBackground = lightBackground;
    m_lightTheme = lightTheme;
    m_palette[0] = lightTheme ? QStringLiteral("#000000") : QStringLiteral("#ffffff");
    for (int i = 0; i < kPaletteSize; ++i) m_colors[i] = QColor(m_palette[i]);
    update();
}

QColor Graphics_Item_Data::colorForEnergy(int energy) const {
    return m_colors[paletteIndex(energy)];
}

void Graphics_Item_Data::setMirrored(bool mirrored) {
    if (mirrored == m_mirrored) return;
    m_mirrored = mirrored;
    // Flip what is on screen now rather than wait for the next revolution.
    for (int i = 0; i < m_pointCount; ++i) m_points[i].setX(-m_points[i].x());
    m_dotsDirty = true;
    update();
}

void Graphics_Item_Data::setMouseMode(int mode) {
    m_mouseMode = mode;
    m_capturedPoints.clear();
}

void Graphics_Item_Data::setCaption(int code, const QString& text) {
    m_captionCode = code;
    m_caption = code == -1 ? QString() : text;
    m_ticks = 0;
    update();
}

void Graphics_Item_Data::setLiveUpdate(bool on) {
    m_liveUpdate = on;
}

void Graphics_Item_Data::setSweep(bool on, int step, int direction) {
    m_sweepOn = on;
    m_sweepStep = step;
    m_sweepDirection = direction;
    update();
}

void Graphics_Item_Data::setLineMode(bool on) {
    m_lineMode = on;
    update();
}

void Graphics_Item_Data::setGridMode(int mode) {
    m_gridMode = mode;
    update();
}

void Graphics_Item_Data::setRadialStep(int degrees) {
    m_radialStep = degrees;
    update();
}

void Graphics_Item_Data::setPointSize(int pixels) {
    m_pointSize = std::clamp(pixels, 1, 50);
    m_dotsDirty = true;
    update();
}

void Graphics_Item_Data::setViewSize(const QSizeF& size) {
    m_viewSize = size;
    update();
}

void Graphics_Item_Data::setCursorPosition(const QPointF& mm) {
    m_cursorMm = mm;
}

void Graphics_Item_Data::resetView() {
    m_dragOffset = QPointF();
    setPos(0.0, 0.0);
    update();
}

void Graphics_Item_Data::clearPoints() {
    m_pointCount = 0;
    m_dotsDirty = true;
    update();
}

// ---------------------------------------------------------------- revolutions

void Graphics_Item_Data::setRevolution(std::vector<RawData> revolution) {
    if (!m_liveUpdate) return;
    int n = 0;
    for (const RawData& fan : revolution) {
        const int count = std::min<int>(fan.count, kMaxFanPoints);
        for (int i = 0; i < count && n < kMaxPoints; ++i) {
            const RawPoint& p = fan.points[i];
            const double d = static_cast<double>(p.distance) * 1000.0;
            // The distance arrived as whole millimetres turned into float metres;
            // compare against the no-echo code on the rounded value, or 65533 mm
            // would slip through as 65532.997.
            if (!std::isfinite(d) || !(d > 0.0) || d >= kNoEchoMm - 0.5) continue;
            const double r = d * m_pixelsPerMm;
            if (r == 0.0) continue;
            const double a = static_cast<double>(p.angle) - kQuarterTurn;
            double x = r * std::cos(a);
            if (m_mirrored) x = -x;
            m_points[n] = QPointF(x, r * std::sin(a));
            m_energies[n] = p.energy;
            ++n;
        }
        if (n >= kMaxPoints) break;
    }
    m_pointCount = n;
    m_dotsDirty = true;
}

void Graphics_Item_Data::advanceFrame() {
    if (m_sweepOn) {
        const int step = m_sweepDirection == 0 ? m_sweepStep : -m_sweepStep;
        m_sweepAngle = ((m_sweepAngle + step) % 360 + 360) % 360;
    }
    if (m_captionCode != -1 && ++m_ticks > kCaptionTicks) {
        m_caption.clear();
        m_captionCode = -1;
        m_ticks = 0;
    }
    update();
}

// ---------------------------------------------------------------- zoom and range

void Graphics_Item_Data::applyScale(double newPixelsPerMm) {
    if (!(newPixelsPerMm > 0.0) || !std::isfinite(newPixelsPerMm)) return;
    // Rescale the buffered revolution so a paused view zooms too.
    const double ratio = newPixelsPerMm / m_pixelsPerMm;
    for (int i = 0; i < m_pointCount; ++i) m_points[i] *= ratio;
    m_pixelsPerMm = newPixelsPerMm;
    m_dotsDirty = true;
}

void Graphics_Item_Data::updateBounds() {
    prepareGeometryChange();
    m_extent = kGridPixels * m_gridCount;
}

void Graphics_Item_Data::zoomBy(bool zoomIn) {
    const int level = m_zoomLevel;
    const int lookup = m_maxRange > 0 ? level / 5 : level;
    const int first = kZoomSteps[0];
    const int last = kZoomSteps[kZoomStepCount - 1];
    int step = 0;
    if (!zoomIn && m_maxRange > 0 && lookup >= m_maxRange / m_gridCount) {
        step = 0;  // the range limit holds
    } else if (zoomIn ? lookup <= first : lookup < first) {
        step = 0;
    } else if (lookup >= last) {
        step = last / 10;
    } else {
        for (int i = 0; i + 1 < kZoomStepCount; ++i) {
            const bool inside = zoomIn ? (kZoomSteps[i] < lookup && lookup <= kZoomSteps[i + 1])
                                       : (kZoomSteps[i] <= lookup && lookup < kZoomSteps[i + 1]);
            if (inside) {
                step = kZoomSteps[i + 1] / 10;
                break;
            }
        }
    }
    int next = zoomIn ? level - step : level + step;
    // Beyond 64 m per grid step no grid line would remain and the scale
    // would divide by zero.
    if (next > kSpanMm || next < 1) next = level;
    m_zoomLevel = next;
    m_gridCount = kSpanMm / m_zoomLevel;
    updateBounds();
    applyScale(static_cast<double>(m_extent) / m_gridCount / m_zoomLevel);
    emit sig_factor(m_pixelsPerMm);
    update();
}

void Graphics_Item_Data::setRange(int range) {
    if (range <= 0) {
        m_zoomLevel = 1000;
        m_maxRange = 0;
    } else {
        // A range shorter than the grid count would make a zero grid step.
        m_zoomLevel = std::max(1, range / m_gridCount);
        m_maxRange = range;
    }
    updateBounds();
    applyScale(static_cast<double>(m_extent) / m_gridCount / m_zoomLevel);
    m_sweepAngle = 0;
    emit sig_factor(m_pixelsPerMm);
    update();
}

void Graphics_Item_Data::wheelEvent(QGraphicsSceneWheelEvent* event) {
    if (event->orientation() != Qt::Vertical || event->delta() == 0) {
        event->ignore();
        return;
    }
    zoomBy(event->delta() > 0);
    event->accept();
}

// ---------------------------------------------------------------- mouse

double Graphics_Item_Data::cursorAngle(const QPointF& mm, bool mirrored) {
    double angle = 90.0 - std::atan2(mm.y(), mm.x()) * 180.0 / kPi;
    if (angle <= 0.0) angle += 360.0;
    return mirrored ? 360.0 - angle : angle;
}

range Graphics_Item_Data::sectorFromPoints(const QPointF& first, const QPointF& last, bool mirrored) {
    // Screen y grows downwards; bearings want up positive.
    const double x1 = first.x(), y1 = -first.y();
    const double x2 = last.x(), y2 = -last.y();
    range r{0.0f, 360.0f};
    const bool enclosesCentre = y1 * y2 < 0.0 && x1 * x2 < 0.0;
    if (!(enclosesCentre || y1 == y2 || x1 == x2)) {
        const double corners[4][2] = {{x1, y1}, {x2, y1}, {x1, y2}, {x2, y2}};
        double lo = 1e9, hi = -1e9;
        for (const auto& c : corners) {
            const int x = static_cast<int>(c[0]);
            const int y = static_cast<int>(c[1]);
            if (x == 0 && y == 0) continue;  // a corner on the centre has no bearing
            // Clockwise from up. atan2 also gets the left horizon (y = 0, x < 0)
            // right, where atan(x / y) would land on 90 instead of 270.
            double b = std::atan2(static_cast<double>(x), static_cast<double>(y)) * 180.0 / kPi;
            if (b < 0.0) b += 360.0;
            lo = std::min(lo, b);
            hi = std::max(hi, b);
        }
        if (lo <= hi) {
            if (hi - lo > 180.0)
                r = range{static_cast<float>(hi), static_cast<float>(lo)};
            else
                r = range{static_cast<float>(lo), static_cast<float>(hi)};
        }
    }
    if (mirrored) r = range{360.0f - r.end, 360.0f - r.start};
    return r;
}

void Graphics_Item_Data::mousePressEvent(QGraphicsSceneMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (m_mouseMode == 1) {
        m_capturedPoints.push_back(event->pos());
    } else {
        m_pressOrigin = event->scenePos() - pos();
    }
    event->accept();
}

void Graphics_Item_Data::mouseMoveEvent(QGraphicsSceneMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    if (m_mouseMode == 1) {
        // Only the first and the last point shape the sector; a long drag must
        // not grow the list without end.
        if (m_capturedPoints.size() < kMaxCaptured)
            m_capturedPoints.push_back(event->pos());
        else
            m_capturedPoints.back() = event->pos();
    } else {
        m_dragOffset = event->scenePos() - m_pressOrigin;
        setPos(m_dragOffset);
        emit sig_synScenePos(m_dragOffset);
    }
}

void Graphics_Item_Data::mouseReleaseEvent(QGraphicsSceneMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_mouseMode != 1) return;
    setCursor(Qt::OpenHandCursor);
    if (m_capturedPoints.empty()) return;
    const range r = sectorFromPoints(m_capturedPoints.front(), m_capturedPoints.back(), m_mirrored);
    m_capturedPoints.clear();
    emit sig_scope(r);
}

void Graphics_Item_Data::hoverMoveEvent(QGraphicsSceneHoverEvent* event) {
    m_cursorMm = QPointF(event->pos().x() / m_pixelsPerMm, -event->pos().y() / m_pixelsPerMm);
}

// ---------------------------------------------------------------- painting

QSizeF Graphics_Item_Data::textArea(QPainter* painter, QWidget* widget) const {
    if (!m_viewSize.isEmpty()) return m_viewSize;
    if (widget) return widget->size();
    if (QPaintDevice* device = painter->device()) return QSizeF(device->width(), device->height());
    return QSizeF(1920, 1080);
}

QRectF Graphics_Item_Data::visibleRect(QPainter* painter, const QStyleOptionGraphicsItem* option) const {
    QRectF visible = boundingRect();
    if (option && !option->exposedRect.isEmpty()) visible &= option->exposedRect;
    bool invertible = false;
    const QTransform inverse = painter->transform().inverted(&invertible);
    if (invertible && painter->device()) {
        const QRectF device(0, 0, painter->device()->width(), painter->device()->height());
        visible &= inverse.mapRect(device);
    }
    return visible;
}

void Graphics_Item_Data::regroupPoints() {
    for (auto& dots : m_dots) dots.clear();
    const double size = m_pointSize;
    const double half = size / 2.0;
    for (int i = 0; i < m_pointCount; ++i) {
        const QPointF& p = m_points[i];
        m_dots[paletteIndex(m_energies[i])].append(QRectF(p.x() - half, p.y() - half, size, size));
    }
    m_dotsDirty = false;
}

void Graphics_Item_Data::paintGrid(QPainter* painter, const QRectF& visible, const QColor& color) {
    painter->setPen(QPen(color, 0.3));
    painter->setBrush(Qt::NoBrush);
    if (m_gridMode == 1) {
        QVector<QLineF> lines;
        const int kx0 = std::max(-m_gridCount, static_cast<int>(std::ceil(visible.left() / kGridPixels)));
        const int kx1 = std::min(m_gridCount, static_cast<int>(std::floor(visible.right() / kGridPixels)));
        for (int k = kx0; k <= kx1; ++k)
            lines.append(QLineF(k * kGridPixels, visible.top(), k * kGridPixels, visible.bottom()));
        const int ky0 = std::max(-m_gridCount, static_cast<int>(std::ceil(visible.top() / kGridPixels)));
        const int ky1 = std::min(m_gridCount, static_cast<int>(std::floor(visible.bottom() / kGridPixels)));
        for (int k = ky0; k <= ky1; ++k)
            lines.append(QLineF(visible.left(), k * kGridPixels, visible.right(), k * kGridPixels));
        painter->drawLines(lines);
        return;
    }

    // Only the rings that cross the visible area; at fine zoom there are thousands.
    const double nx = std::clamp(0.0, visible.left(), visible.right());
    const double ny = std::clamp(0.0, visible.top(), visible.bottom());
    const double nearest = std::hypot(nx, ny);
    double farthest = 0.0;
    for (const QPointF& c :
         {visible.topLeft(), visible.topRight(), visible.bottomLeft(), visible.bottomRight()})
        farthest = std::max(farthest, std::hypot(c.x(), c.y()));
    const int k0 = std::max(1, static_cast<int>(std::ceil(nearest / kGridPixels)));
    const int k1 = std::min(m_gridCount - 1, static_cast<int>(std::floor(farthest / kGridPixels)));
    for (int k = k0; k <= k1; ++k) painter->drawEllipse(QPointF(0, 0), k * kGridPixels, k * kGridPixels);

    const int step = m_radialStep == 0 ? 90 : std::clamp(std::abs(m_radialStep), 1, 360);
    QVector<QLineF> rays;
    for (int deg = 0; deg < 360; deg += step) {
        const double a = deg * kPi / 180.0 - kQuarterTurn;
        const double x = std::cos(a) * m_extent;
        rays.append(QLineF(0, 0, m_mirrored ? -x : x, std::sin(a) * m_extent));
    }
    painter->drawLines(rays);
}

void Graphics_Item_Data::paintLabels(QPainter* painter, const QRectF& visible, const QColor& color,
                                     const QRectF& keepOut) {
    QFont font = painter->font();
    font.setPointSize(9);
    painter->setFont(font);
    painter->setPen(color);

    // Angles where the rays leave the visible area, kept a little inside it.
    const QRectF border = visible.adjusted(24, 10, -24, -10);
    if (border.isValid()) {
        const int step = m_radialStep == 0 ? 90 : std::clamp(std::abs(m_radialStep), 1, 360);
        for (int deg = 0; deg < 360; deg += step) {
            const double a = deg * kPi / 180.0 - kQuarterTurn;
            QPointF at;
            if (!rayExit(border, m_mirrored ? -std::cos(a) : std::cos(a), std::sin(a), &at)) continue;
            const QRectF box(at.x() - 24, at.y() - 8, 48, 16);
            if (box.intersects(keepOut)) continue;  // the cursor read-out sits there
            painter->drawText(box, Qt::AlignCenter, tr("%1°").arg(deg));
        }
    }

    // Distances of the grid steps along the right and upward axes.
    const int kFirst =
        std::max(1, static_cast<int>(std::ceil(std::min(visible.left(), -visible.bottom()) / kGridPixels)));
    const int kLast =
        std::min(m_gridCount - 1,
                 static_cast<int>(std::floor(std::max(visible.right(), -visible.top()) / kGridPixels)));
    for (int k = kFirst; k <= kLast; ++k) {
        const double pixels = k * kGridPixels;
        const QString text = tr("%1 m").arg(k * static_cast<double>(m_zoomLevel) / 1000.0);
        if (visible.contains(pixels, 0.0)) painter->drawText(QPointF(pixels + 3, -3), text);
        if (visible.contains(0.0, -pixels)) painter->drawText(QPointF(3, -pixels - 3), text);
    }
}

void Graphics_Item_Data::paintPoints(QPainter* painter) {
    if (m_pointCount <= 0) return;
    if (m_lineMode) {
        QPen pen(m_lightBackground ? Qt::black : Qt::white);
        pen.setStyle(Qt::SolidLine);
        pen.setCapStyle(Qt::SquareCap);
        pen.setJoinStyle(Qt::BevelJoin);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawPolygon(m_points.data(), m_pointCount);
        return;
    }
    if (m_dotsDirty) regroupPoints();
    // One brush per palette colour: a revolution costs ten state changes,
    // not eleven thousand.
    // The dots are axis-aligned squares: smoothing would only bleed them into
    // the background and cost time.
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(Qt::NoPen);
    for (int i = 0; i < kPaletteSize; ++i) {
        if (m_dots[i].isEmpty()) continue;
        painter->setBrush(m_colors[i]);
        painter->drawRects(m_dots[i].constData(), m_dots[i].size());
    }
    painter->setRenderHint(QPainter::Antialiasing, true);
}

void Graphics_Item_Data::paintSweep(QPainter* painter, const QRectF& visible) {
    // A quarter pie whose shade follows a conical gradient turned half a turn
    // from the sweep: white at alpha 100 at 0.4 of the turn, clear at 0.8.
    // A per-pixel conical gradient over a full-screen pie costs ~10 ms, so the
    // pie is laid out in narrow flat wedges whose alpha steps are invisible.
    constexpr int kWedgeDegrees = 2;
    double reach = 0.0;
    for (const QPointF& c :
         {visible.topLeft(), visible.topRight(), visible.bottomLeft(), visible.bottomRight()})
        reach = std::max(reach, std::hypot(c.x(), c.y()));
    reach = std::min(reach, static_cast<double>(m_extent)) / std::cos(kWedgeDegrees * kPi / 180.0) + 2.0;
    const double gradientAngle = m_sweepAngle + 180.0;
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(Qt::NoPen);
    for (int w = 0; w < 90; w += kWedgeDegrees) {
        const double a0 = m_sweepAngle + w;
        const double a1 = a0 + kWedgeDegrees;
        double position = std::fmod((a0 + kWedgeDegrees / 2.0) - gradientAngle, 360.0) / 360.0;
        if (position < 0.0) position += 1.0;
        const double alpha = position <= 0.4 ? 100.0 : position >= 0.8 ? 0.0 : 100.0 * (0.8 - position) / 0.4;
        if (alpha < 0.5) continue;
        painter->setBrush(QColor(255, 255, 255, static_cast<int>(std::lround(alpha))));
        // Screen angles turn counter-clockwise from three o'clock, y down.
        const QPointF wedge[3] = {
            QPointF(0, 0), QPointF(reach * std::cos(a0 * kPi / 180.0), -reach * std::sin(a0 * kPi / 180.0)),
            QPointF(reach * std::cos(a1 * kPi / 180.0), -reach * std::sin(a1 * kPi / 180.0))};
        painter->drawPolygon(wedge, 3);
    }
    painter->setRenderHint(QPainter::Antialiasing, true);
}

void Graphics_Item_Data::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    const QRectF visible = visibleRect(painter, option);
    painter->fillRect(visible.isEmpty() ? boundingRect() : visible,
                      m_lightBackground ? Qt::white : Qt::black);

    // The fixed texts are laid out on the viewport, whatever the item's size.
    const QSizeF area = textArea(painter, widget);
    const double w = area.width();
    const double h = area.height();
    const QPointF origin(w / 30 - w / 2 - m_dragOffset.x(), h / 30 - h / 2 - m_dragOffset.y());

    const QColor gridColor = m_lightTheme ? Qt::black : Qt::white;
    if (!visible.isEmpty()) {
        paintGrid(painter, visible, gridColor);
        paintLabels(painter, visible, gridColor, QRectF(origin.x(), origin.y() - 24, 200, 80));
    }
    paintPoints(painter);

    QFont font = painter->font();
    if (m_captionCode != -1 && !m_caption.isEmpty()) {
        font.setPointSize(30);
        painter->setFont(font);
        painter->setPen(Qt::red);
        painter->drawText(QPointF(w / 30 - w / 2 - m_dragOffset.x(), h / 2 - h / 20 - m_dragOffset.y()),
                          m_caption);
    }

    font.setPointSize(15);
    painter->setFont(font);
    painter->setPen(Qt::yellow);
    painter->drawText(origin, tr("X:%1").arg(m_cursorMm.x(), 0, 'f', 0));
    painter->drawText(origin + QPointF(0, 25), tr("Y:%1").arg(m_cursorMm.y(), 0, 'f', 0));
    painter->drawText(origin + QPointF(0, 50),
                      tr("angle:%1").arg(cursorAngle(m_cursorMm, m_mirrored), 0, 'f', 2));

    if (m_sweepOn && !visible.isEmpty()) paintSweep(painter, visible);
    painter->restore();
}
