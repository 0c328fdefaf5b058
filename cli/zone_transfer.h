#pragma once
// Zone operations on a live session (read, write, or the upload of a whole
// zone image), run through the receiver as the point-cloud page and the
// configuration page run them, with their progress on stderr. Main thread,
// with the QCoreApplication of prepareLiveCommand().

#include <QByteArray>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "session.h"
#include "zone_compare.h"
#include "zone_types.h"

namespace cli {

// True when the connected model stores alarm zones (an unknown model may).
bool modelStoresZones(const Session& session);

// Opens `linkArg`, waits for the parameter block and refuses a model that
// stores no zones. ExitOk, or the exit status after one error line.
int openZoneSession(Session& session, const char* command, const std::string& linkArg);

// How one operation went, with what it read and what it sent.
struct ZoneTransfer {
    enum class End { Done, Failed, NoAnswer, TimedOut, Interrupted, Lost };
    End end = End::TimedOut;
    int result = 0;                          // the receiver's result (message 6 or 7)
    std::string failure;                     // the zone worker's failure text, if any
    std::unique_ptr<zones> list;             // read: the zones read
    QByteArray image;                        // read: the image read
    std::unique_ptr<ZoneWriteCapture> sent;  // write: the image as sent
    std::optional<quint32> writtenCrc;       // write: the CRC of the image written
};

// Starts the operation with `start` (which calls the receiver) and waits for
// its end. `write` tells a write or upload (result message 7) from a read (6).
ZoneTransfer runZoneTransfer(Session& session, bool write, const std::function<void()>& start);
// A read (write false) or a write of `list`.
ZoneTransfer runZoneTransfer(Session& session, bool write, const zones& list);

// Ends an operation as the command reports it: one error line unless it was
// Done, and for a write or upload its line on the audit trail, with `what`
// (the file it came from) as its command. Returns the exit status.
int finishZoneTransfer(Session& session, const char* command, bool write, const ZoneTransfer& transfer,
                       const std::string& what = {});

// runZoneTransfer and finishZoneTransfer in one: ExitOk, or the exit status
// after one error line for `command`; a read's list lands in *got when given.
int runZoneOperation(Session& session, const char* command, bool write, const std::function<void()>& start,
                     zones* got = nullptr, const std::string& what = {});

}  // namespace cli
