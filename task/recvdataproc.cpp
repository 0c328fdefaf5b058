#include "recvdataproc.h"

#include <QDateTime>
#include <algorithm>
#include <chrono>
#include <cstring>

#include "command_frame.h"
#include "commands.h"
#include "frame_collect.h"
#include "legacy_decoder.h"
#include "recorder.h"
#include "recvtcpproc.h"
#include "recvtrace.h"
#include "transport.h"
#include "le_bytes.h"

namespace {

constexpr const char* kTraceFile = "task/recvdataproc.cpp";

// A revolution has at most 3600 fans of 0.1 degree; a longer run of fans that
// never closes on the boundary (a scanner that changed its fan layout) would
// otherwise grow the accumulator without end.
constexpr size_t kMaxFansPerRevolution = 3600;

constexpr int kWaitMs = 1000;        // bound on the latency of stop requests and keep-alives
constexpr int kZoneSettleMs = 1000;  // the scanner needs this after a stop before zone writes
constexpr int kSerialWaitMs = 1;     // one idle serial round

// ---- recorder hooks (the recorder is process-wide; index 0 is the live link)
void recordRaw(const void* data, size_t len) {
    Recorder::instance().writeRaw(0, data, len);
}
void recordRevolution(const std::vector<RawData>& revolution) {
    Recorder::instance().writeRevolution(0, revolution);
}

int64_t wholeSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(steady_clock::now().time_since_epoch()).count();
}

QByteArray text(const char* s) {
    return QByteArray(s);
}

// A copy with its own buffer: the link texts cross from the GUI thread to the
// loop, and a shared buffer would be released by whichever thread drops it last.
QString ownCopy(const QString& s) {
    return QString(s.unicode(), s.size());
}

bool serialPortListed(const QString& name) {
    const std::string wanted = name.toStdString();
    const std::string wantedPath = serial_device_path(wanted);
    for (const std::string& port : list_serial_ports()) {
        if (port == wanted || serial_device_path(port) == wantedPath) return true;
    }
    return false;
}

}  // namespace

// Per-link state of one loop run, created on the receiver thread.
struct RecvDataProc::Loop {
    enum class Kind { Udp, Uart, Vpc, Tcp };

    Loop(const Link& l, unsigned gen, Kind k)
        : link(l),
          generation(gen),
          kind(k),
          rng(uint32_t(QDateTime::currentMSecsSinceEpoch())),
          buffer(size_t(kRecvBufferSize), 0),
          raw(std::make_unique<RawData>()),
          lastKeepAlive(wholeSeconds()) {}
    ~Loop() { free_segment_list(segments); }

    int nextSn() { return int(rng() & 0xFFFF); }
    bool serial() const { return kind == Kind::Uart || kind == Kind::Vpc; }

    Link link;
    unsigned generation;
    Kind kind;
    std::mt19937 rng;
    std::vector<uint8_t> buffer;
    size_t held = 0;
    char message[kMessageBufferSize] = {};
    uint8_t header[kReplyHeaderSize] = {};
    std::unique_ptr<RawData> raw;
    SegmentNode* segments = nullptr;
    int activeZoneOp = ZoneOpNone;  // operation whose replies are expected
    int64_t lastKeepAlive;
    unsigned addressGeneration = 0;
    LoopEnd end = LoopEnd::Stopped;
};

RecvDataProc::RecvDataProc(QObject* parent) : QThread(parent), m_zone(std::make_shared<ZoneRequests>()) {
    setProperty("Class", QStringLiteral("RecvDataProc"));
    registerTaskMetaTypes();
    std::memset(m_statusFlags, 0, sizeof m_statusFlags);
}

RecvDataProc::~RecvDataProc() {
    m_quit = true;
    runFlag = 0;
    wait();
}

// ---------------------------------------------------------------- GUI-thread API

void RecvDataProc::recv_Init(QString type_, int fd_, QString ip_com_, int port_baud_) {
    {
        std::lock_guard<std::mutex> guard(m_linkMutex);
        type = type_;
        fd = fd_;
        ip_com = ip_com_;
        port_baud = port_baud_;
        ++m_linkGeneration;
    }
    runFlag = 2;
}

void RecvDataProc::setCommandLink(int cmdSocket_, int cmdPort_) {
    std::lock_guard<std::mutex> guard(m_linkMutex);
    cmdSocket = cmdSocket_;
    cmdPort = cmdPort_;
}

