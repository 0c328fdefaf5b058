// `vantrel --connect LINK`, run as the program: the window opens the link at
// start (the simulated scanner hears its first command), and a link text it
// cannot use ends the program with one line and exit status 2.

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "netguard.h"
#include "qt_wait.h"
#include "simulator.h"

namespace {

// The program on the offscreen platform with a settings file of its own.
void prepare(QProcess& p, const QTemporaryDir& dir) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TMPDIR"), dir.path());
    env.insert(QStringLiteral("VANTREL_SERIAL_PORTS"), QString());
    p.setProcessEnvironment(env);
}

}  // namespace

TEST(AppConnect, TheWindowOpensTheLinkGivenAtStart) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    testsupport::ensureApp();
    sim::SimOptions o;
    o.udpAddress = QStringLiteral("127.0.0.2");
    o.udpPort = 41570;
    o.logCommands = false;
    sim::Simulator scanner(o);
    ASSERT_TRUE(scanner.start());
    QTemporaryDir dir;
    QProcess app;
    prepare(app, dir);
    app.start(QStringLiteral(VANTREL_APP), {"--connect", "udp://127.0.0.2:41570?local=41690"});
    ASSERT_TRUE(app.waitForStarted(5000));
    // The parameter read of a fresh connection is the scanner's first command.
    ASSERT_TRUE(testsupport::waitUntil([&] { return scanner.commandsReceived() > 0; }, 20000))
        << app.readAllStandardError().toStdString();
    app.kill();
    app.waitForFinished(5000);
    scanner.stop();
}

TEST(AppConnect, UnusableLinkIsOneLineAndExitTwo) {
    testsupport::ensureApp();
    QTemporaryDir dir;
    for (const QStringList& args : {QStringList{"--connect", "udp://nowhere:1"}, QStringList{"--connect"},
                                    QStringList{"--connect=uart:///dev/ttyS0"}}) {
        QProcess app;
        prepare(app, dir);
        app.start(QStringLiteral(VANTREL_APP), args);
        ASSERT_TRUE(app.waitForFinished(20000)) << args.join(' ').toStdString();
        EXPECT_EQ(app.exitCode(), 2) << args.join(' ').toStdString();
        const QStringList lines = QString::fromLocal8Bit(app.readAllStandardError())
                                      .split('\n', Qt::SkipEmptyParts)
                                      .filter("vantrel:");
        ASSERT_EQ(lines.size(), 1) << args.join(' ').toStdString();
        EXPECT_TRUE(lines[0].startsWith("vantrel: ")) << lines[0].toStdString();
    }
}
