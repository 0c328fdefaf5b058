#pragma once
// The link text shared by vantrel-cli and the window's --connect option:
//
//   udp://IP:PORT[?local=PORT]   scanner at IP:PORT; scan data on local PORT (default 6668)
//   tcp://IP:PORT                commands on PORT, scan data on PORT + 1
//   uart:///dev/PATH?baud=N      plain-text serial scanner
//   vpc:///dev/PATH[?baud=N]     framed (USB virtual) serial scanner, default 115200 baud

#include <string>

struct LinkAddress {
    std::string type;         // "UDP", "TCP", "UART" or "VPC", as the workers name link types
    std::string address;      // dotted IPv4 address, or the serial device path
    int port = 0;             // scanner port (UDP, TCP); 0 on serial links
    int localPort = 6668;     // UDP: local port for the scan data
    bool localGiven = false;  // UDP: the local port was asked for explicitly (no fall-back)
    int baud = 0;             // serial links
};

constexpr int kLinkDefaultLocalPort = 6668;
constexpr int kLinkDefaultVpcBaud = 115200;

// Parses `text`; on failure returns false and sets `error` to one line naming
// what is wrong.
bool parseLink(const std::string& text, LinkAddress& out, std::string& error);

// "udp://127.0.0.2:6543" style text of a parsed link, for messages.
std::string linkText(const LinkAddress& link);
