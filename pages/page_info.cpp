#include "page_info.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateTime>
#include <QEvent>
#include <QIntValidator>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <array>
#include <exception>

#include "commands.h"
#include "model_table.h"
#include "network_arg.h"
#include "page_message.h"
#include "ui_page_info.h"

namespace {

// Output mapping rows, top to bottom: status k drives the outputs of byte k.
const char* const kStatusNames[Page_Info::kStatusRows] = {
    QT_TRANSLATE_NOOP("Page_Info", "观察"),         QT_TRANSLATE_NOOP("Page_Info", "警戒"),
    QT_TRANSLATE_NOOP("Page_Info", "报警"),         QT_TRANSLATE_NOOP("Page_Info", "镜头遮掩"),
    QT_TRANSLATE_NOOP("Page_Info", "无数据"),       QT_TRANSLATE_NOOP("Page_Info", "防区已设置"),
    QT_TRANSLATE_NOOP("Page_Info", "系统故障"),     QT_TRANSLATE_NOOP("Page_Info", "系统正常"),
    QT_TRANSLATE_NOOP("Page_Info", "网络连接正常"), QT_TRANSLATE_NOOP("Page_Info", "防区更新中"),
    QT_TRANSLATE_NOOP("Page_Info", "零位信号"),     QT_TRANSLATE_NOOP("Page_Info", "预留位"),
};

// Models whose rotation direction is a setting of the scanner.
bool directionSwitchable(const std::string& model) {
    for (const char* name : {"TQX-H530-S", "TQX-H540-E", "TQX-H540-S", "TQX-H600-E", "TQX-H500-E"})
        if (model == name) return true;
    return false;
}

// The model table throws on a malformed entry; that reads as "not known".
QString tableValue(const std::string& model, const char* key) {
    try {
        return QString::fromStdString(model_property(model, key));
    } catch (const std::exception&) {
        return {};
    }
}

QString quad(const uint8_t octets[4]) {
    return QString::fromStdString(eeprom_dotted_quad(octets));
}

std::string text(const QString& s) {
    return s.toStdString();
}

}  // namespace

Page_Info::Page_Info(QWidget* parent) : QWidget(parent), ui(new Ui::Page_Info) {
    ui->setupUi(this);
    setProperty("Class", QStringLiteral("Page_Info"));
    buildMatrix();

    static const QRegularExpression kQuad(
        QStringLiteral("^((2[0-4]\\d|25[0-5]|[01]?\\d\\d?)\\.){3}(2[0-4]\\d|25[0-5]|[01]?\\d\\d?)$"));
    for (QLineEdit* field : {ui->le_ip, ui->le_mask, ui->le_gateway, ui->le_srvip})
        field->setValidator(new QRegularExpressionValidator(kQuad, field));
    ui->le_mask->setPlaceholderText(QStringLiteral("255.255.255.0"));
    ui->le_id->setValidator(new QIntValidator(0, 2147483647, ui->le_id));
    ui->le_fir->setValidator(new QIntValidator(1, 10, ui->le_fir));
    ui->le_cir->setValidator(new QIntValidator(1, 99, ui->le_cir));
    ui->le_filterFactor->setValidator(new QIntValidator(0, 200, ui->le_filterFactor));
    ui->le_zone_dist_thr->setValidator(new QIntValidator(0, 65535, ui->le_zone_dist_thr));
    for (QLineEdit* port : {ui->le_port, ui->le_srvport})
        port->setValidator(new QIntValidator(0, 65535, port));

    // Everything model-dependent starts hidden; the block decides.
    for (QWidget* w : std::initializer_list<QWidget*>{ui->groupBox_3, ui->groupBox_6, ui->groupBox_5,
                                                      ui->frame_zoneset, ui->frame_baudset, ui->frame_postway,
                                                      ui->frame_zone_continuous_detect, ui->cb_pnpidx,
                                                      ui->lb_typeName, ui->lb_type, ui->lb_snName, ui->lb_sn})
        w->hide();
    ui->cb_rotate->setEnabled(false);
    applyAccess();

    m_modelQuestion = [this](const QString& reported) {
        QMessageBox box(
            QMessageBox::Warning, tr("warm"),
            tr("The current Lidar cannot be recognized %1. Please manually select the specified Lidar")
                .arg(reported),
            QMessageBox::NoButton, this);
        QPushButton* first = box.addButton(QStringLiteral("TQX-H300-R"), QMessageBox::AcceptRole);
        QPushButton* second = box.addButton(QStringLiteral("TQX-35(45)KRN-2"), QMessageBox::RejectRole);
        box.setEscapeButton(second);
        box.exec();
        return box.clickedButton() == first ? first->text() : second->text();
    };
}

