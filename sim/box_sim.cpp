#include "box_sim.h"

#include <QHostAddress>
#include <QMetaObject>
#include <QTimer>
#include <QUdpSocket>
#include <cstdio>
#include <mutex>

#include "command_frame.h"
#include "firmware_target.h"
#include "frame_splitter.h"
#include "network_arg.h"
#include "udp_link.h"

namespace sim {

namespace {

constexpr int kStatusPeriodMs = 1000;

QString defaultGateway(const QString& address) {
    QStringList parts = address.split(QLatin1Char('.'));
    if (parts.size() != 4) return {};
    parts[3] = QStringLiteral("1");
    return parts.join(QLatin1Char('.'));
}

}  // namespace

bool parseBoxScanners(const QString& text, std::vector<BoxScannerEntry>* out) {
    std::vector<BoxScannerEntry> entries;
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = item.trimmed().split(QLatin1Char(':'));
        bool ok = false;
        const int port = parts.size() == 3 ? parts[1].toInt(&ok) : 0;
        const QString io = parts.size() == 3 ? parts[2].toUpper() : QString();
        if (!ok || port <= 0 || port > 65535 || !is_dotted_quad(parts[0].toStdString()) ||
            (io != QLatin1String("A") && io != QLatin1String("B")))
            return false;
        entries.push_back({parts[0].toStdString(), port, io == QLatin1String("B") ? 1 : 0});
    }
    *out = std::move(entries);
    return true;
}

// ---------------------------------------------------------------- the box itself

class BoxEngine : public QObject {
public:
    explicit BoxEngine(const BoxOptions& options) : m_options(options) {
        if (m_options.gateway.isEmpty()) m_options.gateway = defaultGateway(m_options.address);
        connect(&m_statusTimer, &QTimer::timeout, this, &BoxEngine::sendStatus);
    }

    bool open(QString* error) {
        UpgradeFault fault;
        if (!parseUpgradeFault(m_options.upgradeFault, &fault)) {
            if (error) *error = QStringLiteral("unknown upgrade fault: %1").arg(m_options.upgradeFault);
            return false;
        }
        m_firmware = new FirmwareTarget(m_options.firmwareOut, fault, m_options.logCommands, this);
        if (!bind(m_options.address, error)) return false;
        if (m_options.statusPort != 0) {
            sendStatus();
            m_statusTimer.start(kStatusPeriodMs);
        }
        return true;
    }

    QString address() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_options.address;
    }
    std::vector<BoxScannerEntry> scanners() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_options.scanners;
    }

    std::atomic<int> accepted{0};
    int firmwareImages() const { return m_firmware ? m_firmware->imagesAccepted() : 0; }

