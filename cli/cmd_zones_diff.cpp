// vantrel-cli zones diff: two zone sets compared shape by shape, as the
// scanner stores them.

#include <cstdio>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_common.h"
#include "cmd_zones.h"
#include "link.h"
#include "session.h"
#include "zone_compare.h"
#include "zone_file.h"
#include "zone_image.h"
#include "zone_json.h"
#include "zone_transfer.h"

namespace cli {

namespace {

const char* const kCmd = "zones";

// Records of an image held in `bytes`; false (after one error line) when it is no zone image.
bool imageRecords(const std::string& name, const std::vector<uint8_t>& bytes, std::vector<ZoneRecord>& out) {
    if (bytes.size() != kZoneDefSize) {
        printError(kCmd, name + ": not a zone image (" + std::to_string(bytes.size()) + " bytes)");
        return false;
    }
    auto def = std::make_unique<ZoneDef>();
    std::memcpy(def.get(), bytes.data(), kZoneDefSize);
    if (!zonedef_header_ok(*def)) {
        printError(kCmd, name + ": bad zone header");
        return false;
    }
    if (zonedef_crc(*def) != def->crc)
        printError(kCmd, "warning: " + name + ": image CRC does not match its header");
    out = zone_records_of_image(*def);
    return true;
}

bool isLink(const std::string& what) {
    return what.find("://") != std::string::npos;
}

// The records a scanner holds; *mirror receives its mirroring flag.
int loadLink(const std::string& what, std::vector<ZoneRecord>& out, bool* mirror) {
    prepareLiveCommand();
    Session session;
    if (const int rc = openZoneSession(session, kCmd, what); rc != ExitOk) return rc;
    const ZoneTransfer t = runZoneTransfer(session, false, zones{});
    if (t.end != ZoneTransfer::End::Done) return finishZoneTransfer(session, kCmd, false, t);
    *mirror = *mirror || session.direction() != 0;
    session.close();
    const std::vector<uint8_t> bytes(t.image.begin(), t.image.end());
    return imageRecords(what, bytes, out) ? ExitOk : ExitFailure;
}

// The records of a .lidar file, a raw image or a zone JSON.
int loadFile(const std::string& what, bool mirror, std::vector<ZoneRecord>& out) {
    if (isZoneImageFile(what)) {
        std::string bytes;
        if (const int rc = loadZoneImageBytes(kCmd, what, bytes); rc != ExitOk) return rc;
        return imageRecords(what, std::vector<uint8_t>(bytes.begin(), bytes.end()), out) ? ExitOk
                                                                                         : ExitFailure;
    }
    auto list = std::make_unique<zones>();
    if (const int rc = loadZoneList(kCmd, what, *list); rc != ExitOk) return rc;
    out = zone_records_of_list(*list, mirror);
    return ExitOk;
}

std::string pointsText(const ZoneRecord& record, bool mirror) {
    const ZoneEntry e = zone_record_entry(record, mirror);
    nlohmann::json pts = nlohmann::json::array();
    for (int i = 0; i < e.pointCount && i < kMaxZonePoints; ++i) {
        auto value = [](double v) -> nlohmann::json {
            if (v == static_cast<double>(static_cast<int64_t>(v))) return static_cast<int64_t>(v);
            return v;
        };
        pts.push_back({value(e.points[i].first), value(e.points[i].second)});
    }
    return pts.dump();
}

}  // namespace

int diffZones(const std::string& a, const std::string& b, bool mirror) {
    // Scanners first: a zone list compared with a scanner is taken the way
    // that scanner turns, as `zones read` and `zones write` take it.
    std::vector<ZoneRecord> left, right;
    for (auto [what, out] : {std::pair{&a, &left}, std::pair{&b, &right}})
        if (isLink(*what))
            if (const int rc = loadLink(*what, *out, &mirror); rc != ExitOk) return rc;
    for (auto [what, out] : {std::pair{&a, &left}, std::pair{&b, &right}})
        if (!isLink(*what))
            if (const int rc = loadFile(*what, mirror, *out); rc != ExitOk) return rc;
    const std::vector<ZoneRecordDiff> diffs = diff_zone_records(left, right);
    size_t count = 0;
    for (const ZoneRecordDiff& d : diffs) {
        char zone[8];
        std::snprintf(zone, sizeof zone, "%X", unsigned(d.zone));
        const std::string where = std::string("zone ") + zone + " " + zone_kind_name(d.kind) + ": ";
        for (const ZoneRecord& r : d.onlyInA)
            std::printf("%sonly in A: %s %s\n", where.c_str(), zone_shape_name(r.type),
                        pointsText(r, mirror).c_str());
        for (const ZoneRecord& r : d.onlyInB)
            std::printf("%sonly in B: %s %s\n", where.c_str(), zone_shape_name(r.type),
                        pointsText(r, mirror).c_str());
        for (const auto& [ra, rb] : d.changed)
            std::printf("%schanged: %s %s -> %s\n", where.c_str(), zone_shape_name(ra.type),
                        pointsText(ra, mirror).c_str(), pointsText(rb, mirror).c_str());
        count += d.onlyInA.size() + d.onlyInB.size() + d.changed.size();
    }
    if (count == 0) {
        std::printf("no differences\n");
        return ExitOk;
    }
    std::printf("%zu difference%s\n", count, count == 1 ? "" : "s");
    return ExitFailure;
}

}  // namespace cli