Page_Info::~Page_Info() {
    delete ui;
}

void Page_Info::setModelQuestion(ModelQuestion question) {
    if (question) m_modelQuestion = std::move(question);
}

// ---------------------------------------------------------------- output matrix

void Page_Info::buildMatrix() {
    m_matrix = new QButtonGroup(this);
    m_matrix->setExclusive(false);
    m_outputHeading = new QLabel(ui->groupBox_5);
    ui->gl_outMatrix->addWidget(m_outputHeading, 0, 1, 1, kOutputs, Qt::AlignHCenter);
    for (int j = 0; j < kOutputs; ++j) {
        auto* number = new QLabel(QString::number(j + 1), ui->groupBox_5);
        ui->gl_outMatrix->addWidget(number, 1, 1 + j, Qt::AlignHCenter);
    }
    for (int k = 0; k < kStatusRows; ++k) {
        auto* name = new QLabel(ui->groupBox_5);
        m_rowLabels.append(name);
        ui->gl_outMatrix->addWidget(name, 2 + k, 0);
        for (int j = 0; j < kOutputs; ++j) {
            auto* box = new QCheckBox(ui->groupBox_5);
            box->setObjectName(QStringLiteral("cb_map_%1_%2").arg(k).arg(j));
            m_matrix->addButton(box, kOutputs * k + j);
            ui->gl_outMatrix->addWidget(box, 2 + k, 1 + j, Qt::AlignHCenter);
        }
    }
    retranslateMatrix();
}

void Page_Info::retranslateMatrix() {
    m_outputHeading->setText(tr("输出"));
    for (int k = 0; k < kStatusRows; ++k) m_rowLabels[k]->setText(tr(kStatusNames[k]));
}

void Page_Info::clickItem(int id) {
    if (QAbstractButton* box = m_matrix->button(id)) box->setFocus();
}

void Page_Info::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslateMatrix();
    }
    QWidget::changeEvent(event);
}

// ---------------------------------------------------------------- main window operations

void Page_Info::setBaudRate(int baud) {
    m_baudRate = baud;
    const QString text = QString::number(baud);
    if (ui->cb_baud->findText(text) < 0 && baud > 0) ui->cb_baud->addItem(text);
    ui->cb_baud->setCurrentIndex(ui->cb_baud->findText(text));
}

void Page_Info::setZoneSetVisible(bool visible) {
    ui->frame_zoneset->setVisible(visible);
}

void Page_Info::setIOVisible(bool shown, int zoneCtrl) {
    m_ioShown = shown;
    ui->groupBox_5->setVisible(shown);
    ui->groupBox_6->setVisible(shown);
    setZoneSwitching(zoneCtrl);
}

void Page_Info::setZoneSwitching(int mode) {
    if (mode < 0) {
        ui->frame_zonectrl->hide();
        return;
    }
    ui->frame_zonectrl->show();
    ui->cb_zonectrl->setCurrentIndex(mode ? 1 : 0);
}

void Page_Info::setRotate(bool counterClockwise) {
    ui->cb_rotate->setChecked(counterClockwise);
}

void Page_Info::setConnected(bool connected) {
    m_connected = connected;
    applyAccess();
}

void Page_Info::setRightLevel(int level) {
    m_rightLevel = level;
    applyAccess();
}

void Page_Info::applyAccess() {
    // Reading the block again changes nothing; every other group changes the scanner.
    const bool editable = m_connected && (m_rightLevel == 1 || m_rightLevel == 2);
    for (QWidget* group : {ui->groupBox, ui->groupBox_2, ui->groupBox_3, ui->groupBox_5, ui->groupBox_6})
        group->setEnabled(editable);
    ui->groupBox_4->setEnabled(m_connected);
}

QString Page_Info::lidarType() const {
    return ui->lb_type->text();
}

