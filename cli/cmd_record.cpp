// vantrel-cli record: the program's "save log" for a fixed time.

#include <cstdio>
#include <string>

#include "cli_common.h"
#include "recorder.h"
#include "session.h"

namespace cli {

namespace {

const char kCommand[] = "record";

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: vantrel-cli record LINK --seconds N [--dir D]\n"
                 "\n"
                 "Connects and records for N seconds exactly as \"save log\" does: the raw stream to\n"
                 "data0.dump and one line per sector of every revolution to point0.txt, in\n"
                 "D/korvLOG/yyyy_MM_dd/hh_mm_ss (D defaults to the settings' Logpath, else the\n"
                 "program's directory). Prints the recording directory. SIGINT ends the\n"
                 "recording early (still exit 0); so does a link that vanishes (a serial port\n"
                 "unplugged, the device closing the connection), keeping what was recorded.\n"
                 "exit status: 0 recorded, 1 link or files cannot be opened, 2 usage, 5 link lost\n");
}

}  // namespace

int runRecord(const std::vector<std::string>& args) {
    if (wantsHelp(args)) return usage(stdout), ExitOk;
    std::string link, dir;
    bool haveDir = false;
    long seconds = -1;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--seconds" && i + 1 < args.size()) {
            if (!parseSeconds(kCommand, args[++i], seconds)) return ExitUsage;
        } else if (args[i] == "--dir" && i + 1 < args.size()) {
            dir = args[++i];
            haveDir = true;
            if (dir.empty()) return printError(kCommand, "--dir must not be empty"), ExitUsage;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return printError(kCommand, "unknown option " + args[i]), ExitUsage;
        } else if (link.empty()) {
            link = args[i];
        } else {
            return usage(stderr), ExitUsage;
        }
    }
    if (link.empty() || seconds < 0) return usage(stderr), ExitUsage;

    prepareLiveCommand();
    // Files first: a recording that cannot be written is not worth connecting for.
    Recorder& recorder = Recorder::instance();
    const QString error =
        haveDir ? recorder.startRecording(QString::fromStdString(dir)) : recorder.startRecording();
    if (!error.isEmpty()) return printError(kCommand, error.toStdString()), ExitFailure;
    const QString directory = recorder.directory();

    Session session;
    const int rc = connectSession(session, kCommand, link, false);
    if (rc != ExitOk) {
        recorder.stop();
        return rc;
    }
    waitUntil([&] { return session.lost(); }, int(seconds * 1000));
    // The recorder stops before the link closes, as on a disconnect.
    recorder.stop();
    session.close();
    std::printf("%s\n", directory.toStdString().c_str());
    return session.lost() ? linkLost(session, kCommand) : ExitOk;
}

}  // namespace cli
