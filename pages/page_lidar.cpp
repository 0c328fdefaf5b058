#include "page_lidar.h"

#include <QBrush>
#include <QDebug>
#include <QSignalBlocker>
#include <QTimer>
#include <utility>

#include "page_span.h"
#include "ui_page_lidar.h"

namespace {

// The scene is practically unbounded so the operator can pan anywhere; the
// point-cloud item decides what is painted.
constexpr qreal kSceneOrigin = -1073741824.0;  // -2^30
constexpr qreal kSceneExtent = 2147483647.0;   // 2^31 - 1

}  // namespace

Page_lidar::Page_lidar(QWidget* parent) : QWidget(parent), ui(new Ui::Page_lidar) {
    ui->setupUi(this);
    setProperty("Class", QStringLiteral("Page_lidar"));

    m_scene = new Graphics_scene(this);
    m_scene->setSceneRect(kSceneOrigin, kSceneOrigin, kSceneExtent, kSceneExtent);
    m_scene->setBackgroundBrush(QBrush(Qt::black));
    m_item = new Graphics_Item_Data();
    m_item->setPos(0, 0);
    m_item->setZValue(0);
    m_scene->addItem(m_item);  // the scene owns the item
    m_view = new Graphics_view(m_scene, ui->w_view);
    m_view->setObjectName(QStringLiteral("graphicsView"));
    ui->vl_view->addWidget(m_view);
    m_view->centerOn(0, 0);

    m_span = new Page_Span(ui->tab_span);
    m_span->setObjectName(QStringLiteral("pagespan"));
    ui->vl_span->addWidget(m_span);

    m_spinUp = new QTimer(this);
    m_spinUp->setSingleShot(true);
    m_spinUp->setInterval(kSpinUpMs);
    connect(m_spinUp, &QTimer::timeout, this, [this] { emit sig_data(11, QByteArray("0")); });

    setConnected(false);
}

Page_lidar::~Page_lidar() {
    delete ui;
}

// ---------------------------------------------------------------- measurement controls

void Page_lidar::on_pb_start_clicked() {
    emit sig_data(11, QByteArray("1"));
    emit sig_C_PACK(QStringLiteral("LSTARH"));
    setRunning(true);
    startSpinUpTimer();
}

void Page_lidar::on_pb_stop_clicked() {
    emit sig_C_PACK(QStringLiteral("LSTOPH"));
    setRunning(false);
}

void Page_lidar::on_pb_restart_clicked() {
    emit sig_C_PACK(QStringLiteral("LRESTH"));
    emit sig_data(11, QByteArray("1"));
    startSpinUpTimer();
}

void Page_lidar::on_checkBox_toggled(bool checked) {
    emit sig_saveLog(checked);
}

void Page_lidar::setSaveLogResult(bool recording) {
    if (ui->checkBox->isChecked() == recording) return;
    const QSignalBlocker block(ui->checkBox);
    ui->checkBox->setChecked(recording);
}

void Page_lidar::startSpinUpTimer() {
    m_spinUp->start();  // a second click restarts the period
}

void Page_lidar::setRunning(bool running) {
    m_running = running;
    m_item->setLiveUpdate(running);
}

// ---------------------------------------------------------------- data

void Page_lidar::recv_lidarData(std::vector<RawData> data) {
    m_item->setRevolution(std::move(data));
}

void Page_lidar::recv_spanData(RawData data) {
    m_span->recv_SpanData(data);
}

void Page_lidar::recv_zonearg(zones data) {
    // The zone shapes are drawn by the zone tools; until then the page keeps
    // the working list so that later tools start from what the scanner holds.
    m_zones = data;
}

// ---------------------------------------------------------------- main window calls

void Page_lidar::setConnected(bool connected, const QString& linkType) {
    m_connected = connected;
    if (!linkType.isEmpty()) m_linkType = linkType;
    ui->pb_start->setEnabled(connected);
    ui->pb_stop->setEnabled(connected);
    ui->pb_restart->setEnabled(connected);
    ui->lb_linkstate->setText(connected ? tr("Connected (%1)").arg(m_linkType) : tr("No device connected"));
}

void Page_lidar::setDeviceState(const QString& faultText, int zoneState) {
    m_faultText = faultText;
    ui->lb_fault->setText(faultText);
    if (zoneState != m_activeZone) {
        m_activeZone = zoneState;
        ui->lb_alarmzone->setText(
            zoneState < 0 ? QString() : tr("alarm zone:%1").arg(QString::number(zoneState, 16).toUpper()));
    }
}

void Page_lidar::setZoneControlsEnabled(bool enabled) {
    // The zone tools are not on this page yet; the flag is kept for them.
    setProperty("zonesEnabled", enabled);
}

void Page_lidar::setIoControlsEnabled(bool enabled) {
    setProperty("ioEnabled", enabled);
}

void Page_lidar::setDirection(int direction) {
    m_direction = direction;
    m_item->setMirrored(direction != 0);
}

void Page_lidar::setReplyText(const QByteArray& text) {
    ui->lb_reply->setText(QString::fromLocal8Bit(text).trimmed());
}

void Page_lidar::setStatusValue(int value) {
    ui->lb_status->setText(tr("status:%1").arg(value));
}

void Page_lidar::resetPage() {
    m_spinUp->stop();
    m_item->clearPoints();
    m_span->reset();
    m_faultText.clear();
    ui->lb_fault->clear();
    ui->lb_reply->clear();
    ui->lb_status->clear();
    ui->lb_alarmzone->clear();
    m_activeZone = -1;
    setRunning(true);
    setConnected(false);
}

void Page_lidar::retranslate() {
    ui->retranslateUi(this);
    setConnected(m_connected);
    if (m_activeZone >= 0)
        ui->lb_alarmzone->setText(tr("alarm zone:%1").arg(QString::number(m_activeZone, 16).toUpper()));
}
