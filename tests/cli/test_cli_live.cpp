// vantrel-cli against a live simulated scanner: the built program is run as a
// user would run it, and the simulator (in-process, or the vantrel-sim program)
// is the scanner on loopback. Expected values come from the simulator's
// configuration and the model table's published rows, never from the CLI's code.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>
#include <nlohmann/json.hpp>

#include "../protocol/firmware_support.h"
#include "cli_run.h"
#include "netguard.h"
#include "qt_wait.h"
#include "simulator.h"

namespace {

using nlohmann::json;

using testsupport::ensureApp;

// One simulated UDP scanner at 127.0.0.2:port; each test uses its own port.
struct SimScanner {
    explicit SimScanner(quint16 port, bool mute = false, const QString& zoneFault = QString()) {
        ensureApp();
        sim::SimOptions o;
        o.zoneFault = zoneFault;
        o.udpAddress = QStringLiteral("127.0.0.2");
        o.udpPort = port;
        o.serialNumber = QStringLiteral("VTCLI0042");
        o.mute = mute;
        o.logCommands = false;
        sim = std::make_unique<sim::Simulator>(o);
        QString error;
        started = sim->start(&error);
        startError = error;
    }
    std::unique_ptr<sim::Simulator> sim;
    bool started = false;
    QString startError;
};

QString udpLink(quint16 port, int local = 0) {
    QString s = QStringLiteral("udp://127.0.0.2:%1").arg(port);
    if (local) s += QStringLiteral("?local=%1").arg(local);
    return s;
}

// ---------------------------------------------------------------- info and send

TEST(CliInfo, PrintsTheBlockTheSimulatorHolds) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    SimScanner s(17101);
    ASSERT_TRUE(s.started) << s.startError.toStdString();

    const CliRun r = runCli({"info", udpLink(17101, 17201)});
    ASSERT_TRUE(r.finished);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const json j = json::parse(r.out.toStdString(), nullptr, false);
    ASSERT_FALSE(j.is_discarded()) << r.out.toStdString();
    EXPECT_EQ(j["block"]["productSn"], "VTCLI0042");
    EXPECT_EQ(j["block"]["typeId"], "TQX-H540-S");
    EXPECT_EQ(j["block"]["ip"], "127.0.0.2");
    EXPECT_EQ(j["block"]["lidarPort"], 17101);
    EXPECT_EQ(j["block"]["rpm"], 600);  // the simulator's start speed
    // The model table's row for TQX-H540-S, beside the block.
    EXPECT_EQ(j["model"]["rpm"], "600|900|1200|1500|1800");
    EXPECT_EQ(j["model"]["alarmZone"], 1);
    EXPECT_EQ(j["model"]["I/O"], 2);
}

TEST(CliSend, AcceptedSpeedPrintsOkAndTheBlockFollowsIt) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    SimScanner s(17102);
    ASSERT_TRUE(s.started) << s.startError.toStdString();

    const CliRun sent = runCli({"send", udpLink(17102, 17202), "LSRPM:1200H"});
    ASSERT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    EXPECT_EQ(sent.out.trimmed(), "OK");

    const CliRun info = runCli({"info", udpLink(17102, 17202)});
    ASSERT_EQ(info.exitCode, 0) << info.err.toStdString();
    EXPECT_EQ(json::parse(info.out.toStdString())["block"]["rpm"], 1200);
}

TEST(CliSend, OutOfRangeSpeedIsRefusedWithExit3) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    SimScanner s(17103);
    ASSERT_TRUE(s.started) << s.startError.toStdString();

    const CliRun r = runCli({"send", udpLink(17103, 17203), "--mode", "S_PACK", "LSRPM:700H"});
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), "NG");
}

