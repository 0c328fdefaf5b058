#pragma once
// The audit trail of the live subcommands: every change vantrel-cli makes to
// a scanner is appended to the same "audit.jsonl" the window writes.

#include <string>

#include "audit_log.h"
#include "link.h"

namespace cli {

class Session;

// A record for `operation` on the scanner at `link`, without its identity:
// program, right level (see below), address and link.
AuditRecord linkAuditRecord(const LinkAddress& link, const char* operation);

// A record for `operation` on the session's scanner: serial number, model,
// address and link of the session; the right level is the one the window's
// automatic login grants on this computer (0 when none is remembered).
AuditRecord sessionAuditRecord(const Session& session, const char* operation);

// A record for a change made to the algorithm box at box:port.
AuditRecord boxAuditRecord(const std::string& box, int port, const std::string& command);

// Appends the record; a trail that cannot be written costs one warning line
// on stderr for `command`, never the command's own result.
void recordAudit(const std::string& command, const AuditRecord& record);

}  // namespace cli
