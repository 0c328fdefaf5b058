// vantrel-cli report against a simulated scanner holding a known zone image,
// and from a parameter file. The PDF is read back with poppler; expected texts
// come from the simulator's configuration and the image the test encoded.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstring>
#include <memory>

#include "cli_run.h"
#include "netguard.h"
#include "param_file.h"
#include "pdf_read.h"
#include "qt_wait.h"
#include "simulator.h"
#include "zone_image.h"

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

// Zones 0, 3 and A encoded as the scanner stores them; the image's CRC is what
// the report must show.
struct KnownImage {
    std::unique_ptr<ZoneDef> def = std::make_unique<ZoneDef>();
    QByteArray bytes() const { return QByteArray(reinterpret_cast<const char*>(def.get()), kZoneDefSize); }
    QString crcText() const { return QString::asprintf("0x%08X", def->crc); }
};

KnownImage knownImage() {
    auto list = std::make_unique<zones>();
    auto add = [&](const ZoneEntry& e) { list->entries[list->count++] = e; };
    add(entry(ZoneShapeRectangle, 0, ZoneKindAlarm, {{0, -800}, {1500, 800}}));
    add(entry(ZoneShapeSector, 3, ZoneKindWarning, {{2700, 900}, {3000, 200}}));
    add(entry(ZoneShapePolygon, 10, ZoneKindObservation,
              {{-2000, 0}, {-2000, 3000}, {2000, 3000}, {2000, 0}}));
    KnownImage image;
    EXPECT_EQ(zones_to_zonedef(*list, false, 1714640000, *image.def), kZoneListOk);
    return image;
}

std::unique_ptr<sim::Simulator> startScanner(quint16 port, const QString& stateFile, bool mute) {
    testsupport::ensureApp();
    sim::SimOptions o;
    o.udpAddress = QStringLiteral("127.0.0.2");
    o.udpPort = port;
    o.serialNumber = QStringLiteral("VTRPT0007");
    o.heartbeat = sim::HeartbeatKind::Off;
    o.logCommands = false;
    o.mute = mute;
    o.stateFile = stateFile;
    auto s = std::make_unique<sim::Simulator>(o);
    QString error;
    EXPECT_TRUE(s->start(&error)) << error.toStdString();
    return s;
}

int entriesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size();
}

}  // namespace

TEST(CliReport, LiveScannerReportShowsItsSerialTheImageCrcAndEveryZone) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    VANTREL_REQUIRE_POPPLER();
    QTemporaryDir dir;
    const KnownImage image = knownImage();
    QFile zonesFile(dir.filePath("scanner.zones"));
    ASSERT_TRUE(zonesFile.open(QIODevice::WriteOnly));
    zonesFile.write(image.bytes());
    zonesFile.close();
    auto scanner = startScanner(17601, dir.filePath("scanner"), false);

    const QString out = dir.filePath("report.pdf");
    const CliRun r = runCli({"report", "udp://127.0.0.2:17601?local=17651", out, "--engineer",
                             QStringLiteral("张伟"), "--site", "Hall 3"},
                            60000);
    ASSERT_TRUE(r.finished);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    // Identity, parameters, zones 0, 3 and A, verification.
    EXPECT_EQ(pdfPages(out), 6);
    const QString text = pdfText(out);
    for (const QString& expected :
         {QStringLiteral("VTRPT0007"), QStringLiteral("TQX-H540-S"), image.crcText(), QStringLiteral("张伟"),
          QStringLiteral("Hall 3"), QStringLiteral("udp://127.0.0.2:17601"), QStringLiteral("zone 0"),
          QStringLiteral("zone 3"), QStringLiteral("zone A")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n" << text.toStdString();
    // The simulator streams: the drawings lie over its last revolution.
    EXPECT_TRUE(pdfText(out, 3).contains(QStringLiteral("the last revolution received")));
    EXPECT_TRUE(text.contains(QStringLiteral("Matches what was written not checked"))) << text.toStdString();

    // After a zone write the image read back is checked against the one the trail recorded.
    QFile json(dir.filePath("zones.json"));
    ASSERT_TRUE(json.open(QIODevice::WriteOnly));
    json.write(
        R"({"zones": [{"shape": "rectangle", "zone": 5, "kind": "warning", "points": [[0, -900], [2000, 900]]}]})");
    json.close();
    const CliRun write =
        runCli({"zones", "write", "udp://127.0.0.2:17601?local=17651", json.fileName()}, 60000);
    ASSERT_EQ(write.exitCode, 0) << write.err.toStdString();
    const QString after = dir.filePath("after.pdf");
    ASSERT_EQ(runCli({"report", "udp://127.0.0.2:17601?local=17651", after}, 60000).exitCode, 0);
    EXPECT_EQ(pdfPages(after), 4);  // identity, parameters, zone 5, verification
    const QString verification = pdfText(after, 4);
    for (const char* expected : {"Matches what was written yes", "zone write", "succeeded"})
        EXPECT_TRUE(verification.contains(QString::fromLatin1(expected))) << expected << "\n"
                                                                          << verification.toStdString();
}

TEST(CliReport, SilentScannerExitsFourAndLeavesNoFile) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    QTemporaryDir dir;
    auto scanner = startScanner(17602, QString(), true);
    const CliRun r =
        runCli({"report", "udp://127.0.0.2:17602?local=17652", dir.filePath("report.pdf")}, 60000);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 4) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("never answered")) << r.err.toStdString();
    EXPECT_EQ(entriesIn(dir.path()), 0);
}

TEST(CliReport, OfflineReportOfAParameterFileAndAFolderThatCannotBeWritten) {
    VANTREL_REQUIRE_POPPLER();
    QTemporaryDir dir;
    const KnownImage image = knownImage();
    EEpromV101 block;
    std::memset(&block, 0, sizeof block);
    eeprom_set_text(block.productSn, sizeof block.productSn, "VTFILE0042");
    eeprom_set_text(block.typeId, sizeof block.typeId, "TQX-H540-S");
    block.rpm = 1200;
    const QString lidar = dir.filePath("site.lidar");
    ASSERT_TRUE(
        write_param_file(lidar.toStdString(), reinterpret_cast<const uint8_t*>(image.def.get()), &block));

    const QString out = dir.filePath("offline.pdf");
    const CliRun r = runCli({"report", "--offline", lidar, out});
    ASSERT_TRUE(r.finished);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(pdfPages(out), 6);
    const QString text = pdfText(out);
    for (const QString& expected : {QStringLiteral("VTFILE0042"), QStringLiteral("1200 rpm"), image.crcText(),
                                    QStringLiteral("parameter file site.lidar"), QStringLiteral("zone A")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n" << text.toStdString();

    const CliRun bad = runCli({"report", "--offline", lidar, dir.filePath("missing/offline.pdf")});
    ASSERT_TRUE(bad.finished);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains("cannot write")) << bad.err.toStdString();
    EXPECT_EQ(entriesIn(dir.path()), 2);  // the parameter file and the first report
}
