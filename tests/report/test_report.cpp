// The commissioning report as its reader gets it: the PDF is written, opened
// with poppler and its pages and text checked. Expected texts come from the
// inputs (the block's serial, the CRC, the zone numbers), not from the code.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>

#include "commissioning_report.h"
#include "pdf_read.h"
#include "report_audit.h"
#include "report_pager.h"

namespace {

using testsupport::pdfPages;
using testsupport::pdfText;

ZoneEntry entry(int type, int zone, int kind, std::initializer_list<std::pair<double, double>> points) {
    ZoneEntry e;
    e.type = type;
    e.zoneId = zone;
    e.kind = kind;
    for (const auto& p : points) e.points[e.pointCount++] = {p.first, p.second};
    return e;
}

// Zones 0, 3 and A: every shape and kind, a filter polygon, a 20-vertex polygon.
zones knownZones() {
    zones z;
    auto add = [&z](const ZoneEntry& e) { z.entries[z.count++] = e; };
    add(entry(ZoneShapeSector, 0, ZoneKindWarning, {{2700, 900}, {3000, 200}}));
    add(entry(ZoneShapeRectangle, 0, ZoneKindAlarm, {{0, -800}, {1500, 800}}));
    add(entry(ZoneShapePolygon, 0, ZoneKindObservation,
              {{-4000, 0}, {-4000, 4000}, {4000, 4000}, {4000, 0}}));
    add(entry(ZoneShapeFilter, 0, ZoneKindAlarm, {{-300, 500}, {-300, 1000}, {300, 1000}, {300, 500}}));
    add(entry(ZoneShapeEllipse, 3, ZoneKindAlarm, {{0, 1500}, {2000, 1200}}));
    ZoneEntry star = entry(ZoneShapePolygon, 10, ZoneKindWarning, {});
    for (int i = 0; i < kMaxZonePoints; ++i) {
        const double r = i % 2 ? 1500 : 3000, a = i * 2 * M_PI / kMaxZonePoints;
        star.points[star.pointCount++] = {std::round(r * std::sin(a)), std::round(2000 + r * std::cos(a))};
    }
    add(star);
    return z;
}

// A wall 5 m ahead and around: one revolution of 20 fans.
Revolution knownRevolution() {
    Revolution rev(20);
    for (int f = 0; f < 20; ++f) {
        RawData& fan = rev[f];
        fan.count = 100;
        fan.start = uint16_t(f * 180);
        fan.span = 180;
        for (int i = 0; i < fan.count; ++i) {
            fan.points[i].angle = float((f * 18 + i * 0.18) * M_PI / 180.0);
            fan.points[i].distance = 5.0f;
        }
    }
    return rev;
}

ReportInput knownInput() {
    ReportInput in;
    EEpromV101 b;
    std::memset(&b, 0, sizeof b);
    eeprom_set_text(b.productSn, sizeof b.productSn, "VT2401A0042");
    eeprom_set_text(b.typeId, sizeof b.typeId, "TQX-H540-S");
    b.deviceId = 7;
    const uint8_t ip[4] = {192, 168, 1, 10}, mask[4] = {255, 255, 255, 0}, up[4] = {192, 168, 1, 100};
    std::memcpy(b.ip, ip, 4);
    std::memcpy(b.mask, mask, 4);
    std::memcpy(b.uploadIp, up, 4);
    b.lidarPort = 2111;
    b.uploadPort = 2368;
    b.rpm = 900;
    b.outMap[2] = 0x05;  // alarm drives outputs 1 and 3
    in.block = b;
    in.linkType = QStringLiteral("UDP");
    in.linkText = QStringLiteral("udp://192.168.1.10:2111");
    in.model = QStringLiteral("TQX-H540-S");
    in.programVersion = QStringLiteral("vantrel-test 1.0");
    in.engineer = QStringLiteral("张伟 (Zhang Wei)");
    in.site = QStringLiteral("Hall 3, line 2");
    in.createdAt = QDateTime(QDate(2024, 5, 2), QTime(9, 30));
    in.zoneList = knownZones();
    in.zonesRead = true;
    in.revolution = knownRevolution();
    in.verification.source = QStringLiteral("read back from the scanner");
    in.verification.imageCrc = 0x1A2B3C4D;
    in.verification.imageIntact = true;
    in.verification.writtenCrc = 0x1A2B3C4D;
    in.verification.matched = true;
    in.audit.push_back({QDateTime(QDate(2024, 5, 2), QTime(9, 12)), QStringLiteral("vantrel"), 1,
                        QStringLiteral("zone write"), QStringLiteral("zones.json"),
                        QStringLiteral("succeeded"), QStringLiteral("image 0x1A2B3C4D")});
    return in;
}

struct Written {
    bool ok = false;
    QString error;
    int pages = 0;
    QString path;
};

Written writeReport(const QTemporaryDir& dir, const ReportInput& in, const QString& name = "report.pdf") {
    Written w;
    w.path = dir.filePath(name);
    w.ok = write_commissioning_report(in, w.path, &w.error, &w.pages);
    return w;
}

}  // namespace

