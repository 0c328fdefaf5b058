#include "cli_json.h"

#include <cmath>

namespace cli {

const char* const kZoneShapeNames[6] = {"", "polygon", "rectangle", "ellipse", "sector", "filter"};
const char* const kZoneKindNames[3] = {"observation", "warning", "alarm"};

namespace {

OrderedJson bytesArray(const uint8_t* p, size_t n) {
    OrderedJson a = OrderedJson::array();
    for (size_t i = 0; i < n; ++i) a.push_back(p[i]);
    return a;
}

}  // namespace

OrderedJson blockJson(const EEpromV101& b, const std::string& linkType) {
    OrderedJson j;
    j["productSn"] = eeprom_product_sn(b);
    j["typeId"] = eeprom_type_id(b);
    j["deviceId"] = b.deviceId;
    if (linkType == "UART")
        j["baud"] = eeprom_uart_baud(b);
    else
        j["ip"] = eeprom_dotted_quad(b.ip);
    j["mask"] = eeprom_dotted_quad(b.mask);
    j["gateway"] = eeprom_dotted_quad(b.gateway);
    j["uploadIp"] = eeprom_dotted_quad(b.uploadIp);
    j["uploadPort"] = b.uploadPort;
    j["lidarPort"] = b.lidarPort;
    j["rpm"] = b.rpm;
    j["zirDistance"] = b.zirDistance;
    j["fir"] = b.fir;
    j["cir"] = b.cir;
    j["res"] = b.res;
    j["ats"] = b.ats;
    j["tfx"] = b.tfx;
    j["smt"] = b.smt;
    j["dsw"] = b.dsw;
    j["dog"] = b.dog;
    j["pnpBits"] = b.pnpBits;
    j["af"] = b.af;
    j["azn"] = b.azn;
    j["activeZone"] = b.azn & 0x0F;
    j["softwareZoneSwitching"] = ((b.azn >> 4) & 1) != 0;
    j["pst"] = b.pst;
    j["outMap"] = bytesArray(b.outMap, sizeof b.outMap);
    j["ccw"] = b.ccw;
    j["flags143"] = b.flags143;
    j["segmentation"] = eeprom_segmentation(b);
    return j;
}

OrderedJson numberJson(double v) {
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 9e15) return static_cast<int64_t>(v);
    return v;
}

OrderedJson zoneEntryJson(const ZoneEntry& e) {
    OrderedJson pts = OrderedJson::array();
    for (int p = 0; p < e.pointCount && p < kMaxZonePoints; ++p)
        pts.push_back({numberJson(e.points[p].first), numberJson(e.points[p].second)});
    OrderedJson entry;
    entry["shape"] = (e.type >= 1 && e.type <= 5) ? kZoneShapeNames[e.type] : "unknown";
    entry["zone"] = e.zoneId;
    entry["kind"] = (e.kind >= 0 && e.kind <= 2) ? kZoneKindNames[e.kind] : "unknown";
    entry["points"] = std::move(pts);
    return entry;
}

std::string zonesJson(const zones& z) {
    // One entry per line, keys in the order of the input form.
    std::string out = "{\"zones\": [";
    for (int i = 0; i < z.count && i < kMaxZoneEntries; ++i)
        out += (i ? ",\n  " : "\n  ") + zoneEntryJson(z.entries[i]).dump();
    out += z.count ? "\n]}" : "]}";
    return out;
}

}  // namespace cli
