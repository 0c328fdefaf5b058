#include "cli_common.h"

namespace cli {

int runModel(const std::vector<std::string>& args)
{
    (void)args;
    printError("model", "not built yet");
    return ExitFailure;
}

}  // namespace cli
