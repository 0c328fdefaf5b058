// vantrel-cli whatif and zones encode --reference, run as a program on files
// built here. The recording is a walk-through of a target (5 points at 3..7
// deg) past an alarm rectangle forward 1000..3000 mm, lateral 0..1000 mm;
// every other point is at 5000 mm, outside. The revolutions it should
// trigger are read off the walk: inside exactly when 1000 < d cos(a) < 3000.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "../protocol/packet_builder.h"
#include "cli_run.h"
#include "qt_wait.h"

using pb::Bytes;

namespace {

// Triggered: 1, 2, 4, 5 (streaks 1..2 and 4..5).
const std::vector<int> kWalk = {4000, 2500, 1500, 700, 2000, 1200, 4000};

const char kRectangle[] =
    R"({"zones": [{"shape": "rectangle", "zone": 2, "kind": "alarm", "points": [[1000, 0], [3000, 1000]]}]})";

class CliWhatIf : public testing::Test {
protected:
    void SetUp() override { testsupport::ensureApp(); }

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return path;
    }
    QString recording(const Bytes& bytes) {
        return write(QStringLiteral("data0.dump"),
                     QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size())));
    }
    QString zonesFile(const char* json = kRectangle) { return write(QStringLiteral("zones.json"), json); }

    // The one result row of the rectangle's zone, from a run that must succeed.
    QJsonObject row(const QStringList& extra = {}) {
        const CliRun r = runCli(QStringList{"whatif", recording(pb::targetWalk(kWalk)), zonesFile()} + extra);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        QJsonParseError e;
        const QJsonObject doc = QJsonDocument::fromJson(r.out.toUtf8(), &e).object();
        EXPECT_EQ(e.error, QJsonParseError::NoError) << r.out.toStdString();
        EXPECT_EQ(doc.value("revolutionCount").toInt(), int(kWalk.size()));
        const QJsonArray rows = doc.value("results").toArray();
        EXPECT_EQ(rows.size(), 1);
        return rows.isEmpty() ? QJsonObject() : rows[0].toObject();
    }

    QTemporaryDir m_dir;
};

std::vector<int> ints(const QJsonValue& v) {
    std::vector<int> out;
    for (const QJsonValue& x : v.toArray()) out.push_back(x.toInt());
    return out;
}

}  // namespace

TEST_F(CliWhatIf, WalkThroughTriggersTheRevolutionsWorkedOutByHand) {
    const QJsonObject r = row();
    EXPECT_EQ(r.value("zone").toInt(), 2);
    EXPECT_EQ(r.value("kind").toString(), "alarm");
    EXPECT_EQ(ints(r.value("triggeredRevolutions")), (std::vector<int>{1, 2, 4, 5}));
    EXPECT_EQ(r.value("triggered").toInt(), 4);
    EXPECT_EQ(r.value("alarms").toInt(), 2);
    EXPECT_EQ(r.value("firstTriggered").toObject().value("revolution").toInt(), 1);
    EXPECT_EQ(r.value("pointsInside").toInt(), 20);
    const std::vector<int> sectors = ints(r.value("sectors"));
    ASSERT_EQ(sectors.size(), 36u);
    EXPECT_EQ(sectors[0], 20);
}

TEST_F(CliWhatIf, ThresholdsOnPointsAndRevolutions) {
    // Five target points per revolution: F = 5 still triggers, F = 6 never does.
    EXPECT_EQ(ints(row({"--points", "5"}).value("triggeredRevolutions")), (std::vector<int>{1, 2, 4, 5}));
    EXPECT_TRUE(ints(row({"--points=6"}).value("triggeredRevolutions")).empty());
    const QJsonObject two = row({"--revolutions", "2"});
    EXPECT_EQ(two.value("alarms").toInt(), 2);
    EXPECT_EQ(two.value("firstAlarm").toObject().value("revolution").toInt(), 2);
    const QJsonObject three = row({"--revolutions", "3"});
    EXPECT_EQ(three.value("alarms").toInt(), 0);
    EXPECT_TRUE(three.value("firstAlarm").isNull());
}

