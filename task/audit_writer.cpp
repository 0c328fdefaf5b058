#include "audit_writer.h"

#include <QCoreApplication>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// The writer thread. Lives until the end of the process; its destructor
// writes what is still queued, then ends the thread.
class Writer {
public:
    ~Writer() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable()) m_thread.join();
    }

    void post(QString path, AuditRecord record) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_thread.joinable()) m_thread = std::thread([this] { run(); });
            m_queue.emplace_back(std::move(path), std::move(record));
            ++m_posted;
        }
        m_wake.notify_all();
    }

    bool flush(int timeoutMs) {
        std::unique_lock<std::mutex> lock(m_mutex);
        const quint64 target = m_posted;
        return m_done.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&] { return m_handled >= target; });
    }

private:
    void run() {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
            if (m_queue.empty()) return;  // stopping, nothing left
            auto [path, record] = std::move(m_queue.front());
            m_queue.pop_front();
            lock.unlock();
            QString error;
            if (!audit_append_to(path, record, &error))
                emit AuditNotifier::instance()->sig_failed(QStringLiteral("%1: %2").arg(path, error));
            lock.lock();
            ++m_handled;
            m_done.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<std::pair<QString, AuditRecord>> m_queue;
    quint64 m_posted = 0;
    quint64 m_handled = 0;
    bool m_stop = false;
    std::thread m_thread;
};

Writer& writer() {
    static Writer w;
    return w;
}

}  // namespace

AuditNotifier* AuditNotifier::instance() {
    static AuditNotifier* notifier = new AuditNotifier();
    return notifier;
}

void audit_post(const AuditRecord& record) {
    AuditRecord r = record;
    // Stamped now, not when the writer gets to it.
    if (!r.time.isValid()) r.time = QDateTime::currentDateTimeUtc();
    if (r.program.isEmpty()) r.program = QCoreApplication::applicationName();
    AuditNotifier::instance();  // created on the posting thread, not the writer's
    writer().post(audit_file_path(), std::move(r));
}

bool audit_flush(int timeoutMs) {
    return writer().flush(timeoutMs);
}
