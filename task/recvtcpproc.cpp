#include "recvtcpproc.h"

#include <QDateTime>
#include <QThread>
#include <random>

#include "command_frame.h"
#include "commands.h"
#include "recorder.h"
#include "recvtrace.h"
#include "reply_stream.h"
#include "transport.h"

namespace {

constexpr const char* kTraceFile = "task/recvtcpproc.cpp";
constexpr int kWaitMs = 1000;
constexpr int kZoneSettleMs = 1000;

}  // namespace

RecvTCPProc::RecvTCPProc(LinkRef link, int cmdPort_, const QString& ip_,
                         std::shared_ptr<ZoneRequests> requests, unsigned generation,
                         const std::atomic<int>* ownerRun, QObject* parent)
    : QObject(parent),
      m_link(link ? std::move(link) : ScannerLink::borrow(0, 0, true)),
      cmdSocket(m_link->commandDescriptor()),
      cmdPort(cmdPort_),
      ip(ip_),
      m_zone(requests ? std::move(requests) : std::make_shared<ZoneRequests>()),
      m_generation(generation),
      m_ownerRun(ownerRun) {}

RecvTCPProc::~RecvTCPProc() {
    delete zoneWorker;
}

bool RecvTCPProc::linkTornDown() const {
    return runFlag == 0 || !m_link->isOpen() || (m_ownerRun && m_ownerRun->load() == 0);
}

void RecvTCPProc::reportLoss(const QString& reason) {
    if (linkTornDown() || !m_link->end()) return;
    RECV_TRACE("RecvTCPProc::reportLoss") << ip << cmdPort << reason;
    emit sig_linkLost(quint64(m_link->id()), reason);
}

void RecvTCPProc::recv_data() {
    std::mt19937 rng{uint32_t(QDateTime::currentMSecsSinceEpoch())};
    auto nextSn = [&rng]() { return int(rng() & 0xFFFF); };
    ReplyStream s{size_t(kCmdBufferSize)};
    uint8_t flags[8] = {};
    int activeZoneOp = ZoneOpNone;
    bool progressed = false;

    if (!zoneWorker) {
        zoneWorker = new ZoneAlarm(cmdSocket, ip, cmdPort);
        // Direct: requests leave in order with this loop's own stop/start commands.
        connect(zoneWorker, &ZoneAlarm::sig_ZoneCMD, this, &RecvTCPProc::sig_ZoneCMD, Qt::DirectConnection);
        connect(zoneWorker, &ZoneAlarm::sig_progress, this, &RecvTCPProc::sig_progress, Qt::DirectConnection);
        connect(zoneWorker, &ZoneAlarm::sig_zoneImageCrc, this, &RecvTCPProc::sig_zoneImageCrc,
                Qt::DirectConnection);
    }
    RECV_TRACE("RecvTCPProc::recv_data") << "start" << ip << cmdPort;

    auto restart = [&]() {
        emit sig_ZoneCMD(cmdSocket, ip, cmdPort, C_PACK, nextSn(), 6, QByteArray(kCmdStart), true);
    };

    while (runFlag != 0 && m_link->isOpen()) {
        const bool room = s.held < s.buffer.size();
        const int ready = room ? wait_readable(cmdSocket, progressed && s.held > 0 ? 0 : kWaitMs) : 0;
        if (ready < 0) {
            reportLoss(tr("select error!"));
            break;
        }
        if (ready > 0) {
            const int n = tcp_recv(cmdSocket, s.buffer.data() + s.held, int(s.buffer.size() - s.held), 0);
            if (n > 0) {
                Recorder::instance().writeRaw(0, s.buffer.data() + s.held, size_t(n));
                s.held += size_t(n);
            } else if (n < 0) {
                // Closed by the device: the socket stays readable, so end here.
                reportLoss(tr("The device closed the connection!"));
                break;
            }
        }

        progressed = false;
        if (s.held > 0) {
            size_t consumed = 0;
            const int kind = s.decode(s.held, flags, streamMode, consumed);
            if (kind == KindZoneReadReply || kind == KindZoneWriteReply) {
                const bool isRead = kind == KindZoneReadReply;
                if (activeZoneOp != (isRead ? ZoneOpRead : ZoneOpWrite)) {
                    // No operation of that kind runs: skip the frame once complete.
                    consumed = s.frameEnd(consumed, s.held);
                } else {
                    int at = int(consumed);
                    const int r = isRead
                                      ? zoneWorker->onReadReply(s.buffer.data(), int(s.held), nextSn(), &at)
                                      : zoneWorker->setZoneRev(s.buffer.data(), int(s.held), nextSn(), &at);
                    consumed = size_t(at);
                    if (r < -2 || r > 0) {
                        activeZoneOp = ZoneOpNone;
                        if (isRead && r == 1)
                            emit sig_zoneImage(QByteArray(
                                reinterpret_cast<const char*>(zoneWorker->zoneDef()), int(sizeof(ZoneDef))));
                        if (isRead && r == 1) emit sig_zoneData(zoneWorker->getZones());
                        restart();
                        emit sig_data(isRead ? 6 : 7, QByteArray::number(r));
                        emit sig_CmdRecv(s.sign(), 0xFFFF, true);
                        RECV_TRACE("RecvTCPProc::recv_data")
                            << (isRead ? "zone read" : "zone write") << "ended" << r;
                    }
                }
            } else {
                // Fans and records belong to the data connection.
                emitCommandReply(this, kind, s, consumed);
            }
            progressed = s.consumeFront(consumed, kind < 0) > 0;
        }

        // Pending zone operation, bracketed by stop and (on its end) start.
        const int op = m_zone->take(m_generation);
        if (op != ZoneOpNone) {
            zoneWorker->setDirection(m_zone->direction.load());
            emit sig_ZoneCMD(cmdSocket, ip, cmdPort, C_PACK, nextSn(), 6, QByteArray(kCmdStop), true);
            bool started = true;
            if (op == ZoneOpRead) {
                zoneWorker->readStart(nextSn());
                activeZoneOp = ZoneOpRead;
            } else {
                for (int waited = 0; waited < kZoneSettleMs && !linkTornDown(); waited += 10)
                    QThread::msleep(10);
                if (op == ZoneOpWrite) {
                    const zones list = m_zone->copyList();
                    started = zoneWorker->writeStart(list, nextSn());
                } else {
                    const std::unique_ptr<ZoneDef> image = m_zone->copyImage();
                    started = image && zoneWorker->setZoneSyn(image.get(), nextSn());
                }
                activeZoneOp = started ? ZoneOpWrite : ZoneOpNone;
            }
            if (!started) {
                emit sig_data(7, QByteArray("-1"));
                restart();
            }
        }
    }

    zoneWorker->disconnect(this);
    delete zoneWorker;
    zoneWorker = nullptr;
    RECV_TRACE("RecvTCPProc::recv_data") << "tcp cmd thread end";
    emit sig_end();
}
