#include "sendcmdproc.h"

#include <QDateTime>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "command_frame.h"
#include "model_table.h"
#include "recorder.h"
#include "recvtrace.h"
#include "serial_io.h"
#include "transport.h"

namespace {

constexpr const char* kTraceFile = "task/sendcmdproc.cpp";

constexpr int kUartAttempts = 5;
constexpr int kRespondShowSeconds = 2;

bool isZoneMode(int mode) {
    return mode == ZONE_WRITE_PACK || mode == ZONE_READ_PACK;
}

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

QByteArray bytes(const std::string& text) {
    return QByteArray(text.data(), int(text.size()));
}

std::string local8Bit(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

uint32_t timeSeed() {
    return uint32_t(std::chrono::system_clock::now().time_since_epoch().count());
}

// The model table throws on a malformed value; an unknown answer must not take
// the sender's thread down, so it reads as "no zones".
int alarmZoneOf(const std::string& model) {
    try {
        return QString::fromStdString(model_property(model, "alarmZone")).toInt();
    } catch (const std::exception& e) {
        RECV_TRACE("SendCmdProc::alarmZoneOf") << "model table entry unusable" << model.c_str() << e.what();
        return 0;
    }
}

// The sender's side of the serial port: nothing is read or written once the
// link has ended, and whatever the scanner answers goes to the raw recording
// like every other byte the receiver reads from it.
class LinkSerialIo : public SerialIo {
public:
    LinkSerialIo(LinkRef link, std::unique_ptr<SerialIo> port)
        : m_link(std::move(link)), m_port(std::move(port)) {}
    int write(const uint8_t* data, size_t len) override {
        return m_link->isOpen() ? m_port->write(data, len) : -1;
    }
    int read(uint8_t* data, size_t len) override {
        if (!m_link->isOpen()) return -1;
        const int n = m_port->read(data, len);
        if (n > 0) Recorder::instance().writeRaw(0, data, size_t(n));
        return n;
    }
    void sleepMs(int ms) override { m_port->sleepMs(ms); }
    // The port itself (a system serial port, or a stand-in).
    SerialIo* port() const { return m_port.get(); }

private:
    LinkRef m_link;
    std::unique_ptr<SerialIo> m_port;
};

}  // namespace

SendCmdProc::SendCmdProc(QObject* parent) : QObject(parent), m_rng(timeSeed() ^ uint32_t(uintptr_t(this))) {
    m_clock = [] { return uint32_t(QDateTime::currentMSecsSinceEpoch()); };
    m_sleep = [](int ms) { QThread::msleep(ms > 0 ? ulong(ms) : 0); };
}

SendCmdProc::~SendCmdProc() {
    // A timer can only be stopped on its own thread; otherwise it dies with us as a child.
    if (m_reissueTimer && m_reissueTimer->thread() == QThread::currentThread()) m_reissueTimer->stop();
}

void SendCmdProc::setClock(std::function<uint32_t()> clock) {
    if (clock) m_clock = std::move(clock);
}

void SendCmdProc::setSleep(std::function<void(int)> sleep) {
    if (sleep) m_sleep = std::move(sleep);
}

void SendCmdProc::setNetworkWriter(std::function<int(const uint8_t*, size_t)> writer) {
    m_netWriter = std::move(writer);
}

void SendCmdProc::setSerialIoFactory(std::function<std::unique_ptr<SerialIo>(int)> factory) {
    m_serialFactory = std::move(factory);
}

uint16_t SendCmdProc::nextSn() {
    return uint16_t(std::uniform_int_distribution<uint32_t>(0, 0xFFFF)(m_rng));
}

uint32_t SendCmdProc::now() const {
    return m_clock();
}

void SendCmdProc::pause(int ms) {
    m_sleep(ms);
}

SendCmdProc::NetTarget SendCmdProc::storedTarget() const {
    return NetTarget{fd_udp, local8Bit(dev_ip), dev_port};
}

QString SendCmdProc::commandText(const TrackedCommand& entry) {
    if (entry.length <= int(kFrameOverhead)) return {};
    const char* body = reinterpret_cast<const char*>(entry.data) + 8;
    const size_t bodyLen = size_t(entry.length) - kFrameOverhead;
    return QString::fromLocal8Bit(body, int(strnlen(body, bodyLen)));
}

// ---------------------------------------------------------------- link output

void SendCmdProc::transmit(const uint8_t* data, size_t len, const NetTarget& target) {
    // An ended link is not written to: the receiver lost it or the window closed it.
    if (!hasOpenLink()) return;
    if (isNetwork()) {
        if (m_netWriter) {
            m_netWriter(data, len);
        } else if (m_kind == LinkKind::Udp) {
            udp_send_to(target.fd, target.ip, target.port, data, int(len));
        } else {
            tcp_send(target.fd, data, int(len));
        }
        return;
    }
    if (!m_serial) return;
    size_t done = 0;
    // Write errors are not reported: a dead link shows up as silence. The loop
    // only keeps a short write from truncating the frame.
    while (done < len) {
        const int n = m_serial->write(data + done, len - done);
        if (n <= 0) break;
        done += std::min(size_t(n), len - done);
    }
}

void SendCmdProc::sendFrame(uint16_t mode, uint16_t sn, const std::string& body, bool trackIt,
                            const NetTarget& target) {
    const std::vector<uint8_t> frame = encode_command_frame(mode, sn, body);
    if (frame.empty()) {
        RECV_TRACE("SendCmdProc::sendFrame") << QString::asprintf(
            "command body of %zu bytes exceeds %zu, not sent", body.size(), kMaxFrameBody);
        return;
    }
    transmit(frame.data(), frame.size(), target);

    if (isNetwork()) {
        // A restarting scanner does not answer.
        if (body == kCmdRestart) {
            if (trackIt) emit sig_cmdOutcome(mode, QString::fromLocal8Bit(body.c_str()), CmdSent);
            return;
        }
        // The scanner answers from its new address, where the receiver is not listening yet.
        if (contains(body, "LSUDP")) {
            emit sig_data(14, bytes(body));
            if (trackIt) emit sig_cmdOutcome(mode, QString::fromLocal8Bit(body.c_str()), CmdSent);
            return;
        }
    }
    if (trackIt) track(mode, sn, frame);
}

void SendCmdProc::track(uint16_t mode, uint16_t sn, const std::vector<uint8_t>& frame) {
    if (frame.size() > size_t(TrackedCommand::kCapacity)) {
        RECV_TRACE("SendCmdProc::track")
            << QString::asprintf("frame of %zu bytes sent untracked", frame.size());
        return;
    }
    TrackedCommand entry;
    std::memset(&entry, 0, sizeof entry);
    std::memcpy(entry.data, frame.data(), frame.size());
    entry.length = int(frame.size());
    entry.sn = sn;
    entry.sentAt = now();
    entry.sign = kFrameSign;
    entry.sendCount = 1;
    entry.mode = mode;

    // One zone request and one command at most. A zone transfer moves on to
    // its next request, and only the newest one is worth re-sending; a
    // command sent meanwhile is watched beside it, never in its place.
    const bool zone = isZoneMode(mode);
    for (TrackedCommand& tracked : m_tracked) {
        if (isZoneMode(tracked.mode) != zone) continue;
        if (zone) {
            tracked = entry;
        } else {
            RECV_TRACE("SendCmdProc::track") << QString::asprintf(
                "mode 0x%x sn %u sent untracked, another command is outstanding", mode, sn);
            emit sig_cmdOutcome(mode, commandText(entry), CmdSent);
        }
        return;
    }
    m_tracked.push_back(entry);
}

// ---------------------------------------------------------------- UART exchange

void SendCmdProc::uartWriteBare(const std::string& text) {
    transmit(reinterpret_cast<const uint8_t*>(text.data()), text.size(), storedTarget());
}

void SendCmdProc::uartExchange(const std::string& cmd) {
    if (!m_serial || !hasOpenLink()) return;
    // The receiver reads the same port; it has to let go before we read the answer.
    emit sig_data(2, "2");
    pause(10);

    UartCommandRow row;
    if (!uart_command_row(cmd, row)) {
        uartWriteBare(cmd);
        emit sig_cmdOutcome(0, QString::fromLocal8Bit(cmd.c_str()), CmdSent);
    } else {
        std::string value;
        bool answered = false;
        for (int attempt = 0; attempt < kUartAttempts && !answered; ++attempt) {
            value.clear();
            answered = uart_query(*m_serial, cmd, row.prefix, row.valueLength, value, row.retries);
            if (!answered) RECV_TRACE("SendCmdProc::uartExchange") << cmd.c_str() << "failed";
        }
        if (!answered) {
            emit sig_data(13, bytes(cmd));
            if (!row.isQuery) emit sig_cmdOutcome(0, QString::fromLocal8Bit(cmd.c_str()), CmdNoAnswer);
        } else if (row.isQuery) {
            parse_query_value(cmd, value, block);
        } else {
            RECV_TRACE("SendCmdProc::uartExchange") << cmd.c_str() << "status" << value.c_str();
            const bool refused = value == "NG" || value == "unsupport";
            emit sig_cmdOutcome(0, QString::fromLocal8Bit(cmd.c_str()), refused ? CmdRefused : CmdAccepted);
            if (contains(cmd, "LSBPS") || contains(cmd, "LSZTP") || contains(cmd, "LSZIR")) {
                // The main window re-targets the link on 14; a refused baud rate
                // change must not make it reopen the port at a rate the scanner
                // never switched to.
                if (value == "NG" || value == "unsupport") {
                    emit sig_respondFinish(S_PACK, QString::fromLocal8Bit(cmd.c_str()), kRespondShowSeconds);
                } else {
                    if (contains(cmd, "LSBPS")) followBaudChange(cmd);
                    emit sig_data(14, bytes(cmd));
                }
            }
        }
    }
    emit sig_data(2, "1");
}

// The scanner answered at the old rate and now listens at the new one. The
// next command of this thread (an import goes on at once) must already go
// out at that rate, so the port is switched here rather than only when the
// main window gets to its notice; its own switch then finds it done.
void SendCmdProc::followBaudChange(const std::string& cmd) {
    auto* link = dynamic_cast<LinkSerialIo*>(m_serial.get());
    auto* port = link ? dynamic_cast<SerialPortIo*>(link->port()) : nullptr;
    if (!port || !hasOpenLink()) return;
    const size_t at = cmd.find("LSBPS:");
    if (at == std::string::npos) return;
    const int baud = std::atoi(cmd.c_str() + at + 6);
    if (baud > 0 && set_serial_baud(port->handle(), baud) != 0)
        RECV_TRACE("SendCmdProc::followBaudChange") << "cannot switch the serial port to" << baud << "baud";
}

// ---------------------------------------------------------------- initial read

void SendCmdProc::initialRead() {
    switch (m_kind) {
        case LinkKind::Udp:
        case LinkKind::Tcp:
            sendFrame(S_PACK, nextSn(), cmd_set_ats(1), false, storedTarget());
            pause(100);
            sendFrame(GS_PACK, nextSn(), kCmdReadBlock, true, storedTarget());
            break;
        case LinkKind::Vpc:
            emit sig_data(2, "1");
            sendFrame(S_PACK, nextSn(), cmd_set_ats(2), true, storedTarget());
            pause(1000);
            sendFrame(GS_PACK, nextSn(), kCmdReadBlock, true, storedTarget());
            break;
        case LinkKind::Uart: {
            uartExchange(kQueryUuid);
            uartExchange(kQueryType);
            uartExchange(kQueryVersion);
            const std::string typeId = eeprom_type_id(block);
            if (typeId.size() > 6) {
                const std::string model = normalize_model_id(typeId);
                if (model == "TQX-70K-R" || model == "TQX-H400-R") uartExchange(cmd_query("SAF"));
                if (alarmZoneOf(model) != 0) {
                    static const char* const kQueries[] = {"SRPM", "SMT", "DSW", "AZN", "PST",
                                                           "NPN",  "OUT", "CIR", "FIR", "ZTP"};
                    for (const char* name : kQueries) uartExchange(cmd_query(name));
                    uartExchange(kCmdStart);
                }
            }
            // A link that ended meanwhile has no scanner behind it to report.
            if (hasOpenLink())
                emit sig_data(5, QByteArray(reinterpret_cast<const char*>(&block), int(sizeof block)));
            break;
        }
        case LinkKind::Unknown:
            RECV_TRACE("SendCmdProc::initialRead") << "unknown link type" << type;
            break;
    }
}

// ---------------------------------------------------------------- slots

void SendCmdProc::adoptLink(LinkRef link) {
    m_adopted = std::move(link);
}

void SendCmdProc::recv_Init(QString type, int fd_udp, QString dev_ip, int dev_port) {
    m_rng.seed(timeSeed());
    this->type = type;
    this->fd_udp = fd_udp;
    this->dev_ip = dev_ip;
    this->dev_port = dev_port;
    m_kind = link_kind(local8Bit(type));
    std::memset(&block, 0, sizeof block);

    // The descriptor belongs to the link handed over with it, or to the one in
    // use (the same scanner at a new address); any other one is borrowed.
    LinkRef link;
    if (m_adopted && m_adopted->owns(fd_udp))
        link = m_adopted;
    else if (m_link && m_link->owns(fd_udp))
        link = m_link;
    else
        link = ScannerLink::borrow(fd_udp, 0, isNetwork());
    m_adopted.reset();
    // What was tracked belongs to the previous link's scanner.
    if (link != m_link) m_tracked.clear();
    m_link = std::move(link);

    if (m_kind == LinkKind::Vpc || m_kind == LinkKind::Uart) {
        std::unique_ptr<SerialIo> port =
            m_serialFactory ? m_serialFactory(fd_udp) : std::make_unique<SerialPortIo>(fd_udp);
        m_serial = std::make_unique<LinkSerialIo>(m_link, std::move(port));
    } else {
        m_serial.reset();
    }

    if (!m_reissueTimer) {
        m_reissueTimer = new QTimer(this);
        connect(m_reissueTimer, &QTimer::timeout, this, &SendCmdProc::cmdReissued);
        m_reissueTimer->start(kReissuePeriodMs);
    }
    initialRead();
}

void SendCmdProc::recv_UnInit() {
    m_tracked.clear();
    m_serial.reset();
    m_link.reset();
}

void SendCmdProc::recv_C_PACK(QString cmd) {
    const std::string text = local8Bit(cmd);
    if (m_kind == LinkKind::Uart) {
        uartExchange(text);
        return;
    }
    if (!isFramed()) return;
    sendFrame(C_PACK, nextSn(), text, true, storedTarget());
    if (isNetwork() && text == kCmdRestart) {
        QTimer::singleShot(kRestartFollowUpMs, this, [this] {
            if (isNetwork()) sendFrame(C_PACK, nextSn(), kCmdStart, false, storedTarget());
        });
    }
}

void SendCmdProc::recv_S_PACK(QString cmd) {
    const std::string text = local8Bit(cmd);
    if (m_kind == LinkKind::Uart)
        uartExchange(text);
    else if (isFramed())
        sendFrame(S_PACK, nextSn(), text, true, storedTarget());
}

void SendCmdProc::recv_GS_PACK(QString cmd) {
    if (m_kind == LinkKind::Uart)
        recv_Init(type, fd_udp, dev_ip, dev_port);
    else if (isFramed())
        sendFrame(GS_PACK, nextSn(), local8Bit(cmd), true, storedTarget());
}

void SendCmdProc::cmdReissued() {
    if (m_tracked.empty()) return;
    if (!hasOpenLink()) {
        // The link ended: nothing will answer, and nothing is to be reported.
        m_tracked.clear();
        return;
    }
    const uint32_t t = now();
    for (size_t i = m_tracked.size(); i-- > 0;) {
        // A directly connected receiver of our signals may have emptied the queue.
        if (i >= m_tracked.size()) continue;
        TrackedCommand& entry = m_tracked[i];
        // Unsigned difference: correct across the wrap of the 32-bit millisecond count.
        if (uint32_t(t - entry.sentAt) <= kReissueAfterMs) continue;
        // Given up only once the last re-send has had its time to be answered
        // too: an answer to it is an answer to the command.
        if (entry.sendCount >= kMaxTransmissions) {
            const int mode = entry.mode;
            const QString text = commandText(entry);
            m_tracked.erase(m_tracked.begin() + long(i));
            emit sig_respondFinish(mode, text, kRespondShowSeconds);
            emit sig_cmdOutcome(mode, text, CmdNoAnswer);
            if (m_tracked.empty()) emit sig_wait(false);
            continue;
        }
        transmit(entry.data, size_t(entry.length), storedTarget());
        entry.sendCount += 1;
        entry.sentAt = t;
    }
}

void SendCmdProc::recv_CmdRecv(int mode, int sn, bool isOK) {
    for (size_t i = m_tracked.size(); i-- > 0;) {
        const TrackedCommand& entry = m_tracked[i];
        if (isZoneMode(entry.mode)) {
            // The receiver closes every zone operation with sn 0xFFFF.
            if (sn == 0xFFFF) m_tracked.erase(m_tracked.begin() + long(i));
            continue;
        }
        if (int(entry.sign) == mode && int(entry.sn) == sn) {
            const int entryMode = entry.mode;
            const QString text = commandText(entry);
            m_tracked.erase(m_tracked.begin() + long(i));
            if (!isOK) emit sig_respondFinish(entryMode, text, kRespondShowSeconds);
            emit sig_cmdOutcome(entryMode, text, isOK ? CmdAccepted : CmdRefused);
            break;
        }
    }
}

void SendCmdProc::recv_CmdRecv(int mode, int sn) {
    recv_CmdRecv(mode, sn, true);
}

void SendCmdProc::recv_import_Cmds(QStringList cmds) {
    if (m_kind == LinkKind::Uart) pause(1000);
    for (const QString& cmd : cmds) {
        const std::string text = local8Bit(cmd);
        if (m_kind == LinkKind::Uart) {
            uartExchange(text);
        } else if (isFramed()) {
            pause(500);
            sendFrame(S_PACK, nextSn(), text, false, storedTarget());
        }
    }
    pause(2000);
    recv_Init(type, fd_udp, dev_ip, dev_port);
    emit sig_import_finish();
}

void SendCmdProc::recv_cmd(int mode, QString cmd) {
    const std::string text = local8Bit(cmd);
    if (m_kind == LinkKind::Uart)
        uartWriteBare(text);
    else if (isFramed())
        sendFrame(uint16_t(mode), nextSn(), text, false, storedTarget());
    else
        return;
    // Untracked: whatever the scanner answers shows as a reply text.
    emit sig_cmdOutcome(m_kind == LinkKind::Uart ? 0 : mode, cmd, CmdSent);
}

void SendCmdProc::recv_ZoneCMD(int fd_udp, QString dev_ip, int dev_port, int mode, int sn, int len,
                               QByteArray cmd, bool isrepeat) {
    // `len` comes from the caller; never read past the bytes actually handed over.
    const size_t n = len <= 0 ? 0 : std::min(size_t(len), size_t(cmd.size()));
    const std::string body(cmd.constData(), n);
    if (m_kind == LinkKind::Uart) {
        if (isZoneMode(mode))
            sendFrame(uint16_t(mode), uint16_t(sn), body, !isrepeat, storedTarget());
        else
            uartExchange(std::string(body.c_str()));  // text up to the first zero byte
        return;
    }
    if (!isFramed()) return;
    // The requester names the link it is working on; the stored one stands in
    // when it has none. A request of another (earlier) link is not sent.
    if (fd_udp > 0 && !(m_link && m_link->owns(fd_udp))) {
        RECV_TRACE("SendCmdProc::recv_ZoneCMD") << "request of another link dropped, mode" << mode;
        return;
    }
    const NetTarget target = fd_udp > 0 ? NetTarget{fd_udp, local8Bit(dev_ip), dev_port} : storedTarget();
    sendFrame(uint16_t(mode), uint16_t(sn), body, !isrepeat, target);
}
