#pragma once
// One discovered scanner, as reported by the heartbeat worker (network
// heartbeats) and by the serial probe (serial ports).
//
// A plain fixed-size value with no heap memory: it crosses from the worker
// threads to the GUI thread by copy in queued signals. Every field starts
// zero-filled, whatever the type.

#include <QMetaType>
#include <cstdint>

struct DevConnInfo {
    // How the device was found.
    enum Type : int32_t {
        Uart = 0,         // serial port answering at a fixed baud rate
        Heart80 = 1,      // 80-byte heartbeat
        Heart60 = 2,      // 60-byte heartbeat
        HeartStatus = 3,  // 112-byte status heartbeat
        Vpc = 4,          // virtual (USB) serial port
    };

    int32_t type = 0;
    char com[128] = {};         // serial port name, NUL-terminated (types 0 and 4)
    int32_t baud = 0;           // baud rate found by the probe (type 0); -1 for type 4
    char ip[32] = {};           // sender's IPv4 address, dotted (types 1-3)
    int32_t port = 0;           // sender's UDP source port (types 1-3)
    char mac[32] = {};          // filled in later by the device list
    int32_t recv_time[9] = {};  // local time of reception, struct tm order: sec, min, hour,
                                // mday, mon (0-11), year - 1900, wday, yday, isdst
    uint8_t payload[112] = {};  // the datagram from its first byte; 60, 80 or 112 bytes meaningful
};

Q_DECLARE_METATYPE(DevConnInfo)
