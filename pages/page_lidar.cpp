#include "page_lidar.h"

#include <QBrush>
#include <QDebug>
#include <QEasingCurve>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QPropertyAnimation>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QTimer>
#include <utility>

#include "bqgraphicsitem.h"
#include "dialog_resolutionview.h"
#include "page_drawzone.h"
#include "page_span.h"
#include "settings.h"
#include "ui_page_lidar.h"

namespace {

// The scene is practically unbounded so the operator can pan anywhere; the
// point-cloud item decides what is painted.
constexpr qreal kSceneOrigin = -1073741824.0;  // -2^30
constexpr qreal kSceneExtent = 2147483647.0;   // 2^31 - 1
constexpr int kIndicatorPx = 14;

const char* const kIndicatorColors[] = {"rgb(190,190,190)", "rgb(0,255,0)", "rgb(0,0,255)", "rgb(255,255,0)",
                                        "rgb(255,0,0)"};

QString indicatorStyle(int state) {
    if (state < 0 || state > 4) state = 0;
    const QString px = QString::number(kIndicatorPx);
    return QStringLiteral("min-width: %1px;").arg(px) + QStringLiteral("min-height: %1px;").arg(px) +
           QStringLiteral("max-width: %1px;").arg(px) + QStringLiteral("max-height: %1px;").arg(px) +
           QStringLiteral("border-radius: %1px;").arg(kIndicatorPx / 2) +
           QStringLiteral("border:1px solid black;") + QStringLiteral("background-color:") +
           QLatin1String(kIndicatorColors[state]);
}

}  // namespace

Page_lidar::Page_lidar(QWidget* parent)
    : QWidget(parent),
      ui(new Ui::Page_lidar),
      m_zones(std::make_unique<zones>()),
      m_ioStates(kIoIndicators, 0) {
    ui->setupUi(this);
    setProperty("Class", QStringLiteral("Page_lidar"));
    registerShapeMetaTypes();

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
    m_factor = m_item->pixelsPerMm();

    buildSidePanel();
    connectView();
    buildZoneMenus();
    buildActionButtons();
    loadPresets();

    m_spinUp = new QTimer(this);
    m_spinUp->setSingleShot(true);
    m_spinUp->setInterval(kSpinUpMs);
    connect(m_spinUp, &QTimer::timeout, this, [this] { emit sig_data(11, QByteArray("0")); });

    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setInterval(kRefreshMs);
    connect(m_refreshTimer, &QTimer::timeout, this, &Page_lidar::recv_refresh2);
    m_refreshTimer->start();

    setIoStates(m_ioStates);
    setIoConfig(false, QByteArray());
    ui->pb_admin->setVisible(false);
    updateZoneLabels();
    setConnected(false);
}

Page_lidar::~Page_lidar() {
    clearShapes();
    delete ui;
}

void Page_lidar::buildSidePanel() {
    m_span = new Page_Span(ui->tab_span);
    m_span->setObjectName(QStringLiteral("pagespan"));
    ui->vl_span->addWidget(m_span);
    m_drawZone = new Page_DrawZone(ui->tab_draw);
    m_drawZone->setObjectName(QStringLiteral("pagedrawzone"));
    ui->vl_draw->addWidget(m_drawZone);

    // The panel lies over the right third of the view and slides in and out.
    ui->hl_body->removeWidget(ui->tabWidget);
    ui->tabWidget->setParent(ui->w_view);
    ui->tabWidget->setAutoFillBackground(true);
    m_panelAnimation = new QPropertyAnimation(ui->tabWidget, "geometry", this);
    m_panelAnimation->setDuration(kPanelAnimationMs);
    m_panelAnimation->setEasingCurve(QEasingCurve::InOutQuint);
    connect(m_panelAnimation, &QPropertyAnimation::finished, this, [this] {
        if (!m_panelShown) ui->tabWidget->hide();
    });
    ui->tabWidget->hide();
    ui->pb_stretch->setIcon(QIcon(QStringLiteral(":/resource/turn_left.png")));
}

