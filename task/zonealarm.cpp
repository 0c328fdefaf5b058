#include "zonealarm.h"

#include <QDateTime>
#include <QMetaType>
#include <algorithm>
#include <cstring>

#include "command_frame.h"
#include "crc32.h"
#include "le_bytes.h"
#include "recvtrace.h"

namespace {

constexpr const char* kTraceFile = "task/zonealarm.cpp";
constexpr size_t kRxCapacity = 1024 * 1024;
constexpr size_t kRxPieceFlags = 512;

QString hex(uint64_t v) {
    return QString::number(v, 16);
}

// Locates a reply frame at data[*consumed]: 'L','H', code, sn, u16 body length, body.
// The body is only handed out once every byte of it has arrived.
int locateReply(const uint8_t* data, int available, const int* consumed, size_t minimum, const uint8_t** body,
                size_t* bodyLen) {
    if (!data || available <= 0) return -1;
    const size_t at = consumed ? size_t(std::max(*consumed, 0)) : 0;
    if (at >= size_t(available)) return -1;
    const size_t remaining = size_t(available) - at;
    if (remaining < minimum) return -1;
    const uint8_t* frame = data + at;
    const size_t len = le16(frame + 6);
    if (remaining < len + 8) return -2;
    *body = frame + 8;
    *bodyLen = len;
    return 1;
}

}  // namespace

ZoneAlarm::ZoneAlarm(QObject* parent)
    : QObject(parent),
      m_rxFlags(kRxPieceFlags, 0),
      m_rxData(kRxCapacity, 0),
      m_image(std::make_unique<ZoneDef>()),
      m_zones(std::make_unique<zones>()),
      m_tables(size_t(kZoneCount) * kZoneTableUsed, 0) {
    registerMetaTypes();
    std::memset(m_image.get(), 0, sizeof(ZoneDef));
}

ZoneAlarm::ZoneAlarm(int fd, const QString& devIp, int devPort, QObject* parent) : ZoneAlarm(parent) {
    m_fd = fd;
    m_devIp = devIp;
    m_devPort = devPort;
}

ZoneAlarm::~ZoneAlarm() = default;

void ZoneAlarm::registerMetaTypes() {
    qRegisterMetaType<zones>("zones");
    qRegisterMetaType<ZoneDef*>("ZoneDef*");
}

// ============================================================ codec

QString ZoneAlarm::zoneListRefusal(int status, int badIndex) {
    switch (status) {
        case kZoneListBadCount:
            return tr("zone list count %1 outside 0..64").arg(badIndex);
        case kZoneListBadEntry:
            return tr("zone entry %1 has an unknown shape, kind or point count").arg(badIndex);
        case kZoneListSlotOverflow:
            return tr("Zone ID:%1:The number of alarm zones more than the maximum limit!")
                .arg(QString::number(badIndex, 16).toUpper());
        default:
            return {};
    }
}

qint64 ZoneAlarm::ZonesToZoneDef(const zones& data, int mirror) {
    uint32_t crc = 0;
    int badIndex = 0;
    const auto now = static_cast<uint32_t>(QDateTime::currentSecsSinceEpoch() & 0xFFFFFFFF);
    const int status = zones_to_zonedef(data, mirror != 0, now, *m_image, &crc, &badIndex);
    if (status != kZoneListOk) {
        m_lastError = zoneListRefusal(status, badIndex);
        RECV_TRACE("ZoneAlarm::ZonesToZoneDef") << "refused:" << m_lastError;
        return status;
    }
    m_lastError.clear();
    return qint64(crc);
}

bool ZoneAlarm::ZoneDefToZones(const ZoneDef* def) {
    m_zones->count = 0;
    if (!def) return false;
    if (def != m_image.get()) std::memcpy(m_image.get(), def, sizeof(ZoneDef));
    return ZoneDefToZones();
}

bool ZoneAlarm::ZoneDefToZones() {
    m_zones->count = 0;
    const ZoneDef& def = *m_image;
    if (!zonedef_header_ok(def)) {
        RECV_TRACE("ZoneAlarm::ZoneDefToZones")
            << "bad zone header" << hex(def.magic) << hex(def.version) << hex(def.size);
        return false;
    }
    for (int k = 0; k < kZoneCount; ++k) SetGraph(k, int(kZoneRecordSlotSize), def.records[k]);
    keepTables();
    return true;
}

