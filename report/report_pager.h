#pragma once
// Lays text and tables out on the A4 pages of a report: a cursor running down
// the page, a header and a "page n of N" footer on every page, texts wrapped
// and cut cleanly at a width, and tables that go on on the next page with
// their header repeated. Device pixels throughout; mm() converts.

#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <vector>

class QPagedPaintDevice;
class QPainter;

// Makes a free text safe to lay out: control characters (line breaks, tabs,
// escapes) become spaces, runs of spaces shrink to one, and a text longer than
// `maxChars` characters is cut at a character boundary (never inside a
// surrogate pair or a combined character) and ends in an ellipsis.
QString report_clean_text(const QString& text, int maxChars);

class ReportPager {
public:
    // `totalPages` 0: the total is not known yet (first pass); the footer then
    // shows the page number alone.
    ReportPager(QPagedPaintDevice& device, QPainter& painter, const QString& headerLeft,
                const QString& headerRight, const QString& footerLeft, int totalPages);

    double mm(double v) const { return v * m_pxPerMm; }
    double pxPerMm() const { return m_pxPerMm; }
    QRectF body() const { return m_body; }
    double y() const { return m_y; }
    void advance(double h) { m_y += h; }
    void setY(double y) { m_y = y; }
    // Tables are laid into this column (device pixels); the body width by default.
    void setColumn(double left, double width) { m_colLeft = left, m_colWidth = width; }
    double remaining() const { return m_body.bottom() - m_y; }
    int page() const { return m_page; }
    QPainter& painter() { return m_painter; }

    void newPage();
    // Starts a new page unless `height` still fits below the cursor.
    void ensure(double height);
    // Draws the footer of the last page; call once when done.
    void finish();

    QFont font(double points, bool bold = false) const;
    double lineHeight(const QFont& font) const;
    // `text` broken into lines no wider than `width`, at most `maxLines` of
    // them; what does not fit ends the last line in an ellipsis.
    QStringList lines(const QString& text, const QFont& font, double width, int maxLines) const;

    // A section title (starts a new page unless enough room is left).
    void heading(const QString& text, double points = 14);
    // Wrapped text across the body width.
    void paragraph(const QString& text, const QFont& font, int maxLines = 12);
    // A table across the body width; `widths` are fractions of it. An empty
    // header draws none. Cells wrap; rows never split across pages.
    void table(const std::vector<double>& widths, const QStringList& header,
               const std::vector<QStringList>& rows, int maxLinesPerCell = 12);

private:
    void furniture();
    double rowHeight(const std::vector<double>& colWidths, const QStringList& cells, const QFont& font,
                     int maxLines) const;
    void drawRow(const std::vector<double>& colWidths, const QStringList& cells, const QFont& font,
                 int maxLines, double height, bool shaded);

    QPagedPaintDevice& m_device;
    QPainter& m_painter;
    QString m_headerLeft, m_headerRight, m_footerLeft;
    int m_total = 0;
    int m_page = 1;
    double m_pxPerMm = 1;
    QRectF m_paper;
    QRectF m_body;
    double m_y = 0;
    double m_colLeft = 0, m_colWidth = 0;
};
