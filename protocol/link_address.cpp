#include "link_address.h"

#include <arpa/inet.h>

#include <cerrno>
#include <cstdlib>

namespace {

const char kForms[] =
    "expected udp://IP:PORT[?local=PORT], tcp://IP:PORT, uart:///dev/PATH?baud=N or vpc:///dev/PATH[?baud=N]";

// A decimal number in [lo, hi], nothing else.
bool parseNumber(const std::string& s, long lo, long hi, int& out) {
    if (s.empty() || s.size() > 9) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    const long v = std::strtol(s.c_str(), nullptr, 10);
    if (v < lo || v > hi) return false;
    out = int(v);
    return true;
}

bool isIpv4(const std::string& s) {
    in_addr a{};
    return inet_pton(AF_INET, s.c_str(), &a) == 1;
}

// Splits "key=value&key=value" into the one key the scheme allows.
bool parseQuery(const std::string& query, const std::string& key, std::string& value, std::string& error) {
    if (query.empty()) return true;
    size_t pos = 0;
    bool seen = false;
    while (pos <= query.size()) {
        const size_t amp = query.find('&', pos);
        const std::string item = query.substr(pos, amp == std::string::npos ? std::string::npos : amp - pos);
        const size_t eq = item.find('=');
        if (eq == std::string::npos || item.substr(0, eq) != key) {
            error = "unknown option '" + item + "' (only " + key + "=N)";
            return false;
        }
        if (seen) {
            error = key + " given twice";
            return false;
        }
        seen = true;
        value = item.substr(eq + 1);
        if (amp == std::string::npos) break;
        pos = amp + 1;
    }
    return true;
}

bool fail(const std::string& text, const std::string& why, std::string& error) {
    error = "bad link '" + text + "': " + why;
    return false;
}

}  // namespace

bool parseLink(const std::string& text, LinkAddress& out, std::string& error) {
    const size_t sep = text.find("://");
    if (sep == std::string::npos) return fail(text, kForms, error);
    const std::string scheme = text.substr(0, sep);
    std::string rest = text.substr(sep + 3);
    std::string query;
    const size_t q = rest.find('?');
    if (q != std::string::npos) {
        query = rest.substr(q + 1);
        rest.resize(q);
    }
    LinkAddress link;

    if (scheme == "udp" || scheme == "tcp") {
        const size_t colon = rest.rfind(':');
        if (colon == std::string::npos) return fail(text, "missing :PORT", error);
        link.address = rest.substr(0, colon);
        if (!isIpv4(link.address)) return fail(text, "'" + link.address + "' is not an IPv4 address", error);
        // TCP uses PORT and PORT + 1.
        const long maxPort = scheme == "tcp" ? 65534 : 65535;
        if (!parseNumber(rest.substr(colon + 1), 1, maxPort, link.port))
            return fail(text, "port must be a number 1.." + std::to_string(maxPort), error);
        if (scheme == "udp") {
            link.type = "UDP";
            std::string local, why;
            if (!parseQuery(query, "local", local, why)) return fail(text, why, error);
            if (!query.empty()) {
                if (!parseNumber(local, 1, 65535, link.localPort))
                    return fail(text, "local port must be a number 1..65535", error);
                link.localGiven = true;
            }
        } else {
            link.type = "TCP";
            if (!query.empty()) return fail(text, "tcp:// takes no options", error);
        }
    } else if (scheme == "uart" || scheme == "vpc") {
        link.type = scheme == "uart" ? "UART" : "VPC";
        if (rest.size() < 2 || rest[0] != '/') return fail(text, "expected an absolute device path", error);
        link.address = rest;
        std::string baud, why;
        if (!parseQuery(query, "baud", baud, why)) return fail(text, why, error);
        if (query.empty()) {
            // A plain-text UART only answers at its own rate; guessing would just look like silence.
            if (link.type == "UART") return fail(text, "uart:// needs ?baud=N", error);
            link.baud = kLinkDefaultVpcBaud;
        } else if (!parseNumber(baud, 50, 20000000, link.baud)) {
            return fail(text, "baud must be a number 50..20000000", error);
        }
    } else {
        return fail(text, "unknown scheme '" + scheme + "', " + kForms, error);
    }
    out = link;
    return true;
}

std::string linkText(const LinkAddress& link) {
    if (link.type == "UDP" || link.type == "TCP") {
        std::string s =
            (link.type == "UDP" ? "udp://" : "tcp://") + link.address + ":" + std::to_string(link.port);
        return s;
    }
    return (link.type == "UART" ? "uart://" : "vpc://") + link.address + "?baud=" + std::to_string(link.baud);
}
