// vantrel-cli upgrade against the simulator as an upgrade target: over UDP on
// loopback and over a pseudo-terminal speaking the serial handshake and
// XMODEM. The simulator checks what it receives and writes the image it took
// to a file, which is compared with what was sent.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "../protocol/firmware_support.h"
#include "cli_run.h"
#include "netguard.h"
#include "qt_wait.h"
#include "simulator.h"

namespace {

struct UpgradeTarget {
    UpgradeTarget(quint16 udpPort, const QString& fault) {
        testsupport::ensureApp();
        sim::SimOptions o;
        if (udpPort) {
            o.udpAddress = QStringLiteral("127.0.0.2");
            o.udpPort = udpPort;
        } else {
            o.serial = sim::SerialMode::Uart;
            o.heartbeat = sim::HeartbeatKind::Off;
        }
        o.firmwareOut = dir.filePath(QStringLiteral("received.bin"));
        o.upgradeFault = fault;
        o.logCommands = false;
        sim = std::make_unique<sim::Simulator>(o);
        QString error;
        started = sim->start(&error);
        startError = error.toStdString();
    }
    QString write(const QString& name, const std::vector<uint8_t>& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return path;
    }
    QByteArray received() {
        QFile f(dir.filePath(QStringLiteral("received.bin")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString serialLink() const { return QStringLiteral("uart://%1?baud=115200").arg(sim->serialPath()); }

    QTemporaryDir dir;
    std::unique_ptr<sim::Simulator> sim;
    bool started = false;
    std::string startError;
};

QByteArray payloadOf(const std::vector<uint8_t>& image) {
    return QByteArray(reinterpret_cast<const char*>(image.data()) + 652, int(image.size() - 652));
}

TEST(CliUpgrade, UdpDeliversTheImageIntactDespiteALostReply) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    UpgradeTarget t(17401, QStringLiteral("drop-reply:4"));
    ASSERT_TRUE(t.started) << t.startError;
    const std::vector<uint8_t> image = firmware_test::makeImage(8 * 512);

    const CliRun r = runCli({"upgrade", "udp://127.0.0.2:17401", t.write("fw.bin", image)});
    ASSERT_TRUE(r.finished);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(t.received(), payloadOf(image));
    EXPECT_EQ(t.sim->firmwareImagesAccepted(), 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("100% (4096 / 4096 bytes)"))) << r.err.toStdString();
    EXPECT_GE(r.elapsedMs, 3000);  // the lost reply cost one deadline
}

TEST(CliUpgrade, SerialXmodemDeliversTheFileIntactThroughRefusedBlocks) {
    UpgradeTarget t(0, QStringLiteral("nak:2"));
    ASSERT_TRUE(t.started) << t.startError;
    std::vector<uint8_t> file(1000);
    for (size_t i = 0; i < file.size(); ++i) file[i] = uint8_t(i * 31 + 7);

    const CliRun r = runCli({"upgrade", t.serialLink(), t.write("fw.lhl", file)});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // The sender is done once EOT is written; the target takes it a moment later.
    ASSERT_TRUE(testsupport::waitUntil([&] { return t.sim->firmwareImagesAccepted() == 1; }, 5000));
    EXPECT_EQ(t.received(), QByteArray(reinterpret_cast<const char*>(file.data()), int(file.size())));
}

TEST(CliUpgrade, DamagedImageIsRefusedWithoutSendingAPacket) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    UpgradeTarget t(17402, QString());
    ASSERT_TRUE(t.started) << t.startError;
    std::vector<uint8_t> image = firmware_test::makeImage(2048);
    image[652 + 1000] ^= 0x01;  // the CRC no longer matches

    const CliRun r = runCli({"upgrade", "udp://127.0.0.2:17402", t.write("fw.bin", image)});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Failed to load firmware upgrade file")))
        << r.err.toStdString();
    EXPECT_EQ(t.sim->commandsReceived(), 0);
    EXPECT_TRUE(t.received().isEmpty());
}

TEST(CliUpgrade, TargetThatFallsSilentEndsTheUpgradeWithAReasonWithinSeconds) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    UpgradeTarget udp(17403, QStringLiteral("silent-after:3"));
    ASSERT_TRUE(udp.started) << udp.startError;
    const CliRun r = runCli(
        {"upgrade", "udp://127.0.0.2:17403", udp.write("fw.bin", firmware_test::makeImage(4096))}, 40000);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Send data more than three times without answering")))
        << r.err.toStdString();
    EXPECT_LT(r.elapsedMs, 20000);  // four re-sends 3 s apart
    EXPECT_TRUE(udp.received().isEmpty());

    UpgradeTarget serial(0, QStringLiteral("silent-after:2"));
    ASSERT_TRUE(serial.started) << serial.startError;
    const CliRun s =
        runCli({"upgrade", serial.serialLink(), serial.write("fw.lhl", std::vector<uint8_t>(900, 1))});
    EXPECT_EQ(s.exitCode, 1);
    EXPECT_TRUE(s.err.contains(QStringLiteral("transfer file errror"))) << s.err.toStdString();
    EXPECT_LT(s.elapsedMs, 15000);
}

TEST(CliUpgrade, UnusableLinkOrFileIsOneLineAtOnce) {
    QTemporaryDir dir;
    // A readable image of a plausible size, so only the port can fail.
    const QString image = dir.filePath("fw.lhl");
    {
        QFile f(image);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(900, '\x01'));
    }
    struct Case {
        QStringList args;
        int exit;
        const char* text;
    };
    const Case cases[] = {
        {{"upgrade", "tcp://127.0.0.2:17404", "x.bin"}, 2, "udp:// or uart://"},
        {{"upgrade", "uart://" + dir.filePath("no-such-port") + "?baud=115200", dir.filePath("missing.bin")},
         1,
         "load  file failed:"},
        {{"upgrade", "uart://" + dir.filePath("no-such-port") + "?baud=115200", image},
         1,
         "can not open:"},
    };
    for (const Case& c : cases) {
        const CliRun r = runCli(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.text))) << r.err.toStdString();
        EXPECT_LT(r.elapsedMs, 5000);
    }
}

}  // namespace
