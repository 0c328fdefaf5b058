#pragma once
// The scanner on a serial line, played by a pseudo-terminal: the client
// opens the slave side (path() or the published symlink) like any serial
// port. "uart" speaks plain text commands (and zone frames); "vpc" speaks
// command frames only.

#include <QSocketNotifier>
#include <QString>
#include <memory>

#include "link.h"

namespace sim {

// Takes the line's bytes instead of the command splitter while it holds the
// line (an XMODEM transfer).
class RawTap {
public:
    virtual ~RawTap() = default;
    virtual bool rawActive() const = 0;
    virtual void feedRaw(const QByteArray& bytes) = 0;
};

class PtyLink : public Link {
    Q_OBJECT
public:
    PtyLink(CommandSink* sink, PacketFaults* faults, bool plainText, QObject* parent = nullptr);
    ~PtyLink() override;

    // Creates the pseudo-terminal; `linkPath` (optional) becomes a symlink to it.
    bool open(const QString& linkPath, QString* error);
    // The rate the scanner's line runs at; 0 (the default) takes whatever
    // rate the client set. Once a rate is fixed, bytes the client sends at
    // another rate are line noise to the scanner (dropped), and the stream
    // reaches a client at another rate as nothing.
    void setLineBaud(int baud) { m_lineBaud = baud; }
    int lineBaud() const { return m_lineBaud; }
    // "LSBPS" accepted: the reply still goes out at the old rate, then the
    // line switches.
    void switchBaudAfterReply(int baud) { m_pendingBaud = baud; }
    void sendStream(const QByteArray& packet) override;
    QString path() const { return m_path; }
    void setRawTap(RawTap* tap) { m_rawTap = tap; }
    // Bytes towards the client as they are, without the packet faults.
    void writeRaw(const QByteArray& bytes) { writeAll(bytes); }

private:
    void readMaster();
    int pendingTowardsClient() const;
    // False when the client's side of the line runs at another rate.
    bool ratesMatch() const;
    void writeAll(const QByteArray& bytes);

    bool m_plainText;
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QString m_linkPath;
    std::unique_ptr<QSocketNotifier> m_notifier;
    FrameSplitter m_splitter;
    int m_lineBaud = 0;
    int m_pendingBaud = 0;
    RawTap* m_rawTap = nullptr;
};

}  // namespace sim
