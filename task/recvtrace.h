#pragma once
// Diagnostic line prefix of the workers (private to task/):
// "[" time thread-id file ":" line ":" Class::method "]", then the items.

#include <QDateTime>
#include <QDebug>
#include <QThread>

inline QDebug recvTrace(const char* file, int line, const char* function) {
    QDebug d = qDebug().noquote();
    d << "[" + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))
      << quintptr(QThread::currentThreadId())
      << QStringLiteral("%1:%2:%3]").arg(QLatin1String(file)).arg(line).arg(QLatin1String(function));
    return d;
}

#define RECV_TRACE(function) recvTrace(kTraceFile, __LINE__, function)
