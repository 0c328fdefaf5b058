#include "heartbeat.h"

#include <cstring>

#include "le_bytes.h"

namespace sim {

namespace {

void put16(QByteArray& b, int at, uint16_t v) {
    put_le16(reinterpret_cast<uint8_t*>(b.data()) + at, v);
}

void putBytes(QByteArray& b, int at, const void* src, int n) {
    std::memcpy(b.data() + at, src, static_cast<size_t>(n));
}

// Text fields are NUL-padded and never run past their width.
void putText(QByteArray& b, int at, const char* text, int textSize, int width) {
    const int n = static_cast<int>(strnlen(text, static_cast<size_t>(textSize)));
    putBytes(b, at, text, std::min(n, width));
}

}  // namespace

QByteArray buildHeartbeat(HeartbeatKind kind, const DeviceState& state, HeartbeatLink link) {
    const EEpromV101& e = state.block();
    switch (kind) {
        case HeartbeatKind::Off:
            return {};
        case HeartbeatKind::Short80: {
            QByteArray b(80, '\0');
            putBytes(b, 4, "LiDA", 4);
            putBytes(b, 10, e.ip, 4);
            putBytes(b, 22, e.uploadIp, 4);
            put16(b, 26, e.uploadPort);
            put16(b, 28, e.lidarPort);
            putText(b, 37, e.productSn, sizeof e.productSn, 20);
            putText(b, 57, e.typeId, sizeof e.typeId, 11);
            return b;
        }
        case HeartbeatKind::Short60: {
            QByteArray b(60, '\0');
            putBytes(b, 0, "LiDA", 4);
            putText(b, 4, e.productSn, sizeof e.productSn, 20);
            putText(b, 24, e.typeId, sizeof e.typeId, 12);
            putBytes(b, 38, e.ip, 4);
            putBytes(b, 50, e.uploadIp, 4);
            put16(b, 54, e.uploadPort);
            put16(b, 56, e.lidarPort);
            return b;
        }
        case HeartbeatKind::Status112:
            break;
    }
    QByteArray b(112, '\0');
    putBytes(b, 0, "LiDA", 4);
    b[4] = 0x01;  // format version 257
    b[5] = 0x01;
    putText(b, 16, e.productSn, sizeof e.productSn, 20);
    // Byte 51 is the box flag, so the model text has at most 15 characters.
    putText(b, 36, e.typeId, sizeof e.typeId, 15);
    putBytes(b, 60, e.ip, 4);
    putBytes(b, 72, e.uploadIp, 4);
    put16(b, 76, e.uploadPort);
    put16(b, 78, e.lidarPort);
    put16(b, 80, static_cast<uint16_t>(link));
    put16(b, 82, static_cast<uint16_t>(e.rpm * 10));        // shown / 10
    put16(b, 84, static_cast<uint16_t>(e.rpm * 100 / 60));  // revolutions per second, shown / 100
    put16(b, 88, 415);                                      // 41.5 degrees
    put16(b, 90, 24000);                                    // millivolts
    const uint32_t fault = state.faultWord();
    b[92] = (fault & 0x1000) ? 1 : 0;   // observation zone
    b[93] = (fault & 0x2000) ? 1 : 0;   // alert zone
    b[94] = (fault & 0x4000) ? 1 : 0;   // alarm zone
    b[95] = (fault & 0x8000) ? 1 : 0;   // masking
    b[96] = (fault & 0x10000) ? 1 : 0;  // no data
    b[97] = state.zonesSupported() ? 1 : 0;
    b[98] = (fault & 0xC0000) ? 1 : 0;
    b[100] = 1;  // network link up
    b[101] = (fault & 0x200000) ? 1 : 0;
    b[103] = 1;  // USB link up
    b[107] = (state.zonesSupported() && !(fault & 0x20000)) ? 1 : 0;
    return b;
}

}  // namespace sim
