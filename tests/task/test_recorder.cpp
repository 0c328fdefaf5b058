// The recorder: directory naming and creation, the three files, raw stream
// contents, the sector log line layout, and start/stop behaviour.

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "recorder.h"
#include "settings.h"

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return f.readAll();
}

class RecorderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_tmp.isValid()); }
    QString dir(const QString& name = QStringLiteral("rec")) const { return m_tmp.path() + '/' + name; }
    QString startIn(Recorder& rec, const QString& d) {
        EXPECT_TRUE(QDir().mkpath(d));
        return rec.start(d, QStringLiteral("info"), QStringLiteral("point"), QStringLiteral("data"), 1);
    }
    QTemporaryDir m_tmp;
};

}  // namespace

// ---------------------------------------------------------------- directory names

TEST(RecordingDirectory, NamedAfterLocalTimeZeroPadded) {
    const QDateTime t(QDate(2025, 3, 5), QTime(14, 7, 9));
    EXPECT_EQ(Recorder::recordingDirectory(QStringLiteral("/base"), t),
              QStringLiteral("/base/korvLOG/2025_03_05/14_07_09"));
}

TEST_F(RecorderTest, CreatePathMakesEveryMissingParent) {
    const QString deep = dir(QStringLiteral("a/b/c/d"));
    EXPECT_TRUE(Recorder::createPath(deep));
    EXPECT_TRUE(QFileInfo(deep).isDir());
}

