#include "sendcmdproc.h"

#include <QDateTime>
#include <QDebug>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>

#include "command_frame.h"
#include "model_table.h"
#include "serial_io.h"
#include "transport.h"

namespace {

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
        qWarning("model table entry of %s unusable: %s", model.c_str(), e.what());
        return 0;
    }
}

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
    if (isNetwork()) {
        if (m_netWriter) {
            m_netWriter(data, len);
        } else if (m_link == LinkKind::Udp) {
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
        qWarning("command body of %zu bytes exceeds %zu, not sent", body.size(), kMaxFrameBody);
        return;
    }
    transmit(frame.data(), frame.size(), target);

    if (isNetwork()) {
        // A restarting scanner does not answer.
        if (body == kCmdRestart) return;
        // The scanner answers from its new address, where the receiver is not listening yet.
        if (contains(body, "LSUDP")) {
            emit sig_data(14, bytes(body));
            return;
        }
    }
    if (trackIt) track(mode, sn, frame);
}

void SendCmdProc::track(uint16_t mode, uint16_t sn, const std::vector<uint8_t>& frame) {
    if (frame.size() > size_t(TrackedCommand::kCapacity)) {
        qDebug("frame of %zu bytes sent untracked", frame.size());
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

    if (m_tracked.empty()) {
        m_tracked.push_back(entry);
    } else if (isZoneMode(m_tracked.back().mode)) {
        // A zone transfer moves on to its next request; only the newest one is worth re-sending.
        m_tracked.back() = entry;
    } else {
        qDebug("mode 0x%x sn %u sent untracked, another command is outstanding", mode, sn);
    }
}

// ---------------------------------------------------------------- UART exchange

void SendCmdProc::uartWriteBare(const std::string& text) {
    transmit(reinterpret_cast<const uint8_t*>(text.data()), text.size(), storedTarget());
}

void SendCmdProc::uartExchange(const std::string& cmd) {
    if (!m_serial) return;
    // The receiver reads the same port; it has to let go before we read the answer.
    emit sig_data(2, "2");
    pause(10);

    UartCommandRow row;
    if (!uart_command_row(cmd, row)) {
        uartWriteBare(cmd);
    } else {
        std::string value;
        bool answered = false;
        for (int attempt = 0; attempt < kUartAttempts && !answered; ++attempt) {
            value.clear();
            answered = uart_query(*m_serial, cmd, row.prefix, row.valueLength, value, row.retries);
            if (!answered) qDebug("%s failed", cmd.c_str());
        }
        if (!answered) {
            emit sig_data(13, bytes(cmd));
        } else if (row.isQuery) {
            parse_query_value(cmd, value, block);
        } else {
            qDebug("%s status %s", cmd.c_str(), value.c_str());
            if (contains(cmd, "LSBPS") || contains(cmd, "LSZTP") || contains(cmd, "LSZIR")) {
                // The main window re-targets the link on 14; a refused baud rate
                // change must not make it reopen the port at a rate the scanner
                // never switched to.
                if (value == "NG" || value == "unsupport")
                    emit sig_respondFinish(S_PACK, QString::fromLocal8Bit(cmd.c_str()), kRespondShowSeconds);
                else
                    emit sig_data(14, bytes(cmd));
            }
        }
    }
    emit sig_data(2, "1");
}

// ---------------------------------------------------------------- initial read

void SendCmdProc::initialRead() {
    switch (m_link) {
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
            emit sig_data(5, QByteArray(reinterpret_cast<const char*>(&block), int(sizeof block)));
            break;
        }
        case LinkKind::Unknown:
            qWarning("unknown link type %s", qPrintable(type));
            break;
    }
}

// ---------------------------------------------------------------- slots

void SendCmdProc::recv_Init(QString type, int fd_udp, QString dev_ip, int dev_port) {
    m_rng.seed(timeSeed());
    this->type = type;
    this->fd_udp = fd_udp;
    this->dev_ip = dev_ip;
    this->dev_port = dev_port;
    m_link = link_kind(local8Bit(type));
    std::memset(&block, 0, sizeof block);

    if (m_link == LinkKind::Vpc || m_link == LinkKind::Uart)
        m_serial = m_serialFactory ? m_serialFactory(fd_udp) : std::make_unique<SerialPortIo>(fd_udp);
    else
        m_serial.reset();

    if (!m_reissueTimer) {
        m_reissueTimer = new QTimer(this);
        connect(m_reissueTimer, &QTimer::timeout, this, &SendCmdProc::cmdReissued);
        m_reissueTimer->start(kReissuePeriodMs);
    }
    initialRead();
}

void SendCmdProc::recv_UnInit() {
    m_tracked.clear();
}

void SendCmdProc::recv_C_PACK(QString cmd) {
    const std::string text = local8Bit(cmd);
    if (m_link == LinkKind::Uart) {
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
    if (m_link == LinkKind::Uart)
        uartExchange(text);
    else if (isFramed())
        sendFrame(S_PACK, nextSn(), text, true, storedTarget());
}

void SendCmdProc::recv_GS_PACK(QString cmd) {
    if (m_link == LinkKind::Uart)
        recv_Init(type, fd_udp, dev_ip, dev_port);
    else if (isFramed())
        sendFrame(GS_PACK, nextSn(), local8Bit(cmd), true, storedTarget());
}

void SendCmdProc::cmdReissued() {
    if (m_tracked.empty()) return;
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
            break;
        }
    }
}

void SendCmdProc::recv_CmdRecv(int mode, int sn) {
    recv_CmdRecv(mode, sn, true);
}

void SendCmdProc::recv_import_Cmds(QStringList cmds) {
    if (m_link == LinkKind::Uart) pause(1000);
    for (const QString& cmd : cmds) {
        const std::string text = local8Bit(cmd);
        if (m_link == LinkKind::Uart) {
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
    if (m_link == LinkKind::Uart)
        uartWriteBare(text);
    else if (isFramed())
        sendFrame(uint16_t(mode), nextSn(), text, false, storedTarget());
}

void SendCmdProc::recv_ZoneCMD(int fd_udp, QString dev_ip, int dev_port, int mode, int sn, int len,
                               QByteArray cmd, bool isrepeat) {
    // `len` comes from the caller; never read past the bytes actually handed over.
    const size_t n = len <= 0 ? 0 : std::min(size_t(len), size_t(cmd.size()));
    const std::string body(cmd.constData(), n);
    if (m_link == LinkKind::Uart) {
        if (isZoneMode(mode))
            sendFrame(uint16_t(mode), uint16_t(sn), body, !isrepeat, storedTarget());
        else
            uartExchange(std::string(body.c_str()));  // text up to the first zero byte
        return;
    }
    if (!isFramed()) return;
    // The requester names the link it is working on; the stored one stands in when it has none.
    const NetTarget target = fd_udp > 0 ? NetTarget{fd_udp, local8Bit(dev_ip), dev_port} : storedTarget();
    sendFrame(uint16_t(mode), uint16_t(sn), body, !isrepeat, target);
}
