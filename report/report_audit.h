#pragma once
// The audit trail as the report uses it: the scanner's changes of one day,
// and the last zone image written to it, against which the image read back
// is checked.

#include <QDate>
#include <QString>
#include <vector>

#include "audit_log.h"
#include "report_input.h"

// Fills in.audit with the records of `serial` made on `day` (local time),
// oldest first, and in.verification's written CRC and time with the last
// successful zone write on record for it; when the image CRC read back is
// known, in.verification.matched says whether the two agree.
void report_take_audit(ReportInput& in, const std::vector<AuditRecord>& records, const QString& serial,
                       const QDate& day);

// Reads the trail at `path` (empty: the program's own trail) and takes it
// for the block's serial number and the report's day. Returns an English note
// when the trail cannot be read or has damaged lines, else empty. Blocking
// file I/O: call it off the GUI thread.
QString report_read_audit(ReportInput& in, const QString& path = QString());
