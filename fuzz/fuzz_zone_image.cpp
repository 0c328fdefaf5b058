// The zone image as it arrives from a scanner or a parameter file, decoded
// into the zone list (ZoneDefToZones). The input is the front of the image
// (header and shape records; the rest stays zero) after one byte choosing the
// mirroring flag. Every decoded entry must be one the pages can take.

#include <QtGlobal>
#include <cmath>
#include <memory>

#include "fuzz_entry.h"
#include "zonealarm.h"

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

void checkEntry(const ZoneEntry& e) {
    FUZZ_CHECK(e.type >= ZoneShapePolygon && e.type <= ZoneShapeFilter);
    FUZZ_CHECK(e.zoneId >= 0 && e.zoneId < kZoneCount);
    FUZZ_CHECK(e.kind >= ZoneKindObservation && e.kind <= ZoneKindAlarm);
    FUZZ_CHECK(e.pointCount >= 1 && e.pointCount <= kMaxZonePoints);
    for (int i = 0; i < e.pointCount; ++i)
        FUZZ_CHECK(std::isfinite(e.points[i].first) && std::isfinite(e.points[i].second));
}

}  // namespace

VANTREL_FUZZ_TARGET(zone_image) {
    static const bool silenced = (qInstallMessageHandler(quiet), true);
    (void)silenced;
    fuzz::Reader in(data, size);
    const bool mirror = in.byte() & 1;
    size_t n = 0;
    const uint8_t* front = in.take(offsetof(ZoneDef, tables), n);

    static ZoneAlarm worker;
    auto image = std::make_unique<ZoneDef>();
    std::memset(image.get(), 0, sizeof(ZoneDef));
    std::memcpy(image.get(), front, n);
    worker.setDirection(mirror ? 1 : 0);
    const bool ok = worker.ZoneDefToZones(image.get());
    FUZZ_CHECK(ok == zonedef_header_ok(*image));
    const zones& list = worker.getZones();
    FUZZ_CHECK(list.count >= 0 && list.count <= kMaxZoneEntries);
    if (!ok) FUZZ_CHECK(list.count == 0);
    for (int i = 0; i < list.count; ++i) {
        checkEntry(list.entries[i]);
        ZoneEntry copy = list.entries[i];
        validate_zone_entry(copy, 0);
    }
    int bad = 0;
    const int status = check_zone_list(list, &bad);
    FUZZ_CHECK(status == kZoneListOk || status == kZoneListBadEntry || status == kZoneListSlotOverflow);

    // One slot of any length, as the slot decoder is also called on its own.
    auto slot = fuzz::exactCopy(front, n);
    zones more;
    const int appended = set_graph(0, slot.get(), n, mirror, more);
    FUZZ_CHECK(appended == more.count);
    for (int i = 0; i < more.count; ++i) checkEntry(more.entries[i]);
    return 0;
}
