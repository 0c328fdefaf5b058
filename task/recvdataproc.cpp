#include "recvdataproc.h"

#include <QDateTime>
#include <chrono>
#include <cstring>

#include "command_frame.h"
#include "commands.h"
#include "frame_collect.h"
#include "legacy_decoder.h"
#include "recorder.h"
#include "recvtcpproc.h"
#include "recvtrace.h"
#include "reply_stream.h"
#include "thread_handover.h"
#include "transport.h"

namespace {

constexpr const char* kTraceFile = "task/recvdataproc.cpp";

// A revolution has at most 3600 fans of 0.1 degree; a longer run of fans that
// never closes on the boundary (a scanner that changed its fan layout) would
// otherwise grow the accumulator without end.
constexpr size_t kMaxFansPerRevolution = 3600;

constexpr int kWaitMs = 1000;        // bound on the latency of stop requests and keep-alives
constexpr int kZoneSettleMs = 1000;  // the scanner needs this after a stop before zone writes
constexpr int kSerialWaitMs = 1;     // one idle serial round
// A serial handle that keeps failing this long has hung up (adapter unplugged,
// pseudo-terminal master gone); a port that merely hiccups recovers sooner.
constexpr int64_t kSerialHangupMs = 500;

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

int64_t steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool isSocketLink(const QString& type) {
    return type == QLatin1String("UDP") || type == QLatin1String("TCP");
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
          stream(size_t(kRecvBufferSize)),
          lastKeepAlive(wholeSeconds()) {}

    int nextSn() { return int(rng() & 0xFFFF); }
    bool serial() const { return kind == Kind::Uart || kind == Kind::Vpc; }

    Link link;
    unsigned generation;
    Kind kind;
    std::mt19937 rng;
    ReplyStream stream;
    int activeZoneOp = ZoneOpNone;  // operation whose replies are expected
    int64_t lastKeepAlive;
    unsigned addressGeneration = 0;
    LoopEnd end = LoopEnd::Stopped;
};

RecvDataProc::RecvDataProc(QObject* parent) : QThread(parent), m_zone(std::make_shared<ZoneRequests>()) {
    setProperty("Class", QStringLiteral("RecvDataProc"));
    registerTaskMetaTypes();
    std::memset(m_statusFlags, 0, sizeof m_statusFlags);
    m_converters.setMaxThreadCount(1);
    handover::watchThread(this);
}

RecvDataProc::~RecvDataProc() {
    m_quit = true;
    runFlag = 0;
    handover::joinThread(this);
    handover::waitForTasks(m_converters);
}

// ---------------------------------------------------------------- GUI-thread API

void RecvDataProc::recv_Init(QString type_, int fd_, QString ip_com_, int port_baud_) {
    int command = 0;
    int commandPort = 0;
    {
        std::lock_guard<std::mutex> guard(m_linkMutex);
        if (type_ == QLatin1String("TCP")) command = cmdSocket;
        commandPort = cmdPort;
    }
    attachLink(type_, ScannerLink::borrow(fd_, command, isSocketLink(type_)), ip_com_, port_baud_,
               commandPort);
}

void RecvDataProc::attachLink(const QString& type_, LinkRef link, const QString& ip_com_, int port_baud_,
                              int cmdPort_) {
    if (!link) link = ScannerLink::borrow(0, 0, isSocketLink(type_));
    {
        std::lock_guard<std::mutex> guard(m_linkMutex);
        type = type_;
        fd = link->dataDescriptor();
        cmdSocket = type_ == QLatin1String("TCP") ? link->commandDescriptor() : 0;
        cmdPort = cmdPort_;
        ip_com = ip_com_;
        port_baud = port_baud_;
        m_handles = std::move(link);
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
    m_zone->direction = flag;
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
        m_zone->post(ZoneOpNone, m_linkGeneration.load());
        // Rasterising takes long enough to freeze a window: it runs on the
        // converter thread behind the wait dialog.
        emit sig_wait(true);
        const int mirror = m_zone->direction.load();
        handover::startTask(m_converters, [this, data, mirror] {
            ZoneAlarm converter;
            converter.setDirection(mirror);
            std::shared_ptr<ZoneDef> image;
            QString error;
            if (converter.ZonesToZoneDef(data, mirror) < 0)
                error = converter.lastError();
            else
                image = std::make_shared<ZoneDef>(*converter.zoneDef());
            QMetaObject::invokeMethod(
                this, [this, image, error] { finishConversion(image, error); }, Qt::QueuedConnection);
        });
        return;
    }
    if (flag >= ZoneOpNone && flag <= ZoneOpUpload) m_zone->post(flag, m_linkGeneration.load());
}

void RecvDataProc::finishConversion(const std::shared_ptr<ZoneDef>& image, const QString& error) {
    emit sig_wait(false);
    if (!image) {
        emit sig_data(1, error.toLocal8Bit());
        return;
    }
    // The image must outlive the signal: its receivers read it later.
    if (!m_exportImage) m_exportImage = std::make_unique<ZoneDef>();
    std::memcpy(m_exportImage.get(), image.get(), sizeof(ZoneDef));
    emit sig_ZoneDef(m_exportImage.get(), QStringLiteral("setzone"));
}

void RecvDataProc::recv_UploadZone(ZoneDef* zoneDef) {
    if (!zoneDef) return;
    {
        std::lock_guard<std::mutex> guard(m_zone->lock);
        if (!m_zone->uploadImage) m_zone->uploadImage = std::make_unique<ZoneDef>();
        std::memcpy(m_zone->uploadImage.get(), zoneDef, sizeof(ZoneDef));
    }
    m_zone->post(ZoneOpUpload, m_linkGeneration.load());
}

void RecvDataProc::recv_zoneinit() {
    {
        std::lock_guard<std::mutex> guard(m_zone->lock);
        std::memset(static_cast<void*>(&m_zone->zoneList), 0, sizeof(zones));
    }
    m_zone->post(ZoneOpWrite, m_linkGeneration.load());
}

// ---------------------------------------------------------------- thread body

RecvDataProc::Link RecvDataProc::snapshot() const {
    std::lock_guard<std::mutex> guard(m_linkMutex);
    Link l;
    l.type = ownCopy(type);
    l.handles = m_handles;
    l.fd = fd;
    l.ip = ownCopy(ip_com);
    l.port = port_baud;
    l.cmdSocket = cmdSocket;
    l.cmdPort = cmdPort;
    return l;
}

// An ended link is let go of at once, whoever ended it, so its descriptors
// close as soon as its other holders let go too. A late run flag (the resume
// after a serial exchange) then finds nothing to run on.
void RecvDataProc::releaseEndedLink() {
    std::lock_guard<std::mutex> guard(m_linkMutex);
    if (!m_handles || m_handles->isOpen()) return;
    m_handles.reset();
    fd = 0;
    cmdSocket = 0;
}

void RecvDataProc::run() {
    while (!m_quit) {
        releaseEndedLink();
        if (runFlag == 0) {
            QThread::msleep(1);
            continue;
        }
        const unsigned generation = m_linkGeneration.load();
        const Link link = snapshot();
        if (!link.handles || !link.handles->isOpen()) {
            QThread::msleep(1);
            continue;
        }
        if (link.type == QLatin1String("UDP")) {
            run_udp(link, generation);
        } else if (link.type == QLatin1String("UART") || link.type == QLatin1String("VPC")) {
            run_uart(link, generation);
        } else if (link.type == QLatin1String("TCP")) {
            run_tcp(link, generation);
        } else {
            QThread::msleep(1);
        }
    }
}

bool RecvDataProc::keepRunning(Loop& loop) {
    if (m_quit || runFlag == 0 || !loop.link.handles->isOpen()) {
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
    zoneWorker->setDirection(m_zone->direction.load());
    // Direct: the requests must leave in the order the loop produces them,
    // interleaved with its own stop/start commands.
    connect(zoneWorker, &ZoneAlarm::sig_ZoneCMD, this, &RecvDataProc::sig_ZoneCMD, Qt::DirectConnection);
    connect(zoneWorker, &ZoneAlarm::sig_progress, this, &RecvDataProc::sig_progress, Qt::DirectConnection);
    connect(zoneWorker, &ZoneAlarm::sig_zoneImageCrc, this, &RecvDataProc::sig_zoneImageCrc,
            Qt::DirectConnection);
}

void RecvDataProc::dropZoneWorker() {
    if (!zoneWorker) return;
    zoneWorker->disconnect(this);
    delete zoneWorker;  // created on this thread, which has no event loop for deleteLater
    zoneWorker = nullptr;
}

// Ends the link for every holder; only the first to notice reports it.
void RecvDataProc::reportLoss(Loop& loop, const QString& reason) {
    loop.end = LoopEnd::Lost;
    if (!loop.link.handles->end()) return;
    RECV_TRACE("RecvDataProc::reportLoss") << loop.link.type << loop.link.ip << reason;
    emit sig_linkLost(quint64(loop.link.handles->id()), reason);
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

// Kind 2 and the command replies everywhere, and 9, 10, 11 on serial links.
void RecvDataProc::handleCommonKind(int kind, Loop& loop, size_t consumed) {
    const ReplyStream& s = loop.stream;
    if (kind == KindLmsg) {
        emit sig_data(4, QByteArray(s.message, int(kMessageBufferSize)));
        return;
    }
    if (emitCommandReply(this, kind, s, consumed) || !loop.serial()) return;
    switch (kind) {
        case KindStatusPacket:
            emit sig_uartState(m_statusFlags[2] != 0, m_statusFlags[3] != 0);
            break;
        case KindAmRecord:
            emit sig_data(4, QByteArray(s.message, 32));
            break;
        case KindTextLine: {
            const QByteArray line(s.message, int(strnlen(s.message, kMessageBufferSize)));
            RECV_TRACE("RecvDataProc::handleCommonKind") << line;
            emit sig_data(12, line);
            break;
        }
        default:
            break;
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

// A zone reply in stream.buffer[0..len): `consumed` points at its header
// (nothing consumed yet).
void RecvDataProc::handleZoneReply(int kind, Loop& loop, size_t len, size_t& consumed) {
    const bool isRead = kind == KindZoneReadReply;
    const int sign = loop.stream.sign();
    if (!zoneWorker || loop.activeZoneOp != (isRead ? ZoneOpRead : ZoneOpWrite)) {
        // A late or repeated reply after its operation ended: skip the frame
        // whole once it is here, so it neither restarts anything nor sticks.
        consumed = loop.stream.frameEnd(consumed, len);
        return;
    }
    const uint8_t* data = loop.stream.buffer.data();
    int at = int(consumed);
    const int r = isRead ? zoneWorker->onReadReply(data, int(len), loop.nextSn(), &at)
                         : zoneWorker->setZoneRev(data, int(len), loop.nextSn(), &at);
    consumed = size_t(at);
    if (r >= -2 && r <= 0) return;  // the operation goes on (or waits for the rest of the reply)

    loop.activeZoneOp = ZoneOpNone;
    const QByteArray result = QByteArray::number(r);
    if (isRead && r == 1)
        emit sig_zoneImage(
            QByteArray(reinterpret_cast<const char*>(zoneWorker->zoneDef()), int(sizeof(ZoneDef))));
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
    const int op = m_zone->take(loop.generation);
    if (op == ZoneOpNone || !zoneWorker) return;
    zoneWorker->setDirection(m_zone->direction.load());
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

// ---------------------------------------------------------------- UDP

RecvDataProc::LoopEnd RecvDataProc::run_udp(const Link& link, unsigned generation) {
    Loop loop(link, generation, Loop::Kind::Udp);
    loop.addressGeneration = m_addressGeneration.load();
    createZoneWorker(loop);
    RECV_TRACE("RecvDataProc::run_udp") << "start" << link.ip << link.port;
    ReplyStream& s = loop.stream;
    while (keepRunning(loop)) {
        const int ready = wait_readable(loop.link.fd, kWaitMs);
        if (ready < 0) {
            if (!keepRunning(loop)) break;  // the link is being closed on purpose
            reportLoss(loop, tr("select error!"));
            break;
        }
        keepAlive(loop, loop.link.fd, loop.link.port);
        if (ready > 0) {
            std::string from;
            // One message per datagram: the rest of it is not looked at.
            const int n = udp_recv(loop.link.fd, s.buffer.data(), int(s.buffer.size()), 0, &from);
            if (n > 0 && QString::fromStdString(from) == loop.link.ip) {
                recordRaw(s.buffer.data(), size_t(n));
                size_t consumed = 0;
                const int kind = s.decode(size_t(n), m_statusFlags, streamMode, consumed);
                if (kind == KindFan) {
                    if (s.raw->count > 0) emit sig_spanData(*s.raw);
                    handleFan(*s.raw);
                } else if (kind == KindZoneReadReply || kind == KindZoneWriteReply) {
                    handleZoneReply(kind, loop, size_t(n), consumed);
                } else {
                    handleCommonKind(kind, loop, consumed);
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

// Decodes the front of the stream buffer once, hands the message on and
// removes what was consumed. True when bytes were removed.
bool RecvDataProc::decodeStreamFront(Loop& loop, bool legacyAllowed) {
    ReplyStream& s = loop.stream;
    size_t consumed = 0;
    int kind;
    if (!legacyAllowed || streamMode == kStreamModeGeneral) {
        kind = s.decode(s.held, m_statusFlags, streamMode, consumed);
    } else {
        std::memset(s.message, 0, sizeof s.message);
        const int r = decode_legacy_stream(s.held, s.buffer.data(), m_statusFlags, *s.raw, consumed, true);
        kind = r == 0 ? KindNothing : r;
    }
    if (kind == KindFan) {
        if (s.raw->count > 0) emit sig_spanData(*s.raw);
        handleFan(*s.raw);
    } else if (kind == KindZoneReadReply || kind == KindZoneWriteReply) {
        if (loop.kind == Loop::Kind::Tcp) {
            // Zone replies belong to the command connection; skip a complete one.
            consumed = s.frameEnd(consumed, s.held);
        } else {
            handleZoneReply(kind, loop, s.held, consumed);
        }
    } else if (kind == KindLmsg || loop.kind != Loop::Kind::Tcp) {
        handleCommonKind(kind, loop, consumed);
    }
    return s.consumeFront(consumed, kind < 0) > 0;
}

RecvDataProc::LoopEnd RecvDataProc::run_uart(const Link& link, unsigned generation) {
    Loop loop(link, generation, link.type == QLatin1String("VPC") ? Loop::Kind::Vpc : Loop::Kind::Uart);
    loop.addressGeneration = m_addressGeneration.load();
    createZoneWorker(loop);
    RECV_TRACE("RecvDataProc::run_uart") << "start" << link.type << link.ip << link.port;
    ReplyStream& s = loop.stream;
    int idleRounds = 0;
    int64_t errorSinceMs = -1;
    bool progressed = false;
    for (;;) {
        while (runFlag == 2 && !m_quit && m_linkGeneration.load() == loop.generation &&
               loop.link.handles->isOpen())
            QThread::msleep(10);
        if (!keepRunning(loop)) break;

        if (loop.link.fd > 0) {
            int got = 0;
            if (s.held < s.buffer.size()) {
                // The device polls for reads; a short wait keeps the core free
                // while an idle round still stands for about a millisecond of silence.
                const int ready = wait_readable(loop.link.fd, progressed && s.held > 0 ? 0 : kSerialWaitMs);
                if (ready > 0) {
                    got = serial_read(loop.link.fd, s.buffer.data() + s.held, int(s.buffer.size() - s.held));
                    // A hung-up port stays readable; pause so its idle rounds last as long.
                    if (got < 0) QThread::msleep(kSerialWaitMs);
                } else if (ready < 0) {
                    got = -1;
                    QThread::msleep(kSerialWaitMs);  // handle gone: do not spin
                }
            }
            if (got > 0) {
                recordRaw(s.buffer.data() + s.held, size_t(got));
                s.held += size_t(got);
            }
            if (serialLost(loop, got, idleRounds, errorSinceMs)) break;
        } else {
            QThread::msleep(kSerialWaitMs);
        }

        progressed = s.held > 0 && decodeStreamFront(loop, true);
        startPendingZoneOp(loop);
    }
    dropZoneWorker();
    RECV_TRACE("RecvDataProc::run_uart") << "end";
    return loop.end;
}

// Follows the health of the serial handle after one read round (`got`: the
// read's result, -1 for a failed read or a hung-up line). True when the port
// is gone: it kept failing for kSerialHangupMs, or it stayed silent for
// kSerialIdleRounds rounds and is no longer in the port list. The link has
// then been ended and reported.
bool RecvDataProc::serialLost(Loop& loop, int got, int& idleRounds, int64_t& errorSinceMs) {
    if (got > 0) {
        idleRounds = 0;
        errorSinceMs = -1;
        return false;
    }
    if (got < 0) {
        const int64_t now = steadyMs();
        if (errorSinceMs < 0) errorSinceMs = now;
        if (now - errorSinceMs >= kSerialHangupMs) {
            reportLoss(loop,
                       tr("The serial port %1 is no longer available; disconnected!").arg(loop.link.ip));
            return true;
        }
    } else {
        errorSinceMs = -1;
    }
    if (++idleRounds <= kSerialIdleRounds) return false;
    idleRounds = 0;
    if (serialPortListed(loop.link.ip)) return false;
    reportLoss(loop, tr("Serial port data not detected for a long time, automatic disconnection!"));
    return true;
}

// ---------------------------------------------------------------- TCP

RecvDataProc::LoopEnd RecvDataProc::run_tcp(const Link& link, unsigned generation) {
    Loop loop(link, generation, Loop::Kind::Tcp);
    loop.addressGeneration = m_addressGeneration.load();
    RECV_TRACE("RecvDataProc::run_tcp") << "start" << link.ip << link.port << link.cmdPort;

    if (link.cmdSocket > 0) {
        tcpThread = new QThread;
        tcpWorker = new RecvTCPProc(link.handles, link.cmdPort, link.ip, m_zone, generation, &runFlag);
        connect(tcpWorker, &RecvTCPProc::sig_data, this, &RecvDataProc::sig_data, Qt::DirectConnection);
        connect(tcpWorker, &RecvTCPProc::sig_linkLost, this, &RecvDataProc::sig_linkLost,
                Qt::DirectConnection);
        connect(tcpWorker, qOverload<int, int, bool>(&RecvTCPProc::sig_CmdRecv), this,
                &RecvDataProc::sig_CmdRecv, Qt::DirectConnection);
        connect(tcpWorker, &RecvTCPProc::sig_ZoneCMD, this, &RecvDataProc::sig_ZoneCMD, Qt::DirectConnection);
        connect(tcpWorker, &RecvTCPProc::sig_progress, this, &RecvDataProc::sig_progress,
                Qt::DirectConnection);
        connect(tcpWorker, &RecvTCPProc::sig_zoneData, this, &RecvDataProc::sig_zoneData,
                Qt::DirectConnection);
        connect(tcpWorker, &RecvTCPProc::sig_ZoneDef, this, &RecvDataProc::sig_ZoneDef, Qt::DirectConnection);
        connect(tcpWorker, &RecvTCPProc::sig_zoneImageCrc, this, &RecvDataProc::sig_zoneImageCrc,
                Qt::DirectConnection);
        connect(tcpWorker, &RecvTCPProc::sig_zoneImage, this, &RecvDataProc::sig_zoneImage,
                Qt::DirectConnection);
        tcpWorker->moveToThread(tcpThread);
        connect(tcpThread, &QThread::started, tcpWorker, &RecvTCPProc::recv_data);
        connect(tcpWorker, &RecvTCPProc::sig_end, tcpThread, &QThread::quit, Qt::DirectConnection);
        handover::watchThread(tcpThread);
        tcpThread->start();
    }

    ReplyStream& s = loop.stream;
    bool progressed = false;
    while (keepRunning(loop)) {
        const bool room = s.held < s.buffer.size();
        const int ready = room ? wait_readable(loop.link.fd, progressed && s.held > 0 ? 0 : kWaitMs) : 0;
        if (ready < 0) {
            if (!keepRunning(loop)) break;
            reportLoss(loop, tr("select error!"));
            break;
        }
        keepAlive(loop, loop.link.cmdSocket, loop.link.cmdPort);
        if (ready > 0) {
            const int n = tcp_recv(loop.link.fd, s.buffer.data() + s.held, int(s.buffer.size() - s.held), 0);
            if (n > 0) {
                recordRaw(s.buffer.data() + s.held, size_t(n));
                s.held += size_t(n);
            } else if (n < 0) {
                // The device closed the data connection (or it broke): readable
                // for ever from now on, so stop instead of spinning.
                if (!keepRunning(loop)) break;
                reportLoss(loop, tr("The device closed the connection!"));
                break;
            }
        }
        progressed = s.held > 0 && decodeStreamFront(loop, false);
    }

    if (tcpWorker) {
        tcpWorker->runFlag = 0;
        tcpThread->quit();
        handover::joinThread(tcpThread);
        delete tcpWorker;  // its thread has finished; nothing else refers to it
        delete tcpThread;
        tcpWorker = nullptr;
        tcpThread = nullptr;
    }
    RECV_TRACE("RecvDataProc::run_tcp") << "tcp data thread end";
    return loop.end;
}
