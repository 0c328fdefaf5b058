#pragma once
// Who announces which IPv4 address. Two scanners with different serial
// numbers or MAC addresses, or an algorithm box and a scanner, announcing the
// same address are a conflict: only one of them can be reached there.
//
// A plain value used on one thread (the device list on the GUI thread, the
// command-line tool on its main thread). Every call is O(log n) in the number
// of addresses, so it keeps up with hundreds of announcing devices.

#include <map>
#include <set>
#include <string>
#include <vector>

class AddressClaims {
public:
    struct Claim {
        std::set<std::string> serials;  // non-empty serial numbers heard at this address
        std::set<std::string> macs;     // MAC addresses looked up for it
        bool scanner = false;           // a scanner announced it
        bool box = false;               // an algorithm box announced it
        bool conflict() const { return serials.size() > 1 || macs.size() > 1 || (box && scanner); }
    };

    // Each returns true when the address's conflict state changed.
    // A scanner heartbeat for `ip` (serial may be empty: not known).
    bool addScanner(const std::string& ip, const std::string& serial);
    // The MAC address found for a scanner at `ip`; texts that are not a MAC
    // address (look-up errors) are not counted.
    bool addMac(const std::string& ip, const std::string& mac);
    // An algorithm box status datagram for `ip`.
    bool addBox(const std::string& ip);

    bool isConflict(const std::string& ip) const;
    // The conflicting addresses, sorted.
    std::vector<std::string> conflicts() const;
    const Claim* claim(const std::string& ip) const;
    void clear() { m_claims.clear(); }

private:
    template <typename Change>
    bool update(const std::string& ip, Change change);

    std::map<std::string, Claim> m_claims;
};

// "aa-bb-cc-dd-ee-ff" (or with ':'), hex digits of either case.
bool isMacText(const std::string& text);
