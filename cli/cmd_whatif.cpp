// vantrel-cli whatif: would this recording have tripped these zones?

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_common.h"
#include "recording_input.h"
#include "zone_file.h"
#include "zone_image.h"
#include "zone_json.h"
#include "zone_whatif.h"

namespace cli {

namespace {

const char kCommand[] = "whatif";

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: vantrel-cli whatif RECORDING ZONES [--mirror] [--points F] [--revolutions C]\n"
                 "\n"
                 "Replays RECORDING (data0.dump) the way playback and 'decode' do and checks every\n"
                 "complete revolution against ZONES, a zone list in JSON (see 'zones --help') or a\n"
                 "zone image (a .lidar parameter file or a raw image), as the scanner would:\n"
                 "a point counts for a zone and kind when its distance lies inside an interval of\n"
                 "that kind in the table entry of its direction (entry k covers k*0.36 .. (k+1)*0.36\n"
                 "deg; interval (start, end) covers 8*start .. 8*end mm).\n"
                 "  --mirror         the scanner turns the other way (zone lists only: how the list\n"
                 "                   becomes an image)\n"
                 "  --points F       a revolution triggers a zone kind with at least F points inside\n"
                 "                   (1..1000, default 1)\n"
                 "  --revolutions C  an alarm is counted when C revolutions in a row trigger\n"
                 "                   (1..1000, default 1; one alarm per such streak)\n"
                 "\n"
                 "Prints JSON on stdout: per zone and kind the revolutions that triggered (count and\n"
                 "indices, 0 = first complete revolution), the alarms, the first trigger and the\n"
                 "first alarm (revolution index and the time stamp of its first fan, 0 when the\n"
                 "packets carry none), the points inside and their histogram over 36 sectors of\n"
                 "10 deg from 0 deg. A replay summary goes to stderr.\n"
                 "\n"
                 "exit status: 0 done, 1 no revolutions in RECORDING or zones refused, 2 usage or\n"
                 "unreadable input\n");
}

// A whole number 1..1000 for `option`; prints the refusal otherwise.
bool parseThreshold(const std::string& option, const std::string& text, int& value) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (!text.empty() && *end == '\0' && v >= kWhatIfMinThreshold && v <= kWhatIfMaxThreshold) {
        value = int(v);
        return true;
    }
    printError(kCommand, option + " must be a whole number 1..1000");
    return false;
}

// The zone image to check against: taken as it is from an image file, or
// built from a zone list with the fast rasteriser.
int loadImage(const std::string& path, bool mirror, ZoneDef& def) {
    if (isZoneImageFile(path)) {
        std::string bytes;
        if (const int rc = loadZoneImageBytes(kCommand, path, bytes); rc != ExitOk) return rc;
        std::memcpy(&def, bytes.data(), kZoneDefSize);
        if (!zonedef_header_ok(def)) return printError(kCommand, path + ": bad zone header"), ExitFailure;
        if (zonedef_crc(def) != def.crc)
            printError(kCommand, "warning: " + path + ": image CRC does not match its header");
        return ExitOk;
    }
    auto list = std::make_unique<zones>();
    if (const int rc = loadZoneList(kCommand, path, *list); rc != ExitOk) return rc;
    int bad = 0;
    const int status = zones_to_zonedef(*list, mirror, 0, def, nullptr, &bad);
    if (status != kZoneListOk) return printError(kCommand, zone_list_check_text(status, bad)), ExitFailure;
    return ExitOk;
}

nlohmann::ordered_json moment(const WhatIfMoment& m) {
    if (m.revolution < 0) return nullptr;
    return {{"revolution", m.revolution}, {"sec", m.sec}, {"usec", m.usec}};
}

