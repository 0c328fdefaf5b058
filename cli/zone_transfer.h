#pragma once
// One zone operation on a live session (read, write, or the upload of a
// whole zone image), run through the receiver as the point-cloud page and
// the configuration page run it, with its progress on stderr.

#include <functional>
#include <string>

#include "session.h"
#include "zone_types.h"

namespace cli {

// True when the connected model stores alarm zones (an unknown model may).
bool modelStoresZones(const Session& session);

// Starts the operation with `start` (which calls the receiver), then waits
// for its end. `write` tells a write or upload (result message 7) from a
// read (6, whose list lands in *got when given). Returns ExitOk, or the exit
// status after one error line for `command`. A write or upload goes on the
// audit trail however it ends, with `what` (the file it came from) as its
// command and the image CRC when it succeeded.
int runZoneOperation(Session& session, const char* command, bool write, const std::function<void()>& start,
                     zones* got = nullptr, const std::string& what = {});

}  // namespace cli
