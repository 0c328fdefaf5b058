#pragma once
// Zone transfers of the live zone subcommands: the zone session (a link to a
// scanner whose model stores zones) and one read or write run through the
// session's receiver, as the point-cloud page runs it. Progress lines go to
// stderr. Main thread, with the QCoreApplication of prepareLiveCommand().

#include <QByteArray>
#include <memory>
#include <string>

#include "session.h"
#include "zone_compare.h"
#include "zone_types.h"

namespace cli {

// Opens `linkArg`, waits for the parameter block and refuses a model that
// stores no zones. ExitOk, or the exit status after one error line.
int openZoneSession(Session& session, const char* command, const std::string& linkArg);

struct ZoneTransfer {
    enum class End { Done, Failed, NoAnswer, TimedOut, Interrupted };
    End end = End::TimedOut;
    int result = 0;                          // the receiver's result (type 6 or 7)
    std::string failure;                     // the zone worker's failure text, if any
    std::unique_ptr<zones> list;             // read: the zones read
    QByteArray image;                        // read: the image read
    std::unique_ptr<ZoneWriteCapture> sent;  // write: the image as sent
};

// Runs one read (write false) or write of `list`.
ZoneTransfer runZoneTransfer(Session& session, bool write, const zones& list);

// The error line for a transfer that did not end in Done; returns the exit status.
int reportZoneTransfer(const char* command, bool write, const ZoneTransfer& transfer);

}  // namespace cli
