#pragma once
// Waiting for a condition while the Qt event loop runs.
//
// QTest's QTRY_* and QVERIFY macros report through QTest's own logger and
// merely `return` outside QTest::qExec, so under GoogleTest a failed wait
// would pass silently. Wrap waits in ASSERT_TRUE(waitUntil(...)) instead.

#include <QtTest/QTest>

#include <functional>

namespace testsupport {

// Processes events until pred() holds or timeoutMs passes; returns pred()'s last value.
inline bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 5000)
{
    return QTest::qWaitFor(pred, timeoutMs);
}

}  // namespace testsupport
