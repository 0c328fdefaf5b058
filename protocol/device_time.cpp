#include "device_time.h"

#include <ctime>

DeviceTime device_time_to_timeval_at(uint32_t msWithinHour, int64_t nowSec) {
    const int64_t intoHour = nowSec % 3600;
    const int64_t hourStart = nowSec - intoHour;
    int64_t s = msWithinHour / 1000;
    // A stamp taken just before the hour turned arrives a few seconds after it.
    if (intoHour <= 4 && s >= 3596) s -= 3600;
    DeviceTime t;
    t.sec = int32_t(hourStart + s);
    t.usec = int32_t((msWithinHour % 1000) * 1000);
    return t;
}

DeviceTime device_time_to_timeval(uint32_t msWithinHour) {
    return device_time_to_timeval_at(msWithinHour, int64_t(std::time(nullptr)));
}
