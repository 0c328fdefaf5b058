#pragma once
// Decoding of the datagrams scanners send to the heartbeat multicast group
// (225.225.225.225, UDP 6789). Plain functions over byte buffers; no Qt, no
// state, callable from any thread.
//
// All multi-byte integers on the wire are little-endian; IPv4 addresses are
// one octet per byte, most significant first. A datagram is recognised by
// its length (and magic) alone.

#include <cstddef>
#include <cstdint>
#include <string>

// What a datagram on the heartbeat group is.
enum class HeartbeatKind : int {
    None = 0,        // foreign, malformed or truncated: drop it
    Heart80 = 1,     // 80 bytes, "LiDA" at 4
    Heart60 = 2,     // 60 bytes, "LiDA" at 0
    Status112 = 3,   // 112 bytes, "LiDA" at 0 and format version 257 at 4
    BoxStatus = 16,  // 312 or 320 bytes: algorithm-box status, not decoded here
};

constexpr size_t kHeartbeatMaxPayload = 112;

HeartbeatKind classifyHeartbeat(const uint8_t* data, size_t len);

// Length of the datagram of a heartbeat kind (80, 60, 112), 0 for the others.
size_t heartbeatLength(HeartbeatKind kind);

// The fields a heartbeat carries. Status fields are meaningful for the
// 112-byte status heartbeat only (hasStatus).
struct HeartbeatInfo {
    HeartbeatKind kind = HeartbeatKind::None;
    std::string serial;  // serial number text, up to its first NUL
    std::string model;   // model text, up to its first NUL
    uint8_t scannerIp[4] = {};
    uint16_t scannerPort = 0;
    uint8_t uploadIp[4] = {};
    uint16_t uploadPort = 0;

    bool hasStatus = false;
    bool boxConnected = false;  // bit 0 of byte 51
    uint16_t linkKind = 0;      // low three bits: 1 UDP, 2 USB, 3 TCP
    uint16_t speed = 0;         // shown divided by 10
    uint16_t speed2 = 0;        // shown divided by 100
    int16_t cpu = 0;            // temperature, shown divided by 10
    uint16_t voltageMv = 0;     // supply voltage, millivolts
    bool observationZone = false;
    bool alertZone = false;
    bool alarmZone = false;
    bool masking = false;
    bool noData = false;
    bool noZoneActive = false;
    bool systemError = false;
    bool netLinkLost = false;  // meaningful when the link kind is UDP or TCP
    bool upgrading = false;
    bool usbLinkLost = false;  // meaningful when the link kind is USB
    bool noZoneDefined = false;
};

// Decodes data[0..len) as a heartbeat. Returns false (out untouched) when the
// buffer is not a heartbeat of one of the three layouts.
bool parseHeartbeat(const uint8_t* data, size_t len, HeartbeatInfo& out);

// "a.b.c.d" of four address octets.
std::string ipv4Text(const uint8_t ip[4]);