TEST(CommissioningReport, PdfHoldsIdentityParametersOneDrawingPerZoneAndVerification) {
    VANTREL_REQUIRE_POPPLER();
    QTemporaryDir dir;
    const Written w = writeReport(dir, knownInput());
    ASSERT_TRUE(w.ok) << w.error.toStdString();

    // Identity, parameters, zones 0, 3 and A, verification.
    EXPECT_EQ(pdfPages(w.path), 6);
    EXPECT_EQ(w.pages, 6);
    const QString identity = pdfText(w.path, 1);
    for (const char* text : {"VT2401A0042", "TQX-H540-S", "192.168.1.10 : 2111", "192.168.1.100 : 2368",
                             "udp://192.168.1.10:2111", "2024-05-02 09:30:00", "vantrel-test 1.0",
                             "张伟 (Zhang Wei)", "Hall 3, line 2", "Page 1 of 6"})
        EXPECT_TRUE(identity.contains(QString::fromUtf8(text))) << text << "\n" << identity.toStdString();

    const QString params = pdfText(w.path, 2);
    for (const char* text : {"Rotation speed", "900 rpm", "Subnet mask", "255.255.255.0", "Output mapping",
                             "Lens obscured", "Output 4"})
        EXPECT_TRUE(params.contains(QString::fromUtf8(text))) << text << "\n" << params.toStdString();
    // Two marks in the grid: the alarm row drives outputs 1 and 3.
    EXPECT_EQ(params.count(QChar(0x25CF)), 2);

    const char* const zonePages[] = {"zone 0", "zone 3", "zone A"};
    for (int i = 0; i < 3; ++i) {
        const QString page = pdfText(w.path, 3 + i);
        EXPECT_TRUE(page.contains(QString::fromLatin1(zonePages[i]))) << page.toStdString();
        EXPECT_TRUE(page.contains(QStringLiteral("last revolution"))) << page.toStdString();
    }
    EXPECT_TRUE(pdfText(w.path, 3).contains(QStringLiteral("bottom 0, left -800, top 1500, right 800")));
    EXPECT_TRUE(pdfText(w.path, 3).contains(QStringLiteral("filter polygon")));

    const QString verification = pdfText(w.path, 6);
    EXPECT_TRUE(verification.contains(QStringLiteral("0x1A2B3C4D"))) << verification.toStdString();
    EXPECT_TRUE(verification.contains(QStringLiteral("zones.json")));
    EXPECT_TRUE(verification.contains(QStringLiteral("Page 6 of 6")));
}

TEST(CommissioningReport, ZonesNotReadAndNoBlockStillGiveAReadableReport) {
    VANTREL_REQUIRE_POPPLER();
    QTemporaryDir dir;
    ReportInput in;
    in.linkText = QStringLiteral("parameter file empty.lidar");
    const Written w = writeReport(dir, in);
    ASSERT_TRUE(w.ok) << w.error.toStdString();
    EXPECT_EQ(pdfPages(w.path), 3);  // identity, parameters, verification
    const QString text = pdfText(w.path);
    EXPECT_TRUE(text.contains(QStringLiteral("The parameter block is not available.")));
    EXPECT_TRUE(text.contains(QStringLiteral("Protection fields: not read.")));
}

