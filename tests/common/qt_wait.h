#pragma once
// Waiting for a condition while the Qt event loop runs.
//
// QTest's QTRY_* and QVERIFY macros report through QTest's own logger and
// merely `return` outside QTest::qExec, so under GoogleTest a failed wait
// would pass silently. Wrap waits in ASSERT_TRUE(waitUntil(...)) instead.

#include <QCoreApplication>
#include <QtTest/QTest>

#include <functional>

namespace testsupport {

// Creates the process's QCoreApplication on first use; event loops, timers,
// QProcess and queued connections in a test need one. ctest runs every test in
// a process of its own, so each test that waits calls this first.
inline void ensureApp()
{
    static int argc = 1;
    static char name[] = "vantrel-test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);  // lives for the whole program
}

// Processes events until pred() holds or timeoutMs passes; returns pred()'s last value.
inline bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 5000)
{
    return QTest::qWaitFor(pred, timeoutMs);
}

}  // namespace testsupport
