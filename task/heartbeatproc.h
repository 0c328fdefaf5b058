#pragma once
// Listens for scanner heartbeats on the multicast group 225.225.225.225 and
// reports each accepted one as a DevConnInfo. Algorithm-box status datagrams
// (312 or 320 bytes) arriving on the same group are passed on raw.
//
// Thread affinity: the object belongs to the thread that created it (the GUI
// thread); run() is the receive loop on the worker thread. recv_close() may
// be called from any thread. Signals leave the worker thread and reach their
// receivers queued, carrying copies.

#include <QByteArray>
#include <QThread>
#include <atomic>
#include <cstdint>

#include "devconninfo.h"

class HeartBeatProc : public QThread {
    Q_OBJECT
public:
    // port: the UDP port of the heartbeat group (6789 in the program).
    explicit HeartBeatProc(quint16 port, QObject* parent = nullptr);
    // Stops the loop and waits for it, so the thread never outlives the object.
    ~HeartBeatProc() override;

    static constexpr const char* kGroup = "225.225.225.225";

signals:
    // type 1: local-8-bit error text when the socket cannot be set up (then
    // the thread ends); type 16: the raw bytes of a box status datagram.
    void sig_data(int type, QByteArray info);
    // One per accepted heartbeat.
    void sig_GetLidarHeart(DevConnInfo conn);

public slots:
    // Ends the receive loop within one poll interval (no datagram needed).
    void recv_close();

protected:
    void run() override;

private:
    int openSocket();
    void dispatch(const uint8_t* data, size_t len, const void* sender);

    const quint16 m_port;
    std::atomic<bool> m_running{true};
};
