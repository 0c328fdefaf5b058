#include "serial_io.h"

#include <chrono>
#include <climits>
#include <thread>

#include "transport.h"

namespace {

// The transport takes int counts; larger requests are done in pieces by the caller.
int clampCount(size_t len) {
    return len > size_t(INT_MAX) ? INT_MAX : int(len);
}

}  // namespace

int SerialPortIo::write(const uint8_t* data, size_t len) {
    if (m_handle <= 0) return -1;
    if (len == 0) return 0;
    // serial_write blocks until the driver took the bytes, so 0 is a failure, not a stall.
    const int n = serial_write(m_handle, data, clampCount(len));
    return n > 0 ? n : -1;
}

int SerialPortIo::read(uint8_t* data, size_t len) {
    if (m_handle <= 0) return -1;
    if (len == 0) return 0;
    return serial_read(m_handle, data, clampCount(len));
}

void SerialPortIo::sleepMs(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
