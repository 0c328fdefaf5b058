#include "cli_json.h"

#include "zone_json.h"

namespace cli {

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

OrderedJson zoneEntryJson(const ZoneEntry& e) {
    return OrderedJson::parse(zone_entry_to_json(e));
}

}  // namespace cli
