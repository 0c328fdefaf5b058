#pragma once
// Finds scanners on serial ports: each port is asked for its identity
// ("LUUIDH") at the fixed baud rates a scanner UART may run at, and, if none
// answers, once more with a framed request as a USB virtual serial port.
//
// Blocking; runs on a background thread of its own (one probe pass takes a
// few tens of milliseconds per port and rate). The port I/O is passed in so a
// test can drive the probe with a script.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Serial port operations the probe needs. Handles > 0 are open ports.
class SerialProbeIo {
public:
    virtual ~SerialProbeIo() = default;
    // Every serial port present, in enumeration order.
    virtual std::vector<std::string> listPorts() = 0;
    // Opens a port at a baud rate: the handle (> 0), or <= 0 when it cannot be opened.
    virtual int open(const std::string& name, int baud) = 0;
    // Writes n bytes; the number written.
    virtual int write(int handle, const uint8_t* data, size_t n) = 0;
    // One non-blocking read of at most max bytes: the count (0 when nothing is waiting), -1 on error.
    virtual int read(int handle, uint8_t* buf, size_t max) = 0;
    virtual void close(int handle) = 0;
    // Waits about ms milliseconds.
    virtual void pause(int ms) = 0;
    // Waits at most ms milliseconds for bytes to arrive on an open port,
    // returning as soon as some do. Ports that cannot tell just pause.
    virtual void waitForData(int handle, int ms) {
        (void)handle;
        pause(ms);
    }
    // Sequence number of the framed request.
    virtual uint16_t sequenceNumber() = 0;
};

// The system's serial ports.
std::unique_ptr<SerialProbeIo> makeSystemSerialProbeIo();

struct SerialProbeHit {
    std::string port;
    int baud = 0;  // the rate that answered; -1 for a virtual serial port
};

// Baud rates tried, in order.
extern const int kProbeBaudRates[9];

// Probes every port; returns the scanners found, in enumeration order.
std::vector<SerialProbeHit> probeSerialPorts(SerialProbeIo& io);
