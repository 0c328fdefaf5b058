#include "history_entry.h"

#include <QStringList>

QString history_display_text(const QString& stored) {
    QString text = stored;
    text.replace(QLatin1Char('|'), QLatin1Char('\n'));
    return text;
}

bool parse_history_entry(const QString& displayText, HistoryRequest& out) {
    // Lines: Time, Model, Type ("Type:UDP"), Info ("Info:ip:port") and Remote
    // ("Remote:ip:port", empty after the colon for serial rows). An entry
    // edited by hand into another shape is refused rather than half-read.
    const QStringList lines = displayText.split(QLatin1Char('\n'));
    if (lines.size() != 5 || !lines[2].contains(QLatin1Char(':'))) return false;
    const QStringList info = lines[3].split(QLatin1Char(':'));
    if (info.size() != 3) return false;
    HistoryRequest request;
    request.type = lines[2].section(QLatin1Char(':'), 1);
    request.ipCom = info[1];
    request.remotePort = info[2].toInt();
    const QStringList remote = lines[4].split(QLatin1Char(':'));
    request.portBaud = remote.size() == 3 ? remote[2].toInt() : 0;
    out = request;
    return true;
}
