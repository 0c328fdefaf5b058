#include "udp_link.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace sim {

namespace {

constexpr quint16 kHeartbeatPort = 6789;
const char* const kHeartbeatGroup = "225.225.225.225";

}  // namespace

void keepMulticastLocal(qintptr fd) {
    in_addr loopback{};
    loopback.s_addr = htonl(INADDR_LOOPBACK);
    setsockopt(static_cast<int>(fd), IPPROTO_IP, IP_MULTICAST_IF, &loopback, sizeof loopback);
    const unsigned char ttl = 1, loop = 1;
    setsockopt(static_cast<int>(fd), IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl);
    setsockopt(static_cast<int>(fd), IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop);
}

void sendHeartbeatFrom(QUdpSocket& socket, const QByteArray& datagram) {
    socket.writeDatagram(datagram, QHostAddress(QString::fromLatin1(kHeartbeatGroup)), kHeartbeatPort);
}

UdpLink::UdpLink(CommandSink* sink, PacketFaults* faults, QObject* parent) : Link(sink, faults, parent) {}

QUdpSocket* UdpLink::bindSocket(const QHostAddress& address, quint16 port, QString* error) {
    auto* socket = new QUdpSocket(this);
    // Address reuse lets a client on this host bind the same port number on
    // the wildcard address, as it does when it talks to a real scanner.
    if (!socket->bind(address, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        if (error)
            *error = QStringLiteral("cannot bind %1:%2: %3")
                         .arg(address.toString())
                         .arg(port)
                         .arg(socket->errorString());
        delete socket;
        return nullptr;
    }
    keepMulticastLocal(socket->socketDescriptor());
    connect(socket, &QUdpSocket::readyRead, this, [this, socket] { readFrom(socket); });
    return socket;
}

bool UdpLink::open(const QString& ip, quint16 port, quint16 uploadPort, QString* error) {
    const QHostAddress address(ip);
    if (address.isNull() || address.protocol() != QAbstractSocket::IPv4Protocol) {
        if (error) *error = QStringLiteral("not an IPv4 address: %1").arg(ip);
        return false;
    }
    QUdpSocket* main = bindSocket(address, port, error);
    if (!main) return false;
    QUdpSocket* upload = nullptr;
    if (uploadPort != 0 && uploadPort != port) upload = bindSocket(address, uploadPort, nullptr);
    delete m_main;
    delete m_upload;
    m_main = main;
    m_upload = upload;
    m_address = address;
    m_port = port;
    return true;
}

void UdpLink::readFrom(QUdpSocket* socket) {
    while (socket->hasPendingDatagrams()) {
        const qint64 size = socket->pendingDatagramSize();
        QByteArray datagram(static_cast<int>(qBound<qint64>(0, size, 65536)), '\0');
        QHostAddress from;
        quint16 fromPort = 0;
        const qint64 got = socket->readDatagram(datagram.data(), datagram.size(), &from, &fromPort);
        if (got < 0) continue;
        datagram.resize(static_cast<int>(got));
        FrameSplitter splitter(false);
        CommandOrigin origin{from, fromPort, true};
        for (const ReceivedCommand& c : splitter.feed(datagram)) {
            // The sink may rebind this link (LSUDP); reply through whatever
            // socket is current, which is still this one until it returns.
            for (QByteArray reply : m_sink->onCommand(c, origin)) {
                if (survives(reply)) socket->writeDatagram(reply, from, fromPort);
            }
        }
    }
}

void UdpLink::sendStream(const QByteArray& packet) {
    if (!m_main || m_target.isNull() || m_targetPort == 0) return;
    QByteArray copy = packet;
    if (survives(copy)) m_main->writeDatagram(copy, m_target, m_targetPort);
}

void UdpLink::setStreamTarget(const QHostAddress& address, quint16 port) {
    m_target = address;
    m_targetPort = port;
}

void UdpLink::sendHeartbeat(const QByteArray& datagram) {
    if (m_main) sendHeartbeatFrom(*m_main, datagram);
}

}  // namespace sim
