#include "recvtcpproc.h"

#include <QDateTime>
#include <QThread>
#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "command_frame.h"
#include "commands.h"
#include "recorder.h"
#include "recvtrace.h"
#include "scan_decoder.h"
#include "transport.h"
#include "le_bytes.h"

namespace {

constexpr const char* kTraceFile = "task/recvtcpproc.cpp";
constexpr int kWaitMs = 1000;
constexpr int kZoneSettleMs = 1000;

}  // namespace

RecvTCPProc::RecvTCPProc(int cmdSocket_, int cmdPort_, const QString& ip_,
                         std::shared_ptr<ZoneRequests> requests, const std::atomic<int>* ownerRun,
                         QObject* parent)
    : QObject(parent),
      cmdSocket(cmdSocket_),
      cmdPort(cmdPort_),
      ip(ip_),
      m_zone(requests ? std::move(requests) : std::make_shared<ZoneRequests>()),
      m_ownerRun(ownerRun) {}

RecvTCPProc::~RecvTCPProc() {
    delete zoneWorker;
}

bool RecvTCPProc::linkTornDown() const {
    return runFlag == 0 || (m_ownerRun && m_ownerRun->load() == 0);
}

void RecvTCPProc::recv_data() {
    std::mt19937 rng(uint32_t(QDateTime::currentMSecsSinceEpoch()));
    auto nextSn = [&rng]() { return int(rng() & 0xFFFF); };
    char message[kMessageBufferSize] = {};
    uint8_t header[kReplyHeaderSize] = {};
    std::vector<uint8_t> buffer(size_t(kCmdBufferSize), 0);
    size_t held = 0;
    auto raw = std::make_unique<RawData>();
    SegmentNode* segments = nullptr;
    uint8_t flags[8] = {};
    int activeZoneOp = ZoneOpNone;
    bool progressed = false;

    if (!zoneWorker) {
        zoneWorker = new ZoneAlarm(cmdSocket, ip, cmdPort);
        // Direct: requests leave in order with this loop's own stop/start commands.
        connect(zoneWorker, &ZoneAlarm::sig_ZoneCMD, this, &RecvTCPProc::sig_ZoneCMD, Qt::DirectConnection);
        connect(zoneWorker, &ZoneAlarm::sig_progress, this, &RecvTCPProc::sig_progress, Qt::DirectConnection);
    }
    RECV_TRACE("RecvTCPProc::recv_data") << "start" << ip << cmdPort;

    auto restart = [&]() {
        emit sig_ZoneCMD(cmdSocket, ip, cmdPort, C_PACK, nextSn(), 6, QByteArray(kCmdStart), true);
    };

    while (runFlag != 0) {
        const bool room = held < buffer.size();
        const int ready = room ? wait_readable(cmdSocket, progressed && held > 0 ? 0 : kWaitMs) : 0;
        if (ready < 0) {
            if (!linkTornDown()) emit sig_data(1, tr("select error!").toLocal8Bit());
            break;
        }
        if (ready > 0) {
            const int n = tcp_recv(cmdSocket, buffer.data() + held, int(buffer.size() - held), 0);
            if (n > 0) {
                Recorder::instance().writeRaw(0, buffer.data() + held, size_t(n));
                held += size_t(n);
            } else if (n < 0) {
                // Closed by the device: the socket stays readable, so end here.
                if (!linkTornDown()) emit sig_data(1, tr("The device closed the connection!").toLocal8Bit());
                break;
            }
        }

        progressed = false;
        if (held > 0) {
            size_t consumed = 0;
            std::memset(message, 0, sizeof message);
            const int kind = decode_stream_message(held, buffer.data(), flags, *raw, consumed, true,
                                                   streamMode, message, header, segments);
            const int sign = le16(header);
            const int sn = le16(header + 4);
            auto payload = [&]() {
                const size_t len = le16(header + 6);
                if (consumed < len + kReplyHeaderSize + 4) return QByteArray();
                return QByteArray(reinterpret_cast<const char*>(buffer.data() + consumed - len - 4),
                                  int(len));
            };
            switch (kind) {
                case KindParamBlock:
                    RECV_TRACE("RecvTCPProc::recv_data") << "parameter block" << sn;
                    emit sig_data(5, QByteArray(message, int(kMessageBufferSize)));
                    emit sig_CmdRecv(sign, sn, true);
                    break;
                case KindPayloadReply:
                    emit sig_CmdRecv(sign, sn, true);
                    emit sig_data(12, payload());
                    break;
                case KindStatusReply: {
                    const bool isOK = !(message[0] == 'N' && message[1] == 'G');
                    emit sig_data(12, payload());
                    emit sig_CmdRecv(sign, sn, isOK);
                    break;
                }
                case KindZoneReadReply:
                case KindZoneWriteReply: {
                    const bool isRead = kind == KindZoneReadReply;
                    if (activeZoneOp != (isRead ? ZoneOpRead : ZoneOpWrite)) {
                        // No operation of that kind runs: skip the frame once complete.
                        const size_t end = consumed + kReplyHeaderSize + le16(header + 6);
                        if (end <= held) consumed = end;
                        break;
                    }
                    int at = int(consumed);
                    const int r = isRead ? zoneWorker->onReadReply(buffer.data(), int(held), nextSn(), &at)
                                         : zoneWorker->setZoneRev(buffer.data(), int(held), nextSn(), &at);
                    consumed = size_t(at);
                    if (r >= -2 && r <= 0) break;
                    activeZoneOp = ZoneOpNone;
                    if (isRead && r == 1) emit sig_zoneData(zoneWorker->getZones());
                    restart();
                    emit sig_data(isRead ? 6 : 7, QByteArray::number(r));
                    emit sig_CmdRecv(sign, 0xFFFF, true);
                    RECV_TRACE("RecvTCPProc::recv_data")
                        << (isRead ? "zone read" : "zone write") << "ended" << r;
                    break;
                }
                default:
                    break;  // fans and records belong to the data connection
            }

            // A full buffer from which nothing could be consumed would stall the
            // connection for good: drop its first half like undecodable bytes.
            bool dropped = kind < 0;
            if (consumed == 0 && held == buffer.size()) {
                consumed = held / 2;
                dropped = true;
            }
            consumed = std::min(consumed, held);
            if (consumed > 0) {
                if (dropped) {
                    const uint8_t* b = buffer.data();
                    RECV_TRACE("RecvTCPProc::recv_data")
                        << QString::asprintf("drop %d bytes: %02x %02x %02x %02x %02x %02x", int(consumed),
                                             b[0], b[1], b[2], b[3], b[4], b[5]);
                }
                std::memmove(buffer.data(), buffer.data() + consumed, held - consumed);
                held -= consumed;
                progressed = true;
            }
        }

        // Pending zone operation, bracketed by stop and (on its end) start.
        const int op = m_zone->take();
        if (op != ZoneOpNone) {
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
    free_segment_list(segments);
    RECV_TRACE("RecvTCPProc::recv_data") << "tcp cmd thread end";
    emit sig_end();
}