// Regression (fault runs with --corrupt): a damaged "NG" reply was reported as
// acceptance, and a refusal whose report overtook its acknowledgement as
// "never answered". Over a lossy, damaging link a refused command ends as
// refused or unanswered, never as accepted, and always within its retry budget.
TEST(CliSend, OverALossyLinkARefusalIsNeverReportedAsAcceptance) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    for (const uint32_t seed : {7u, 9u}) {
        sim::SimOptions o;
        o.udpAddress = QStringLiteral("127.0.0.2");
        o.udpPort = quint16(17140 + seed);
        o.refuse = true;
        o.dropPercent = 10;
        o.corruptPercent = 60;
        o.seed = seed;
        o.logCommands = false;
        sim::Simulator s(o);
        ASSERT_TRUE(s.start());
        const CliRun r = runCli({"send", udpLink(o.udpPort, 17240 + int(seed)), "LSRPM:900H"}, 40000);
        ASSERT_TRUE(r.finished) << "seed " << seed;
        EXPECT_TRUE(r.exitCode == 3 || r.exitCode == 4)
            << "seed " << seed << ": exit " << r.exitCode << " " << r.out.toStdString();
        if (r.exitCode == 3) EXPECT_EQ(r.out.trimmed(), "NG");
    }
}

TEST(CliSend, MutedScannerEndsWithExit4WellBeforeAHang) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();  // the wait below runs the event loop that feeds QProcess
    // The simulator as its own program, started muted.
    QProcess simProcess;
    simProcess.start(QStringLiteral(VANTREL_SIM), {"--udp", "127.0.0.2:17104", "--mute", "--quiet"});
    ASSERT_TRUE(simProcess.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return simProcess.canReadLine() || simProcess.state() != QProcess::Running; }, 5000));
    ASSERT_EQ(simProcess.state(), QProcess::Running) << simProcess.readAllStandardError().toStdString();

    const CliRun r = runCli({"send", udpLink(17104, 17204), "LSRPM:900H"}, 20000);
    simProcess.terminate();
    simProcess.waitForFinished(5000);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_EQ(r.errLines().size(), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("never answered")) << r.err.toStdString();
    // Four transmissions about 1.6 s apart, then 1.6 s for the last one's
    // answer: not much more than 6.5 s (a loaded machine adds start-up time).
    EXPECT_LT(r.elapsedMs, 12000);
}

// ---------------------------------------------------------------- recording

// The text of a sector-log record: what follows "] : " of the log line prefix.
QStringList sectorLines(const QString& text) {
    QStringList out;
    for (QString line : text.split('\n', Qt::SkipEmptyParts)) {
        line.remove('\r');
        const int at = line.indexOf(QStringLiteral("] : "));
        if (at >= 0) out << line.mid(at + 4);
    }
    return out;
}

TEST(CliRecord, SectorLogMatchesTheDecodeOfItsOwnDump) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    SimScanner s(17105);
    ASSERT_TRUE(s.started) << s.startError.toStdString();
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());

    const CliRun r = runCli({"record", udpLink(17105, 17205), "--seconds", "3", "--dir", base.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString dir = r.out.trimmed();
    EXPECT_TRUE(dir.startsWith(base.path() + "/korvLOG/")) << dir.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("/korvLOG/\\d{4}_\\d\\d_\\d\\d/\\d\\d_\\d\\d_\\d\\d/?$"))
                    .match(dir)
                    .hasMatch())
        << dir.toStdString();

    QFile point(dir + "/point0.txt");
    ASSERT_TRUE(point.open(QIODevice::ReadOnly));
    const QStringList logged = sectorLines(QString::fromLocal8Bit(point.readAll()));
    ASSERT_TRUE(QFile::exists(dir + "/data0.dump"));
    ASSERT_TRUE(QFile::exists(dir + "/info0.txt"));

    const CliRun decoded = runCli({"decode", "--format", "text", dir + "/data0.dump"});
    ASSERT_EQ(decoded.exitCode, 0) << decoded.err.toStdString();
    QStringList replayed;
    for (const QString& l : decoded.out.split('\n', Qt::SkipEmptyParts)) replayed << l;

    // Three seconds of a 10 Hz scanner: many revolutions of ten 36-degree fans.
    ASSERT_GE(logged.size(), 50);
    ASSERT_GE(replayed.size(), logged.size());
    for (int i = 0; i < logged.size(); ++i) ASSERT_EQ(logged[i], replayed[i]) << "sector line " << i;
    // The recording may stop between a revolution's bytes and its text: one revolution at most.
    EXPECT_LE(replayed.size() - logged.size(), 10);
}

