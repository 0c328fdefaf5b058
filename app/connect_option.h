#pragma once
// `vantrel --connect LINK`: the link the window opens at start, in the link
// forms of vantrel-cli (udp://IP:PORT[?local=PORT], tcp://IP:PORT,
// uart:///dev/PATH?baud=N, vpc:///dev/PATH[?baud=N]). Other arguments are
// left to whoever reads them.

#include <QString>
#include <QStringList>

struct ConnectOption {
    bool given = false;
    QString error;    // non-empty: the option was given but is unusable
    QString type;     // "UDP", "TCP", "UART" or "VPC"
    QString address;  // IPv4 address or device path
    int portOrBaud = 0;
    int localPort = 0;  // UDP: local data port
};

// Looks for "--connect LINK" or "--connect=LINK" in the program's arguments.
ConnectOption parseConnectOption(const QStringList& arguments);
