#pragma once
// Runs the built vantrel-cli as a user would and collects what it printed.

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

struct CliRun {
    int exitCode = -1;
    bool finished = false;
    QString out;
    QString err;
    qint64 elapsedMs = 0;
    QStringList errLines() const { return err.split('\n', Qt::SkipEmptyParts); }
};

inline CliRun runCli(const QStringList& args, int timeoutMs = 30000,
                     const QString& program = QStringLiteral(VANTREL_CLI)) {
    QProcess p;
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    CliRun r;
    if (!p.waitForStarted(5000)) return r;
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(2000);
    }
    r.elapsedMs = clock.elapsed();
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}
