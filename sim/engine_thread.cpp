#include "engine_thread.h"

#include <QObject>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace sim {

bool EngineThread::start(const std::function<QObject*(QString*)>& make, QString* error) {
    if (m_engine) return true;
    // The engine is made by the thread itself as it starts (its event
    // dispatcher exists by then), and handed back through a standard mutex:
    // a blocking queued call would wait on Qt's own semaphore, which the
    // thread sanitizer cannot see, and a helper object on this stack would
    // be touched by both threads.
    struct Handover {
        std::mutex mutex;
        std::condition_variable ready;
        bool done = false;
        QObject* engine = nullptr;
        QString why;
    };
    auto handover = std::make_shared<Handover>();
    m_thread = new QThread;
    m_thread->setObjectName(m_name);
    QObject::connect(m_thread, &QThread::started, [handover, make] {
        QString why;
        QObject* engine = make(&why);
        const std::lock_guard<std::mutex> lock(handover->mutex);
        handover->engine = engine;
        handover->why = why;
        handover->done = true;
        handover->ready.notify_one();
    });
    m_thread->start();
    QObject* engine = nullptr;
    QString why;
    {
        std::unique_lock<std::mutex> lock(handover->mutex);
        handover->ready.wait(lock, [&] { return handover->done; });
        engine = handover->engine;
        why = handover->why;
    }
    if (!engine) {
        m_thread->quit();
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
        if (error) *error = why;
        return false;
    }
    m_engine = engine;
    return true;
}

void EngineThread::stop() {
    if (!m_thread) return;
    if (m_engine) {
        QObject* engine = m_engine;
        QMetaObject::invokeMethod(
            engine, [engine] { delete engine; }, Qt::BlockingQueuedConnection);
        m_engine = nullptr;
    }
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

}  // namespace sim
