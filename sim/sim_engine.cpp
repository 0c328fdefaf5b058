#include "sim_engine.h"

#include <QDateTime>
#include <QUdpSocket>
#include <cstdio>

#include "command_frame.h"
#include "firmware_target.h"
#include "fleet.h"
#include "packet_encoders.h"
#include "pty_link.h"
#include "tcp_link.h"
#include "udp_link.h"

namespace sim {

namespace {

constexpr int kStreamTickMs = 2;
constexpr int kStatusPeriodMs = 2000;
constexpr int kHeartbeatPeriodMs = 1000;
constexpr int kRestartSilenceMs = 2000;
// The other members of a fleet are spread over each second in steps this long.
constexpr int kFleetTickMs = 10;

QString modeName(uint16_t mode) {
    switch (mode) {
        case C_PACK:
            return QStringLiteral("C_PACK");
        case S_PACK:
            return QStringLiteral("S_PACK");
        case GS_PACK:
            return QStringLiteral("GS_PACK");
        case KEEPALIVE_PACK:
            return QStringLiteral("keep-alive");
        case ZONE_READ_PACK:
            return QStringLiteral("zone read");
        case ZONE_WRITE_PACK:
            return QStringLiteral("zone write");
        case FIRMWARE_PACK:
            return QStringLiteral("firmware");
        default:
            return QStringLiteral("mode 0x%1").arg(mode, 4, 16, QChar('0'));
    }
}

QHostAddress ipOf(const uint8_t q[4]) {
    return QHostAddress(quint32(q[0]) << 24 | quint32(q[1]) << 16 | quint32(q[2]) << 8 | q[3]);
}

}  // namespace

SimEngine::SimEngine(const SimOptions& options, QObject* parent)
    : QObject(parent),
      m_options(options),
      m_format(effectiveFormat(options)),
      m_state(options),
      m_handler(m_state, m_zones, m_options),
      m_faults(options.dropPercent, options.corruptPercent, options.seed),
      m_generator(m_format, options.fanDegrees, options.seed) {
    m_streamTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_streamTimer, &QTimer::timeout, this, &SimEngine::streamTick);
    connect(&m_statusTimer, &QTimer::timeout, this, &SimEngine::statusTick);
    connect(&m_heartbeatTimer, &QTimer::timeout, this, &SimEngine::heartbeatTick);
    connect(&m_fleetTimer, &QTimer::timeout, this, &SimEngine::fleetTick);
}

SimEngine::~SimEngine() {
    close();
}

