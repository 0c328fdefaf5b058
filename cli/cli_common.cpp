#include "cli_common.h"

#include <cstdio>
#include <cstdlib>

namespace cli {

bool wantsHelp(const std::vector<std::string>& args) {
    for (const auto& a : args)
        if (a == "-h" || a == "--help") return true;
    return false;
}

void printError(const std::string& command, const std::string& message) {
    std::fprintf(stderr, "vantrel-cli %s: %s\n", command.c_str(), message.c_str());
}

bool parseSeconds(const std::string& command, const std::string& text, long& seconds) {
    char* end = nullptr;
    seconds = std::strtol(text.c_str(), &end, 10);
    if (!text.empty() && *end == '\0' && seconds >= 1 && seconds <= 86400) return true;
    printError(command, "--seconds must be a whole number 1..86400");
    return false;
}

}  // namespace cli