// ---------------------------------------------------------------- showing the block

void Page_Info::recv_eeprom(QString type, EEpromV101 eepromv101) {
    recv_eeprom(type, eepromv101, false);
}

void Page_Info::recv_eeprom(QString type, EEpromV101 eepromv101, bool isBox) {
    const EEpromV101& b = eepromv101;
    m_linkType = type;
    // Showing values is not changing them: no control may send while it is filled.
    const QSignalBlocker blockFix(ui->cb_target_fix);
    // The serial number shows at most 16 characters of its 20-byte field.
    ui->lb_sn->setText(QString::fromStdString(eeprom_product_sn(b).substr(0, 16)));
    ui->le_currnettime->setText(
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")));
    if (type == QLatin1String("UART"))
        showUart(b);
    else
        showFramed(b, isBox);
}

void Page_Info::showCommon(const EEpromV101& b) {
    ui->cb_filter->setChecked(b.dsw != 0);
    ui->cb_smooth->setChecked(b.smt != 0);
    ui->le_fir->setText(QString::number(b.fir));
    ui->le_cir->setText(QString::number(b.cir));
    ui->cb_postway->setCurrentIndex(b.pst < 4 ? b.pst : -1);
    ui->le_filterFactor->setText(QString::number(b.af));
}

void Page_Info::showIo(const EEpromV101& b) {
    const QSignalBlocker blockMatrix(m_matrix);
    ui->cb_out1->setChecked(b.pnpBits & 0x1);
    ui->cb_out2->setChecked(b.pnpBits & 0x2);
    ui->cb_out3->setChecked(b.pnpBits & 0x4);
    ui->cb_out4->setChecked(b.pnpBits & 0x8);
    ui->cb_pnp->setCurrentIndex((b.pnpBits >> 7) & 1);
    for (int k = 0; k < kStatusRows; ++k)
        for (int j = 0; j < kOutputs; ++j)
            m_matrix->button(kOutputs * k + j)->setChecked((b.outMap[k] >> j) & 1);
}

void Page_Info::showContinuity(const EEpromV101& b) {
    ui->frame_zone_continuous_detect->show();
    ui->cb_zone_continuous_detect->setChecked(eeprom_segmentation(b));
    ui->le_zone_dist_thr->setText(QString::number(b.zirDistance));
}

void Page_Info::showFramed(const EEpromV101& b, bool isBox) {
    m_isBox = isBox;
    if (isBox) {
        ui->groupBox_3->hide();
        ui->frame_postway->hide();
        ui->cb_pnpidx->show();
        ui->cb_pnpidx->setCurrentIndex((reinterpret_cast<const uint8_t*>(&b)[43] >> 1) & 1);
    } else {
        ui->groupBox_3->show();
        ui->frame_postway->show();
        ui->cb_pnpidx->hide();
    }
    ui->le_id->setEnabled(true);
    ui->pb_did->setEnabled(true);
    ui->le_id->setText(QString::number(b.deviceId));
    const std::string model = eeprom_type_id(b);
    ui->lb_type->setText(QString::fromStdString(model));
    showCommon(b);
    ui->cb_target_fix->setChecked(b.tfx != 0);

    ui->le_ip->setText(quad(b.ip));
    ui->le_mask->setText(quad(b.mask));
    ui->le_gateway->setText(quad(b.gateway));
    ui->le_srvip->setText(quad(b.uploadIp));
    ui->le_port->setText(QString::number(b.lidarPort));
    ui->le_srvport->setText(QString::number(b.uploadPort));
    showIo(b);

    ui->cb_rotate->setEnabled(directionSwitchable(model));
    if (model == "TQX-H540-S" || model == "TQX-H540-S_T")
        showContinuity(b);
    else
        ui->frame_zone_continuous_detect->hide();
    fillRpm(model, b);
}

void Page_Info::showUart(const EEpromV101& b) {
    m_isBox = false;
    ui->groupBox_3->hide();
    ui->cb_rotate->setEnabled(false);
    showIo(b);
    showCommon(b);

    QString model = QString::fromStdString(eeprom_type_id(b));
    if (model.isEmpty()) model = m_modelQuestion(model);
    if (model == QLatin1String("TQX-H400-A") || model == QLatin1String("TQX-H400-A4")) {
        ui->frame_postway->show();
        showContinuity(b);
    } else {
        ui->frame_postway->hide();
        ui->frame_zone_continuous_detect->hide();
    }
    const std::string normalized = normalize_model_id(text(model));
    ui->lb_type->setText(QString::fromStdString(normalized));
    const QString bauds = tableValue(normalized, "baud");
    if (bauds.isEmpty() || !fillRpm(normalized, b)) {
        if (bauds.isEmpty())
            error(tr("Unable to find the current model of lidar, please contact the developer!"));
        ui->le_id->setEnabled(false);
        ui->pb_did->setEnabled(false);
        return;
    }
    const QStringList values = bauds.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    if (values.size() < 2) {
        ui->frame_baudset->hide();
    } else {
        ui->frame_baudset->show();
        const int current = m_baudRate > 0 ? m_baudRate : int(eeprom_uart_baud(b));
        fillChoices(ui->cb_baud, bauds, QString::number(current));
    }
    ui->le_id->setEnabled(false);
    ui->pb_did->setEnabled(false);
}

void Page_Info::fillChoices(QComboBox* box, const QString& values, const QString& current) {
    box->clear();
    box->addItems(values.split(QLatin1Char('|'), Qt::SkipEmptyParts));
    // A value outside the offered list is still the scanner's value: show it.
    if (box->findText(current) < 0) box->addItem(current);
    box->setCurrentIndex(box->findText(current));
}

bool Page_Info::fillRpm(const std::string& model, const EEpromV101& b) {
    const QString speeds = tableValue(model, "rpm");
    if (speeds.isEmpty()) {
        ui->cb_rpm->clear();
        error(tr("Unable to find the current model of lidar, please contact the developer!"));
        return false;
    }
    fillChoices(ui->cb_rpm, speeds, QString::number(b.rpm));
    return true;
}

void Page_Info::recv_uartState(bool fitter, bool smooth) {
    ui->cb_filter->setChecked(fitter);
    ui->cb_smooth->setChecked(smooth);
}

// ---------------------------------------------------------------- sending

void Page_Info::error(const QString& text) {
    pagemsg::show(this, tr("error"), text);
}

void Page_Info::sendSet(const std::string& cmd) {
    emit sig_S_PACK(QString::fromStdString(cmd));
}

// Serial scanners take these commands as bare text through the control path.
void Page_Info::sendSerialAware(const std::string& framed, const std::string& serial) {
    if (m_linkType == QLatin1String("UART"))
        emit sig_C_PACK(QString::fromStdString(serial));
    else
        emit sig_S_PACK(QString::fromStdString(framed));
}

bool Page_Info::numberOf(QLineEdit* field, unsigned* value) {
    // The validator lets half-typed text stand (empty, out of range); none of it is sent.
    bool ok = false;
    const uint v = field->text().toUInt(&ok);
    if (!ok || !field->hasAcceptableInput()) {
        error(tr("Setting number parameter error!"));
        return false;
    }
    *value = v;
    return true;
}

void Page_Info::on_pb_setrun_clicked() {
    bool ok = false;
    const int rpm = ui->cb_rpm->currentText().toInt(&ok);
    if (!ok) return;
    const std::string cmd = cmd_set_rpm(rpm);
    sendSerialAware(cmd, cmd);
}

void Page_Info::on_pb_did_clicked() {
    unsigned id = 0;
    if (!numberOf(ui->le_id, &id)) return;
    sendSet(cmd_set_did(id));
}

void Page_Info::on_pb_udp_clicked() {
    std::string arg;
    if (!format_network_argument(true, text(ui->le_ip->text()), text(ui->le_mask->text()),
                                 text(ui->le_gateway->text()), text(ui->le_port->text()), arg)) {
        emit sig_data(1, tr("set udp address inlegal!").toLocal8Bit());
        return;
    }
    sendSet(cmd_set_udp(arg));
}

void Page_Info::on_pb_dst_clicked() {
    std::string arg;
    if (!format_network_argument(false, text(ui->le_srvip->text()), {}, {}, text(ui->le_srvport->text()),
                                 arg)) {
        emit sig_data(1, tr("set udp address inlegal!").toLocal8Bit());
        return;
    }
    if (!is_same_upload_segment(text(ui->le_srvip->text()), text(ui->le_ip->text()))) {
        emit sig_data(1, tr("Lidar ip and upload ip must be on the same network segment!").toLocal8Bit());
        return;
    }
    sendSet(cmd_set_dst(arg));
}

void Page_Info::on_pb_pst_clicked() {
    const int index = ui->cb_postway->currentIndex();
    if (index < 0) return;
    sendSet(cmd_set_pst(index));
}

void Page_Info::on_cb_target_fix_stateChanged(int arg1) {
    if (!ui->cb_target_fix->isVisibleTo(this)) return;
    sendSet(cmd_set_tfx(arg1 == Qt::Checked));
}

void Page_Info::on_cb_rotate_clicked(bool checked) {
    if (!ui->cb_rotate->isVisibleTo(this)) return;
    sendSet(cmd_set_ccw(checked));
    emit sig_data(15, checked ? "1" : "0");
    emit sig_wait(true);
    // The scanner needs a moment to turn the other way; then the sector data
    // start afresh and the wait ends (nothing else would close it).
    QTimer::singleShot(1000, this, [this] {
        emit sig_resetSpan();
        emit sig_wait(false);
    });
}

void Page_Info::on_cb_filter_clicked(bool checked) {
    sendSerialAware(cmd_set_dsw(checked), cmd_serial_dsw(checked));
}

void Page_Info::on_cb_smooth_clicked(bool checked) {
    sendSerialAware(cmd_set_smt(checked), cmd_serial_smt(checked));
}

void Page_Info::on_pb_baud_clicked() {
    bool ok = false;
    const int baud = ui->cb_baud->currentText().toInt(&ok);
    if (!ok || baud <= 0) return;
    emit sig_C_PACK(QString::fromStdString(cmd_set_bps(std::to_string(baud))));
}

void Page_Info::on_pb_cir_clicked() {
    unsigned rings = 0;
    if (numberOf(ui->le_cir, &rings)) sendSet(cmd_set_cir(rings));
}

void Page_Info::on_pb_fir_clicked() {
    unsigned points = 0;
    if (numberOf(ui->le_fir, &points)) sendSet(cmd_set_fir(points));
}

void Page_Info::on_pb_filterFactor_clicked() {
    unsigned factor = 0;
    if (numberOf(ui->le_filterFactor, &factor)) sendSet(cmd_set_af(int(factor)));
}

void Page_Info::on_pb_zone_dist_thr_clicked() {
    unsigned distance = 0;
    if (numberOf(ui->le_zone_dist_thr, &distance))
        sendSet(cmd_set_zir(ui->cb_zone_continuous_detect->isChecked(), distance));
}

void Page_Info::on_pb_zonectrl_clicked() {
    const std::string cmd = cmd_set_ztp(ui->cb_zonectrl->currentIndex() == 1 ? 1 : 0);
    sendSet(cmd);
    emit sig_GS_PACK(QString::fromStdString(cmd));
}

void Page_Info::on_pb_pnp_clicked() {
    const std::array<bool, 4> on = {ui->cb_out1->isChecked(), ui->cb_out2->isChecked(),
                                    ui->cb_out3->isChecked(), ui->cb_out4->isChecked()};
    const int index = ui->cb_pnp->currentIndex() == 1 ? 1 : 0;
    if (m_isBox)
        sendSet(cmd_set_pnp(on, index, text(ui->cb_pnpidx->currentText())));
    else
        sendSet(cmd_set_pnp(on, index));
}

void Page_Info::on_pb_out_clicked() {
    std::array<uint8_t, kStatusRows> rows{};
    for (int k = 0; k < kStatusRows; ++k)
        for (int j = 0; j < kOutputs; ++j)
            if (m_matrix->button(kOutputs * k + j)->isChecked()) rows[size_t(k)] |= uint8_t(1u << j);
    sendSet(cmd_set_out(rows));
    emit sig_GS_PACK(QString::fromLatin1(kCmdReadBlock));
    emit sig_synstatus(true, 2);
}

void Page_Info::on_pb_fresh_clicked() {
    emit sig_GS_PACK(QString::fromLatin1(kCmdReadBlock));
    emit sig_synstatus(true, 2);
}