void RecvDataProc::setAddress(const QString& ip_com_, int port_baud_) {
    std::lock_guard<std::mutex> guard(m_linkMutex);
    ip_com = ip_com_;
    port_baud = port_baud_;
    ++m_addressGeneration;
}

void RecvDataProc::setDirection(int flag) {
    direction = flag;
    RECV_TRACE("RecvDataProc::setDirection") << flag;
}

void RecvDataProc::resetCalibration() {
    m_resetRequested = true;
}

QString RecvDataProc::linkType() const {
    std::lock_guard<std::mutex> guard(m_linkMutex);
    return ownCopy(type);
}

QString RecvDataProc::address() const {
    std::lock_guard<std::mutex> guard(m_linkMutex);
    return ownCopy(ip_com);
}

void RecvDataProc::recv_zoneCmd(int flag, zones data) {
    if (flag == 2 || flag == 4) {
        std::lock_guard<std::mutex> guard(m_zone->lock);
        m_zone->zoneList = data;
    }
    if (flag == 4) {
        m_zone->post(ZoneOpNone);
        ZoneAlarm converter;
        const int mirror = direction.load();
        converter.setDirection(mirror);
        if (converter.ZonesToZoneDef(data, mirror) < 0) {
            emit sig_data(1, converter.lastError().toLocal8Bit());
            return;
        }
        // The image must outlive this call: receivers of sig_ZoneDef read it later.
        if (!m_exportImage) m_exportImage = std::make_unique<ZoneDef>();
        std::memcpy(m_exportImage.get(), converter.zoneDef(), sizeof(ZoneDef));
        emit sig_ZoneDef(m_exportImage.get(), QStringLiteral("setzone"));
        return;
    }
    if (flag >= ZoneOpNone && flag <= ZoneOpUpload) m_zone->post(flag);
}

void RecvDataProc::recv_UploadZone(ZoneDef* zoneDef) {
    if (!zoneDef) return;
    {
        std::lock_guard<std::mutex> guard(m_zone->lock);
        if (!m_zone->uploadImage) m_zone->uploadImage = std::make_unique<ZoneDef>();
        std::memcpy(m_zone->uploadImage.get(), zoneDef, sizeof(ZoneDef));
    }
    m_zone->post(ZoneOpUpload);
}

void RecvDataProc::recv_zoneinit() {
    {
        std::lock_guard<std::mutex> guard(m_zone->lock);
        std::memset(static_cast<void*>(&m_zone->zoneList), 0, sizeof(zones));
    }
    m_zone->post(ZoneOpWrite);
}

// ---------------------------------------------------------------- thread body

RecvDataProc::Link RecvDataProc::snapshot() const {
    std::lock_guard<std::mutex> guard(m_linkMutex);
    Link l;
    l.type = ownCopy(type);
    l.fd = fd;
    l.ip = ownCopy(ip_com);
    l.port = port_baud;
    l.cmdSocket = cmdSocket;
    l.cmdPort = cmdPort;
    return l;
}

void RecvDataProc::run() {
    // A loop that failed (broken handle) is not re-entered until the link is
    // initialised again; re-entering at once would repeat its error forever.
    long long failedGeneration = -1;
    while (!m_quit) {
        if (runFlag == 0) {
            QThread::msleep(1);
            continue;
        }
        const unsigned generation = m_linkGeneration.load();
        if (static_cast<long long>(generation) == failedGeneration) {
            QThread::msleep(1);
            continue;
        }
        const Link link = snapshot();
        LoopEnd end = LoopEnd::Stopped;
        if (link.type == QLatin1String("UDP")) {
            end = run_udp(link, generation);
        } else if (link.type == QLatin1String("UART") || link.type == QLatin1String("VPC")) {
            end = run_uart(link, generation);
        } else if (link.type == QLatin1String("TCP")) {
            end = run_tcp(link, generation);
        } else {
            QThread::msleep(1);
            continue;
        }
        if (end == LoopEnd::Failed) failedGeneration = generation;
    }
}

