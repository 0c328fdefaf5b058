#pragma once
// Point-cloud page: the working page of a connected scanner. It hosts the
// live view (scene, view and point-cloud item), the measurement controls,
// the alarm-zone controls (read, write, switch, copy, clear, export, offline
// import), the view options, the target-resolution presets that bound zone
// distances, the I/O indicators and, in a side panel that slides in from the
// right, the sector data page and the zone drawing page. It keeps the
// scanner's working zone list and draws the edit zone's shapes over the scan.
// Widgets only; GUI thread only.
//
// It talks to the workers through its signals, which the main window routes
// (commands to the command sender, zone operations to the data receiver,
// messages to the main window).

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>
#include <memory>
#include <vector>

#include "bpointitem.h"
#include "graphics_item_data.h"
#include "metatypes.h"
#include "rawdata.h"
#include "zonealarm.h"

class BGraphicsItem;
class Dialog_ResolutionView;
class Page_DrawZone;
class Page_Span;
class QAction;
class QPropertyAnimation;
class QPushButton;
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
    static constexpr int kRefreshMs = 100;
    static constexpr int kPanelAnimationMs = 500;
    // A zone's entries may carry at most this many bytes at 8 per point.
    static constexpr int kZoneBytesLimit = 959;
    // Shapes further out than this (mm) are drawn with a warning.
    static constexpr double kMaxDrawMm = 40000;
    // The five I/O indicators, for the bits 0x10, 8, 4, 2, 1.
    static constexpr int kIoIndicators = 5;

    explicit Page_lidar(QWidget* parent = nullptr);
    ~Page_lidar() override;

    Graphics_Item_Data* item() const { return m_item; }
    Graphics_scene* scene() const { return m_scene; }
    Graphics_view* view() const { return m_view; }
    Page_Span* spanPage() const { return m_span; }
    Page_DrawZone* drawZonePage() const { return m_drawZone; }

    // ---- called by the main window
    // Connected state (a parameter block arrived) with the link type, or the
    // no-device state.
    void setConnected(bool connected, const QString& linkType = QString());
    bool isConnected() const { return m_connected; }
    // Status bits of the main window (see MainPage::stateFlags).
    void setStateFlags(int flags) { m_stateFlags = flags; }
    // Fault text of the last device state record and the zone the scanner
    // evaluates (-1: zones not supported). A newly reported zone becomes the
    // edit zone too.
    void setDeviceState(const QString& faultText, int zoneState);
    QString faultText() const { return m_faultText; }
    int activeZone() const { return m_activeZone; }
    // States of the five I/O indicators (bits 0x10, 8, 4, 2, 1): 0 off (grey),
    // 1 green, 2 blue, 3 yellow, 4 red.
    void setIoStates(const QVector<int>& states);
    QVector<int> ioStates() const { return m_ioStates; }
    // The I/O configuration: NPN or PNP outputs and 12 bytes of the output map
    // (byte k: outputs driven by status k, bit i = output i + 1).
    void setIoConfig(bool npn, const QByteArray& outMap);
    void setZoneControlsEnabled(bool enabled);
    void setIoControlsEnabled(bool enabled);
    // Rotation direction flag (0 or 1); mirrors the view when non-zero.
    void setDirection(int direction);
    int direction() const { return m_direction; }
    void setOffsetAngle(int angle) { m_offsetAngle = angle; }
    void setReplyText(const QByteArray& text);
    // The login's right level: the admin button shows at level 2 only.
    void setStatusValue(int value);
    // Zones read from the scanner: they become the working list, the drawing
    // page's list and the shapes on the view.
    void loadZones(const zones& data);
    // The sector data page learns its sectors again.
    void resetSpan();
    // Back to the state of a fresh page: no points, not connected.
    void resetPage();
    // Sets every visible text again (after a language switch).
    void retranslate();

    // ---- zone state, for the main window and tests
    const zones& workingZones() const { return *m_zones; }
    int editZone() const { return m_editZone; }
    int maxDrawDistance() const { return m_maxDistance; }
    QStringList presetNames() const { return m_presetNames; }
    QStringList presetValues() const { return m_presetValues; }
    // The shape items on the view (the edit zone's entries).
    const QList<BGraphicsItem*>& shapes() const { return m_shapes; }
    bool isSidePanelShown() const { return m_panelShown; }
    // Reads a parameter file's zone image (offline import, as the import
    // button does after its file dialog). False, with the warning shown, on failure.
    bool importZones(const QString& path);
    // Starts playback of a recording (as the playback button does after its file dialog).
    void startPlayback(const QString& path);

