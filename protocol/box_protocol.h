#pragma once
// The algorithm box on the wire: its status datagram (multicast on the
// heartbeat group), its command frames and replies on UDP port 6666, and the
// scanner entry lists its commands carry. Plain functions over byte buffers;
// no state, callable from any thread.
//
// Integers are little-endian. Text fields of the status datagram are ASCII,
// NUL-terminated inside their 16-byte fields; a field without a terminator is
// read up to its width and never beyond.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int kBoxCommandPort = 6666;

// ---------------------------------------------------------------- status datagram

constexpr size_t kBoxStatusSize = 312;  // the record; a 320-byte datagram carries 8 more, ignored
constexpr size_t kBoxStatusLongSize = 320;
constexpr int kBoxMaxScanners = 8;  // the per-scanner fields overlap beyond the eighth
constexpr size_t kBoxTextWidth = 16;

// Offsets inside the record.
constexpr size_t kBoxOffIp = 0;
constexpr size_t kBoxOffMask = 16;
constexpr size_t kBoxOffGateway = 32;
constexpr size_t kBoxOffScannerIp = 52;      // + 16 * i
constexpr size_t kBoxOffScannerState = 212;  // + i
constexpr size_t kBoxOffStatusWord = 220;    // + 2 * i
constexpr size_t kBoxOffCount = 304;

// Indicator colour of an attached scanner.
enum class BoxScannerState : uint8_t { Grey = 0, Yellow = 1, Green = 2, Red = 3 };

struct BoxScannerStatus {
    std::string address;      // scanner address text
    uint8_t state = 0;        // 0 grey, 1 yellow, 2 green, 3 red; other values: no colour
    uint16_t statusWord = 0;  // shown bit by bit
};

struct BoxStatus {
    std::string ip;  // also the box's name in the box list
    std::string mask;
    std::string gateway;
    uint32_t declaredCount = 0;  // the count as sent, before it was bounded
    std::vector<BoxScannerStatus> scanners;
};

// Decodes a status datagram. False (out untouched) when it is shorter than
// the 312-byte record. The scanner count is bounded by kBoxMaxScanners and by
// what the datagram's length holds.
bool parse_box_status(const uint8_t* data, size_t len, BoxStatus& out);

// The box address text at offset 0 of a datagram (empty when too short).
std::string box_status_address(const uint8_t* data, size_t len);

// Builds a status datagram of `size` bytes (312 or 320): the simulator's and
// the tests' counterpart of parse_box_status. Texts longer than 15 characters
// and scanners beyond the eighth are cut.
std::vector<uint8_t> encode_box_status(const BoxStatus& status, size_t size = kBoxStatusSize);

// The status word as binary digits, at least 12 with leading zeros.
std::string box_status_bits(uint16_t word);

// ---------------------------------------------------------------- commands and replies

inline constexpr const char* kBoxCmdGets = "LSGETS";     // both port lists
inline constexpr const char* kBoxCmdNets = "LSNETS";     // network settings
inline constexpr const char* kBoxCmdVersion = "LVERSH";  // firmware version

constexpr uint16_t kBoxReplyCode = 0xFF8A;          // ~0x0075
constexpr uint16_t kBoxFirmwareReplyCode = 0xFFB9;  // ~0x0046

// Reply kinds, from the first six characters of a reply body.
enum BoxReplyKind : int {
    BoxReplyNone = 0,  // not a box reply (ignored, maybe logged)
    BoxReplyReboot = 1,
    BoxReplyAdd = 2,
    BoxReplyDel = 3,
    BoxReplyGets = 4,
    BoxReplyNet = 5,
    BoxReplyNets = 6,
    BoxReplyFirmware = 7,  // a firmware transfer reply; the upgrade routine reads those itself
    BoxReplyVersion = 8,
};

struct BoxReply {
    int kind = BoxReplyNone;
    uint16_t sn = 0;
    std::string body;  // reply text up to its first NUL, never past the datagram
};

// The command frame of a box command text: mode 0x0075, sequence number sn.
// Empty when the text is longer than a frame body may be.
std::vector<uint8_t> encode_box_command(uint16_t sn, std::string_view text);

// Classifies one datagram received on the box port. Returns the kind
// (BoxReplyNone for anything that is not a box or firmware reply frame).
int classify_box_reply(const uint8_t* data, size_t len, BoxReply& out);

// The reply frame a box sends for `body` (the simulator's counterpart).
std::vector<uint8_t> encode_box_reply(uint16_t sn, std::string_view body);

// The reply kind that confirms a command changing the box ("LSADD:",
// "LSDEL:", "LSNET:"), or BoxReplyNone for a command that only reads.
int box_change_reply_kind(std::string_view command);

// "%s%.2x" per byte: the log line of a datagram that is not understood.
std::string box_hex_text(const uint8_t* data, size_t len);

// The text after the first ':' of a reply body (empty when there is none).
std::string box_reply_value(std::string_view body);

// ---------------------------------------------------------------- scanner entry lists

// One scanner on a box port: io 0 = port A, 1 = port B.
struct BoxScannerEntry {
    std::string ip;
    int port = 0;
    int io = 0;
    bool operator==(const BoxScannerEntry& o) const { return ip == o.ip && port == o.port && io == o.io; }
};

// "ip port io" entries joined by "|", no trailing "|".
std::string format_box_entries(const std::vector<BoxScannerEntry>& entries);
// "LSADD:" / "LSDEL:" + the entries.
std::string box_cmd_add(const std::vector<BoxScannerEntry>& entries);
std::string box_cmd_del(const std::vector<BoxScannerEntry>& entries);
// "LSNET:%1 %2 %3": the box's new IP address, mask and gateway.
std::string box_cmd_net(const std::string& ip, const std::string& mask, const std::string& gateway);

// Entries of an "LSGETS" reply: the text after its first ':' split at "|";
// an entry that does not split at blanks into exactly three parts, or whose
// port or io is not a number, is skipped.
std::vector<BoxScannerEntry> parse_box_entries(std::string_view replyBody);

// Network settings of an "LSNETS" reply: the first three dotted IPv4 texts
// after the first ':', whatever separates them. False when fewer are found.
bool parse_box_network(std::string_view replyBody, std::string& ip, std::string& mask, std::string& gateway);

// Checks one "ip:port" row the operator typed into a port table. Acceptance:
// at least 12 characters, exactly two ':'-separated parts, a dotted IPv4
// address and a port 1000..65535. Where several checks fail, the message
// names the most specific one: a row that splits but whose port is out of
// range is a port error, a short row with a good port a format error.
enum class BoxRowCheck { Ok, FormatError, IpError, PortRangeError };
BoxRowCheck check_box_row(const std::string& row, std::string* ip = nullptr, int* port = nullptr);