bool SimEngine::open(QString* error) {
    if (!m_options.stateFile.isEmpty()) {
        m_state.load(m_options.stateFile);
        m_zones.load(m_options.stateFile + QStringLiteral(".zones"));
    }
    if (!m_options.zoneFault.isEmpty()) {
        bool ok = false;
        const ZoneFault fault = ZoneStore::parseFault(m_options.zoneFault, &ok);
        if (!ok) {
            if (error) *error = QStringLiteral("unknown zone fault: %1").arg(m_options.zoneFault);
            return false;
        }
        m_zones.setFault(fault);
    }
    UpgradeFault upgradeFault;
    if (!parseUpgradeFault(m_options.upgradeFault, &upgradeFault)) {
        if (error) *error = QStringLiteral("unknown upgrade fault: %1").arg(m_options.upgradeFault);
        return false;
    }
    m_firmware = new FirmwareTarget(m_options.firmwareOut, upgradeFault, m_options.logCommands, this);
    // The link the scanner was started on is where it lives, whatever an
    // earlier session stored.
    if (!m_options.udpAddress.isEmpty()) {
        putIpv4(m_state.block().ip, m_options.udpAddress);
        m_state.block().lidarPort = m_options.udpPort;
        m_udp = new UdpLink(this, &m_faults, this);
        if (!m_udp->open(m_options.udpAddress, m_options.udpPort, m_state.block().uploadPort, error))
            return false;
    }
    if (!m_options.tcpAddress.isEmpty()) {
        m_tcp = new TcpLink(this, &m_faults, this);
        if (!m_tcp->open(m_options.tcpAddress, m_options.tcpPort, error)) return false;
    }
    if (m_options.serial != SerialMode::None) {
        m_pty = new PtyLink(this, &m_faults, m_options.serial == SerialMode::Uart, this);
        if (!m_pty->open(m_options.serialLink, error)) return false;
        m_pty->setLineBaud(m_options.serialBaud);
        m_pty->setRawTap(m_firmware);
        m_firmware->setRawWriter([this](const QByteArray& bytes) {
            if (m_pty) m_pty->writeRaw(bytes);
        });
    }
    if (m_options.heartbeat != HeartbeatKind::Off && !m_udp && m_tcp) {
        m_heartbeatSocket = new QUdpSocket(this);
        if (m_heartbeatSocket->bind(QHostAddress(m_options.tcpAddress), 0)) {
            keepMulticastLocal(m_heartbeatSocket->socketDescriptor());
        } else {
            // Unbound, the socket would pick its own way out: no heartbeats.
            delete m_heartbeatSocket;
            m_heartbeatSocket = nullptr;
        }
    }
    updateUdpTarget();
    m_clock.start();
    rebase();
    m_streamTimer.start(kStreamTickMs);
    m_statusTimer.start(kStatusPeriodMs);
    if (m_options.heartbeat != HeartbeatKind::Off && (m_udp || m_tcp)) {
        m_heartbeatTimer.start(kHeartbeatPeriodMs);
        QTimer::singleShot(0, this, &SimEngine::heartbeatTick);
        if (m_options.fleet > 1) {
            m_fleetClock.start();
            m_fleetTimer.start(kFleetTickMs);
        }
    }
    return true;
}

void SimEngine::close() {
    m_streamTimer.stop();
    m_statusTimer.stop();
    m_heartbeatTimer.stop();
    m_fleetTimer.stop();
    delete m_udp;
    delete m_tcp;
    delete m_pty;
    delete m_heartbeatSocket;
    m_udp = nullptr;
    m_tcp = nullptr;
    m_pty = nullptr;
    m_heartbeatSocket = nullptr;
}

QString SimEngine::serialPath() const {
    return m_pty ? m_pty->path() : QString();
}

int SimEngine::firmwareImagesAccepted() const {
    return m_firmware ? m_firmware->imagesAccepted() : 0;
}

void SimEngine::rebase() {
    m_runStartNs = m_clock.nsecsElapsed();
    m_fansThisRun = 0;
}

void SimEngine::broadcast(const QByteArray& packet) {
    if (m_udp) m_udp->sendStream(packet);
    if (m_tcp) m_tcp->sendStream(packet);
    if (m_pty) m_pty->sendStream(packet);
}

void SimEngine::streamTick() {
    if (!m_streaming || m_restarting) return;
    // A scanner being upgraded does not measure.
    if (m_firmware && m_firmware->busy()) {
        rebase();
        return;
    }
    const int rpm = std::max<int>(1, m_state.block().rpm);
    const double fanPeriodNs = 60e9 / rpm / m_generator.fansPerRevolution();
    const qint64 now = m_clock.nsecsElapsed();
    const qint64 due = static_cast<qint64>((now - m_runStartNs) / fanPeriodNs);
    // After a stall (a loaded machine) skip ahead instead of bursting more
    // than one revolution at once.
    if (due - m_fansThisRun > m_generator.fansPerRevolution())
        m_fansThisRun = due - m_generator.fansPerRevolution();
    const EEpromV101& b = m_state.block();
    while (m_fansThisRun < due) {
        FanContext ctx;
        ctx.epochMicros = QDateTime::currentMSecsSinceEpoch() * 1000;
        ctx.sceneSeconds = now / 1e9;
        ctx.counterClockwise = b.ccw != 0;
        ctx.smoothing = b.smt != 0;
        ctx.trailingRemoval = b.dsw != 0;
        // A serial line in the general format still announces its mode, so
        // that a receiver left in the legacy mode switches back.
        if (m_pty && m_format != StreamFormat::Legacy && m_options.serial == SerialMode::Uart &&
            m_fanNumber % m_generator.fansPerRevolution() == 0)
            m_pty->sendStream(
                encodeStatusPacket(static_cast<uint8_t>(0x03 | (b.smt ? 0x04 : 0) | (b.dsw ? 0x08 : 0))));
        for (const QByteArray& packet : m_generator.fan(m_fanNumber, ctx)) broadcast(packet);
        ++m_fanNumber;
        ++m_fansThisRun;
        fans.fetch_add(1, std::memory_order_relaxed);
    }
}

