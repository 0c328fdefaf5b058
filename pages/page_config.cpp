#include "page_config.h"

#include <QCoreApplication>
#include <QEvent>
#include <exception>

#include "model_table.h"
#include "page_message.h"
#include "param_file.h"
#include "settings.h"
#include "ui_page_config.h"

namespace {

constexpr const char* kSection = "Standard";

QString setting(const char* key) {
    return QString::fromStdString(Settings::instance().Read(kSection, key));
}

void store(const char* key, const QString& value) {
    Settings::instance().Write(kSection, key, value.toStdString());
}

// The "I/O" level of a model; a model the table does not know has none.
int ioLevelOf(const QString& model) {
    try {
        return QString::fromStdString(model_property(model.toStdString(), "I/O")).toInt();
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace

Page_Config::Page_Config(QWidget* parent) : QWidget(parent), ui(new Ui::Page_Config) {
    ui->setupUi(this);
    setProperty("Class", QStringLiteral("Page_Config"));
    refresh();
    setUI(false, QString(), QString(), false);
}

Page_Config::~Page_Config() {
    delete ui;
}

void Page_Config::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        labelUpgradeTargets(ui->cb_type->currentIndex());
    }
    QWidget::changeEvent(event);
}

void Page_Config::error(const QString& text) {
    pagemsg::show(this, tr("error"), text);
}

void Page_Config::warn(const QString& text) {
    pagemsg::show(this, tr("warm"), text);
}

// ---------------------------------------------------------------- state

void Page_Config::refresh() {
    const int language = ui->cb_language->findText(
        QString::fromStdString(Settings::instance().Read(kSection, "Language", "Auto")),
        Qt::MatchFixedString);
    ui->cb_language->setCurrentIndex(language >= 0 ? language
                                                   : ui->cb_language->findText(QStringLiteral("Auto")));
    ui->le_savepath->setText(setting("Logpath"));
    ui->le_upgradePath->setText(setting("UpgradePath"));
}

void Page_Config::setUI(bool connected, QString type, QString lidarType, bool isBox) {
    m_connected = connected;
    m_linkType = type;
    m_lidarType = lidarType;
    m_isBox = isBox;
    ui->cb_upgradearg1->clear();
    ui->cb_upgradearg2->clear();
    for (QCheckBox* box : {ui->cb_baud, ui->cb_io, ui->cb_post, ui->cb_run, ui->cb_web})
        box->setChecked(false);

    const bool uart = type == QLatin1String("UART");
    ui->cb_web->setVisible(!uart && !isBox);
    ui->cb_post->setVisible(!uart && !isBox);
    ui->cb_baud->setVisible(uart);
    ui->cb_io->setVisible(uart || !isBox);
    ui->cb_run->setVisible(uart || !isBox);
    ui->cb_zone->setVisible(true);
    applyAccess();
}

void Page_Config::setZoneImportEnabled(bool enabled) {
    ui->cb_zone->setEnabled(enabled);
    if (!enabled) ui->cb_zone->setChecked(false);
}

void Page_Config::setRightLevel(int level) {
    m_rightLevel = level;
    applyAccess();
}

void Page_Config::applyAccess() {
    ui->groupBox_2->setEnabled(m_connected);
    // An upgrade takes the scanner off line: only without a connection.
    ui->groupBox_3->setEnabled(!m_connected && (m_rightLevel == 1 || m_rightLevel == 2));
}

// ---------------------------------------------------------------- general settings

void Page_Config::on_cb_language_activated(QString arg1) {
    store("Language", arg1);
    warn(tr("The Language configuration must be rebooted to take effect"));
}

void Page_Config::on_pb_choosedir_clicked() {
    const QString dir = pagemsg::chooseFile(this, pagemsg::FileChoice::Directory, tr("Open Directory"),
                                            QCoreApplication::applicationDirPath());
    if (dir.isEmpty()) return;
    ui->le_savepath->setText(dir);
    store("Logpath", dir);
}

// ---------------------------------------------------------------- export and import

void Page_Config::on_pb_export_clicked() {
    if (!m_connected) {
        error(tr("please connect lidar first!"));
        return;
    }
    // The main window writes the file when the fresh block arrives.
    emit sig_synstatus(true, 4);
    emit sig_GS_PACK(QString());
}

void Page_Config::on_pb_importone_clicked() {
    if (!m_connected) {
        error(tr("please connect lidar first!"));
        return;
    }
    ImportChoices choices;
    choices.io = ui->cb_io->isChecked();
    choices.operation = ui->cb_run->isChecked();
    choices.upload = ui->cb_post->isChecked();
    choices.network = ui->cb_web->isChecked();
    choices.baud = ui->cb_baud->isChecked();
    bool zones = ui->cb_zone->isChecked() && ui->cb_zone->isEnabled();

    const QString path = pagemsg::chooseFile(this, pagemsg::FileChoice::OpenFile, tr("Open File"),
                                             setting("ImportPath"), tr("lidar param file (*.lidar)"));
    if (path.isEmpty()) return;
    store("ImportPath", path);

    // A damaged file is refused whole: nothing of it is sent.
    ParamFileContents contents;
    const ParamFileStatus status = load_param_file(path.toStdString(), contents);
    if (status != ParamFileStatus::Ok) {
        error(QCoreApplication::translate("ParamFile", param_file_status_text(status)));
        return;
    }

    m_importNote.clear();
    if (contents.block && !import_same_model(*contents.block, m_lidarType.toStdString())) {
        // Another model reads the same numbers differently: only the zones travel.
        choices = ImportChoices{};
        m_importNote = tr("The file comes from another lidar model (%1); only its zones can be imported.")
                           .arg(QString::fromStdString(eeprom_type_id(*contents.block)));
    }
    m_choices = choices;
    m_fileBlock = contents.block;
    m_fileZones = contents.zoneImage ? *contents.zoneImage : std::vector<uint8_t>();
    zones = zones && !m_fileZones.empty();
    m_importZones = zones;

    if (zones) {
        // The zone worker writes them; the main window calls importParameters()
        // when that write has ended.
        emit sig_synstatus(true, 3);
        emit sig_wait(true);
        emit sig_UploadZone(reinterpret_cast<ZoneDef*>(m_fileZones.data()));
        return;
    }
    importParameters();
}

void Page_Config::importParameters() {
    const EEpromV101 block = m_fileBlock ? *m_fileBlock : EEpromV101{};
    if (!m_fileBlock) {
        // A file of zones alone: nothing to send, but the end is reported the usual way.
        block_to_commands(block, false, false, false, false, false);
        return;
    }
    block_to_commands(block, m_choices.io, m_choices.network, m_choices.upload, m_choices.operation,
                      m_choices.baud);
}

void Page_Config::block_to_commands(const EEpromV101& block, bool io, bool network, bool upload,
                                    bool operation, bool baud) {
    emit sig_wait(true);
    ImportChoices choices;
    choices.io = io;
    choices.network = network;
    choices.upload = upload;
    choices.operation = operation;
    choices.baud = baud;
    std::vector<ImportOmission> omitted;
    const std::vector<std::string> cmds =
        build_import_commands(block, m_linkType.toStdString(), choices, ioLevelOf(m_lidarType), &omitted);
    for (const ImportOmission& o : omitted) {
        const QString name = QString::fromStdString(o.command);
        const QString line = o.reason == ImportOmission::Reason::DestinationAddressInvalid
                                 ? tr("%1 not sent: destination address invalid").arg(name)
                                 : tr("%1 not sent: network address invalid").arg(name);
        m_importNote += (m_importNote.isEmpty() ? QString() : QStringLiteral("\n")) + line;
    }
    QStringList list;
    for (const std::string& cmd : cmds) list << QString::fromStdString(cmd);
    emit sig_import_Cmds(list);
}

// ---------------------------------------------------------------- firmware group

void Page_Config::labelUpgradeTargets(int index) {
    if (index == 0) {
        ui->lb_upgradearg1->setText(tr("COM Name:"));
        ui->lb_upgradearg2->setText(tr("Baud Rate:"));
    } else {
        ui->lb_upgradearg1->setText(tr("IP:"));
        ui->lb_upgradearg2->setText(tr("Port:"));
    }
}

void Page_Config::on_cb_type_activated(int index) {
    labelUpgradeTargets(index);
}

void Page_Config::on_cb_upgradearg1_activated(int index) {
    if (index >= 0 && index < ui->cb_upgradearg2->count()) ui->cb_upgradearg2->setCurrentIndex(index);
}

void Page_Config::fillUpgradeTargets(QStringList devices) {
    ui->cb_upgradearg1->clear();
    ui->cb_upgradearg2->clear();
    for (const QString& device : devices) {
        const int colon = device.indexOf(QLatin1Char(':'));
        if (colon < 0) continue;
        ui->cb_upgradearg1->addItem(device.left(colon));
        ui->cb_upgradearg2->addItem(device.mid(colon + 1));
    }
}

void Page_Config::on_pb_upgradePath_clicked() {
    const QString path =
        pagemsg::chooseFile(this, pagemsg::FileChoice::OpenFile, tr("Open File"),
                            QCoreApplication::applicationDirPath(), tr("Firmware(*.bin *.lhl)"));
    if (path.isEmpty()) return;
    ui->le_upgradePath->setText(path);
    store("UpgradePath", path);
}

void Page_Config::on_pb_checkUse_clicked() {
    if (m_connected) {
        error(tr("Please make sure to use it offline!"));
        return;
    }
    emit sig_getDevInfo(ui->cb_type->currentIndex() != 0);
}

void Page_Config::on_pb_upgrade_clicked() {
    const QString name = ui->cb_upgradearg1->currentText();
    bool ok = false;
    const int port = ui->cb_upgradearg2->currentText().toInt(&ok);
    const QString path = ui->le_upgradePath->text();
    // Without a target there is nothing to upgrade. A missing or damaged
    // image is the worker's to refuse, with its own reason, before anything
    // reaches the scanner.
    if (name.isEmpty() || !ok || port <= 0) {
        error(tr("Please find and choose a device first!"));
        return;
    }
    emit sig_wait(true);
    emit sig_upgrade(name, port, path,
                     ui->cb_type->currentIndex() == 0 ? QStringLiteral("UART") : QStringLiteral("UDP"));
}
