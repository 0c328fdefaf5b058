#include "firmware_target.h"

#include <QRegularExpression>
#include <QSaveFile>
#include <cstdio>

#include "command_frame.h"
#include "crc32.h"
#include "firmware_image.h"
#include "firmware_udp.h"
#include "frame_splitter.h"
#include "le_bytes.h"
#include "xmodem.h"

namespace sim {

namespace {

// A client that stops in the middle leaves the scanner waiting this long
// before it streams again.
constexpr int kAbandonAfterMs = 10000;
constexpr int kStartRequestPeriodMs = 1000;
constexpr int kMaxStartRequests = 10;
constexpr uint8_t kXmodemCancel = 0x18;

const uint8_t* bytesOf(const QByteArray& a) {
    return reinterpret_cast<const uint8_t*>(a.constData());
}

}  // namespace

bool parseUpgradeFault(const QString& text, UpgradeFault* out) {
    UpgradeFault f;
    if (text.isEmpty() || text == QLatin1String("none")) {
        *out = f;
        return true;
    }
    if (text == QLatin1String("no-ack")) {
        f.kind = UpgradeFault::NoAck;
    } else if (text == QLatin1String("bad-status")) {
        f.kind = UpgradeFault::BadStatus;
    } else {
        const QString name = text.section(QLatin1Char(':'), 0, 0);
        bool ok = false;
        f.n = text.section(QLatin1Char(':'), 1).toInt(&ok);
        if (!ok || f.n < 0 || text.count(QLatin1Char(':')) != 1) return false;
        if (name == QLatin1String("silent-after"))
            f.kind = UpgradeFault::SilentAfter;
        else if (name == QLatin1String("drop-reply") && f.n >= 1)
            f.kind = UpgradeFault::DropReply;
        else if (name == QLatin1String("nak"))
            f.kind = UpgradeFault::Nak;
        else
            return false;
    }
    *out = f;
    return true;
}

FirmwareTarget::FirmwareTarget(const QString& outPath, UpgradeFault fault, bool log, QObject* parent)
    : QObject(parent), m_outPath(outPath), m_fault(fault), m_log(log) {
    m_idle.setSingleShot(true);
    m_idle.setInterval(kAbandonAfterMs);
    connect(&m_idle, &QTimer::timeout, this, &FirmwareTarget::abandon);
    m_startRequest.setInterval(kStartRequestPeriodMs);
    connect(&m_startRequest, &QTimer::timeout, this, &FirmwareTarget::sendStartRequest);
}

void FirmwareTarget::log(const QString& text) const {
    if (m_log) std::fprintf(stderr, "vantrel-sim: firmware: %s\n", qPrintable(text));
}

void FirmwareTarget::touch() {
    m_idle.start();
}

void FirmwareTarget::abandon() {
    if (busy()) log(QStringLiteral("upgrade abandoned, streaming again"));
    m_udpActive = false;
    m_serial = SerialState::Idle;
    m_startRequest.stop();
}

// The counters run from the simulator's start, so a fault applies to the
// Nth packet of the run however often the client starts over.
bool FirmwareTarget::answerAllowed() {
    switch (m_fault.kind) {
        case UpgradeFault::SilentAfter:
            if (m_answered >= m_fault.n) return false;
            break;
        case UpgradeFault::NoAck:
            return false;
        case UpgradeFault::DropReply:
            if (!m_dropped && m_received == m_fault.n) {
                m_dropped = true;
                log(QStringLiteral("answer to packet %1 lost").arg(m_received));
                return false;
            }
            break;
        default:
            break;
    }
    ++m_answered;
    return true;
}

bool FirmwareTarget::finishImage(const QByteArray& image, const char* how) {
    if (!m_outPath.isEmpty()) {
        QSaveFile file(m_outPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size() || !file.commit()) {
            log(QStringLiteral("cannot write %1").arg(m_outPath));
            return false;
        }
    }
    ++m_imagesAccepted;
    log(QStringLiteral("%1 image of %2 bytes accepted%3")
            .arg(QLatin1String(how))
            .arg(image.size())
            .arg(m_outPath.isEmpty() ? QString() : QStringLiteral(", written to ") + m_outPath));
    return true;
}

// ---------------------------------------------------------------- UDP

std::vector<QByteArray> FirmwareTarget::handleFrame(uint16_t sn, const QByteArray& body) {
    touch();
    if (body.size() < 12) {
        log(QStringLiteral("upgrade packet of %1 bytes ignored").arg(body.size()));
        return {};
    }
    const uint8_t* b = bytesOf(body);
    const uint32_t op = le32(b);
    const uint32_t crc = le32(b + 4);
    if (op == kFirmwareOpClose) {
        log(QStringLiteral("upgrade closed"));
        m_udpActive = false;
        m_idle.stop();
        return {};
    }
    ++m_received;
    uint32_t status = kUpgradeAccepted;
    if (op == kFirmwareOpStart) {
        const uint32_t length = le32(b + 8);
        m_udpActive = false;
        if (length == 0 || length % kFirmwareChunk != 0 || length > kMaxFirmwareFile ||
            m_fault.kind == UpgradeFault::BadStatus) {
            status = kUpgradeBadRequest;
        } else {
            m_udpActive = true;
            m_sn = sn;
            m_length = length;
            m_payload = QByteArray(static_cast<int>(length), '\0');
            m_pieces.assign(length / kFirmwareChunk, false);
            log(QStringLiteral("upgrade of %1 bytes started, sn %2").arg(length).arg(sn));
        }
    } else if (!m_udpActive || sn != m_sn) {
        status = kUpgradeBadPiece;
    } else if (op == kFirmwareOpFinish) {
        bool complete = true;
        for (bool got : m_pieces) complete = complete && got;
        if (!complete)
            status = kUpgradeIncomplete;
        else if (!finishImage(m_payload, "udp"))
            status = kUpgradeWriteFailed;
        else
            log(QStringLiteral("OP_WRITE_IAP"));
    } else if (op % kFirmwareChunk != 0 || uint64_t(op) + kFirmwareChunk > m_length ||
               size_t(body.size()) < kFirmwarePacketBody || crc32_words(b + 8, kFirmwareChunk / 4) != crc) {
        status = kUpgradeBadPiece;
    } else {
        std::copy(body.constData() + 8, body.constData() + 8 + kFirmwareChunk, m_payload.data() + op);
        m_pieces[op / kFirmwareChunk] = true;
    }
    if (status != kUpgradeAccepted)
        log(QStringLiteral("packet 0x%1 refused, status %2").arg(op, 8, 16, QChar('0')).arg(status));
    if (!answerAllowed()) return {};
    QByteArray reply(8, '\0');
    put_le32(reinterpret_cast<uint8_t*>(reply.data()), op);
    put_le32(reinterpret_cast<uint8_t*>(reply.data()) + 4, status);
    return {encodeReplyFrame(FIRMWARE_PACK, sn, reply)};
}

// ---------------------------------------------------------------- serial

bool FirmwareTarget::handleText(const QByteArray& command, QByteArray* reply) {
    reply->clear();
    if (command == "LFWUPH") {
        touch();
        if (m_serial == SerialState::Idle) log(QStringLiteral("serial upgrade requested, streaming stopped"));
        m_serial = SerialState::Requested;
        *reply = "LFWUQH\r\n";
        return true;
    }
    if (!command.startsWith("LFWUI:")) return false;
    touch();
    if (m_serial != SerialState::Requested) {
        log(QStringLiteral("LFWUI without LFWUPH ignored"));
        return true;
    }
    static const QRegularExpression form(QStringLiteral("^LFWUI:([0-9A-F]{8}),([0-9A-F]{8}),H$"));
    const QRegularExpressionMatch m = form.match(QString::fromLatin1(command));
    bool ok = m.hasMatch();
    const uint32_t length = ok ? m.captured(1).toUInt(&ok, 16) : 0;
    if (!ok || length == 0 || length > kMaxFirmwareFile || m_fault.kind == UpgradeFault::BadStatus) {
        log(QStringLiteral("announcement \"%1\" refused").arg(QString::fromLatin1(command)));
        m_serial = SerialState::Idle;
        *reply = "FWUI ER\r\n";
        return true;
    }
    if (m_fault.kind == UpgradeFault::NoAck) return true;
    m_announced = length;
    m_rx.clear();
    m_data.clear();
    m_expectedBlock = 1;
    m_refusedThisBlock = 0;
    m_serial = SerialState::Receiving;
    *reply = "FWUI OK\r\n";
    log(QStringLiteral("receiving %1 bytes with XMODEM").arg(length));
    // After the reply has gone out.
    m_startRequests = 0;
    QTimer::singleShot(0, this, &FirmwareTarget::sendStartRequest);
    m_startRequest.start();
    return true;
}

void FirmwareTarget::writeRaw(const QByteArray& bytes) {
    if (m_rawWriter) m_rawWriter(bytes);
}

void FirmwareTarget::sendStartRequest() {
    if (m_serial != SerialState::Receiving || !m_data.isEmpty()) {
        m_startRequest.stop();
        return;
    }
    if (++m_startRequests > kMaxStartRequests) {
        abandon();
        return;
    }
    writeRaw(QByteArray(1, char(kXmodemStart)));
}

void FirmwareTarget::feedRaw(const QByteArray& bytes) {
    touch();
    m_rx.append(bytes);
    while (!m_rx.isEmpty() && m_serial == SerialState::Receiving) {
        const auto lead = static_cast<uint8_t>(m_rx.at(0));
        if (lead == kXmodemEot) {
            m_rx.remove(0, 1);
            const uint32_t got = static_cast<uint32_t>(m_data.size());
            // The last block is padded: the data must cover the announced
            // length and stop within one block of it.
            if (got < m_announced || got >= m_announced + kXmodemData)
                log(QStringLiteral("image refused: %1 bytes received for %2 announced")
                        .arg(got)
                        .arg(m_announced));
            else
                finishImage(m_data.left(static_cast<int>(m_announced)), "serial");
            writeRaw(QByteArray(1, char(kXmodemAck)));
            m_serial = SerialState::Idle;
            m_idle.stop();
            break;
        }
        if (lead != kXmodemSoh) {
            m_rx.remove(0, 1);  // line noise between blocks
            continue;
        }
        if (m_rx.size() < int(kXmodemFrame)) break;
        const QByteArray block = m_rx.left(int(kXmodemFrame));
        m_rx.remove(0, int(kXmodemFrame));
        m_startRequest.stop();
        ++m_received;
        const uint8_t* p = bytesOf(block);
        const uint16_t crc = crc16_xmodem(p + 3, kXmodemData);
        const bool intact = p[2] == uint8_t(~p[1]) && p[131] == (crc >> 8) && p[132] == (crc & 0xFF);
        uint8_t answer = kXmodemNak;
        if (!intact) {
            log(QStringLiteral("block %1 damaged").arg(p[1]));
        } else if (p[1] == uint8_t(m_expectedBlock - 1) && !m_data.isEmpty()) {
            answer = kXmodemAck;  // a repeat of the block taken last: its answer was lost
        } else if (p[1] != m_expectedBlock) {
            log(QStringLiteral("block %1 out of order, %2 expected").arg(p[1]).arg(m_expectedBlock));
        } else if (m_fault.kind == UpgradeFault::Nak && m_refusedThisBlock < m_fault.n) {
            ++m_refusedThisBlock;
        } else if (uint32_t(m_data.size()) >= m_announced) {
            log(QStringLiteral("block %1 beyond the announced length, cancelled").arg(p[1]));
            answer = kXmodemCancel;
        } else {
            m_data.append(block.mid(3, int(kXmodemData)));
            ++m_expectedBlock;
            m_refusedThisBlock = 0;
            answer = kXmodemAck;
        }
        if (answerAllowed()) writeRaw(QByteArray(1, char(answer)));
    }
}

}  // namespace sim
