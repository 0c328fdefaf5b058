// Datagrams on the heartbeat group, every layout: the 80- and 60-byte
// heartbeats, the 112-byte status heartbeat and the box status reports that
// share the group. The input is one datagram as the heartbeat worker reads it.

#include "fuzz_entry.h"
#include "heartbeat_parse.h"

VANTREL_FUZZ_TARGET(heartbeat) {
    const auto exact = fuzz::exactCopy(data, size);
    const HeartbeatKind kind = classifyHeartbeat(exact.get(), size);
    const size_t length = heartbeatLength(kind);

    HeartbeatInfo info;
    const bool parsed = parseHeartbeat(exact.get(), size, info);
    FUZZ_CHECK(parsed == (length != 0));
    if (!parsed) {
        FUZZ_CHECK(kind == HeartbeatKind::None || kind == HeartbeatKind::BoxStatus);
        return 0;
    }
    // The layouts are told apart by their length alone.
    FUZZ_CHECK(length == size && length <= kHeartbeatMaxPayload);
    FUZZ_CHECK(info.kind == kind);
    FUZZ_CHECK(info.serial.size() <= 20);
    FUZZ_CHECK(info.model.size() <= 16);
    FUZZ_CHECK(info.serial.find('\0') == std::string::npos);
    FUZZ_CHECK(info.hasStatus == (kind == HeartbeatKind::Status112));
    const std::string address = ipv4Text(info.scannerIp);
    FUZZ_CHECK(address.size() >= 7 && address.size() <= 15);
    return 0;
}
