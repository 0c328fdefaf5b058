#pragma once
// Runs vantrel-cli (the build's own, VANTREL_CLI) as a child process and
// collects its exit status and both output streams.

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include "qt_wait.h"

struct CliRun {
    int exitCode = -1;  // -1: did not finish within a minute, or crashed
    QByteArray out;
    QByteArray err;
};

inline CliRun runCli(const QStringList& args) {
    testsupport::ensureApp();
    QProcess p;
    p.start(QStringLiteral(VANTREL_CLI), args);
    CliRun r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}
