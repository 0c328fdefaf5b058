// vantrel-sim: a simulated 2D laser scanner for tests and demonstrations.

#include <sys/socket.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <csignal>
#include <cstdio>

#include "box_sim.h"
#include "simulator.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    // Only async-signal-safe work here; the event loop does the rest.
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

bool splitAddress(const QString& text, QString* ip, quint16* port) {
    const int colon = text.lastIndexOf(':');
    if (colon <= 0) return false;
    bool ok = false;
    const uint p = text.mid(colon + 1).toUInt(&ok);
    if (!ok || p == 0 || p > 65535) return false;
    *ip = text.left(colon);
    *port = static_cast<quint16>(p);
    return true;
}

int fail(const QString& text) {
    std::fprintf(stderr, "vantrel-sim: %s\n", qPrintable(text));
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated 2D laser scanner: streams revolutions of a room, answers commands, sends heartbeats.\n"
        "Run it inside scripts/netns so nothing leaves the machine."));
    parser.addHelpOption();
    const QCommandLineOption udp("udp", "Scanner on UDP at IP:PORT (loopback, e.g. 127.0.0.2:6543).",
                                 "IP:PORT");
    const QCommandLineOption tcp("tcp", "Scanner on TCP: commands on PORT, scan data on PORT+1.", "IP:PORT");
    const QCommandLineOption serial(
        "serial", "Scanner on a pseudo-terminal speaking uart (text) or vpc (frames).", "uart|vpc");
    const QCommandLineOption link("link", "Publish the pseudo-terminal under this fixed path (symlink).",
                                  "PATH");
    const QCommandLineOption baud("baud", "Rate of the serial line (default: the client's, until LSBPS).",
                                  "N");
    const QCommandLineOption format("format", "Packet format: facf face fadf fa9d fa99 faaa fac7 legacy.",
                                    "F");
    const QCommandLineOption fan("fan", "Fan width in degrees (divides 360, multiple of 9; default 36).",
                                 "DEG");
    const QCommandLineOption model("model", "Model name from the model table (default TQX-H540-S).", "MODEL");
    const QCommandLineOption sn("sn", "Product serial number.", "SN");
    const QCommandLineOption heartbeat("heartbeat", "Heartbeat layout: 112 (default), 80, 60 or off.",
                                       "KIND");
    const QCommandLineOption fault("fault", "Fault word of the state records, hexadecimal.", "HEX");
    const QCommandLineOption drop("drop", "Drop this percentage of outgoing packets.", "PERCENT");
    const QCommandLineOption corrupt("corrupt", "Corrupt this percentage of outgoing packets.", "PERCENT");
    const QCommandLineOption refuse("refuse", "Answer every set command with NG.");
    const QCommandLineOption mute("mute", "Never answer commands.");
    const QCommandLineOption zoneFault(
        "zone-fault", "Zone transfer fault: none wrong-size short-piece bad-crc error corrupt-store.",
        "KIND");
    const QCommandLineOption firmwareOut("firmware-out",
                                         "Write each firmware image received by an upgrade to FILE.", "FILE");
    const QCommandLineOption upgradeFault(
        "upgrade-fault", "Upgrade fault: silent-after:N drop-reply:N nak:N (serial) no-ack bad-status.",
        "KIND");
    const QCommandLineOption state("state", "Keep the parameter block (and FILE.zones) across restarts.",
                                   "FILE");
    const QCommandLineOption dump(
        "dump", "Write --seconds of the stream to FILE as a raw recording and exit.", "FILE");
    const QCommandLineOption seconds("seconds", "Length of --dump in seconds.", "N", "5");
    const QCommandLineOption seed("seed", "Seed of the scene noise and the fault dice.", "N");
    const QCommandLineOption rpm("rpm", "Rotation speed at start: one the model offers, or max.", "RPM");
    const QCommandLineOption fleet(
        "fleet", "Announce N scanners on the heartbeat group: this one and N-1 with their own addresses.",
        "N");
    const QCommandLineOption quiet("quiet", "Do not log commands.");
    parser.addOptions({udp,  tcp,     serial, link, format,    fan,   model, sn,      heartbeat, fault,
                       drop, corrupt, refuse, mute, zoneFault, state, dump,  seconds, seed,      quiet});
    parser.addOptions({firmwareOut, upgradeFault, baud});
    parser.addOptions({rpm, fleet});
    const QCommandLineOption box(
        "box", "An algorithm box at IP: status on the heartbeat group, commands on UDP 6666.", "IP");
    const QCommandLineOption box320("box-320", "Send 320-byte box status datagrams instead of 312.");
    const QCommandLineOption boxScanners(
        "box-scanners", "The box's attached scanners, IP:PORT:A or IP:PORT:B joined by commas.", "LIST");
    const QCommandLineOption boxVersion("box-version", "The box's firmware version text.", "TEXT");
    parser.addOptions({box, box320, boxScanners, boxVersion});
    parser.process(app);

    sim::SimOptions o;
    if (parser.isSet(udp) && !splitAddress(parser.value(udp), &o.udpAddress, &o.udpPort))
        return fail("--udp wants IP:PORT");
    if (parser.isSet(tcp) && !splitAddress(parser.value(tcp), &o.tcpAddress, &o.tcpPort))
        return fail("--tcp wants IP:PORT");
    if (parser.isSet(serial)) {
        const QString s = parser.value(serial);
        if (s == QLatin1String("uart"))
            o.serial = sim::SerialMode::Uart;
        else if (s == QLatin1String("vpc"))
            o.serial = sim::SerialMode::Vpc;
        else
            return fail("--serial wants uart or vpc");
    }
    o.serialLink = parser.value(link);
    if (parser.isSet(baud)) {
        bool baudOk = false;
        o.serialBaud = parser.value(baud).toInt(&baudOk);
        if (!baudOk || o.serialBaud < 50) return fail("--baud wants a rate of at least 50");
    }
    if (parser.isSet(format)) {
        if (!sim::parseStreamFormat(parser.value(format), &o.format)) return fail("unknown --format");
        o.formatGiven = true;
    }
    if (parser.isSet(fan)) {
        bool ok = false;
        o.fanDegrees = parser.value(fan).toInt(&ok);
        if (!ok) return fail("--fan wants a number of degrees");
    }
    if (parser.isSet(model)) o.model = parser.value(model);
    if (parser.isSet(sn)) o.serialNumber = parser.value(sn);
    if (parser.isSet(heartbeat)) {
        const QString h = parser.value(heartbeat);
        if (h == QLatin1String("112"))
            o.heartbeat = sim::HeartbeatKind::Status112;
        else if (h == QLatin1String("80"))
            o.heartbeat = sim::HeartbeatKind::Short80;
        else if (h == QLatin1String("60"))
            o.heartbeat = sim::HeartbeatKind::Short60;
        else if (h == QLatin1String("off"))
            o.heartbeat = sim::HeartbeatKind::Off;
        else
            return fail("--heartbeat wants 112, 80, 60 or off");
    }
    if (parser.isSet(fault)) {
        bool ok = false;
        QString text = parser.value(fault);
        if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) text = text.mid(2);
        o.faultWord = text.toUInt(&ok, 16);
        if (!ok) return fail("--fault wants a hexadecimal word");
    }
    bool ok = true;
    if (parser.isSet(drop)) o.dropPercent = parser.value(drop).toDouble(&ok);
    if (!ok) return fail("--drop wants a percentage");
    if (parser.isSet(corrupt)) o.corruptPercent = parser.value(corrupt).toDouble(&ok);
    if (!ok) return fail("--corrupt wants a percentage");
    o.refuse = parser.isSet(refuse);
    o.mute = parser.isSet(mute);
    o.zoneFault = parser.value(zoneFault);
    o.firmwareOut = parser.value(firmwareOut);
    o.upgradeFault = parser.value(upgradeFault);
    o.stateFile = parser.value(state);
    if (parser.isSet(seed)) o.seed = parser.value(seed).toUInt(&ok);
    if (!ok) return fail("--seed wants a whole number");
    o.logCommands = !parser.isSet(quiet);
    if (parser.isSet(rpm)) {
        if (parser.value(rpm) == QLatin1String("max"))
            o.rpm = sim::kTopSpeed;
        else if (o.rpm = parser.value(rpm).toInt(&ok); !ok || o.rpm <= 0)
            return fail("--rpm wants a speed in revolutions per minute, or max");
    }
    if (parser.isSet(fleet)) o.fleet = parser.value(fleet).toInt(&ok);
    if (!ok) return fail("--fleet wants a number of scanners");

    if (parser.isSet(dump)) {
        const double n = parser.value(seconds).toDouble(&ok);
        if (!ok) return fail("--seconds wants a number");
        QString error;
        if (!sim::writeDump(o, parser.value(dump), n, &error)) return fail(error);
        return 0;
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return fail("socketpair failed");
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [] {
        char c;
        [[maybe_unused]] ssize_t n = ::read(g_signalPipe[0], &c, 1);
        QCoreApplication::quit();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    sim::BoxOptions bo;
    if (parser.isSet(box)) {
        bo.address = parser.value(box);
        bo.longStatus = parser.isSet(box320);
        bo.logCommands = o.logCommands;
        bo.firmwareOut = o.firmwareOut;
        bo.upgradeFault = o.upgradeFault;
        // Without a list the box has one scanner on each port, on its own internal network.
        const QString scanners = parser.isSet(boxScanners)
                                     ? parser.value(boxScanners)
                                     : QStringLiteral("192.168.158.10:2368:A,192.168.158.11:2368:B");
        if (!sim::parseBoxScanners(scanners, &bo.scanners))
            return fail("--box-scanners wants IP:PORT:A or IP:PORT:B items joined by commas");
        if (parser.isSet(boxVersion)) bo.version = parser.value(boxVersion);
    }
    sim::BoxSimulator boxSimulator(bo);
    QString error;
    if (parser.isSet(box)) {
        if (!boxSimulator.start(&error)) return fail(error);
        std::printf("box %s:%u, status %d bytes\n", qPrintable(bo.address), bo.commandPort,
                    bo.longStatus ? 320 : 312);
    }
    const bool scannerLinks =
        !o.udpAddress.isEmpty() || !o.tcpAddress.isEmpty() || o.serial != sim::SerialMode::None;
    sim::Simulator simulator(o);
    if ((scannerLinks || !parser.isSet(box)) && !simulator.start(&error)) return fail(error);
    const QString formatName = sim::streamFormatName(sim::effectiveFormat(o));
    if (!o.udpAddress.isEmpty())
        std::printf("udp %s:%u, format %s\n", qPrintable(o.udpAddress), o.udpPort, qPrintable(formatName));
    if (!o.tcpAddress.isEmpty())
        std::printf("tcp %s:%u (data %u), format %s\n", qPrintable(o.tcpAddress), o.tcpPort, o.tcpPort + 1,
                    qPrintable(formatName));
    if (o.serial != sim::SerialMode::None)
        std::printf("serial %s%s%s, format %s\n", qPrintable(simulator.serialPath()),
                    o.serialLink.isEmpty() ? "" : " -> ", qPrintable(o.serialLink), qPrintable(formatName));
    std::fflush(stdout);

    const int rc = app.exec();
    // What was sent, for soak runs that compare it with what arrived.
    const sim::Simulator::PacketCounts counts = simulator.packetCounts();
    const int fans = simulator.fansSent();
    const int perRevolution = std::max(1, simulator.fansPerRevolution());
    std::fprintf(
        stderr, "vantrel-sim: sent %d fans (%d revolutions), %llu packets, %llu dropped, %llu corrupted\n",
        fans, fans / perRevolution, static_cast<unsigned long long>(counts.packets),
        static_cast<unsigned long long>(counts.dropped), static_cast<unsigned long long>(counts.corrupted));
    simulator.stop();
    boxSimulator.stop();
    return rc;
}
