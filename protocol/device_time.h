#pragma once
// Time stamps of packets that carry milliseconds within the current hour.

#include <cstdint>

struct DeviceTime {
    int32_t sec = 0;   // seconds since the epoch
    int32_t usec = 0;  // microseconds
};

// Places msWithinHour in the current hour of the local clock; a stamp from
// the last seconds of the previous hour that arrives just after the hour
// turned is placed in the previous hour.
DeviceTime device_time_to_timeval(uint32_t msWithinHour);

// Same, with the clock passed in (seconds since the epoch) so tests need no real time.
DeviceTime device_time_to_timeval_at(uint32_t msWithinHour, int64_t nowSec);