bool RecvDataProc::keepRunning(Loop& loop) {
    if (m_quit || runFlag == 0) {
        loop.end = LoopEnd::Stopped;
        return false;
    }
    if (m_linkGeneration.load() != loop.generation) {
        loop.end = LoopEnd::Reinit;
        return false;
    }
    const unsigned addressGeneration = m_addressGeneration.load();
    if (addressGeneration != loop.addressGeneration) {
        loop.addressGeneration = addressGeneration;
        const Link now = snapshot();
        loop.link.ip = now.ip;
        loop.link.port = now.port;
        if (zoneWorker && loop.kind == Loop::Kind::Udp) zoneWorker->setEndpoint(now.ip, now.port);
    }
    return true;
}

void RecvDataProc::applyCalibrationReset() {
    if (!m_resetRequested.exchange(false)) return;
    boundaryAngle = -1;
    cachedBoundary = -1;
    accumulator.clear();
    m_errorText.clear();
}

void RecvDataProc::createZoneWorker(Loop& loop) {
    if (zoneWorker) return;
    const bool udp = loop.kind == Loop::Kind::Udp;
    zoneWorker = new ZoneAlarm(loop.link.fd, udp ? loop.link.ip : QString(), udp ? loop.link.port : 0);
    zoneWorker->setDirection(direction.load());
    // Direct: the requests must leave in the order the loop produces them,
    // interleaved with its own stop/start commands.
    connect(zoneWorker, &ZoneAlarm::sig_ZoneCMD, this, &RecvDataProc::sig_ZoneCMD, Qt::DirectConnection);
    connect(zoneWorker, &ZoneAlarm::sig_progress, this, &RecvDataProc::sig_progress, Qt::DirectConnection);
}

void RecvDataProc::dropZoneWorker() {
    if (!zoneWorker) return;
    zoneWorker->disconnect(this);
    delete zoneWorker;  // created on this thread, which has no event loop for deleteLater
    zoneWorker = nullptr;
}

void RecvDataProc::sleepWhileRunning(Loop& loop, int ms) {
    for (int waited = 0; waited < ms && keepRunning(loop); waited += 10) QThread::msleep(10);
}

// ---------------------------------------------------------------- shared handling

void RecvDataProc::keepAlive(Loop& loop, int sock, int port) {
    const int64_t now = wholeSeconds();
    if (now - loop.lastKeepAlive < 2) return;
    loop.lastKeepAlive = now;
    QByteArray payload(32, '\0');
    const uint32_t msInHour = uint32_t(QDateTime::currentMSecsSinceEpoch() % 3600000);
    for (int i = 0; i < 4; ++i) payload[i] = char(msInHour >> (8 * i));
    emit sig_ZoneCMD(sock, loop.link.ip, port, KEEPALIVE_PACK, loop.nextSn(), 32, payload, true);
}

void RecvDataProc::handleFan(const RawData& fan) {
    applyCalibrationReset();  // requested from the GUI thread; applies from the next fan on
    if (boundaryAngle < 0) {
        if (cachedBoundary < 0) {
            cachedBoundary = find_frame_boundary(fan, false, accumulator, m_errorText);
            if (cachedBoundary == -2) RECV_TRACE("RecvDataProc::handleFan") << m_errorText.c_str();
        }
        if (cachedBoundary >= 0) {
            boundaryAngle = cachedBoundary;
            emit sig_offsetAngle(boundaryAngle);
            RECV_TRACE("RecvDataProc::handleFan") << "offset angle" << boundaryAngle;
        }
    } else {
        const int r = collect_frame_fan(fan, boundaryAngle, accumulator, m_errorText);
        if (r < 0) {
            RECV_TRACE("RecvDataProc::handleFan") << m_errorText.c_str();
        } else if (r == 1) {
            emit sig_lidarData(accumulator);
            recordRevolution(accumulator);
            accumulator.clear();
        }
    }
    if (accumulator.size() > kMaxFansPerRevolution) {
        RECV_TRACE("RecvDataProc::handleFan") << "no boundary in" << accumulator.size() << "fans, dropped";
        accumulator.clear();
    }
    m_errorText.clear();
}

