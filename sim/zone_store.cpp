#include "zone_store.h"

#include <QDateTime>
#include <QFile>
#include <cstring>
#include <memory>

#include "command_frame.h"
#include "crc32.h"
#include "frame_splitter.h"
#include "le_bytes.h"
#include "zone_image.h"

namespace {

void putU32(QByteArray& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.append(static_cast<char>(v >> (8 * i)));
}

uint32_t getU32(const QByteArray& b, int at) {
    return le32(reinterpret_cast<const uint8_t*>(b.constData()) + at);
}

uint16_t getU16(const QByteArray& b, int at) {
    return le16(reinterpret_cast<const uint8_t*>(b.constData()) + at);
}

uint32_t wordsCrc(const QByteArray& b) {
    return crc32_words(b.constData(), size_t(b.size()) / 4);
}

}  // namespace

ZoneStore::ZoneStore() {
    zones empty;
    auto def = std::make_unique<ZoneDef>();  // 208 KiB: not on the caller's stack
    zones_to_zonedef(empty, false, static_cast<uint32_t>(QDateTime::currentSecsSinceEpoch()), *def);
    m_image = QByteArray(reinterpret_cast<const char*>(def.get()), int(sizeof(ZoneDef)));
}

std::vector<QByteArray> ZoneStore::handle(uint16_t mode, uint16_t sn, const QByteArray& body) {
    if (mode == ZONE_READ_PACK) return {sim::encodeReplyFrame(mode, sn, handleRead(body))};
    if (mode == ZONE_WRITE_PACK) {
        // A request sent again (same sequence number, same body: its answer
        // was lost) gets the same answer again, the way a scanner that keeps
        // its last answer does; doing it twice would, for a reload, refuse the
        // image the first one just stored.
        if (sn == m_lastWriteSn && body == m_lastWriteBody && !m_lastWriteReply.isEmpty())
            return {sim::encodeReplyFrame(mode, sn, m_lastWriteReply)};
        m_lastWriteSn = sn;
        m_lastWriteBody = body;
        m_lastWriteReply = handleWrite(body);
        return {sim::encodeReplyFrame(mode, sn, m_lastWriteReply)};
    }
    return {};
}

QByteArray ZoneStore::handleRead(const QByteArray& body) const {
    QByteArray reply;
    if (body.size() < 12 || getU32(body, 0) != kZoneVersion || !m_valid ||
        m_fault == ZoneFault::ErrorResult) {
        putU32(reply, 0);  // no usable image
        putU32(reply, body.size() >= 8 ? getU32(body, 4) : 0);
        putU32(reply, 0);
        return reply;
    }
    const uint32_t offset = getU32(body, 4);
    const uint32_t length = getU32(body, 8);
    const uint32_t size = uint32_t(m_image.size());
    putU32(reply, kZoneVersion);
    if (offset == kZoneSizeQuery) {
        putU32(reply, kZoneSizeAnswer);
        putU32(reply, 0);
        putU32(reply, m_fault == ZoneFault::WrongSize ? size + 512 : size);
        putU32(reply, m_fault == ZoneFault::BadCrc ? ~wordsCrc(m_image) : wordsCrc(m_image));
        reply.append(QByteArray(int(kZonePieceSize) - 8, '\0'));
        return reply;
    }
    putU32(reply, offset);
    if (length != kZonePieceSize || uint64_t(offset) + kZonePieceSize > size) {
        putU32(reply, 0);  // nothing to send: length 0
        return reply;
    }
    const int n = m_fault == ZoneFault::ShortPiece ? int(kZonePieceSize) - 1 : int(kZonePieceSize);
    putU32(reply, uint32_t(n));
    reply.append(m_image.mid(int(offset), n));
    return reply;
}

