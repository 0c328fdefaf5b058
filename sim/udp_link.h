#pragma once
// The scanner on UDP: commands on its own address and port (and on its
// upload port when that differs), replies to each command's source, scan
// data to the current stream target, heartbeats to the multicast group
// through loopback only.

#include <QHostAddress>
#include <QUdpSocket>

#include "link.h"

namespace sim {

// Heartbeats must never leave the machine: out through loopback, TTL 1,
// looped back so listeners on this host (in the same namespace) see them.
void keepMulticastLocal(qintptr fd);
// One heartbeat to 225.225.225.225:6789 from `socket`.
void sendHeartbeatFrom(QUdpSocket& socket, const QByteArray& datagram);

class UdpLink : public Link {
    Q_OBJECT
public:
    UdpLink(CommandSink* sink, PacketFaults* faults, QObject* parent = nullptr);

    bool open(const QString& ip, quint16 port, quint16 uploadPort, QString* error);
    void sendStream(const QByteArray& packet) override;
    void setStreamTarget(const QHostAddress& address, quint16 port);
    // Multicast to 225.225.225.225:6789 from the scanner's own address.
    void sendHeartbeat(const QByteArray& datagram);

    QHostAddress address() const { return m_address; }
    quint16 port() const { return m_port; }

private:
    void readFrom(QUdpSocket* socket);
    QUdpSocket* bindSocket(const QHostAddress& address, quint16 port, QString* error);

    QUdpSocket* m_main = nullptr;
    QUdpSocket* m_upload = nullptr;
    QHostAddress m_address;
    quint16 m_port = 0;
    QHostAddress m_target;
    quint16 m_targetPort = 0;
};

}  // namespace sim
