#include <cstdio>
#include <string>

#include "cli_common.h"
#include "command_frame.h"

namespace cli {

namespace {

void frameUsage(FILE* out) {
    std::fprintf(out,
                 "usage: vantrel-cli frame MODE SN BODY\n"
                 "\n"
                 "Prints the command frame that carries BODY as lower-case hex.\n"
                 "  MODE  C_PACK, S_PACK, GS_PACK or a number 0..65535 (decimal or 0x-hex)\n"
                 "  SN    sequence number 0..65535 (decimal or 0x-hex)\n"
                 "  BODY  command text, at most %zu bytes (e.g. LSRPM:600H)\n",
                 kMaxFrameBody);
}

// Decimal or 0x-hex, digits only, within 0..65535.
bool parseU16(const std::string& text, uint16_t& value) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const size_t start = hex ? 2 : 0;
    if (text.size() <= start) return false;
    unsigned long v = 0;
    for (size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * (hex ? 16 : 10) + unsigned(d);
        if (v > 0xFFFF) return false;
    }
    value = static_cast<uint16_t>(v);
    return true;
}

bool parseMode(const std::string& text, uint16_t& mode) {
    if (text == "C_PACK") return mode = C_PACK, true;
    if (text == "S_PACK") return mode = S_PACK, true;
    if (text == "GS_PACK") return mode = GS_PACK, true;
    return parseU16(text, mode);
}

}  // namespace

int runFrame(const std::vector<std::string>& args) {
    if (wantsHelp(args)) {
        frameUsage(stdout);
        return ExitOk;
    }
    if (args.size() != 3) {
        printError("frame", "expected MODE SN BODY (see --help)");
        return ExitUsage;
    }
    uint16_t mode = 0, sn = 0;
    if (!parseMode(args[0], mode)) {
        printError("frame", "bad MODE '" + args[0] + "': use C_PACK, S_PACK, GS_PACK or a number 0..65535");
        return ExitUsage;
    }
    if (!parseU16(args[1], sn)) {
        printError("frame", "bad SN '" + args[1] + "': use a number 0..65535");
        return ExitUsage;
    }
    if (args[2].size() > kMaxFrameBody) {
        printError("frame", "BODY is " + std::to_string(args[2].size()) + " bytes, at most " +
                                std::to_string(kMaxFrameBody) + " fit a frame");
        return ExitUsage;
    }
    const std::vector<uint8_t> frame = encode_command_frame(mode, sn, args[2]);
    std::string hex;
    hex.reserve(frame.size() * 2 + 1);
    static const char kDigits[] = "0123456789abcdef";
    for (uint8_t b : frame) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 0xF];
    }
    hex += '\n';
    std::fwrite(hex.data(), 1, hex.size(), stdout);
    return ExitOk;
}

}  // namespace cli
