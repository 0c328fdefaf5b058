#pragma once
// The model table compiled in as ":/resource/arg.json": one entry per scanner
// model, each a small object of properties ("rpm", "baud", "I/O",
// "alarmZone", "direction", "toward", "backward", "LTYPEH", ...).
//
// The table is parsed once, on the first lookup, and kept for the life of the
// process; lookups are safe from any thread.

#include <string>
#include <string_view>

// The value of `key` in the entry of `model`: numbers as decimal text (a
// fractional number is truncated towards zero), strings unchanged, empty when
// the model or the key is absent.
//
// A value of another JSON type (true, false, null, array, object) is a data
// error in the table: the lookup throws nlohmann::json::type_error, whose
// message contains "type must be string, but is <type>". The shipped table has
// no such value.
std::string model_property(const std::string& model, const std::string& key);

// The same lookup over a table given as JSON text (a leading UTF-8 byte-order
// mark is allowed). Text that is not a JSON object yields empty results.
// Throws like model_property.
std::string model_property_in(std::string_view tableJson, const std::string& model, const std::string& key);

// Maps the compact identifier a serial scanner reports to its table name:
// "" -> "TQX-35(45)KRN-2", "TQX70K3" -> "TQX-70K-3", "TQX70K2" -> "TQX-70K-2",
// "TQX45DG45R" -> "TQX-45D-G45R", "TQX35DG45R" -> "TQX-35D-G45R",
// "TQXH500R" -> "TQX-H500-R", "TQXH510R" -> "TQX-H510-R"; anything else unchanged.
std::string normalize_model_id(const std::string& id);
