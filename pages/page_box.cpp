#include "page_box.h"

#include <QDateTime>
#include <QDebug>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidgetItem>
#include <QMessageBox>
#include <QSet>
#include <QStandardItemModel>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <memory>

#include "algorithmboxproc.h"
#include "audit_writer.h"
#include "box_protocol.h"
#include "network_arg.h"
#include "thread_handover.h"
#include "transport.h"
#include "ui_page_box.h"

namespace {

const char* const kHeaderStyle =
    "QHeaderView::section {background-color: rgb(209, 208, 224);color: rgb(27, 20, 100);}";
const char* const kGrey = "rgb(190,190,190)";

// Background of a scanner's indicator; empty for states without a colour.
QString stateColour(uint8_t state) {
    static const char* const kColours[] = {kGrey, "rgb(255,255,0)", "rgb(0,255,0)", "rgb(255,0,0)"};
    return state < 4 ? QLatin1String(kColours[state]) : QString();
}

QString indicatorStyle(const QString& colour) {
    QString style = QStringLiteral("border-radius:5px;border:1px solid black;");
    if (!colour.isEmpty()) style += QStringLiteral("background-color:%1;").arg(colour);
    return style;
}

QStandardItemModel* makeTableModel(QObject* parent) {
    return new QStandardItemModel(0, 1, parent);
}

}  // namespace

Page_Box::Page_Box(QWidget* parent)
    : QWidget(parent), ui(new Ui::Page_Box), m_workerPort(kBoxCommandPort), m_boxPort(kBoxCommandPort) {
    ui->setupUi(this);
    setProperty("Class", QStringLiteral("Page_Box"));

    m_modelBefore = makeTableModel(this);
    m_modelA = makeTableModel(this);
    m_modelB = makeTableModel(this);
    const struct {
        QTableView* view;
        QStandardItemModel* model;
        bool editable;
    } tables[] = {{ui->tableView_before, m_modelBefore, true},
                  {ui->tableView_after, m_modelA, false},
                  {ui->tableView_after2, m_modelB, false}};
    for (const auto& t : tables) {
        t.view->setModel(t.model);
        t.view->setSelectionBehavior(QAbstractItemView::SelectRows);
        t.view->setSelectionMode(QAbstractItemView::SingleSelection);
        // Only rows waiting in the available table are typed in; the port
        // tables mirror what the box reports.
        if (!t.editable) t.view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        t.view->verticalHeader()->hide();
        t.view->horizontalHeader()->setStretchLastSection(true);
        t.view->horizontalHeader()->setStyleSheet(QString::fromLatin1(kHeaderStyle));
    }
    setHeaderLabels();

    ui->gridLayout_status->setColumnStretch(3, 1);
    m_checkTimer.setInterval(kCheckIntervalMs);
    connect(&m_checkTimer, &QTimer::timeout, this, &Page_Box::recv_autocheck);
    m_changeTimer.setInterval(1000);
    connect(&m_changeTimer, &QTimer::timeout, this, [this] { auditUnanswered(kChangeReplyMs); });
}

Page_Box::~Page_Box() {
    if (m_pingThread) handover::joinThread(m_pingThread);
    // Sent but not yet answered: the box may have taken them all the same.
    for (PendingChange& change : m_pendingChanges) {
        change.record.outcome = QLatin1String(audit::kSent);
        audit_post(change.record);
    }
    // The worker's thread must end before its object goes.
    if (m_worker) {
        m_worker->stop();
        handover::joinThread(m_worker.data());
        delete m_worker.data();
    }
    delete ui;
}

void Page_Box::setWorkerPorts(int localPort, int boxPort) {
    m_workerPort = localPort;
    m_boxPort = boxPort;
}

void Page_Box::setHeaderLabels() {
    for (QStandardItemModel* model : {m_modelBefore, m_modelA, m_modelB})
        model->setHorizontalHeaderLabels({tr("ip:port")});
}

void Page_Box::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        setHeaderLabels();
    }
    QWidget::changeEvent(event);
}

void Page_Box::showBox(const QString& title, const QString& text) {
    QMessageBox::warning(this, title, text, QMessageBox::Ok);
}

// ---------------------------------------------------------------- worker

