#include "cli_common.h"

namespace cli {

int runFrame(const std::vector<std::string>& args)
{
    (void)args;
    printError("frame", "not built yet");
    return ExitFailure;
}

}  // namespace cli