// Kinds 2, 3, 5, 6 everywhere, and 9, 10, 11 on serial links. True when handled.
bool RecvDataProc::handleCommonKind(int kind, Loop& loop, const uint8_t* data, size_t consumed) {
    const int sign = le16(loop.header);
    const int sn = le16(loop.header + 4);
    // Payload replies: header, len bytes, 4 CRC bytes, ending at `consumed`.
    auto payload = [&]() {
        const size_t len = le16(loop.header + 6);
        if (consumed < len + kReplyHeaderSize + 4) return QByteArray();
        return QByteArray(reinterpret_cast<const char*>(data + consumed - len - 4), int(len));
    };
    switch (kind) {
        case KindLmsg:
            emit sig_data(4, QByteArray(loop.message, int(kMessageBufferSize)));
            return true;
        case KindParamBlock:
            emit sig_data(5, QByteArray(loop.message, int(kMessageBufferSize)));
            emit sig_CmdRecv(sign, sn, true);
            return true;
        case KindPayloadReply: {
            const QByteArray reply = payload();
            emit sig_CmdRecv(sign, sn, true);
            RECV_TRACE("RecvDataProc::handleCommonKind") << "reply" << sn << reply;
            emit sig_data(12, reply);
            return true;
        }
        case KindStatusReply: {
            const bool isOK = !(loop.message[0] == 'N' && loop.message[1] == 'G');
            emit sig_data(12, payload());
            emit sig_CmdRecv(sign, sn, isOK);
            RECV_TRACE("RecvDataProc::handleCommonKind") << "status reply" << sn << isOK;
            return true;
        }
        default:
            break;
    }
    if (!loop.serial()) return false;
    switch (kind) {
        case KindStatusPacket:
            emit sig_uartState(m_statusFlags[2] != 0, m_statusFlags[3] != 0);
            return true;
        case KindAmRecord:
            emit sig_data(4, QByteArray(loop.message, 32));
            return true;
        case KindTextLine: {
            const QByteArray line(loop.message, int(strnlen(loop.message, kMessageBufferSize)));
            RECV_TRACE("RecvDataProc::handleCommonKind") << line;
            emit sig_data(12, line);
            return true;
        }
        default:
            return false;
    }
}

void RecvDataProc::sendStop(Loop& loop) {
    if (loop.serial()) {
        const bool vpc = loop.kind == Loop::Kind::Vpc;
        emit sig_ZoneCMD(loop.link.fd, QString(), 0, vpc ? S_PACK : C_PACK, loop.nextSn(), 8,
                         QByteArray::fromStdString(cmd_set_pst(0)), false);
    } else {
        emit sig_ZoneCMD(loop.link.fd, loop.link.ip, loop.link.port, C_PACK, loop.nextSn(), 6, text(kCmdStop),
                         true);
    }
}

void RecvDataProc::sendRestart(Loop& loop, bool afterRead) {
    if (loop.serial()) {
        const bool vpc = loop.kind == Loop::Kind::Vpc;
        emit sig_ZoneCMD(loop.link.fd, QString(), 0, vpc ? S_PACK : C_PACK, loop.nextSn(), 8,
                         QByteArray::fromStdString(cmd_set_pst(3)), vpc && afterRead);
    } else {
        emit sig_ZoneCMD(loop.link.fd, loop.link.ip, loop.link.port, C_PACK, loop.nextSn(), 6,
                         text(kCmdStart), true);
    }
}

// A zone reply: `consumed` points at its header (nothing consumed yet).
void RecvDataProc::handleZoneReply(int kind, Loop& loop, const uint8_t* data, size_t len, size_t& consumed) {
    const bool isRead = kind == KindZoneReadReply;
    const int sign = le16(loop.header);
    if (!zoneWorker || loop.activeZoneOp != (isRead ? ZoneOpRead : ZoneOpWrite)) {
        // A late or repeated reply after its operation ended: skip the frame
        // whole once it is here, so it neither restarts anything nor sticks.
        const size_t end = consumed + kReplyHeaderSize + le16(loop.header + 6);
        if (end <= len) consumed = end;
        return;
    }
    int at = int(consumed);
    const int r = isRead ? zoneWorker->onReadReply(data, int(len), loop.nextSn(), &at)
                         : zoneWorker->setZoneRev(data, int(len), loop.nextSn(), &at);
    consumed = size_t(at);
    if (r >= -2 && r <= 0) return;  // the operation goes on (or waits for the rest of the reply)

    loop.activeZoneOp = ZoneOpNone;
    const QByteArray result = QByteArray::number(r);
    if (loop.serial()) {
        sendRestart(loop, isRead);
        if (isRead && r == 1) emit sig_zoneData(zoneWorker->getZones());
        emit sig_data(isRead ? 6 : 7, result);
        emit sig_CmdRecv(sign, 0xFFFF, true);
    } else if (isRead) {
        if (r == 1) emit sig_zoneData(zoneWorker->getZones());
        emit sig_CmdRecv(sign, 0xFFFF, true);
        sendRestart(loop, true);
        emit sig_data(6, result);
    } else {
        sendRestart(loop, false);
        emit sig_data(7, result);
        emit sig_CmdRecv(sign, 0xFFFF, true);
    }
    RECV_TRACE("RecvDataProc::handleZoneReply") << (isRead ? "zone read" : "zone write") << "ended" << r;
}

