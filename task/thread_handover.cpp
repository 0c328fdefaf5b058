#include "thread_handover.h"

#include <QThreadPool>
#include <QThreadStorage>

#if defined(__SANITIZE_THREAD__)
#define VANTREL_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VANTREL_TSAN 1
#endif
#endif

#if defined(VANTREL_TSAN)
#include <sanitizer/tsan_interface.h>

namespace {

void release(const void* key) { __tsan_release(const_cast<void*>(key)); }
void acquire(const void* key) { __tsan_acquire(const_cast<void*>(key)); }

// Destroyed by Qt after the thread's deferred deletions, just before the
// thread counts as finished: the latest point our code can mark.
struct EndMark {
    const void* key;
    ~EndMark() { release(key); }
};
QThreadStorage<EndMark*> g_endMark;

}  // namespace

namespace handover {

void watchThread(QThread* thread) {
    QObject::connect(
        thread, &QThread::started, thread,
        [thread] {
            if (!g_endMark.hasLocalData()) g_endMark.setLocalData(new EndMark{thread});
        },
        Qt::DirectConnection);
}

bool joinThread(QThread* thread, unsigned long timeoutMs) {
    const bool ended = thread->wait(timeoutMs);
    if (ended) acquire(thread);
    return ended;
}

void startTask(QThreadPool& pool, std::function<void()> task) {
    release(&pool);
    pool.start([&pool, task = std::move(task)] {
        acquire(&pool);
        task();
        release(&pool);
    });
}

void waitForTasks(QThreadPool& pool) {
    pool.waitForDone();
    acquire(&pool);
}

}  // namespace handover

#else

namespace handover {

void watchThread(QThread*) {}
bool joinThread(QThread* thread, unsigned long timeoutMs) { return thread->wait(timeoutMs); }
void startTask(QThreadPool& pool, std::function<void()> task) { pool.start(std::move(task)); }
void waitForTasks(QThreadPool& pool) { pool.waitForDone(); }

}  // namespace handover

#endif
