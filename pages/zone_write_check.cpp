#include "zone_write_check.h"

#include <cstring>

#include "command_frame.h"
#include "le_bytes.h"
#include "zone_image.h"

ZoneWriteCheck::ZoneWriteCheck(QObject* parent)
    : QObject(parent), m_sent(std::make_unique<ZoneWriteCapture>()) {}

ZoneWriteCheck::~ZoneWriteCheck() = default;

void ZoneWriteCheck::recv_ZoneCMD(int, QString, int, int mode, int, int, QByteArray cmd, bool) {
    if (mode != ZONE_WRITE_PACK) return;
    const auto* body = reinterpret_cast<const uint8_t*>(cmd.constData());
    const bool erase = cmd.size() >= 8 && le32(body + 4) == kZoneErase;
    if (erase) m_state = State::Writing;
    if (m_state == State::Writing) m_sent->add(body, size_t(cmd.size()));
}

bool ZoneWriteCheck::writeFinished(bool ok) {
    if (m_state != State::Writing) return false;
    if (!ok || !m_sent->complete()) {
        cancel();
        return false;
    }
    m_state = State::ReadingBack;
    return true;
}

void ZoneWriteCheck::imageRead(const QByteArray& image) {
    if (m_state != State::ReadingBack) return;
    if (image.size() != int(sizeof(ZoneDef))) {
        readFailed();
        return;
    }
    auto readBack = std::make_unique<ZoneDef>();
    std::memcpy(readBack.get(), image.constData(), sizeof(ZoneDef));
    ZoneImageDifference diff;
    const bool equal = zone_images_equal(m_sent->image(), *readBack, &diff);
    cancel();
    if (equal)
        emit sig_result(true,
                        tr("Zones written and verified (CRC %1)")
                            .arg(QStringLiteral("0x") +
                                 QStringLiteral("%1").arg(readBack->crc, 8, 16, QLatin1Char('0')).toUpper()));
    else
        emit sig_result(false, tr("Zone %1 read back differs from what was written")
                                   .arg(QString::number(diff.zone, 16).toUpper()));
}

void ZoneWriteCheck::readFailed() {
    if (m_state != State::ReadingBack) return;
    cancel();
    emit sig_result(false, tr("Zones written, but reading them back for the check failed"));
}

void ZoneWriteCheck::cancel() {
    m_state = State::Idle;
    m_sent->reset();
}