void Page_lidar::connectView() {
    connect(m_item, &Graphics_Item_Data::sig_factor, this, &Page_lidar::recv_factor);
    connect(m_item, &Graphics_Item_Data::sig_synScenePos, this, &Page_lidar::recv_synScenePos);
    connect(m_item, &Graphics_Item_Data::sig_scope, this, &Page_lidar::recv_scope2);
    connect(m_view, &Graphics_view::sig_mouseMovePoint, this, &Page_lidar::recv_mouseMovePoint);
    connect(m_view, &Graphics_view::sig_mouseMoveFrag, this, &Page_lidar::recv_mouseMoveFrag);
    connect(m_span, &Page_Span::sig_scope, this, &Page_lidar::recv_scope);
    connect(m_drawZone, &Page_DrawZone::sig_zonearg, this, &Page_lidar::recv_zonearg);
}

void Page_lidar::warn(const QString& text) {
    QMessageBox::warning(this, tr("error"), text, QMessageBox::Ok);
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
    m_item->setLiveUpdate(running && !ui->cb_stopplay->isChecked());
}

// ---------------------------------------------------------------- data

void Page_lidar::recv_lidarData(std::vector<RawData> data) {
    m_item->setRevolution(std::move(data));
}

void Page_lidar::recv_spanData(RawData data) {
    m_span->recv_SpanData(data);
}

// ---------------------------------------------------------------- view options

void Page_lidar::applyTheme() {
    const bool light = ui->cb_bgColorIdx->currentIndex() == 1;
    m_item->setTheme(light, light != m_invert);
    m_scene->setBackgroundBrush(QBrush(light ? Qt::white : Qt::black));
    recv_refresh();  // the shapes' outline colours follow the background
}

void Page_lidar::on_cb_background_stateChanged(int state) {
    m_item->setGridMode(state == 2 ? 1 : 0);
}

void Page_lidar::on_cb_bgColorIdx_currentIndexChanged(int) {
    applyTheme();
}

void Page_lidar::on_cb_pointSize_currentTextChanged(const QString& text) {
    bool ok = false;
    const int size = text.trimmed().toInt(&ok);
    if (ok && size > 0) m_item->setPointSize(size);
}

void Page_lidar::on_cb_invert_toggled(bool checked) {
    m_invert = checked;
    applyTheme();
}

void Page_lidar::on_cb_pointtoline_toggled(bool checked) {
    m_item->setLineMode(checked);
}

void Page_lidar::on_cb_putdown_toggled(bool checked) {
    // Put down, the cloud stays where it is: dragging no longer moves it.
    m_item->setAcceptedMouseButtons(checked ? Qt::NoButton : Qt::AllButtons);
}

void Page_lidar::on_cb_stopplay_toggled(bool) {
    setRunning(m_running);
}

void Page_lidar::on_cb_center_toggled(bool checked) {
    if (!checked) return;
    m_item->resetView();
    m_sceneOffset = QPoint();
    m_view->centerOn(0, 0);
    recv_refresh();
}

void Page_lidar::recv_factor(double factor) {
    if (!(factor > 0)) return;
    m_factor = factor;
    recv_refresh();
}

void Page_lidar::recv_synScenePos(QPointF point) {
    m_sceneOffset = point.toPoint();
    recv_refresh();
}

void Page_lidar::recv_mouseMovePoint(QPoint pos) {
    const QSize size = m_view->viewport()->size();
    const double x = (pos.x() - size.width() / 2.0 - m_sceneOffset.x()) / m_factor;
    const double y = (size.height() / 2.0 + m_sceneOffset.y() - pos.y()) / m_factor;
    m_item->setCursorPosition(QPointF(x, y));
}

void Page_lidar::recv_mouseMoveFrag(bool flag) {
    m_mouseFrag = flag;
}

void Page_lidar::recv_scope(bool ok) {
    if (ok) m_item->setViewSize(m_view->viewport()->size());
    m_item->setMouseMode(ok ? 1 : 0);
}

void Page_lidar::recv_scope2(range r) {
    m_span->setRange(r.start, r.end);
}

// ---------------------------------------------------------------- side panel

