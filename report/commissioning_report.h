#pragma once
// The commissioning report: one PDF of A4 pages that records what was set on
// a scanner when it was handed over.
//
//   1. identity: model, serial and device number, addresses and ports, the
//      link used, date and time, program version, engineer and site;
//   2. parameters: the block's fields with readable names and units, and the
//      output mapping as a 12 x 4 grid;
//   3. one page per zone number that holds entries: a drawing over the last
//      revolution with a metre grid, and the entries in millimetres below it;
//   4. verification: the zone image CRC read back and whether it matched what
//      was written, and the audit entries of the day.
//
// Needs a QGuiApplication (fonts); no widgets. Rendering takes a fraction of
// a second per page: fine on the GUI thread for a click, but keep it off any
// device thread.

#include <QByteArray>
#include <QString>

#include "report_input.h"

class QPagedPaintDevice;

// Renders the report onto `device` (A4, no margins; a QPdfWriter normally).
// `totalPages` is printed in every footer ("Page n of N") when above 0.
// Returns the number of pages, or 0 when the device cannot be painted on.
int render_commissioning_report(const ReportInput& input, QPagedPaintDevice& device, int totalPages = 0);

// The report as PDF bytes; empty with *error set when it cannot be rendered.
QByteArray commissioning_report_pdf(const ReportInput& input, int* pages = nullptr, QString* error = nullptr);

// Writes the report to `path` in one step: the PDF goes to a temporary file
// beside `path` that replaces it only once complete, so a folder that cannot
// be written, a full disk or a failure half-way leave no partial file (and an
// existing file at `path` untouched). False with a one-line message in *error.
bool write_commissioning_report(const ReportInput& input, const QString& path, QString* error = nullptr,
                                int* pages = nullptr);

// "0x1A2B3C4D".
QString report_crc_text(uint32_t crc);

// The version of this program, as the build knows it ("0.1.0").
QString report_program_version();
