#pragma once
// RecvTCPProc: reads the command connection (port P) of a TCP link, reports
// the framed replies found there like the data receiver does on other links,
// and carries out the zone operations over that connection.
//
// Thread affinity: created by the data receiver's TCP loop, moved to a
// QThread of its own; recv_data() is the loop and runs there (started by the
// thread's started()). runFlag may be cleared from any thread; the loop ends
// within one second. Its signals are forwarded through the receiver's
// signals of the same names.
//
// Ownership: the receiver owns the worker and its thread and destroys both
// after the thread has finished. The command socket is the shared link's
// commandFd(); when the device closes it the worker ends the link for every
// holder and, unless the data loop noticed first, reports it (sig_linkLost).

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

#include "scanner_link.h"
#include "zonealarm.h"
#include "zonerequest.h"

class RecvTCPProc : public QObject {
    Q_OBJECT
public:
    // Receive buffer of the command connection: room for one parameter-block reply.
    static constexpr int kCmdBufferSize = 1024;

    // `requests` is shared with the receiver, whose slots fill it; the worker
    // runs the operations asked for link `generation`. `ownerRun` (may be
    // null) is the receiver's run flag: once it is 0 the link is being torn
    // down and a failing wait is no longer reported.
    RecvTCPProc(LinkRef link, int cmdPort, const QString& ip, std::shared_ptr<ZoneRequests> requests,
                unsigned generation, const std::atomic<int>* ownerRun = nullptr, QObject* parent = nullptr);
    ~RecvTCPProc() override;

    // The loop runs while this is non-zero.
    std::atomic<int> runFlag{1};

signals:
    void sig_data(int type, QByteArray data);
    void sig_linkLost(quint64 linkId, QString reason);
    void sig_CmdRecv(int sign, int sn, bool isOK);
    void sig_CmdRecv(int sign, int sn);
    void sig_ZoneCMD(int fd_udp, QString dev_ip, int dev_port, int cmd, int sn, int len, QByteArray snd_buf,
                     bool isrepeat);
    void sig_progress(int rate, QString title, QString info);
    void sig_zoneImageCrc(int type, quint32 crc);
    void sig_zoneData(zones data);
    void sig_zoneImage(QByteArray image);
    void sig_ZoneDef(ZoneDef* def, QString type);
    void sig_end();

public slots:
    void recv_data();

private:
    bool linkTornDown() const;
    void reportLoss(const QString& reason);

    const LinkRef m_link;
    const int cmdSocket;
    const int cmdPort;
    const QString ip;
    ZoneAlarm* zoneWorker = nullptr;  // lives on this worker's thread
    int streamMode = 3;
    std::shared_ptr<ZoneRequests> m_zone;  // zoneList, uploadImage, pending operation
    const unsigned m_generation;
    const std::atomic<int>* m_ownerRun;
};
