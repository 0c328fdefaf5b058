#pragma once
// Value types of the acquisition workers that cross threads in queued
// signals: one decoded fan ("RawData") and one revolution
// ("std::vector<RawData>"). Both are copied by value.

#include <QMetaType>
#include <vector>

#include "rawdata.h"

Q_DECLARE_METATYPE(RawData)
Q_DECLARE_METATYPE(std::vector<RawData>)

// Registers "RawData", "std::vector<RawData>" and the zone types ("zones",
// "ZoneDef*") under those names. Idempotent; any thread.
void registerTaskMetaTypes();
