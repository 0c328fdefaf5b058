// Playback in the main window: a recording cached and replayed on the
// point-cloud page and its revolution on screen exported, a second file
// replacing the first, the page's playback signals; the page's actions on
// what playback shows or loaded (export, zone what-if).

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <memory>

#include "../protocol/packet_builder.h"
#include "dialog_playback.h"
#include "dialog_whatif.h"
#include "graphics_item_data.h"
#include "mainpage.h"
#include "netguard.h"
#include "page_lidar.h"
#include "page_message.h"
#include "qt_wait.h"
#include "settings.h"
#include "simulator.h"
#include "zone_image.h"
#include "zone_json.h"
#include "zone_whatif.h"

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
    void TearDown() override {
        MainPage::setMessageHook({});
        pagemsg::setFileHook({});
    }

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
    static QPushButton* button(MainPage& page, const char* name) {
        return page.lidarPage()->findChild<QPushButton*>(QLatin1String(name));
    }
    static bool cached(MainPage& page) {
        return page.playbackDialog() && info(page) == QLatin1String("Caching is finish!");
    }

    QTemporaryDir m_dir;
    QStringList m_messages;
};

// A target walking past an alarm rectangle 1000..3000 mm ahead: inside in
// revolutions 1, 2, 4 and 5.
const std::vector<int> kWalk = {4000, 2500, 1500, 700, 2000, 1200, 4000};
const char kRectangle[] =
    R"({"zones": [{"shape": "rectangle", "zone": 2, "kind": "alarm", "points": [[1000, 0], [3000, 1000]]}]})";

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

TEST_F(MainPagePlayback, ExportRevolutionButtonWritesTheRevolutionOnScreen) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    const QString rec = record("data0.dump", 2.0);
    MainPage page;
    QPushButton* exportButton = button(page, "pb_exportrevolution");
    ASSERT_NE(exportButton, nullptr);
    const QString out = m_dir.filePath("shown.csv");
    QStringList asked;
    pagemsg::setFileHook(
        [&](pagemsg::FileChoice kind, const QString& caption, const QString&, const QString&) {
            asked << caption;
            return kind == pagemsg::FileChoice::SaveFile ? out : QString();
        });

    // Nothing on screen yet: said so, no file.
    exportButton->click();
    EXPECT_EQ(m_messages, QStringList{"No revolution is shown yet."});
    EXPECT_FALSE(QFile::exists(out));

    page.startPlayback(rec, true);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !page.shownRevolution().empty(); }, kWaitMs));
    exportButton->click();
    EXPECT_EQ(asked, QStringList{"Export revolution"});
    int points = 0;
    for (const RawData& fan : page.shownRevolution()) points += fan.count;
    ASSERT_GT(points, 0);
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().count('\n'), points + 1);  // a header, then one line per point
    ASSERT_EQ(m_messages.size(), 2);
    EXPECT_EQ(m_messages[1], "Revolution exported to " + out);
}

TEST_F(MainPagePlayback, WhatIfButtonShowsTheCountsOfThePlaybackFileAgainstTheWorkingZones) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    const pb::Bytes bytes = pb::targetWalk(kWalk);
    const QString rec = m_dir.filePath("walk.dump");
    {
        QFile f(rec);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    auto list = std::make_unique<zones>();
    std::string error;
    ASSERT_TRUE(zones_from_json(kRectangle, *list, error)) << error;

    MainPage page;
    QPushButton* whatIf = button(page, "pb_whatif");
    ASSERT_NE(whatIf, nullptr);
    whatIf->click();
    page.startPlayback(rec);
    whatIf->click();
    EXPECT_EQ(m_messages,
              (QStringList{"No playback file is loaded: open a recording with the playback button first.",
                           "The working zone list is empty: read, import or draw zones first."}));
    EXPECT_EQ(page.whatIfDialog(), nullptr);

    page.lidarPage()->loadZones(*list);
    whatIf->click();
    Dialog_WhatIf* dialog = page.whatIfDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->recording(), rec);

    auto image = std::make_unique<ZoneDef>();
    ASSERT_EQ(zones_to_zonedef(*list, false, 0, *image), kZoneListOk);
    const struct {
        int points, revolutions;
        const char* triggered;  // by hand from the walk
    } cases[] = {{1, 1, "4"}, {1, 2, "4"}, {1, 3, "4"}, {5, 1, "4"}, {6, 1, "0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "F " << c.points << " C " << c.revolutions);
        if (dialog->isRunning() || dialog->rowCount() == 0) {
            QSignalSpy done(dialog, &Dialog_WhatIf::sig_finished);
            ASSERT_TRUE(done.wait(kWaitMs));
        }
        dialog->findChild<QSpinBox*>("sb_points")->setValue(c.points);
        dialog->findChild<QSpinBox*>("sb_revolutions")->setValue(c.revolutions);
        QSignalSpy done(dialog, &Dialog_WhatIf::sig_finished);
        dialog->findChild<QPushButton*>("pb_run")->click();
        ASSERT_TRUE(done.wait(kWaitMs));
        ASSERT_EQ(done.takeFirst().at(0).toBool(), true) << dialog->statusText().toStdString();

        WhatIfOptions options;
        options.minPoints = c.points;
        options.minRevolutions = c.revolutions;
        const WhatIfResult expected = zone_whatif(bytes.data(), bytes.size(), *image, options);
        ASSERT_EQ(expected.rows.size(), 1u);
        const WhatIfRow& row = expected.rows[0];
        ASSERT_EQ(dialog->rowCount(), 1);
        EXPECT_EQ(dialog->cellText(0, Dialog_WhatIf::ColZone), "2");
        EXPECT_EQ(dialog->cellText(0, Dialog_WhatIf::ColKind), "alarm");
        EXPECT_EQ(dialog->cellText(0, Dialog_WhatIf::ColTriggered), c.triggered);
        EXPECT_EQ(dialog->cellText(0, Dialog_WhatIf::ColTriggered), QString::number(row.triggered));
        EXPECT_EQ(dialog->cellText(0, Dialog_WhatIf::ColAlarms), QString::number(row.alarms));
        EXPECT_EQ(dialog->cellText(0, Dialog_WhatIf::ColPoints), QString::number(row.pointsInside));
        EXPECT_EQ(dialog->cellText(0, Dialog_WhatIf::ColFirstTriggered),
                  row.firstTriggered.revolution < 0
                      ? "never"
                      : QString("revolution %1").arg(row.firstTriggered.revolution));
        EXPECT_EQ(dialog->cellText(0, Dialog_WhatIf::ColFirstAlarm),
                  row.firstAlarm.revolution < 0 ? "never"
                                                : QString("revolution %1").arg(row.firstAlarm.revolution));
    }
}
