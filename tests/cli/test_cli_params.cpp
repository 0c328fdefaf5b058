// vantrel-cli params against live simulated scanners: one scanner's
// parameters exported and imported into a second, a file written byte by byte
// imported the same way, refusals and damaged files, and the file shown as
// JSON. Expected values come from the simulators and the files, never from
// the CLI's code.

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli_run.h"
#include "eeprom.h"
#include "netguard.h"
#include "qt_wait.h"
#include "simulator.h"

namespace {

using nlohmann::json;

std::unique_ptr<sim::Simulator> startScanner(const char* ip, quint16 port, bool refuse = false,
                                             const char* sn = "VTPAR0001") {
    testsupport::ensureApp();
    sim::SimOptions o;
    o.udpAddress = QString::fromLatin1(ip);
    o.udpPort = port;
    o.serialNumber = QString::fromLatin1(sn);
    o.heartbeat = sim::HeartbeatKind::Off;
    o.refuse = refuse;
    o.logCommands = false;
    auto s = std::make_unique<sim::Simulator>(o);
    if (!s->start()) return nullptr;
    return s;
}

QString link(const char* ip, quint16 port, int local) {
    return QStringLiteral("udp://%1:%2?local=%3").arg(QString::fromLatin1(ip)).arg(port).arg(local);
}

json info(const QString& linkText) {
    const CliRun r = runCli({"info", linkText});
    if (r.exitCode != 0) return json();
    return json::parse(r.out.toStdString(), nullptr, false)["block"];
}

// A parameter file as bytes, written without the program's own writer.
QByteArray blockFile(const EEpromV101& b) {
    QByteArray f("v101", 4);
    f.append(char(sizeof b)).append(3, '\0');
    f.append(reinterpret_cast<const char*>(&b), sizeof b);
    return f;
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The fields the import writes (upload, operation, I/O groups).
const char* const kImported[] = {"uploadIp",    "uploadPort",   "tfx", "ats",    "dog",    "rpm",
                                 "zirDistance", "segmentation", "smt", "dsw",    "fir",    "cir",
                                 "res",         "activeZone",   "af",  "outMap", "pnpBits"};

}  // namespace

TEST(CliParams, ExportOfOneScannerImportedIntoAnotherCopiesEveryImportedField) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    auto first = startScanner("127.0.0.2", 17301);
    auto second = startScanner("127.0.0.3", 17302, false, "VTPAR0002");
    ASSERT_TRUE(first && second);
    QTemporaryDir dir;
    const QString a = link("127.0.0.2", 17301, 17401);
    const QString b = link("127.0.0.3", 17302, 17402);
    // Make the first scanner differ from the factory settings everywhere.
    for (const char* cmd : {"LSRPM:1200H", "LSAF:25H", "LSAZN:CH", "LSFIR:7H", "LSCIR:12H", "LSSMT:1H",
                            "LSDSW:0H", "LSTFX:1H", "LSZIR:0,450H", "LSPNP:01100001H",
                            "LSOUT:01020408010204080102040800000000H", "LSDST:127.000.000.009 17999H"})
        ASSERT_EQ(runCli({"send", a, QString::fromLatin1(cmd)}).exitCode, 0) << cmd;

    const QString file = dir.filePath(QStringLiteral("first.lidar"));
    const CliRun exported = runCli({"params", "export", a, file, "--zones"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    EXPECT_EQ(QFile(file).size(), 8 + 212992 + 8 + 152);

    const CliRun imported = runCli({"params", "import", b, file}, 90000);
    ASSERT_EQ(imported.exitCode, 0) << imported.out.toStdString() << imported.err.toStdString();
    EXPECT_TRUE(imported.out.startsWith("zones: OK\n")) << imported.out.toStdString();
    EXPECT_TRUE(imported.out.contains("LSAF:25H: OK")) << imported.out.toStdString();
    EXPECT_TRUE(imported.out.contains("LSAZN:cH: OK")) << imported.out.toStdString();
    EXPECT_FALSE(imported.out.contains("LSUDP")) << "the address is imported only when asked for";

    const json from = info(a), to = info(b);
    ASSERT_TRUE(from.is_object() && to.is_object());
    for (const char* field : kImported) EXPECT_EQ(from[field], to[field]) << field;
    EXPECT_EQ(to["rpm"], 1200);
    EXPECT_EQ(to["productSn"], "VTPAR0002");  // identity stays the scanner's own
    EXPECT_EQ(to["ip"], "127.0.0.3");
}

TEST(CliParams, FileFromAnIndependentWriterImportsTheSameWay) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    auto scanner = startScanner("127.0.0.2", 17303);
    ASSERT_TRUE(scanner);
    QTemporaryDir dir;
    EEpromV101 b;
    std::memset(&b, 0, sizeof b);
    std::memcpy(b.typeId, "TQX-H540-S", 10);
    b.rpm = 900;
    b.af = 30;     // decimal 30, not 0x30
    b.azn = 0x1B;  // zone 11, software switching
    b.fir = 4;
    b.cir = 9;
    b.flags143 = 0x04;
    b.zirDistance = 275;
    b.smt = 1;
    b.dsw = 1;
    b.res = 3;
    b.ats = 1;
    const QString file = dir.filePath(QStringLiteral("handmade.lidar"));
    ASSERT_TRUE(writeBytes(file, blockFile(b)));

    const QString l = link("127.0.0.2", 17303, 17403);
    const CliRun r = runCli({"params", "import", l, file, "--only", "operation"}, 60000);
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(r.out.count(": OK"), 10) << r.out.toStdString();
    const json now = info(l);
    EXPECT_EQ(now["rpm"], 900);
    EXPECT_EQ(now["af"], 30);
    EXPECT_EQ(now["activeZone"], 11);
    EXPECT_EQ(now["fir"], 4);
    EXPECT_EQ(now["cir"], 9);
    EXPECT_EQ(now["zirDistance"], 275);
    EXPECT_EQ(now["res"], 3);
}

TEST(CliParams, RefusalsAnotherModelAndDamagedFiles) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    auto refusing = startScanner("127.0.0.2", 17304, true);
    ASSERT_TRUE(refusing);
    QTemporaryDir dir;
    EEpromV101 b;
    std::memset(&b, 0, sizeof b);
    std::memcpy(b.typeId, "TQX-H540-S", 10);
    b.rpm = 900;
    const QString good = dir.filePath(QStringLiteral("good.lidar"));
    ASSERT_TRUE(writeBytes(good, blockFile(b)));
    const QString l = link("127.0.0.2", 17304, 17404);

