#include "box_protocol.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "command_frame.h"
#include "le_bytes.h"
#include "network_arg.h"

namespace {

// A NUL-terminated text in a fixed field of the datagram; a field without a
// terminator ends at its width.
std::string fieldText(const uint8_t* data, size_t len, size_t offset, size_t width) {
    if (offset >= len) return {};
    const size_t avail = std::min(width, len - offset);
    const char* p = reinterpret_cast<const char*>(data + offset);
    return std::string(p, strnlen(p, avail));
}

void putField(std::vector<uint8_t>& d, size_t offset, const std::string& text) {
    // One byte of the field stays NUL, so the receiver always finds the end.
    const size_t n = std::min(text.size(), kBoxTextWidth - 1);
    std::memcpy(d.data() + offset, text.data(), n);
}

bool allDigits(std::string_view s) {
    return !s.empty() && s.size() <= 9 &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string_view> split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = s.find(sep, start);
        parts.push_back(s.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) break;
        start = at + 1;
    }
    return parts;
}

constexpr struct {
    const char* prefix;
    int kind;
} kReplyPrefixes[] = {
    {"REBOOT", BoxReplyReboot},  {"LSADD:", BoxReplyAdd}, {"LSDEL:", BoxReplyDel},
    {"LSGETS", BoxReplyGets},    {"LSNET:", BoxReplyNet}, {"LSNETS", BoxReplyNets},
    {"LVERSH", BoxReplyVersion},
};

// Datagrams of this length or less that are not replies are not even logged.
constexpr size_t kLogThreshold = 15;

}  // namespace

// ---------------------------------------------------------------- status datagram

bool parse_box_status(const uint8_t* data, size_t len, BoxStatus& out) {
    if (data == nullptr || len < kBoxStatusSize) return false;
    BoxStatus s;
    s.ip = fieldText(data, len, kBoxOffIp, kBoxTextWidth);
    s.mask = fieldText(data, len, kBoxOffMask, kBoxTextWidth);
    s.gateway = fieldText(data, len, kBoxOffGateway, kBoxTextWidth);
    s.declaredCount = le32(data + kBoxOffCount);

    // Scanner i needs its address, state and status word inside the datagram.
    uint32_t fits = 0;
    while (fits < uint32_t(kBoxMaxScanners) && kBoxOffScannerIp + kBoxTextWidth * (fits + 1) <= len &&
           kBoxOffScannerState + fits + 1 <= len && kBoxOffStatusWord + 2 * (fits + 1) <= len)
        ++fits;
    const uint32_t count = std::min(s.declaredCount, fits);
    s.scanners.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        BoxScannerStatus sc;
        sc.address = fieldText(data, len, kBoxOffScannerIp + kBoxTextWidth * i, kBoxTextWidth);
        sc.state = data[kBoxOffScannerState + i];
        sc.statusWord = le16(data + kBoxOffStatusWord + 2 * i);
        s.scanners.push_back(std::move(sc));
    }
    out = std::move(s);
    return true;
}

std::string box_status_address(const uint8_t* data, size_t len) {
    if (data == nullptr || len < kBoxStatusSize) return {};
    return fieldText(data, len, kBoxOffIp, kBoxTextWidth);
}

std::vector<uint8_t> encode_box_status(const BoxStatus& status, size_t size) {
    std::vector<uint8_t> d(std::max(size, kBoxStatusSize), 0);
    putField(d, kBoxOffIp, status.ip);
    putField(d, kBoxOffMask, status.mask);
    putField(d, kBoxOffGateway, status.gateway);
    const size_t n = std::min<size_t>(status.scanners.size(), kBoxMaxScanners);
    for (size_t i = 0; i < n; ++i) {
        putField(d, kBoxOffScannerIp + kBoxTextWidth * i, status.scanners[i].address);
        d[kBoxOffScannerState + i] = status.scanners[i].state;
        put_le16(&d[kBoxOffStatusWord + 2 * i], status.scanners[i].statusWord);
    }
    put_le32(&d[kBoxOffCount], static_cast<uint32_t>(n));
    return d;
}

std::string box_status_bits(uint16_t word) {
    std::string bits;
    for (int b = 15; b >= 0; --b) bits.push_back((word >> b) & 1 ? '1' : '0');
    const size_t firstOne = bits.find('1');
    const size_t keepFrom = std::min(firstOne == std::string::npos ? bits.size() : firstOne, size_t(16 - 12));
    return bits.substr(keepFrom);
}

// ---------------------------------------------------------------- commands and replies

std::vector<uint8_t> encode_box_command(uint16_t sn, std::string_view text) {
    return encode_command_frame(BOX_PACK, sn, text);
}

