#pragma once
// MainPage: the single top-level window. Owns every page, the dialogs, every
// worker and the worker threads; opens and closes the link to the scanner,
// routes the workers' messages (recv_data) to pages and message boxes, keeps
// the connection state and switches the user-interface language.
//
// GUI thread only. Workers reach it through queued signals; the only direct
// writes into a worker are the receiver's run flag, calibration reset and
// link hand-over, which that worker makes safe to call from here.

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <QVector>
#include <QWidget>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "audit_log.h"
#include "devconninfo.h"
#include "eeprom.h"
#include "link_open.h"
#include "metatypes.h"
#include "playbackproc.h"
#include "rawdata.h"
#include "scanner_link.h"
#include "zonealarm.h"

class QAbstractButton;
class QThread;
class Dialog_Audit;
class Dialog_Login;
class Dialog_Playback;
class QThreadPool;
class Dialog_Reminder;
class Dialog_WaitSignal;
class Dialog_WaitSignal2;
class Dialog_WhatIf;
class FirmwareUpdateProc;
class HeartBeatProc;
class Page_Admin;
class Page_Box;
class Page_Config;
class Page_Dev;
class Page_Info;
class Page_lidar;
class Page_Main;
class RecvDataProc;
class ReportWriter;
class SendCmdProc;
class ZoneWriteCheck;

namespace Ui {
class MainPage;
}

class MainPage : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kVersion = "V1.7.3.4";
    static constexpr int kDefaultLocalPort = 6668;
    static constexpr int kHeartbeatPort = 6789;

    // Bits of stateFlags.
    static constexpr int kBlockReceived = 0x2;
    static constexpr int kKeepZones = 0x4;
    static constexpr int kZoneWriteFromConfig = 0x8;
    static constexpr int kExportWaiting = 0x10;

    // Where every operator message goes instead of a modal box (tests, the
    // demo's unattended runs). Empty: modal warning boxes. Process-wide.
    using MessageHook = std::function<void(const QString& title, const QString& text)>;
    static void setMessageHook(MessageHook hook);
    // Directory of the catalogues "<Language>.qm"; default: "translations"
    // beside the program. Takes effect at the next language switch.
    static void setTranslationDirectory(const QString& dir);
    static QString translationDirectory();

    explicit MainPage(QWidget* parent = nullptr);
    ~MainPage() override;

    // ---- state, for the pages and for tests
    QString linkType() const { return m_linkType; }
    QString address() const { return m_ipCom; }
    int portOrBaud() const { return m_portBaud; }
    int localPort() const { return m_localPort; }
    int dataHandle() const { return m_dataHandle; }
    // A link is open (and has not been lost) for the receiver and the sender.
    bool isLinkOpen() const { return m_link && m_link->isOpen(); }
    // From recv_start until the scanner's parameter block arrives (or the
    // attempt failed or was cancelled): the wait dialog's Cancel disconnects.
    bool isConnecting() const;
    // Switches the open serial link to `baud` (the scanner accepted "LSBPS").
    // False when no serial link is open or the port refused the rate.
    bool setSerialLinkBaud(int baud);
    int stateFlags() const { return m_stateFlags; }
    const EEpromV101& paramBlock() const { return m_paramBlock; }
    int offsetAngle() const { return m_offsetAngle; }
    int statusValue() const { return m_statusValue; }
    bool serialZoneFlag() const { return m_serialZoneFlag; }
    bool isPlayback() const { return m_isPlayback; }
    QString language() const { return m_language; }
    bool zonesSupported() const { return m_zonesByTable || m_zonesByDevice; }
    Page_lidar* lidarPage() const { return m_pageLidar; }
    Page_Dev* devicePage() const { return m_pageDev; }
    Page_Main* homePage() const { return m_pageMain; }
    Page_Info* infoPage() const { return m_pageInfo; }
    Page_Config* configPage() const { return m_pageConfig; }
    Page_Box* boxPage() const { return m_pageBox; }
    RecvDataProc* receiver() const { return m_receiver; }
    QWidget* currentPage() const;
    Dialog_WaitSignal* waitDialog() const { return m_waitDialog; }
    // The login's right level (statusValue, message type 17) and its dialogs;
    // each dialog is null until first opened.
    int rightLevel() const { return m_statusValue; }
    Dialog_Login* loginDialog() const { return m_loginDialog; }
    Dialog_Audit* auditDialog() const { return m_auditDialog; }
    Dialog_WaitSignal2* progressDialog() const { return m_progressDialog; }
    // The admin window once it has been opened (showAdminPage), else null.
    Page_Admin* adminPage() const { return m_pageAdmin; }

    // ---- playback and revolution export (mainpage_playback.cpp)
    // Plays a recording back: shows the point-cloud page and the playback
    // dialog, and has the playback worker cache the file.
    // With autoPlay the replay starts by itself once revolutions are cached.
    void startPlayback(const QString& filename, bool autoPlay = false);
    Dialog_Playback* playbackDialog() const;
    PlaybackProc* playbackWorker() const { return m_playback; }
    // The revolution on screen, live or played back (empty before the first).
    const std::vector<RawData>& shownRevolution() const { return m_shownRevolution; }
    // Writes the shown revolution as CSV or PLY; on failure *error says why
    // and nothing is left behind.
    bool exportRevolutionTo(const QString& path, bool ply, QString* error);
    // The recording playback last loaded (empty once playback is closed) and
    // the zone what-if dialog once opened (else null).
    QString playbackFile() const { return m_playbackFile; }
    Dialog_WhatIf* whatIfDialog() const;

    // Fault texts of a device state record, translated, in bit order without
    // separator. Serial records hold back the hardware faults while a zone
    // operation or spin-up runs (serialZoneFlag).
    static QString faultText(quint32 word, bool uartRecord, bool serialZoneFlag);
    // States of the point-cloud page's five I/O indicators (bits 0x10, 8, 4,
    // 2, 1 = device health, obscured, observation, warning, alarm) from the
    // fault word of a device state record.
    static QVector<int> ioStates(quint32 word, bool uartRecord);
    ZoneWriteCheck* zoneWriteCheck() const { return m_zoneCheck; }

    // Every operator message passes here: the hook when set, else a modal
    // warning box with a single OK button. title is "warm" or "error" (translated).
    void showMessage(const QString& title, const QString& text);