TEST(CliRecord, UnwritableDirectoryIsOneErrorAndExit1) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    QTemporaryDir base;
    QFile blocker(base.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const CliRun r =
        runCli({"record", udpLink(17106, 17206), "--seconds", "1", "--dir", base.path() + "/file"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.errLines().size(), 1) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

// Recording is under way once the raw stream file below `base` has bytes in it.
bool recordingHasBytes(const QString& base) {
    QDir day(base + "/korvLOG");
    for (const QString& d : day.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        for (const QString& t : QDir(day.filePath(d)).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (QFileInfo(day.filePath(d) + "/" + t + "/data0.dump").size() > 0) return true;
    return false;
}

TEST(CliRecord, SigintEndsTheRecordingCleanly) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    SimScanner s(17111);
    ASSERT_TRUE(s.started) << s.startError.toStdString();
    QTemporaryDir base;
    QProcess p;
    p.start(QStringLiteral(VANTREL_CLI),
            {"record", udpLink(17111, 17212), "--seconds", "600", "--dir", base.path()});
    ASSERT_TRUE(p.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return recordingHasBytes(base.path()); }, 10000));
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    const QString dir = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    EXPECT_TRUE(QFile::exists(dir + "/point0.txt")) << dir.toStdString();
}

// A link that vanishes mid-recording (the scanner's pseudo-terminal or TCP
// connections pulled away) ends the command within moments with one message
// and exit status 5; what was recorded stays.
TEST(CliRecord, VanishingLinkEndsTheRecordingKeepingWhatWasRecorded) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    sim::SimOptions serial;
    serial.serial = sim::SerialMode::Uart;
    serial.logCommands = false;
    sim::SimOptions tcp;
    tcp.tcpAddress = QStringLiteral("127.0.0.1");
    tcp.tcpPort = 17130;
    tcp.logCommands = false;
    for (const sim::SimOptions& options : {serial, tcp}) {
        auto scanner = std::make_unique<sim::Simulator>(options);
        ASSERT_TRUE(scanner->start());
        const QString link = options.tcpPort
                                 ? QStringLiteral("tcp://127.0.0.1:17130")
                                 : QStringLiteral("uart://%1?baud=460800").arg(scanner->serialPath());
        SCOPED_TRACE(link.toStdString());
        QTemporaryDir base;
        QProcess p;
        p.start(QStringLiteral(VANTREL_CLI), {"record", link, "--seconds", "600", "--dir", base.path()});
        ASSERT_TRUE(p.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return recordingHasBytes(base.path()); }, 15000));

        scanner.reset();
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 5);
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        EXPECT_TRUE(err.contains("vantrel-cli record: the link was lost")) << err.toStdString();
        const QString dir = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
        EXPECT_GT(QFileInfo(dir + "/data0.dump").size(), 0) << dir.toStdString();
    }
}

// ---------------------------------------------------------------- TCP

