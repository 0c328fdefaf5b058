#include <cstdio>
#include <exception>
#include <string>

#include "cli_common.h"
#include "model_table.h"

namespace cli {

int runModel(const std::vector<std::string>& args) {
    if (wantsHelp(args)) {
        std::printf(
            "usage: vantrel-cli model NAME KEY\n"
            "\n"
            "Prints the value of KEY in the model table entry of NAME (numbers in\n"
            "decimal); an empty line when the model or the key is absent.\n"
            "  e.g. vantrel-cli model TQX-H540-S rpm\n");
        return ExitOk;
    }
    if (args.size() != 2) {
        printError("model", "expected NAME KEY (see --help)");
        return ExitUsage;
    }
    try {
        std::printf("%s\n", model_property(args[0], args[1]).c_str());
    } catch (const std::exception& e) {
        // Only a damaged table holds a value that is neither text nor number.
        printError("model", e.what());
        return ExitFailure;
    }
    return ExitOk;
}

}  // namespace cli
