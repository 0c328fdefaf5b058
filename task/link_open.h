#pragma once
// Opening a scanner link the way the program does it: a serial port at its
// baud rate; a UDP socket on the local data port (moving up when it is taken)
// after the scanner answered ping; or the TCP pair P (commands) and P + 1
// (data) after ping. The caller turns a failure into its own message; on
// success it holds the descriptors through `link`, which closes them once
// the caller and every worker it hands the link to have let go.
//
// Blocking: ping waits up to 100 ms, each TCP connect up to its time-out, so
// a window calls it off its GUI thread. Any thread.

#include <atomic>
#include <string>

#include "scanner_link.h"

enum class LinkOpenStatus {
    Ok,
    SerialOpenFailed,  // open_serial gave < 1 (see serialResult)
    Unreachable,       // no answer to ping
    UdpBindFailed,     // udp_open failed for another reason than ports in use
    UdpPortsInUse,     // the local port and the 100 above it are all taken
    TcpConnectFailed,  // P or P + 1 refused; nothing is left open
    UnknownType,
    Cancelled,  // called off through `cancel`; nothing is left open
};

// The rate a USB virtual serial port ("VPC") is opened at when the caller has
// none: such ports ignore the rate, and the serial probe finds them at this
// nominal one (device rows carry -1 for it).
constexpr int kVpcNominalBaud = 12345;

struct LinkOpenResult {
    LinkOpenStatus status = LinkOpenStatus::UnknownType;
    LinkRef link;          // owns the descriptors below (Ok only)
    int dataHandle = 0;    // serial handle, UDP socket or TCP data socket (P + 1)
    int cmdHandle = 0;     // TCP command socket (P); 0 otherwise
    int boundPort = 0;     // UDP: the local port actually bound
    int serialResult = 0;  // open_serial's result on failure (0, -1 or -2)
};

// type: "UDP", "TCP", "UART" or "VPC". portBaud: the scanner's port (TCP: P)
// or the baud rate (serial; for "VPC" a rate <= 0 means the nominal rate).
// localPort: the UDP data port asked for. Once `cancel` (when given) turns
// true the attempt ends within a few tens of milliseconds with Cancelled,
// closing whatever it had opened.
LinkOpenResult open_link(const std::string& type, const std::string& address, int portBaud, int localPort,
                         const std::atomic<bool>* cancel = nullptr);
