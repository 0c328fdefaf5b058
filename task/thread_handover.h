#pragma once
// Marks where Qt hands work from one thread to another.
//
// Qt passes a finished thread's state to whoever waits for it, and a pool task
// to the pool thread that runs it, under its own futex-based locks. Debian's
// Qt is not built with ThreadSanitizer, so in a thread-sanitized build the
// sanitizer cannot see those hand-overs: it would take the tidy-up after
// QThread::wait() for a race with the thread's last steps. These calls tell it
// where the hand-overs are; in any other build they cost a function call.

#include <QThread>

#include <climits>
#include <functional>

class QThreadPool;

namespace handover {

// Call before thread->start(): everything the thread does, up to and including
// the deferred deletions it runs as it ends, is handed to joinThread().
void watchThread(QThread* thread);

// thread->wait(timeoutMs); once it returned true, what the thread did is ours.
bool joinThread(QThread* thread, unsigned long timeoutMs = ULONG_MAX);

// pool.start(task), with this thread's work so far handed to the task...
void startTask(QThreadPool& pool, std::function<void()> task);
// ...and every finished task's work handed back here.
void waitForTasks(QThreadPool& pool);

}  // namespace handover