int classify_box_reply(const uint8_t* data, size_t len, BoxReply& out) {
    out = BoxReply{};
    if (data == nullptr || len < 8 || data[0] != 'L' || data[1] != 'H') return BoxReplyNone;
    const uint16_t code = le16(data + 2);
    out.sn = le16(data + 4);
    if (code == kBoxFirmwareReplyCode) {
        out.kind = BoxReplyFirmware;
        return out.kind;
    }
    if (code != kBoxReplyCode) return BoxReplyNone;
    // The declared length may claim more than arrived: the body ends with the datagram.
    const size_t bodyLen = std::min<size_t>(le16(data + 6), len - 8);
    const char* body = reinterpret_cast<const char*>(data + 8);
    out.body.assign(body, strnlen(body, bodyLen));
    for (const auto& p : kReplyPrefixes) {
        if (out.body.compare(0, 6, p.prefix) == 0) {
            out.kind = p.kind;
            return out.kind;
        }
    }
    return BoxReplyNone;
}

std::vector<uint8_t> encode_box_reply(uint16_t sn, std::string_view body) {
    // A reply is laid out like a request, with the reply code in the mode field.
    return encode_command_frame(kBoxReplyCode, sn, body);
}

int box_change_reply_kind(std::string_view command) {
    for (const auto& p : kReplyPrefixes) {
        const bool change = p.kind == BoxReplyAdd || p.kind == BoxReplyDel || p.kind == BoxReplyNet;
        if (change && command.compare(0, 6, p.prefix) == 0) return p.kind;
    }
    return BoxReplyNone;
}

std::string box_hex_text(const uint8_t* data, size_t len) {
    if (data == nullptr || len <= kLogThreshold) return {};
    std::string text;
    text.reserve(len * 2);
    char pair[3];
    for (size_t i = 0; i < len; ++i) {
        std::snprintf(pair, sizeof pair, "%.2x", data[i]);
        text += pair;
    }
    return text;
}

std::string box_reply_value(std::string_view body) {
    const size_t colon = body.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(body.substr(colon + 1));
}

// ---------------------------------------------------------------- scanner entry lists

std::string format_box_entries(const std::vector<BoxScannerEntry>& entries) {
    std::string text;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i) text += '|';
        text += entries[i].ip + ' ' + std::to_string(entries[i].port) + ' ' + std::to_string(entries[i].io);
    }
    return text;
}

std::string box_cmd_add(const std::vector<BoxScannerEntry>& entries) {
    return "LSADD:" + format_box_entries(entries);
}

std::string box_cmd_del(const std::vector<BoxScannerEntry>& entries) {
    return "LSDEL:" + format_box_entries(entries);
}

std::string box_cmd_net(const std::string& ip, const std::string& mask, const std::string& gateway) {
    return "LSNET:" + ip + ' ' + mask + ' ' + gateway;
}

std::vector<BoxScannerEntry> parse_box_entries(std::string_view replyBody) {
    std::vector<BoxScannerEntry> entries;
    const size_t colon = replyBody.find(':');
    if (colon == std::string_view::npos) return entries;
    for (std::string_view entry : split(replyBody.substr(colon + 1), '|')) {
        const std::vector<std::string_view> parts = split(entry, ' ');
        if (parts.size() != 3 || parts[0].empty() || !allDigits(parts[1]) || !allDigits(parts[2])) continue;
        BoxScannerEntry e;
        e.ip = std::string(parts[0]);
        e.port = std::stoi(std::string(parts[1]));
        e.io = std::stoi(std::string(parts[2]));
        entries.push_back(std::move(e));
    }
    return entries;
}

bool parse_box_network(std::string_view replyBody, std::string& ip, std::string& mask, std::string& gateway) {
    const size_t colon = replyBody.find(':');
    if (colon == std::string_view::npos) return false;
    std::vector<std::string> found;
    std::string current;
    const std::string_view rest = replyBody.substr(colon + 1);
    for (size_t i = 0; i <= rest.size() && found.size() < 3; ++i) {
        const char c = i < rest.size() ? rest[i] : '\0';
        if ((c >= '0' && c <= '9') || c == '.') {
            current.push_back(c);
            continue;
        }
        if (is_dotted_quad(current)) found.push_back(current);
        current.clear();
    }
    if (found.size() < 3) return false;
    ip = found[0];
    mask = found[1];
    gateway = found[2];
    return true;
}

BoxRowCheck check_box_row(const std::string& row, std::string* ip, int* port) {
    const std::vector<std::string_view> parts = split(row, ':');
    if (parts.size() != 2) return BoxRowCheck::FormatError;
    const int value = allDigits(parts[1]) ? std::stoi(std::string(parts[1])) : 0;
    if (value < 1000 || value > 65535) return BoxRowCheck::PortRangeError;
    if (row.size() < 12) return BoxRowCheck::FormatError;
    if (!is_dotted_quad(std::string(parts[0]))) return BoxRowCheck::IpError;
    if (ip) *ip = std::string(parts[0]);
    if (port) *port = value;
    return BoxRowCheck::Ok;
}