private:
    bool bind(const QString& ip, QString* error) {
        const QHostAddress address(ip);
        if (address.isNull() || address.protocol() != QAbstractSocket::IPv4Protocol) {
            if (error) *error = QStringLiteral("not an IPv4 address: %1").arg(ip);
            return false;
        }
        auto* socket = new QUdpSocket(this);
        // Address reuse lets the program bind the same port on the wildcard
        // address, as it does on a plant network.
        if (!socket->bind(address, m_options.commandPort,
                          QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
            if (error)
                *error = QStringLiteral("cannot bind %1:%2: %3")
                             .arg(ip)
                             .arg(m_options.commandPort)
                             .arg(socket->errorString());
            delete socket;
            return false;
        }
        keepMulticastLocal(socket->socketDescriptor());
        connect(socket, &QUdpSocket::readyRead, this, [this, socket] { read(socket); });
        delete m_socket;
        m_socket = socket;
        return true;
    }

    void sendStatus() {
        BoxStatus status;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            status.ip = m_options.address.toStdString();
            status.mask = m_options.mask.toStdString();
            status.gateway = m_options.gateway.toStdString();
            for (const BoxScannerEntry& e : m_options.scanners) {
                // A box sees its scanners running; port B's are shown busy.
                BoxScannerStatus s;
                s.address = e.ip;
                s.state = e.io == 0 ? uint8_t(BoxScannerState::Green) : uint8_t(BoxScannerState::Yellow);
                s.statusWord =
                    static_cast<uint16_t>(0x0001 | (e.io == 0 ? 0x0004 : 0x0008) | (m_tick & 1) << 10);
                status.scanners.push_back(s);
            }
        }
        ++m_tick;
        const std::vector<uint8_t> d =
            encode_box_status(status, m_options.longStatus ? kBoxStatusLongSize : kBoxStatusSize);
        if (m_socket)
            sendHeartbeatFrom(*m_socket, QByteArray(reinterpret_cast<const char*>(d.data()), int(d.size())));
    }

    void read(QUdpSocket* socket) {
        while (socket->hasPendingDatagrams()) {
            QByteArray datagram(int(qBound<qint64>(0, socket->pendingDatagramSize(), 65536)), '\0');
            QHostAddress from;
            quint16 fromPort = 0;
            const qint64 got = socket->readDatagram(datagram.data(), datagram.size(), &from, &fromPort);
            if (got <= 0) continue;
            datagram.resize(int(got));
            handle(datagram, from, fromPort);
        }
    }

    // A command is accepted only as one whole, well-formed frame per datagram.
    void handle(const QByteArray& datagram, const QHostAddress& from, quint16 fromPort) {
        CommandFrameView view;
        const auto* p = reinterpret_cast<const uint8_t*>(datagram.constData());
        const bool whole = decode_command_frame(p, size_t(datagram.size()), view) == 1 && view.crcOk &&
                           view.frameLength == size_t(datagram.size());
        if (whole && view.mode == FIRMWARE_PACK) {
            // The box is upgraded like a scanner, on its command port.
            const QByteArray body(reinterpret_cast<const char*>(view.body), view.length);
            for (const QByteArray& reply : m_firmware->handleFrame(view.sn, body))
                m_socket->writeDatagram(reply, from, fromPort);
            return;
        }
        if (!whole || view.mode != BOX_PACK) {
            log(QStringLiteral("refused %1 bytes from %2").arg(datagram.size()).arg(from.toString()));
            return;
        }
        const QByteArray padded(reinterpret_cast<const char*>(view.body), view.length);
        const int nul = padded.indexOf('\0');
        const QByteArray text = nul < 0 ? padded : padded.left(nul);
        // Padding is zeros and no more than three of them.
        if (padded.size() - text.size() > 3 ||
            padded.mid(text.size()).count('\0') != padded.size() - text.size()) {
            log(QStringLiteral("refused badly padded frame from %1").arg(from.toString()));
            return;
        }
        const QByteArray reply = answer(QString::fromLatin1(text));
        log(QStringLiteral("%1 from %2:%3 -> %4")
                .arg(QString::fromLatin1(text), from.toString())
                .arg(fromPort)
                .arg(QString::fromLatin1(reply)));
        if (reply.isEmpty()) return;
        ++accepted;
        m_socket->writeDatagram(encodeReplyFrame(BOX_PACK, view.sn, reply), from, fromPort);
        if (reply.startsWith("LSNET:")) scheduleReboot(from, fromPort);
    }

    QByteArray answer(const QString& text) {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<BoxScannerEntry>& list = m_options.scanners;
        if (text == QLatin1String(kBoxCmdGets))
            return QByteArray("LSGETS:") + QByteArray::fromStdString(format_box_entries(list));
        if (text == QLatin1String(kBoxCmdNets))
            return QStringLiteral("LSNETS:%1 %2 %3")
                .arg(m_options.address, m_options.mask, m_options.gateway)
                .toLatin1();
        if (text == QLatin1String(kBoxCmdVersion)) return "LVERSH:" + m_options.version.toLatin1();
        if (text.startsWith(QLatin1String("LSADD:")) || text.startsWith(QLatin1String("LSDEL:"))) {
            const bool add = text.startsWith(QLatin1String("LSADD:"));
            const std::vector<BoxScannerEntry> entries = parse_box_entries(text.toStdString());
            if (entries.empty()) return add ? "LSADD:NG" : "LSDEL:NG";
            for (const BoxScannerEntry& e : entries) {
                const auto it = std::find(list.begin(), list.end(), e);
                if (add && it == list.end()) list.push_back(e);
                if (!add && it != list.end()) list.erase(it);
            }
            return add ? "LSADD:OK" : "LSDEL:OK";
        }
        if (text.startsWith(QLatin1String("LSNET:"))) {
            const QStringList parts = text.mid(6).split(QLatin1Char(' '));
            if (parts.size() != 3 || !std::all_of(parts.begin(), parts.end(), [](const QString& s) {
                    return is_dotted_quad(s.toStdString());
                }))
                return "LSNET:NG";
            m_pendingNet = parts;
            return "LSNET:OK";
        }
        return {};
    }

    // The box takes its new address when it restarts, and says so first.
    void scheduleReboot(const QHostAddress& to, quint16 port) {
        QTimer::singleShot(m_options.rebootDelayMs, this, [this, to, port] {
            m_socket->writeDatagram(encodeReplyFrame(BOX_PACK, 0, "REBOOT"), to, port);
            QStringList net;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                net = m_pendingNet;
            }
            if (net.size() != 3) return;
            QString why;
            // An address this host cannot take leaves the box where it was
            // on the wire, announcing the new one (as a misconfigured box would).
            if (!bind(net[0], &why)) log(QStringLiteral("stays on the old address: %1").arg(why));
            std::lock_guard<std::mutex> lock(m_mutex);
            m_options.address = net[0];
            m_options.mask = net[1];
            m_options.gateway = net[2];
        });
    }

    void log(const QString& line) const {
        if (!m_options.logCommands) return;
        std::fprintf(stderr, "box %s: %s\n", qPrintable(address()), qPrintable(line));
    }

    BoxOptions m_options;
    mutable std::mutex m_mutex;  // m_options' address and lists are read from other threads
    QStringList m_pendingNet;
    QUdpSocket* m_socket = nullptr;
    FirmwareTarget* m_firmware = nullptr;
    QTimer m_statusTimer;
    uint32_t m_tick = 0;
};

// ---------------------------------------------------------------- thread wrapper

BoxSimulator::BoxSimulator(const BoxOptions& options) : m_options(options) {}

BoxSimulator::~BoxSimulator() {
    stop();
}

bool BoxSimulator::start(QString* error) {
    if (m_engine) return true;
    m_engine = m_runner.startEngine<BoxEngine>(m_options, error);
    return m_engine != nullptr;
}

void BoxSimulator::stop() {
    m_runner.stop();
    m_engine = nullptr;
}

int BoxSimulator::commandsAccepted() const {
    return m_engine ? m_engine->accepted.load() : 0;
}

int BoxSimulator::firmwareImagesAccepted() const {
    return m_engine ? m_engine->firmwareImages() : 0;
}

QString BoxSimulator::address() const {
    return m_engine ? m_engine->address() : m_options.address;
}

std::vector<BoxScannerEntry> BoxSimulator::scanners() const {
    return m_engine ? m_engine->scanners() : m_options.scanners;
}

}  // namespace sim
