#pragma once
// RecvDataProc: the receive side of the scanner link. Reads the UDP socket,
// the TCP data connection or the serial port, decodes the stream, builds
// revolutions from fans and publishes everything through signals; paces the
// link with keep-alives and brackets every zone transfer with stop/start.
//
// Thread affinity: the object lives on the thread that created it (the GUI
// thread), so its slots and plain methods run there; run() and the three
// link loops run on the receiver's own thread, as does the ZoneAlarm it
// creates per link. The GUI thread talks to the loop only through atomics and
// the mutex-guarded link settings below; every signal leaves the receiver
// thread and reaches its receivers queued, with copies (RawData and
// std::vector<RawData> by value).
//
// Link handles: the receiver holds the link it reads as a shared ScannerLink.
// When it finds the link gone (the serial port vanished, the device closed
// the TCP connection, the handle broke) it ends that link for every holder
// and reports it once through sig_linkLost; it never closes a descriptor
// itself and lets go of an ended link at once.
//
// Zone conversions (recv_zoneCmd flag 4) run on a worker thread of the
// receiver, never on the caller's (GUI) thread; sig_wait brackets them.

#include <QByteArray>
#include <QString>
#include <QThread>
#include <QThreadPool>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "metatypes.h"
#include "rawdata.h"
#include "scan_decoder.h"
#include "scanner_link.h"
#include "zonealarm.h"
#include "zonerequest.h"

class RecvTCPProc;

class RecvDataProc : public QThread {
    Q_OBJECT
public:
    // Capacity of the stream buffer of the UDP, serial and TCP data loops.
    static constexpr int kRecvBufferSize = 8192;
    // Silent serial rounds (about 1 ms each) before the port list is checked.
    static constexpr int kSerialIdleRounds = 10000;

    explicit RecvDataProc(QObject* parent = nullptr);
    // Ends run() for good and waits for it (at most about one second).
    ~RecvDataProc() override;

    // 0 stop / idle, 1 running, 2 initialised and waiting for the go (serial
    // links wait; UDP and TCP treat 2 as running). Written by the GUI thread.
    std::atomic<int> runFlag{1};

    // TCP links: the command connection (port P) and P. Call before recv_Init.
    void setCommandLink(int cmdSocket, int cmdPort);
    // Reads `link` from now on, like recv_Init (runFlag = 2), sharing it with
    // its other holders. cmdPort: P on TCP links (the command connection is
    // the link's commandFd()), else unused.
    void attachLink(const QString& type, LinkRef link, const QString& ip_com, int port_baud, int cmdPort = 0);
    // The scanner took a new address ("LSUDP:"): the loop and its zone worker
    // address it from the next round on.
    void setAddress(const QString& ip_com, int port_baud);
    // Rotation direction flag (0 or 1) for the zone image conversion.
    void setDirection(int flag);
    // Restarts the frame calibration: boundary, cached boundary and the
    // revolution being collected are dropped by the loop before its next fan.
    // Safe from any thread.
    void resetCalibration();

