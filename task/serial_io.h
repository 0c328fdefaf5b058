#pragma once
// SerialIo over an open serial handle (the link handle of transport.h), for
// the plain-text exchange of UART links.
//
// Does not own the handle: whoever opened it closes it. Reads never wait
// (they return what the driver has buffered); sleepMs blocks the calling
// thread. Use from one thread at a time.

#include <cstddef>
#include <cstdint>

#include "uart_query.h"

class SerialPortIo : public SerialIo {
public:
    explicit SerialPortIo(int handle) : m_handle(handle) {}

    // Bytes written, or -1 when the handle is not open or the write failed.
    int write(const uint8_t* data, size_t len) override;
    // Bytes read (0 when none were waiting), or -1 on a read error.
    int read(uint8_t* data, size_t len) override;
    void sleepMs(int ms) override;

    int handle() const { return m_handle; }

private:
    int m_handle;
};