TEST_F(RecorderTest, CreatePathFailsBelowAFile) {
    QFile blocker(dir(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(Recorder::createPath(dir(QStringLiteral("blocker/x/y"))));
}

TEST_F(RecorderTest, StartRecordingCreatesDatedDirectoryUnderBase) {
    Recorder rec;
    const QString base = dir(QStringLiteral("not/yet/there"));
    ASSERT_EQ(rec.startRecording(base), QString());
    const QString d = rec.directory();
    EXPECT_TRUE(QRegularExpression(QRegularExpression::escape(base) +
                                   QStringLiteral("/korvLOG/\\d{4}_\\d\\d_\\d\\d/\\d\\d_\\d\\d_\\d\\d$"))
                    .match(d)
                    .hasMatch())
        << d.toStdString();
    rec.stop();
    EXPECT_TRUE(QFile::exists(d + "/data0.dump"));
}

TEST_F(RecorderTest, EmptyBaseRecordsUnderTheProgramDirectory) {
    static int argc = 1;
    static char name[] = "test_task";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(argc, argv);
    const QString programDir = QCoreApplication::applicationDirPath();
    const bool existedBefore = QFileInfo::exists(programDir + "/korvLOG");

    Recorder rec;
    ASSERT_EQ(rec.startRecording(QString()), QString());
    const QString d = rec.directory();
    rec.stop();
    EXPECT_TRUE(d.startsWith(programDir + "/korvLOG/")) << d.toStdString();
    EXPECT_TRUE(QFile::exists(d + "/point0.txt"));
    if (!existedBefore) QDir(programDir + "/korvLOG").removeRecursively();
}

// ---------------------------------------------------------------- files and raw stream

TEST_F(RecorderTest, StartAndStopWithoutTrafficLeavesThreeFilesAndEmptyDump) {
    Recorder rec;
    ASSERT_EQ(startIn(rec, dir()), QString());
    EXPECT_TRUE(rec.isRecording());
    rec.stop();
    EXPECT_FALSE(rec.isRecording());
    EXPECT_EQ(QDir(dir()).entryList(QDir::Files, QDir::Name),
              (QStringList{"data0.dump", "info0.txt", "point0.txt"}));
    EXPECT_EQ(QFileInfo(dir() + "/data0.dump").size(), 0);
}

TEST_F(RecorderTest, OneByteBlockIsAppendedAsExactlyOneByte) {
    Recorder rec;
    ASSERT_EQ(startIn(rec, dir()), QString());
    const char b = '\x5a';
    rec.writeRaw(0, &b, 1);
    // Written straight through: visible before the recording is stopped.
    EXPECT_EQ(readAll(dir() + "/data0.dump"), QByteArray(1, '\x5a'));
    rec.stop();
    EXPECT_EQ(readAll(dir() + "/data0.dump"), QByteArray(1, '\x5a'));
}

TEST_F(RecorderTest, BlocksAreConcatenatedInArrivalOrderWithoutFraming) {
    Recorder rec;
    ASSERT_EQ(startIn(rec, dir()), QString());
    const QByteArray a("\xcf\xfa\x00\x01", 4), b("\x00\xff\x10", 3);
    rec.writeRaw(0, a.constData(), static_cast<size_t>(a.size()));
    rec.writeRaw(0, b.constData(), static_cast<size_t>(b.size()));
    rec.stop();
    EXPECT_EQ(readAll(dir() + "/data0.dump"), a + b);
}

TEST_F(RecorderTest, WritesWhileIdleOrToMissingIndexAreDropped) {
    Recorder rec;
    rec.writeRaw(0, "x", 1);  // nothing recording yet: must not crash or create anything
    rec.writeText(0, QStringLiteral("idle"));
    ASSERT_EQ(startIn(rec, dir()), QString());
    rec.writeRaw(1, "y", 1);
    rec.writeRaw(-1, "y", 1);
    rec.writeText(1, QStringLiteral("wrong index"));
    rec.stop();
    rec.writeRaw(0, "z", 1);
    rec.writeText(0, QStringLiteral("after stop"));
    EXPECT_EQ(QFileInfo(dir() + "/data0.dump").size(), 0);
    EXPECT_EQ(QFileInfo(dir() + "/point0.txt").size(), 0);
}

TEST_F(RecorderTest, StartWhileRecordingStopsTheFirstRecording) {
    Recorder rec;
    ASSERT_EQ(startIn(rec, dir("one")), QString());
    rec.writeRaw(0, "1", 1);
    ASSERT_EQ(startIn(rec, dir("two")), QString());
    rec.writeRaw(0, "2", 1);
    rec.stop();
    EXPECT_EQ(readAll(dir("one") + "/data0.dump"), QByteArray("1"));
    EXPECT_EQ(readAll(dir("two") + "/data0.dump"), QByteArray("2"));
}

TEST_F(RecorderTest, SameDirectoryTwiceAppendsToItsFiles) {
    Recorder rec;
    ASSERT_EQ(startIn(rec, dir()), QString());
    rec.writeRaw(0, "ab", 2);
    rec.stop();
    ASSERT_EQ(startIn(rec, dir()), QString());
    rec.writeRaw(0, "cd", 2);
    rec.stop();
    EXPECT_EQ(readAll(dir() + "/data0.dump"), QByteArray("abcd"));
}

// Regression: a directory that cannot be created used to leave a recording
// that "ran" and wrote nothing.
TEST_F(RecorderTest, UnopenableFilesAreReportedAndNothingRecords) {
    QFile blocker(dir(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Recorder rec;
    const QString error = rec.startRecording(dir(QStringLiteral("blocker")));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(rec.isRecording());
    rec.writeRaw(0, "x", 1);  // dropped, no crash
}

// ---------------------------------------------------------------- sector log

TEST_F(RecorderTest, SectorLineCarriesTimeThreadLevelAndCrLf) {
    Recorder rec;
    ASSERT_EQ(startIn(rec, dir()), QString());
    const std::string line = "start angle 10 span:20 N:0  ";
    rec.writeTextLine(0, line);
    // Flushed per record: readable while the recording runs.
    const QByteArray text = readAll(dir() + "/point0.txt");
    rec.stop();
    const QString tid = QString::number(static_cast<long>(::syscall(SYS_gettid)));
    const QRegularExpression expected(
        QStringLiteral(
            "^\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\]\\[thread %1\\]\\[,\\]\\[info\\] : "
            "start angle 10 span:20 N:0  \r\n$")
            .arg(tid));
    EXPECT_TRUE(expected.match(QString::fromLatin1(text)).hasMatch()) << text.toStdString();
    EXPECT_EQ(QFileInfo(dir() + "/info0.txt").size(), 0);
}

TEST_F(RecorderTest, BracesInTextAreLoggedLiterally) {
    Recorder rec;
    ASSERT_EQ(startIn(rec, dir()), QString());
    rec.writeText(0, QStringLiteral("{} {0} {:x}"));
    rec.stop();
    EXPECT_TRUE(readAll(dir() + "/point0.txt").endsWith(" : {} {0} {:x}\r\n"));
}

TEST_F(RecorderTest, SecondRecordingInOneProcessLogsText) {
    Recorder rec;
    ASSERT_EQ(startIn(rec, dir("one")), QString());
    rec.writeTextLine(0, "first");
    rec.stop();
    ASSERT_EQ(startIn(rec, dir("two")), QString());
    rec.writeTextLine(0, "second");
    rec.stop();
    EXPECT_TRUE(readAll(dir("one") + "/point0.txt").endsWith(" : first\r\n"));
    EXPECT_TRUE(readAll(dir("two") + "/point0.txt").endsWith(" : second\r\n"));
}

TEST_F(RecorderTest, TwoRecordersInOneProcessDoNotCollide) {
    Recorder a, b;
    ASSERT_EQ(startIn(a, dir("a")), QString());
    ASSERT_EQ(startIn(b, dir("b")), QString());
    a.writeTextLine(0, "to a");
    b.writeTextLine(0, "to b");
    a.stop();
    b.stop();
    EXPECT_TRUE(readAll(dir("a") + "/point0.txt").endsWith(" : to a\r\n"));
    EXPECT_TRUE(readAll(dir("b") + "/point0.txt").endsWith(" : to b\r\n"));
}

// Regression: the receiver writes from its thread while the operator switches
// logging off; a write must never reach a closed or reused file descriptor,
// so every dump holds whole blocks only.
TEST_F(RecorderTest, StopRacingAWriterKeepsWholeBlocks) {
    Recorder rec;
    std::atomic<bool> done{false};
    const QByteArray block(1000, '\x11');
    std::thread writer([&] {
        while (!done) rec.writeRaw(0, block.constData(), static_cast<size_t>(block.size()));
    });
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(startIn(rec, dir(QStringLiteral("r%1").arg(i))), QString());
        rec.stop();
    }
    done = true;
    writer.join();
    for (int i = 0; i < 20; ++i) {
        const QByteArray dump = readAll(dir(QStringLiteral("r%1").arg(i)) + "/data0.dump");
        EXPECT_EQ(dump.size() % block.size(), 0);
        EXPECT_EQ(dump.count('\x11'), dump.size());
    }
}

TEST_F(RecorderTest, RevolutionIsLoggedOneLinePerFanInOrder) {
    std::vector<RawData> rev(2);
    rev[0].start = 10;
    rev[0].span = 20;
    rev[0].count = 0;  // no points: the record ends with "N:0" and the two blanks
    rev[1].start = 30;
    rev[1].span = 3570;
    rev[1].count = 2;
    rev[1].points[0] = {0.5f, 1.25f, 7};
    rev[1].points[1] = {3.14159274f, 12.5f, 255};
    Recorder rec;
    ASSERT_EQ(startIn(rec, dir()), QString());
    rec.writeRevolution(0, rev);
    rec.stop();
    const QList<QByteArray> lines = readAll(dir() + "/point0.txt").split('\n');
    ASSERT_EQ(lines.size(), 3);  // two records and the empty rest after the last "\r\n"
    EXPECT_TRUE(lines[0].endsWith("] : start angle 10 span:20 N:0  \r")) << lines[0].toStdString();
    EXPECT_TRUE(
        lines[1].endsWith("] : start angle 30 span:3570 N:2  \t    0.5\t1.25\t  7\t3.14159\t12.5\t255\r"))
        << lines[1].toStdString();
}

TEST_F(RecorderTest, StartRecordingTakesBaseFromLogpathSetting) {
    QTemporaryDir settingsDir;
    ASSERT_TRUE(settingsDir.isValid());
    Settings::setDirectoryForTesting(settingsDir.path().toStdString());
    const QString base = dir(QStringLiteral("from-settings"));
    ASSERT_TRUE(Settings::instance().Write("Standard", "Logpath", base.toStdString()));
    Recorder rec;
    ASSERT_EQ(rec.startRecording(), QString());
    const QString d = rec.directory();
    rec.stop();
    EXPECT_TRUE(d.startsWith(base + "/korvLOG/")) << d.toStdString();
    EXPECT_TRUE(QFile::exists(d + "/info0.txt"));
}
