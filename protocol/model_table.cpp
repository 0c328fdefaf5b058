#include "model_table.h"

#include <QFile>
#include <QtGlobal>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <nlohmann/json.hpp>

// The resource library is static: without an explicit initialisation the
// linker drops the compiled-in table. Must be called outside any namespace.
static void initModelTableResource() {
    Q_INIT_RESOURCE(resources);
}

namespace {

using nlohmann::json;

// Parse failures leave a null document, which answers every lookup with "".
json parseTable(std::string_view text) {
    json table = json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
    if (table.is_discarded() || !table.is_object()) return json();
    return table;
}

const json& builtinTable() {
    // Function-local static: initialised once, thread-safe by the language.
    static const json table = [] {
        initModelTableResource();
        QFile file(QStringLiteral(":/resource/arg.json"));
        if (!file.open(QIODevice::ReadOnly)) {
            qWarning("model table: cannot open :/resource/arg.json");
            return json();
        }
        const QByteArray bytes = file.readAll();
        json parsed = parseTable(std::string_view(bytes.constData(), size_t(bytes.size())));
        if (parsed.is_null()) qWarning("model table: :/resource/arg.json is not a JSON object");
        return parsed;
    }();
    return table;
}

std::string numberText(const json& value) {
    if (value.is_number_unsigned()) return std::to_string(value.get<uint64_t>());
    if (value.is_number_integer()) return std::to_string(value.get<int64_t>());
    const double truncated = std::trunc(value.get<double>());
    // Outside the int64 range the cast would be undefined; print the
    // (already integral) double instead.
    if (truncated >= -9.2e18 && truncated <= 9.2e18) return std::to_string(static_cast<int64_t>(truncated));
    char text[400];
    std::snprintf(text, sizeof text, "%.0f", truncated);
    return text;
}

std::string lookup(const json& table, const std::string& model, const std::string& key) {
    if (!table.is_object()) return {};
    const auto entry = table.find(model);
    if (entry == table.end() || !entry->is_object()) return {};
    const auto value = entry->find(key);
    if (value == entry->end()) return {};
    if (value->is_number()) return numberText(*value);
    // Throws type_error 302 "type must be string, but is ..." for the other types.
    return value->get<std::string>();
}

}  // namespace

std::string model_property(const std::string& model, const std::string& key) {
    return lookup(builtinTable(), model, key);
}

std::string model_property_in(std::string_view tableJson, const std::string& model, const std::string& key) {
    return lookup(parseTable(tableJson), model, key);
}

std::string normalize_model_id(const std::string& id) {
    struct Alias {
        const char* compact;
        const char* name;
    };
    static const Alias kAliases[] = {
        {"", "TQX-35(45)KRN-2"},        {"TQX70K3", "TQX-70K-3"},       {"TQX70K2", "TQX-70K-2"},
        {"TQX45DG45R", "TQX-45D-G45R"}, {"TQX35DG45R", "TQX-35D-G45R"}, {"TQXH500R", "TQX-H500-R"},
        {"TQXH510R", "TQX-H510-R"},
    };
    for (const auto& alias : kAliases)
        if (id == alias.compact) return alias.name;
    return id;
}