public slots:
    void on_pb_start_clicked();
    void on_pb_stop_clicked();
    void on_pb_restart_clicked();
    void on_checkBox_toggled(bool checked);

    void on_pb_addzone_clicked();
    void on_pb_readzone_clicked();
    void on_pb_setzone_clicked();
    void on_pb_changezone_clicked();
    void on_pb_copyzone_triggered(QAction* action);
    void on_pb_clearzone_triggered(QAction* action);
    void on_pb_exportzone_clicked();
    void on_pb_importzone_clicked();
    void on_pb_callback_clicked();
    void on_pb_admin_clicked();
    void on_pb_stretch_clicked();
    void on_cb_changezone_currentIndexChanged(int index);
    void on_cb_changezone_2_activated(const QString& text);
    void on_cb_direction_currentIndexChanged(int index);
    void on_tb_resolution_triggered(QAction* action);
    void on_cb_background_stateChanged(int state);
    void on_cb_bgColorIdx_currentIndexChanged(int index);
    void on_cb_pointSize_currentTextChanged(const QString& text);
    void on_cb_invert_toggled(bool checked);
    void on_cb_pointtoline_toggled(bool checked);
    void on_cb_putdown_toggled(bool checked);
    void on_cb_stopplay_toggled(bool checked);
    void on_cb_center_toggled(bool checked);

    void recv_map(QStringList names, QStringList values);
    void recv_zonearg(zones data);
    void recv_lidarData(std::vector<RawData> data);
    void recv_spanData(RawData data);
    void recv_factor(double factor);
    void recv_synScenePos(QPointF point);
    void recv_mouseMovePoint(QPoint pos);
    void recv_mouseMoveFrag(bool flag);
    void recv_scope(bool ok);
    void recv_scope2(range r);
    void recv_filter();
    void recv_refresh();
    void recv_refresh2();
    void recv_CacheData(std::vector<RawData> data, float progress);
    void recv_playclose();
    void recv_playprogress(std::vector<RawData> data);
    // A shape's geometry report (see BGraphicsItem::sig_syn).
    void recv_shapeSyn(Point_double* data, int size, int uuid, int flag);

signals:
    void sig_C_PACK(QString cmd);
    void sig_S_PACK(QString cmd);
    // 1 read, 2 write, 4 build the image for export.
    void sig_zoneCmd(int flag, zones data);
    void sig_wait(bool state);
    void sig_PlayBackFileName(QString filename);
    void sig_isplayback(bool isplay);
    void sig_playprogress(int progress);
    // The main window starts or stops the recorder; setSaveLogResult reports back.
    void sig_saveLog(bool isSave);
    void sig_data(int type, QByteArray info);
    void sig_cmd(int mode, QString cmd);
    // Cached playback frames, for the playback dialog once one is attached.
    void sig_CacheData(std::vector<RawData> data, float progress);
    // The admin button: the admin page is to be shown for this link type.
    void sig_openAdmin(QString linkType);
    // "Export revolution...": the revolution on screen is to be written to a file.
    void sig_exportRevolution();
    // "Zone what-if...": the playback file is to be checked against the working zones.
    void sig_whatIf();
    // "Commissioning report…": the main window reads the scanner and writes its report.
    void sig_commissioningReport();

public:
    // The outcome of a save-log request: a refused start unchecks the box
    // without asking for a stop.
    void setSaveLogResult(bool recording);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // ---- construction and view (page_lidar.cpp)
    void buildSidePanel();
    void connectView();
    void startSpinUpTimer();
    void setRunning(bool running);
    void applyTheme();
    void placeSidePanel(bool animate);
    void showSidePanel(bool shown);
    void updateZoneLabels();
    void setEditZone(int zone);
    void warn(const QString& text);

    // ---- actions beyond the form's controls (page_lidar_actions.cpp)
    void buildActionButtons();
    void retranslateActionButtons();

    // ---- zones (page_lidar_zones.cpp)
    ZoneAlarm& offlineZones();
    void buildZoneMenus();
    void loadPresets();
    void rebuildResolutionMenu();
    bool checkForWrite(zones& list);
    void writeZones(const zones& list);
    void setWorkingZones(const zones& list);
    void redrawShapes(bool warnFar);
    void clearShapes();
    static int zoneOfAction(const QAction* action);

    Ui::Page_lidar* ui;
    Graphics_scene* m_scene = nullptr;
    Graphics_view* m_view = nullptr;
    Graphics_Item_Data* m_item = nullptr;
    Page_Span* m_span = nullptr;
    Page_DrawZone* m_drawZone = nullptr;
    QTimer* m_spinUp = nullptr;
    QTimer* m_refreshTimer = nullptr;
    QPropertyAnimation* m_panelAnimation = nullptr;
    QPointer<Dialog_ResolutionView> m_resolutionDialog;
    QPushButton* m_pbExportRevolution = nullptr;
    QPushButton* m_pbWhatIf = nullptr;
    QPushButton* m_pbReport = nullptr;     // "Commissioning report…", live with a connected scanner
    std::unique_ptr<ZoneAlarm> m_offline;  // decodes imported images; created on first need
    bool m_offlineImported = false;

    std::unique_ptr<zones> m_zones;  // the working list (22 KB: kept off the stack)
    QList<BGraphicsItem*> m_shapes;
    bool m_refreshPending = false;
    int m_editZone = 0;
    int m_maxDistance = 0;
    QStringList m_presetNames;
    QStringList m_presetValues;

    double m_factor = 0.1;  // scene units per millimetre
    QPoint m_sceneOffset;   // the point cloud's drag
    QPointF m_origin;       // scanner origin in the scene
    bool m_mouseFrag = false;
    bool m_panelShown = false;
    bool m_invert = false;

    bool m_connected = false;
    bool m_running = true;
    int m_stateFlags = 0;
    int m_activeZone = -1;
    int m_direction = 0;
    int m_offsetAngle = 1800;
    int m_statusValue = 0;
    QVector<int> m_ioStates;
    QString m_linkType;
    QString m_faultText;
};
