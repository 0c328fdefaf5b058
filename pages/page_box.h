#pragma once
// Algorithm box page: the boxes heard on the network, the state of the
// selected box's scanners, its network settings, the scanner lists of its two
// ports, its version and its firmware upgrade.
//
// Used by the main window:
//   calls    startBoxWorker() on the first box status datagram,
//            showBoxStatus(record) for every one,
//            setConflictingAddresses(ips) with the addresses the device list
//            found claimed twice
//   signals  sig_wait(bool) -> MainPage::recv_wait
//            sig_upgrade(...) (declared, never emitted)
//
// GUI thread only. The worker (AlgorithmBoxProc) runs its own thread; the
// page calls its thread-safe command methods directly and gets the replies
// through the queued sig_BoxMSG. The reachability check of a new box address
// runs on a short-lived thread of its own.
//
// Every change the operator makes to a box (LSADD, LSDEL, LSNET, an upgrade)
// goes on the audit trail with the box's answer: "accepted" when its reply
// comes, "no answer" when none comes within kChangeReplyMs, the upgrade's
// result when it ends.

#include <QByteArray>
#include <QHash>
#include <QModelIndex>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "algorithmboxproc.h"
#include "audit_log.h"
#include "right_level.h"

class QLabel;
class QListWidgetItem;
class QStandardItemModel;
class QThread;

namespace Ui {
class Page_Box;
}

class Page_Box : public QWidget, public RightLevelReceiver {
    Q_OBJECT

public:
    static constexpr int kBoxMode = 0x75;
    static constexpr int kCheckIntervalMs = 2000;
    static constexpr int kStaleMs = 3000;
    // How long the occupied-address check waits for an echo reply.
    static constexpr int kPingTimeoutMs = 1000;
    // How long a change waits for the box's reply before it is put on the
    // audit trail as unanswered.
    static constexpr int kChangeReplyMs = 3000;

    explicit Page_Box(QWidget* parent = nullptr);
    ~Page_Box() override;

    // Creates and starts the worker unless one exists.
    void startBoxWorker();
    // One box status datagram: lists a new box, refreshes the selected box's grid.
    void showBoxStatus(const QByteArray& record);
    // Marks the boxes whose address another device announces too.
    void setConflictingAddresses(const QStringList& ips);

    AlgorithmBoxProc* worker() const { return m_worker; }
    QString selectedBox() const { return m_selected; }
    // The worker's local port and the boxes' command port (tests only;
    // both 6666 in the program). Take effect at the next startBoxWorker().
    void setWorkerPorts(int localPort, int boxPort);
    // The operator's right level, for the audit trail.
    void setRightLevel(int level) override { m_rightLevel = level; }

public slots:
    void recv_BoxMSG(QString ip, int type, QString info);
    void recv_autocheck();
    // Does `ip` answer an ICMP echo within `timeout` ms? Blocks the caller.
    bool pingtest(QString ip, int timeout);

    void on_pb_getbox_clicked();
    void on_pb_setbox_clicked();
    void on_pb_getlidars_clicked();
    void on_pb_input_clicked();
    void on_pb_output_clicked();
    void on_pb_input2_clicked();
    void on_pb_output2_clicked();
    void on_tableView_before_clicked(const QModelIndex& index);
    void on_tableView_after_clicked(const QModelIndex& index);
    void on_tableView_after2_clicked(const QModelIndex& index);
    void on_pb_edit_clicked();
    void on_pb_choose_clicked();
    void on_pb_upgrade_clicked();
    void on_pb_version_clicked();
    void on_listWidget_itemClicked(QListWidgetItem* item);

signals:
    void sig_upgrade(QString ip, int port, QString path, QString type);
    void sig_wait(bool flag);

protected:
    void changeEvent(QEvent* event) override;

private:
    void send(const QString& cmd);
    void showBox(const QString& title, const QString& text);
    void setHeaderLabels();
    void buildStatusGrid(const QByteArray& record);
    void clearStatusGrid();
    void fillPortLists(const QString& reply);
    // Moves the remembered row of the available table to port io (0 A, 1 B).
    void moveToPort(int io);
    // Moves the remembered row of port io back to the available table.
    void moveFromPort(int io);
    // Validates port io's table and sends its additions (add) or removals.
    bool setLidarINI(int io, bool add);
    void finishSetBox(const QString& ip, bool answered);
    // Audit trail: a record for a change of the current box, a reply that
    // confirms a pending change, changes left unanswered too long.
    AuditRecord auditRecord(const QString& command) const;
    void auditReply(int kind, const QString& body);
    void auditUnanswered(qint64 olderThanMs);
    void auditUpgrade(bool ok);

    QStandardItemModel* portModel(int io) const;
    QStringList& portList(int io) { return io ? m_listB : m_listA; }
    int& portRow(int io) { return io ? m_rowB : m_rowA; }

    Ui::Page_Box* ui;
    QPointer<AlgorithmBoxProc> m_worker;
    int m_workerPort;
    int m_boxPort;

    QStringList m_boxes;                   // box addresses in arrival order
    QHash<QString, QByteArray> m_records;  // last status record per box
    QHash<QString, qint64> m_lastStatus;   // ms since the epoch, per box
    QString m_selected;
    QStringList m_conflicts;

    QStandardItemModel* m_modelBefore = nullptr;
    QStandardItemModel* m_modelA = nullptr;
    QStandardItemModel* m_modelB = nullptr;
    QStringList m_listA;  // port A as the box last reported it ("ip:port")
    QStringList m_listB;
    int m_rowBefore = -1;
    int m_rowA = -1;
    int m_rowB = -1;

    QVector<QLabel*> m_indicators;
    QTimer m_checkTimer;
    QThread* m_pingThread = nullptr;

    struct PendingChange {
        int replyKind;
        qint64 sentAt;  // ms since the epoch
        AuditRecord record;
    };
    std::vector<PendingChange> m_pendingChanges;  // sent, waiting for the box's reply
    QTimer m_changeTimer;
    std::optional<AuditRecord> m_pendingUpgrade;
    int m_rightLevel = 0;
};
