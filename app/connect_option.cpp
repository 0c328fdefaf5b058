#include "connect_option.h"

#include "link_address.h"

ConnectOption parseConnectOption(const QStringList& arguments) {
    ConnectOption option;
    QString text;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--connect")) {
            option.given = true;
            if (i + 1 >= arguments.size()) {
                option.error = QStringLiteral("--connect needs a link");
                return option;
            }
            text = arguments[++i];
        } else if (arg.startsWith(QLatin1String("--connect="))) {
            option.given = true;
            text = arg.mid(int(sizeof("--connect=")) - 1);
        }
    }
    if (!option.given) return option;
    LinkAddress link;
    std::string error;
    if (!parseLink(text.toStdString(), link, error)) {
        option.error = QString::fromStdString(error);
        return option;
    }
    option.type = QString::fromStdString(link.type);
    option.address = QString::fromStdString(link.address);
    const bool network = link.type == "UDP" || link.type == "TCP";
    option.portOrBaud = network ? link.port : link.baud;
    option.localPort = link.localPort;
    return option;
}