public slots:
    void on_pb_start_clicked();
    void on_pb_info_clicked();
    void on_pb_lidardata_clicked();
    void on_pb_span_clicked();
    void on_pb_box_clicked();
    void on_pb_dev_clicked();
    void on_pb_config_clicked();
    void on_pb_right_clicked();
    void on_pb_showmax_clicked();
    void on_pb_showmin_clicked();
    void on_pb_close_clicked();

    void recv_data(int type, QByteArray data);
    // Opens the link on a worker thread behind the wait dialog and returns at
    // once; the result comes back to this thread (finishStart).
    void recv_start(QString type, QString ip_com, int port_baud, int remote_port);
    // The receiver found link `linkId` gone: one message, the disconnected state.
    void recv_linkLost(quint64 linkId, QString reason);
    void recv_restart(QString type, QString ip_com, int port_baud, int remote_port);
    void recv_wait(bool state);
    void recv_progress(int rate, QString title, QString info);
    void recv_respondFinish(int type, QString cmd, int time);
    void recv_offsetAngle(int angle);
    void recv_resetSpan();
    void recv_ZoneDef(ZoneDef* def, QString type);
    void recv_UploadZone(ZoneDef* zoneDef);
    void recv_zoneData(zones data);
    void recv_getDevInfo(bool isUDP);
    void recv_import_finish();
    void recv_PlayBackFileName(QString filename);
    void recv_isplayback(bool isplay);
    void recv_upgrade(QString name, int port, QString path, QString type);
    void recv_upgradeFinish(bool value, QString result);
    void recv_setlangunge(QString address);
    void recv_synstatus(bool add, int status);
    void recv_skipFunc(int type);
    void recv_saveLog(bool isSave);
    // Audit trail: a command's outcome from the sender, a zone image's CRC
    // from the receiver, and the trail's dialog (mainpage_rights.cpp).
    void recv_cmdOutcome(int mode, QString cmd, int outcome);
    void recv_zoneImageCrc(int type, quint32 crc);
    void recv_showAudit();
    void recv_CacheData(CachedRevolutions data, float progress);
    // Asks for a file and writes the revolution on screen to it (CSV or PLY).
    void exportRevolution();
    // Checks the playback file against the point-cloud page's working zones
    // and shows the outcome; says so when either is missing.
    void showWhatIf();
    // Opens the admin window (created on first use) with the current link
    // type; the point-cloud page's admin button leads here.
    void showAdminPage();
    // The point-cloud page's "Commissioning report…": asks for engineer, site and file name, reads
    // the connected scanner's block and zones with the wait dialog, and writes
    // the PDF (mainpage_report.cpp). Ends with sig_reportWritten.
    void writeCommissioningReport();
    bool reportReadingZones() const;

