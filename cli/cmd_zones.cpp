#include "cli_common.h"

namespace cli {

int runZones(const std::vector<std::string>& args)
{
    (void)args;
    printError("zones", "not built yet");
    return ExitFailure;
}

}  // namespace cli
