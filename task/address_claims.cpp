#include "address_claims.h"

#include <cctype>

template <typename Change>
bool AddressClaims::update(const std::string& ip, Change change) {
    if (ip.empty()) return false;
    Claim& claim = m_claims[ip];
    const bool before = claim.conflict();
    change(claim);
    return claim.conflict() != before;
}

bool AddressClaims::addScanner(const std::string& ip, const std::string& serial) {
    return update(ip, [&](Claim& c) {
        c.scanner = true;
        if (!serial.empty()) c.serials.insert(serial);
    });
}

bool AddressClaims::addMac(const std::string& ip, const std::string& mac) {
    if (!isMacText(mac)) return false;
    std::string lower;
    for (char ch : mac) lower.push_back(ch == ':' ? '-' : char(std::tolower(static_cast<unsigned char>(ch))));
    return update(ip, [&](Claim& c) { c.macs.insert(lower); });
}

bool AddressClaims::addBox(const std::string& ip) {
    return update(ip, [](Claim& c) { c.box = true; });
}

bool AddressClaims::isConflict(const std::string& ip) const {
    const Claim* c = claim(ip);
    return c && c->conflict();
}

std::vector<std::string> AddressClaims::conflicts() const {
    std::vector<std::string> ips;
    for (const auto& [ip, c] : m_claims)
        if (c.conflict()) ips.push_back(ip);
    return ips;
}

const AddressClaims::Claim* AddressClaims::claim(const std::string& ip) const {
    const auto it = m_claims.find(ip);
    return it == m_claims.end() ? nullptr : &it->second;
}

bool isMacText(const std::string& text) {
    if (text.size() != 17) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i % 3 == 2) {
            if (c != '-' && c != ':') return false;
        } else if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}