void Page_Box::startBoxWorker() {
    if (m_worker) return;
    auto* worker = new AlgorithmBoxProc(m_workerPort);
    worker->setBoxPort(m_boxPort);
    if (!m_selected.isEmpty()) worker->setBoxAddress(m_selected);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &AlgorithmBoxProc::sig_BoxMSG, this, &Page_Box::recv_BoxMSG);
    connect(worker, &AlgorithmBoxProc::sig_upgradeFinished, this,
            [this](QString, bool ok) { auditUpgrade(ok); });
    m_worker = worker;
    worker->start();
}

void Page_Box::send(const QString& cmd) {
    if (!m_worker) return;
    const int sn = m_worker->sendBoxCommand(kBoxMode, cmd);
    const int replyKind = box_change_reply_kind(cmd.toStdString());
    if (replyKind == BoxReplyNone) return;
    if (sn < 0) {
        // Never left this computer: nothing on the box changed.
        qDebug() << "Page_Box: change not sent" << cmd;
        return;
    }
    m_pendingChanges.push_back({replyKind, QDateTime::currentMSecsSinceEpoch(), auditRecord(cmd)});
    if (!m_changeTimer.isActive()) m_changeTimer.start();
}

// ---------------------------------------------------------------- audit trail

AuditRecord Page_Box::auditRecord(const QString& command) const {
    AuditRecord r = box_audit_record(m_worker ? m_worker->boxAddress() : m_selected, m_boxPort, command);
    r.program = QStringLiteral("vantrel");
    r.level = m_rightLevel;
    return r;
}

void Page_Box::auditReply(int kind, const QString& body) {
    // The box answers in the order it was asked: the oldest change of this kind.
    const auto it = std::find_if(m_pendingChanges.begin(), m_pendingChanges.end(),
                                 [kind](const PendingChange& c) { return c.replyKind == kind; });
    if (it == m_pendingChanges.end()) return;  // a late reply, already recorded as unanswered
    AuditRecord r = it->record;
    m_pendingChanges.erase(it);
    r.outcome = QLatin1String(audit::kAccepted);
    r.detail = body;
    audit_post(r);
}

void Page_Box::auditUnanswered(qint64 olderThanMs) {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (auto it = m_pendingChanges.begin(); it != m_pendingChanges.end();) {
        if (now - it->sentAt < olderThanMs) {
            ++it;
            continue;
        }
        AuditRecord r = it->record;
        r.outcome = QLatin1String(audit::kNoAnswer);
        audit_post(r);
        it = m_pendingChanges.erase(it);
    }
    if (m_pendingChanges.empty()) m_changeTimer.stop();
}

void Page_Box::auditUpgrade(bool ok) {
    if (!m_pendingUpgrade) return;
    AuditRecord r = *m_pendingUpgrade;
    m_pendingUpgrade.reset();
    r.outcome = QLatin1String(ok ? audit::kSucceeded : audit::kFailed);
    r.detail = ok ? QStringLiteral("firmware upgrade OK!") : QStringLiteral("firmware upgrade NG!");
    audit_post(r);
}

void Page_Box::recv_BoxMSG(QString ip, int type, QString info) {
    qDebug() << "Page_Box::recv_BoxMSG" << ip << type << info;
    if (type == BoxReplyAdd || type == BoxReplyDel || type == BoxReplyNet) auditReply(type, info);
    switch (type) {
        case BoxReplyReboot:
            showBox(tr("warm"), tr("algorithm box is reboot!"));
            break;
        case BoxReplyGets:
            fillPortLists(info);
            break;
        case BoxReplyNet:
            // The box answers from its new address from now on; it is listed
            // again with its next status datagram.
            ui->listWidget->clear();
            m_boxes.clear();
            m_records.clear();
            m_lastStatus.clear();
            m_selected.clear();
            clearStatusGrid();
            break;
        case BoxReplyNets: {
            std::string address, mask, gateway;
            if (parse_box_network(info.toStdString(), address, mask, gateway)) {
                ui->ipaddress_ip->setValue(QString::fromStdString(address));
                ui->ipaddress_mask->setValue(QString::fromStdString(mask));
                ui->ipaddress_gateway->setValue(QString::fromStdString(gateway));
            }
            break;
        }
        case BoxReplyVersion:
            ui->lb_version->setText(QString::fromStdString(box_reply_value(info.toStdString())));
            break;
        case BoxReplyFirmware:
            emit sig_wait(false);
            showBox(tr("warm"), info);
            break;
        case -1:
            // The worker has ended; without one the page's commands do nothing.
            showBox(tr("error"), info);
            m_worker = nullptr;
            break;
        default:  // LSADD and LSDEL replies need nothing
            break;
    }
}