TEST(CommissioningReport, NamesOfAnyLengthOrScriptAreCutCleanly) {
    VANTREL_REQUIRE_POPPLER();
    QTemporaryDir dir;
    ReportInput in = knownInput();
    in.engineer = QStringLiteral("工程师").repeated(700);  // far wider than its cell
    in.site = QStringLiteral("North\nplant\t\x1b[31m line ") + QString(500, QLatin1Char('x'));
    const Written w = writeReport(dir, in);
    ASSERT_TRUE(w.ok) << w.error.toStdString();
    EXPECT_EQ(pdfPages(w.path), 6);  // nothing pushed onto extra pages
    const QString identity = pdfText(w.path, 1);
    EXPECT_TRUE(identity.contains(QStringLiteral("工程师工程师"))) << identity.toStdString();
    EXPECT_TRUE(identity.contains(QChar(0x2026))) << identity.toStdString();  // the cut is marked
    EXPECT_TRUE(identity.contains(QStringLiteral("North plant [31m line"))) << identity.toStdString();
    EXPECT_FALSE(identity.contains(QChar(0x1b)));

    // A cut never splits a surrogate pair or a letter from its accent.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80").repeated(10);  // U+1F600 x 10
    EXPECT_EQ(report_clean_text(emoji, 3), emoji.left(6) + QChar(0x2026));
    const QString accented = QString::fromUtf8("e\xCC\x81").repeated(5);  // e + combining acute
    EXPECT_EQ(report_clean_text(accented, 2), accented.left(4) + QChar(0x2026));
}

TEST(CommissioningReport, FolderThatCannotBeWrittenLeavesNoFile) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath("not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QDir(dir.path()).mkdir("existing-folder");
    const ReportInput in = knownInput();
    for (const QString& target : {dir.filePath("missing/report.pdf"), dir.filePath("not-a-folder/report.pdf"),
                                  dir.filePath("existing-folder")}) {
        QString error;
        EXPECT_FALSE(write_commissioning_report(in, target, &error)) << target.toStdString();
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(target))) << error.toStdString();
    }
    // Nothing new next to the two things that were there, no temporary leftovers.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 2);
    EXPECT_EQ(QFileInfo(dir.filePath("not-a-folder")).size(), 0);
    EXPECT_TRUE(QDir(dir.filePath("existing-folder")).isEmpty());
}

TEST(CommissioningReport, AuditTrailGivesTodaysEntriesOfThisScannerAndTheWriteToCheckAgainst) {
    const QDate today(2024, 5, 2);
    auto record = [](const char* serial, const QDateTime& time, const char* operation,
                     std::optional<quint32> crc) {
        AuditRecord r;
        r.serial = QString::fromLatin1(serial);
        r.time = time;
        r.operation = QString::fromLatin1(operation);
        r.outcome = QString::fromLatin1(audit::kSucceeded);
        r.imageCrc = crc;
        return r;
    };
    const std::vector<AuditRecord> trail = {
        record("VT2401A0042", QDateTime(today.addDays(-1), QTime(16, 0)), audit::kZoneWrite, 0x11111111),
        record("VT2401A0042", QDateTime(today, QTime(9, 0)), audit::kParameterCommand, std::nullopt),
        record("VTOTHER", QDateTime(today, QTime(9, 5)), audit::kZoneWrite, 0x22222222),
    };
    for (const auto& [readBack, matched] :
         {std::pair<uint32_t, bool>{0x11111111, true}, {0x33333333, false}}) {
        ReportInput in;
        in.verification.imageCrc = readBack;
        report_take_audit(in, trail, QStringLiteral("VT2401A0042"), today);
        ASSERT_EQ(in.audit.size(),
                  1u);  // yesterday's write and the other scanner are not today's of this one
        EXPECT_EQ(in.audit[0].operation, QString::fromLatin1(audit::kParameterCommand));
        EXPECT_EQ(in.verification.writtenCrc, std::optional<uint32_t>(0x11111111));
        EXPECT_EQ(in.verification.matched, std::optional<bool>(matched));
    }
}
