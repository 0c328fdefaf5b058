#pragma once
// A parameter block of a network scanner for tests that need plausible
// addresses: 192.168.1.10/24 with gateway 192.168.1.1, port 2111, sending its
// scan data to 192.168.1.100:2368. Everything else is zero.

#include <algorithm>
#include <cstring>

#include "eeprom.h"

namespace testsupport {

inline EEpromV101 sampleNetworkBlock(const char* model = "") {
    EEpromV101 b;
    std::memset(&b, 0, sizeof b);
    std::memcpy(b.typeId, model, std::min(std::strlen(model), sizeof b.typeId));
    const uint8_t ip[4] = {192, 168, 1, 10}, mask[4] = {255, 255, 255, 0}, gw[4] = {192, 168, 1, 1},
                  up[4] = {192, 168, 1, 100};
    std::memcpy(b.ip, ip, 4);
    std::memcpy(b.mask, mask, 4);
    std::memcpy(b.gateway, gw, 4);
    std::memcpy(b.uploadIp, up, 4);
    b.uploadPort = 2368;
    b.lidarPort = 2111;
    return b;
}

}  // namespace testsupport