TEST(CliInfo, TcpLinkReadsTheBlockOverTheCommandConnection) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    sim::SimOptions o;
    o.tcpAddress = QStringLiteral("127.0.0.3");
    o.tcpPort = 17120;
    o.serialNumber = QStringLiteral("VTTCP0007");
    o.logCommands = false;
    sim::Simulator simulator(o);
    QString error;
    ASSERT_TRUE(simulator.start(&error)) << error.toStdString();

    const CliRun r = runCli({"info", "tcp://127.0.0.3:17120"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const json j = json::parse(r.out.toStdString(), nullptr, false);
    ASSERT_FALSE(j.is_discarded()) << r.out.toStdString();
    EXPECT_EQ(j["block"]["productSn"], "VTTCP0007");

    const CliRun refused = runCli({"info", "tcp://127.0.0.3:17130"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.errLines().size(), 1) << refused.err.toStdString();
}

// ---------------------------------------------------------------- zones

TEST(CliZones, WriteThenReadRoundTripsTheList) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    SimScanner s(17107);
    ASSERT_TRUE(s.started) << s.startError.toStdString();
    QTemporaryDir tmp;
    const json written = json::parse(R"({"zones": [
        {"shape": "rectangle", "zone": 0, "kind": "alarm", "points": [[100, -2000], [3000, 2000]]},
        {"shape": "polygon", "zone": 3, "kind": "warning", "points": [[0, 500], [1500, 2500], [-1500, 2500]]},
        {"shape": "sector", "zone": 15, "kind": "observation", "points": [[300, 3300], [4000, 200]]}
    ]})");
    const QString in = tmp.path() + "/in.json", out = tmp.path() + "/out.json";
    QFile f(in);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromStdString(written.dump()));
    f.close();

    const CliRun w = runCli({"zones", "write", udpLink(17107, 17207), in}, 60000);
    ASSERT_EQ(w.exitCode, 0) << w.err.toStdString();
    EXPECT_TRUE(w.err.contains("write alarm zone: 100 success")) << w.err.toStdString();

    const CliRun r = runCli({"zones", "read", udpLink(17107, 17207), out}, 60000);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("read alarm zone: 100")) << r.err.toStdString();
    QFile g(out);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    const json read = json::parse(g.readAll().toStdString(), nullptr, false);
    ASSERT_FALSE(read.is_discarded());
    EXPECT_EQ(read["zones"], written["zones"]) << read.dump();
}

TEST(CliZones, MutedScannerEndsWithExit4AndWritesNoFile) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    SimScanner s(17108, true);
    ASSERT_TRUE(s.started) << s.startError.toStdString();
    QTemporaryDir tmp;
    const CliRun r = runCli({"zones", "read", udpLink(17108, 17208), tmp.path() + "/z.json"}, 20000);
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_FALSE(QFile::exists(tmp.path() + "/z.json"));
}

// ---------------------------------------------------------------- verified writes and diff

namespace {

QString writeText(const QTemporaryDir& dir, const QString& name, const QByteArray& text) {
    const QString path = dir.path() + "/" + name;
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(text);
    return path;
}

const QByteArray kZonesA = R"({"zones": [
    {"shape": "rectangle", "zone": 3, "kind": "alarm", "points": [[100, -2000], [3000, 2000]]},
    {"shape": "polygon", "zone": 3, "kind": "warning", "points": [[0, 500], [1500, 2500], [-1500, 2500]]},
    {"shape": "sector", "zone": 15, "kind": "observation", "points": [[300, 3300], [4000, 213]]}
]})";
// The sector first, the rectangle's top moved, the polygon gone, an ellipse added.
const QByteArray kZonesB = R"({"zones": [
    {"shape": "sector", "zone": 15, "kind": "observation", "points": [[300, 3300], [4000, 213]]},
    {"shape": "rectangle", "zone": 3, "kind": "alarm", "points": [[100, -2000], [3500, 2000]]},
    {"shape": "ellipse", "zone": 5, "kind": "warning", "points": [[0, 1000], [800, 600]]}
]})";
const QStringList kDiffAB = {
    "zone 3 warning: only in A: polygon [[0,500],[1500,2500],[-1500,2500]]",
    "zone 3 alarm: changed: rectangle [[100,-2000],[3000,2000]] -> [[100,-2000],[3500,2000]]",
    "zone 5 warning: only in B: ellipse [[0,1000],[800,600]]",
    "3 differences",
};

}  // namespace

TEST(CliZones, DiffFindsExactlyTheEntriesChanged) {
    QTemporaryDir tmp;
    const QString a = writeText(tmp, "a.json", kZonesA), b = writeText(tmp, "b.json", kZonesB);
    const CliRun ab = runCli({"zones", "diff", a, b});
    EXPECT_EQ(ab.exitCode, 1) << ab.err.toStdString();
    EXPECT_EQ(ab.out.split('\n', Qt::SkipEmptyParts), kDiffAB);

    // The same list as JSON and as the image the scanner would store is equal.
    const QString lidar = tmp.path() + "/a.lidar";
    ASSERT_EQ(runCli({"zones", "encode", a, lidar}).exitCode, 0);
    const CliRun same = runCli({"zones", "diff", a, lidar});
    EXPECT_EQ(same.exitCode, 0) << same.err.toStdString();
    EXPECT_EQ(same.out, QStringLiteral("no differences\n"));
}

