#include "commissioning_report.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "report_pager.h"
#include "report_parameters.h"
#include "report_tr.h"
#include "report_zone_drawing.h"

namespace {

// Free texts are cut long before they could fill a page; the layout then cuts
// them again to the room their cell has.
constexpr int kMaxNameChars = 300;

QString serialOf(const ReportInput& in) {
    return in.block ? QString::fromStdString(eeprom_product_sn(*in.block)) : QString();
}

QString modelOf(const ReportInput& in) {
    if (!in.model.isEmpty()) return in.model;
    return in.block ? QString::fromStdString(eeprom_type_id(*in.block)) : QString();
}

QString orDash(const QString& s) {
    return s.isEmpty() ? QStringLiteral("-") : s;
}

QDateTime createdAt(const ReportInput& in) {
    return in.createdAt.isValid() ? in.createdAt : QDateTime::currentDateTime();
}

QString timeText(const QDateTime& t) {
    return t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

// ---------------------------------------------------------------- identity

void identitySection(ReportPager& pager, const ReportInput& in) {
    pager.heading(CommissioningReport::tr("Commissioning report"), 20);
    pager.paragraph(CommissioningReport::tr(
                        "A record of the settings and protection fields of one scanner at its hand-over."),
                    pager.font(10));

    std::vector<QStringList> rows;
    rows.push_back({CommissioningReport::tr("Model"), orDash(modelOf(in))});
    rows.push_back({CommissioningReport::tr("Serial number"), orDash(serialOf(in))});
    if (in.block) {
        const EEpromV101& b = *in.block;
        rows.push_back({CommissioningReport::tr("Device number"), QString::number(b.deviceId)});
        if (in.linkType == QLatin1String("UART")) {
            rows.push_back(
                {CommissioningReport::tr("Serial baud rate"),
                 QStringLiteral("%1 %2").arg(eeprom_uart_baud(b)).arg(CommissioningReport::tr("baud"))});
        } else {
            rows.push_back({CommissioningReport::tr("Scanner address"),
                            QStringLiteral("%1 : %2")
                                .arg(QString::fromStdString(eeprom_dotted_quad(b.ip)))
                                .arg(b.lidarPort)});
            rows.push_back(
                {CommissioningReport::tr("Subnet mask / gateway"),
                 QStringLiteral("%1 / %2").arg(QString::fromStdString(eeprom_dotted_quad(b.mask)),
                                               QString::fromStdString(eeprom_dotted_quad(b.gateway)))});
            rows.push_back({CommissioningReport::tr("Scan data sent to"),
                            QStringLiteral("%1 : %2")
                                .arg(QString::fromStdString(eeprom_dotted_quad(b.uploadIp)))
                                .arg(b.uploadPort)});
        }
    }
    rows.push_back(
        {CommissioningReport::tr("Link used"), orDash(report_clean_text(in.linkText, kMaxNameChars))});
    rows.push_back({CommissioningReport::tr("Date and time"), timeText(createdAt(in))});
    rows.push_back({CommissioningReport::tr("Program version"), orDash(in.programVersion)});
    rows.push_back(
        {CommissioningReport::tr("Engineer"), orDash(report_clean_text(in.engineer, kMaxNameChars))});
    rows.push_back({CommissioningReport::tr("Site"), orDash(report_clean_text(in.site, kMaxNameChars))});
    pager.table({0.3, 0.7}, {}, rows, 3);

    pager.heading(CommissioningReport::tr("Summary"), 12);
    const std::vector<int> used = report_zone_numbers(in.zoneList);
    QStringList labels;
    for (int z : used) labels << report_zone_label(z);
    QString zonesText;
    if (!in.zonesRead)
        zonesText = CommissioningReport::tr("Protection fields: not read.");
    else if (used.empty())
        zonesText = CommissioningReport::tr("Protection fields: none stored.");
    else
        zonesText = CommissioningReport::tr("Protection fields: %1 shapes in zone(s) %2.")
                        .arg(in.zoneList.count)
                        .arg(labels.join(", "));
    pager.paragraph(zonesText, pager.font(10));
    const ReportVerification& v = in.verification;
    if (v.imageCrc) {
        QString check = v.matched
                            ? (*v.matched ? CommissioningReport::tr("matches the image last written")
                                          : CommissioningReport::tr("DOES NOT match the image last written"))
                            : CommissioningReport::tr("no written image to compare with");
        pager.paragraph(
            CommissioningReport::tr("Zone image CRC %1: %2.").arg(report_crc_text(*v.imageCrc), check),
            pager.font(10));
    }
}

// ---------------------------------------------------------------- parameters

void parameterSection(ReportPager& pager, const ReportInput& in) {
    pager.heading(CommissioningReport::tr("Parameters"));
    if (!in.block) {
        pager.paragraph(CommissioningReport::tr("The parameter block is not available."), pager.font(10));
        return;
    }
    const std::vector<ReportParameterRow> rows = report_parameter_rows(*in.block, in.linkType);
    std::vector<QString> groups;
    for (const auto& r : rows)
        if (groups.empty() || groups.back() != r.group) groups.push_back(r.group);

    // Two columns side by side: the first group on the left, the others on the right.
    const QRectF body = pager.body();
    const double gap = pager.mm(6);
    const double half = (body.width() - gap) / 2;
    const double top = pager.y();
    double bottom = top;
    for (size_t g = 0; g < groups.size(); ++g) {
        const bool left = g == 0;
        if (g == 1) pager.setY(top);
        std::vector<QStringList> cells;
        for (const auto& r : rows)
            if (r.group == groups[g]) cells.push_back({r.name, r.value});
        pager.setColumn(left ? body.left() : body.left() + half + gap, half);
        pager.table({0.6, 0.4}, {groups[g], CommissioningReport::tr("Value")}, cells, 3);
        bottom = std::max(bottom, pager.y());
    }
    pager.setColumn(body.left(), body.width());
    pager.setY(bottom);

    pager.heading(CommissioningReport::tr("Output mapping"), 12);
    pager.paragraph(CommissioningReport::tr("A mark: the status drives the output."), pager.font(9));
    const QStringList statuses = report_output_status_names();
    std::vector<QStringList> grid;
    for (int k = 0; k < statuses.size(); ++k) {
        QStringList row{statuses[k]};
        for (int j = 0; j < 4; ++j)
            row << (report_output_mapped(*in.block, k, j) ? QString(QChar(0x25CF)) : QString());
        grid.push_back(row);
    }
    pager.table({0.4, 0.15, 0.15, 0.15, 0.15},
                {CommissioningReport::tr("Status"), CommissioningReport::tr("Output 1"),
                 CommissioningReport::tr("Output 2"), CommissioningReport::tr("Output 3"),
                 CommissioningReport::tr("Output 4")},
                grid, 1);
}

// ---------------------------------------------------------------- protection fields

void zoneSection(ReportPager& pager, const ReportInput& in, int zone) {
    pager.heading(CommissioningReport::tr("Protection field: zone %1").arg(report_zone_label(zone)));
    const std::vector<QStringList> rows = report_zone_entry_rows(in.zoneList, zone);
    const QFont small = pager.font(8);
    const double lh = pager.lineHeight(small);
    // The drawing spans the body's width and whatever height its scale needs,
    // leaving room below for the caption and the first rows of the table.
    const double widthMm = pager.body().width() / pager.pxPerMm();
    const double maxHeightMm = std::max(60.0, (pager.remaining() - pager.mm(45)) / pager.pxPerMm());
    QRectF ground = report_zone_bounds(in.zoneList, zone);
    const double scale =
        report_drawing_scale(std::max(ground.width() / widthMm, ground.height() / maxHeightMm));
    // At least two thirds of the width high, so that the surroundings show as well.
    const double heightMm = std::min(maxHeightMm, std::max(ground.height() / scale + 4, widthMm * 0.66));
    const QPointF centre = ground.center();
    ground = QRectF(centre.x() - widthMm * scale / 2, centre.y() - heightMm * scale / 2, widthMm * scale,
                    heightMm * scale);
    const QRectF target(pager.body().left(), pager.y(), pager.body().width(), pager.mm(heightMm));
    const double gridMm = report_grid_step(scale);
    const Revolution* revolution = in.revolution ? &*in.revolution : nullptr;
    paint_zone_drawing(pager.painter(), target, pager.pxPerMm(), ground, gridMm, in.zoneList, zone,
                       revolution, in.mirrored, pager.font(6.5));
    pager.advance(target.height() + lh * 0.6);
    const QString grid = gridMm >= 1000 ? CommissioningReport::tr("%1 m").arg(gridMm / 1000)
                                        : CommissioningReport::tr("%1 mm").arg(gridMm);
    QString caption = CommissioningReport::tr(
                          "Grid %1, scale 1:%2. Blue: observation, yellow: warning, red: "
                          "alarm, dashed: filter polygon (cut out).")
                          .arg(grid)
                          .arg(scale);
    caption +=
        QLatin1Char(' ') + (revolution ? CommissioningReport::tr("Grey points: the last revolution received.")
                                       : CommissioningReport::tr("No revolution was available."));
    pager.paragraph(caption, small, 3);
    pager.table({0.07, 0.17, 0.14, 0.62}, report_zone_entry_header(), rows);
}

// ---------------------------------------------------------------- verification

void verificationSection(ReportPager& pager, const ReportInput& in) {
    pager.heading(CommissioningReport::tr("Verification"));
    const ReportVerification& v = in.verification;
    std::vector<QStringList> rows;
    rows.push_back({CommissioningReport::tr("Zones taken from"), v.source.isEmpty()
                                                                     ? CommissioningReport::tr("not read")
                                                                     : report_clean_text(v.source, 200)});
    rows.push_back({CommissioningReport::tr("Zone image CRC"),
                    v.imageCrc ? report_crc_text(*v.imageCrc) : CommissioningReport::tr("not available")});
    if (v.imageIntact)
        rows.push_back({CommissioningReport::tr("Image content"),
                        *v.imageIntact
                            ? CommissioningReport::tr("intact: the content gives the CRC of its header")
                            : CommissioningReport::tr("DAMAGED: the content does not give the CRC of "
                                                      "its header")});
    rows.push_back({CommissioningReport::tr("Last image written"),
                    v.writtenCrc ? (v.writtenAt.isValid()
                                        ? CommissioningReport::tr("%1 at %2")
                                              .arg(report_crc_text(*v.writtenCrc), timeText(v.writtenAt))
                                        : report_crc_text(*v.writtenCrc))
                                 : CommissioningReport::tr("no zone write recorded")});
    rows.push_back({CommissioningReport::tr("Matches what was written"),
                    v.matched ? (*v.matched ? CommissioningReport::tr("yes")
                                            : CommissioningReport::tr("NO: the scanner holds another image"))
                              : CommissioningReport::tr("not checked")});
    pager.table({0.3, 0.7}, {}, rows, 3);

    pager.heading(CommissioningReport::tr("Changes recorded today"), 12);
    if (in.audit.empty()) {
        pager.paragraph(CommissioningReport::tr("No change to this scanner is recorded for today."),
                        pager.font(10));
    } else {
        std::vector<QStringList> audit;
        for (const ReportAuditEntry& a : in.audit)
            audit.push_back({a.time.toLocalTime().toString(QStringLiteral("hh:mm:ss")),
                             QStringLiteral("%1 (%2)").arg(report_clean_text(a.program, 40)).arg(a.level),
                             report_clean_text(a.operation, 60), report_clean_text(a.command, 200),
                             report_clean_text(a.outcome, 40), report_clean_text(a.detail, 200)});
        pager.table({0.11, 0.15, 0.16, 0.26, 0.12, 0.20},
                    {CommissioningReport::tr("Time"), CommissioningReport::tr("Program (level)"),
                     CommissioningReport::tr("Operation"), CommissioningReport::tr("Command"),
                     CommissioningReport::tr("Outcome"), CommissioningReport::tr("Detail")},
                    audit, 4);
    }

    pager.heading(CommissioningReport::tr("Hand-over"), 12);
    const QString line = QStringLiteral("______________________");
    pager.table({0.3, 0.7}, {},
                {{CommissioningReport::tr("Handed over by"), report_clean_text(in.engineer, kMaxNameChars)},
                 {CommissioningReport::tr("Signature and date"), line},
                 {CommissioningReport::tr("Accepted by"), line},
                 {CommissioningReport::tr("Signature and date"), line}},
                2);
}

}  // namespace

QString report_crc_text(uint32_t crc) {
    return QStringLiteral("0x") + QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper();
}

QString report_program_version() {
    return QStringLiteral(VANTREL_VERSION);
}

int render_commissioning_report(const ReportInput& in, QPagedPaintDevice& device, int totalPages) {
    QPainter painter;
    if (!painter.begin(&device)) return 0;
    const QString serial = serialOf(in);
    QString headerLeft = CommissioningReport::tr("Commissioning report");
    if (!modelOf(in).isEmpty()) headerLeft += QStringLiteral(" - ") + modelOf(in);
    if (!serial.isEmpty()) headerLeft += QStringLiteral(" - ") + CommissioningReport::tr("SN %1").arg(serial);
    ReportPager pager(device, painter, headerLeft, timeText(createdAt(in)), in.programVersion, totalPages);

    identitySection(pager, in);
    pager.newPage();
    parameterSection(pager, in);
    if (in.zonesRead)
        for (int zone : report_zone_numbers(in.zoneList)) {
            pager.newPage();
            zoneSection(pager, in, zone);
        }
    pager.newPage();
    verificationSection(pager, in);
    pager.finish();
    painter.end();
    return pager.page();
}

QByteArray commissioning_report_pdf(const ReportInput& in, int* pages, QString* error) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (error)
            *error = CommissioningReport::tr(
                "The report needs the graphical application object to lay out its text.");
        return {};
    }
    // Twice: the first pass counts the pages the footers of the second print.
    int total = 0;
    QByteArray out;
    for (int pass = 0; pass < 2; ++pass) {
        out.clear();
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(300);
        writer.setTitle(CommissioningReport::tr("Commissioning report %1").arg(serialOf(in)));
        writer.setCreator(in.programVersion);
        total = render_commissioning_report(in, writer, total);
        if (total <= 0) {
            if (error) *error = CommissioningReport::tr("The report could not be rendered.");
            return {};
        }
    }
    if (pages) *pages = total;
    return out;
}

bool write_commissioning_report(const ReportInput& in, const QString& path, QString* error, int* pages) {
    const QByteArray pdf = commissioning_report_pdf(in, pages, error);
    if (pdf.isEmpty()) return false;
    const QString shown = QDir::toNativeSeparators(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = CommissioningReport::tr("Cannot write %1: %2").arg(shown, file.errorString());
        return false;
    }
    if (file.write(pdf) != pdf.size() || !file.commit()) {
        // QSaveFile drops its temporary file: nothing half-written is left behind.
        if (error) *error = CommissioningReport::tr("Cannot write %1: %2").arg(shown, file.errorString());
        return false;
    }
    return true;
}
