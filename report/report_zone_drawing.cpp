#include "report_zone_drawing.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>
#include <QTransform>
#include <cmath>
#include <iterator>

#include "report_tr.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Whole millimetres print without decimals; anything else with one.
QString mm(double v) {
    if (!std::isfinite(v)) return QStringLiteral("?");
    const double r = std::round(v);
    if (std::fabs(v - r) < 0.05) return QString::number(qlonglong(r));
    return QString::number(v, 'f', 1);
}

QString degrees(double tenths) {
    return QString::number(tenths / 10.0, 'f', 1) + QChar(0x00B0);
}

// A point of the drawing plane at `tenths` of a degree and `radius` mm: 0 is
// straight ahead, angles grow towards the right, as on the live view.
QPointF polar(double tenths, double radius) {
    const double a = tenths * kPi / 1800.0;
    return QPointF(radius * std::sin(a), radius * std::cos(a));
}

bool isFilter(const ZoneEntry& e) {
    return e.type == ZoneShapeFilter;
}

QColor kindColor(int kind, int alpha) {
    QColor c = kind == ZoneKindObservation ? QColor(0, 0, 255)
               : kind == ZoneKindWarning   ? QColor(255, 255, 0)
                                           : QColor(255, 0, 0);
    c.setAlpha(alpha);
    return c;
}

// Outline colour: the kind's colour, yellow darkened so that it reads on white paper.
QColor kindEdge(int kind) {
    return kind == ZoneKindWarning ? QColor(170, 140, 0) : kindColor(kind, 255);
}

QString shapeName(int type) {
    switch (type) {
        case ZoneShapePolygon:
            return CommissioningReport::tr("polygon");
        case ZoneShapeRectangle:
            return CommissioningReport::tr("rectangle");
        case ZoneShapeEllipse:
            return CommissioningReport::tr("ellipse");
        case ZoneShapeSector:
            return CommissioningReport::tr("sector");
        case ZoneShapeFilter:
            return CommissioningReport::tr("filter polygon");
        default:
            return CommissioningReport::tr("shape %1").arg(type);
    }
}

QString kindName(int kind) {
    switch (kind) {
        case ZoneKindObservation:
            return CommissioningReport::tr("observation");
        case ZoneKindWarning:
            return CommissioningReport::tr("warning");
        case ZoneKindAlarm:
            return CommissioningReport::tr("alarm");
        default:
            return CommissioningReport::tr("kind %1").arg(kind);
    }
}

int pointCount(const ZoneEntry& e) {
    return std::max(0, std::min(e.pointCount, kMaxZonePoints));
}

QString geometryText(const ZoneEntry& e) {
    const ZonePoint* p = e.points;
    switch (e.type) {
        case ZoneShapePolygon:
        case ZoneShapeFilter: {
            QStringList vertices;
            for (int i = 0; i < pointCount(e); ++i)
                vertices << QStringLiteral("(%1, %2)").arg(mm(p[i].first), mm(p[i].second));
            return vertices.join(QLatin1Char(' '));
        }
        case ZoneShapeRectangle:
            return CommissioningReport::tr("bottom %1, left %2, top %3, right %4")
                .arg(mm(p[0].first), mm(p[0].second), mm(p[1].first), mm(p[1].second));
        case ZoneShapeEllipse:
            return CommissioningReport::tr("centre (%1, %2), width %3, height %4")
                .arg(mm(p[0].first), mm(p[0].second), mm(p[1].first), mm(p[1].second));
        case ZoneShapeSector:
            return CommissioningReport::tr("from %1 to %2, far %3, near %4")
                .arg(degrees(p[0].first), degrees(p[0].second), mm(p[1].first), mm(p[1].second));
        default:
            return QString();
    }
}

QString metres(double mmValue) {
    return QString::number(mmValue / 1000.0, 'g', 6) + QStringLiteral(" m");
}

}  // namespace

QString report_zone_label(int zone) {
    return QString::number(zone, 16).toUpper();
}

