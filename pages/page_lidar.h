#pragma once
// Point-cloud page: hosts the live view (scene, view and point-cloud item),
// the measurement controls (start, stop, restart), the "save log" switch and,
// in its side panel, the sector data page. Widgets only; GUI thread only.
//
// It talks to the workers through its signals, which the main window routes
// (commands to the command sender, zone operations to the data receiver,
// messages to the main window).

#include <QByteArray>
#include <QString>
#include <QWidget>
#include <vector>

#include "graphics_item_data.h"
#include "metatypes.h"
#include "rawdata.h"
#include "zonealarm.h"

class Page_Span;
class QTimer;

namespace Ui {
class Page_lidar;
}

class Page_lidar : public QWidget {
    Q_OBJECT

public:
    // Length of the period after a start or restart during which the serial
    // hardware-fault texts are held back.
    static constexpr int kSpinUpMs = 10000;

    explicit Page_lidar(QWidget* parent = nullptr);
    ~Page_lidar() override;

    Graphics_Item_Data* item() const { return m_item; }
    Graphics_scene* scene() const { return m_scene; }
    Graphics_view* view() const { return m_view; }
    Page_Span* spanPage() const { return m_span; }

    // ---- called by the main window
    // Connected state (a parameter block arrived) with the link type, or the
    // no-device state.
    void setConnected(bool connected, const QString& linkType = QString());
    bool isConnected() const { return m_connected; }
    // Status bits of the main window (see MainPage::stateFlags).
    void setStateFlags(int flags) { m_stateFlags = flags; }
    // Fault text of the last device state record and the zone the scanner
    // evaluates (-1: zones not supported).
    void setDeviceState(const QString& faultText, int zoneState);
    QString faultText() const { return m_faultText; }
    int activeZone() const { return m_activeZone; }
    void setZoneControlsEnabled(bool enabled);
    void setIoControlsEnabled(bool enabled);
    // Rotation direction flag (0 or 1); mirrors the view when non-zero.
    void setDirection(int direction);
    void setOffsetAngle(int angle) { m_offsetAngle = angle; }
    void setReplyText(const QByteArray& text);
    void setStatusValue(int value);
    // Back to the state of a fresh page: no points, not connected.
    void resetPage();
    // Sets every visible text again (after a language switch).
    void retranslate();

public slots:
    void on_pb_start_clicked();
    void on_pb_stop_clicked();
    void on_pb_restart_clicked();
    void on_checkBox_toggled(bool checked);

    void recv_lidarData(std::vector<RawData> data);
    void recv_spanData(RawData data);
    void recv_zonearg(zones data);

signals:
    void sig_C_PACK(QString cmd);
    void sig_S_PACK(QString cmd);
    void sig_zoneCmd(int flag, zones data);
    void sig_wait(bool state);
    void sig_PlayBackFileName(QString filename);
    void sig_isplayback(bool isplay);
    void sig_playprogress(int progress);
    // The main window starts or stops the recorder; setSaveLogResult reports back.
    void sig_saveLog(bool isSave);
    void sig_data(int type, QByteArray info);
    void sig_cmd(int mode, QString cmd);

public:
    // The outcome of a save-log request: a refused start unchecks the box
    // without asking for a stop.
    void setSaveLogResult(bool recording);

private:
    void startSpinUpTimer();
    void setRunning(bool running);

    Ui::Page_lidar* ui;
    Graphics_scene* m_scene = nullptr;
    Graphics_view* m_view = nullptr;
    Graphics_Item_Data* m_item = nullptr;
    Page_Span* m_span = nullptr;
    QTimer* m_spinUp = nullptr;

    zones m_zones{};
    bool m_connected = false;
    bool m_running = true;
    int m_stateFlags = 0;
    int m_activeZone = -1;
    int m_direction = 0;
    int m_offsetAngle = 1800;
    QString m_linkType;
    QString m_faultText;
};
