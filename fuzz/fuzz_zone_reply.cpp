// Zone transfer replies as the zone worker receives them. The first input byte
// picks how the rest is used:
//   0 raw read:   the rest is a receive buffer of read replies after a read start;
//   1 raw write:  the rest is a receive buffer of write replies after a write start;
//   2 read script: a well-behaved scanner answers every request of a read, and
//                 each input byte spoils (or not) the answer to one request;
//   3 write script: the same for a write.
// Whatever arrives, a handler never reads outside the buffer, never moves the
// consumed count past it, and a read only succeeds with the image the scanner
// actually holds.

#include <QByteArray>
#include <QObject>
#include <QtGlobal>
#include <vector>

#include "crc32.h"
#include "fuzz_entry.h"
#include "le_bytes.h"
#include "zonealarm.h"

namespace {

constexpr int kSn = 0x1234;

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

// The scanner's stored image: one triangle in zone 3, a valid header and CRC.
const ZoneDef& scannerImage() {
    static const ZoneDef* image = [] {
        auto* def = new ZoneDef{};
        def->magic = kZoneMagic;
        def->version = kZoneVersion;
        def->size = kZoneDefSize;
        def->tableSize = kZoneTableAreaSize;
        uint8_t* r = def->records[3];
        r[0] = ZoneShapePolygon;
        r[1] = 3;
        r[2] = ZoneKindAlarm;
        r[3] = 6;
        const int32_t values[6] = {1000, -500, 2000, 0, 1000, 500};
        for (int i = 0; i < 6; ++i) put_le32(r + 4 + 4 * i, uint32_t(values[i]));
        def->crc = zonedef_crc(*def);
        return def;
    }();
    return *image;
}

// A reply frame: "LH", code, sn, u16 body length, body, 4 CRC bytes.
std::vector<uint8_t> frame(uint16_t code, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> f(8 + body.size() + 4, 0);
    f[0] = 'L';
    f[1] = 'H';
    put_le16(f.data() + 2, code);
    put_le16(f.data() + 4, kSn);
    put_le16(f.data() + 6, uint16_t(body.size()));
    std::copy(body.begin(), body.end(), f.begin() + 8);
    return f;
}

// The offsets the worker asked for, in order.
struct Requests {
    std::vector<uint32_t> offsets;
    void attach(ZoneAlarm& z) {
        QObject::connect(&z, &ZoneAlarm::sig_ZoneCMD, &z,
                         [this](int, QString, int, int, int, int len, QByteArray cmd, bool) {
                             FUZZ_CHECK(len == cmd.size());
                             FUZZ_CHECK(cmd.size() >= 12);
                             offsets.push_back(le32(reinterpret_cast<const uint8_t*>(cmd.constData()) + 4));
                         });
    }
};

bool isHandlerResult(int r) {
    return r == 1 || r == 0 || r == -1 || r == -2 || r == -3 || r == -4 || (r <= -11 && r >= -16);
}

// Feeds a buffer of replies to one handler the way the receiver does.
template <typename Handler>
void feedRaw(const uint8_t* bytes, size_t size, Handler handle) {
    int consumed = 0;
    for (int round = 0; round < 1000; ++round) {
        const int before = consumed;
        const int r = handle(bytes, int(size), &consumed);
        FUZZ_CHECK(isHandlerResult(r));
        FUZZ_CHECK(consumed >= before && size_t(consumed) <= size);
        if (r != 0 || consumed == before) return;
    }
}

void readScript(fuzz::Reader& in) {
    ZoneAlarm z;
    Requests req;
    req.attach(z);
    const ZoneDef& image = scannerImage();
    const auto* stored = reinterpret_cast<const uint8_t*>(&image);
    z.readStart(kSn);

    bool spoiled = false;
    int result = 0;
    while (result == 0 && !req.offsets.empty() && !in.empty()) {
        const uint32_t asked = req.offsets.back();
        req.offsets.clear();
        const uint8_t action = in.byte();
        std::vector<uint8_t> body(12, 0);
        put_le32(body.data(), kZoneVersion);
        if (asked == kZoneSizeQuery) {
            put_le32(body.data() + 4, kZoneSizeAnswer);
            body.resize(20);
            put_le32(body.data() + 12, kZoneDefSize);
            put_le32(body.data() + 16, crc32_words(stored, kZoneDefSize / 4));
        } else {
            uint32_t offset = asked;
            if (action % 8 == 7) offset += kZonePieceSize;  // a piece out of order
            put_le32(body.data() + 4, offset);
            put_le16(body.data() + 8, action % 8 == 4 ? 511 : kZonePieceSize);
            if (offset + kZonePieceSize <= kZoneDefSize)
                body.insert(body.end(), stored + offset, stored + offset + kZonePieceSize);
            if (action % 8 == 5 && body.size() > 12) body[12 + in.byte() % (body.size() - 12)] ^= 0x5A;
        }
        // 0..3 a clean answer; 4 wrong length, 5 damaged data, 6 wrong version, 7 another piece.
        if (action % 8 >= 4 && (asked != kZoneSizeQuery || action % 8 == 6)) spoiled = true;
        if (action % 8 == 6) put_le32(body.data(), 0x100);
        const std::vector<uint8_t> reply = frame(0xA5B8, body);
        int consumed = 0;
        result = z.onReadReply(reply.data(), int(reply.size()), kSn, &consumed);
        FUZZ_CHECK(isHandlerResult(result));
        FUZZ_CHECK(size_t(consumed) == reply.size() - 4);
    }
    if (result == 1) {
        FUZZ_CHECK(!spoiled);
        FUZZ_CHECK(std::memcmp(z.zoneDef(), &image, sizeof image) == 0);
        FUZZ_CHECK(z.getZones().count == 1 && z.getZones().entries[0].zoneId == 3);
    }
}

void writeScript(fuzz::Reader& in) {
    ZoneAlarm z;
    Requests req;
    req.attach(z);
    if (!z.writeStart(zones{}, kSn)) return;
    // What the scanner holds: the pieces written since its last erase.
    std::vector<bool> written(kZonePieceCount, false);
    bool refused = false;
    int result = 0;
    while (result == 0 && !req.offsets.empty() && !in.empty()) {
        const uint32_t asked = req.offsets.back();
        req.offsets.clear();
        const uint8_t action = in.byte();
        if (asked == kZoneErase) written.assign(kZonePieceCount, false);
        if (asked % kZonePieceSize == 0 && asked < kZoneDefSize) written[asked / kZonePieceSize] = true;
        std::vector<uint8_t> body(12, 0);
        uint32_t echo = asked;
        if (action % 8 == 5) echo = asked ^ (1u << (in.byte() % 32));
        put_le32(body.data() + 4, echo);
        if (action % 8 == 6) {
            put_le32(body.data() + 8, 1);
            const char text[] = "flash busy";
            body.insert(body.end(), text, text + sizeof text - (action & 0x80 ? 1 : 0));
            refused = true;
        }
        if (action % 8 == 7) body.resize(in.byte() % 12);
        const std::vector<uint8_t> reply = frame(0xA5AC, body);
        int consumed = 0;
        result = z.setZoneRev(reply.data(), int(reply.size()), kSn, &consumed);
        FUZZ_CHECK(isHandlerResult(result));
        if (result == 1) FUZZ_CHECK(asked == kZoneReload);
    }
    if (result == 1) {
        // Success means the scanner holds the whole image.
        FUZZ_CHECK(!refused);
        for (bool piece : written) FUZZ_CHECK(piece);
    }
}

}  // namespace

VANTREL_FUZZ_TARGET(zone_reply) {
    static const bool silenced = (qInstallMessageHandler(quiet), true);
    (void)silenced;
    fuzz::Reader in(data, size);
    const uint8_t mode = in.byte() % 4;
    if (mode == 2) {
        readScript(in);
        return 0;
    }
    if (mode == 3) {
        writeScript(in);
        return 0;
    }
    size_t n = 0;
    const uint8_t* rest = in.rest(n);
    const auto exact = fuzz::exactCopy(rest, n);
    ZoneAlarm z;
    if (mode == 0) {
        z.readStart(kSn);
        feedRaw(exact.get(), n,
                [&](const uint8_t* b, int avail, int* c) { return z.onReadReply(b, avail, kSn, c); });
    } else {
        z.writeStart(zones{}, kSn);
        feedRaw(exact.get(), n,
                [&](const uint8_t* b, int avail, int* c) { return z.setZoneRev(b, avail, kSn, c); });
    }
    return 0;
}
