#include "engine_thread.h"

#include <QObject>
#include <QThread>

namespace sim {

bool EngineThread::start(const std::function<QObject*(QString*)>& make, QString* error) {
    if (m_engine) return true;
    m_thread = new QThread;
    m_thread->setObjectName(m_name);
    m_thread->start();
    QString why;
    QObject* engine = nullptr;
    QObject context;
    context.moveToThread(m_thread);
    QMetaObject::invokeMethod(
        &context, [&] { engine = make(&why); }, Qt::BlockingQueuedConnection);
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
