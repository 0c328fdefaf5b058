// vantrel-cli decode: a recording decoded exactly as playback decodes it.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli_common.h"
#include "fan_text.h"
#include "recording_input.h"
#include "stream_replay.h"

namespace cli {

namespace {

const char kCommand[] = "decode";

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: vantrel-cli decode [--format text|json|summary] FILE\n"
                 "\n"
                 "Decodes a recorded scanner stream (data0.dump) the way playback does and\n"
                 "prints every complete revolution on stdout:\n"
                 "  text  (default) one sector-log line per fan, an empty line after each revolution\n"
                 "  json  one object per revolution per line:\n"
                 "        {\"fans\":[{\"tag\",\"start\",\"span\",\"count\",\"device\",\"sec\",\"usec\",\n"
                 "                  \"points\":[[angle_rad,distance_m,energy],...]},...]}\n"
                 "  summary  one line per revolution: its index, fans, points, nearest and\n"
                 "        farthest distance (points at 0 m are no returns) and the first fan's\n"
                 "        time stamp\n"
                 "A summary (bytes, revolutions, fans, decode failures) and the decoder's own\n"
                 "diagnostics go to stderr. Exit status 2 for bad arguments or an unreadable file.\n");
}

enum class Format { Text, Json, Summary };

void appendFloat(std::string& out, float v) {
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%.9g", double(v));
    out.append(text, size_t(n));
}

void appendJsonRevolution(std::string& out, const Revolution& revolution) {
    char text[160];
    out += "{\"fans\":[";
    for (size_t i = 0; i < revolution.size(); ++i) {
        const RawData& f = revolution[i];
        const int count = f.count < kMaxFanPoints ? f.count : kMaxFanPoints;
        const int n =
            std::snprintf(text, sizeof text,
                          "%s{\"tag\":%u,\"start\":%u,\"span\":%u,\"count\":%u,\"device\":%u,\"sec\":%d,"
                          "\"usec\":%d,\"points\":[",
                          i ? "," : "", unsigned(f.tag), unsigned(f.start), unsigned(f.span),
                          unsigned(f.count), unsigned(f.deviceWord), int(f.stampSec), int(f.stampUsec));
        out.append(text, size_t(n));
        for (int k = 0; k < count; ++k) {
            out += k ? ",[" : "[";
            appendFloat(out, f.points[k].angle);
            out += ',';
            appendFloat(out, f.points[k].distance);
            out += ',';
            out += std::to_string(unsigned(f.points[k].energy));
            out += ']';
        }
        out += "]}";
    }
    out += "]}\n";
}

void appendSummaryLine(std::string& out, int index, const Revolution& revolution) {
    int points = 0;
    float nearest = 0, farthest = 0;
    for (const RawData& f : revolution) {
        const int count = f.count < kMaxFanPoints ? f.count : kMaxFanPoints;
        points += count;
        for (int k = 0; k < count; ++k) {
            const float d = f.points[k].distance;
            if (d <= 0) continue;
            if (nearest == 0 || d < nearest) nearest = d;
            if (d > farthest) farthest = d;
        }
    }
    const RawData* first = revolution.empty() ? nullptr : &revolution.front();
    char text[160];
    const int n = std::snprintf(text, sizeof text,
                                "revolution %d  fans %zu  points %d  nearest %.3f m  farthest %.3f m  "
                                "stamp %d.%06d\n",
                                index, revolution.size(), points, double(nearest), double(farthest),
                                first ? int(first->stampSec) : 0, first ? int(first->stampUsec) : 0);
    out.append(text, size_t(n));
}

void appendTextRevolution(std::string& out, const Revolution& revolution) {
    for (const RawData& f : revolution) {
        append_fan_text_line(out, f);
        out += '\n';
    }
    out += '\n';
}

}  // namespace

int runDecode(const std::vector<std::string>& args) {
    if (wantsHelp(args)) {
        usage(stdout);
        return ExitOk;
    }
    Format format = Format::Text;
    std::string path;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string value;
        if (a == "--format") {
            if (i + 1 >= args.size()) {
                printError(kCommand, "--format needs a value (text, json or summary)");
                return ExitUsage;
            }
            value = args[++i];
        } else if (a.rfind("--format=", 0) == 0) {
            value = a.substr(9);
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            printError(kCommand, "unknown option " + a);
            usage(stderr);
            return ExitUsage;
        } else if (path.empty()) {
            path = a;
            continue;
        } else {
            printError(kCommand, "only one FILE may be given");
            return ExitUsage;
        }
        if (value == "text") {
            format = Format::Text;
        } else if (value == "json") {
            format = Format::Json;
        } else if (value == "summary") {
            format = Format::Summary;
        } else {
            printError(kCommand, "unknown format '" + value + "' (text, json or summary)");
            return ExitUsage;
        }
    }
    if (path.empty()) {
        printError(kCommand, "no FILE given");
        usage(stderr);
        return ExitUsage;
    }

    RecordingFile recording;
    if (!loadRecording(kCommand, path, recording)) return ExitUsage;

    // The decoders print their diagnostics ("chksum cf error", ...) on
    // standard output. Keep stdout for the decoded data: it gets its own copy
    // of the descriptor, and descriptor 1 points at stderr while decoding.
    std::fflush(stdout);
    const int dataFd = dup(STDOUT_FILENO);
    FILE* out = dataFd >= 0 ? fdopen(dataFd, "w") : nullptr;
    if (!out) {
        printError(kCommand, std::string("cannot set up output: ") + std::strerror(errno));
        if (dataFd >= 0) close(dataFd);
        return ExitFailure;
    }
    dup2(STDERR_FILENO, STDOUT_FILENO);

    std::string chunk;
    int index = 0;
    ReplaySink sink;
    sink.revolution = [&](const Revolution& revolution, float) {
        chunk.clear();
        if (format == Format::Json)
            appendJsonRevolution(chunk, revolution);
        else if (format == Format::Summary)
            appendSummaryLine(chunk, index, revolution);
        else
            appendTextRevolution(chunk, revolution);
        ++index;
        std::fwrite(chunk.data(), 1, chunk.size(), out);
    };
    const ReplaySummary summary = replay_stream(recording.data(), recording.size(), sink);

    std::fflush(stdout);
    const bool writeFailed = std::fflush(out) != 0 || std::ferror(out) != 0;
    dup2(dataFd, STDOUT_FILENO);
    std::fclose(out);

    std::fprintf(stderr, "bytes %zu, revolutions %d, fans %d, decode failures %d\n", summary.bytes,
                 summary.revolutions, summary.fans, summary.decodeErrors);
    if (writeFailed) {
        printError(kCommand, "writing the output failed");
        return ExitFailure;
    }
    return ExitOk;
}

}  // namespace cli
