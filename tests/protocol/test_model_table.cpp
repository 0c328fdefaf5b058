#include <gtest/gtest.h>

#include <QFile>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "model_table.h"

namespace {

// The model table as the product documentation lists it; "" = key absent.
struct ModelRow {
    const char* name;
    const char* tf;
    const char* rpm;
    const char* direction;
    const char* type;
    const char* io;
    const char* alarmZone;
    const char* toward;
    const char* backward;
    const char* baud;
    const char* ltypeh;
};

const ModelRow kModels[] = {
    {"TQX-H520-S", "18000", "600|900|1200|1500", "0", "udp", "1", "1", "", "", "", ""},
    {"TQX-H521-S", "18000", "600|900|1200|1500", "0", "udp", "0", "1", "", "", "", ""},
    {"TQX-H530-S", "30000", "600|900|1200|1500", "0", "udp", "1", "1", "0|180", "0|180", "", ""},
    {"TQX-W70K-S", "20000", "300|600|900", "0", "udp", "1", "1", "", "", "", ""},
    {"TQR-20B-D50F55", "18000", "600|900", "0", "udp", "1", "1", "", "", "", ""},
    {"TQR-60T-G40F55", "18000", "600|900", "0", "udp", "1", "1", "", "", "", ""},
    {"WMB70QK/PRO", "18000", "600|900", "0", "udp", "1", "1", "", "", "", ""},
    {"TQR-60D-D40F", "30000", "600|900", "0", "udp", "0", "0", "", "", "", ""},
    {"TQR-60D-D50F", "18000", "600|900", "0", "udp", "0", "1", "", "", "", ""},
    {"TQX-70K-D40F", "30000", "600|900", "0", "udp", "0", "0", "", "", "", ""},
    {"TQX-70K-D40F-R", "30000", "600|900", "0", "udp", "0", "0", "", "", "", ""},
    {"TQX-70K-D50F", "18000", "600|900", "0", "udp", "0", "0", "", "", "", ""},
    {"TQX-70K-D50F-R", "18000", "600|900", "1", "udp", "0", "0", "", "", "", ""},
    {"TQX-70K-E-R", "30000", "600|900", "1", "udp", "0", "0", "", "18|180", "", ""},
    {"TQX-H400-E", "18000", "600|900", "1", "udp", "0", "0", "", "18|180", "", ""},
    {"TQX-H400-E-KVO", "18000", "600|900", "1", "udp", "0", "0", "", "18|180", "", ""},
    {"TQX-H500-E", "18000", "600|900|1200|1500", "0|1", "udp", "0", "0", "0|180", "0|180", "", ""},
    {"TQX-H510-E", "30000", "600|900|1200|1500", "0", "udp", "0", "0", "", "", "", ""},
    {"TQX-H540-E", "84000", "600|900|1200|1500|1800", "0|1", "udp", "0", "0", "0|180", "0|180", "", ""},
    {"TQX-H540-S", "84000", "600|900|1200|1500|1800", "0|1", "udp", "2", "1", "0|180", "0|180", "", ""},
    {"TQX-H540-S_T", "84000", "600|900|1200|1500|1800", "0|1", "udp", "2", "1", "0|180", "0|180", "", ""},
    {"TQX-H600-E", "84000", "600|900|1200|1500|1800|2100|2400|2700|3000", "0|1", "udp", "0", "0", "0|180",
     "8|184", "", ""},
    {"TQX-35(45)KRN-2", "7000", "300|600", "0", "uart", "0", "0", "", "", "230400|256000", ""},
    {"TQX-35D-G45R", "18000", "420|600", "0", "uart", "0", "0", "", "", "768000|1000000", "TQX35DG45R"},
    {"TQX-45D-G45R", "18000", "420|600", "0", "uart", "0", "0", "", "", "768000|1000000", "TQX45DG45R"},
    {"TQX-70K-2", "9200", "420|600|900", "0", "uart", "0", "0", "", "", "384000|500000|768000|921600",
     "TQX70K2"},
    {"TQX-70K-3", "16200", "420|600|900", "0", "uart", "0", "0", "", "", "500000|768000|921600", "TQX70K3"},
    {"TQX-70K-R", "18000", "600|900", "1", "uart", "0", "0", "", "0|189", "768000|921600", "TQX-70K-R"},
    {"TQX-H500-R", "18000", "600|900|1200|1500", "0", "uart", "0", "0", "", "", "768000|100000", "TQXH500R"},
    {"TQX-H510-R", "18000", "600|900|1200|1500", "0", "uart", "0", "0", "", "", "768000|100000", "TQXH510R"},
    {"TQX-H320-R", "18000", "480", "0", "uart", "0", "0", "", "", "230400", ""},
    {"TQX-H400-R", "18000", "600|900", "1", "uart", "0", "0", "", "0|189", "768000|921600", "TQX-H400-R"},
    {"TQX-H400-A", "18000", "600|900", "1", "uart", "2", "1", "", "0|189", "230400|460800|921600",
     "TQX-H400-A"},
    {"TQX-H400-A4", "18000", "600|900", "1", "uart", "2", "1", "", "0|189", "1500000", "TQX-H400-A4"},
};

QByteArray resourceBytes() {
    model_property("", "");  // registers the compiled-in resources
    QFile file(QStringLiteral(":/resource/arg.json"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

}  // namespace

TEST(ModelTable, EveryEntryMatchesTheDocumentedTable) {
    ASSERT_EQ(std::size(kModels), 34u);
    for (const ModelRow& m : kModels) {
        SCOPED_TRACE(m.name);
        EXPECT_EQ(model_property(m.name, "tf"), m.tf);
        EXPECT_EQ(model_property(m.name, "rpm"), m.rpm);
        EXPECT_EQ(model_property(m.name, "direction"), m.direction);
        EXPECT_EQ(model_property(m.name, "type"), m.type);
        EXPECT_EQ(model_property(m.name, "I/O"), m.io);
        EXPECT_EQ(model_property(m.name, "alarmZone"), m.alarmZone);
        EXPECT_EQ(model_property(m.name, "toward"), m.toward);
        EXPECT_EQ(model_property(m.name, "backward"), m.backward);
        EXPECT_EQ(model_property(m.name, "baud"), m.baud);
        EXPECT_EQ(model_property(m.name, "LTYPEH"), m.ltypeh);
    }
}

TEST(ModelTable, ResourceHasByteOrderMarkEntriesInOrderAndTypedValues) {
    const QByteArray bytes = resourceBytes();
    ASSERT_GE(bytes.size(), 3);
    EXPECT_EQ(static_cast<uint8_t>(bytes[0]), 0xEF);
    EXPECT_EQ(static_cast<uint8_t>(bytes[1]), 0xBB);
    EXPECT_EQ(static_cast<uint8_t>(bytes[2]), 0xBF);

    // Parsed independently of the lookup: member order, count and JSON types.
    const std::string text(bytes.constData() + 3, size_t(bytes.size() - 3));
    const auto doc = nlohmann::ordered_json::parse(text);
    ASSERT_TRUE(doc.is_object());
    ASSERT_EQ(doc.size(), 34u);
    size_t i = 0;
    for (const auto& [name, entry] : doc.items()) {
        SCOPED_TRACE(name);
        EXPECT_EQ(name, kModels[i++].name);
        EXPECT_TRUE(entry.at("tf").is_number_integer());
        EXPECT_TRUE(entry.at("I/O").is_number_integer());
        EXPECT_TRUE(entry.at("alarmZone").is_number_integer());
        for (const char* key : {"rpm", "direction", "type"}) EXPECT_TRUE(entry.at(key).is_string()) << key;
        for (const char* key : {"toward", "backward", "baud", "LTYPEH"}) {
            if (entry.contains(key)) {
                EXPECT_TRUE(entry.at(key).is_string()) << key;
            }
        }
    }
}

TEST(ModelTable, DocumentedLookups) {
    EXPECT_EQ(model_property("TQX-H540-S", "I/O"), "2");
    EXPECT_EQ(model_property("TQX-H540-S", "baud"), "");
    EXPECT_EQ(model_property("TQX-H500-R", "baud"), "768000|100000");
    EXPECT_EQ(model_property("TQX-H510-R", "baud"), "768000|100000");
}

TEST(ModelTable, UnknownModelOrKeyIsEmpty) {
    EXPECT_EQ(model_property("TQX-NOPE", "rpm"), "");
    EXPECT_EQ(model_property("", "rpm"), "");
    EXPECT_EQ(model_property("tqx-h540-s", "I/O"), "");  // model names are exact
    EXPECT_EQ(model_property("TQX-H540-S", "speed"), "");
}

TEST(ModelTable, FractionalNumbersAreTruncated) {
    const std::string table =
        "\xEF\xBB\xBF{\"M\": {\"f\": 12.9, \"g\": -3.7, \"big\": 84000, \"s\": \"x|y\"}}";
    EXPECT_EQ(model_property_in(table, "M", "f"), "12");
    EXPECT_EQ(model_property_in(table, "M", "g"), "-3");
    EXPECT_EQ(model_property_in(table, "M", "big"), "84000");
    EXPECT_EQ(model_property_in(table, "M", "s"), "x|y");
}

TEST(ModelTable, ValueOfAnotherTypeIsATypeError) {
    const std::string table = R"({"M": {"b": true, "n": null, "a": [1], "o": {}}})";
    for (const char* key : {"b", "n", "a", "o"}) {
        SCOPED_TRACE(key);
        try {
            model_property_in(table, "M", key);
            ADD_FAILURE() << "no type error";
        } catch (const nlohmann::json::type_error& e) {
            EXPECT_NE(std::string(e.what()).find("type must be string, but is "), std::string::npos)
                << e.what();
        }
    }
}

TEST(ModelTable, MalformedTableAnswersEmpty) {
    EXPECT_EQ(model_property_in("{\"M\": {\"rpm\": ", "M", "rpm"), "");
    EXPECT_EQ(model_property_in("[1, 2]", "M", "rpm"), "");
    EXPECT_EQ(model_property_in(R"({"M": "not an object"})", "M", "rpm"), "");
}

TEST(NormalizeModelId, CompactIdentifiersMapToTableNames) {
    EXPECT_EQ(normalize_model_id(""), "TQX-35(45)KRN-2");
    EXPECT_EQ(normalize_model_id("TQX70K3"), "TQX-70K-3");
    EXPECT_EQ(normalize_model_id("TQX70K2"), "TQX-70K-2");
    EXPECT_EQ(normalize_model_id("TQX45DG45R"), "TQX-45D-G45R");
    EXPECT_EQ(normalize_model_id("TQX35DG45R"), "TQX-35D-G45R");
    EXPECT_EQ(normalize_model_id("TQXH500R"), "TQX-H500-R");
    EXPECT_EQ(normalize_model_id("TQXH510R"), "TQX-H510-R");
}

TEST(NormalizeModelId, OtherIdentifiersAreUnchanged) {
    EXPECT_EQ(normalize_model_id("TQX-H400-A4"), "TQX-H400-A4");
    EXPECT_EQ(normalize_model_id("TQX-70K-R"), "TQX-70K-R");
    EXPECT_EQ(normalize_model_id("something else"), "something else");
    EXPECT_EQ(normalize_model_id("tqx70k3"), "tqx70k3");
}

TEST(NormalizeModelId, EmptySerialIdentityIsAKnownModel) {
    EXPECT_EQ(model_property(normalize_model_id(""), "baud"), "230400|256000");
}
