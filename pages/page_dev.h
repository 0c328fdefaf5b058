#pragma once
// Device list page: one table row per scanner address, found on the network
// by its heartbeat or on a serial port by the probe. The page never opens a
// link itself; it emits the link parameters and the main window connects.
//
// Used by the main window:
//   signals  sig_start(type, ip_com, port_baud, remote_port)   -> MainPage::recv_start
//            sig_restart(type, ip_com, port_baud, remote_port) -> MainPage::recv_restart
//            sig_data(int type, QByteArray info)  (type 8, empty: disconnect) -> MainPage::recv_data
//            sig_wait(bool), sig_getDevInfo(QStringList)  (declared, never emitted)
//   slots    recv_lidarHeart(DevConnInfo)  <- HeartBeatProc::sig_GetLidarHeart
//   calls    collectDevices(bool isUDP), connectByAddress(...), updateConnectedAddress(...),
//            setSerialHandle(int) after opening a serial port for this page's connection,
//            isBoxConnected() (the Box flag of the connected row),
//            recordBoxAddress(ip) for every algorithm box status datagram.
//   signals  sig_addressConflicts(ips) whenever the set of addresses claimed
//            by more than one device changes.
//
// GUI thread only. The serial probe and the MAC look-ups run on threads of
// their own and report back by queued signals; the destructor waits for them.

#include <QHash>
#include <QModelIndex>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "address_claims.h"
#include "devconninfo.h"
#include "serial_probe.h"

class QLabel;
class QStandardItemModel;
struct HeartbeatInfo;
class QThread;

namespace Ui {
class Page_Dev;
}

class Page_Dev : public QWidget {
    Q_OBJECT

public:
    // Column numbers of the device table.
    enum Column {
        ColNum = 0,
        ColSn = 1,
        ColLink = 2,
        ColAddress = 3,
        ColUpload = 4,
        ColModel = 5,
        ColHeartbeat = 6,
        ColSpeed = 7,
        ColCpu = 8,
        ColMac = 9,
        ColVolt = 10,
        ColAlarm = 11,
        ColState = 12,
        ColBox = 13,
        ColumnCount = 14,
    };

    // Serial port access for one probe pass; called on the probe thread.
    using ProbeIoFactory = std::function<std::unique_ptr<SerialProbeIo>()>;
    // MAC look-up of an IPv4 address, as mac_of(); called on the look-up thread.
    using MacLookup = std::function<bool(const std::string& ip, std::string& text)>;

    explicit Page_Dev(QWidget* parent = nullptr);
    ~Page_Dev() override;

    // Replace the system serial ports / the ARP look-up (tests, simulators).
    void setProbeIoFactory(ProbeIoFactory factory);
    void setMacLookup(MacLookup lookup);

    // isUDP: the Address texts of the "UDP" rows. Otherwise a fresh serial
    // probe, "port:baud" per device; blocks the caller (events keep running).
    QStringList collectDevices(bool isUDP);
    // Connection started from the home page's history. False when the
    // operator declines or no row has that address.
    bool connectByAddress(const QString& type, const QString& ip_com, int port_baud, int remote_port,
                          bool& isBox);
    // The connected scanner's address or baud rate changed.
    void updateConnectedAddress(const QString& address, int port);

    // Serial handle the main window opened for this page's connection (0: none).
    void setSerialHandle(int handle) { m_serialHandle = handle; }
    int serialHandle() const { return m_serialHandle; }

    bool isConnected() const { return m_connected; }
    // The main window's link ended without this page asking (lost, failed to
    // open, cancelled): no row is connected any more.
    void linkClosed();
    bool isBoxConnected() const { return m_isBox; }
    QString connectedAddress() const { return m_connectedAddress; }
    int selectedRow() const { return m_selectedRow; }
    bool isProbing() const { return m_probeThread != nullptr; }

    // An algorithm box announces `ip`: a scanner row with that address is a conflict.
    void recordBoxAddress(const QString& ip);
    // Addresses announced by more than one device, sorted.
    QStringList addressConflicts() const;

public slots:
    void recv_lidarHeart(DevConnInfo conn);
    void on_pb_refresh_clicked();
    void on_pb_connect_clicked();
    void on_tableView_doubleClicked(const QModelIndex& index);
    void on_tableView_clicked(const QModelIndex& index);
    void onHeaderClicked(int index);
    void on_pb_connect_stop_clicked();
    // Starts a serial probe pass in the background; sig_RunOver ends it.
    void GetComDev();

signals:
    void sig_start(QString type, QString ip_com, int port_baud, int remote_port);
    void sig_restart(QString type, QString ip_com, int port_baud, int remote_port);
    void sig_data(int type, QByteArray info);
    void sig_wait(bool state);
    void sig_getDevInfo(QStringList info);
    void sig_RunOver();
    void sig_lidarHeart(DevConnInfo conn);
    void sig_addressConflicts(QStringList ips);

protected:
    void changeEvent(QEvent* event) override;

private:
    void setHeaderLabels();
    void setCell(int row, int column, const QString& text);
    void appendRow(const QStringList& texts);
    QString cell(int row, int column) const;
    void clearStateColumn();
    void markConnected(int row);
    void selectRow(int row);
    void recordHistory(int row);
    void onMacResult(const QString& address, const QString& text);
    // `done` (optional) runs on `doneContext`'s thread once the pass is over.
    void startProbe(bool report, std::shared_ptr<std::vector<SerialProbeHit>> hits,
                    QObject* doneContext = nullptr, std::function<void()> done = {});
    void onProbeFinished();
    // Alarm column text of a status heartbeat (empty for the other kinds).
    QString alarmText(const HeartbeatInfo& info) const;
    int rowOfAddress(const QString& address) const;
    // Row lookup by key in constant time; rebuilt whenever rows move.
    void rebuildKeyIndex();
    // The IPv4 part of a network row's Address (empty for serial rows).
    QString rowIp(int row) const;
    void markConflictRows(const QString& ip, bool conflict);
    void markRow(int row, bool conflict);
    void showConflicts();
    bool askOkCancel(const QString& text);
    void warn(const QString& text);

    Ui::Page_Dev* ui;
    QStandardItemModel* m_model = nullptr;
    QStringList m_keys;  // Address text per row, in row order (while unsorted)
    QHash<QString, int> m_rowOfKey;
    AddressClaims m_claims;
    QLabel* m_conflictLabel = nullptr;
    static constexpr int kResizeIntervalMs = 500;
    QTimer m_resizeTimer;  // fits the columns to what changed, at most twice a second

    int m_selectedRow = -1;
    QString m_type;
    QString m_ipCom;
    int m_portBaud = 0;
    int m_remotePort = 0;

    bool m_connected = false;
    QString m_connectedAddress;
    bool m_isBox = false;
    bool m_sorted = false;
    int m_serialHandle = 0;

    ProbeIoFactory m_probeIoFactory;
    MacLookup m_macLookup;
    QThread* m_probeThread = nullptr;
    bool m_probeAgain = false;
    QThread* m_macThread = nullptr;
    QObject* m_macWorker = nullptr;  // lives on m_macThread
};
