// vantrel-cli image pack / check, run as a program.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "cli_run.h"
#include "qt_wait.h"

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(CliImage, PackedFileIsAcceptedByCheckAndItsDamageIsNot) {
    testsupport::ensureApp();
    QTemporaryDir dir;
    const QString in = dir.filePath("app"), out = dir.filePath("test.bin");
    QFile f(in);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(1000, 'v'));
    f.close();

    const CliRun packed = runCli({"image", "pack", in, out});
    ASSERT_EQ(packed.exitCode, 0) << packed.err.toStdString();
    const QByteArray image = readAll(out);
    ASSERT_EQ(image.size(), 1676);
    EXPECT_EQ(image.mid(1652), QByteArray(24, '\0'));

    const CliRun good = runCli({"image", "check", out});
    EXPECT_EQ(good.exitCode, 0);
    EXPECT_TRUE(good.out.contains("length: 1024")) << good.out.toStdString();
    EXPECT_TRUE(good.out.contains("accepted: yes"));

    QByteArray damaged = image;
    damaged[700] = char(damaged[700] ^ 0x10);
    QFile d(dir.filePath("damaged.bin"));
    ASSERT_TRUE(d.open(QIODevice::WriteOnly));
    d.write(damaged);
    d.close();
    const CliRun bad = runCli({"image", "check", d.fileName()});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.out.contains("accepted: no (payload CRC does not match the header)"))
        << bad.out.toStdString();

    EXPECT_EQ(runCli({"image", "check", dir.filePath("missing")}).exitCode, 2);
    QFile empty(dir.filePath("empty"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_EQ(runCli({"image", "pack", empty.fileName(), dir.filePath("o.bin")}).exitCode, 2);
}

}  // namespace
