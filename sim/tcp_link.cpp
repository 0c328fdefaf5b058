#include "tcp_link.h"

namespace sim {

namespace {

// A data client that stops reading is not allowed to make the scanner
// buffer without bound: packets are skipped while this much is pending.
constexpr qint64 kMaxPendingBytes = 1 << 20;

}  // namespace

TcpLink::TcpLink(CommandSink* sink, PacketFaults* faults, QObject* parent) : Link(sink, faults, parent) {
    connect(&m_commandServer, &QTcpServer::newConnection, this, &TcpLink::acceptCommand);
    connect(&m_dataServer, &QTcpServer::newConnection, this, &TcpLink::acceptData);
}

bool TcpLink::open(const QString& ip, quint16 port, QString* error) {
    const QHostAddress address(ip);
    if (address.isNull() || port == 0xFFFF) {
        if (error) *error = QStringLiteral("bad TCP address %1:%2").arg(ip).arg(port);
        return false;
    }
    if (!m_commandServer.listen(address, port) ||
        !m_dataServer.listen(address, static_cast<quint16>(port + 1))) {
        if (error)
            *error = QStringLiteral("cannot listen on %1:%2/%3: %4 %5")
                         .arg(ip)
                         .arg(port)
                         .arg(port + 1)
                         .arg(m_commandServer.errorString(), m_dataServer.errorString());
        m_commandServer.close();
        m_dataServer.close();
        return false;
    }
    return true;
}

void TcpLink::acceptCommand() {
    while (QTcpSocket* socket = m_commandServer.nextPendingConnection()) {
        socket->setParent(this);
        m_commandClients[socket] = std::make_unique<FrameSplitter>(false);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            auto it = m_commandClients.find(socket);
            if (it == m_commandClients.end()) return;
            const CommandOrigin origin{socket->peerAddress(), socket->peerPort(), true};
            for (const ReceivedCommand& c : it->second->feed(socket->readAll())) {
                for (QByteArray reply : m_sink->onCommand(c, origin)) {
                    if (survives(reply)) socket->write(reply);
                }
            }
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_commandClients.erase(socket);
            socket->deleteLater();
        });
    }
}

void TcpLink::acceptData() {
    while (QTcpSocket* socket = m_dataServer.nextPendingConnection()) {
        socket->setParent(this);
        m_dataClients.append(socket);
        // The data connection carries nothing towards the scanner; drain it.
        connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_dataClients.removeAll(socket);
            socket->deleteLater();
        });
    }
}

void TcpLink::sendStream(const QByteArray& packet) {
    for (QTcpSocket* socket : m_dataClients) {
        if (socket->bytesToWrite() > kMaxPendingBytes) continue;
        QByteArray copy = packet;
        if (survives(copy)) socket->write(copy);
    }
}

}  // namespace sim
