#pragma once
// Talks to the algorithm box: one UDP socket on local port 6666 (the port
// the box answers to; no fall-back to another port), a receive loop that
// classifies the box's replies, the box command frames, and the box firmware
// upgrade over the same socket.
//
// Thread affinity: the object belongs to the thread that created it (the GUI
// thread); run() is the receive loop on the worker thread and owns the
// socket. sendBoxCommand(), setBoxAddress(), requestUpgrade() and stop() may
// be called from any thread. Replies leave as queued sig_BoxMSG signals.

#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "audit_log.h"
#include "box_protocol.h"

// The audit record of a change made to the box at box:port (link "BOX",
// operation "box change"); the caller adds program, level and outcome.
AuditRecord box_audit_record(const QString& box, int port, const QString& command);

class AlgorithmBoxProc : public QThread {
    Q_OBJECT
public:
    // The box upgrade: sends the image at `path` to ip:port on the open socket
    // `sock` and answers true when the box took it. Runs on the worker thread.
    using Upgrade = std::function<bool(int sock, const std::string& ip, int port, const std::string& path)>;

    // localPort: the port to bind (6666 in the program; 0 lets the system
    // choose, for tests). Any other bound port counts as a failure.
    explicit AlgorithmBoxProc(int localPort = kBoxCommandPort, QObject* parent = nullptr);
    // Ends the loop and waits for it.
    ~AlgorithmBoxProc() override;

    // Sends `cmd` as a box command frame (a fresh random sequence number) to
    // the current box address, port 6666, when the socket is open and `mode`
    // is 0x75; anything else is ignored. Returns the sequence number sent, or -1.
    int sendBoxCommand(int mode, const QString& cmd);
    void setBoxAddress(const QString& ip);
    QString boxAddress() const;
    // Asks the loop to upgrade the current box with the image at `path` (the
    // address used is the current box address, not `ip`).
    void requestUpgrade(const QString& ip, const QString& path);
    // Ends the loop within a second.
    void stop() { m_running = false; }

    // The port bound, once the loop runs (0 before, -1 after a failure).
    int boundPort() const { return m_boundPort; }
    // The port of the box commands (6666; tests point it elsewhere).
    void setBoxPort(int port) { m_boxPort = port; }
    // Replace the firmware transfer (tests).
    void setUpgrade(Upgrade upgrade);

signals:
    // A reply kind (1-6, 8) with its body text; 7 with the upgrade result;
    // -1 with "open BOXPORT failed!".
    void sig_BoxMSG(QString ip, int type, QString info);
    // The end of an upgrade, just before its type 7 sig_BoxMSG.
    void sig_upgradeFinished(QString ip, bool ok);

protected:
    void run() override;

private:
    void handleDatagram(const uint8_t* data, size_t len, const std::string& from);
    void runUpgrade(int sock);

    const int m_localPort;
    std::atomic<int> m_boxPort{kBoxCommandPort};
    std::atomic<bool> m_running{true};
    std::atomic<int> m_socket{-1};
    std::atomic<int> m_boundPort{0};
    std::atomic<bool> m_upgradeRequested{false};

    mutable std::mutex m_mutex;  // guards the fields below and sends on the socket
    QString m_boxAddress;
    QString m_firmwarePath;
    Upgrade m_upgrade;
};