signals:
    void SendInit(QString m_type, int m_fd, QString ip_com, int port_baud);
    void sig_playback(QString filename);
    void sig_zonearg(zones data);
    void sig_upgrade(QString name, int port, QString path, QString type);
    // The devices recv_getDevInfo found ("address:port" or "port:baud"), for
    // the configuration page's upgrade selectors (fillUpgradeTargets).
    void sig_upgradeTargets(QStringList devices);
    // Emitted for every operator message, whether shown in a box or not.
    void sig_message(QString title, QString text);
    // The link state changed: true once a link is open, false after closing it.
    void sig_linkChanged(bool open);
    // A commissioning report run ended: written or not, and what the operator was told.
    void sig_reportWritten(bool written, QString text);

private:
    struct PageEntry {
        QWidget* page;
        QAbstractButton* button;
    };

    // ---- construction
    void registerTypes();
    void loadLanguageSetting();
    void buildPages();
    void registerPage(QWidget* page, QAbstractButton* button);
    void showPage(QWidget* page);
    void createWorkers();
    void connectWorkers();
    // Pages written alongside this window; see the marked section in the .cpp.
    void buildPeerPages();
    void connectPeerPages();
    void createPlayback();
    void connectPlayback();
    void showPlaybackRevolution(std::vector<RawData> revolution);
    void rememberShownRevolution(const std::vector<RawData>& revolution);
    void closePlayback();
    // The parameter and configuration pages (mainpage_params.cpp).
    void buildParamPages();
    void connectParamPages();
    void showBlockOnParamPages();
    void applyModelToParamPages(bool zones, bool io, int direction);
    void finishZoneImport(bool written);
    // The algorithm box page and its status datagrams (mainpage_box.cpp).
    void connectBoxPage();
    void handleBoxStatus(const QByteArray& data);

    // ---- language
    void applyLanguage(const QString& language);
    void retranslate();

    // ---- link
    void startWorkers();
    void connectLinkControls();
    void finishStart(unsigned attempt, const LinkOpenResult& result);
    void handOverLink(const LinkOpenResult& result);
    void cancelConnect();
    void abandonOpening();
    void stopOpening();
    void closeLink();
    void disconnectLink();
    bool startFromHomePage(const QString& type, const QString& ip_com, int port_baud, int remote_port);

    // ---- dispatch helpers
    void handleDeviceState(const QByteArray& data);
    void handleParamBlock(const QByteArray& data);
    void applyModel();
    void handleLinkCommand(const QByteArray& data);
    void setDeviceButtonsVisible(bool visible);
    void reloadZonePages();
    // Asks for a file and writes the block (and `image` when given) to it;
    // `rememberPath` stores the choice as the next export's starting point.
    void exportParams(const QString& startDir, const ZoneDef* image, bool rememberPath = false);

    Ui::MainPage* ui;
    std::array<QThread*, 3> m_threads{};  // 0 command sender, 1 playback, 2 firmware
    Dialog_WaitSignal* m_waitDialog = nullptr;
    Dialog_WaitSignal2* m_progressDialog = nullptr;
    QPointer<Dialog_Reminder> m_reminder;  // deletes itself on close
    QTranslator m_translator;
    bool m_translatorInstalled = false;
    QString m_language;

    // ---- pages (null until written; the side-bar button stays hidden)
    QVector<PageEntry> m_pages;
    Page_Main* m_pageMain = nullptr;
    Page_Info* m_pageInfo = nullptr;
    Page_lidar* m_pageLidar = nullptr;
    Page_Box* m_pageBox = nullptr;
    Page_Dev* m_pageDev = nullptr;
    Page_Config* m_pageConfig = nullptr;
    Page_Admin* m_pageAdmin = nullptr;  // a window of its own, made on first use

    // ---- workers
    RecvDataProc* m_receiver = nullptr;
    SendCmdProc* m_sender = nullptr;  // lives on m_threads[0], deleted there
    HeartBeatProc* m_heartbeat = nullptr;
    ZoneWriteCheck* m_zoneCheck = nullptr;  // reads a zone write back and compares
    PlaybackProc* m_playback = nullptr;     // lives on m_threads[1], deleted there

    // ---- playback
    QPointer<Dialog_Playback> m_playbackDialog;
    int m_playbackRuns = 0;  // files handed to the playback worker so far
    std::vector<RawData> m_shownRevolution;
    QString m_exportDir;
    QString m_playbackFile;
    QPointer<Dialog_WhatIf> m_whatIfDialog;
    FirmwareUpdateProc* m_firmware = nullptr;  // lives on m_threads[2], deleted there
    bool m_boxWorkerStarted = false;

    // ---- connection state
    LinkRef m_link;                       // the open link, shared with the receiver and the sender
    QThreadPool* m_linkOpener = nullptr;  // opens links off the GUI thread, one at a time
    unsigned m_openAttempt = 0;           // the attempt whose result is still wanted
    std::shared_ptr<std::atomic<bool>> m_openCancel;  // set: the running attempt is called off
    QString m_linkType;
    QString m_ipCom;
    int m_portBaud = 0;
    int m_localPort = kDefaultLocalPort;
    int m_dataHandle = 0;
    int m_tcpCmdSocket = 0;
    int m_tcpDataSocket = 0;
    EEpromV101 m_paramBlock{};
    int m_stateFlags = 0;
    bool m_zonesByTable = false;
    bool m_zonesByDevice = false;
    bool m_ioByDevice = false;
    bool m_serialZoneFlag = false;
    int m_statusValue = 0;
    int m_offsetAngle = 1800;
    int m_direction = 0;
    bool m_isPlayback = false;
    QString m_lastRefused;
    std::unique_ptr<ZoneDef> m_exportImage;
    std::unique_ptr<zones> m_readZones;  // the last zones read from the scanner
    void connectZoneCheck();

    // ---- rights and audit trail (mainpage_rights.cpp)
    void setupRights();
    // Stores the level and hands it to every widget that takes one.
    void applyRightLevel(int level);
    AuditRecord auditRecord(const char* operation) const;
    void auditZoneResult(int type, const QByteArray& data);
    Dialog_Login* m_loginDialog = nullptr;
    Dialog_Audit* m_auditDialog = nullptr;
    std::optional<quint32> m_zoneCrc;             // of the transfer that just ended
    std::optional<quint32> m_writtenZoneCrc;      // a zone write waiting for its read-back
    std::optional<AuditRecord> m_pendingUpgrade;  // the firmware upgrade under way
    std::optional<AuditRecord> m_pendingImport;   // the parameter import under way
    bool m_auditFailureShown = false;

    // ---- commissioning report
    ReportWriter* m_reportWriter = nullptr;  // made on first use, a child of this window
    QString m_reportEngineer;
    QString m_reportSite;
};