    // Every set command answered "NG": each is reported, the exit status says so.
    const CliRun refused = runCli({"params", "import", l, good, "--only", "io"}, 60000);
    EXPECT_EQ(refused.exitCode, 3) << refused.err.toStdString();
    EXPECT_EQ(refused.out, "LSOUT:00000000000000000000000000000000H: NG\nLSPNP:00000000H: NG\n");

    // Another model's parameters are not sent at all.
    std::memcpy(b.typeId, "TQX-H520-S", 10);
    const QString other = dir.filePath(QStringLiteral("other.lidar"));
    ASSERT_TRUE(writeBytes(other, blockFile(b)));
    const CliRun skipped = runCli({"params", "import", l, other, "--only", "io,operation"}, 60000);
    EXPECT_EQ(skipped.exitCode, 0);
    EXPECT_TRUE(skipped.out.isEmpty()) << skipped.out.toStdString();
    EXPECT_TRUE(skipped.err.contains("only zones are imported")) << skipped.err.toStdString();

    // A damaged file is refused before anything reaches the scanner.
    const int before = refusing->commandsReceived();
    const QString cut = dir.filePath(QStringLiteral("cut.lidar"));
    ASSERT_TRUE(writeBytes(cut, blockFile(b).left(100)));
    const CliRun damaged = runCli({"params", "import", l, cut});
    EXPECT_EQ(damaged.exitCode, 2);
    EXPECT_TRUE(damaged.err.contains("The parameter file is cut short.")) << damaged.err.toStdString();
    EXPECT_EQ(refusing->commandsReceived(), before);
    EXPECT_EQ(runCli({"params", "import", l, good, "--only", "everything"}).exitCode, 2);
}

TEST(CliParams, ShowPrintsTheBlockWithInfoFieldNamesAndTheZones) {
    QTemporaryDir dir;
    EEpromV101 b;
    std::memset(&b, 0, sizeof b);
    std::memcpy(b.typeId, "TQX-H540-S", 10);
    std::memcpy(b.productSn, "VTSHOW01", 8);
    b.rpm = 1500;
    b.azn = 0x15;
    const QString file = dir.filePath(QStringLiteral("show.lidar"));
    ASSERT_TRUE(writeBytes(file, blockFile(b)));
    const CliRun r = runCli({"params", "show", file});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const json j = json::parse(r.out.toStdString(), nullptr, false);
    ASSERT_TRUE(j.is_object()) << r.out.toStdString();
    EXPECT_EQ(j["block"]["productSn"], "VTSHOW01");
    EXPECT_EQ(j["block"]["rpm"], 1500);
    EXPECT_EQ(j["block"]["activeZone"], 5);
    EXPECT_EQ(j["block"]["softwareZoneSwitching"], true);
    for (const char* field : kImported) EXPECT_TRUE(j["block"].contains(field)) << field;
    EXPECT_FALSE(j.contains("zones"));

    // A zone image made by the zone encoder: its list is shown.
    const QString zonesJson = dir.filePath(QStringLiteral("z.json"));
    ASSERT_TRUE(writeBytes(zonesJson, R"({"zones": [{"shape": "rectangle", "zone": 2, "kind": "alarm",
        "points": [[0, -500], [1000, 500]]}]})"));
    const QString zoneFile = dir.filePath(QStringLiteral("z.lidar"));
    ASSERT_EQ(runCli({"zones", "encode", zonesJson, zoneFile}).exitCode, 0);
    const CliRun z = runCli({"params", "show", zoneFile});
    ASSERT_EQ(z.exitCode, 0) << z.err.toStdString();
    const json zj = json::parse(z.out.toStdString(), nullptr, false);
    ASSERT_EQ(zj["zones"].size(), 1u) << z.out.toStdString();
    EXPECT_EQ(zj["zones"][0]["zone"], 2);
    EXPECT_EQ(zj["zones"][0]["kind"], "alarm");
    EXPECT_FALSE(zj.contains("block"));

    const QString junk = dir.filePath(QStringLiteral("junk.lidar"));
    ASSERT_TRUE(writeBytes(junk, QByteArray("\x01\x02\x03\x04junk", 8)));
    const CliRun bad = runCli({"params", "show", junk});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains("not a lidar parameter file")) << bad.err.toStdString();
}
