#pragma once
// Shared plumbing of the vantrel-cli subcommands.

#include <string>
#include <vector>

namespace cli {

// Exit statuses shared by every subcommand.
enum Exit : int {
    ExitOk = 0,
    ExitFailure = 1,        // the operation ran and failed
    ExitUsage = 2,          // bad arguments, or an input file that cannot be read
    ExitRefused = 3,        // live commands: the scanner answered "NG"
    ExitNoAnswer = 4,       // live commands: the scanner never answered
    ExitLinkLost = 5,       // live commands: the link vanished (port unplugged, connection closed)
    ExitInterrupted = 130,  // SIGINT or SIGTERM ended the command early
};

// Each subcommand takes the arguments after its own name and returns the exit status.
// Errors go to stderr as one line starting with "vantrel-cli <subcommand>: ".
using Handler = int (*)(const std::vector<std::string>& args);

int runDecode(const std::vector<std::string>& args);
int runExport(const std::vector<std::string>& args);
int runFrame(const std::vector<std::string>& args);
int runModel(const std::vector<std::string>& args);
int runZones(const std::vector<std::string>& args);
int runWhatIf(const std::vector<std::string>& args);
// Live commands: they open a link to a scanner (see link.h).
int runInfo(const std::vector<std::string>& args);
int runSend(const std::vector<std::string>& args);
int runRecord(const std::vector<std::string>& args);
int runDiscover(const std::vector<std::string>& args);
// The audit trail (no link).
int runAudit(const std::vector<std::string>& args);
int runParams(const std::vector<std::string>& args);
int runUpgrade(const std::vector<std::string>& args);
int runImage(const std::vector<std::string>& args);
int runReport(const std::vector<std::string>& args);
int runBox(const std::vector<std::string>& args);

// True when args holds "-h" or "--help".
bool wantsHelp(const std::vector<std::string>& args);

// Prints "vantrel-cli <command>: <message>" to stderr.
void printError(const std::string& command, const std::string& message);

// The value of a "--seconds N" option: a whole number 1..86400. On anything
// else prints one error line for `command` and returns false.
bool parseSeconds(const std::string& command, const std::string& text, long& seconds);

}  // namespace cli