    // Thread-safe copies of the link settings.
    QString linkType() const;
    QString address() const;

public slots:
    // Stores the link and sets runFlag = 2. The loop switches to the new link
    // within one round. The descriptors stay the caller's (they are borrowed).
    void recv_Init(QString type, int fd, QString ip_com, int port_baud);
    // flag 1 read the zones, 2 write `data`, 3 upload the stored image, 4 convert
    // `data` to an image and emit sig_ZoneDef(image, "setzone"); 0 cancels.
    void recv_zoneCmd(int flag, zones data);
    // Copies the 212992-byte image and asks for its upload.
    void recv_UploadZone(ZoneDef* zoneDef);
    // Writes an empty zone set.
    void recv_zoneinit();

signals:
    // A whole revolution, fans from the boundary to the boundary (spans add up to 3600).
    void sig_lidarData(std::vector<RawData> data);
    // Every decoded fan with points, before anything else is done with it.
    void sig_spanData(RawData data);
    // To the main window: 1 error text, 4 device record, 5 parameter block (512
    // bytes), 6/7 zone read/write result (decimal text), 11 "1" after a serial
    // zone operation, 12 reply payload or text line.
    void sig_data(int type, QByteArray data);
    void sig_zoneData(zones data);
    // The whole image of a successful zone read (212992 bytes), before its type 6 result.
    void sig_zoneImage(QByteArray image);
    void sig_progress(int rate, QString title, QString info);
    // Header CRC of the zone image after a transfer that went well (6 read, 7 write).
    void sig_zoneImageCrc(int type, quint32 crc);
    void sig_CmdRecv(int sign, int sn, bool isOK);
    // The frame boundary found by calibration, 0.1 degree.
    void sig_offsetAngle(int angle);
    void sig_uartState(bool smooth, bool fitter);
    // `def` stays valid until the next flag-4 request; it is owned by the receiver.
    void sig_ZoneDef(ZoneDef* def, QString type);
    void sig_ZoneCMD(int fd_udp, QString dev_ip, int dev_port, int mode, int sn, int len, QByteArray cmd,
                     bool isrepeat);
    // The link `linkId` (ScannerLink::id) is gone; `reason` is the text for
    // the operator. Once per link, whichever loop noticed it.
    void sig_linkLost(quint64 linkId, QString reason);
    // true while a zone conversion runs, false when it ended.
    void sig_wait(bool flag);
    void sig_RunOver();
    void sig_zoneMode(int flag, zones data);

protected:
    void run() override;

private:
    struct Link {
        QString type;
        LinkRef handles;  // keeps fd and cmdSocket reserved while the loop uses them
        int fd = 0;
        QString ip;
        int port = 0;
        int cmdSocket = 0;
        int cmdPort = 0;
    };
    enum class LoopEnd { Stopped, Lost, Reinit };
    struct Loop;

    Link snapshot() const;
    void releaseEndedLink();
    bool keepRunning(Loop& loop);
    void reportLoss(Loop& loop, const QString& reason);
    bool serialLost(Loop& loop, int got, int& idleRounds, int64_t& errorSinceMs);
    void finishConversion(const std::shared_ptr<ZoneDef>& image, const QString& error);
    LoopEnd run_udp(const Link& link, unsigned generation);
    LoopEnd run_uart(const Link& link, unsigned generation);
    LoopEnd run_tcp(const Link& link, unsigned generation);

    void createZoneWorker(Loop& loop);
    void dropZoneWorker();
    void applyCalibrationReset();
    void keepAlive(Loop& loop, int sock, int port);
    void handleFan(const RawData& fan);
    void handleCommonKind(int kind, Loop& loop, size_t consumed);
    void handleZoneReply(int kind, Loop& loop, size_t len, size_t& consumed);
    void startPendingZoneOp(Loop& loop);
    void sendStop(Loop& loop);
    void sendRestart(Loop& loop, bool afterRead);
    bool decodeStreamFront(Loop& loop, bool legacyAllowed);
    void sleepWhileRunning(Loop& loop, int ms);

    // ---- link settings: written by the GUI thread, snapshotted by the loop
    mutable std::mutex m_linkMutex;
    ZoneAlarm* zoneWorker = nullptr;       // receiver thread only
    std::shared_ptr<ZoneRequests> m_zone;  // zoneList, uploadImage, pending operation
    QString type;
    LinkRef m_handles;
    int fd = 0;
    QString ip_com;
    int port_baud = 0;
    int cmdSocket = 0;
    int cmdPort = 0;
    std::atomic<unsigned> m_linkGeneration{0};     // bumped by recv_Init
    std::atomic<unsigned> m_addressGeneration{0};  // bumped by setAddress

    // ---- receiver thread only
    int streamMode = kStreamModeGeneral;  // kept across links, like the status flags
    uint8_t m_statusFlags[8];
    std::string m_errorText;
    int boundaryAngle = -1;
    int cachedBoundary = -1;
    std::vector<RawData> accumulator;
    RecvTCPProc* tcpWorker = nullptr;
    QThread* tcpThread = nullptr;

    std::atomic<bool> m_resetRequested{false};
    std::atomic<bool> m_quit{false};

    // The image of the last flag-4 conversion (GUI thread).
    std::unique_ptr<ZoneDef> m_exportImage;
    // Zone conversions; one at a time, in the order asked. Declared last so
    // it is destroyed (waiting for a running conversion) first.
    QThreadPool m_converters;
};
