#include "network_arg.h"

#include <cstdio>

namespace {

uint32_t toWord(const uint8_t o[4]) {
    return uint32_t(o[0]) << 24 | uint32_t(o[1]) << 16 | uint32_t(o[2]) << 8 | o[3];
}

}  // namespace

bool parse_dotted_quad(const std::string& text, uint8_t octets[4]) {
    int part = 0;
    int digits = 0;
    unsigned value = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : '.';
        if (c == '.') {
            // An empty part covers a leading '.', a trailing '.' and "..".
            if (digits == 0 || part >= 4) return false;
            octets[part++] = static_cast<uint8_t>(value);
            digits = 0;
            value = 0;
        } else if (c >= '0' && c <= '9') {
            ++digits;
            value = value * 10 + unsigned(c - '0');
            // Checked per digit so that a long run of digits cannot overflow.
            if (value > 255) return false;
        } else {
            return false;
        }
    }
    return part == 4;
}

bool is_dotted_quad(const std::string& text) {
    uint8_t octets[4];
    return parse_dotted_quad(text, octets);
}

bool format_network_argument(bool withMaskAndGateway, const std::string& ip, const std::string& mask,
                             const std::string& gateway, long port, std::string& out) {
    uint8_t a[4];
    if (!parse_dotted_quad(ip, a) || a[0] < 10) return false;
    if (port < 1001 || port > 65535) return false;
    char text[64];
    if (!withMaskAndGateway) {
        std::snprintf(text, sizeof text, "%03d.%03d.%03d.%03d %05d", a[0], a[1], a[2], a[3], int(port));
        out = text;
        return true;
    }
    uint8_t m[4], g[4];
    if (!parse_dotted_quad(mask, m) || !parse_dotted_quad(gateway, g)) return false;
    if (m[0] == 0) return false;
    if ((toWord(g) & toWord(m)) != (toWord(a) & toWord(m))) return false;
    std::snprintf(text, sizeof text, "%03d.%03d.%03d.%03d %03d.%03d.%03d.%03d %03d.%03d.%03d.%03d %05d", a[0],
                  a[1], a[2], a[3], m[0], m[1], m[2], m[3], g[0], g[1], g[2], g[3], int(port));
    out = text;
    return true;
}

bool format_network_argument(bool withMaskAndGateway, const std::string& ip, const std::string& mask,
                             const std::string& gateway, const std::string& port, std::string& out) {
    // Digits only, and at most six of them: anything longer is out of range anyway.
    if (port.empty() || port.size() > 6) return false;
    long value = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return format_network_argument(withMaskAndGateway, ip, mask, gateway, value, out);
}

bool is_same_upload_segment(const std::string& uploadIp, const std::string& lidarIp) {
    uint8_t up[4], lidar[4];
    if (!parse_dotted_quad(uploadIp, up) || !parse_dotted_quad(lidarIp, lidar)) return false;
    if (up[0] >= 224 && up[0] <= 239) return true;
    return up[0] == lidar[0] && up[1] == lidar[1] && up[2] == lidar[2];
}
