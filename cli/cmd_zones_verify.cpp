// vantrel-cli zones write --verify: write, read the image back, compare.

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "cli_audit.h"
#include "cli_common.h"
#include "cmd_zones.h"
#include "session.h"
#include "zone_compare.h"
#include "zone_file.h"
#include "zone_image.h"
#include "zone_transfer.h"

namespace cli {

namespace {

const char* const kCmd = "zones";

std::string hex(uint64_t v, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%0*llX", width, static_cast<unsigned long long>(v));
    return buf;
}

}  // namespace

int writeZonesVerified(const std::string& linkArg, const std::string& path) {
    auto list = std::make_unique<zones>();
    if (const int rc = loadZoneList(kCmd, path, *list); rc != ExitOk) return rc;
    // Refuse early rather than leave a scanner half-erased by a list it cannot take.
    int bad = 0;
    const int status = check_zone_list(*list, &bad);
    if (status != kZoneListOk) return printError(kCmd, zone_list_check_text(status, bad)), ExitFailure;

    prepareLiveCommand();
    Session session;
    if (const int rc = openZoneSession(session, kCmd, linkArg); rc != ExitOk) return rc;
    const ZoneTransfer written = runZoneTransfer(session, true, *list);
    if (const int rc = finishZoneTransfer(session, kCmd, true, written, path); rc != ExitOk) return rc;
    if (!written.sent->complete())
        return printError(kCmd, "verify failed: the written image was not seen whole"), ExitFailure;

    const ZoneTransfer read = runZoneTransfer(session, false, zones{});
    // The read that checks the write gets its own line on the trail, after the
    // write's (already on disk), as the window records it: whether the image
    // read back matched what was written.
    AuditRecord readBack = sessionAuditRecord(session, audit::kZoneReadBack);
    readBack.command = QString::fromStdString(path);
    auto audit = [&](const char* outcome, const std::string& detail) {
        readBack.outcome = QLatin1String(outcome);
        readBack.detail = QString::fromStdString(detail);
        recordAudit(kCmd, readBack);
    };
    const std::string writtenText = "written " + hex(written.writtenCrc.value_or(0), 8);
    if (read.end != ZoneTransfer::End::Done || read.image.size() != int(sizeof(ZoneDef))) {
        const std::string why = read.failure.empty() ? "result " + std::to_string(read.result) : read.failure;
        audit(read.end == ZoneTransfer::End::NoAnswer ? audit::kNoAnswer : audit::kFailed,
              why + ", " + writtenText);
        if (read.end == ZoneTransfer::End::Interrupted || read.end == ZoneTransfer::End::Lost)
            return finishZoneTransfer(session, kCmd, false, read);
        printError(kCmd, "verify failed: reading the zones back failed" +
                             (read.failure.empty() ? std::string() : ": " + read.failure));
        return read.end == ZoneTransfer::End::NoAnswer ? ExitNoAnswer : ExitFailure;
    }
    session.close();

    auto back = std::make_unique<ZoneDef>();
    std::memcpy(back.get(), read.image.constData(), sizeof(ZoneDef));
    ZoneImageDifference diff;
    const bool matched = zone_images_equal(written.sent->image(), *back, &diff);
    readBack.imageCrc = back->crc;
    readBack.readbackMatched = matched;
    audit(audit::kSucceeded, "result " + std::to_string(read.result) + ", " + writtenText);
    if (!matched) {
        char zone[8];
        std::snprintf(zone, sizeof zone, "%X", unsigned(diff.zone));
        printError(kCmd, std::string("verify failed: zone ") + zone +
                             " read back differs from what was written (" +
                             (diff.inTable ? "direction table" : "shape records") + ", image byte " +
                             hex(diff.offset, 5) + ")");
        return ExitFailure;
    }
    std::printf("Zones written and verified (CRC %s)\n", hex(back->crc, 8).c_str());
    return ExitOk;
}

}  // namespace cli
