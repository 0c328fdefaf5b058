#pragma once
// SendCmdProc: the worker that puts every command on the connected link.
//
// On UDP, TCP and framed serial (VPC) links it wraps command texts into 'L','H'
// command frames (command_frame.h) and tracks the outstanding command until
// the scanner acknowledges it (recv_CmdRecv), re-sending the same frame every
// 1.5 s and giving up after the fourth transmission. A zone transfer's current
// request is tracked beside it, so a command sent during a transfer neither
// displaces the request nor loses its own watch. On plain-text serial links
// (UART) it runs the query/answer exchange of uart_query.h instead; the
// scanner's answers go to the raw recording like every other byte from it. On
// every new link it reads the scanner's parameter block.
//
// Thread affinity: a QObject moved to a thread of its own by its owner; every
// slot, the re-send timer and every blocking pause run on that thread, so it
// holds no locks. Other objects reach it only through queued signals. Delete it
// on its own thread (for example from QThread::finished via deleteLater) so
// that its timer is stopped where it runs.
//
// The link: the main window hands over the shared ScannerLink it opened
// (adoptLink) before naming its descriptor in recv_Init; a descriptor handed
// over alone is borrowed. The sender never closes a descriptor. Once the link
// has ended (the receiver lost it, or the window disconnected) nothing more is
// written to it and nothing is re-sent, and requests naming a descriptor of
// another link are dropped.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "commands.h"
#include "eeprom.h"
#include "scanner_link.h"
#include "uart_query.h"

class QTimer;

// One command awaiting its acknowledgement. Plain data of fixed size, copied
// by value. `data` holds the complete frame as it went out, so a re-send is
// byte-identical (same sequence number).
struct TrackedCommand {
    static constexpr int kCapacity = 1024;

    uint8_t data[kCapacity];
    int length;       // bytes of data in use
    uint16_t sn;      // sequence number of the frame
    uint32_t sentAt;  // ms since the epoch, low 32 bits, of the last transmission
    uint16_t sign;    // 0x484C, compared with the acknowledgement's sign
    int sendCount;    // transmissions so far, starting at 1
    int mode;         // frame mode
};

class SendCmdProc : public QObject {
    Q_OBJECT
public:
    // Timing of the acknowledgement watch.
    static constexpr int kReissuePeriodMs = 200;
    static constexpr uint32_t kReissueAfterMs = 1500;
    static constexpr int kMaxTransmissions = 4;
    static constexpr int kRestartFollowUpMs = 2000;  // "LRESTH" -> "LSTARH"

    // How the exchange of one command ended (sig_cmdOutcome).
    enum CmdOutcome { CmdRefused = 0, CmdAccepted = 1, CmdNoAnswer = 2, CmdSent = 3 };

    explicit SendCmdProc(QObject* parent = nullptr);
    ~SendCmdProc() override;

    // ---- seams for tests; set them before the first slot runs.

    // Milliseconds since the epoch, low 32 bits (default: the system clock).
    void setClock(std::function<uint32_t()> clock);
    // Blocking pause of the sender's thread in ms (default: a real sleep).
    void setSleep(std::function<void(int ms)> sleep);
    // Replaces the socket writes of UDP and TCP links: gets every frame that
    // would go to the scanner; returns the bytes taken or -1.
    void setNetworkWriter(std::function<int(const uint8_t* data, size_t len)> writer);
    // Builds the SerialIo of a serial handle at each recv_Init of a VPC or
    // UART link (default: SerialPortIo).
    void setSerialIoFactory(std::function<std::unique_ptr<SerialIo>(int handle)> factory);

