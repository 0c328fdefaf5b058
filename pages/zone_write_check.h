#pragma once
// Checks a zone write by reading it back. The pieces of the image the
// receiver sends are collected on their way to the command sender; once the
// write has succeeded the window reads the scanner's image back, and the two
// are compared byte for byte over the shape records and the direction tables
// of all sixteen zones. GUI thread only.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

#include "zone_compare.h"

class ZoneWriteCheck : public QObject {
    Q_OBJECT

public:
    enum class State { Idle, Writing, ReadingBack };

    explicit ZoneWriteCheck(QObject* parent = nullptr);
    ~ZoneWriteCheck() override;

    // Every request the receiver hands to the command sender (its
    // sig_ZoneCMD): zone write requests are collected, an erase starts a check.
    void recv_ZoneCMD(int fd, QString ip, int port, int mode, int sn, int len, QByteArray cmd, bool isrepeat);
    // The write ended. True when a read-back is now awaited (the caller reads
    // the zones back); false when there is nothing to check.
    bool writeFinished(bool ok);
    // The image read back from the scanner (212992 bytes).
    void imageRead(const QByteArray& image);
    // The read-back failed: reported, nothing compared.
    void readFailed();
    // The link closed or changed: whatever was pending is dropped.
    void cancel();

    State state() const { return m_state; }

signals:
    // verified: the scanner holds what was written. text: what to tell the operator.
    void sig_result(bool verified, QString text);

private:
    State m_state = State::Idle;
    std::unique_ptr<ZoneWriteCapture> m_sent;
};