QByteArray ZoneStore::handleWrite(const QByteArray& body) {
    uint32_t result = ResultOk;
    const char* text = "";
    const uint32_t offset = body.size() >= 8 ? getU32(body, 4) : 0;
    if (body.size() < 12 || getU32(body, 0) != kZoneVersion) {
        result = ResultShortRequest;
        text = "short request";
    } else if (m_fault == ZoneFault::ErrorResult) {
        result = ResultBusy;
        text = "flash busy";
    } else if (offset == kZoneErase) {
        if (body.size() < 20 || getU32(body, 12) != kZoneDefSize) {
            result = ResultBadSize;
            text = "bad size";
        } else {
            m_staging = QByteArray(int(kZoneDefSize), '\0');
            m_expectedCrc = getU32(body, 16);
            m_erased = true;
            m_valid = false;
        }
    } else if (offset == kZoneReload) {
        if (!m_erased) {
            result = ResultNotErased;
            text = "not erased";
        } else if (wordsCrc(m_staging) != m_expectedCrc) {
            result = ResultCrcMismatch;
            text = "crc mismatch";
        } else {
            auto def = std::make_unique<ZoneDef>();
            std::memcpy(def.get(), m_staging.constData(), sizeof(ZoneDef));
            if (!zonedef_header_ok(*def)) {
                result = ResultBadHeader;
                text = "bad zone header";
            } else {
                m_image = m_staging;
                m_valid = true;
                m_erased = false;
                if (m_fault == ZoneFault::CorruptStore) corruptStoredImage();
            }
        }
    } else {
        const uint16_t length = getU16(body, 8);
        if (!m_erased) {
            result = ResultNotErased;
            text = "not erased";
        } else if (length != kZonePieceSize || offset % kZonePieceSize != 0 ||
                   uint64_t(offset) + kZonePieceSize > kZoneDefSize ||
                   body.size() < int(kZoneReplyHeaderSize + kZonePieceSize)) {
            result = ResultBadPiece;
            text = "bad piece";
        } else {
            std::memcpy(m_staging.data() + offset, body.constData() + kZoneReplyHeaderSize, kZonePieceSize);
        }
    }
    QByteArray reply;
    putU32(reply, kZoneVersion);
    putU32(reply, offset);
    putU32(reply, result);
    if (result != ResultOk) reply.append(text).append('\0');
    return reply;
}

void ZoneStore::corruptStoredImage() {
    // The first zone that holds shapes (zone 0 when none does) loses one bit
    // in the first used byte of its direction table.
    auto* def = reinterpret_cast<ZoneDef*>(m_image.data());
    int zone = 0;
    while (zone < kZoneCount && def->records[zone][0] == 0) ++zone;
    if (zone == kZoneCount) zone = 0;
    uint8_t* table = def->tables[zone];
    size_t at = 0;
    while (at + 1 < kZoneTableUsed && table[at] == 0) ++at;
    table[at] ^= 0x01;
    def->crc = zonedef_crc(*def);
}

QByteArray ZoneStore::image() const {
    return m_image;
}

void ZoneStore::setImage(const QByteArray& image) {
    if (image.size() != int(kZoneDefSize)) return;
    m_image = image;
    m_valid = true;
    m_erased = false;
}

bool ZoneStore::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray data = file.read(int(kZoneDefSize) + 1);
    if (data.size() != int(kZoneDefSize)) return false;
    setImage(data);
    return true;
}

bool ZoneStore::save(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(m_image) == m_image.size() && file.flush();
}

void ZoneStore::setFault(ZoneFault fault) {
    m_fault = fault;
}

ZoneFault ZoneStore::parseFault(const QString& text, bool* ok) {
    static const struct {
        const char* name;
        ZoneFault fault;
    } kNames[] = {{"none", ZoneFault::None},
                  {"wrong-size", ZoneFault::WrongSize},
                  {"short-piece", ZoneFault::ShortPiece},
                  {"bad-crc", ZoneFault::BadCrc},
                  {"error", ZoneFault::ErrorResult},
                  {"corrupt-store", ZoneFault::CorruptStore}};
    for (const auto& n : kNames)
        if (text == QLatin1String(n.name)) {
            if (ok) *ok = true;
            return n.fault;
        }
    if (ok) *ok = false;
    return ZoneFault::None;
}
