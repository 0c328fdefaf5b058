#include <QDateTime>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "cli_common.h"
#include "cmd_zones.h"
#include "param_file.h"
#include "recvdataproc.h"
#include "session.h"
#include "zone_file.h"
#include "zone_image.h"
#include "zone_json.h"
#include "zone_transfer.h"
#include "zone_types.h"

namespace cli {

namespace {

const char* const kCmd = "zones";

void zonesUsage(FILE* out) {
    std::fprintf(
        out,
        "usage: vantrel-cli zones encode [--mirror] [--reference] ZONES.json OUT\n"
        "       vantrel-cli zones decode [--mirror] IN\n"
        "       vantrel-cli zones read|write LINK FILE.json\n"
        "       vantrel-cli zones write --verify LINK FILE.json\n"
        "       vantrel-cli zones diff [--mirror] A B\n"
        "\n"
        "encode  converts a zone list into the scanner's 212992-byte zone image and writes\n"
        "        it to OUT; an OUT ending in \".lidar\" becomes a parameter file with a\n"
        "        \"zone\" section. --reference builds the tables with the slow step-by-step\n"
        "        rasteriser the fast default is checked against; the bytes are the same.\n"
        "decode  prints the zone list held by IN (a raw zone image or a .lidar file).\n"
        "read    reads the scanner's zones and writes them to FILE.json (progress on stderr).\n"
        "write   writes the zone list of FILE.json to the scanner (progress on stderr).\n"
        "        --verify reads the image back and compares it byte for byte with what was\n"
        "        written (shape records and tables); a difference names the zone, exit 1.\n"
        "diff    compares two zone sets, each a zone JSON, a .lidar file, a raw zone image or\n"
        "        a LINK; prints per zone and kind the shapes only in A, only in B and changed\n"
        "        (as the scanner stores them); exit 0 when equal, 1 when not. A zone list\n"
        "        compared with a LINK mirrors as that scanner turns.\n"
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
        "input, 4 the scanner never answered, 5 the link was lost\n");
}

int encode(const std::string& inPath, const std::string& outPath, bool mirror, ZoneRasteriser rasteriser) {
    auto list = std::make_unique<zones>();
    if (const int rc = loadZoneList(kCmd, inPath, *list); rc != ExitOk) return rc;

    auto def = std::make_unique<ZoneDef>();
    int bad = 0;
    const auto now = static_cast<uint32_t>(QDateTime::currentSecsSinceEpoch() & 0xFFFFFFFF);
    const int status = zones_to_zonedef(*list, mirror, now, *def, nullptr, &bad, rasteriser);
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
    if (const int rc = loadZoneImageBytes(kCmd, inPath, data); rc != ExitOk) return rc;

    auto def = std::make_unique<ZoneDef>();
    std::memcpy(def.get(), data.data(), kZoneDefSize);
    auto list = std::make_unique<zones>();
    if (zonedef_to_zones(*def, mirror, *list) < 0)
        return printError(kCmd, inPath + ": bad zone header"), ExitFailure;
    if (zonedef_crc(*def) != def->crc)
        printError(kCmd, "warning: " + inPath + ": image CRC does not match its header");

    std::printf("%s\n", zones_to_json(*list).c_str());
    return ExitOk;
}

// ---- read and write on a live scanner, through the receiver as the point-cloud page does

int liveZones(bool write, const std::string& linkArg, const std::string& path) {
    auto list = std::make_unique<zones>();
    if (write) {
        if (const int rc = loadZoneList(kCmd, path, *list); rc != ExitOk) return rc;
        // Refuse early rather than leave a scanner half-erased by a list it cannot take.
        auto def = std::make_unique<ZoneDef>();
        int bad = 0;
        const int status = zones_to_zonedef(*list, false, 0, *def, nullptr, &bad);
        if (status != kZoneListOk) return printError(kCmd, zone_list_check_text(status, bad)), ExitFailure;
    }
    prepareLiveCommand();
    Session session;
    if (const int rc = connectSession(session, kCmd, linkArg, true); rc != ExitOk) return rc;
    if (!modelStoresZones(session))
        return printError(kCmd, "model " + session.model() + " stores no alarm zones"), ExitFailure;

    auto got = std::make_unique<zones>();
    RecvDataProc* r = session.receiver();
    const int rc = runZoneOperation(
        session, kCmd, write, [&] { r->recv_zoneCmd(write ? 2 : 1, *list); }, got.get(), path);
    if (rc != ExitOk) return rc;
    session.close();
    if (!write) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << zones_to_json(*got) << "\n";
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
    bool mirror = false, reference = false, verify = false;
    std::vector<std::string> operands;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--mirror")
            mirror = true;
        else if (args[i] == "--verify" && verb == "write")
            verify = true;
        else if (args[i] == "--reference" && verb == "encode")
            reference = true;
        else if (args[i].size() > 1 && args[i][0] == '-')
            return printError(kCmd, "unknown option " + args[i]), ExitUsage;
        else
            operands.push_back(args[i]);
    }
    if (verb == "encode" && operands.size() == 2)
        return encode(operands[0], operands[1], mirror,
                      reference ? ZoneRasteriser::Reference : ZoneRasteriser::Fast);
    if (verb == "decode" && operands.size() == 1) return decode(operands[0], mirror);
    if (verb == "write" && verify && operands.size() == 2 && !mirror)
        return writeZonesVerified(operands[0], operands[1]);
    if ((verb == "read" || verb == "write") && operands.size() == 2 && !mirror)
        return liveZones(verb == "write", operands[0], operands[1]);
    if (verb == "diff" && operands.size() == 2) return diffZones(operands[0], operands[1], mirror);
    zonesUsage(stderr);
    return ExitUsage;
}

}  // namespace cli