    // The link whose descriptors the next recv_Init names. Call on the
    // sender's thread (queue it before the recv_Init).
    void adoptLink(LinkRef link);
    // True while the sender is bound to a link that has not ended.
    bool hasOpenLink() const { return m_link && m_link->isOpen(); }

public slots:
    // Binds the sender to a link ("UDP", "TCP", "VPC", "UART"), forgets what
    // was tracked on the previous one, zeroes the parameter block, starts the
    // re-send timer on first use, then reads the block (framed links: ask with
    // "xxxxxx"; UART: a series of queries ending in sig_data(5, block)).
    // dev_port is the command port or the baud rate.
    void recv_Init(QString type, int fd_udp, QString dev_ip, int dev_port);
    // Forgets the tracked commands and lets go of the link (it closed).
    void recv_UnInit();
    void recv_C_PACK(QString cmd);
    void recv_S_PACK(QString cmd);
    void recv_GS_PACK(QString cmd);
    // Re-send timer tick.
    void cmdReissued();
    // Acknowledgement of a frame: `mode` carries the reply's sign (0x484C).
    void recv_CmdRecv(int mode, int sn, bool isOK);
    void recv_CmdRecv(int mode, int sn);
    // Sends each set command in turn, then reads the block afresh and emits
    // sig_import_finish. Blocks the sender's thread for seconds.
    void recv_import_Cmds(QStringList cmds);
    // Sends cmd framed with `mode`, untracked; UART: the bare text, nothing read.
    void recv_cmd(int mode, QString cmd);
    // Sends the first `len` bytes of `cmd` as a request of `mode` with its own
    // `sn`; tracked unless isrepeat.
    void recv_ZoneCMD(int fd_udp, QString dev_ip, int dev_port, int mode, int sn, int len, QByteArray cmd,
                      bool isrepeat);

signals:
    // false: the tracked command was given up and nothing is tracked any more.
    void sig_wait(bool flag);
    // A tracked command was refused ("NG") or never answered: its mode, its
    // text, and how many seconds the message is shown.
    void sig_respondFinish(int type, QString cmd, int time);
    void sig_import_finish();
    // To the main window: 2 pause ("2") / resume ("1") the receiver around a
    // serial exchange; 5 the 152-byte parameter block; 13 serial command
    // without answer; 14 link command accepted.
    void sig_data(int type, QByteArray data);
    // The end of one command's exchange, for the audit trail: tracked commands
    // when acknowledged or given up, UART set commands when answered or not,
    // and commands sent without waiting for an answer (CmdSent: recv_cmd, and
    // those that get none by their nature). `mode` is the frame mode, 0 for
    // the plain-text exchange of a UART link.
    void sig_cmdOutcome(int mode, QString cmd, int outcome);

private:
    struct NetTarget {
        int fd;
        std::string ip;
        int port;
    };

    uint16_t nextSn();
    uint32_t now() const;
    void pause(int ms);
    bool isNetwork() const { return m_kind == LinkKind::Udp || m_kind == LinkKind::Tcp; }
    bool isFramed() const { return isNetwork() || m_kind == LinkKind::Vpc; }

    // Writes bytes on the link: socket to the given target, or the serial handle.
    void transmit(const uint8_t* data, size_t len, const NetTarget& target);
    // Frames `body`, transmits it and applies the tracking rules.
    void sendFrame(uint16_t mode, uint16_t sn, const std::string& body, bool track, const NetTarget& target);
    void track(uint16_t mode, uint16_t sn, const std::vector<uint8_t>& frame);
    // The plain-text exchange of one command on a UART link.
    void uartExchange(const std::string& cmd);
    void uartWriteBare(const std::string& text);
    // Switches the serial port to the rate of an accepted "LSBPS:%1H".
    void followBaudChange(const std::string& cmd);
    void initialRead();
    NetTarget storedTarget() const;
    static QString commandText(const TrackedCommand& entry);

    // Link, as given by recv_Init.
    int fd_udp = 0;
    QString dev_ip;
    int dev_port = 0;
    QString type;
    LinkKind m_kind = LinkKind::Unknown;
    LinkRef m_link;     // the link written to; null before the first recv_Init
    LinkRef m_adopted;  // handed over by adoptLink, taken by the next recv_Init

    QTimer* m_reissueTimer = nullptr;
    std::deque<TrackedCommand> m_tracked;
    EEpromV101 block{};
    std::unique_ptr<SerialIo> m_serial;
    std::mt19937 m_rng;

    std::function<uint32_t()> m_clock;
    std::function<void(int)> m_sleep;
    std::function<int(const uint8_t*, size_t)> m_netWriter;
    std::function<std::unique_ptr<SerialIo>(int)> m_serialFactory;
};
