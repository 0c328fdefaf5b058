#pragma once
// Small helpers shared by the source files that make up MainPage
// (construction and pages, worker wiring, the link, message dispatch).

#include <QByteArray>
#include <QDebug>
#include <QString>

namespace mainpage {

// A diagnostic trace line in the program's common form: time, thread,
// file:line:function, then whatever the caller streams in.
QDebug trace(const char* file, int line, const char* function);

inline int decimal(const QByteArray& data) {
    return data.trimmed().toInt();
}

inline bool isSerial(const QString& type) {
    return type == QLatin1String("UART") || type == QLatin1String("VPC");
}

}  // namespace mainpage

#define MAIN_TRACE(function) mainpage::trace(__FILE__, __LINE__, function)
