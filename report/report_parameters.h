#pragma once
// The parameter block as the report prints it: readable names, values and
// units, grouped as the parameter page groups them, and the output mapping as
// a 12 x 4 grid. Plain functions; the texts go through the translation
// context "CommissioningReport".

#include <QString>
#include <QStringList>
#include <vector>

#include "eeprom.h"

struct ReportParameterRow {
    QString group;  // "Operation", "Communication", ...
    QString name;   // readable name
    QString value;  // value with its unit
};

// The rows of `block`. On UART links the scanner's address bytes hold the
// serial baud rate, which then replaces the network rows.
std::vector<ReportParameterRow> report_parameter_rows(const EEpromV101& block, const QString& linkType);

// Names of the twelve statuses of the output mapping, row k = byte k of outMap.
QStringList report_output_status_names();

// Bit j of outMap byte k: status k drives output j + 1.
inline bool report_output_mapped(const EEpromV101& block, int status, int output) {
    return (block.outMap[status] >> output) & 1u;
}
