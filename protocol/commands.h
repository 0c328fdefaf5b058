#pragma once
// Builders for every command text the scanner understands, so that no page or
// worker formats one by hand. A command text is ASCII, starts with 'L' and
// ends with 'H'; it travels as the body of a command frame (UDP, TCP, VPC
// links) or as bare text (UART links). All functions are pure.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "eeprom.h"

// ---- Fixed texts

inline constexpr const char* kCmdStart = "LSTARH";      // start measuring (C_PACK)
inline constexpr const char* kCmdStop = "LSTOPH";       // stop measuring (C_PACK)
inline constexpr const char* kCmdRestart = "LRESTH";    // restart the scanner (C_PACK, never tracked)
inline constexpr const char* kCmdReadBlock = "xxxxxx";  // GS_PACK body: ask for EEpromV101
inline constexpr const char* kQueryUuid = "LUUIDH";
inline constexpr const char* kQueryType = "LTYPEH";
inline constexpr const char* kQueryVersion = "LXVERH";

// ---- Generic forms

// "LQ" + name + "H", e.g. cmd_query("SRPM") == "LQSRPMH".
std::string cmd_query(const std::string& name);
// "LS" + name + ":" + value + "H", the form the parameter-file import uses.
std::string cmd_set(const std::string& name, const std::string& value);

// ---- Set commands of the parameter page (S_PACK unless noted)

std::string cmd_set_rpm(int rpm);             // "LSRPM:%dH" (C_PACK/bare text on UART)
std::string cmd_set_did(long long deviceId);  // "LSDID:%lldH"
std::string cmd_set_udp(
    const std::string& networkArg);  // "LSUDP:" + format_network_argument(true, ...) + "H"
std::string cmd_set_dst(
    const std::string& networkArg);              // "LSDST:" + format_network_argument(false, ...) + "H"
std::string cmd_set_pst(int uploadType);         // "LSPST:%dH", 0..3
std::string cmd_set_tfx(bool fixedUpload);       // "LSTFX:1H" / "LSTFX:0H"
std::string cmd_set_ccw(bool counterClockwise);  // "LSCCW:1H" / "LSCCW:0H"
// "LSPNP:" + four '1'/'0' (output 1..4 on by default) + "000" + pnpIndex (0 PNP, 1 NPN) + "H".
std::string cmd_set_pnp(const std::array<bool, 4>& outputsOn, int pnpIndex);
// Box variant: the text of the additional I/O selector ("A"/"B") follows the index.
std::string cmd_set_pnp(const std::array<bool, 4>& outputsOn, int pnpIndex, const std::string& ioSelector);
// "LSOUT:" + 12 status bytes as "%02x" + "00000000" + "H" (the page's output matrix).
std::string cmd_set_out(const std::array<uint8_t, 12>& statusOutputs);
std::string cmd_set_fir(unsigned points);                       // "LSFIR:%uH"
std::string cmd_set_cir(unsigned rings);                        // "LSCIR:%uH"
std::string cmd_set_bps(const std::string& baudText);           // "LSBPS:%sH" (C_PACK)
std::string cmd_set_dsw(bool on);                               // "LSDSW:%dH", framed links
std::string cmd_set_smt(bool on);                               // "LSSMT:%dH", framed links
std::string cmd_serial_dsw(bool on);                            // "LFFF%dH", UART links
std::string cmd_serial_smt(bool on);                            // "LSSS%dH", UART links
std::string cmd_set_ztp(int mode);                              // "LSZTP:%dH", 0 hardware, 1 software
std::string cmd_set_af(int factor);                             // "LSAF:%dH"
std::string cmd_set_zir(bool segmentation, unsigned distance);  // "LSZIR:%d,%uH"
std::string cmd_set_azn(int zone);                              // "LSAZN:%XH", zone 0..15 as one hex digit
std::string cmd_set_azn(const std::string& zoneText);           // "LSAZN:" + text + "H"
std::string cmd_set_ats(int value);  // "LSATS:%dH"; 1 on UDP/TCP, 2 on VPC at connect

// ---- Serial (UART) query table: the reply line carries `prefix` followed by
// `valueLength` characters of value.

struct UartQueryRow {
    const char* query;
    const char* prefix;
    size_t valueLength;
};

inline constexpr std::array<UartQueryRow, 15> kUartQueryTable{{
    {"LUUIDH", "PRODUCT SN:", 20},
    {"LTYPEH", "TYPE ID:", 16},
    {"LXVERH", "MOTOR VERSION:", 16},
    {"LQSRPMH", "SRPM:", 4},
    {"LQSMTH", "SMT:", 1},
    {"LQDSWH", "DSW:", 1},
    {"LQAZNH", "ZONE NUM:", 1},
    {"LQPSTH", "UPLOAD TYPE:", 1},
    {"LQNPNH", "IO TYPE:", 8},
    {"LQOUTH", "IO MAP:", 24},
    {"LQCIRH", "CIR:", 2},
    {"LQFIRH", "FIR:", 2},
    {"LQZTPH", "ZONE TYPE:", 1},
    {"LQZIRH", "ZIR:", 7},
    {"LQSAFH", "SAF:", 2},
}};

// The row of a query text (compared whole), or nullptr.
const UartQueryRow* find_uart_query(const std::string& query);

// ---- Parameter-file import

enum class LinkKind { Udp, Tcp, Vpc, Uart, Unknown };
// "UDP", "TCP", "VPC", "UART" -> the kind; anything else Unknown.
LinkKind link_kind(const std::string& linkType);

struct ImportChoices {
    bool upload = false;     // destination, fixed upload, ats, dog (framed links)
    bool operation = false;  // speed, filters, zones, ...
    bool io = false;         // output mapping and I/O configuration
    bool network = false;    // scanner address (framed links)
    bool baud = false;       // serial baud rate (UART)
};

// A command of the import that was left out, and why.
struct ImportOmission {
    std::string command;  // "LSDST" or "LSUDP"
    enum class Reason { DestinationAddressInvalid, NetworkAddressInvalid } reason;
};

// The set commands that write `block` into the connected scanner, in the order
// the scanner expects them. `modelIoLevel` is the connected model's "I/O"
// entry of the model table (only UART uses it: level 2 adds "LSZTP" last).
// TCP yields an empty list. Network and destination commands whose values fail
// the checks of format_network_argument are left out rather than sent; each
// one left out is appended to `omitted` when given.
//
// The trailing-point factor goes out in decimal, as the scanner reads it, and
// the zone as the one hexadecimal digit of bits 0..3 of `azn` (bit 4, the
// switching mode, has a command of its own).
std::vector<std::string> build_import_commands(const EEpromV101& block, const std::string& linkType,
                                               const ImportChoices& choices, int modelIoLevel,
                                               std::vector<ImportOmission>* omitted = nullptr);

// Whether a parameter block read from a file belongs to the connected model:
// the file's type identifier (compact serial forms normalised) names the same
// model as `connectedModel`. Another model's block imports only its zones.
bool import_same_model(const EEpromV101& fileBlock, const std::string& connectedModel);