void RecvDataProc::startPendingZoneOp(Loop& loop) {
    const int op = m_zone->take();
    if (op == ZoneOpNone || !zoneWorker) return;
    zoneWorker->setDirection(direction.load());
    sendStop(loop);
    bool started = true;
    if (op == ZoneOpRead) {
        zoneWorker->readStart(loop.nextSn());
        loop.activeZoneOp = ZoneOpRead;
    } else {
        sleepWhileRunning(loop, kZoneSettleMs);
        if (op == ZoneOpWrite) {
            const zones list = m_zone->copyList();
            started = zoneWorker->writeStart(list, loop.nextSn());
        } else {
            const std::unique_ptr<ZoneDef> image = m_zone->copyImage();
            started = image && zoneWorker->setZoneSyn(image.get(), loop.nextSn());
        }
        loop.activeZoneOp = started ? ZoneOpWrite : ZoneOpNone;
    }
    if (!started) {
        // Nothing was sent after the stop: report it and let the scanner measure again.
        emit sig_data(7, text("-1"));
        emit sig_ZoneCMD(loop.link.fd, loop.serial() ? QString() : loop.link.ip,
                         loop.serial() ? 0 : loop.link.port, C_PACK, loop.nextSn(), 6, text(kCmdStart), true);
    }
    if (loop.serial()) emit sig_data(11, text("1"));
    RECV_TRACE("RecvDataProc::startPendingZoneOp")
        << "zone operation" << op << (started ? "started" : "failed");
}

void RecvDataProc::dropFront(Loop& loop, size_t consumed, bool logDrop) {
    if (consumed == 0) return;
    consumed = std::min(consumed, loop.held);
    if (logDrop) {
        const uint8_t* b = loop.buffer.data();
        RECV_TRACE("RecvDataProc::dropFront")
            << QString::asprintf("drop %d bytes: %02x %02x %02x %02x %02x %02x", int(consumed), b[0], b[1],
                                 b[2], b[3], b[4], b[5]);
    }
    std::memmove(loop.buffer.data(), loop.buffer.data() + consumed, loop.held - consumed);
    loop.held -= consumed;
}

// ---------------------------------------------------------------- UDP

RecvDataProc::LoopEnd RecvDataProc::run_udp(const Link& link, unsigned generation) {
    Loop loop(link, generation, Loop::Kind::Udp);
    loop.addressGeneration = m_addressGeneration.load();
    createZoneWorker(loop);
    RECV_TRACE("RecvDataProc::run_udp") << "start" << link.ip << link.port;
    uint8_t* buf = loop.buffer.data();
    while (keepRunning(loop)) {
        const int ready = wait_readable(loop.link.fd, kWaitMs);
        if (ready < 0) {
            if (!keepRunning(loop)) break;  // the link is being closed on purpose
            emit sig_data(1, tr("select error!").toLocal8Bit());
            loop.end = LoopEnd::Failed;
            break;
        }
        keepAlive(loop, loop.link.fd, loop.link.port);
        if (ready > 0) {
            std::string from;
            const int n = udp_recv(loop.link.fd, buf, kRecvBufferSize, 0, &from);
            if (n > 0 && QString::fromStdString(from) == loop.link.ip) {
                recordRaw(buf, size_t(n));
                size_t consumed = 0;
                std::memset(loop.message, 0, sizeof loop.message);
                const int kind =
                    decode_stream_message(size_t(n), buf, m_statusFlags, *loop.raw, consumed, true,
                                          streamMode, loop.message, loop.header, loop.segments);
                if (kind == KindFan) {
                    if (loop.raw->count > 0) emit sig_spanData(*loop.raw);
                    handleFan(*loop.raw);
                } else if (kind == KindZoneReadReply || kind == KindZoneWriteReply) {
                    handleZoneReply(kind, loop, buf, size_t(n), consumed);
                } else {
                    handleCommonKind(kind, loop, buf, consumed);
                }
            }
        }
        startPendingZoneOp(loop);
    }
    dropZoneWorker();
    RECV_TRACE("RecvDataProc::run_udp") << "end";
    return loop.end;
}

