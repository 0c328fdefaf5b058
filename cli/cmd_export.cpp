// vantrel-cli export: the revolutions of a recording as point files (CSV, PLY).

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli_common.h"
#include "recording_input.h"
#include "revolution_export.h"
#include "stream_replay.h"

namespace cli {

namespace {

const char kCommand[] = "export";

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: vantrel-cli export --format csv|ply RECORDING OUT [--revolution N]\n"
                 "\n"
                 "Decodes a recording (data0.dump) the way playback does and writes its complete\n"
                 "revolutions as points; --revolution N writes only revolution N (counted from 0).\n"
                 "  csv  one file OUT, a header line, then one line per point:\n"
                 "       revolution,time_s,angle_deg,distance_m,x_m,y_m,energy\n"
                 "  ply  ASCII PLY with x, y, z = 0 and energy per point: OUT is the file when one\n"
                 "       revolution is written, otherwise a folder of revolution_NNNNN.ply\n"
                 "Angles are in degrees as the scanner reports them, distances and x =\n"
                 "distance*cos(angle), y = distance*sin(angle) in metres, time stamps in seconds\n"
                 "since the epoch. OUT appears only when the export is complete.\n"
                 "Exit status 1 when the recording holds no (such) revolution or OUT cannot be\n"
                 "written, 2 for bad arguments or an unreadable recording.\n");
}

struct Options {
    ExportFormat format = ExportFormat::Csv;
    bool formatGiven = false;
    std::string recording;
    std::string out;
    long revolution = -1;  // all
};

// Returns ExitOk when the arguments make a complete request.
int parseArguments(const std::vector<std::string>& args, Options& o) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const std::string& name, std::string& into) {
            const std::string prefix = name + "=";
            if (a.rfind(prefix, 0) == 0) {
                into = a.substr(prefix.size());
                return true;
            }
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        std::string v;
        if (a == "--format" || a.rfind("--format=", 0) == 0) {
            if (!value("--format", v)) {
                printError(kCommand, "--format needs a value (csv or ply)");
                return ExitUsage;
            }
            if (!parse_export_format(v, o.format)) {
                printError(kCommand, "unknown format '" + v + "' (csv or ply)");
                return ExitUsage;
            }
            o.formatGiven = true;
        } else if (a == "--revolution" || a.rfind("--revolution=", 0) == 0) {
            char* end = nullptr;
            if (value("--revolution", v)) o.revolution = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || !end || *end != '\0' || o.revolution < 0 || o.revolution > 1000000000) {
                printError(kCommand, "--revolution needs a whole number 0 or more");
                return ExitUsage;
            }
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            printError(kCommand, "unknown option " + a);
            usage(stderr);
            return ExitUsage;
        } else {
            positional.push_back(a);
        }
    }
    if (!o.formatGiven) {
        printError(kCommand, "--format csv or --format ply is required");
        return ExitUsage;
    }
    if (positional.size() != 2) {
        printError(kCommand, "give RECORDING and OUT");
        usage(stderr);
        return ExitUsage;
    }
    o.recording = positional[0];
    o.out = positional[1];
    return ExitOk;
}

}  // namespace

int runExport(const std::vector<std::string>& args) {
    if (wantsHelp(args)) {
        usage(stdout);
        return ExitOk;
    }
    Options o;
    if (const int status = parseArguments(args, o); status != ExitOk) return status;

    RecordingFile recording;
    if (!loadRecording(kCommand, o.recording, recording)) return ExitUsage;
    if (recording.size() == 0) {
        printError(kCommand, o.recording + " is empty");
        return ExitFailure;
    }

    RevolutionExporter exporter(QString::fromLocal8Bit(o.out.c_str()), o.format);
    int index = 0;
    bool written = false;
    ReplaySink sink;
    sink.revolution = [&](const Revolution& revolution, float) {
        if (o.revolution < 0 || o.revolution == index) written = exporter.add(index, revolution);
        ++index;
    };
    // The decoders print their diagnostics on stdout; this command prints
    // nothing else there.
    StreamReplay replay(recording.data(), recording.size());
    while (!replay.atEnd()) {
        if (o.revolution >= 0 && index > o.revolution) break;
        if (index > 0 && !written && o.revolution < 0) break;  // writing failed
        replay.step(sink);
    }
    std::fflush(stdout);

    if (index == 0) {
        printError(kCommand, "no revolutions in " + o.recording);
        return ExitFailure;
    }
    if (o.revolution >= index) {
        printError(kCommand, o.recording + " holds only " + std::to_string(index) + " revolutions (0 to " +
                                 std::to_string(index - 1) + ")");
        return ExitFailure;
    }
    if (!written || !exporter.finish()) {
        printError(kCommand, exporter.errorString().toLocal8Bit().toStdString());
        return ExitFailure;
    }
    std::fprintf(stderr, "%d revolution%s written to %s\n", exporter.count(),
                 exporter.count() == 1 ? "" : "s", o.out.c_str());
    return ExitOk;
}

}  // namespace cli