int ZoneAlarm::SetGraph(int slot, int len, const uint8_t* data) {
    if (slot == 0) m_zones->count = 0;
    if (!data || len <= 0) return 0;
    return set_graph(slot, data, size_t(len), m_mirror != 0, *m_zones);
}

bool ZoneAlarm::validateEntry(ZoneEntry& entry, int maxDistance, QString* message) {
    const ZoneEntryCheck check = validate_zone_entry(entry, maxDistance);
    QString text;
    switch (check) {
        case ZoneEntryCheck::Ok:
            break;
        case ZoneEntryCheck::AllZero:
            text = tr("The current parameter cannot all zero!");
            break;
        case ZoneEntryCheck::NotSector:
            text = tr("The current parameter cannot form a sector!");
            break;
        case ZoneEntryCheck::NearTooSmall:
            text = tr("The sector near distance  cannot be less than 10mm");
            break;
        case ZoneEntryCheck::TooFar:
            text = tr("The drawing distance of the alarm zone exceeds %1 mm, zone id %2")
                       .arg(maxDistance)
                       .arg(entry.zoneId);
            break;
        case ZoneEntryCheck::NotRectangle:
            text = tr("The current parameter cannot form a rectangle!");
            break;
    }
    if (message) *message = text;
    return check == ZoneEntryCheck::Ok;
}

void ZoneAlarm::keepTables() {
    for (int k = 0; k < kZoneCount; ++k)
        std::memcpy(m_tables.data() + size_t(k) * kZoneTableUsed, m_image->tables[k], kZoneTableUsed);
}

const uint8_t* ZoneAlarm::directionTable(int slot) const {
    if (slot < 0 || slot >= kZoneCount) return nullptr;
    return m_tables.data() + size_t(slot) * kZoneTableUsed;
}

// ============================================================ endpoint

void ZoneAlarm::setEndpoint(const QString& devIp, int devPort) {
    m_devIp = devIp;
    m_devPort = devPort;
}

void ZoneAlarm::setFd(int fd) {
    m_fd = fd;
}

void ZoneAlarm::setDirection(int flag) {
    m_mirror = flag ? 1 : 0;
}

void ZoneAlarm::sendRead(uint32_t offset, uint32_t length, int sn) {
    const std::vector<uint8_t> body = zone_read_request(offset, length);
    emit sig_ZoneCMD(m_fd, m_devIp, m_devPort, ZONE_READ_PACK, sn & 0xFFFF, int(body.size()),
                     QByteArray(reinterpret_cast<const char*>(body.data()), int(body.size())), false);
}

void ZoneAlarm::sendWrite(uint32_t offset, uint16_t length, const uint8_t* data, size_t dataLen, int sn) {
    const std::vector<uint8_t> body = zone_write_request(offset, length, data, dataLen);
    m_txAsked = offset;
    emit sig_ZoneCMD(m_fd, m_devIp, m_devPort, ZONE_WRITE_PACK, sn & 0xFFFF, int(body.size()),
                     QByteArray(reinterpret_cast<const char*>(body.data()), int(body.size())), false);
}

void ZoneAlarm::readProgress(int rate, const QString& info) {
    emit sig_progress(rate, tr("read alarm zone"), info);
}

void ZoneAlarm::writeProgress(int rate, const QString& info) {
    emit sig_progress(rate, tr("write alarm zone"), info);
}

// ============================================================ read

void ZoneAlarm::readStart(int sn) {
    m_zones->count = 0;
    std::memset(m_image.get(), 0, sizeof(ZoneDef));
    m_rxTotal = 0;
    m_mcuCrc = 0;
    std::fill(m_rxFlags.begin(), m_rxFlags.end(), 0);
    std::fill(m_rxData.begin(), m_rxData.end(), 0);
    sendRead(kZoneSizeQuery, 0, sn);
    readProgress(0, tr("query"));
}

