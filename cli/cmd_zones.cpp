#include <QDateTime>
#include <QElapsedTimer>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "cli_common.h"
#include "model_table.h"
#include "param_file.h"
#include "recvdataproc.h"
#include "session.h"
#include "zone_image.h"
#include "zone_types.h"
#include "zones_json.h"

namespace cli {

namespace {

const char* const kCmd = "zones";

void zonesUsage(FILE* out) {
    std::fprintf(
        out,
        "usage: vantrel-cli zones encode [--mirror] ZONES.json OUT\n"
        "       vantrel-cli zones decode [--mirror] IN\n"
        "       vantrel-cli zones read|write LINK FILE.json\n"
        "\n"
        "encode  converts a zone list into the scanner's 212992-byte zone image and writes\n"
        "        it to OUT; an OUT ending in \".lidar\" becomes a parameter file with a\n"
        "        \"zone\" section.\n"
        "decode  prints the zone list held by IN (a raw zone image or a .lidar file).\n"
        "read    reads the scanner's zones and writes them to FILE.json (progress on stderr).\n"
        "write   writes the zone list of FILE.json to the scanner (progress on stderr).\n"
        "        LINK: udp://IP:PORT[?local=PORT] | tcp://IP:PORT | uart:///dev/PATH?baud=N |\n"
        "              vpc:///dev/PATH[?baud=N]; read and write mirror as the scanner's model turns.\n"
        "--mirror  the scanner turns the other way: lateral values change sign on the way\n"
        "        to the device and back.\n"
        "\n"
        "Zone list (JSON):\n"
        "  {\"zones\": [ENTRY, ...]}            at most 64 entries\n"
        "  ENTRY = {\"shape\": S, \"zone\": Z, \"kind\": K, \"points\": [[a, b], ...]}\n"
        "  S  \"polygon\", \"rectangle\", \"ellipse\", \"sector\" or \"filter\" (filter polygon)\n"
        "  Z  zone number 0..15\n"
        "  K  \"observation\", \"warning\" or \"alarm\"\n"
        "  points, lengths in mm, lateral positive to the right, forward positive ahead:\n"
        "    polygon, filter  1..20 vertices [lateral, forward]\n"
        "    rectangle        [[bottom, left], [top, right]]  (forward, lateral)\n"
        "    ellipse          [[centre lateral, centre forward], [width, height]]\n"
        "    sector           [[start angle, end angle], [far, near]]  (angles in 0.1 deg)\n"
        "\n"
        "exit status: 0 done, 1 refused, not a zone image or transfer failed, 2 usage or unreadable\n"
        "input, 4 the scanner never answered\n");
}

bool readFile(const std::string& path, std::string& data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool endsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Reads and checks a zone list file. ExitOk, or the exit status after one error line.
int loadZones(const std::string& inPath, zones& list) {
    std::string text;
    if (!readFile(inPath, text)) return printError(kCmd, "cannot read " + inPath), ExitUsage;
    std::string error;
    switch (parse_zone_list(text, list, error)) {
        case ZoneListParse::Ok:
            return ExitOk;
        case ZoneListParse::Malformed:
            return printError(kCmd, inPath + ": " + error), ExitUsage;
        case ZoneListParse::Refused:
            return printError(kCmd, error), ExitFailure;
    }
    return ExitFailure;
}

int encode(const std::string& inPath, const std::string& outPath, bool mirror) {
    auto list = std::make_unique<zones>();
    if (const int rc = loadZones(inPath, *list); rc != ExitOk) return rc;

    auto def = std::make_unique<ZoneDef>();
    int bad = 0;
    const auto now = static_cast<uint32_t>(QDateTime::currentSecsSinceEpoch() & 0xFFFFFFFF);
    const int status = zones_to_zonedef(*list, mirror, now, *def, nullptr, &bad);
    if (status != kZoneListOk) return printError(kCmd, zone_list_check_text(status, bad)), ExitFailure;

    const auto* bytes = reinterpret_cast<const uint8_t*>(def.get());
    if (endsWith(outPath, ".lidar")) {
        std::string error;
        if (!write_param_file(outPath, bytes, nullptr, &error))
            return printError(kCmd, "cannot write " + outPath + (error.empty() ? "" : ": " + error)),
                   ExitFailure;
        return ExitOk;
    }
    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes), kZoneDefSize);
    out.close();
    if (!out) return printError(kCmd, "cannot write " + outPath), ExitFailure;
    return ExitOk;
}

int decode(const std::string& inPath, bool mirror) {
    std::string data;
    if (endsWith(inPath, ".lidar")) {
        const auto contents = read_param_file(inPath);
        if (!contents) return printError(kCmd, "cannot read " + inPath), ExitUsage;
        if (!contents->zoneImage) return printError(kCmd, inPath + ": no \"zone\" section"), ExitFailure;
        data.assign(contents->zoneImage->begin(), contents->zoneImage->end());
    } else if (!readFile(inPath, data)) {
        return printError(kCmd, "cannot read " + inPath), ExitUsage;
    }
    if (data.size() != kZoneDefSize)
        return printError(kCmd, inPath + ": not a zone image (" + std::to_string(data.size()) + " bytes)"),
               ExitFailure;

    auto def = std::make_unique<ZoneDef>();
    std::memcpy(def.get(), data.data(), kZoneDefSize);
    auto list = std::make_unique<zones>();
    if (zonedef_to_zones(*def, mirror, *list) < 0)
        return printError(kCmd, inPath + ": bad zone header"), ExitFailure;
    if (zonedef_crc(*def) != def->crc)
        printError(kCmd, "warning: " + inPath + ": image CRC does not match its header");

    std::printf("%s\n", zone_list_json(*list).c_str());
    return ExitOk;
}

// ---- read and write on a live scanner, through the receiver as the point-cloud page does

// A transfer takes 418 exchanges, and on a lossy link each lost one costs a
// re-send 1.5 s later: its length has no useful bound, its silence has. A
// stalled piece is given up by the sender well within this.
constexpr int kStallBoundMs = 20000;

int liveZones(bool write, const std::string& linkArg, const std::string& path) {
    auto list = std::make_unique<zones>();
    if (write) {
        if (const int rc = loadZones(path, *list); rc != ExitOk) return rc;
        // Refuse early rather than leave a scanner half-erased by a list it cannot take.
        auto def = std::make_unique<ZoneDef>();
        int bad = 0;
        const int status = zones_to_zonedef(*list, false, 0, *def, nullptr, &bad);
        if (status != kZoneListOk) return printError(kCmd, zone_list_check_text(status, bad)), ExitFailure;
    }
    prepareLiveCommand();
    Session session;
    if (const int rc = connectSession(session, kCmd, linkArg, true); rc != ExitOk) return rc;
    std::string alarmZone;
    try {
        alarmZone = model_property(session.model(), "alarmZone");
    } catch (const std::exception&) {
    }
    if (alarmZone == "0")
        return printError(kCmd, "model " + session.model() + " stores no alarm zones"), ExitFailure;

    const int resultType = write ? 7 : 6;
    bool finished = false, gaveUp = false;
    int result = 0;
    std::string failure;
    auto got = std::make_unique<zones>();
    RecvDataProc* r = session.receiver();
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    QObject::connect(r, &RecvDataProc::sig_progress, &session, [&](int rate, QString title, QString info) {
        sinceProgress.restart();
        std::fprintf(stderr, "%s: %d%s%s\n", title.toStdString().c_str(), rate, info.isEmpty() ? "" : " ",
                     info.toStdString().c_str());
        if (rate < 0 || (write && rate == 25 && info.startsWith("resp result"))) failure = info.toStdString();
    });
    QObject::connect(r, &RecvDataProc::sig_zoneData, &session, [&](zones z) { *got = z; });
    QObject::connect(&session, &Session::sig_message, &session, [&](int type, QByteArray data) {
        if (type != resultType || finished) return;
        finished = true;
        result = data.toInt();
    });
    QObject::connect(&session, &Session::sig_respondFinish, &session, [&](int mode, QString, int) {
        if (mode == 0x5A47 || mode == 0x5A53) gaveUp = true;
    });

    r->recv_zoneCmd(write ? 2 : 1, *list);
    while (!finished && !gaveUp && !interrupted() && sinceProgress.elapsed() < kStallBoundMs)
        waitUntil([&] { return finished || gaveUp; }, 500);
    if (!finished) {
        // Cancel so the receiver does not act on a late reply while the link closes.
        r->recv_zoneCmd(0, zones{});
        if (interrupted()) return printError(kCmd, "interrupted"), ExitInterrupted;
        if (gaveUp)
            return printError(kCmd, "the scanner stopped answering during the transfer"), ExitNoAnswer;
        return printError(kCmd, "the transfer made no progress for 20 s"), ExitFailure;
    }
    if (write ? result <= 0 : result != 1) {
        printError(kCmd, std::string(write ? "write zone failed" : "read zone failed") +
                             (failure.empty() ? " (result " + std::to_string(result) + ")" : ": " + failure));
        return ExitFailure;
    }
    session.close();
    if (!write) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << zone_list_json(*got) << "\n";
        out.close();
        if (!out) return printError(kCmd, "cannot write " + path), ExitFailure;
    }
    return ExitOk;
}

}  // namespace

int runZones(const std::vector<std::string>& args) {
    if (wantsHelp(args)) {
        zonesUsage(stdout);
        return ExitOk;
    }
    if (args.empty()) {
        zonesUsage(stderr);
        return ExitUsage;
    }
    const std::string& verb = args[0];
    bool mirror = false;
    std::vector<std::string> operands;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--mirror")
            mirror = true;
        else if (args[i].size() > 1 && args[i][0] == '-')
            return printError(kCmd, "unknown option " + args[i]), ExitUsage;
        else
            operands.push_back(args[i]);
    }
    if (verb == "encode" && operands.size() == 2) return encode(operands[0], operands[1], mirror);
    if (verb == "decode" && operands.size() == 1) return decode(operands[0], mirror);
    if ((verb == "read" || verb == "write") && operands.size() == 2 && !mirror)
        return liveZones(verb == "write", operands[0], operands[1]);
    zonesUsage(stderr);
    return ExitUsage;
}

}  // namespace cli
