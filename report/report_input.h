#pragma once
// Everything a commissioning report prints, as plain values. The window and
// vantrel-cli fill it from a live scanner or a parameter file; the report
// code never talks to a device, a worker or a widget.

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "eeprom.h"
#include "rawdata.h"
#include "zone_types.h"

// One line of the audit trail, as the report shows it.
struct ReportAuditEntry {
    QDateTime time;     // when the change was made
    QString program;    // "vantrel", "vantrel-cli"
    int level = 0;      // right level of the operator: 0, 1 or 2
    QString operation;  // "parameter command", "zone write", ...
    QString command;    // the command text or what the operation worked on
    QString outcome;    // "accepted", "refused", "succeeded", ...
    QString detail;     // error text, result code, image CRC ...
};

// The zone image check of the report.
struct ReportVerification {
    // Where the zones of the report came from, for the reader ("read back from
    // the scanner", "parameter file ..."). Empty: nothing was read.
    QString source;
    // CRC the image carries in its header (offset 12), as read back.
    std::optional<uint32_t> imageCrc;
    // The image's content gives that CRC again: the transfer or the file is intact.
    std::optional<bool> imageIntact;
    // The CRC of the last image written to this scanner, and when, if known.
    std::optional<uint32_t> writtenCrc;
    QDateTime writtenAt;
    // The image read back is the one that was written.
    std::optional<bool> matched;
};

struct ReportInput {
    // ---- identity
    QString linkText;        // "udp://192.168.1.10:2111", "parameter file site.lidar", ...
    QString linkType;        // "UDP", "TCP", "UART", "VPC"; empty offline
    QString model;           // model name as the model table knows it
    QString programVersion;  // "vantrel-cli 0.1.0"
    QString engineer;        // free text, any length and script
    QString site;            // free text, any length and script
    QDateTime createdAt;     // the report's date and time; now when invalid

    // ---- the scanner's stored configuration
    std::optional<EEpromV101> block;

    // ---- protection fields
    zones zoneList;                        // drawing axes: lateral right, forward up (mm)
    bool zonesRead = false;                // false: the zones could not be read (no page per zone)
    std::optional<Revolution> revolution;  // last revolution received, drawn under the zones
    bool mirrored = false;                 // the scanner turns the other way (points' lateral axis flips)

    // ---- verification
    ReportVerification verification;
    std::vector<ReportAuditEntry> audit;  // this scanner's changes of the day, oldest first
};
