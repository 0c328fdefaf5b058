#pragma once
// Revolutions as point files for other tools.
//
// Points are written as the scanner reports them: the angle in degrees
// (radians x 180 / pi, not folded into 0..360), the distance in metres, and
// x = distance x cos(angle), y = distance x sin(angle) in metres, the usual
// plane coordinates of a range scan. Every point of every fan is written,
// also those without a return (distance 0). The time stamp is the fan's,
// seconds since the epoch with six decimals.
//
//   CSV  one file, one header line, then one line per point:
//        revolution,time_s,angle_deg,distance_m,x_m,y_m,energy
//   PLY  ASCII PLY, one file per revolution: vertices x, y, z = 0 (float)
//        and energy (uchar). More than one revolution, or an existing folder
//        as the target, make the target a folder of "revolution_NNNNN.ply".
//
// Files appear only complete: a failed export leaves nothing behind.

#include <QString>
#include <memory>
#include <string>

#include "rawdata.h"

enum class ExportFormat { Csv, Ply };

// "csv" / "ply" (any case); false for anything else.
bool parse_export_format(const std::string& text, ExportFormat& format);

std::string revolution_csv_header();  // with its line end
// Appends the CSV lines of one revolution; `index` fills the first column.
void append_revolution_csv(std::string& out, int index, const Revolution& revolution);
// One complete PLY file for one revolution.
std::string revolution_ply(int index, const Revolution& revolution);

// Writes revolutions to one target as they come. Nothing is visible at the
// target before finish() succeeds. GUI or worker thread; one at a time.
class RevolutionExporter {
public:
    RevolutionExporter(const QString& target, ExportFormat format);
    ~RevolutionExporter();
    RevolutionExporter(const RevolutionExporter&) = delete;
    RevolutionExporter& operator=(const RevolutionExporter&) = delete;

    // False once writing has failed (errorString() says why).
    bool add(int index, const Revolution& revolution);
    // Completes the export. With no revolution added nothing is written and
    // the result is false with an empty errorString().
    bool finish();

    int count() const { return m_count; }
    QString errorString() const { return m_error; }

private:
    struct Files;
    bool fail(const QString& why);
    bool openCsv();
    bool writePly(int index, const Revolution& revolution);
    bool startFolder();

    QString m_target;
    ExportFormat m_format;
    std::unique_ptr<Files> m_files;
    int m_count = 0;
    int m_pendingIndex = -1;
    Revolution m_pending;  // a first PLY revolution, until it is known whether more follow
    QString m_error;
    bool m_failed = false;
};
