#include "zone_json.h"

#include <cmath>
#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

const char* const kShapeNames[] = {"", "polygon", "rectangle", "ellipse", "sector", "filter"};
const char* const kKindNames[] = {"observation", "warning", "alarm"};

// Whole numbers print as integers so the output reads like the input; the
// rest print in the shortest form that reads back as the same double.
nlohmann::ordered_json number(double v) {
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 9e15) return static_cast<int64_t>(v);
    return v;
}

bool parseEntry(const json& j, int index, ZoneEntry& e, std::string& error) {
    const std::string where = "entry " + std::to_string(index) + ": ";
    if (!j.is_object()) return error = where + "not an object", false;

    const json* shape = j.contains("shape") ? &j["shape"] : nullptr;
    e.type = 0;
    if (shape && shape->is_string())
        for (int t = 1; t <= 5; ++t)
            if (shape->get<std::string>() == kShapeNames[t]) e.type = t;
    if (e.type == 0)
        return error = where + "\"shape\" must be polygon, rectangle, ellipse, sector or filter", false;

    if (!j.contains("zone") || !j["zone"].is_number_integer() || j["zone"].get<int64_t>() < 0 ||
        j["zone"].get<int64_t>() > 15)
        return error = where + "\"zone\" must be an integer 0..15", false;
    e.zoneId = int(j["zone"].get<int64_t>());

    e.kind = -1;
    if (j.contains("kind") && j["kind"].is_string())
        for (int k = 0; k < 3; ++k)
            if (j["kind"].get<std::string>() == kKindNames[k]) e.kind = k;
    if (e.kind < 0) return error = where + "\"kind\" must be observation, warning or alarm", false;

    if (!j.contains("points") || !j["points"].is_array()) return error = where + "\"points\" missing", false;
    const json& pts = j["points"];
    const bool poly = e.type == ZoneShapePolygon || e.type == ZoneShapeFilter;
    if (poly ? (pts.empty() || pts.size() > size_t(kMaxZonePoints)) : pts.size() != 2)
        return error = where + (poly ? "a polygon takes 1..20 points" : "this shape takes exactly 2 points"),
               false;
    for (size_t i = 0; i < pts.size(); ++i) {
        const json& p = pts[i];
        if (!p.is_array() || p.size() != 2 || !p[0].is_number() || !p[1].is_number())
            return error = where + "point " + std::to_string(i) + " is not a pair of numbers", false;
        e.points[i] = {p[0].get<double>(), p[1].get<double>()};
        if (!std::isfinite(e.points[i].first) || !std::isfinite(e.points[i].second))
            return error = where + "point " + std::to_string(i) + " is not finite", false;
    }
    e.pointCount = int(pts.size());
    e.selected = 0;
    return true;
}

}  // namespace

const char* zone_shape_name(int type) {
    return type >= 1 && type <= 5 ? kShapeNames[type] : "unknown";
}

const char* zone_kind_name(int kind) {
    return kind >= 0 && kind <= 2 ? kKindNames[kind] : "unknown";
}

bool zones_from_json(const std::string& text, zones& out, std::string& error) {
    out = zones{};
    const json doc = json::parse(text, nullptr, false);
    if (doc.is_discarded()) return error = "not valid JSON", false;
    const json* entries = &doc;
    if (doc.is_object() && doc.contains("zones")) entries = &doc["zones"];
    if (!entries->is_array()) return error = "expected {\"zones\": [...]}", false;
    if (entries->size() > size_t(kMaxZoneEntries)) return error = "more than 64 entries", false;
    for (size_t i = 0; i < entries->size(); ++i) {
        if (!parseEntry((*entries)[i], int(i), out.entries[i], error)) {
            out.entries[i] = ZoneEntry{};
            return false;
        }
        out.count = int(i) + 1;
    }
    return true;
}

std::string zone_entry_to_json(const ZoneEntry& e) {
    nlohmann::ordered_json pts = nlohmann::ordered_json::array();
    for (int p = 0; p < e.pointCount && p < kMaxZonePoints; ++p)
        pts.push_back({number(e.points[p].first), number(e.points[p].second)});
    nlohmann::ordered_json entry;
    entry["shape"] = zone_shape_name(e.type);
    entry["zone"] = e.zoneId;
    entry["kind"] = zone_kind_name(e.kind);
    entry["points"] = std::move(pts);
    return entry.dump();
}

std::string zones_to_json(const zones& z) {
    std::string out = "{\"zones\": [";
    for (int i = 0; i < z.count && i < kMaxZoneEntries; ++i)
        out += (i ? ",\n  " : "\n  ") + zone_entry_to_json(z.entries[i]);
    out += z.count > 0 ? "\n]}" : "]}";
    return out;
}
