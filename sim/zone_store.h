#pragma once
// The simulator's zone image store: answers the zone read requests (size
// query, 512-byte pieces) and write requests (erase, pieces, reload) the way a
// scanner does, and can be told to misbehave for tests (--zone-fault).
//
// A plain class, not thread-safe: the simulator's command dispatcher owns it
// and calls it from one thread. Replies are complete 'L','H' frames with the
// reply code of the request mode and the request's sequence number.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

enum class ZoneFault {
    None,
    WrongSize,    // the size answer announces 512 bytes more than the image
    ShortPiece,   // pieces carry 511 bytes
    BadCrc,       // the size answer announces a wrong CRC
    ErrorResult,  // reads answer "no usable image", writes answer result 5 "flash busy"
    // Every request is answered with success, but the stored image has one
    // table byte changed (and a header CRC that matches it), as a scanner with
    // a failing flash would keep it: only a comparison with what was written finds it.
    CorruptStore,
};

class ZoneStore {
public:
    ZoneStore();  // starts with a valid empty image

    // Handles one zone request frame (mode 0x5A47 read or 0x5A53 write, body as
    // received, already CRC-checked by the caller) and returns the complete
    // reply frames to send, in order. Other modes get no reply.
    std::vector<QByteArray> handle(uint16_t mode, uint16_t sn, const QByteArray& body);

    QByteArray image() const;  // the stored 212992-byte image
    // Replaces the stored image (any content; the scanner stores what it is given).
    // A buffer of another size is ignored.
    void setImage(const QByteArray& image);
    bool load(const QString& path);  // persisted state (raw image file)
    bool save(const QString& path) const;
    void setFault(ZoneFault fault);
    // "none", "wrong-size", "short-piece", "bad-crc", "error" or "corrupt-store".
    static ZoneFault parseFault(const QString& text, bool* ok);

    // Result codes of write replies.
    enum WriteResult : uint32_t {
        ResultOk = 0,
        ResultShortRequest = 1,
        ResultBadSize = 2,
        ResultNotErased = 3,
        ResultCrcMismatch = 4,
        ResultBusy = 5,
        ResultBadHeader = 6,
        ResultBadPiece = 7,
    };

private:
    QByteArray handleRead(const QByteArray& body) const;
    QByteArray handleWrite(const QByteArray& body);
    void corruptStoredImage();

    QByteArray m_image;
    bool m_valid = true;  // false from an erase until a reload that checks out
    bool m_erased = false;
    QByteArray m_staging;
    uint32_t m_expectedCrc = 0;
    ZoneFault m_fault = ZoneFault::None;
    // The last write request and its answer, for a request sent again.
    int m_lastWriteSn = -1;
    QByteArray m_lastWriteBody;
    QByteArray m_lastWriteReply;
};
