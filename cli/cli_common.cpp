#include "cli_common.h"

#include <cstdio>

namespace cli {

bool wantsHelp(const std::vector<std::string>& args)
{
    for (const auto& a : args)
        if (a == "-h" || a == "--help") return true;
    return false;
}

void printError(const std::string& command, const std::string& message)
{
    std::fprintf(stderr, "vantrel-cli %s: %s\n", command.c_str(), message.c_str());
}

}  // namespace cli
