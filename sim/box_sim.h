#pragma once
// A simulated algorithm box: status datagrams (312 bytes, or 320) on the
// heartbeat group once a second listing its attached scanners, the box
// commands on UDP port 6666 with their replies, "REBOOT" after a new network
// setting, and the box firmware upgrade.
//
// BoxSimulator is used from the thread that creates it; the sockets and
// timers live on a thread of its own, like Simulator's.

#include <QString>
#include <atomic>
#include <vector>

#include "box_protocol.h"
#include "engine_thread.h"

namespace sim {

struct BoxOptions {
    QString address;  // the box's own address on loopback, e.g. "127.0.0.9"
    QString mask = QStringLiteral("255.255.255.0");
    QString gateway;  // default: the address with its last octet 1
    quint16 commandPort = kBoxCommandPort;
    quint16 statusPort = 6789;              // 0: no status datagrams (tests feed the page directly)
    bool longStatus = false;                // 320-byte status datagrams
    std::vector<BoxScannerEntry> scanners;  // attached scanners, io 0 = port A, 1 = port B
    QString version = QStringLiteral("BOX-1.0.3");
    int rebootDelayMs = 300;  // "REBOOT" this long after LSNET
    QString firmwareOut;      // where an upgrade's image is written (see FirmwareTarget)
    QString upgradeFault;     // parseUpgradeFault's texts
    bool logCommands = true;
};

// "IP:PORT:A" or "IP:PORT:B" items joined by ","; false on a malformed item.
bool parseBoxScanners(const QString& text, std::vector<BoxScannerEntry>* out);

class BoxEngine;

class BoxSimulator {
public:
    explicit BoxSimulator(const BoxOptions& options);
    ~BoxSimulator();
    BoxSimulator(const BoxSimulator&) = delete;
    BoxSimulator& operator=(const BoxSimulator&) = delete;

    // Binds the command socket and starts the status datagrams. False with
    // a reason when the address is not IPv4 or the port cannot be bound.
    bool start(QString* error = nullptr);
    void stop();

    // Readable from any thread.
    int commandsAccepted() const;
    int firmwareImagesAccepted() const;
    // The box's current settings and lists, copied from its thread.
    QString address() const;
    std::vector<BoxScannerEntry> scanners() const;

private:
    BoxOptions m_options;
    EngineThread m_runner{QStringLiteral("vantrel-sim box")};
    BoxEngine* m_engine = nullptr;  // owned by m_runner
};

}  // namespace sim
