#pragma once
// A signal spy for signals emitted on a worker thread.
//
// QSignalSpy records on the emitting thread, so a test that reads it while the
// worker may still emit races with the worker. This spy takes every emission
// through the test thread's event queue, as the window's own slots do, and is
// read only on the test thread.

#include <QList>
#include <QObject>
#include <QVariant>

#include <type_traits>

namespace testsupport {

class QueuedSpy : public QObject {
public:
    template <typename Sender, typename... Args>
    QueuedSpy(const Sender* sender, void (Sender::*signal)(Args...)) {
        connect(
            sender, signal, this,
            [this](Args... args) {
                m_calls.append(QList<QVariant>{QVariant::fromValue(std::decay_t<Args>(args))...});
            },
            Qt::QueuedConnection);
    }

    int count() const { return m_calls.size(); }
    bool isEmpty() const { return m_calls.isEmpty(); }
    const QList<QVariant>& first() const { return m_calls.first(); }
    const QList<QVariant>& at(int i) const { return m_calls.at(i); }
    QList<QList<QVariant>>::const_iterator begin() const { return m_calls.cbegin(); }
    QList<QList<QVariant>>::const_iterator end() const { return m_calls.cend(); }

private:
    QList<QList<QVariant>> m_calls;
};

}  // namespace testsupport
