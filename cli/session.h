#pragma once
// One live connection to a scanner for the command-line tool, opened and run
// the way the main window does it: the link is opened with the transport
// operations (UDP with local port fall-back, TCP pair P / P + 1, serial port),
// RecvDataProc is initialised and started, SendCmdProc runs on a thread of its
// own and reads the parameter block, and the two workers are wired to each
// other (zone requests and acknowledgements) and to this object, which plays
// the main window's part for the message types that steer the workers.
//
// Lives on the main thread with a QCoreApplication. Every wait is bounded and
// also ends on SIGINT (see interrupted()). When the link vanishes (the serial
// port is unplugged, the device closes the connection) the receiver reports
// it once; lost() turns true and one line goes to stderr, so every live
// command can stop within a second or two.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QThread>
#include <functional>
#include <memory>
#include <string>

#include "eeprom.h"
#include "link.h"
#include "scanner_link.h"

class RecvDataProc;
class SendCmdProc;

namespace cli {

// Makes the QCoreApplication the workers need (once) and routes SIGINT and
// SIGTERM to interrupted().
void prepareLiveCommand();
// True once SIGINT or SIGTERM arrived.
bool interrupted();
// Processes events until pred() holds (true), `ms` pass or an interrupt comes (false).
bool waitUntil(const std::function<bool()>& pred, int ms);

class Session : public QObject {
    Q_OBJECT
public:
    // Time the sender needs to give up on an unanswered command (4 transmissions
    // about 1.6 s apart, then 1.6 s for the last one's answer), plus slack for
    // the queued signals.
    static constexpr int kGiveUpMs = 8000;

    Session();
    ~Session() override;

    // Opens the link and starts both workers; the sender begins its initial
    // read at once. False with one line in `error` when the link cannot be opened.
    bool open(const LinkAddress& link, std::string& error);

    enum class Wait { Ok, NoAnswer, Interrupted, TimedOut, Lost };
    // Waits for the parameter block of the initial read (and, on framed links,
    // for its acknowledgement to have passed by, so later replies are not
    // confused with it). NoAnswer when the sender gave up.
    Wait waitForBlock();

    // Forgets the block held and asks for it again (framed links: a GS_PACK;
    // UART: the whole initial read); waitForBlock() then waits for the new one.
    void requestBlock();

    const EEpromV101& block() const { return m_block; }
    const LinkAddress& link() const { return m_link; }
    int localPort() const { return m_localPort; }
    // Model name of the block's type identifier, as the model table knows it.
    std::string model() const;
    // The zone mirroring flag the receiver was given (0 or 1), from the model
    // table or the block.
    int direction() const { return m_direction; }

    RecvDataProc* receiver() const { return m_receiver.get(); }
    // The link vanished; lostReason() says how (the receiver's text).
    bool lost() const { return m_lost; }
    const std::string& lostReason() const { return m_lostReason; }
    SendCmdProc* sender() const { return m_sender; }

    // Stops the workers and closes the link, in that order. Idempotent.
    void close();

signals:
    void SendInit(QString m_type, int m_fd, QString ip_com, int port_baud);
    void sig_C_PACK(QString cmd);
    void sig_S_PACK(QString cmd);
    void sig_GS_PACK(QString cmd);
    // A tracked command was refused or never answered (forwarded from the sender).
    void sig_respondFinish(int type, QString cmd, int time);
    // Messages of the workers after this object's own handling.
    void sig_message(int type, QByteArray data);

private:
    void recv_data(int type, QByteArray data);
    void applyBlock(const QByteArray& data);

    LinkAddress m_link;
    LinkRef m_handles;  // shared with the receiver and the sender
    int m_localPort = 0;
    int m_dataHandle = 0;  // UDP socket, serial handle, or TCP data socket
    int m_tcpCmdSocket = 0;
    std::unique_ptr<RecvDataProc> m_receiver;
    SendCmdProc* m_sender = nullptr;  // deleted on its own thread when it finishes
    QThread* m_senderThread = nullptr;

    EEpromV101 m_block{};
    bool m_haveBlock = false;
    bool m_blockAcked = false;
    bool m_gaveUp = false;
    bool m_lost = false;
    std::string m_lostReason;
    bool m_closed = true;
    int m_direction = 0;
};

// Parses `linkArg`, opens the session and, when `needBlock`, waits for the
// parameter block. Returns ExitOk, or the exit status after printing one line
// "vantrel-cli <command>: ..." (usage 2, open failure 1, no answer 4, link
// lost 5, interrupt 130).
int connectSession(Session& session, const std::string& command, const std::string& linkArg, bool needBlock);

// The exit status of a live command whose link vanished, after one line
// "vantrel-cli <command>: the link was lost (...)".
int linkLost(const Session& session, const std::string& command);

}  // namespace cli