int ZoneAlarm::onReadReply(const uint8_t* data, int available, int sn, int* consumed) {
    const uint8_t* body = nullptr;
    size_t len = 0;
    const int located = locateReply(data, available, consumed, 9, &body, &len);
    if (located < 0) return located;
    if (consumed) *consumed += int(len + 8);

    auto tooShort = [this, len]() {
        readProgress(-9, tr("reply too short:%1").arg(len));
        return kReplyTooShort;
    };
    if (len < 4) return tooShort();
    if (le32(body) != kZoneVersion) {
        readProgress(-1,
                     tr("The alarm zone is not initialized or there is an error writing. Please clear the "
                        "alarm zone and read again"));
        return -11;
    }
    if (len < kZoneReplyHeaderSize) return tooShort();
    const uint32_t offset = le32(body + 4);

    if (offset == kZoneSizeAnswer) {
        if (len < kZoneReplyHeaderSize + 8) return tooShort();
        std::fill(m_rxFlags.begin(), m_rxFlags.end(), 0);
        std::fill(m_rxData.begin(), m_rxData.end(), 0);
        m_rxTotal = le32(body + 12);
        m_mcuCrc = le32(body + 16);
        if (m_rxTotal != kZoneDefSize) {
            readProgress(-2, tr("size %1 != %2").arg(hex(m_rxTotal)).arg(kZoneDefSize));
            return -12;
        }
        sendRead(0, kZonePieceSize, sn);
        readProgress(5, tr("query"));
        return 0;
    }

    // 64-bit sums: an offset near 2^32 must not wrap round into the buffer.
    const uint64_t f = offset;
    const uint64_t g = le16(body + 8);
    if (f + g > m_rxTotal) {
        readProgress(-3, tr("error:%1 + %2 > %3").arg(f).arg(g).arg(m_rxTotal));
        return -13;
    }
    if (g != kZonePieceSize) {
        readProgress(-4, tr("sub packet len %1 !=512").arg(g));
        return -14;
    }
    if (f + kZonePieceSize > m_rxTotal) return -4;
    if (len < kZoneReplyHeaderSize + kZonePieceSize) return tooShort();
    // m_rxTotal is exactly the image size here, far inside the receive buffer.
    std::memcpy(m_rxData.data() + f, body + kZoneReplyHeaderSize, kZonePieceSize);
    m_rxFlags[size_t(f / kZonePieceSize)] = 1;
    readProgress(int(double(f + kZonePieceSize) / m_rxTotal * 0.6 * 100 + 5),
                 tr("offset:%1 total:%2").arg(hex(f)).arg(hex(m_rxTotal)));

    if (f + kZonePieceSize == m_rxTotal) return packAll() ? 1 : -3;
    sendRead(uint32_t(f + kZonePieceSize), kZonePieceSize, sn);
    return 0;
}

bool ZoneAlarm::packAll() {
    if (m_rxTotal >= kZonePieceSize) {
        const size_t pieces = std::min<size_t>(m_rxTotal / kZonePieceSize, m_rxFlags.size());
        const auto holes = std::count(m_rxFlags.begin(), m_rxFlags.begin() + long(pieces), uint8_t(0));
        if (holes > 0) {
            readProgress(-8, tr("sub packet hole %1").arg(holes));
            return false;
        }
    }
    const uint32_t pcCrc = crc32_words(m_rxData.data(), m_rxTotal / 4);
    if (pcCrc != m_mcuCrc) {
        readProgress(-5, tr("crc error:PC:%1 :MCU:%2").arg(hex(pcCrc)).arg(hex(m_mcuCrc)));
        return false;
    }
    std::memcpy(m_image.get(), m_rxData.data(), kZoneDefSize);
    if (!zonedef_header_ok(*m_image)) {
        RECV_TRACE("ZoneAlarm::packAll")
            << "bad zone header" << hex(m_image->magic) << hex(m_image->version) << hex(m_image->size);
        readProgress(-6, tr("bad zone header"));
        return false;
    }
    const uint32_t imageCrc = zonedef_crc(*m_image);
    if (imageCrc != m_image->crc) {
        RECV_TRACE("ZoneAlarm::packAll") << "crc error" << hex(imageCrc) << hex(m_image->crc);
        readProgress(-7, tr("crc error"));
        return false;
    }
    m_zones->count = 0;
    for (int k = 0; k < kZoneCount; ++k) SetGraph(k, int(kZoneRecordSlotSize), m_image->records[k]);
    readProgress(80, QString());
    keepTables();
    readProgress(100, QString());
    emit sig_zoneImageCrc(6, m_image->crc);
    qInfo() << "read zone ok";
    return true;
}

// ============================================================ write

