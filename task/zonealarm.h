#pragma once
// ZoneAlarm: the zone image codec and the zone transfer protocol.
//
// Thread affinity: a plain QObject without a thread of its own. The data
// receiver creates it on its worker thread and calls every method there; the
// GUI never touches its buffers (the decoded list leaves as a copy).
//
// It sends nothing itself: each request body goes out through sig_ZoneCMD,
// which the command sender frames and transmits. The receiver feeds every
// zone reply to onReadReply / setZoneRev and ends the operation when they
// return 1 or a value below -2.
//
// Progress and failures go out through sig_progress(rate, title, info):
// rate 0..100 is progress, a negative rate a failure code.
//
//   rate  info                                    handler result
//   -1    "The alarm zone is not initialized ..."  -11
//   -2    "size %1 != %2"                         -12
//   -3    "error:%1 + %2 > %3"                    -13
//   -4    "sub packet len %1 !=512"               -14
//   -5    "crc error:PC:%1 :MCU:%2"               -3
//   -6    "bad zone header"                       -3
//   -7    "crc error"                             -3
//   -8    "sub packet hole %1"                    -3
//   -9    "reply too short:%1"                    -15  (body shorter than the fields it must carry)
//   -10   "unexpected reply offset:%1"            -16  (write echo that is no erase, reload or piece)
//   -11   refusal text of the zone list           writeStart returns false, nothing sent
//   25    "resp result:%1 msg:%2"                 -11  (write refused by the scanner)
// A read piece whose end passes the image ends the read with -4 silently.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "zone_image.h"
#include "zone_types.h"

Q_DECLARE_METATYPE(zones)
Q_DECLARE_METATYPE(ZoneDef*)

class ZoneAlarm : public QObject {
    Q_OBJECT
public:
    // Handler results beyond the table above.
    static constexpr int kReplyTooShort = -15;
    static constexpr int kUnexpectedOffset = -16;

    explicit ZoneAlarm(QObject* parent = nullptr);
    ZoneAlarm(int fd, const QString& devIp, int devPort, QObject* parent = nullptr);
    ~ZoneAlarm() override;

    // Registers "zones" and "ZoneDef*" for queued connections. Idempotent.
    static void registerMetaTypes();
    // The operator's words for a check_zone_list refusal (empty for kZoneListOk).
    static QString zoneListRefusal(int status, int badIndex);

    // ---- codec (the image lives in this object; see zoneDef())

    // Builds the worker's image from `data` with the mirroring flag (0: s = +1,
    // 1: s = -1). Returns the image CRC (0 .. 0xFFFFFFFF), or a negative
    // check_zone_list status when the list cannot be packed (lastError() says why).
    qint64 ZonesToZoneDef(const zones& data, int mirror);
    // Decodes `def` (copied into the worker) into the worker's list; false on a
    // bad header ("bad zone header" logged with the three words), leaving the list empty.
    bool ZoneDefToZones(const ZoneDef* def);
    // Decodes the image already held.
    bool ZoneDefToZones();
    // Decodes one slot's records (len bytes) and appends them to the list;
    // slot 0 starts a new list. Returns the number of entries appended.
    int SetGraph(int slot, int len, const uint8_t* data);
    // The entry check before a write (maxDistance in mm, 0 = no limit). May swap
    // a sector's Far and Near. On refusal *message receives the translated text.
    bool validateEntry(ZoneEntry& entry, int maxDistance, QString* message = nullptr);

    // ---- transfer

    // Starts a read: clears list, image and receive buffer, sends the size query.
    void readStart(int sn);
    // Parses a read reply that starts at data[*consumed]; `available` counts bytes
    // from data[0]. Returns 1 done, 0 continue, -1 / -2 too few bytes (wait), or a
    // failure code. *consumed advances past the reply (body length + 8).
    int onReadReply(const uint8_t* data, int available, int sn, int* consumed);
    // Converts `data` and sends the erase request. False (nothing sent) when the
    // list cannot be packed.
    bool writeStart(const zones& data, int sn);
    // Parses a write reply, like onReadReply.
    int setZoneRev(const uint8_t* data, int available, int sn, int* consumed);
    // Decodes `def` into the list, then writes that list; false on a bad header.
    bool setZoneSyn(const ZoneDef* def, int sn);

    void setEndpoint(const QString& devIp, int devPort);
    void setFd(int fd);
    void setDirection(int flag);
    int direction() const { return m_mirror; }

    // The decoded list (copy it before handing it to another thread).
    const zones& getZones() const { return *m_zones; }
    // The image buffer (kZoneDefSize bytes), owned by this object.
    ZoneDef* zoneDef() { return m_image.get(); }
    // Direction table of zone `slot` (12000 bytes) from the last image read or decoded.
    const uint8_t* directionTable(int slot) const;
    QString lastError() const { return m_lastError; }

signals:
    void sig_ZoneCMD(int fd_udp, QString dev_ip, int dev_port, int mode, int sn, int len, QByteArray cmd,
                     bool isrepeat);
    void sig_progress(int rate, QString title, QString info);
    // A transfer finished well: 6 read, 7 write, with the CRC in the header of
    // the image read or written (offset 12), for the audit trail.
    void sig_zoneImageCrc(int type, quint32 crc);

private:
    void sendRead(uint32_t offset, uint32_t length, int sn);
    void sendWrite(uint32_t offset, uint16_t length, const uint8_t* data, size_t dataLen, int sn);
    void readProgress(int rate, const QString& info);
    void writeProgress(int rate, const QString& info);
    bool packAll();
    void keepTables();

    int m_fd = 0;
    QString m_devIp;
    int m_devPort = 0;
    int m_mirror = 0;

    // Receive side: the scanner's announced size and CRC, one flag per 512-byte piece.
    uint32_t m_rxTotal = 0;
    uint32_t m_mcuCrc = 0;
    std::vector<uint8_t> m_rxFlags;
    std::vector<uint8_t> m_rxData;

    // Send side, created when a write starts.
    uint32_t m_txTotal = 0;
    uint32_t m_txCrc = 0;
    uint32_t m_txAsked = 0;  // offset (or erase/reload code) of the write request last sent
    std::unique_ptr<ZoneDef> m_tx;

    std::unique_ptr<ZoneDef> m_image;
    std::unique_ptr<zones> m_zones;
    std::vector<uint8_t> m_tables;  // 16 x 12000 bytes
    QString m_lastError;
};
