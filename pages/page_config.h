#pragma once
// Configuration page: language and log path, export and import of parameter
// files ("*.lidar") into the connected scanner, and the controls of the
// firmware upgrade (the transfer itself runs in the firmware worker).
// Widgets only; GUI thread only. The main window routes its signals.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>
#include <vector>

#include "commands.h"
#include "eeprom.h"
#include "zonealarm.h"

namespace Ui {
class Page_Config;
}

class Page_Config : public QWidget {
    Q_OBJECT

public:
    explicit Page_Config(QWidget* parent = nullptr);
    ~Page_Config() override;

    // ---- operations of the main window
    // Every connect (with the link type, the model and whether it is an
    // algorithm box) and disconnect.
    void setUI(bool connected, QString type, QString lidarType, bool isBox);
    // Zones can be imported only into a scanner that stores them.
    void setZoneImportEnabled(bool enabled);
    // Login right level 0, 1 or 2: the firmware group is open to level 1
    // and 2, and only while no scanner is connected.
    void setRightLevel(int level);
    // Shows the stored settings again.
    void refresh();
    // Sends the parameters of the file read last with the choices made then
    // (after its zones were written, or at once without zones).
    void importParameters();
    // Devices found for the firmware upgrade, each "a:b" (port and baud
    // rate, or IP and port).
    void fillUpgradeTargets(QStringList devices);
    // Builds the command list of `block` for the connected link and hands it
    // to the command sender.
    void block_to_commands(const EEpromV101& block, bool io, bool network, bool upload, bool operation,
                           bool baud);
    // What the operator must know besides "Import parameters succeeded"
    // (commands left out, another model's file); empty when nothing.
    QString importNote() const { return m_importNote; }
    bool isConnected() const { return m_connected; }

public slots:
    void on_cb_language_activated(QString arg1);
    void on_pb_choosedir_clicked();
    void on_pb_importone_clicked();
    void on_pb_export_clicked();
    void on_cb_type_activated(int index);
    void on_cb_upgradearg1_activated(int index);
    void on_pb_upgradePath_clicked();
    void on_pb_checkUse_clicked();
    void on_pb_upgrade_clicked();

signals:
    void sig_UploadZone(ZoneDef* zoneDef);
    void sig_import_Cmds(QStringList cmds);
    void sig_GS_PACK(QString cmd);
    void sig_wait(bool state);
    void sig_synstatus(bool add, int status);
    void sig_getDevInfo(bool isUDP);
    void sig_upgrade(QString name, int port, QString path, QString type);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyAccess();
    void labelUpgradeTargets(int index);
    void error(const QString& text);
    void warn(const QString& text);

    Ui::Page_Config* ui;
    bool m_connected = false;
    QString m_linkType;
    QString m_lidarType;
    bool m_isBox = false;
    int m_rightLevel = 0;

    // The choices and the file of the import in progress.
    ImportChoices m_choices;
    bool m_importZones = false;
    std::optional<EEpromV101> m_fileBlock;
    std::vector<uint8_t> m_fileZones;  // kZoneDefSize bytes when the file had zones
    QString m_importNote;
};