// ---------------------------------------------------------------- status

void Page_Box::showBoxStatus(const QByteArray& record) {
    BoxStatus status;
    if (!parse_box_status(reinterpret_cast<const uint8_t*>(record.constData()), size_t(record.size()),
                          status)) {
        qDebug() << "Page_Box: status datagram of" << record.size() << "bytes ignored";
        return;
    }
    const QString box = QString::fromLocal8Bit(status.ip.data(), int(status.ip.size()));
    if (!m_boxes.contains(box)) {
        m_boxes.append(box);
        auto* item = new QListWidgetItem(box, ui->listWidget);
        if (m_conflicts.contains(box)) {
            item->setForeground(Qt::red);
            item->setToolTip(tr("Another device announces this address too"));
        }
    }
    m_records.insert(box, record);
    m_lastStatus.insert(box, QDateTime::currentMSecsSinceEpoch());
    if (box == m_selected) buildStatusGrid(record);
    if (!m_checkTimer.isActive()) m_checkTimer.start();
}

void Page_Box::clearStatusGrid() {
    while (QLayoutItem* item = ui->gridLayout_status->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_indicators.clear();
}

void Page_Box::buildStatusGrid(const QByteArray& record) {
    clearStatusGrid();
    BoxStatus status;
    if (!parse_box_status(reinterpret_cast<const uint8_t*>(record.constData()), size_t(record.size()),
                          status))
        return;
    const QString now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    for (int i = 0; i < int(status.scanners.size()); ++i) {
        const BoxScannerStatus& s = status.scanners[size_t(i)];
        auto* time = new QLabel(now, ui->w_status);
        auto* address =
            new QLabel(QString::fromLocal8Bit(s.address.data(), int(s.address.size())), ui->w_status);
        auto* indicator = new QLabel(ui->w_status);
        indicator->setObjectName(QStringLiteral("lb_indicator%1").arg(i));
        indicator->setFixedSize(10, 10);
        indicator->setStyleSheet(indicatorStyle(stateColour(s.state)));
        auto* word = new QLabel(QString::fromStdString(box_status_bits(s.statusWord)), ui->w_status);
        word->setObjectName(QStringLiteral("lb_statusWord%1").arg(i));
        ui->gridLayout_status->addWidget(time, i, 0);
        ui->gridLayout_status->addWidget(address, i, 1);
        ui->gridLayout_status->addWidget(indicator, i, 2);
        ui->gridLayout_status->addWidget(word, i, 3);
        m_indicators.append(indicator);
    }
}

void Page_Box::recv_autocheck() {
    // Silence is judged per box: another box's datagrams say nothing about
    // the one on display.
    const qint64 last = m_lastStatus.value(m_selected, 0);
    if (QDateTime::currentMSecsSinceEpoch() - last <= kStaleMs) return;
    for (QLabel* indicator : qAsConst(m_indicators))
        indicator->setStyleSheet(indicatorStyle(QLatin1String(kGrey)));
}

void Page_Box::setConflictingAddresses(const QStringList& ips) {
    m_conflicts = ips;
    for (int i = 0; i < ui->listWidget->count(); ++i) {
        QListWidgetItem* item = ui->listWidget->item(i);
        const bool conflict = ips.contains(item->text());
        item->setForeground(conflict ? QBrush(Qt::red) : QBrush());
        item->setToolTip(conflict ? tr("Another device announces this address too") : QString());
    }
}

void Page_Box::on_listWidget_itemClicked(QListWidgetItem* item) {
    if (!item) return;
    item->setSelected(true);
    m_selected = item->text();
    const QByteArray record = m_records.value(m_selected);
    if (m_worker) m_worker->setBoxAddress(m_selected);
    BoxStatus status;
    if (parse_box_status(reinterpret_cast<const uint8_t*>(record.constData()), size_t(record.size()),
                         status)) {
        ui->ipaddress_ip->setValue(QString::fromStdString(status.ip));
        ui->ipaddress_mask->setValue(QString::fromStdString(status.mask));
        ui->ipaddress_gateway->setValue(QString::fromStdString(status.gateway));
        buildStatusGrid(record);
    }
    send(QLatin1String(kBoxCmdGets));
    send(QLatin1String(kBoxCmdVersion));
    send(QLatin1String(kBoxCmdNets));
}

// ---------------------------------------------------------------- network settings

void Page_Box::on_pb_getbox_clicked() {
    send(QLatin1String(kBoxCmdNets));
}

bool Page_Box::pingtest(QString ip, int timeout) {
    return host_answers_ping(ip.toStdString(), timeout);
}

void Page_Box::on_pb_setbox_clicked() {
    const QString ip = ui->ipaddress_ip->text();
    const QString mask = ui->ipaddress_mask->text();
    const QString gateway = ui->ipaddress_gateway->text();
    // A half-typed address would leave the box unreachable.
    for (const QString& text : {ip, mask, gateway}) {
        if (!is_dotted_quad(text.toStdString())) {
            showBox(tr("error"), tr("Please enter a complete IP address, mask and gateway"));
            return;
        }
    }
    if (ip.contains(QLatin1String("192.168.158"))) {
        showBox(tr("error"), tr("IP is occupied, please reset"));
        return;
    }
    if (m_pingThread) return;  // a check is already running
    // Waiting for an echo that may never come must not freeze the window.
    auto answered = std::make_shared<std::atomic<bool>>(false);
    m_pingThread = QThread::create([this, ip, answered] { *answered = pingtest(ip, kPingTimeoutMs); });
    m_pingThread->setParent(this);
    handover::watchThread(m_pingThread);
    connect(m_pingThread, &QThread::finished, this, [this, ip, answered] {
        m_pingThread->deleteLater();
        m_pingThread = nullptr;
        ui->pb_setbox->setEnabled(true);
        finishSetBox(ip, *answered);
    });
    ui->pb_setbox->setEnabled(false);
    m_pingThread->start();
}

void Page_Box::finishSetBox(const QString& ip, bool answered) {
    if (answered) {
        showBox(tr("error"), tr("IP is occupied, please reset"));
        return;
    }
    const QString cmd =
        QString::fromStdString(box_cmd_net(ip.toStdString(), ui->ipaddress_mask->text().toStdString(),
                                           ui->ipaddress_gateway->text().toStdString()));
    qDebug() << "Page_Box: set network" << cmd;
    send(cmd);
}

// ---------------------------------------------------------------- scanner lists

QStandardItemModel* Page_Box::portModel(int io) const {
    return io ? m_modelB : m_modelA;
}

void Page_Box::on_pb_getlidars_clicked() {
    send(QLatin1String(kBoxCmdGets));
    send(QLatin1String(kBoxCmdVersion));
}

void Page_Box::fillPortLists(const QString& reply) {
    for (int io = 0; io < 2; ++io) {
        portModel(io)->removeRows(0, portModel(io)->rowCount());
        portList(io).clear();
        portRow(io) = -1;
    }
    for (const BoxScannerEntry& e : parse_box_entries(reply.toStdString())) {
        const int io = e.io != 0 ? 1 : 0;
        const QString text = QStringLiteral("%1:%2").arg(QString::fromStdString(e.ip)).arg(e.port);
        auto* item = new QStandardItem(text);
        item->setEditable(false);
        portModel(io)->appendRow(item);
        portList(io).append(text);
    }
}

void Page_Box::on_tableView_before_clicked(const QModelIndex& index) {
    m_rowBefore = index.isValid() ? index.row() : -1;
}

void Page_Box::on_tableView_after_clicked(const QModelIndex& index) {
    m_rowA = index.isValid() ? index.row() : -1;
}

void Page_Box::on_tableView_after2_clicked(const QModelIndex& index) {
    m_rowB = index.isValid() ? index.row() : -1;
}

void Page_Box::on_pb_edit_clicked() {
    m_modelBefore->appendRow(new QStandardItem(tr("please edit!")));
}

void Page_Box::on_pb_input_clicked() {
    moveToPort(0);
}

void Page_Box::on_pb_input2_clicked() {
    moveToPort(1);
}

void Page_Box::on_pb_output_clicked() {
    moveFromPort(0);
}

void Page_Box::on_pb_output2_clicked() {
    moveFromPort(1);
}

void Page_Box::moveToPort(int io) {
    if (m_rowBefore < 0 || m_rowBefore >= m_modelBefore->rowCount()) return;
    const QString text = m_modelBefore->item(m_rowBefore)->text().trimmed();
    if (portList(io).contains(text)) {
        showBox(tr("error"), tr("Configuration already exists, please add it again"));
        return;
    }
    const int from = m_rowBefore;
    m_rowBefore = -1;
    QList<QStandardItem*> row = m_modelBefore->takeRow(from);
    row.first()->setText(text);
    row.first()->setEditable(false);
    portModel(io)->appendRow(row);
    if (!setLidarINI(io, true)) {
        // Nothing was sent: the row goes back where the operator can correct it.
        QList<QStandardItem*> back = portModel(io)->takeRow(portModel(io)->rowCount() - 1);
        back.first()->setEditable(true);
        m_modelBefore->insertRow(from, back);
        return;
    }
    send(QLatin1String(kBoxCmdGets));
}

void Page_Box::moveFromPort(int io) {
    int& remembered = portRow(io);
    if (remembered < 0 || remembered >= portModel(io)->rowCount()) return;
    const int from = remembered;
    remembered = -1;
    QList<QStandardItem*> row = portModel(io)->takeRow(from);
    row.first()->setEditable(true);
    m_modelBefore->appendRow(row);
    if (!setLidarINI(io, false)) {
        QList<QStandardItem*> back = m_modelBefore->takeRow(m_modelBefore->rowCount() - 1);
        back.first()->setEditable(false);
        portModel(io)->insertRow(from, back);
        return;
    }
    send(QLatin1String(kBoxCmdGets));
}

bool Page_Box::setLidarINI(int io, bool add) {
    QStandardItemModel* model = portModel(io);
    QStringList rows;
    for (int r = 0; r < model->rowCount(); ++r) {
        const QString text = model->item(r)->text();
        QString message;
        switch (check_box_row(text.toStdString())) {
            case BoxRowCheck::Ok:
                break;
            case BoxRowCheck::FormatError:
                message = tr("add lidar config failed:format error,row:%1");
                break;
            case BoxRowCheck::IpError:
                message = tr("add lidar config failed:ip format error,row:%1");
                break;
            case BoxRowCheck::PortRangeError:
                message = tr("add lidar config failed:port range error,row:%1");
                break;
        }
        if (!message.isEmpty()) {
            showBox(tr("error"), message.arg(r + 1));
            return false;
        }
        rows.append(text);
    }

    const QStringList& previous = portList(io);
    QStringList changed;  // free of duplicates, in table order
    for (const QString& text : add ? rows : previous) {
        const bool inOther = add ? previous.contains(text) : rows.contains(text);
        if (!inOther && !changed.contains(text)) changed.append(text);
    }
    if (changed.isEmpty()) return true;
    std::vector<BoxScannerEntry> entries;
    for (const QString& text : changed) {
        std::string ip;
        int port = 0;
        check_box_row(text.toStdString(), &ip, &port);
        entries.push_back({ip, port, io});
    }
    send(QString::fromStdString(add ? box_cmd_add(entries) : box_cmd_del(entries)));
    return true;
}

// ---------------------------------------------------------------- version and upgrade

void Page_Box::on_pb_version_clicked() {
    send(QLatin1String(kBoxCmdVersion));
}

void Page_Box::on_pb_choose_clicked() {
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open File"), QString(), tr("box firmware file (*.bin)"));
    if (!path.isEmpty()) ui->le_path->setText(path);
}

void Page_Box::on_pb_upgrade_clicked() {
    const QString path = ui->le_path->text();
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        showBox(tr("error"), tr("%1 is not exist!").arg(path));
        return;
    }
    if (!m_worker) return;
    // The worker upgrades the box it last talked to, whatever the IP field says.
    m_pendingUpgrade = auditRecord(QFileInfo(path).fileName());
    m_pendingUpgrade->imageCrc = audit_firmware_crc(path);
    m_worker->requestUpgrade(ui->ipaddress_ip->text(), path);
    emit sig_wait(true);
}
