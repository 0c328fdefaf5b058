#pragma once
// The discovery heartbeats a scanner multicasts to 225.225.225.225:6789:
// the 112-byte status heartbeat or the older 80- and 60-byte ones.

#include <QByteArray>

#include "device_state.h"
#include "sim_options.h"

namespace sim {

// Link kind of the status heartbeat (low three bits of bytes 80..81).
enum class HeartbeatLink : uint16_t { Udp = 1, Usb = 2, Tcp = 3 };

QByteArray buildHeartbeat(HeartbeatKind kind, const DeviceState& state, HeartbeatLink link);

}  // namespace sim
