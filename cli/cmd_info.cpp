// vantrel-cli info: the scanner's parameter block as JSON.

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "cli_common.h"
#include "cli_json.h"
#include "model_table.h"
#include "session.h"

namespace cli {

namespace {

const char kCommand[] = "info";

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: vantrel-cli info LINK\n"
                 "\n"
                 "Connects as the program does, reads the scanner's parameter block and prints it\n"
                 "as one JSON object: every field of the block (addresses as dotted text) and,\n"
                 "under \"model\", the model table's properties of the reported model.\n"
                 "LINK: udp://IP:PORT[?local=PORT] | tcp://IP:PORT | uart:///dev/PATH?baud=N |\n"
                 "      vpc:///dev/PATH[?baud=N]\n"
                 "exit status: 0 done, 1 link cannot be opened, 2 usage, 4 the scanner never answered,\n"
                 "             5 the link was lost\n");
}

using Json = nlohmann::ordered_json;

// Numbers of the table print as numbers, everything else as the table's text.
Json modelJson(const std::string& model) {
    Json m;
    m["name"] = model;
    static const char* const kKeys[] = {"rpm",    "direction", "I/O",  "alarmZone", "baud",
                                        "toward", "backward",  "type", "LTYPEH",    "tf"};
    bool known = false;
    for (const char* key : kKeys) {
        std::string v;
        try {
            v = model_property(model, key);
        } catch (const std::exception&) {
            continue;
        }
        if (v.empty()) continue;
        known = true;
        const std::string k = key;
        if (k == "I/O" || k == "alarmZone" || k == "tf")
            m[key] = std::stoll(v);
        else
            m[key] = v;
    }
    m["known"] = known;
    return m;
}

}  // namespace

int runInfo(const std::vector<std::string>& args) {
    if (wantsHelp(args)) return usage(stdout), ExitOk;
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') return usage(stderr), ExitUsage;
    prepareLiveCommand();
    Session session;
    const int rc = connectSession(session, kCommand, args[0], true);
    if (rc != ExitOk) return rc;
    Json out;
    out["link"] = linkText(session.link());
    out["block"] = blockJson(session.block(), session.link().type);
    out["model"] = modelJson(session.model());
    session.close();
    std::printf("%s\n", out.dump(2).c_str());
    return ExitOk;
}

}  // namespace cli
