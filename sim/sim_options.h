#pragma once
// Plain configuration of one simulated scanner. Filled by the program's
// command line or directly by a test; copied into the Simulator at start.

#include <QString>
#include <cstdint>

namespace sim {

enum class StreamFormat { Facf, Face, Fadf, Fa9d, Fa99, Faaa, Fac7, Legacy };

// "facf", "face", ... "legacy"; false for an unknown name.
bool parseStreamFormat(const QString& text, StreamFormat* out);
QString streamFormatName(StreamFormat format);

enum class SerialMode { None, Uart, Vpc };

constexpr int kTopSpeed = -1;  // SimOptions::rpm

enum class HeartbeatKind { Off, Status112, Short80, Short60 };

struct SimOptions {
    // Identity. The model must be a name of the model table; it decides the
    // accepted rotation speeds and whether zones are supported.
    QString model = QStringLiteral("TQX-H540-S");
    QString serialNumber = QStringLiteral("VT2401A0001");

    // Links; an empty udpAddress / tcpAddress means that link is off.
    QString udpAddress;  // own address on loopback, e.g. "127.0.0.2"
    quint16 udpPort = 0;
    QString tcpAddress;
    quint16 tcpPort = 0;  // commands on this port, scan data on tcpPort + 1
    SerialMode serial = SerialMode::None;
    QString serialLink;  // optional fixed symlink to the pseudo-terminal
    int serialBaud = 0;  // the line's rate; 0: whatever the client uses until "LSBPS"

    // Stream. formatGiven is false when the link's default applies
    // (legacy on "uart", facf elsewhere).
    StreamFormat format = StreamFormat::Facf;
    bool formatGiven = false;
    int fanDegrees = 36;  // width of one fan; must divide 360 and be a multiple of 9
    // Rotation speed at start (revolutions per minute); 0: the factory speed,
    // kTopSpeed: the fastest the model offers. Must be one the model offers.
    int rpm = 0;

    HeartbeatKind heartbeat = HeartbeatKind::Status112;
    // Scanners announced on the heartbeat group, this one included: each of
    // the others has its own serial number and address and sends once a second.
    int fleet = 1;

    // Faults.
    uint32_t faultWord = 0;       // carried in LMSG/AM records
    double dropPercent = 0.0;     // of outgoing packets
    double corruptPercent = 0.0;  // of outgoing packets
    bool refuse = false;          // every set command answered "NG"
    bool mute = false;            // no command is answered
    QString zoneFault;            // passed to ZoneStore::parseFault
    QString upgradeFault;         // passed to parseUpgradeFault (firmware_target.h)

    // Firmware upgrade target: where a received, checked image is written
    // (empty: checked and dropped).
    QString firmwareOut;

    QString stateFile;        // persists the parameter block and the zone image
    uint32_t seed = 1;        // scene noise and fault dice
    bool logCommands = true;  // one line per command on stderr
};

// Effective format: the explicit one, else the link's default.
StreamFormat effectiveFormat(const SimOptions& options);

}  // namespace sim
