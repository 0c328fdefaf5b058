#include "metatypes.h"

#include "zonealarm.h"

void registerTaskMetaTypes() {
    qRegisterMetaType<RawData>("RawData");
    qRegisterMetaType<std::vector<RawData>>("std::vector<RawData>");
    ZoneAlarm::registerMetaTypes();
}
