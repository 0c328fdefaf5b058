#include "heartbeat_parse.h"

#include <cstring>

#include "le_bytes.h"

namespace {

// Text fields are NUL-padded but a full field has no NUL: never read past it.
std::string textAt(const uint8_t* p, size_t off, size_t width) {
    const auto* begin = reinterpret_cast<const char*>(p + off);
    const void* nul = std::memchr(begin, 0, width);
    return std::string(begin, nul ? static_cast<const char*>(nul) - begin : width);
}

void ipAt(const uint8_t* p, size_t off, uint8_t out[4]) {
    std::memcpy(out, p + off, 4);
}

bool magicAt(const uint8_t* p, size_t off) {
    return std::memcmp(p + off, "LiDA", 4) == 0;
}

}  // namespace

HeartbeatKind classifyHeartbeat(const uint8_t* data, size_t len) {
    if (data == nullptr) return HeartbeatKind::None;
    switch (len) {
        case 112:
            return magicAt(data, 0) && le32(data + 4) == 257 ? HeartbeatKind::Status112 : HeartbeatKind::None;
        case 60:
            return magicAt(data, 0) ? HeartbeatKind::Heart60 : HeartbeatKind::None;
        case 80:
            return magicAt(data, 4) ? HeartbeatKind::Heart80 : HeartbeatKind::None;
        case 312:
        case 320:
            return HeartbeatKind::BoxStatus;
        default:
            return HeartbeatKind::None;
    }
}

size_t heartbeatLength(HeartbeatKind kind) {
    switch (kind) {
        case HeartbeatKind::Heart80:
            return 80;
        case HeartbeatKind::Heart60:
            return 60;
        case HeartbeatKind::Status112:
            return 112;
        default:
            return 0;
    }
}

bool parseHeartbeat(const uint8_t* data, size_t len, HeartbeatInfo& out) {
    const HeartbeatKind kind = classifyHeartbeat(data, len);
    HeartbeatInfo info;
    info.kind = kind;
    switch (kind) {
        case HeartbeatKind::Heart80:
            ipAt(data, 10, info.scannerIp);
            ipAt(data, 22, info.uploadIp);
            info.uploadPort = le16(data + 26);
            info.scannerPort = le16(data + 28);
            info.serial = textAt(data, 37, 20);
            info.model = textAt(data, 57, 11);
            break;
        case HeartbeatKind::Heart60:
            info.serial = textAt(data, 4, 20);
            info.model = textAt(data, 24, 12);
            ipAt(data, 38, info.scannerIp);
            ipAt(data, 50, info.uploadIp);
            info.uploadPort = le16(data + 54);
            info.scannerPort = le16(data + 56);
            break;
        case HeartbeatKind::Status112:
            info.serial = textAt(data, 16, 20);
            // The model field's last byte doubles as the box flag, so a
            // 16-character model shows that byte as its last character.
            info.model = textAt(data, 36, 16);
            info.boxConnected = (data[51] & 0x01) != 0;
            ipAt(data, 60, info.scannerIp);
            ipAt(data, 72, info.uploadIp);
            info.uploadPort = le16(data + 76);
            info.scannerPort = le16(data + 78);
            info.hasStatus = true;
            info.linkKind = le16(data + 80);
            info.speed = le16(data + 82);
            info.speed2 = le16(data + 84);
            info.cpu = static_cast<int16_t>(le16(data + 88));
            info.voltageMv = le16(data + 90);
            info.observationZone = data[92] != 0;
            info.alertZone = data[93] != 0;
            info.alarmZone = data[94] != 0;
            info.masking = data[95] != 0;
            info.noData = data[96] != 0;
            info.noZoneActive = data[97] == 0;
            info.systemError = data[98] != 0;
            info.netLinkLost = data[100] == 0;
            info.upgrading = data[101] != 0;
            info.usbLinkLost = data[103] == 0;
            info.noZoneDefined = data[107] == 0;
            break;
        default:
            return false;
    }
    out = std::move(info);
    return true;
}

std::string ipv4Text(const uint8_t ip[4]) {
    return std::to_string(ip[0]) + '.' + std::to_string(ip[1]) + '.' + std::to_string(ip[2]) + '.' +
           std::to_string(ip[3]);
}
