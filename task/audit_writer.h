#pragma once
// Appending to the audit trail (audit_log.h) without blocking the caller:
// for the GUI thread, where a file lock and a flush to disk do not belong.
//
//     audit_post(record);   // returns at once; the line lands in order
//
// One background thread of the process writes the posted records one after
// the other, in the order they were posted. The file is resolved when the
// record is posted, so a later change of the trail's directory does not move
// records already queued. A record that cannot be written is reported once
// through AuditNotifier::sig_failed (queued to receivers on other threads).

#include <QObject>
#include <QString>

#include "audit_log.h"

// Queues `record` for the trail. Any thread.
void audit_post(const AuditRecord& record);

// Waits until every record posted so far has been handled. False when
// `timeoutMs` passed first. Any thread except the writer's own.
bool audit_flush(int timeoutMs = 10000);

class AuditNotifier : public QObject {
    Q_OBJECT
public:
    // Created on first use, never destroyed.
    static AuditNotifier* instance();

signals:
    // A posted record could not be written; `error` names the file and why.
    void sig_failed(QString error);

private:
    AuditNotifier() = default;
};
