#pragma once
// One remembered connection of the device list, stored in the settings file
// (section "History") as "Time:%1|Model:%2|Type:%3|Info:%4|Remote:%5" and
// listed by the home page with every "|" shown as a line break. The settings
// file is plain text the user may have edited, so an entry is parsed, never
// trusted. Plain functions; any thread.

#include <QString>

// What a history entry asks the device list to connect to.
struct HistoryRequest {
    QString type;        // the Type line: "UDP", "TCP", "UART", "VPC", "Net"
    QString ipCom;       // address or serial port name (second part of the Info line)
    int portBaud = 0;    // the Remote line's port; 0 when it has none (serial rows)
    int remotePort = 0;  // the Info line's port or baud rate
};

// The list text of a stored entry: "|" becomes a line break.
QString history_display_text(const QString& stored);

// Parses the list text of an entry: five lines; Type holds a ":", Info splits
// at ":" into exactly three parts. False (out untouched) for anything else.
bool parse_history_entry(const QString& displayText, HistoryRequest& out);