// ---------------------------------------------------------------- serial

// Decodes the front of a stream buffer once and hands the message on. Returns
// the bytes consumed and whether they were dropped as undecodable.
size_t RecvDataProc::decodeStreamFront(Loop& loop, bool legacyAllowed, bool* dropped) {
    uint8_t* buf = loop.buffer.data();
    size_t consumed = 0;
    std::memset(loop.message, 0, sizeof loop.message);
    int kind;
    if (!legacyAllowed || streamMode == kStreamModeGeneral) {
        kind = decode_stream_message(loop.held, buf, m_statusFlags, *loop.raw, consumed, true, streamMode,
                                     loop.message, loop.header, loop.segments);
    } else {
        const int r = decode_legacy_stream(loop.held, buf, m_statusFlags, *loop.raw, consumed, true);
        kind = r == 0 ? KindNothing : r;
    }
    if (kind == KindFan) {
        if (loop.raw->count > 0) emit sig_spanData(*loop.raw);
        handleFan(*loop.raw);
    } else if (kind == KindZoneReadReply || kind == KindZoneWriteReply) {
        if (loop.kind == Loop::Kind::Tcp) {
            // Zone replies belong to the command connection; skip a complete one.
            const size_t end = consumed + kReplyHeaderSize + le16(loop.header + 6);
            if (end <= loop.held) consumed = end;
        } else {
            handleZoneReply(kind, loop, buf, loop.held, consumed);
        }
    } else if (kind == KindLmsg || loop.kind != Loop::Kind::Tcp) {
        handleCommonKind(kind, loop, buf, consumed);
    }
    *dropped = kind < 0;
    return consumed;
}

// Removes what the decoder consumed. A full buffer from which nothing could be
// consumed (a frame header announcing more than the buffer holds) would stall
// the link for good, so its first half is dropped like undecodable bytes.
void RecvDataProc::consumeFront(Loop& loop, size_t consumed, bool dropped) {
    if (consumed == 0 && loop.held == loop.buffer.size()) {
        consumed = loop.held / 2;
        dropped = true;
    }
    dropFront(loop, consumed, dropped);
}

RecvDataProc::LoopEnd RecvDataProc::run_uart(const Link& link, unsigned generation) {
    Loop loop(link, generation, link.type == QLatin1String("VPC") ? Loop::Kind::Vpc : Loop::Kind::Uart);
    loop.addressGeneration = m_addressGeneration.load();
    createZoneWorker(loop);
    RECV_TRACE("RecvDataProc::run_uart") << "start" << link.type << link.ip << link.port;
    int idleRounds = 0;
    bool progressed = false;
    for (;;) {
        while (runFlag == 2 && !m_quit && m_linkGeneration.load() == loop.generation) QThread::msleep(10);
        if (!keepRunning(loop)) break;

        if (loop.link.fd > 0) {
            int got = 0;
            if (loop.held < loop.buffer.size()) {
                // The device polls for reads; a short wait keeps the core free
                // while an idle round still stands for about a millisecond of silence.
                const int ready =
                    wait_readable(loop.link.fd, progressed && loop.held > 0 ? 0 : kSerialWaitMs);
                if (ready > 0) {
                    got = serial_read(loop.link.fd, loop.buffer.data() + loop.held,
                                      int(loop.buffer.size() - loop.held));
                    // A hung-up port stays readable; pause so its idle rounds last as long.
                    if (got < 0) QThread::msleep(kSerialWaitMs);
                } else if (ready < 0) {
                    QThread::msleep(kSerialWaitMs);  // handle gone: do not spin
                }
            }
            if (got > 0) {
                recordRaw(loop.buffer.data() + loop.held, size_t(got));
                loop.held += size_t(got);
                idleRounds = 0;
            } else if (++idleRounds > kSerialIdleRounds) {
                idleRounds = 0;
                if (!serialPortListed(loop.link.ip)) {
                    RECV_TRACE("RecvDataProc::run_uart") << "port vanished" << loop.link.ip;
                    close_link(loop.link.fd, false);
                    {
                        std::lock_guard<std::mutex> guard(m_linkMutex);
                        if (fd == loop.link.fd) fd = 0;
                    }
                    loop.link.fd = 0;
                    runFlag = 0;
                    emit sig_data(
                        1, tr("Serial port data not detected for a long time, automatic disconnection!")
                               .toLocal8Bit());
                    loop.end = LoopEnd::Stopped;
                    break;
                }
            }
        } else {
            QThread::msleep(kSerialWaitMs);
        }

        progressed = false;
        if (loop.held > 0) {
            bool dropped = false;
            const size_t consumed = decodeStreamFront(loop, true, &dropped);
            progressed = consumed > 0;
            consumeFront(loop, consumed, dropped);
        }
        startPendingZoneOp(loop);
    }
    dropZoneWorker();
    RECV_TRACE("RecvDataProc::run_uart") << "end";
    return loop.end;
}

