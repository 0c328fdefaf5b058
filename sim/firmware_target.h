#pragma once
// The simulated scanner as a firmware upgrade target: the UDP upgrade frames
// (mode 0x0046) on its command port, and on a "uart" pseudo-terminal the
// "LFWUPH"/"LFWUI:" handshake followed by an XMODEM-CRC receiver. Everything
// received is checked (piece CRCs, order, completeness, announced length); a
// complete image is written to the --firmware-out file. While an upgrade runs
// the scanner stops streaming. Faults (--upgrade-fault) exercise the client's
// failure paths. Lives on the simulator thread.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "pty_link.h"

namespace sim {

struct UpgradeFault {
    enum Kind {
        None,
        SilentAfter,  // answer the first N packets (UDP) or blocks (serial), then nothing
        DropReply,    // the answer to the Nth packet / block is lost once
        Nak,          // serial: every block is refused N times before it is taken
        NoAck,        // serial: "LFWUQH" but never "FWUI OK"; UDP: no answer at all
        BadStatus,    // UDP: the start packet is answered with status 1; serial: "FWUI ER"
    };
    Kind kind = None;
    int n = 0;
};

// "silent-after:N", "drop-reply:N", "nak:N", "no-ack", "bad-status" (or empty).
bool parseUpgradeFault(const QString& text, UpgradeFault* out);

// Status words of the UDP answers.
enum : uint32_t {
    kUpgradeAccepted = 0,
    kUpgradeBadRequest = 1,   // start with an unusable length, or --upgrade-fault bad-status
    kUpgradeBadPiece = 2,     // CRC mismatch, offset outside the image, no upgrade started
    kUpgradeIncomplete = 3,   // finish before every piece arrived
    kUpgradeWriteFailed = 4,  // the --firmware-out file could not be written
};

class FirmwareTarget : public QObject, public RawTap {
    Q_OBJECT
public:
    FirmwareTarget(const QString& outPath, UpgradeFault fault, bool log, QObject* parent = nullptr);

    // One UDP upgrade frame (body as received, padded length). The answer
    // frames to send back (none, or one).
    std::vector<QByteArray> handleFrame(uint16_t sn, const QByteArray& body);
    // A plain-text command of a "uart" link. True when it belongs to the
    // upgrade; `reply` then holds the answer (may be empty).
    bool handleText(const QByteArray& command, QByteArray* reply);

    // While true the serial line's bytes belong to the XMODEM receiver.
    bool rawActive() const override { return m_serial == SerialState::Receiving; }
    void feedRaw(const QByteArray& bytes) override;
    // Where raw bytes towards the client go (the pseudo-terminal).
    void setRawWriter(std::function<void(const QByteArray&)> writer) { m_rawWriter = std::move(writer); }

    // An upgrade is under way: the scanner does not stream.
    bool busy() const { return m_udpActive || m_serial != SerialState::Idle; }
    // Images written to the output file (or accepted, without one).
    int imagesAccepted() const { return m_imagesAccepted.load(); }

private:
    enum class SerialState { Idle, Requested, Receiving };

    bool finishImage(const QByteArray& image, const char* how);
    void touch();
    void abandon();
    void writeRaw(const QByteArray& bytes);
    void sendStartRequest();
    // Fault rules shared by both links: whether the answer to this packet/block goes out.
    bool answerAllowed();
    void log(const QString& text) const;

    QString m_outPath;
    UpgradeFault m_fault;
    bool m_log;
    std::function<void(const QByteArray&)> m_rawWriter;
    QTimer m_idle;
    QTimer m_startRequest;
    int m_startRequests = 0;
    int m_received = 0;  // packets or blocks of the current upgrade
    int m_answered = 0;
    bool m_dropped = false;
    std::atomic<int> m_imagesAccepted{0};

    // UDP upgrade.
    bool m_udpActive = false;
    uint16_t m_sn = 0;
    uint32_t m_length = 0;
    QByteArray m_payload;
    std::vector<bool> m_pieces;

    // Serial upgrade.
    SerialState m_serial = SerialState::Idle;
    uint32_t m_announced = 0;
    QByteArray m_rx;
    QByteArray m_data;
    uint8_t m_expectedBlock = 1;
    int m_refusedThisBlock = 0;
};

}  // namespace sim
