#include "report_parameters.h"

#include "report_tr.h"

namespace {

QString onOff(bool on) {
    return on ? CommissioningReport::tr("on") : CommissioningReport::tr("off");
}

QString quad(const uint8_t octets[4]) {
    return QString::fromStdString(eeprom_dotted_quad(octets));
}

QString withUnit(qlonglong value, const char* unit) {
    return QStringLiteral("%1 %2").arg(value).arg(CommissioningReport::tr(unit));
}

}  // namespace

QStringList report_output_status_names() {
    return {CommissioningReport::tr("Observe"),
            CommissioningReport::tr("Warning"),
            CommissioningReport::tr("Alarm"),
            CommissioningReport::tr("Lens obscured"),
            CommissioningReport::tr("No data"),
            CommissioningReport::tr("Zone set"),
            CommissioningReport::tr("System fault"),
            CommissioningReport::tr("System normal"),
            CommissioningReport::tr("Network connected"),
            CommissioningReport::tr("Zone updating"),
            CommissioningReport::tr("Zero position"),
            CommissioningReport::tr("Reserved")};
}

std::vector<ReportParameterRow> report_parameter_rows(const EEpromV101& b, const QString& linkType) {
    std::vector<ReportParameterRow> rows;
    QString group;
    auto add = [&](const QString& name, const QString& value) { rows.push_back({group, name, value}); };

    group = CommissioningReport::tr("Operation");
    add(CommissioningReport::tr("Rotation speed"),
        withUnit(b.rpm, QT_TRANSLATE_NOOP("CommissioningReport", "rpm")));
    static const char* const kUpload[] = {QT_TRANSLATE_NOOP("CommissioningReport", "none"),
                                          QT_TRANSLATE_NOOP("CommissioningReport", "data only"),
                                          QT_TRANSLATE_NOOP("CommissioningReport", "alarm only"),
                                          QT_TRANSLATE_NOOP("CommissioningReport", "data and alarm")};
    add(CommissioningReport::tr("Upload type"),
        b.pst < 4 ? QStringLiteral("%1 (%2)").arg(b.pst).arg(CommissioningReport::tr(kUpload[b.pst]))
                  : CommissioningReport::tr("unknown (%1)").arg(b.pst));
    add(CommissioningReport::tr("Trailing-point removal"), onOff(b.dsw != 0));
    add(CommissioningReport::tr("Trailing-point removal factor"), QString::number(b.af));
    add(CommissioningReport::tr("Data smoothing"), onOff(b.smt != 0));
    add(CommissioningReport::tr("Filter rings"), QString::number(b.cir));
    add(CommissioningReport::tr("Filter points"), QString::number(b.fir));
    add(CommissioningReport::tr("Target segmentation"), onOff(eeprom_segmentation(b)));
    add(CommissioningReport::tr("Target continuity distance threshold"), QString::number(b.zirDistance));
    add(CommissioningReport::tr("Rotation direction"),
        b.ccw ? CommissioningReport::tr("counter-clockwise") : CommissioningReport::tr("clockwise"));
    add(CommissioningReport::tr("Active zone"), QString::number(b.azn & 0x0F, 16).toUpper());
    add(CommissioningReport::tr("Zone switching"),
        (b.azn & 0x10) ? CommissioningReport::tr("software") : CommissioningReport::tr("hardware"));
    add(CommissioningReport::tr("Fixed upload"), onOff(b.tfx != 0));

    group = CommissioningReport::tr("Communication");
    if (linkType == QLatin1String("UART")) {
        add(CommissioningReport::tr("Serial baud rate"),
            withUnit(eeprom_uart_baud(b), QT_TRANSLATE_NOOP("CommissioningReport", "baud")));
    } else {
        add(CommissioningReport::tr("Scanner IP"), quad(b.ip));
        add(CommissioningReport::tr("Subnet mask"), quad(b.mask));
        add(CommissioningReport::tr("Gateway"), quad(b.gateway));
        add(CommissioningReport::tr("Scanner port"), QString::number(b.lidarPort));
        add(CommissioningReport::tr("Upload IP"), quad(b.uploadIp));
        add(CommissioningReport::tr("Upload port"), QString::number(b.uploadPort));
    }

    group = CommissioningReport::tr("I/O configuration");
    for (int k = 0; k < 4; ++k)
        add(CommissioningReport::tr("Output %1 on by default").arg(k + 1), onOff((b.pnpBits >> k) & 1u));
    add(CommissioningReport::tr("Output type"),
        ((b.pnpBits >> 7) & 1u) ? QStringLiteral("NPN") : QStringLiteral("PNP"));

    // Settings the page does not show but an import writes back: worth a record.
    group = CommissioningReport::tr("Other stored settings");
    add(CommissioningReport::tr("Device number"), QString::number(b.deviceId));
    add(QStringLiteral("ATS"), QString::number(b.ats));
    add(QStringLiteral("RES"), QString::number(b.res));
    add(QStringLiteral("DOG"), QString::number(b.dog));
    return rows;
}