TEST(CliZones, DiffAgainstALinkComparesWithWhatTheScannerHolds) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    SimScanner s(17113);
    ASSERT_TRUE(s.started) << s.startError.toStdString();
    QTemporaryDir tmp;
    const QString a = writeText(tmp, "a.json", kZonesA), b = writeText(tmp, "b.json", kZonesB);
    ASSERT_EQ(runCli({"zones", "write", udpLink(17113, 17213), a}, 60000).exitCode, 0);
    const CliRun same = runCli({"zones", "diff", a, udpLink(17113, 17213)}, 60000);
    EXPECT_EQ(same.exitCode, 0) << same.err.toStdString();
    const CliRun changed = runCli({"zones", "diff", udpLink(17113, 17213), b}, 60000);
    EXPECT_EQ(changed.exitCode, 1) << changed.err.toStdString();
    EXPECT_EQ(changed.out.split('\n', Qt::SkipEmptyParts), kDiffAB);
}

// ---------------------------------------------------------------- discovery

TEST(CliDiscover, ListsTheSimulatorWithItsHeartbeatFields) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    SimScanner s(17109);
    ASSERT_TRUE(s.started) << s.startError.toStdString();

    const CliRun r = runCli({"discover", "--seconds", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    bool found = false;
    for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts)) {
        const json j = json::parse(line.toStdString(), nullptr, false);
        ASSERT_FALSE(j.is_discarded()) << line.toStdString();
        // Other tests' simulators may be heard too: this one is told by its port.
        if (j.value("serial", "") != "VTCLI0042" || j.value("scannerPort", 0) != 17109) continue;
        found = true;
        EXPECT_EQ(j["ip"], "127.0.0.2");
        EXPECT_EQ(j["model"], "TQX-H540-S");
        EXPECT_EQ(j["scannerIp"], "127.0.0.2");
        EXPECT_EQ(j["scannerPort"], 17109);
        EXPECT_EQ(j["kind"], "status112");
        EXPECT_EQ(j["link"], "UDP");
    }
    EXPECT_TRUE(found) << r.out.toStdString();
}

// ---------------------------------------------------------------- failures

TEST(CliLinkErrors, BadLinkTextIsOneClearLine) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    for (const char* bad :
         {"udp://999.1.1.1:5", "udp://127.0.0.2", "udp://127.0.0.2:70000", "tcp://127.0.0.2:65535", "ftp://x",
          "uart:///dev/ttyS0", "vpc://relative", "udp://127.0.0.2:5?locl=3", "127.0.0.2:6543"}) {
        const CliRun r = runCli({"info", bad});
        EXPECT_EQ(r.exitCode, 2) << bad;
        ASSERT_EQ(r.errLines().size(), 1) << bad << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith("vantrel-cli info: bad link '")) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST(CliOptionErrors, BadSecondsIsOneClearLine) {
    // Refused before any link is opened or group joined: no network needed.
    for (const char* command : {"record", "discover"}) {
        for (const char* bad : {"0", "86401", "-3", "abc", "5s", ""}) {
            QStringList args{QString::fromLatin1(command)};
            if (QLatin1String(command) == QLatin1String("record")) args << udpLink(17113);
            args << "--seconds" << bad;
            const CliRun r = runCli(args);
            EXPECT_EQ(r.exitCode, 2) << command << " " << bad;
            ASSERT_EQ(r.errLines().size(), 1) << command << " " << bad << ": " << r.err.toStdString();
            EXPECT_EQ(
                r.errLines().first(),
                QStringLiteral("vantrel-cli %1: --seconds must be a whole number 1..86400").arg(command));
            EXPECT_TRUE(r.out.isEmpty());
        }
    }
}