void Page_lidar::placeSidePanel(bool animate) {
    const QRect area = ui->w_view->rect();
    const int width = std::max(1, this->width() / 3);
    const QRect shown(area.width() - width, 0, width, area.height());
    const QRect hidden(area.width(), 0, width, area.height());
    const QRect target = m_panelShown ? shown : hidden;
    if (!animate) {
        m_panelAnimation->stop();
        ui->tabWidget->setGeometry(target);
        ui->tabWidget->setVisible(m_panelShown);
        return;
    }
    ui->tabWidget->show();
    ui->tabWidget->raise();
    m_panelAnimation->stop();
    m_panelAnimation->setStartValue(ui->tabWidget->geometry().isValid() ? ui->tabWidget->geometry()
                                                                        : (m_panelShown ? hidden : shown));
    m_panelAnimation->setEndValue(target);
    m_panelAnimation->start();
}

void Page_lidar::showSidePanel(bool shown) {
    if (shown == m_panelShown) return;
    m_panelShown = shown;
    ui->pb_stretch->setIcon(QIcon(shown ? QStringLiteral(":/resource/turn_right.png")
                                        : QStringLiteral(":/resource/turn_left.png")));
    placeSidePanel(true);
}

void Page_lidar::on_pb_stretch_clicked() {
    showSidePanel(!m_panelShown);
}

void Page_lidar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeSidePanel(false);
}

// ---------------------------------------------------------------- playback and admin

void Page_lidar::on_pb_callback_clicked() {
    const QString dir = QString::fromStdString(Settings::instance().Read("Standard", "CallbackPath"));
    const QString path = QFileDialog::getOpenFileName(this, tr("Open File"), QFileInfo(dir).path(),
                                                      tr("data (*.dump *.data *.txt)"));
    if (path.isEmpty()) return;
    startPlayback(path);
}

void Page_lidar::startPlayback(const QString& path) {
    Settings::instance().Write("Standard", "CallbackPath", path.toStdString());
    emit sig_PlayBackFileName(path);
    emit sig_isplayback(true);
}

void Page_lidar::recv_CacheData(std::vector<RawData> data, float progress) {
    emit sig_CacheData(std::move(data), progress);
}

void Page_lidar::recv_playclose() {
    emit sig_isplayback(false);
}

void Page_lidar::recv_playprogress(std::vector<RawData> data) {
    m_item->clearPoints();
    m_span->reset();
    for (const RawData& fan : data) m_span->recv_SpanData(fan);
}

void Page_lidar::on_pb_admin_clicked() {
    emit sig_openAdmin(m_linkType);
}

// ---------------------------------------------------------------- main window calls

void Page_lidar::setConnected(bool connected, const QString& linkType) {
    m_connected = connected;
    if (!linkType.isEmpty()) m_linkType = linkType;
    ui->pb_start->setEnabled(connected);
    ui->pb_stop->setEnabled(connected);
    ui->pb_restart->setEnabled(connected);
    for (QWidget* w : {static_cast<QWidget*>(ui->pb_readzone), static_cast<QWidget*>(ui->pb_setzone),
                       static_cast<QWidget*>(ui->pb_changezone), static_cast<QWidget*>(ui->pb_clearzone)})
        w->setEnabled(connected && property("zonesEnabled").toBool());
    ui->lb_linkstate->setText(connected ? tr("Connected (%1)").arg(m_linkType) : tr("No device connected"));
    m_pbReport->setEnabled(connected);
}

void Page_lidar::updateZoneLabels() {
    ui->lb_alarmzone->setText(
        m_activeZone < 0 ? QString() : tr("alarm zone:%1").arg(QString::number(m_activeZone, 16).toUpper()));
    ui->lb_editzone->setText(tr("edit zone:%1").arg(QString::number(m_editZone, 16).toUpper()));
    ui->lcd_zone->display(m_editZone);
}