TEST_F(CliWhatIf, BadInputIsRefusedWithItsMessage) {
    const QString rec = recording(pb::targetWalk(kWalk));
    const QString zones = zonesFile();
    for (const char* bad : {"0", "1001", "x", "2.5"}) {
        const CliRun f = runCli({"whatif", rec, zones, "--points", bad});
        EXPECT_EQ(f.exitCode, 2) << bad;
        EXPECT_TRUE(f.err.contains("--points must be a whole number 1..1000")) << f.err.toStdString();
        const CliRun c = runCli({"whatif", rec, zones, "--revolutions", bad});
        EXPECT_EQ(c.exitCode, 2) << bad;
        EXPECT_TRUE(c.err.contains("--revolutions must be a whole number 1..1000")) << c.err.toStdString();
    }

    const QString noise = write(QStringLiteral("noise.dump"), QByteArray(4000, 'x'));
    const CliRun n = runCli({"whatif", noise, zones});
    EXPECT_EQ(n.exitCode, 1);
    EXPECT_TRUE(n.err.contains("vantrel-cli whatif: no revolutions in " + noise + "\n"))
        << n.err.toStdString();
    EXPECT_TRUE(n.out.isEmpty());

    const QString flat =
        write(QStringLiteral("flat.json"), R"({"zones": [{"shape": "rectangle", "zone": 1, "kind": "alarm",)"
                                           R"( "points": [[1000, 5], [1000, 900]]}]})");
    const CliRun e = runCli({"whatif", rec, flat});
    EXPECT_EQ(e.exitCode, 1);
    EXPECT_TRUE(e.err.contains("entry 0: The current parameter cannot form a rectangle!"))
        << e.err.toStdString();
}

TEST_F(CliWhatIf, ParameterFileGivesTheSameResultAsItsZoneList) {
    const QString lidar = m_dir.filePath(QStringLiteral("zones.lidar"));
    const CliRun enc = runCli({"zones", "encode", zonesFile(), lidar});
    ASSERT_EQ(enc.exitCode, 0) << enc.err.toStdString();
    const CliRun r = runCli({"whatif", recording(pb::targetWalk(kWalk)), lidar});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(r.out.toUtf8()).object().value("results").toArray();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(ints(rows[0].toObject().value("triggeredRevolutions")), (std::vector<int>{1, 2, 4, 5}));
}

TEST(CliZonesEncode, ReferenceRasteriserWritesTheSameImage) {
    testsupport::ensureApp();
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("zones.json"));
    QFile f(list);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"zones": [
      {"shape": "ellipse", "zone": 0, "kind": "warning", "points": [[0, 2000], [3000, 2500]]},
      {"shape": "sector", "zone": 0, "kind": "observation", "points": [[2700, 900], [6000, 300]]},
      {"shape": "filter", "zone": 0, "kind": "alarm", "points": [[-300, 500], [300, 500], [0, 4000]]}]})");
    f.close();
    const QString fast = dir.filePath(QStringLiteral("fast.bin")),
                  ref = dir.filePath(QStringLiteral("ref.bin"));
    ASSERT_EQ(runCli({"zones", "encode", list, fast}).exitCode, 0);
    ASSERT_EQ(runCli({"zones", "encode", "--reference", list, ref}).exitCode, 0);
    QFile a(fast), b(ref);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray x = a.readAll(), y = b.readAll();
    ASSERT_EQ(x.size(), 212992);
    // The creation time (bytes 20..23) may tick between the two runs, and the CRC (12..15) covers it.
    EXPECT_EQ(x.left(12), y.left(12));
    EXPECT_EQ(x.mid(16, 4), y.mid(16, 4));
    EXPECT_EQ(x.mid(24), y.mid(24));
    EXPECT_NE(x.mid(0x4000), QByteArray(212992 - 0x4000, '\0'));  // the tables are not empty
}
