#pragma once
// The thread a simulated device runs on. Its engine object (sockets, timers,
// pseudo-terminal) is created on that thread, so everything it owns belongs
// there, and it is deleted there again before the thread ends.
//
// Used from the thread that creates it.

#include <QString>
#include <functional>

class QObject;
class QThread;

namespace sim {

class EngineThread {
public:
    explicit EngineThread(const QString& name) : m_name(name) {}
    ~EngineThread() { stop(); }
    EngineThread(const EngineThread&) = delete;
    EngineThread& operator=(const EngineThread&) = delete;

    // Starts the thread and runs `make` on it. `make` returns the opened
    // engine, or nullptr with a reason (the thread then ends again).
    bool start(const std::function<QObject*(QString* error)>& make, QString* error);
    // The usual engine: `new Engine(options)` then `open(QString* error)`,
    // deleted again when opening fails. The engine, or nullptr.
    template <typename Engine, typename Options>
    Engine* startEngine(const Options& options, QString* error) {
        const bool started = start(
            [&options](QString* why) -> QObject* {
                auto* engine = new Engine(options);
                if (engine->open(why)) return engine;
                delete engine;
                return nullptr;
            },
            error);
        return started ? static_cast<Engine*>(m_engine) : nullptr;
    }
    // Deletes the engine on its thread and ends the thread. Idempotent.
    void stop();
    QObject* engine() const { return m_engine; }

private:
    QString m_name;
    QThread* m_thread = nullptr;
    QObject* m_engine = nullptr;
};

}  // namespace sim
