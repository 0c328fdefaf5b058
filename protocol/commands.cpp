#include "commands.h"

#include <cstdarg>
#include <cstdio>

#include "model_table.h"
#include "network_arg.h"

namespace {

// printf into a std::string; every command text is far shorter than the buffer.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

std::string format(const char* fmt, ...) {
    char text[256];
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    if (n < 0) return {};
    return std::string(text, size_t(n) < sizeof text ? size_t(n) : sizeof text - 1);
}

std::string hexBytes(const uint8_t* bytes, size_t count, bool upper) {
    std::string text;
    for (size_t i = 0; i < count; ++i) text += format(upper ? "%02X" : "%02x", bytes[i]);
    return text;
}

// Character k is '0' + bit k of the I/O configuration word.
std::string pnpText(uint32_t bits) {
    std::string text(8, '0');
    for (int k = 0; k < 8; ++k) text[size_t(k)] = char('0' + ((bits >> k) & 1u));
    return text;
}

// The output mapping (all 16 status bytes, upper-case hex) and the I/O
// configuration, the same on every link kind.
void appendIoCommands(const EEpromV101& block, std::vector<std::string>& cmds) {
    cmds.push_back(cmd_set("OUT", hexBytes(block.outMap, sizeof block.outMap, true)));
    cmds.push_back(cmd_set("PNP", pnpText(block.pnpBits)));
}

}  // namespace

std::string cmd_query(const std::string& name) {
    return "LQ" + name + "H";
}
std::string cmd_set(const std::string& name, const std::string& value) {
    return "LS" + name + ":" + value + "H";
}

std::string cmd_set_rpm(int rpm) {
    return format("LSRPM:%dH", rpm);
}
std::string cmd_set_did(long long deviceId) {
    return format("LSDID:%lldH", deviceId);
}
std::string cmd_set_udp(const std::string& networkArg) {
    return "LSUDP:" + networkArg + "H";
}
std::string cmd_set_dst(const std::string& networkArg) {
    return "LSDST:" + networkArg + "H";
}
std::string cmd_set_pst(int uploadType) {
    return format("LSPST:%dH", uploadType);
}
std::string cmd_set_tfx(bool fixedUpload) {
    return format("LSTFX:%dH", fixedUpload ? 1 : 0);
}
std::string cmd_set_ccw(bool counterClockwise) {
    return format("LSCCW:%dH", counterClockwise ? 1 : 0);
}

std::string cmd_set_pnp(const std::array<bool, 4>& outputsOn, int pnpIndex) {
    return cmd_set_pnp(outputsOn, pnpIndex, std::string());
}

std::string cmd_set_pnp(const std::array<bool, 4>& outputsOn, int pnpIndex, const std::string& ioSelector) {
    std::string text = "LSPNP:";
    for (bool on : outputsOn) text += on ? '1' : '0';
    text += "000";
    text += std::to_string(pnpIndex);
    text += ioSelector;
    text += 'H';
    return text;
}

std::string cmd_set_out(const std::array<uint8_t, 12>& statusOutputs) {
    return "LSOUT:" + hexBytes(statusOutputs.data(), statusOutputs.size(), false) + "00000000H";
}

std::string cmd_set_fir(unsigned points) {
    return format("LSFIR:%uH", points);
}
std::string cmd_set_cir(unsigned rings) {
    return format("LSCIR:%uH", rings);
}
std::string cmd_set_bps(const std::string& baudText) {
    return "LSBPS:" + baudText + "H";
}
std::string cmd_set_dsw(bool on) {
    return format("LSDSW:%dH", on ? 1 : 0);
}
std::string cmd_set_smt(bool on) {
    return format("LSSMT:%dH", on ? 1 : 0);
}
std::string cmd_serial_dsw(bool on) {
    return format("LFFF%dH", on ? 1 : 0);
}
std::string cmd_serial_smt(bool on) {
    return format("LSSS%dH", on ? 1 : 0);
}
std::string cmd_set_ztp(int mode) {
    return format("LSZTP:%dH", mode);
}
std::string cmd_set_af(int factor) {
    return format("LSAF:%dH", factor);
}

std::string cmd_set_zir(bool segmentation, unsigned distance) {
    return format("LSZIR:%d,%uH", segmentation ? 1 : 0, distance);
}

std::string cmd_set_azn(int zone) {
    return format("LSAZN:%XH", zone);
}
std::string cmd_set_azn(const std::string& zoneText) {
    return "LSAZN:" + zoneText + "H";
}
std::string cmd_set_ats(int value) {
    return format("LSATS:%dH", value);
}