void Page_lidar::setDeviceState(const QString& faultText, int zoneState) {
    m_faultText = faultText;
    ui->lb_fault->setText(faultText);
    if (zoneState == m_activeZone) return;
    m_activeZone = zoneState;
    // The zone the scanner now watches is the one the operator wants to see.
    if (zoneState >= 0 && zoneState < kZoneCount && zoneState != m_editZone)
        ui->cb_changezone->setCurrentIndex(zoneState);
    updateZoneLabels();
}

void Page_lidar::setIoStates(const QVector<int>& states) {
    QLabel* const indicators[kIoIndicators] = {ui->lb_io1, ui->lb_io2, ui->lb_io3, ui->lb_io4, ui->lb_io5};
    for (int i = 0; i < kIoIndicators; ++i) {
        const int state = i < states.size() ? states[i] : 0;
        m_ioStates[i] = state;
        indicators[i]->setStyleSheet(indicatorStyle(state));
    }
}

void Page_lidar::setIoConfig(bool npn, const QByteArray& outMap) {
    ui->lb_iotype->setText(npn ? QStringLiteral("NPN") : QStringLiteral("PNP"));
    auto byteAt = [&outMap](int i) { return i < outMap.size() ? uint8_t(outMap[i]) : uint8_t(0); };
    QLabel* const outputs[3] = {ui->lb_out1, ui->lb_out2, ui->lb_out3};
    for (int b = 0; b < 3; ++b) {
        QString digits;
        for (int bit = 0; bit < 4; ++bit)
            if (byteAt(b) & (1u << bit)) digits += QString::number(bit + 1);
        outputs[b]->setText(digits);
    }
    QString more;
    for (int b = 4; b < 12; ++b)
        for (int bit = 0; bit < 4; ++bit)
            if (byteAt(b) & (1u << bit)) more += QStringLiteral("%1 %2|").arg(bit + 1).arg(b + 1);
    ui->lb_outmore->setText(QStringLiteral("..."));
    ui->lb_outmore->setToolTip(more);
    ui->lb_outmore->setStyleSheet(QStringLiteral(
        "QToolTip{border:1px solid rgb(118, 118, 118); background-color: #ffffff; color:#484848; "
        "font-size:12px;}"));
}

void Page_lidar::setZoneControlsEnabled(bool enabled) {
    setProperty("zonesEnabled", enabled);
    for (QWidget* w : {static_cast<QWidget*>(ui->gb_zone), static_cast<QWidget*>(ui->gb_offline)})
        w->setEnabled(enabled);
    setConnected(m_connected);
}

void Page_lidar::setIoControlsEnabled(bool enabled) {
    setProperty("ioEnabled", enabled);
    ui->gb_io->setEnabled(enabled);
}

void Page_lidar::setDirection(int direction) {
    direction = direction != 0 ? 1 : 0;
    const QSignalBlocker block(ui->cb_direction);
    ui->cb_direction->setCurrentIndex(direction);
    if (direction == m_direction) return;
    m_direction = direction;
    m_item->setMirrored(direction != 0);
    m_drawZone->setMirrored(direction != 0);
    m_span->reset();  // the sectors come round the other way
}

void Page_lidar::setReplyText(const QByteArray& text) {
    ui->lb_reply->setText(QString::fromLocal8Bit(text).trimmed());
}

void Page_lidar::setStatusValue(int value) {
    m_statusValue = value;
    ui->lb_status->setText(tr("status:%1").arg(value));
    ui->pb_admin->setVisible(value == 2);
}

void Page_lidar::resetSpan() {
    m_span->reset();
}

void Page_lidar::resetPage() {
    m_spinUp->stop();
    m_item->clearPoints();
    m_span->reset();
    m_faultText.clear();
    ui->lb_fault->clear();
    ui->lb_reply->clear();
    m_activeZone = -1;
    updateZoneLabels();
    setIoStates(QVector<int>(kIoIndicators, 0));
    setRunning(true);
    setConnected(false);
}

void Page_lidar::retranslate() {
    ui->retranslateUi(this);
    buildZoneMenus();
    retranslateActionButtons();
    rebuildResolutionMenu();
    setConnected(m_connected);
    updateZoneLabels();
    setStatusValue(m_statusValue);
}
