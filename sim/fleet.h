#pragma once
// A fleet of scanners on the heartbeat group (--fleet N): the simulator
// announces itself and N - 1 further scanners, each with its own serial
// number and address, so that discovery and the device list meet a plant
// full of devices. Only the heartbeats exist; the others never answer.

#include <QByteArray>

#include "device_state.h"
#include "heartbeat.h"

namespace sim {

// Largest fleet: every member gets a distinct address in 10.77.0.0/16.
constexpr int kMaxFleet = 20000;

// The heartbeat of fleet member `member` (1 .. kMaxFleet - 1): the scanner's
// own heartbeat with serial number "<own serial>-<member>" (cut to the
// field), scanner address 10.77.(member / 254).(member % 254 + 1) and the
// scanner's own ports. Member 0 is the scanner itself.
QByteArray buildFleetHeartbeat(HeartbeatKind kind, const DeviceState& state, HeartbeatLink link, int member);

}  // namespace sim