QPainterPath report_zone_entry_path(const ZoneEntry& e) {
    QPainterPath path;
    const ZonePoint* p = e.points;
    switch (e.type) {
        case ZoneShapePolygon:
        case ZoneShapeFilter: {
            QPolygonF poly;
            for (int i = 0; i < pointCount(e); ++i) poly << QPointF(p[i].first, p[i].second);
            if (poly.size() >= 3) path.addPolygon(poly), path.closeSubpath();
            break;
        }
        case ZoneShapeRectangle:
            // (Buttom, Left), (Top, Right): forward values first.
            path.addRect(
                QRectF(QPointF(p[0].second, p[0].first), QPointF(p[1].second, p[1].first)).normalized());
            break;
        case ZoneShapeEllipse:
            path.addEllipse(
                QRectF(p[0].first - p[1].first / 2, p[0].second - p[1].second / 2, p[1].first, p[1].second)
                    .normalized());
            break;
        case ZoneShapeSector: {
            double start = std::fmod(p[0].first, 3600.0), end = std::fmod(p[0].second, 3600.0);
            if (start < 0) start += 3600;
            if (end < 0) end += 3600;
            double span = end - start;
            if (span < 0) span += 3600;
            if (span <= 0 || !std::isfinite(span)) break;
            const double outer = std::max(std::fabs(p[1].first), std::fabs(p[1].second));
            const double inner = std::min(std::fabs(p[1].first), std::fabs(p[1].second));
            const int steps = std::max(2, int(std::ceil(span / 5.0)));  // every half degree at most
            QPolygonF poly;
            for (int i = 0; i <= steps; ++i) poly << polar(start + span * i / steps, outer);
            for (int i = steps; i >= 0; --i) poly << polar(start + span * i / steps, inner);
            path.addPolygon(poly);
            path.closeSubpath();
            break;
        }
        default:
            break;
    }
    return path;
}

std::vector<int> report_zone_numbers(const zones& list) {
    bool used[kZoneCount] = {};
    for (int i = 0; i < std::min<int>(list.count, kMaxZoneEntries); ++i)
        if (list.entries[i].zoneId >= 0 && list.entries[i].zoneId < kZoneCount)
            used[list.entries[i].zoneId] = true;
    std::vector<int> out;
    for (int z = 0; z < kZoneCount; ++z)
        if (used[z]) out.push_back(z);
    return out;
}

QStringList report_zone_entry_header() {
    return {CommissioningReport::tr("No."), CommissioningReport::tr("Shape"), CommissioningReport::tr("Kind"),
            CommissioningReport::tr("Geometry (mm)")};
}

std::vector<QStringList> report_zone_entry_rows(const zones& list, int zone) {
    std::vector<QStringList> rows;
    for (int i = 0; i < std::min<int>(list.count, kMaxZoneEntries); ++i) {
        const ZoneEntry& e = list.entries[i];
        if (e.zoneId != zone) continue;
        rows.push_back({QString::number(i + 1), shapeName(e.type),
                        isFilter(e) ? QStringLiteral("-") : kindName(e.kind), geometryText(e)});
    }
    return rows;
}

QRectF report_zone_bounds(const zones& list, int zone) {
    QRectF bounds(-500, -500, 1000, 1000);  // the scanner and a little room around it
    for (int i = 0; i < std::min<int>(list.count, kMaxZoneEntries); ++i) {
        const ZoneEntry& e = list.entries[i];
        if (e.zoneId != zone) continue;
        const QRectF r = report_zone_entry_path(e).boundingRect();
        // Absurd coordinates (a damaged image) must not blow the drawing up to nothing.
        if (!r.isNull() && std::isfinite(r.width()) && std::isfinite(r.height()) && r.width() < 1e7 &&
            r.height() < 1e7)
            bounds |= r;
    }
    return bounds.adjusted(-bounds.width() * 0.05, -bounds.height() * 0.05, bounds.width() * 0.05,
                           bounds.height() * 0.05);
}

double report_drawing_scale(double ratio) {
    if (!(ratio > 0) || !std::isfinite(ratio)) return 1;
    for (double decade = 1; decade < 1e9; decade *= 10)
        for (double m : {1.0, 1.25, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 7.5}) {
            const double scale = m * decade;
            // Whole denominators only: nobody measures off a drawing at 1:12.5.
            if (scale == std::floor(scale) && scale >= ratio * 0.999) return scale;
        }
    return 1e9;
}

double report_grid_step(double scale) {
    static const double kSteps[] = {100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000, 1e6, 1e7};
    for (double s : kSteps)
        if (s / scale >= 8.0) return s;
    return kSteps[std::size(kSteps) - 1];
}

