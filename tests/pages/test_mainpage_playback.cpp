// Playback in the main window: a recording cached and replayed on the
// point-cloud page and its revolution on screen exported, a second file
// replacing the first, the page's playback signals.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include "dialog_playback.h"
#include "graphics_item_data.h"
#include "mainpage.h"
#include "netguard.h"
#include "page_lidar.h"
#include "qt_wait.h"
#include "settings.h"
#include "simulator.h"

namespace {

constexpr int kWaitMs = 30000;

class MainPagePlayback : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("VANTREL_SERIAL_PORTS", "");
        Settings::setDirectoryForTesting(m_dir.path().toStdString());
        ASSERT_TRUE(Settings::instance().Write("Standard", "Language", "English"));
        MainPage::setTranslationDirectory(QStringLiteral(VANTREL_QM_DIR));
        MainPage::setMessageHook([this](const QString&, const QString& text) { m_messages << text; });
    }
    void TearDown() override { MainPage::setMessageHook({}); }

    // `seconds` of the simulator's scan as a recording.
    QString record(const char* name, double seconds) {
        sim::SimOptions o;
        o.logCommands = false;
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        QString error;
        EXPECT_TRUE(sim::writeDump(o, path, seconds, &error)) << error.toStdString();
        return path;
    }

    static QString info(MainPage& page) {
        return page.playbackDialog()->findChild<QLineEdit*>(QStringLiteral("le_info"))->text();
    }
    static bool cached(MainPage& page) {
        return page.playbackDialog() && info(page) == QLatin1String("Caching is finish!");
    }

    QTemporaryDir m_dir;
    QStringList m_messages;
};

}  // namespace

TEST_F(MainPagePlayback, RecordingOpenedAtStartPlaysOnThePointCloudPage) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    const QString rec = record("data0.dump", 3.0);
    MainPage page;
    QString error;
    EXPECT_FALSE(page.exportRevolutionTo(m_dir.filePath("early.csv"), false, &error));
    EXPECT_EQ(error, "No revolution is shown yet.");
    page.resize(1280, 800);
    page.show();
    page.startPlayback(rec, true);
    EXPECT_EQ(page.currentPage(), page.lidarPage());
    ASSERT_TRUE(testsupport::waitUntil([&] { return cached(page); }, kWaitMs));
    EXPECT_EQ(page.playbackDialog()->cacheSize(), 28);  // 30 turns at 10 Hz, less calibration
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            return page.lidarPage()->item()->pointCount() > 0 && page.playbackDialog()->replayIndex() > 3;
        },
        kWaitMs));
    EXPECT_TRUE(page.playbackDialog()->isPlaying());
    EXPECT_EQ(page.offsetAngle(), 1800);

    QDir().mkpath(QStringLiteral(VANTREL_SHOT_DIR));
    const QString shot = QStringLiteral(VANTREL_SHOT_DIR "/mainpage_playback.png");
    ASSERT_TRUE(page.grab().save(shot));

    // The revolution on screen, as points.
    const QString csv = m_dir.filePath("shown.csv");
    ASSERT_TRUE(page.exportRevolutionTo(csv, false, &error)) << error.toStdString();
    int points = 0;
    for (const RawData& fan : page.shownRevolution()) points += fan.count;
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().count('\n'), points + 1);
    EXPECT_FALSE(page.exportRevolutionTo(m_dir.filePath("missing/x.ply"), true, &error));
    EXPECT_TRUE(error.startsWith("cannot write")) << error.toStdString();
    EXPECT_FALSE(QFile::exists(m_dir.filePath("missing")));
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('|').toStdString();
}

TEST_F(MainPagePlayback, SecondFileReplacesTheFirstAndBadFilesAreReported) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    const QString longer = record("long.dump", 5.0);
    const QString shorter = record("short.dump", 2.0);
    MainPage page;
    // The point-cloud page's button hands over the file the operator picked.
    emit page.lidarPage()->sig_PlayBackFileName(m_dir.filePath("missing.dump"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !m_messages.isEmpty(); }, kWaitMs));
    EXPECT_EQ(m_messages, QStringList{"The playback file is open failed!"});
    ASSERT_NE(page.playbackDialog(), nullptr);

    emit page.lidarPage()->sig_PlayBackFileName(longer);
    emit page.lidarPage()->sig_PlayBackFileName(shorter);
    ASSERT_TRUE(testsupport::waitUntil([&] { return cached(page); }, kWaitMs));
    EXPECT_EQ(page.playbackDialog()->cacheSize(), 18);  // the short one alone

    emit page.lidarPage()->sig_isplayback(false);
    EXPECT_FALSE(page.playbackWorker()->isPlaying());
    emit page.lidarPage()->sig_isplayback(true);
    EXPECT_TRUE(page.playbackWorker()->isPlaying());

    page.playbackDialog()->on_pb_close_clicked();
    EXPECT_EQ(page.playbackDialog(), nullptr);
    EXPECT_EQ(m_messages.size(), 1);
}
