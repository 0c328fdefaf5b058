#pragma once
// The scanner on TCP: commands and their replies on port P, scan data and
// state records on port P + 1. Several clients may connect; each command
// connection has its own frame splitter.

#include <QTcpServer>
#include <QTcpSocket>
#include <map>
#include <memory>

#include "link.h"

namespace sim {

class TcpLink : public Link {
    Q_OBJECT
public:
    TcpLink(CommandSink* sink, PacketFaults* faults, QObject* parent = nullptr);

    bool open(const QString& ip, quint16 port, QString* error);
    void sendStream(const QByteArray& packet) override;

private:
    void acceptCommand();
    void acceptData();

    QTcpServer m_commandServer;
    QTcpServer m_dataServer;
    std::map<QTcpSocket*, std::unique_ptr<FrameSplitter>> m_commandClients;
    QList<QTcpSocket*> m_dataClients;
};

}  // namespace sim
