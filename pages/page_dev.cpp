#include "page_dev.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QEventLoop>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QStandardItemModel>
#include <QThread>
#include <QTimer>
#include <cstring>

#include "heartbeat_parse.h"
#include "settings.h"
#include "thread_handover.h"
#include "transport.h"
#include "ui_page_dev.h"

namespace {

const char* const kHeaderStyle =
    "QHeaderView::section {background-color: rgb(209, 208, 224);color: rgb(27, 20, 100);}";
constexpr int kHistoryKeysRead = 10;

// A NUL-terminated text in a fixed field, never read past the field.
QString fieldText(const char* field, size_t width) {
    return QString::fromLocal8Bit(field, static_cast<int>(strnlen(field, width)));
}

QString number(double value) {
    return QString::number(value, 'g', 6);
}

bool isSerialLink(const QString& type) {
    return type == QLatin1String("UART") || type == QLatin1String("VPC");
}

}  // namespace

Page_Dev::Page_Dev(QWidget* parent) : QWidget(parent), ui(new Ui::Page_Dev) {
    ui->setupUi(this);
    setProperty("Class", QStringLiteral("Page_Dev"));
    qRegisterMetaType<DevConnInfo>("DevConnInfo");

    m_model = new QStandardItemModel(0, ColumnCount, this);
    setHeaderLabels();
    QTableView* view = ui->tableView;
    view->setModel(m_model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    // Columns fit their contents, but measured at most once per interval and
    // over the rows on screen: with hundreds of scanners announcing once a
    // second, measuring every row on every heartbeat would stall the window.
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view->horizontalHeader()->setResizeContentsPrecision(0);
    m_resizeTimer.setSingleShot(true);
    m_resizeTimer.setInterval(kResizeIntervalMs);
    connect(&m_resizeTimer, &QTimer::timeout, view, &QTableView::resizeColumnsToContents);
    connect(m_model, &QStandardItemModel::dataChanged, this, [this] {
        if (!m_resizeTimer.isActive()) m_resizeTimer.start();
    });
    view->horizontalHeader()->setStyleSheet(QString::fromLatin1(kHeaderStyle));
    view->setColumnHidden(ColSn, true);
    view->setColumnHidden(ColModel, true);
    view->setColumnHidden(ColBox, true);
    view->setSortingEnabled(true);
    view->sortByColumn(ColNum, Qt::AscendingOrder);
    connect(view->horizontalHeader(), &QHeaderView::sectionClicked, this, &Page_Dev::onHeaderClicked);

    // Says which addresses more than one device claims; hidden while none does.
    m_conflictLabel = new QLabel(this);
    m_conflictLabel->setObjectName(QStringLiteral("lb_conflict"));
    m_conflictLabel->setStyleSheet(QStringLiteral("color: rgb(200, 0, 0);"));
    m_conflictLabel->setWordWrap(true);
    m_conflictLabel->hide();
    ui->gridLayout->addWidget(m_conflictLabel, 2, 0, 1, ui->gridLayout->columnCount());

    // Probe results are emitted on the probe thread; they reach the table queued.
    connect(this, &Page_Dev::sig_lidarHeart, this, &Page_Dev::recv_lidarHeart, Qt::QueuedConnection);

    m_probeIoFactory = [] { return makeSystemSerialProbeIo(); };
    m_macLookup = [](const std::string& ip, std::string& text) { return mac_of(ip, text); };

    // A neighbour-table look-up may wait for ARP resolution (up to a second),
    // so it never runs on the GUI thread.
    m_macThread = new QThread(this);
    m_macThread->setObjectName(QStringLiteral("Page_Dev MAC"));
    m_macWorker = new QObject;
    m_macWorker->moveToThread(m_macThread);
    handover::watchThread(m_macThread);
    m_macThread->start();

    QTimer::singleShot(1000, this, &Page_Dev::GetComDev);
}

Page_Dev::~Page_Dev() {
    // Both threads report into this object: let them end before it goes.
    m_probeAgain = false;
    if (m_probeThread) {
        handover::joinThread(m_probeThread);
        delete m_probeThread;
        m_probeThread = nullptr;
    }
    m_macThread->quit();
    handover::joinThread(m_macThread);
    delete m_macWorker;
    delete ui;
}

void Page_Dev::setProbeIoFactory(ProbeIoFactory factory) {
    m_probeIoFactory = std::move(factory);
}

void Page_Dev::setMacLookup(MacLookup lookup) {
    m_macLookup = std::move(lookup);
}

// ---------------------------------------------------------------- cells

void Page_Dev::setCell(int row, int column, const QString& text) {
    QStandardItem* item = m_model->item(row, column);
    if (!item) {
        item = new QStandardItem;
        item->setEditable(false);
        m_model->setItem(row, column, item);
    } else if (item->text() == text) {
        return;  // most heartbeats repeat what the row shows
    }
    item->setText(text);
}

void Page_Dev::appendRow(const QStringList& texts) {
    QList<QStandardItem*> items;
    for (const QString& text : texts) {
        auto* item = new QStandardItem(text);
        item->setEditable(false);
        items << item;
    }
    m_model->appendRow(items);
}

QString Page_Dev::cell(int row, int column) const {
    const QStandardItem* item = m_model->item(row, column);
    return item ? item->text() : QString();
}

int Page_Dev::rowOfAddress(const QString& address) const {
    for (int r = 0; r < m_model->rowCount(); ++r)
        if (cell(r, ColAddress) == address) return r;
    return -1;
}

void Page_Dev::rebuildKeyIndex() {
    m_rowOfKey.clear();
    m_rowOfKey.reserve(m_keys.size());
    for (int i = 0; i < m_keys.size(); ++i) m_rowOfKey.insert(m_keys[i], i);
}

// ---------------------------------------------------------------- address conflicts

QString Page_Dev::rowIp(int row) const {
    if (isSerialLink(cell(row, ColLink))) return {};
    return cell(row, ColAddress).section(QLatin1Char(':'), 0, 0);
}

void Page_Dev::markRow(int row, bool conflict) {
    const QVariant background = conflict ? QVariant(QBrush(QColor(255, 200, 200))) : QVariant();
    for (int c = 0; c < ColumnCount; ++c) {
        if (!m_model->item(row, c)) setCell(row, c, QString());
        m_model->item(row, c)->setData(background, Qt::BackgroundRole);
    }
    QString tip;
    if (conflict) {
        const AddressClaims::Claim* claim = m_claims.claim(rowIp(row).toStdString());
        QStringList who;
        if (claim) {
            for (const std::string& serial : claim->serials) who << QString::fromStdString(serial);
            for (const std::string& mac : claim->macs) who << QString::fromStdString(mac);
            if (claim->box) who << tr("an algorithm box");
        }
        tip = tr("This address is claimed by more than one device: %1").arg(who.join(QStringLiteral(", ")));
    }
    m_model->item(row, ColAddress)->setToolTip(tip);
}

void Page_Dev::markConflictRows(const QString& ip, bool conflict) {
    for (int r = 0; r < m_model->rowCount(); ++r)
        if (rowIp(r) == ip) markRow(r, conflict);
    showConflicts();
}

void Page_Dev::showConflicts() {
    const QStringList ips = addressConflicts();
    m_conflictLabel->setText(
        ips.isEmpty()
            ? QString()
            : tr("Address conflict: %1 claimed by more than one device").arg(ips.join(QStringLiteral(", "))));
    m_conflictLabel->setVisible(!ips.isEmpty());
    emit sig_addressConflicts(ips);
}

QStringList Page_Dev::addressConflicts() const {
    QStringList ips;
    for (const std::string& ip : m_claims.conflicts()) ips << QString::fromStdString(ip);
    return ips;
}

void Page_Dev::recordBoxAddress(const QString& ip) {
    const std::string key = ip.toStdString();
    if (m_claims.addBox(key)) markConflictRows(ip, m_claims.isConflict(key));
}

void Page_Dev::clearStateColumn() {
    for (int r = 0; r < m_model->rowCount(); ++r) setCell(r, ColState, QString());
}

void Page_Dev::markConnected(int row) {
    setCell(row, ColState, tr("Connected"));
    m_connectedAddress = cell(row, ColAddress).section(QLatin1Char(':'), 0, 0);
    m_isBox = cell(row, ColBox) == QLatin1String("1");
}

void Page_Dev::selectRow(int row) {
    if (row < 0 || row >= m_model->rowCount()) return;
    // Re-selecting the selected row would still walk the selection model.
    const QItemSelectionModel* selection = ui->tableView->selectionModel();
    if (selection && selection->isRowSelected(row, QModelIndex())) return;
    ui->tableView->selectRow(row);
}

bool Page_Dev::askOkCancel(const QString& text) {
    return QMessageBox::warning(this, tr("warm"), text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

void Page_Dev::warn(const QString& text) {
    QMessageBox::warning(this, tr("warm"), text);
}

// ---------------------------------------------------------------- heartbeats

QString Page_Dev::alarmText(const HeartbeatInfo& info) const {
    if (!info.hasStatus) return {};
    QString text;
    if (info.observationZone) text += tr("Observation Zone");
    if (info.alertZone) text += tr("Alert Zone");
    if (info.alarmZone) text += tr("Alarm Zone");
    if (info.masking) text += tr("Masking!");
    if (info.noData) text += tr("No data");
    if (info.noZoneActive) text += tr("No zone active");
    if (info.systemError) text += tr("System error");
    const int kind = info.linkKind & 0x7;
    if ((kind == 1 || kind == 3) && info.netLinkLost) text += tr("NET disconnected");
    if (kind == 2 && info.usbLinkLost) text += tr("USB disconnected");
    if (info.upgrading) text += tr("System Upgrade");
    if (info.noZoneDefined) text += tr("Zone not defined");
    if (info.boxConnected) text += tr("Box connect");
    return text;
}

void Page_Dev::recv_lidarHeart(DevConnInfo conn) {
    // Once the operator has sorted the table the rows no longer follow the
    // key list, so nothing is matched until the next refresh.
    if (m_sorted) return;

    HeartbeatInfo info;
    QString link, address, upload;
    switch (conn.type) {
        case DevConnInfo::Uart:
            link = QStringLiteral("UART");
            address = QStringLiteral("%1:%2").arg(fieldText(conn.com, sizeof conn.com)).arg(conn.baud);
            break;
        case DevConnInfo::Vpc:
            link = QStringLiteral("VPC");
            address = QStringLiteral("%1:%2").arg(fieldText(conn.com, sizeof conn.com)).arg(-1);
            break;
        case DevConnInfo::Heart80:
        case DevConnInfo::Heart60:
        case DevConnInfo::HeartStatus: {
            const size_t len = heartbeatLength(static_cast<HeartbeatKind>(conn.type));
            if (len == 0 || len > sizeof conn.payload || !parseHeartbeat(conn.payload, len, info)) return;
            address = QStringLiteral("%1:%2")
                          .arg(QString::fromStdString(ipv4Text(info.scannerIp)))
                          .arg(info.scannerPort);
            upload = QStringLiteral("%1:%2")
                         .arg(QString::fromStdString(ipv4Text(info.uploadIp)))
                         .arg(info.uploadPort);
            if (conn.type == DevConnInfo::HeartStatus)
                link = (info.linkKind & 0x7) == 3 ? QStringLiteral("TCP") : QStringLiteral("UDP");
            else
                link = QStringLiteral("Net");
            break;
        }
        default:
            return;
    }

    const bool network = conn.type >= DevConnInfo::Heart80 && conn.type <= DevConnInfo::HeartStatus;
    const QString ip = network ? address.section(QLatin1Char(':'), 0, 0) : QString();
    if (network && m_claims.addScanner(ip.toStdString(), info.serial))
        markConflictRows(ip, m_claims.isConflict(ip.toStdString()));

    int row = m_rowOfKey.value(address, -1);
    if (row < 0) {
        row = m_keys.size();
        m_keys.append(address);
        m_rowOfKey.insert(address, row);
        if (link == QLatin1String("UDP")) {
            const QString sender = fieldText(conn.ip, sizeof conn.ip);
            MacLookup lookup = m_macLookup;
            QMetaObject::invokeMethod(
                m_macWorker,
                [this, lookup, address, sender] {
                    std::string text;
                    const bool ok = lookup(sender.toStdString(), text);
                    const QString result = QString::fromStdString(text);
                    QMetaObject::invokeMethod(
                        this,
                        [this, address, result, ok] {
                            if (!ok) qDebug() << "mac error" << result;
                            onMacResult(address, result);
                        },
                        Qt::QueuedConnection);
                },
                Qt::QueuedConnection);
        }
        // The whole row goes in at once: one insertion for the view to lay
        // out instead of one per cell.
        QStringList texts;
        for (int c = 0; c < ColumnCount; ++c) texts << QString();
        if (m_connected && link == QLatin1String("UDP") &&
            address.section(QLatin1Char(':'), 0, 0) == m_connectedAddress) {
            texts[ColState] = tr("Connected");
            qDebug() << "Page_Dev: connected device back in the list" << address;
        }
        texts[ColSn] = network ? QString::fromStdString(info.serial) : QString();
        texts[ColLink] = link;
        texts[ColAddress] = address;
        texts[ColUpload] = upload;
        texts[ColModel] = network ? QString::fromStdString(info.model) : QString();
        texts[ColNum] = QString::number(row + 1);
        texts[ColMac] = fieldText(conn.mac, sizeof conn.mac);
        appendRow(texts);
        if (network && m_claims.isConflict(ip.toStdString())) markRow(row, true);
    }

    if (conn.type == DevConnInfo::HeartStatus) {
        setCell(
            row, ColHeartbeat,
            QStringLiteral("%1:%2:%3").arg(conn.recv_time[2]).arg(conn.recv_time[1]).arg(conn.recv_time[0]));
        setCell(row, ColSpeed,
                QStringLiteral("%1/%2").arg(number(info.speed / 10.0), number(info.speed2 / 100.0)));
        setCell(row, ColCpu, number(info.cpu / 10.0));
        setCell(row, ColVolt, number(info.voltageMv / 1000.0));
        setCell(row, ColAlarm, alarmText(info));
        setCell(row, ColBox, info.boxConnected ? QStringLiteral("1") : QStringLiteral("0"));
        // Hiding an already hidden column still forces a layout of the whole table.
        if (!ui->tableView->isColumnHidden(ColBox)) ui->tableView->setColumnHidden(ColBox, true);
    }
    selectRow(m_selectedRow);
}

void Page_Dev::onMacResult(const QString& address, const QString& text) {
    // The key index follows the rows until the operator sorts them.
    const int row = m_sorted ? rowOfAddress(address) : m_rowOfKey.value(address, -1);
    if (row < 0) return;
    setCell(row, ColMac, text);
    const std::string ip = rowIp(row).toStdString();
    if (m_claims.addMac(ip, text.toStdString())) markConflictRows(rowIp(row), m_claims.isConflict(ip));
}

// ---------------------------------------------------------------- selection and links

void Page_Dev::on_tableView_clicked(const QModelIndex& index) {
    if (!index.isValid()) return;
    const int row = index.row();
    m_selectedRow = row;
    m_type = cell(row, ColLink);
    const QStringList address = cell(row, ColAddress).split(QLatin1Char(':'));
    if (address.size() == 2) {
        m_ipCom = address[0];
        m_remotePort = address[1].toInt();
    }
    const QStringList upload = cell(row, ColUpload).split(QLatin1Char(':'));
    if (upload.size() == 2) {
        m_portBaud = upload[1].toInt();
    } else if (isSerialLink(m_type) && address.size() == 2) {
        // A serial row has no upload address; the main window opens the
        // port at port_baud, so it must carry the row's own baud rate rather
        // than whatever the previously selected row left there.
        m_portBaud = m_remotePort;
    }
}

void Page_Dev::on_pb_connect_clicked() {
    if (m_selectedRow < 0 || m_selectedRow >= m_model->rowCount()) {
        warn(tr("please choose one lidar!"));
        return;
    }
    if (m_connected) {
        if (!askOkCancel(tr("Existing device is connected. Do you want to disconnect the existing "
                            "device to try a new connection?")))
            return;
        clearStateColumn();
        markConnected(m_selectedRow);
        emit sig_restart(m_type, m_ipCom, m_portBaud, m_remotePort);
        return;
    }
    emit sig_start(m_type, m_ipCom, m_portBaud, m_remotePort);
    markConnected(m_selectedRow);
    m_connected = true;
}

void Page_Dev::on_tableView_doubleClicked(const QModelIndex& index) {
    if (!index.isValid()) return;
    on_tableView_clicked(index);
    on_pb_connect_clicked();
    recordHistory(index.row());
}

void Page_Dev::recordHistory(int row) {
    const QString entry =
        QStringLiteral("Time:%1|Model:%2|Type:%3|Info:%4|Remote:%5")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")),
                 QStringLiteral(" "), cell(row, ColLink), cell(row, ColAddress), cell(row, ColUpload));
    Settings& settings = Settings::instance();
    std::vector<std::string> history{entry.toStdString()};
    for (int i = 0; i < kHistoryKeysRead; ++i) {
        std::string value = settings.Read("History", "history" + std::to_string(i));
        if (value.empty()) break;
        history.push_back(std::move(value));
    }
    for (size_t i = 0; i < history.size(); ++i)
        settings.Write("History", "history" + std::to_string(i), history[i]);
}

void Page_Dev::on_pb_connect_stop_clicked() {
    clearStateColumn();
    emit sig_data(8, QByteArray());
    m_connected = false;
}

void Page_Dev::linkClosed() {
    clearStateColumn();
    m_connected = false;
    m_serialHandle = 0;
}

void Page_Dev::onHeaderClicked(int index) {
    Q_UNUSED(index);
    m_sorted = true;
}

bool Page_Dev::connectByAddress(const QString& type, const QString& ip_com, int port_baud, int remote_port,
                                bool& isBox) {
    const bool wasConnected = m_connected;
    if (wasConnected &&
        !askOkCancel(tr("The existing device is connected. Do you want to disconnect the new device!")))
        return false;

    int row = -1;
    for (int r = 0; r < m_model->rowCount() && row < 0; ++r) {
        const QStringList parts = cell(r, ColAddress).split(QLatin1Char(':'));
        if (parts.size() == 2 && parts[0] == ip_com && parts[1] == QString::number(remote_port)) row = r;
    }
    if (row < 0) {
        // The current connection stays as it is, so its row keeps its mark.
        warn(tr("The Lidar does not exist!"));
        return false;
    }

    clearStateColumn();
    setCell(row, ColState, tr("Connected"));
    m_type = type;
    m_ipCom = ip_com;
    m_remotePort = remote_port;
    // History entries of serial rows carry the baud rate as remote_port and 0
    // as port_baud; the port is opened at port_baud.
    m_portBaud = (isSerialLink(type) && port_baud == 0) ? remote_port : port_baud;
    m_connectedAddress = ip_com;
    m_isBox = cell(row, ColBox) == QLatin1String("1");
    if (wasConnected)
        emit sig_restart(m_type, m_ipCom, m_portBaud, m_remotePort);
    else
        emit sig_start(m_type, m_ipCom, m_portBaud, m_remotePort);
    isBox = m_isBox;
    m_connected = true;
    return true;
}

void Page_Dev::updateConnectedAddress(const QString& address, int port) {
    int row = -1;
    for (int r = 0; r < m_model->rowCount() && row < 0; ++r)
        if (!cell(r, ColState).isEmpty()) row = r;
    const QString newAddress = QStringLiteral("%1:%2").arg(address).arg(port);

    if (isSerialLink(m_type)) {
        if (row < 0) return;
        const int key = m_keys.indexOf(cell(row, ColAddress));
        if (key >= 0) m_keys[key] = newAddress;
        rebuildKeyIndex();
        setCell(row, ColAddress, newAddress);
        m_ipCom = address;
        m_remotePort = port;
        m_portBaud = port;
        m_connectedAddress = address;
    } else if (m_type == QLatin1String("UDP")) {
        if (row >= 0) {
            m_keys.removeAll(cell(row, ColAddress));
            m_model->removeRow(row);
            rebuildKeyIndex();
            if (m_selectedRow == row)
                m_selectedRow = -1;
            else if (m_selectedRow > row)
                --m_selectedRow;
        }
        m_ipCom = address;
        m_remotePort = port;
        m_connectedAddress = address;
        const int found = rowOfAddress(newAddress);
        if (found >= 0) {
            setCell(found, ColState, tr("Connected"));
            m_selectedRow = found;
            m_isBox = cell(found, ColBox) == QLatin1String("1");
            selectRow(found);
        }
    }
}

// ---------------------------------------------------------------- refresh and serial probe

void Page_Dev::on_pb_refresh_clicked() {
    if (isSerialLink(m_type) && m_connected) {
        const bool ok = askOkCancel(
            tr("Currently connected to the serial port, refreshing will disconnect the serial port "
               "connection. Do you want to continue?"));
        qDebug() << "Page_Dev: refresh while on a serial port, answer" << (ok ? "OK" : "Cancel");
        if (!ok) return;
        m_type.clear();
        if (m_serialHandle > 0) {
            emit sig_data(8, QByteArray());
            m_connected = false;
            m_serialHandle = 0;
        }
    }
    for (int r = m_model->rowCount() - 1; r >= 0; --r) m_model->removeRow(r);
    m_keys.clear();
    m_rowOfKey.clear();
    m_claims.clear();
    showConflicts();
    m_sorted = false;
    // Row numbers are about to mean other devices.
    m_selectedRow = -1;
    GetComDev();
}

void Page_Dev::GetComDev() {
    // Two passes at once would talk to the same ports and split each other's
    // replies; a request during a pass runs once that pass is over.
    if (m_probeThread) {
        m_probeAgain = true;
        return;
    }
    startProbe(true, nullptr);
}

void Page_Dev::startProbe(bool report, std::shared_ptr<std::vector<SerialProbeHit>> hits,
                          QObject* doneContext, std::function<void()> done) {
    ProbeIoFactory factory = m_probeIoFactory;
    m_probeThread = QThread::create([this, factory, report, hits] {
        std::unique_ptr<SerialProbeIo> io = factory ? factory() : nullptr;
        std::vector<SerialProbeHit> found;
        if (io) found = probeSerialPorts(*io);
        if (hits) *hits = found;
        if (!report) return;
        for (const SerialProbeHit& hit : found) {
            DevConnInfo conn;
            conn.type = hit.baud == -1 ? DevConnInfo::Vpc : DevConnInfo::Uart;
            std::strncpy(conn.com, hit.port.c_str(), sizeof conn.com - 1);
            conn.baud = hit.baud;
            emit sig_lidarHeart(conn);
        }
        emit sig_RunOver();
    });
    m_probeThread->setObjectName(QStringLiteral("Page_Dev probe"));
    handover::watchThread(m_probeThread);
    connect(m_probeThread, &QThread::finished, this, &Page_Dev::onProbeFinished);
    // Connected before the thread runs: a pass that ends at once must still be seen.
    if (done) connect(m_probeThread, &QThread::finished, doneContext, std::move(done));
    m_probeThread->start();
}

void Page_Dev::onProbeFinished() {
    QThread* thread = m_probeThread;
    m_probeThread = nullptr;
    if (thread) {
        handover::joinThread(thread);  // finished comes just before run() returns
        thread->deleteLater();
    }
    if (m_probeAgain) {
        m_probeAgain = false;
        startProbe(true, nullptr);
    }
}

QStringList Page_Dev::collectDevices(bool isUDP) {
    QStringList list;
    if (isUDP) {
        for (int r = 0; r < m_model->rowCount(); ++r)
            if (cell(r, ColLink) == QLatin1String("UDP")) list << cell(r, ColAddress);
        return list;
    }
    // A pass under way talks to the same ports; let it end first. The loop
    // checks again after every event, so a pass ending meanwhile is seen.
    while (m_probeThread) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    auto hits = std::make_shared<std::vector<SerialProbeHit>>();
    // The probe takes seconds: the window keeps handling events meanwhile.
    QEventLoop loop;
    bool done = false;
    startProbe(false, hits, &loop, [&done, &loop] {
        done = true;
        loop.quit();
    });
    if (!done) loop.exec();
    for (const SerialProbeHit& hit : *hits)
        list << QStringLiteral("%1:%2").arg(QString::fromStdString(hit.port)).arg(hit.baud);
    return list;
}

// A language switch at run time reaches every widget as LanguageChange; the
// form and the table headers are set again in the new language.
void Page_Dev::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        setHeaderLabels();
    }
    QWidget::changeEvent(event);
}

void Page_Dev::setHeaderLabels() {
    m_model->setHorizontalHeaderLabels({tr("Num "), tr("SN"), tr("Link"), tr("Address"), tr("Upload"),
                                        tr("Model"), tr("Heartbeat"), tr("RPM/HZ"), tr("CPU"), tr("MAC"),
                                        tr("Volt"), tr("Alarm"), tr("State"), tr("Box")});
}