void paint_zone_drawing(QPainter& painter, const QRectF& target, double pxPerMm, const QRectF& bounds,
                        double gridMm, const zones& list, int zone, const Revolution* revolution,
                        bool mirrored, const QFont& labelFont) {
    std::vector<const ZoneEntry*> shapes, filters;
    for (int i = 0; i < std::min<int>(list.count, kMaxZoneEntries); ++i) {
        const ZoneEntry& e = list.entries[i];
        if (e.zoneId == zone) (isFilter(e) ? filters : shapes).push_back(&e);
    }
    const double k = target.width() / bounds.width();  // device pixels per ground millimetre
    const QTransform toPage(k, 0, 0, -k, target.left() - bounds.left() * k,
                            target.top() + bounds.bottom() * k);

    painter.save();
    painter.setClipRect(target);
    painter.fillRect(target, Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);

    // ---- metre grid, the axes through the scanner stronger
    QPen gridPen(QColor(200, 200, 200), pxPerMm * 0.15);
    QPen axisPen(QColor(120, 120, 120), pxPerMm * 0.3);
    const double g = gridMm;
    for (double x = std::ceil(bounds.left() / g) * g; x <= bounds.right(); x += g) {
        painter.setPen(std::fabs(x) < g / 2 ? axisPen : gridPen);
        painter.drawLine(toPage.map(QPointF(x, bounds.top())), toPage.map(QPointF(x, bounds.bottom())));
    }
    for (double y = std::ceil(bounds.top() / g) * g; y <= bounds.bottom(); y += g) {
        painter.setPen(std::fabs(y) < g / 2 ? axisPen : gridPen);
        painter.drawLine(toPage.map(QPointF(bounds.left(), y)), toPage.map(QPointF(bounds.right(), y)));
    }

    // ---- the last revolution, under the shapes
    if (revolution) {
        QVector<QPointF> dots;
        for (const RawData& fan : *revolution)
            for (int i = 0; i < std::min<int>(fan.count, kMaxFanPoints); ++i) {
                const RawPoint& pt = fan.points[i];
                const double d = double(pt.distance) * 1000.0;
                if (!(d > 0) || d >= 65533) continue;
                const double lateral = d * std::sin(pt.angle) * (mirrored ? -1 : 1);
                const QPointF ground(lateral, d * std::cos(pt.angle));
                if (bounds.contains(ground)) dots << toPage.map(ground);
            }
        QPen dotPen(QColor(60, 60, 60), pxPerMm * 0.5, Qt::SolidLine, Qt::RoundCap);
        painter.setPen(dotPen);
        painter.drawPoints(dots.constData(), dots.size());
    }

    // ---- shapes by kind, observation under warning under alarm, filters cut out
    QPainterPath holes;
    for (const ZoneEntry* f : filters) holes = holes.united(report_zone_entry_path(*f));
    for (int kind = ZoneKindObservation; kind <= ZoneKindAlarm; ++kind)
        for (const ZoneEntry* e : shapes) {
            if (e->kind != kind) continue;
            QPainterPath path = report_zone_entry_path(*e);
            if (!holes.isEmpty() && path.intersects(holes)) path = path.subtracted(holes);
            painter.setBrush(kindColor(kind, 80));
            painter.setPen(QPen(kindEdge(kind), pxPerMm * 0.35));
            painter.drawPath(toPage.map(path));
        }
    for (const ZoneEntry* f : filters) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::black, pxPerMm * 0.3, Qt::DashLine));
        painter.drawPath(toPage.map(report_zone_entry_path(*f)));
    }

    // ---- the scanner, with its forward direction
    const QPointF origin = toPage.map(QPointF(0, 0));
    painter.setPen(QPen(Qt::black, pxPerMm * 0.3));
    painter.setBrush(Qt::black);
    const double r = pxPerMm * 1.2;
    painter.drawEllipse(origin, r, r);
    painter.drawLine(origin, origin - QPointF(0, r * 3));

    // ---- grid labels along the bottom and the left edge
    // Labels that would run into each other go on every second (fifth, tenth)
    // line, counted from the scanner so they stay on round values; one the
    // frame would cut is left out.
    painter.setFont(labelFont);
    painter.setPen(QColor(90, 90, 90));
    const QFontMetricsF fm(labelFont, painter.device());
    const double spacing = g * k, gap = pxPerMm * 1.5;
    auto labelEvery = [spacing](double room) {
        for (int n : {1, 2, 5, 10})
            if (spacing * n >= room) return n;
        return 20;
    };
    double widest = 0;
    for (double x = std::ceil(bounds.left() / g) * g; x <= bounds.right(); x += g)
        widest = std::max(widest, fm.horizontalAdvance(metres(x)));
    const int everyX = labelEvery(widest + gap), everyY = labelEvery(fm.height() + gap);
    for (double x = std::ceil(bounds.left() / g) * g; x <= bounds.right(); x += g) {
        if (std::llround(x / g) % everyX != 0) continue;
        const QPointF at = toPage.map(QPointF(x, bounds.top()));
        const QString text = metres(x);
        const QPointF base(at.x() + pxPerMm * 0.6, at.y() - pxPerMm * 0.8);
        if (base.x() + fm.horizontalAdvance(text) <= target.right()) painter.drawText(base, text);
    }
    for (double y = std::ceil(bounds.top() / g) * g; y <= bounds.bottom(); y += g) {
        if (std::llround(y / g) % everyY != 0) continue;
        const QPointF at = toPage.map(QPointF(bounds.left(), y));
        const QPointF base(at.x() + pxPerMm * 0.8, at.y() - pxPerMm * 0.6);
        if (base.y() - fm.ascent() >= target.top()) painter.drawText(base, metres(y));
    }
    painter.setClipping(false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, pxPerMm * 0.3));
    painter.drawRect(target);
    painter.restore();
}
