#include "report_pager.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>

#include "report_tr.h"

namespace {

// DejaVu Sans covers Latin, Greek and Cyrillic; the font database falls back
// to a CJK font (WenQuanYi Zen Hei on our systems) for Chinese characters.
const char kFamily[] = "DejaVu Sans";

const double kMarginSide = 18, kMarginTop = 22, kMarginBottom = 20;  // mm
const double kCellPad = 1.2;                                         // mm

}  // namespace

QString report_clean_text(const QString& text, int maxChars) {
    QString flat = text;
    for (QChar& c : flat) {
        const QChar::Category cat = c.category();
        if (cat == QChar::Other_Control || cat == QChar::Separator_Line || cat == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    flat = flat.simplified();
    if (maxChars <= 0) return QString();
    // Count characters as a reader sees them: a base with its combining marks,
    // a surrogate pair, a CJK ideograph each count once and are never split.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, flat);
    int count = 0;
    int cut = -1;
    for (int pos = finder.toNextBoundary(); pos >= 0; pos = finder.toNextBoundary()) {
        if (++count == maxChars) {
            cut = pos;
            break;
        }
    }
    if (cut < 0 || cut >= flat.size()) return flat;
    return flat.left(cut).trimmed() + QChar(0x2026);
}

ReportPager::ReportPager(QPagedPaintDevice& device, QPainter& painter, const QString& headerLeft,
                         const QString& headerRight, const QString& footerLeft, int totalPages)
    : m_device(device),
      m_painter(painter),
      m_headerLeft(headerLeft),
      m_headerRight(headerRight),
      m_footerLeft(footerLeft),
      m_total(totalPages) {
    m_pxPerMm = device.logicalDpiX() / 25.4;
    m_paper = QRectF(0, 0, device.width(), device.height());
    m_body = m_paper.adjusted(mm(kMarginSide), mm(kMarginTop), -mm(kMarginSide), -mm(kMarginBottom));
    m_y = m_body.top();
    m_colLeft = m_body.left();
    m_colWidth = m_body.width();
}

QFont ReportPager::font(double points, bool bold) const {
    QFont f(QString::fromLatin1(kFamily));
    f.setPointSizeF(points);
    f.setBold(bold);
    // Any letter spacing keeps the shaper from joining "fi" and "fl" into
    // ligatures, which would make "filter" unsearchable in the PDF.
    f.setLetterSpacing(QFont::AbsoluteSpacing, 0.05);
    return f;
}

double ReportPager::lineHeight(const QFont& f) const {
    return QFontMetricsF(f, &m_device).lineSpacing();
}

QStringList ReportPager::lines(const QString& text, const QFont& f, double width, int maxLines) const {
    QStringList out;
    if (text.isEmpty() || maxLines <= 0) return out;
    const QFontMetricsF fm(f, &m_device);
    QTextLayout layout(text, f, &m_device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        if (out.size() == maxLines - 1) {
            // The last line allowed takes the rest, cut to the width.
            const QString rest = text.mid(line.textStart()).trimmed();
            out << fm.elidedText(rest, Qt::ElideRight, width);
            break;
        }
        QString piece = text.mid(line.textStart(), line.textLength());
        while (piece.endsWith(QLatin1Char(' '))) piece.chop(1);
        out << piece;
    }
    layout.endLayout();
    return out;
}

void ReportPager::furniture() {
    const QFont small = font(8);
    const QFontMetricsF fm(small, &m_device);
    m_painter.save();
    m_painter.setFont(small);
    m_painter.setPen(QColor(80, 80, 80));
    const double top = mm(12);
    const double half = m_body.width() / 2;
    m_painter.drawText(QPointF(m_body.left(), top), fm.elidedText(m_headerLeft, Qt::ElideRight, half * 1.3));
    const QString right = fm.elidedText(m_headerRight, Qt::ElideRight, half * 0.6);
    m_painter.drawText(QPointF(m_body.right() - fm.horizontalAdvance(right), top), right);
    m_painter.setPen(QPen(QColor(150, 150, 150), mm(0.2)));
    m_painter.drawLine(QPointF(m_body.left(), top + mm(2)), QPointF(m_body.right(), top + mm(2)));

    const double bottom = m_paper.bottom() - mm(10);
    m_painter.drawLine(QPointF(m_body.left(), bottom - fm.ascent() - mm(2)),
                       QPointF(m_body.right(), bottom - fm.ascent() - mm(2)));
    m_painter.setPen(QColor(80, 80, 80));
    m_painter.drawText(QPointF(m_body.left(), bottom),
                       fm.elidedText(m_footerLeft, Qt::ElideRight, half * 1.3));
    const QString pageText = m_total > 0 ? CommissioningReport::tr("Page %1 of %2").arg(m_page).arg(m_total)
                                         : CommissioningReport::tr("Page %1").arg(m_page);
    m_painter.drawText(QPointF(m_body.right() - fm.horizontalAdvance(pageText), bottom), pageText);
    m_painter.restore();
}

void ReportPager::newPage() {
    furniture();
    m_device.newPage();
    ++m_page;
    m_y = m_body.top();
}

void ReportPager::ensure(double height) {
    if (height > remaining() && m_y > m_body.top()) newPage();
}

void ReportPager::finish() {
    furniture();
}

void ReportPager::heading(const QString& text, double points) {
    const QFont f = font(points, true);
    const double h = lineHeight(f);
    // A title alone at the foot of a page is no use: keep room for some lines after it.
    ensure(h * 4);
    if (m_y > m_body.top()) m_y += h * 0.5;
    m_painter.setFont(f);
    m_painter.setPen(Qt::black);
    const QFontMetricsF fm(f, &m_device);
    m_painter.drawText(QPointF(m_body.left(), m_y + fm.ascent()),
                       fm.elidedText(text, Qt::ElideRight, m_body.width()));
    m_y += h * 1.4;
}

void ReportPager::paragraph(const QString& text, const QFont& f, int maxLines) {
    const QFontMetricsF fm(f, &m_device);
    const double h = fm.lineSpacing();
    m_painter.setFont(f);
    m_painter.setPen(Qt::black);
    for (const QString& line : lines(text, f, m_body.width(), maxLines)) {
        ensure(h);
        m_painter.drawText(QPointF(m_body.left(), m_y + fm.ascent()), line);
        m_y += h;
    }
    m_y += h * 0.4;
}

double ReportPager::rowHeight(const std::vector<double>& colWidths, const QStringList& cells, const QFont& f,
                              int maxLines) const {
    int most = 1;
    for (size_t c = 0; c < colWidths.size() && int(c) < cells.size(); ++c)
        most = std::max(most, int(lines(cells[int(c)], f, colWidths[c] - 2 * mm(kCellPad), maxLines).size()));
    return most * lineHeight(f) + 2 * mm(kCellPad);
}

void ReportPager::drawRow(const std::vector<double>& colWidths, const QStringList& cells, const QFont& f,
                          int maxLines, double height, bool shaded) {
    const QFontMetricsF fm(f, &m_device);
    const QRectF row(m_colLeft, m_y, m_colWidth, height);
    if (shaded) m_painter.fillRect(row, QColor(230, 230, 236));
    m_painter.setFont(f);
    double x = m_colLeft;
    for (size_t c = 0; c < colWidths.size(); ++c) {
        if (int(c) < cells.size()) {
            m_painter.setPen(Qt::black);
            double ty = m_y + mm(kCellPad) + fm.ascent();
            for (const QString& line : lines(cells[int(c)], f, colWidths[c] - 2 * mm(kCellPad), maxLines)) {
                m_painter.drawText(QPointF(x + mm(kCellPad), ty), line);
                ty += fm.lineSpacing();
            }
        }
        x += colWidths[c];
    }
    m_painter.setPen(QPen(QColor(170, 170, 170), mm(0.15)));
    m_painter.drawLine(row.bottomLeft(), row.bottomRight());
}

void ReportPager::table(const std::vector<double>& widths, const QStringList& header,
                        const std::vector<QStringList>& rows, int maxLinesPerCell) {
    std::vector<double> colWidths;
    for (double w : widths) colWidths.push_back(w * m_colWidth);
    const QFont bodyFont = font(9);
    const QFont headFont = font(9, true);
    const double headHeight = header.isEmpty() ? 0 : rowHeight(colWidths, header, headFont, 2);
    auto drawHeader = [&] {
        if (header.isEmpty()) return;
        drawRow(colWidths, header, headFont, 2, headHeight, true);
        m_y += headHeight;
    };
    const double firstRow = rows.empty() ? 0 : rowHeight(colWidths, rows.front(), bodyFont, maxLinesPerCell);
    ensure(headHeight + firstRow);
    drawHeader();
    for (const QStringList& cells : rows) {
        const double h = rowHeight(colWidths, cells, bodyFont, maxLinesPerCell);
        if (h > remaining() && m_y > m_body.top()) {
            newPage();
            drawHeader();
        }
        drawRow(colWidths, cells, bodyFont, maxLinesPerCell, h, false);
        m_y += h;
    }
    m_y += lineHeight(bodyFont) * 0.6;
}