void SimEngine::statusTick() {
    if (m_restarting || (m_firmware && m_firmware->busy())) return;
    const StateRecord r = m_state.stateRecord(m_recordSequence++);
    if (m_udp) m_udp->sendStream(encodeLmsg(r));
    if (m_tcp) m_tcp->sendStream(encodeLmsg(r));
    if (m_pty) m_pty->sendStream(m_options.serial == SerialMode::Uart ? encodeAmRecord(r) : encodeLmsg(r));
}

void SimEngine::heartbeatTick() {
    if (m_restarting) return;
    const HeartbeatLink kind = m_udp ? HeartbeatLink::Udp : HeartbeatLink::Tcp;
    sendHeartbeat(buildHeartbeat(m_options.heartbeat, m_state, kind));
}

void SimEngine::fleetTick() {
    if (m_restarting) return;
    const HeartbeatLink kind = m_udp ? HeartbeatLink::Udp : HeartbeatLink::Tcp;
    const int others = m_options.fleet - 1;
    // Each of the others once a second, evenly spread; after a stall at most
    // one round is made up, as devices that were not heard are just late.
    const qint64 due = m_fleetClock.elapsed() * others / 1000;
    if (due - m_fleetSent > others) m_fleetSent = due - others;
    for (; m_fleetSent < due; ++m_fleetSent) {
        const int member = 1 + int(m_fleetSent % others);
        sendHeartbeat(buildFleetHeartbeat(m_options.heartbeat, m_state, kind, member));
    }
}

void SimEngine::sendHeartbeat(const QByteArray& datagram) {
    if (datagram.isEmpty()) return;
    if (m_udp) {
        m_udp->sendHeartbeat(datagram);
    } else if (m_heartbeatSocket) {
        sendHeartbeatFrom(*m_heartbeatSocket, datagram);
    }
}

void SimEngine::updateUdpTarget() {
    if (!m_udp) return;
    if (m_streamToSource && !m_lastSource.isNull())
        m_udp->setStreamTarget(m_lastSource, m_lastSourcePort);
    else
        m_udp->setStreamTarget(ipOf(m_state.block().uploadIp), m_state.block().uploadPort);
}

void SimEngine::logCommand(const ReceivedCommand& c, const CommandOrigin& origin) const {
    if (!m_options.logCommands) return;
    const QString from = origin.address.isNull()
                             ? QStringLiteral("serial")
                             : QStringLiteral("%1:%2").arg(origin.address.toString()).arg(origin.port);
    QString what;
    if (!c.isFrame) {
        what = QStringLiteral("text \"%1\"").arg(QString::fromLatin1(c.body));
    } else if (c.mode == ZONE_READ_PACK || c.mode == ZONE_WRITE_PACK || c.mode == KEEPALIVE_PACK ||
               c.mode == FIRMWARE_PACK) {
        what = QStringLiteral("%1 sn=%2 %3 bytes").arg(modeName(c.mode)).arg(c.sn).arg(c.body.size());
    } else {
        const int nul = c.body.indexOf('\0');
        what = QStringLiteral("%1 sn=%2 \"%3\"")
                   .arg(modeName(c.mode))
                   .arg(c.sn)
                   .arg(QString::fromLatin1(nul < 0 ? c.body : c.body.left(nul)));
    }
    std::fprintf(stderr, "vantrel-sim: %s from %s%s\n", qPrintable(what), qPrintable(from),
                 m_restarting ? " (restarting, ignored)" : "");
}

