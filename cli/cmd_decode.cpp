#include "cli_common.h"

namespace cli {

int runDecode(const std::vector<std::string>& args)
{
    (void)args;
    printError("decode", "not built yet");
    return ExitFailure;
}

}  // namespace cli
