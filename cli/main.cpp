#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli_common.h"

namespace {

struct Command {
    const char* name;
    cli::Handler handler;
    const char* summary;
};

const Command kCommands[] = {
    {"decode", cli::runDecode, "decode a recorded stream into revolutions"},
    {"export", cli::runExport, "write a recording's revolutions as CSV or PLY points"},
    {"frame", cli::runFrame, "print a command frame as hex"},
    {"model", cli::runModel, "look up a property in the model table"},
    {"zones", cli::runZones, "encode and decode zone images; read and write a scanner's zones"},
    {"info", cli::runInfo, "print a scanner's parameter block as JSON"},
    {"send", cli::runSend, "send one command to a scanner and print its reply"},
    {"record", cli::runRecord, "record a scanner's stream like \"save log\""},
    {"discover", cli::runDiscover, "list scanners heard on the heartbeat group or found on serial ports"},
    {"audit", cli::runAudit, "print the audit trail of changes made to scanners"},
    {"whatif", cli::runWhatIf, "check a recording against a zone set: which revolutions would trigger"},
    {"params", cli::runParams, "export a scanner's parameters to a .lidar file, import or show one"},
    {"upgrade", cli::runUpgrade, "upgrade a scanner's firmware over UDP or a serial port"},
    {"image", cli::runImage, "pack a file into a firmware image, or check an image"},
    {"report", cli::runReport, "write a scanner's commissioning report as a PDF"},
    {"box", cli::runBox, "list algorithm boxes; read and set a box's scanner lists and network; upgrade it"},
};

void usage(FILE* out) {
    std::fprintf(out, "usage: vantrel-cli <command> [options]\n\ncommands:\n");
    for (const auto& c : kCommands) std::fprintf(out, "  %-8s %s\n", c.name, c.summary);
    std::fprintf(out, "\n'vantrel-cli <command> --help' describes one command.\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        usage(stderr);
        return cli::ExitUsage;
    }
    const std::string name = argv[1];
    if (name == "-h" || name == "--help" || name == "help") {
        usage(stdout);
        return cli::ExitOk;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& c : kCommands)
        if (name == c.name) return c.handler(args);
    std::fprintf(stderr, "vantrel-cli: unknown command '%s'\n", name.c_str());
    usage(stderr);
    return cli::ExitUsage;
}