TEST(CliLinkErrors, LocalPortInUseIsOneLineAndNonZero) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    SimScanner s(17110);
    ASSERT_TRUE(s.started) << s.startError.toStdString();
    // Hold the local port without address reuse, as an unrelated program would.
    const int holder = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(holder, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(17210);
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);

    const CliRun r = runCli({"info", udpLink(17110, 17210)});
    ::close(holder);
    EXPECT_EQ(r.exitCode, 1);
    ASSERT_EQ(r.errLines().size(), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("17210") && r.err.contains("in use")) << r.err.toStdString();
}

TEST(CliLinkErrors, UnreachableScannerIsOneLineAndNonZero) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    // 192.0.2.0/24 is not routed inside the private namespace.
    const CliRun r = runCli({"info", "udp://192.0.2.7:6543?local=17211"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.errLines().size(), 1) << r.err.toStdString();
}

}  // namespace

// ---------------------------------------------------------------- audit trail

namespace {

// Every vantrel-cli run of this program keeps its audit lines (and any
// settings lookup) in a scratch directory, never in the user's own.
class PrivateAuditTrail : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("XDG_DATA_HOME", m_dir.filePath("data").toLocal8Bit());
        qputenv("TMPDIR", m_dir.filePath("tmp").toLocal8Bit());
        QDir().mkpath(m_dir.filePath("tmp"));
    }

private:
    QTemporaryDir m_dir;
};

::testing::Environment* const g_privateTrail = ::testing::AddGlobalTestEnvironment(new PrivateAuditTrail);

// A trail of its own for one test, whatever ran before it in this process.
class ScopedTrail {
public:
    ScopedTrail() : m_previous(qgetenv("XDG_DATA_HOME")) {
        qputenv("XDG_DATA_HOME", m_dir.path().toLocal8Bit());
    }
    ~ScopedTrail() { qputenv("XDG_DATA_HOME", m_previous); }
    QString path() const { return m_dir.path() + "/vantrel/audit.jsonl"; }

private:
    QByteArray m_previous;
    QTemporaryDir m_dir;
};

std::vector<json> jsonLines(const QString& text) {
    std::vector<json> out;
    for (const QString& line : text.split('\n', Qt::SkipEmptyParts))
        out.push_back(json::parse(line.toStdString(), nullptr, false));
    return out;
}

}  // namespace

TEST(CliAudit, ParameterChangesAndAZoneWriteAppearWithTheirOutcomes) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    SimScanner s(17110);
    ASSERT_TRUE(s.started) << s.startError.toStdString();
    const ScopedTrail trail;
    QTemporaryDir tmp;
    const QString zonesFile = tmp.path() + "/zones.json";
    QFile f(zonesFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        R"({"zones": [{"shape": "rectangle", "zone": 2, "kind": "alarm", "points": [[100, -2000], [3000, 2000]]}]})");
    f.close();

    EXPECT_EQ(runCli({"send", udpLink(17110, 17210), "LSRPM:1200H"}).exitCode, 0);
    EXPECT_EQ(runCli({"send", udpLink(17110, 17210), "LSRPM:700H"}).exitCode, 3);
    const CliRun w = runCli({"zones", "write", udpLink(17110, 17210), zonesFile}, 60000);
    ASSERT_EQ(w.exitCode, 0) << w.err.toStdString();

    const CliRun audit = runCli({"audit", "--format", "json"});
    ASSERT_EQ(audit.exitCode, 0) << audit.err.toStdString();
    EXPECT_TRUE(audit.err.isEmpty()) << audit.err.toStdString();
    const std::vector<json> lines = jsonLines(audit.out);
    ASSERT_EQ(lines.size(), 3u) << audit.out.toStdString();
    const struct {
        const char* operation;
        std::string command;
        const char* outcome;
    } expected[] = {
        {"parameter command", "LSRPM:1200H", "accepted"},
        {"parameter command", "LSRPM:700H", "refused"},
        {"zone write", zonesFile.toStdString(), "succeeded"},
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const json& j = lines[i];
        ASSERT_FALSE(j.is_discarded()) << i;
        EXPECT_EQ(j["operation"], expected[i].operation) << i;
        EXPECT_EQ(j["command"], expected[i].command) << i;
        EXPECT_EQ(j["outcome"], expected[i].outcome) << i;
        EXPECT_EQ(j["serial"], "VTCLI0042") << i;
        EXPECT_EQ(j["model"], "TQX-H540-S") << i;
        EXPECT_EQ(j["address"], "127.0.0.2:17110") << i;
        EXPECT_EQ(j["link"], "UDP") << i;
        EXPECT_EQ(j["program"], "vantrel-cli") << i;
        EXPECT_EQ(j["level"], 0) << i;  // no login remembered on this computer
    }
    EXPECT_TRUE(lines[2].contains("imageCrc")) << lines[2].dump();
    EXPECT_FALSE(lines[0].contains("imageCrc"));

    const CliRun csv = runCli({"audit", "--format", "csv"});
    ASSERT_EQ(csv.exitCode, 0);
    const QStringList rows = csv.out.split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_TRUE(rows[0].startsWith("time,program,level,serial"));
    EXPECT_TRUE(rows[2].contains(",parameter command,LSRPM:700H,refused,")) << rows[2].toStdString();

    const QString tomorrow = QDate::currentDate().addDays(1).toString(Qt::ISODate);
    const CliRun since = runCli({"audit", "--since", tomorrow});
    ASSERT_EQ(since.exitCode, 0);
    EXPECT_TRUE(since.out.isEmpty()) << since.out.toStdString();
}