bool ZoneAlarm::writeStart(const zones& data, int sn) {
    writeProgress(0, tr("init"));
    if (ZonesToZoneDef(data, m_mirror) < 0) {
        writeProgress(-11, m_lastError);
        return false;
    }
    writeProgress(20, tr("ZoneDef already"));
    if (!m_tx) m_tx = std::make_unique<ZoneDef>();
    std::memcpy(m_tx.get(), m_image.get(), sizeof(ZoneDef));
    m_txTotal = kZoneDefSize;
    m_txCrc = crc32_words(m_tx.get(), kZoneDefSize / 4);
    uint8_t eraseData[8];
    std::memcpy(eraseData, &m_txTotal, 4);  // little-endian host, as the image itself
    std::memcpy(eraseData + 4, &m_txCrc, 4);
    sendWrite(kZoneErase, 0, eraseData, sizeof eraseData, sn);
    return true;
}

bool ZoneAlarm::setZoneSyn(const ZoneDef* def, int sn) {
    if (!ZoneDefToZones(def)) return false;
    const zones list = *m_zones;
    return writeStart(list, sn);
}

int ZoneAlarm::setZoneRev(const uint8_t* data, int available, int sn, int* consumed) {
    const uint8_t* body = nullptr;
    size_t len = 0;
    const int located = locateReply(data, available, consumed, 8, &body, &len);
    if (located < 0) return located;
    if (consumed) *consumed += int(len + 8);

    if (len < kZoneReplyHeaderSize) {
        writeProgress(-9, tr("reply too short:%1").arg(len));
        return kReplyTooShort;
    }
    const uint32_t echo = le32(body + 4);
    const uint32_t result = le32(body + 8);
    if (result != 0) {
        // The text is zero-terminated, but never read past the body.
        const char* text = reinterpret_cast<const char*>(body + kZoneReplyHeaderSize);
        const size_t room = len - kZoneReplyHeaderSize;
        const QString msg = QString::fromUtf8(text, int(strnlen(text, room)));
        RECV_TRACE("ZoneAlarm::setZoneRev") << "zone write result" << result << msg;
        writeProgress(25, tr("resp result:%1 msg:%2").arg(result).arg(msg));
        return -11;
    }
    if (!m_tx) {
        writeProgress(-10, tr("unexpected reply offset:%1").arg(hex(echo)));
        return kUnexpectedOffset;
    }
    // Only the offsets of our own pieces, the erase and the reload are
    // acknowledgements; anything else would make us send from outside the
    // image or reload a partial one.
    const uint64_t e = echo;
    const bool piece = e % kZonePieceSize == 0 && e + kZonePieceSize <= m_txTotal;
    if (!piece && echo != kZoneErase && echo != kZoneReload) {
        writeProgress(-10, tr("unexpected reply offset:%1").arg(hex(e)));
        return kUnexpectedOffset;
    }
    // Only the answer to the request in flight moves the write on: a late
    // answer to a re-sent request, or an echo naming a piece not yet sent,
    // would otherwise skip pieces and reload a partial image as a success.
    if (echo != m_txAsked) {
        RECV_TRACE("ZoneAlarm::setZoneRev")
            << "answer for" << hex(echo) << "while" << hex(m_txAsked) << "is in flight: ignored";
        return 0;
    }
    if (echo == kZoneErase) {
        sendWrite(0, kZonePieceSize, reinterpret_cast<const uint8_t*>(m_tx.get()), kZonePieceSize, sn);
        writeProgress(25, tr("OP_ZONE_ERASE"));
        return 0;
    }
    if (echo == kZoneReload) {
        emit sig_zoneImageCrc(7, m_tx->crc);
        writeProgress(100, tr("success"));
        return 1;
    }
    if (e + kZonePieceSize < m_txTotal) {
        const uint64_t next = e + kZonePieceSize;
        writeProgress(int(double(next) / kZoneDefSize * 0.6 * 100 + 25),
                      tr("offset:%1 total:%2").arg(hex(next)).arg(hex(kZoneDefSize)));
        sendWrite(uint32_t(next), kZonePieceSize, reinterpret_cast<const uint8_t*>(m_tx.get()) + next,
                  kZonePieceSize, sn);
        return 0;
    }
    sendWrite(kZoneReload, 0, nullptr, 0, sn);
    writeProgress(95, tr("OP_ZONE_RELOAD"));
    return 0;
}