std::vector<QByteArray> SimEngine::onCommand(const ReceivedCommand& command, const CommandOrigin& origin) {
    commands.fetch_add(1, std::memory_order_relaxed);
    logCommand(command, origin);
    if (m_restarting) return {};
    if (!origin.address.isNull()) {
        m_lastSource = origin.address;
        m_lastSourcePort = origin.port;
    }
    CommandEffects fx;
    std::vector<QByteArray> replies;
    QByteArray upgradeReply;
    if (command.isFrame && command.mode == FIRMWARE_PACK && m_firmware) {
        replies = m_firmware->handleFrame(command.sn, command.body);
    } else if (!command.isFrame && m_firmware && m_firmware->handleText(command.body, &upgradeReply)) {
        if (!upgradeReply.isEmpty()) replies.push_back(upgradeReply);
    } else if (command.isFrame) {
        replies = m_handler.handleFrame(command.mode, command.sn, command.body, fx);
    } else {
        const QByteArray line = m_handler.handleText(command.body, fx);
        if (!line.isEmpty()) replies.push_back(line);
    }
    apply(fx, origin);
    return replies;
}

void SimEngine::apply(const CommandEffects& fx, const CommandOrigin& origin) {
    if (fx.startStream && !m_streaming) {
        m_streaming = true;
        rebase();
    }
    if (fx.stopStream) m_streaming = false;
    if (fx.rpmChanged) rebase();
    if (fx.atsReceived && !origin.address.isNull()) m_streamToSource = true;
    if (fx.blockChanged && !m_options.stateFile.isEmpty()) m_state.save(m_options.stateFile);
    if (fx.zonesChanged && !m_options.stateFile.isEmpty())
        m_zones.save(m_options.stateFile + QStringLiteral(".zones"));
    if (fx.moveAddress && m_udp) {
        const QHostAddress next(fx.newIp);
        if (next.isLoopback()) {
            const QString ip = fx.newIp;
            const quint16 port = fx.newPort;
            // After the reply has left through the old socket.
            QTimer::singleShot(0, this, [this, ip, port] {
                QString why;
                if (m_udp && !m_udp->open(ip, port, m_state.block().uploadPort, &why))
                    std::fprintf(stderr, "vantrel-sim: staying at %s:%u (%s)\n",
                                 qPrintable(m_udp->address().toString()), m_udp->port(), qPrintable(why));
                else if (m_options.logCommands)
                    std::fprintf(stderr, "vantrel-sim: moved to %s:%u\n", qPrintable(ip), port);
            });
        } else if (m_options.logCommands) {
            std::fprintf(stderr, "vantrel-sim: stored %s:%u, staying on loopback\n", qPrintable(fx.newIp),
                         fx.newPort);
        }
    }
    // Only the plain-text line changes its rate; a framed (USB) line keeps it.
    if (fx.newBaud > 0 && m_pty && m_options.serial == SerialMode::Uart) {
        m_pty->switchBaudAfterReply(static_cast<int>(fx.newBaud));
        if (m_options.logCommands)
            std::fprintf(stderr, "vantrel-sim: serial line now at %u baud\n", fx.newBaud);
    }
    if (fx.restart) {
        m_restarting = true;
        QTimer::singleShot(kRestartSilenceMs, this, [this] {
            m_restarting = false;
            m_streaming = true;
            rebase();
        });
    }
    updateUdpTarget();
}

}  // namespace sim