TEST(CliAudit, DamagedLinesAreNamedOnceAndTheTrailIsNeverRewritten) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    SimScanner s(17111);
    ASSERT_TRUE(s.started) << s.startError.toStdString();
    const ScopedTrail trail;
    const QString path = trail.path();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("this line is not a record\n{\"time\":\"2024-05-01T08:00:00.000Z\",\"prog");  // and a torn one
    f.close();
    const QByteArray before = [&] {
        QFile g(path);
        return g.open(QIODevice::ReadOnly) ? g.readAll() : QByteArray();
    }();

    EXPECT_EQ(runCli({"send", udpLink(17111, 17211), "LSRPM:900H"}).exitCode, 0);
    const CliRun audit = runCli({"audit"});
    ASSERT_EQ(audit.exitCode, 0);
    EXPECT_EQ(jsonLines(audit.out).size(), 1u) << audit.out.toStdString();
    ASSERT_EQ(audit.errLines().size(), 1) << audit.err.toStdString();
    EXPECT_TRUE(audit.err.contains("lines 1, 2")) << audit.err.toStdString();

    QFile g(path);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    EXPECT_TRUE(g.readAll().startsWith(before));
}

TEST(CliAudit, AFirmwareUpgradeIsRecordedWithItsFileAndImageCrc) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    testsupport::ensureApp();
    QTemporaryDir tmp;
    sim::SimOptions o;
    o.udpAddress = QStringLiteral("127.0.0.2");
    o.udpPort = 17112;
    o.firmwareOut = tmp.filePath("received.bin");
    o.logCommands = false;
    sim::Simulator target(o);
    ASSERT_TRUE(target.start());
    const std::vector<uint8_t> image = firmware_test::makeImage(4 * 512);
    QFile f(tmp.filePath("fw.bin"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
    f.close();
    const ScopedTrail trail;

    ASSERT_EQ(runCli({"upgrade", "udp://127.0.0.2:17112", f.fileName()}, 40000).exitCode, 0);
    const std::vector<json> lines = jsonLines(runCli({"audit"}).out);
    ASSERT_EQ(lines.size(), 1u);
    const uint32_t crc = uint32_t(image[12]) | uint32_t(image[13]) << 8 | uint32_t(image[14]) << 16 |
                         uint32_t(image[15]) << 24;
    EXPECT_EQ(lines[0]["operation"], "firmware upgrade");
    EXPECT_EQ(lines[0]["command"], "fw.bin");
    EXPECT_EQ(lines[0]["outcome"], "succeeded");
    EXPECT_EQ(lines[0]["address"], "127.0.0.2:17112");
    EXPECT_EQ(
        lines[0]["imageCrc"],
        QStringLiteral("0x%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper().replace("0X", "0x").toStdString());
}

TEST(CliZones, WriteVerifyPassesAndFailsLoudlyWhenTheScannerCorruptsItsCopy) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    SimScanner good(17111);
    SimScanner bad(17112, false, QStringLiteral("corrupt-store"));
    ASSERT_TRUE(good.started && bad.started) << good.startError.toStdString() << bad.startError.toStdString();
    QTemporaryDir tmp;
    const QString in = writeText(tmp, "a.json", kZonesA);
    const ScopedTrail trail;

    const CliRun ok = runCli({"zones", "write", "--verify", udpLink(17111, 17211), in}, 60000);
    EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_TRUE(
        QRegularExpression("^Zones written and verified \\(CRC 0x[0-9A-F]{8}\\)\n$").match(ok.out).hasMatch())
        << ok.out.toStdString();

    const CliRun failed = runCli({"zones", "write", "--verify", udpLink(17112, 17212), in}, 60000);
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.isEmpty());
    EXPECT_TRUE(failed.err.contains(
        "vantrel-cli zones: verify failed: zone 3 read back differs from what was written"))
        << failed.err.toStdString();

    // Each write is on the trail, followed by its read-back and whether it matched.
    const std::vector<json> lines = jsonLines(runCli({"audit"}).out);
    ASSERT_EQ(lines.size(), 4u);
    const struct {
        const char* operation;
        const char* address;
        const char* readback;  // nullptr: no such key
    } expected[] = {
        {"zone write", "127.0.0.2:17111", nullptr},
        {"zone read-back", "127.0.0.2:17111", "matched"},
        {"zone write", "127.0.0.2:17112", nullptr},
        {"zone read-back", "127.0.0.2:17112", "mismatch"},
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const json& j = lines[i];
        EXPECT_EQ(j["operation"], expected[i].operation) << j.dump();
        EXPECT_EQ(j["address"], expected[i].address) << j.dump();
        EXPECT_EQ(j["command"], in.toStdString()) << j.dump();
        EXPECT_EQ(j["outcome"], "succeeded") << j.dump();
        EXPECT_TRUE(j.contains("imageCrc")) << j.dump();
        if (expected[i].readback)
            EXPECT_EQ(j.value("readback", ""), expected[i].readback) << j.dump();
        else
            EXPECT_FALSE(j.contains("readback")) << j.dump();
    }
    // A faithful scanner gives back the image with the CRC that was written.
    EXPECT_EQ(lines[1]["imageCrc"], lines[0]["imageCrc"]);
}

TEST(CliAudit, AParameterImportIsOneLineAfterTheZonesItUploads) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    SimScanner s(17113);
    ASSERT_TRUE(s.started) << s.startError.toStdString();
    QTemporaryDir tmp;
    const QString file = tmp.filePath("scanner.lidar");
    ASSERT_EQ(runCli({"params", "export", udpLink(17113, 17213), file, "--zones"}, 60000).exitCode, 0);
    const ScopedTrail trail;  // the export changed nothing: only the import counts

    ASSERT_EQ(runCli({"params", "import", udpLink(17113, 17213), file, "--only", "operation,zones"}, 90000)
                  .exitCode,
              0);
    const std::vector<json> lines = jsonLines(runCli({"audit"}).out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["operation"], "zone write");
    EXPECT_EQ(lines[0]["outcome"], "succeeded");
    EXPECT_TRUE(lines[0].contains("imageCrc"));
    EXPECT_EQ(lines[1]["operation"], "parameter import");
    EXPECT_EQ(lines[1]["command"], file.toStdString());
    EXPECT_EQ(lines[1]["outcome"], "succeeded");
    EXPECT_NE(lines[1]["detail"].get<std::string>().find("0 refused"), std::string::npos) << lines[1].dump();
}
