// vantrel-cli image: firmware image containers offline.

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "cli_common.h"
#include "firmware_image.h"

namespace cli {

namespace {

const char kCommand[] = "image";

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: vantrel-cli image pack IN OUT\n"
                 "       vantrel-cli image check FILE\n"
                 "\n"
                 "pack   wraps IN into a firmware image (what the admin page writes as test.bin):\n"
                 "       a 652-byte header with the magic 0xB18E03EA, the payload length L (IN's\n"
                 "       length rounded up to a multiple of 512) and the payload's CRC, then IN\n"
                 "       zero-padded to L.\n"
                 "check  prints the length, the CRC and whether a network upgrade would accept FILE.\n"
                 "exit status: 0 written / accepted, 1 not accepted or OUT cannot be written,\n"
                 "             2 usage or unreadable input\n");
}

int pack(const std::string& in, const std::string& out) {
    std::vector<uint8_t> bytes;
    if (!load_firmware_file(in, bytes)) return printError(kCommand, "cannot read " + in), ExitUsage;
    if (bytes.empty()) return printError(kCommand, in + " is empty"), ExitUsage;
    const std::vector<uint8_t> image = pack_firmware_image(bytes.data(), bytes.size());
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    file.close();
    if (!file) return printError(kCommand, "cannot write " + out), ExitFailure;
    std::printf("%s: %zu bytes, payload %zu\n", out.c_str(), image.size(),
                image.size() - kFirmwareHeaderSize);
    return ExitOk;
}

int check(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!load_firmware_file(path, bytes)) return printError(kCommand, "cannot read " + path), ExitUsage;
    FirmwareImageInfo info;
    const FirmwareImageCheck result = check_firmware_image(bytes, &info);
    if (result == FirmwareImageCheck::TooShort) {
        std::printf("length: -\ncrc: -\n");
    } else {
        std::printf("length: %u\ncrc: 0x%08X\n", info.length, info.storedCrc);
        if (result == FirmwareImageCheck::BadCrc) std::printf("payload crc: 0x%08X\n", info.payloadCrc);
    }
    if (result == FirmwareImageCheck::Ok) {
        std::printf("accepted: yes\n");
        return ExitOk;
    }
    std::printf("accepted: no (%s)\n", firmware_check_text(result));
    return ExitFailure;
}

}  // namespace

int runImage(const std::vector<std::string>& args) {
    if (wantsHelp(args)) return usage(stdout), ExitOk;
    if (args.size() == 3 && args[0] == "pack") return pack(args[1], args[2]);
    if (args.size() == 2 && args[0] == "check") return check(args[1]);
    return usage(stderr), ExitUsage;
}

}  // namespace cli
