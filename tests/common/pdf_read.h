#pragma once
// Reading a PDF back as a user's viewer would: poppler's pdfinfo and pdftotext
// (scripts/install-deps installs poppler-utils). Tests that need them skip
// loudly when they are missing.

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

// Skips the calling test, saying why, when poppler is not installed.
#define VANTREL_REQUIRE_POPPLER()          \
    if (!testsupport::havePoppler())       \
    GTEST_SKIP() << "pdfinfo/pdftotext missing: run scripts/install-deps"

namespace testsupport {

inline bool havePoppler() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

inline QString runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Page count of a PDF, 0 when it does not open.
inline int pdfPages(const QString& path) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(runTool(QStringLiteral("pdfinfo"), {path}));
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

// The text of one page (1-based) or, with page 0, of all pages, with line
// breaks and runs of spaces as single spaces (wrapped cells read as one line).
inline QString pdfText(const QString& path, int page = 0) {
    QStringList args;
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
             << QString::number(page);
    args << path << QStringLiteral("-");
    return runTool(QStringLiteral("pdftotext"), args).simplified();
}

}  // namespace testsupport
