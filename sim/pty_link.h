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
    void sendStream(const QByteArray& packet) override;
    QString path() const { return m_path; }
    void setRawTap(RawTap* tap) { m_rawTap = tap; }
    // Bytes towards the client as they are, without the packet faults.
    void writeRaw(const QByteArray& bytes) { writeAll(bytes); }

private:
    void readMaster();
    int pendingTowardsClient() const;
    void writeAll(const QByteArray& bytes);

    bool m_plainText;
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QString m_linkPath;
    std::unique_ptr<QSocketNotifier> m_notifier;
    FrameSplitter m_splitter;
    RawTap* m_rawTap = nullptr;
};

}  // namespace sim
