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

class PtyLink : public Link {
    Q_OBJECT
public:
    PtyLink(CommandSink* sink, PacketFaults* faults, bool plainText, QObject* parent = nullptr);
    ~PtyLink() override;

    // Creates the pseudo-terminal; `linkPath` (optional) becomes a symlink to it.
    bool open(const QString& linkPath, QString* error);
    void sendStream(const QByteArray& packet) override;
    QString path() const { return m_path; }

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
};

}  // namespace sim
