#pragma once
// FirmwareUpdateProc: the worker that upgrades a scanner's firmware, over a
// plain-text serial port (handshake, then XMODEM-CRC; firmware_serial.h) or
// over UDP (the checked image in 512-byte pieces; firmware_udp.h).
//
// Thread affinity: a QObject moved to a thread of its own by its owner. An
// upgrade runs to completion inside recv_upgrade and blocks that thread for
// as long as it takes; nothing else should share the thread. The worker opens
// and closes its own port or socket on every path; it never touches the
// link the main window holds.

#include <QObject>
#include <QString>
#include <cstddef>

#include "firmware_serial.h"
#include "firmware_udp.h"

class FirmwareUpdateProc : public QObject {
    Q_OBJECT
public:
    explicit FirmwareUpdateProc(QObject* parent = nullptr);

    // The operator's reason text for an outcome (translated); empty on success.
    static QString udpReason(const FirmwareUdpResult& result);
    static QString serialReason(const FirmwareSerialResult& result, const QString& portName);

public slots:
    // type "UART": serial upgrade of port `name` at baud rate `port`;
    // type "UDP": network upgrade of the scanner at IP `name`, UDP port `port`
    // (the local socket is bound to the same port number, or the next free one).
    // Any other type does nothing. Always ends with sig_finish.
    void recv_upgrade(QString name, int port, QString path, QString type);

signals:
    // Success flag and, on failure, the reason (empty for an unknown type).
    void sig_finish(bool value, QString result);
    // Percentage of the image the scanner has confirmed, for the progress
    // window (MainPage::recv_progress); 100 closes it.
    void sig_progress(int rate, QString title, QString info);

private:
    bool firmwareUpgrade_uart(const QString& name, int baud, const QString& path, QString& reason);
    bool firmwareUpgrade_udp(const QString& ip, int port, const QString& path, QString& reason);
    void reportProgress(size_t done, size_t total);

    int m_lastRate = -1;
};
