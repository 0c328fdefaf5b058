#pragma once
// Opening a scanner link the way the program does it: a serial port at its
// baud rate; a UDP socket on the local data port (moving up when it is taken)
// after the scanner answered ping; or the TCP pair P (commands) and P + 1
// (data) after ping. The caller turns a failure into its own message and
// owns the handles it gets back (close them with close_link).
//
// Blocking: ping waits up to 100 ms, each TCP connect up to its time-out.

#include <string>

enum class LinkOpenStatus {
    Ok,
    SerialOpenFailed,  // open_serial gave < 1 (see serialResult)
    Unreachable,       // no answer to ping
    UdpBindFailed,     // udp_open failed for another reason than ports in use
    UdpPortsInUse,     // the local port and the 100 above it are all taken
    TcpConnectFailed,  // P or P + 1 refused; nothing is left open
    UnknownType,
};

struct LinkOpenResult {
    LinkOpenStatus status = LinkOpenStatus::UnknownType;
    int dataHandle = 0;    // serial handle, UDP socket or TCP data socket (P + 1)
    int cmdHandle = 0;     // TCP command socket (P); 0 otherwise
    int boundPort = 0;     // UDP: the local port actually bound
    int serialResult = 0;  // open_serial's result on failure (0, -1 or -2)
};

// type: "UDP", "TCP", "UART" or "VPC". portBaud: the scanner's port (TCP: P)
// or the baud rate (serial). localPort: the UDP data port asked for.
LinkOpenResult open_link(const std::string& type, const std::string& address, int portBaud, int localPort);
