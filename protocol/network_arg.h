#pragma once
// Checks and fixed-width formatting of the network arguments of "LSUDP" and
// "LSDST". Texts that fail these checks must never reach the scanner.

#include <cstdint>
#include <string>

// IPv4 syntax: four '.'-separated decimal parts, each 0..255, digits and dots
// only, no empty part (so no leading or trailing '.').
bool is_dotted_quad(const std::string& text);

// The four octets of a text that passes is_dotted_quad, first octet first.
bool parse_dotted_quad(const std::string& text, uint8_t octets[4]);

// Validates the parameter page's fields and writes the argument:
//   without mask and gateway (LSDST): "%03d.%03d.%03d.%03d %05d"
//   with them (LSUDP): ip, mask, gateway as above then the port.
// Rules: ip first octet >= 10; port 1001..65535 (decimal digits only);
// with mask and gateway: both dotted quads, first mask octet != 0 and
// (gateway & mask) == (ip & mask) over all 32 bits.
// Returns false and leaves `out` untouched when any check fails.
bool format_network_argument(bool withMaskAndGateway, const std::string& ip, const std::string& mask,
                             const std::string& gateway, const std::string& port, std::string& out);

// The same with the port as a number (parameter-file import, octets from a block).
bool format_network_argument(bool withMaskAndGateway, const std::string& ip, const std::string& mask,
                             const std::string& gateway, long port, std::string& out);

// The parameter page's rule for the scan-data destination: a multicast
// destination (first octet 224..239) may lie anywhere, any other must share
// the first three octets with the scanner. False when either text is not a
// dotted quad.
bool is_same_upload_segment(const std::string& uploadIp, const std::string& lidarIp);
