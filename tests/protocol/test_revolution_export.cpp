// Revolutions written as CSV and PLY files: the numbers a hand calculation
// gives, one file or a folder, and nothing left behind when writing fails.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>

#include "revolution_export.h"

namespace {

constexpr double kPi = 3.1415926535898;  // the decoders' value

// One fan at 90 degrees with a point at 2 m (energy 9) and one at 0.5 m, 180 degrees.
Revolution known() {
    RawData fan;
    fan.tag = 0xFAAA;
    fan.count = 2;
    fan.start = 900;
    fan.span = 900;
    fan.stampSec = 1700000000;
    fan.stampUsec = 42;
    fan.points[0] = {float(900 * kPi / 1800), 2.0f, 9};
    fan.points[1] = {float(1800 * kPi / 1800), 0.5f, 200};
    return {fan};
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

TEST(RevolutionExport, CsvLinesAreTheHandComputedPoints) {
    std::string csv = revolution_csv_header();
    append_revolution_csv(csv, 7, known());
    EXPECT_EQ(csv,
              "revolution,time_s,angle_deg,distance_m,x_m,y_m,energy\n"
              "7,1700000000.000042,90.0000,2.000000,0.000000,2.000000,9\n"
              "7,1700000000.000042,180.0000,0.500000,-0.500000,0.000000,200\n");
}

TEST(RevolutionExport, PlyHasAHeaderAndOneVertexPerPoint) {
    const std::string ply = revolution_ply(3, known());
    EXPECT_EQ(ply,
              "ply\nformat ascii 1.0\ncomment vantrel revolution 3\ncomment time_s 1700000000.000042\n"
              "element vertex 2\nproperty float x\nproperty float y\nproperty float z\n"
              "property uchar energy\nend_header\n"
              "0.000000 2.000000 0 9\n-0.500000 0.000000 0 200\n");
}

TEST(RevolutionExport, FailedExportsLeaveNothingBehind) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    struct Case {
        QString target;
        ExportFormat format;
        int revolutions;
    };
    const Case cases[] = {
        {dir.filePath("file/x.csv"), ExportFormat::Csv, 1},  // a file where a folder should be
        {dir.filePath("file/x.ply"), ExportFormat::Ply, 1},
        {dir.filePath("file/out"), ExportFormat::Ply, 3},
        {dir.filePath("file"), ExportFormat::Ply, 2},  // exists and is not a folder
        {dir.path(), ExportFormat::Csv, 1},            // a folder
    };
    for (const Case& c : cases) {
        RevolutionExporter e(c.target, c.format);
        bool ok = true;
        for (int i = 0; i < c.revolutions; ++i) ok = e.add(i, known()) && ok;
        ok = e.finish() && ok;
        EXPECT_FALSE(ok) << c.target.toStdString();
        EXPECT_FALSE(e.errorString().isEmpty()) << c.target.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"file"});
    EXPECT_EQ(readAll(dir.filePath("file")), QByteArray());
}