// ---------------------------------------------------------------- TCP

RecvDataProc::LoopEnd RecvDataProc::run_tcp(const Link& link, unsigned generation) {
    Loop loop(link, generation, Loop::Kind::Tcp);
    loop.addressGeneration = m_addressGeneration.load();
    RECV_TRACE("RecvDataProc::run_tcp") << "start" << link.ip << link.port << link.cmdPort;

    if (link.cmdSocket > 0) {
        tcpThread = new QThread;
        tcpWorker = new RecvTCPProc(link.cmdSocket, link.cmdPort, link.ip, m_zone, &runFlag);
        connect(tcpWorker, &RecvTCPProc::sig_data, this, &RecvDataProc::sig_data, Qt::DirectConnection);
        connect(tcpWorker, qOverload<int, int, bool>(&RecvTCPProc::sig_CmdRecv), this,
                &RecvDataProc::sig_CmdRecv, Qt::DirectConnection);
        connect(tcpWorker, &RecvTCPProc::sig_ZoneCMD, this, &RecvDataProc::sig_ZoneCMD, Qt::DirectConnection);
        connect(tcpWorker, &RecvTCPProc::sig_progress, this, &RecvDataProc::sig_progress,
                Qt::DirectConnection);
        connect(tcpWorker, &RecvTCPProc::sig_zoneData, this, &RecvDataProc::sig_zoneData,
                Qt::DirectConnection);
        connect(tcpWorker, &RecvTCPProc::sig_ZoneDef, this, &RecvDataProc::sig_ZoneDef, Qt::DirectConnection);
        tcpWorker->moveToThread(tcpThread);
        connect(tcpThread, &QThread::started, tcpWorker, &RecvTCPProc::recv_data);
        connect(tcpWorker, &RecvTCPProc::sig_end, tcpThread, &QThread::quit, Qt::DirectConnection);
        tcpThread->start();
    }

    bool progressed = false;
    while (keepRunning(loop)) {
        const bool room = loop.held < loop.buffer.size();
        const int ready = room ? wait_readable(loop.link.fd, progressed && loop.held > 0 ? 0 : kWaitMs) : 0;
        if (ready < 0) {
            if (!keepRunning(loop)) break;
            emit sig_data(1, tr("select error!").toLocal8Bit());
            loop.end = LoopEnd::Failed;
            break;
        }
        keepAlive(loop, loop.link.cmdSocket, loop.link.cmdPort);
        if (ready > 0) {
            const int n = tcp_recv(loop.link.fd, loop.buffer.data() + loop.held,
                                   int(loop.buffer.size() - loop.held), 0);
            if (n > 0) {
                recordRaw(loop.buffer.data() + loop.held, size_t(n));
                loop.held += size_t(n);
            } else if (n < 0) {
                // The device closed the data connection (or it broke): readable
                // for ever from now on, so stop instead of spinning.
                if (!keepRunning(loop)) break;
                emit sig_data(1, tr("The device closed the connection!").toLocal8Bit());
                loop.end = LoopEnd::Failed;
                break;
            }
        }
        progressed = false;
        if (loop.held > 0) {
            bool dropped = false;
            const size_t consumed = decodeStreamFront(loop, false, &dropped);
            progressed = consumed > 0;
            consumeFront(loop, consumed, dropped);
        }
    }

    if (tcpWorker) {
        tcpWorker->runFlag = 0;
        tcpThread->quit();
        tcpThread->wait();
        delete tcpWorker;  // its thread has finished; nothing else refers to it
        delete tcpThread;
        tcpWorker = nullptr;
        tcpThread = nullptr;
    }
    RECV_TRACE("RecvDataProc::run_tcp") << "tcp data thread end";
    return loop.end;
}