const UartQueryRow* find_uart_query(const std::string& query) {
    for (const auto& row : kUartQueryTable)
        if (query == row.query) return &row;
    return nullptr;
}

LinkKind link_kind(const std::string& linkType) {
    if (linkType == "UDP") return LinkKind::Udp;
    if (linkType == "TCP") return LinkKind::Tcp;
    if (linkType == "VPC") return LinkKind::Vpc;
    if (linkType == "UART") return LinkKind::Uart;
    return LinkKind::Unknown;
}

// ---- Parameter-file import

std::vector<std::string> build_import_commands(const EEpromV101& block, const std::string& linkType,
                                               const ImportChoices& choices, int modelIoLevel,
                                               std::vector<ImportOmission>* omitted) {
    std::vector<std::string> cmds;
    auto leaveOut = [omitted](const char* command, ImportOmission::Reason reason) {
        if (omitted) omitted->push_back({command, reason});
    };
    // The zone digit only: a software-switched block (bit 4) would otherwise
    // send a two-digit zone the scanner refuses.
    const std::string zoneDigit = format("%x", block.azn & 0x0F);
    const LinkKind kind = link_kind(linkType);

    if (kind == LinkKind::Udp || kind == LinkKind::Vpc) {
        if (choices.upload) {
            // A block from a file may hold an unusable destination (all zeros
            // from a never-configured scanner); such a text is not sent.
            std::string dst;
            if (format_network_argument(false, eeprom_dotted_quad(block.uploadIp), {}, {},
                                        long(block.uploadPort), dst))
                cmds.push_back(cmd_set("DST", dst));
            else
                leaveOut("LSDST", ImportOmission::Reason::DestinationAddressInvalid);
            cmds.push_back(cmd_set("TFX", format("%d", block.tfx)));
            cmds.push_back(cmd_set("ATS", format("%03d", block.ats)));
            cmds.push_back(cmd_set("DOG", format("%03u", unsigned(block.dog))));
        }
        if (choices.operation) {
            cmds.push_back(cmd_set("RPM", format("%04d", block.rpm)));
            cmds.push_back(
                cmd_set("ZIR", format("%d,%d", eeprom_segmentation(block) ? 1 : 0, block.zirDistance)));
            cmds.push_back(cmd_set("SMT", format("%d", block.smt)));
            cmds.push_back(cmd_set("DSW", format("%d", block.dsw)));
            cmds.push_back(cmd_set("ATS", format("%d", block.ats)));
            cmds.push_back(cmd_set("FIR", format("%02d", block.fir)));
            cmds.push_back(cmd_set("CIR", format("%02d", block.cir)));
            cmds.push_back(cmd_set("RES", format("%d", block.res)));
            cmds.push_back(cmd_set("AZN", zoneDigit));
            // The scanner reads the factor as a decimal number, as the
            // parameter page sends it.
            cmds.push_back(cmd_set("AF", format("%d", block.af)));
        }
        if (choices.io) appendIoCommands(block, cmds);
        if (choices.network) {
            // A scanner given an invalid address is unreachable afterwards:
            // the same checks as the parameter page apply.
            std::string udp;
            if (format_network_argument(true, eeprom_dotted_quad(block.ip), eeprom_dotted_quad(block.mask),
                                        eeprom_dotted_quad(block.gateway), long(block.lidarPort), udp))
                cmds.push_back(cmd_set("UDP", udp));
            else
                leaveOut("LSUDP", ImportOmission::Reason::NetworkAddressInvalid);
        }
    } else if (kind == LinkKind::Uart) {
        if (choices.operation) {
            cmds.push_back(cmd_set_rpm(block.rpm));
            // Smoothing and trailing-point removal carry the stored byte as it is.
            cmds.push_back(format("LSSS%dH", block.smt));
            cmds.push_back(format("LFFF%dH", block.dsw));
            cmds.push_back(cmd_set_fir(block.fir));
            cmds.push_back(cmd_set_cir(block.cir));
            cmds.push_back(cmd_set("AZN", zoneDigit));
            cmds.push_back(cmd_set_pst(block.pst));
        }
        if (choices.io) appendIoCommands(block, cmds);
        if (choices.baud) cmds.push_back(cmd_set_bps(std::to_string(eeprom_uart_baud(block))));
        if (choices.operation && modelIoLevel == 2) cmds.push_back(cmd_set_ztp((block.azn >> 4) & 1));
    }
    return cmds;
}

bool import_same_model(const EEpromV101& fileBlock, const std::string& connectedModel) {
    return normalize_model_id(eeprom_type_id(fileBlock)) == normalize_model_id(connectedModel);
}