std::string resultJson(const WhatIfResult& result, const std::string& recording, const std::string& zonesPath,
                       bool mirror, const WhatIfOptions& options) {
    nlohmann::ordered_json head;
    head["recording"] = recording;
    head["zones"] = zonesPath;
    head["mirror"] = mirror;
    head["points"] = options.minPoints;
    head["revolutions"] = options.minRevolutions;
    head["revolutionCount"] = result.revolutions;
    std::string out = head.dump();
    out.pop_back();  // the rows follow one per line
    out += ",\n \"results\": [";
    for (size_t i = 0; i < result.rows.size(); ++i) {
        const WhatIfRow& r = result.rows[i];
        nlohmann::ordered_json row;
        row["zone"] = r.zone;
        row["kind"] = zone_kind_name(r.kind);
        row["triggered"] = r.triggered;
        row["triggeredRevolutions"] = r.triggeredRevolutions;
        row["alarms"] = r.alarms;
        row["firstTriggered"] = moment(r.firstTriggered);
        row["firstAlarm"] = moment(r.firstAlarm);
        row["pointsInside"] = r.pointsInside;
        row["sectors"] = r.sectors;
        out += (i ? ",\n  " : "\n  ") + row.dump();
    }
    out += result.rows.empty() ? "]}\n" : "\n]}\n";
    return out;
}

// The decoders print their diagnostics on standard output; while they run,
// descriptor 1 points at stderr so that stdout carries the JSON alone.
class DiagnosticsToStderr {
public:
    DiagnosticsToStderr() {
        std::fflush(stdout);
        m_saved = dup(STDOUT_FILENO);
        if (m_saved >= 0) dup2(STDERR_FILENO, STDOUT_FILENO);
    }
    ~DiagnosticsToStderr() {
        std::fflush(stdout);
        if (m_saved < 0) return;
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
    }
    DiagnosticsToStderr(const DiagnosticsToStderr&) = delete;
    DiagnosticsToStderr& operator=(const DiagnosticsToStderr&) = delete;

private:
    int m_saved = -1;
};

}  // namespace

int runWhatIf(const std::vector<std::string>& args) {
    if (wantsHelp(args)) {
        usage(stdout);
        return ExitOk;
    }
    bool mirror = false;
    WhatIfOptions options;
    std::vector<std::string> operands;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool points = a == "--points" || a.rfind("--points=", 0) == 0;
        const bool revolutions = a == "--revolutions" || a.rfind("--revolutions=", 0) == 0;
        if (a == "--mirror") {
            mirror = true;
        } else if (points || revolutions) {
            const std::string name = points ? "--points" : "--revolutions";
            std::string value;
            if (a.size() > name.size()) {
                value = a.substr(name.size() + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                printError(kCommand, name + " needs a value");
                return ExitUsage;
            }
            if (!parseThreshold(name, value, points ? options.minPoints : options.minRevolutions))
                return ExitUsage;
        } else if (a.size() > 1 && a[0] == '-') {
            printError(kCommand, "unknown option " + a);
            usage(stderr);
            return ExitUsage;
        } else {
            operands.push_back(a);
        }
    }
    if (operands.size() != 2) {
        printError(kCommand, "expected RECORDING and ZONES");
        usage(stderr);
        return ExitUsage;
    }
    const std::string& recordingPath = operands[0];
    const std::string& zonesPath = operands[1];

    RecordingFile recording;
    if (!loadRecording(kCommand, recordingPath, recording)) return ExitUsage;
    auto image = std::make_unique<ZoneDef>();
    if (const int rc = loadImage(zonesPath, mirror, *image); rc != ExitOk) return rc;

    ReplaySummary summary;
    WhatIfResult result;
    {
        DiagnosticsToStderr quiet;
        result = zone_whatif(recording.data(), recording.size(), *image, options, &summary);
    }
    std::fprintf(stderr, "bytes %zu, revolutions %d, fans %d, decode failures %d\n", summary.bytes,
                 summary.revolutions, summary.fans, summary.decodeErrors);
    if (result.revolutions == 0)
        return printError(kCommand, "no revolutions in " + recordingPath), ExitFailure;

    const std::string out = resultJson(result, recordingPath, zonesPath, mirror, options);
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
        return printError(kCommand, "writing the output failed"), ExitFailure;
    return ExitOk;
}

}  // namespace cli
