#include "fleet.h"

#include <cstring>
#include <string>

namespace sim {

QByteArray buildFleetHeartbeat(HeartbeatKind kind, const DeviceState& state, HeartbeatLink link, int member) {
    if (member <= 0) return buildHeartbeat(kind, state, link);
    DeviceState other = state;
    EEpromV101& b = other.block();
    const std::string serial = other.serialNumber().toStdString() + "-" + std::to_string(member);
    // The member number is what tells the members apart: keep it when the
    // serial number has to be cut to its field.
    const size_t width = sizeof b.productSn;
    const std::string cut = serial.size() <= width ? serial : serial.substr(serial.size() - width);
    std::memset(b.productSn, 0, width);
    std::memcpy(b.productSn, cut.data(), cut.size());
    b.ip[0] = 10;
    b.ip[1] = 77;
    b.ip[2] = static_cast<uint8_t>(member / 254);
    b.ip[3] = static_cast<uint8_t>(member % 254 + 1);
    return buildHeartbeat(kind, other, link);
}

}  // namespace sim
