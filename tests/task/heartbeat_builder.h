#pragma once
// Heartbeat datagrams built by hand from their wire layout, for the parser
// and the worker tests. Little-endian integers, addresses one octet per byte
// most significant first, texts NUL-padded in their fields.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace hb {

inline void put16(std::vector<uint8_t>& d, size_t off, uint16_t v) {
    d[off] = static_cast<uint8_t>(v);
    d[off + 1] = static_cast<uint8_t>(v >> 8);
}

inline void putText(std::vector<uint8_t>& d, size_t off, size_t width, const std::string& s) {
    std::memcpy(d.data() + off, s.data(), std::min(width, s.size()));
}

inline void putIp(std::vector<uint8_t>& d, size_t off, uint8_t a, uint8_t b, uint8_t c, uint8_t e) {
    d[off] = a;
    d[off + 1] = b;
    d[off + 2] = c;
    d[off + 3] = e;
}

// 80 bytes: "LiDA" at 4, scanner 192.168.1.88:2368, upload 192.168.1.10:6543.
inline std::vector<uint8_t> heart80(const std::string& serial, const std::string& model) {
    std::vector<uint8_t> d(80, 0);
    putText(d, 4, 4, "LiDA");
    putIp(d, 10, 192, 168, 1, 88);
    putIp(d, 22, 192, 168, 1, 10);
    put16(d, 26, 6543);
    put16(d, 28, 2368);
    putText(d, 37, 20, serial);
    putText(d, 57, 11, model);
    return d;
}

// 60 bytes: "LiDA" at 0, scanner 10.0.0.7:3000, upload 10.0.0.1:3001.
inline std::vector<uint8_t> heart60(const std::string& serial, const std::string& model) {
    std::vector<uint8_t> d(60, 0);
    putText(d, 0, 4, "LiDA");
    putText(d, 4, 20, serial);
    putText(d, 24, 12, model);
    putIp(d, 38, 10, 0, 0, 7);
    putIp(d, 50, 10, 0, 0, 1);
    put16(d, 54, 3001);
    put16(d, 56, 3000);
    return d;
}

// 112 bytes: "LiDA" at 0, version 257 at 4, scanner 172.16.5.4:2112, upload
// 172.16.5.1:2113, link kind TCP, all status bytes "fine" (zone active,
// links up, zone defined).
inline std::vector<uint8_t> status112(const std::string& serial, const std::string& model) {
    std::vector<uint8_t> d(112, 0);
    putText(d, 0, 4, "LiDA");
    d[4] = 0x01;
    d[5] = 0x01;
    putText(d, 16, 20, serial);
    putText(d, 36, 16, model);
    putIp(d, 60, 172, 16, 5, 4);
    putIp(d, 72, 172, 16, 5, 1);
    put16(d, 76, 2113);
    put16(d, 78, 2112);
    put16(d, 80, 3);
    put16(d, 82, 150);
    put16(d, 84, 1234);
    put16(d, 88, static_cast<uint16_t>(-57));
    put16(d, 90, 24100);
    d[97] = 1;
    d[100] = 1;
    d[103] = 1;
    d[107] = 1;
    return d;
}

}  // namespace hb
