// The zone transfer protocol, driven by feeding ZoneAlarm the replies of the
// simulator's zone store (or hand-built replies) and watching its requests
// and progress reports.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QMetaType>
#include <QSignalSpy>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "crc32.h"
#include "zone_image.h"
#include "zone_store.h"
#include "zonealarm.h"

namespace {

uint32_t u32At(const char* p) {
    const auto* b = reinterpret_cast<const uint8_t*>(p);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}
uint16_t u16At(const char* p) {
    const auto* b = reinterpret_cast<const uint8_t*>(p);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}
void put32(QByteArray& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.append(char(v >> (8 * i)));
}

// A reply frame built by hand: 'L','H', code, sn, u16 body length, body, 4 CRC bytes (not checked here).
QByteArray replyFrame(uint16_t code, uint16_t sn, const QByteArray& body) {
    QByteArray f("LH");
    f.append(char(code & 0xFF)).append(char(code >> 8));
    f.append(char(sn & 0xFF)).append(char(sn >> 8));
    f.append(char(body.size() & 0xFF)).append(char(body.size() >> 8));
    f.append(body);
    f.append(QByteArray(4, '\0'));
    return f;
}

QByteArray readReplyBody(uint32_t offset, uint16_t length, int dataBytes) {
    QByteArray b;
    put32(b, 0x101);
    put32(b, offset);
    b.append(char(length & 0xFF)).append(char(length >> 8)).append(2, '\0');
    b.append(QByteArray(dataBytes, '\x11'));
    return b;
}

QByteArray writeReplyBody(uint32_t echo, uint32_t result, const QByteArray& text = {}) {
    QByteArray b;
    put32(b, 0x101);
    put32(b, echo);
    put32(b, result);
    b.append(text);
    return b;
}

struct Request {
    int fd;
    QString ip;
    int port;
    int mode;
    int sn;
    int len;
    QByteArray body;
    bool repeat;
    uint32_t offset() const { return u32At(body.constData() + 4); }
};

struct Progress {
    int rate;
    QString title;
    QString info;
};

// ZoneAlarm wired to a ZoneStore: every request is answered by the store, the
// answers are queued and fed back one by one.
class Link {
public:
    Link() : m_spy(&alarm, &ZoneAlarm::sig_progress) {
        QObject::connect(
            &alarm, &ZoneAlarm::sig_ZoneCMD,
            [this](int fd, QString ip, int port, int mode, int sn, int len, QByteArray cmd, bool rep) {
                requests.push_back({fd, ip, port, mode, sn, len, cmd, rep});
                if (!answer) return;
                if (rewrite) cmd = rewrite(cmd);
                for (const QByteArray& f : store.handle(uint16_t(mode), uint16_t(sn), cmd))
                    replies.push_back(f);
            });
    }

    // Feeds queued replies until the handler ends the operation; 0 when replies ran out.
    int run(bool read) {
        while (!replies.empty()) {
            const QByteArray f = replies.front();
            replies.pop_front();
            const int r = feed(read, f);
            if (r != 0) return r;
        }
        return 0;
    }

    int feed(bool read, const QByteArray& f) {
        int consumed = 0;
        const auto* p = reinterpret_cast<const uint8_t*>(f.constData());
        return read ? alarm.onReadReply(p, f.size(), m_nextSn++, &consumed)
                    : alarm.setZoneRev(p, f.size(), m_nextSn++, &consumed);
    }

    std::vector<Progress> progress() const {
        std::vector<Progress> out;
        for (const auto& args : m_spy)
            out.push_back({args.at(0).toInt(), args.at(1).toString(), args.at(2).toString()});
        return out;
    }

    ZoneAlarm alarm{7, QStringLiteral("192.168.1.50"), 2112};
    ZoneStore store;
    std::vector<Request> requests;
    std::deque<QByteArray> replies;
    bool answer = true;
    std::function<QByteArray(QByteArray)> rewrite;

private:
    QSignalSpy m_spy;
    int m_nextSn = 100;
};

ZoneEntry rect(int zone, int kind, double bottom, double left, double top, double right) {
    ZoneEntry e;
    e.type = ZoneShapeRectangle;
    e.zoneId = zone;
    e.kind = kind;
    e.points[0] = {bottom, left};
    e.points[1] = {top, right};
    e.pointCount = 2;
    return e;
}

std::unique_ptr<zones> sampleList() {
    auto list = std::make_unique<zones>();
    list->entries[0] = rect(0, 2, 1000, -300, 1500, 400);
    // Sector 30..120 deg, 4000..1500 mm: the stored points (3464, 2000) and (-750, 1299) give
    // back exactly these angles and distances.
    ZoneEntry s = rect(3, 1, 300, 1200, 4000, 1500);
    s.type = ZoneShapeSector;
    list->entries[1] = s;
    ZoneEntry p;
    p.type = ZoneShapePolygon;
    p.zoneId = 3;
    p.kind = 0;
    p.pointCount = 3;
    p.points[0] = {-100, 800};
    p.points[1] = {250, 900};
    p.points[2] = {0, 1700};
    list->entries[2] = p;
    list->count = 3;
    return list;
}

std::unique_ptr<ZoneDef> imageOf(const QByteArray& bytes) {
    auto def = std::make_unique<ZoneDef>();
    std::memcpy(def.get(), bytes.constData(), sizeof(ZoneDef));
    return def;
}

uint32_t wordsCrc(const QByteArray& b) {
    return crc32_words(b.constData(), size_t(b.size()) / 4);
}

}  // namespace

// ============================================================ read

TEST(ZoneRead, QueryThenFourHundredSixteenPiecesThenDecode) {
    Link link;
    link.alarm.readStart(0x1234);
    ASSERT_EQ(link.requests.size(), 1u);
    const Request& q = link.requests[0];
    EXPECT_EQ(q.fd, 7);
    EXPECT_EQ(q.ip, "192.168.1.50");
    EXPECT_EQ(q.port, 2112);
    EXPECT_EQ(q.mode, 0x5A47);
    EXPECT_EQ(q.sn, 0x1234);
    EXPECT_EQ(q.len, 32);
    EXPECT_FALSE(q.repeat);
    const char want[32] = {0x01, 0x01, 0, 0, 0x21, char(0x9E), 0, char(0xFD)};
    EXPECT_EQ(q.body, QByteArray(want, 32));

    EXPECT_EQ(link.run(true), 1);
    ASSERT_EQ(link.requests.size(), 417u);
    for (size_t i = 1; i < link.requests.size(); ++i) {
        ASSERT_EQ(link.requests[i].offset(), 512 * (i - 1));
        ASSERT_EQ(u32At(link.requests[i].body.constData() + 8), 512u);
        ASSERT_EQ(link.requests[i].sn, int(100 + i - 1));  // the number handed in with each reply
    }
    EXPECT_EQ(link.alarm.getZones().count, 0);

    const auto p = link.progress();
    ASSERT_EQ(p.size(), 2u + 416u + 2u);
    EXPECT_EQ(p[0].rate, 0);
    EXPECT_EQ(p[0].title, "read alarm zone");
    EXPECT_EQ(p[0].info, "query");
    EXPECT_EQ(p[1].rate, 5);
    EXPECT_EQ(p[2].rate, 5);  // 512 / 212992 * 60 + 5 = 5.14
    EXPECT_EQ(p[2].info, "offset:0 total:34000");
    EXPECT_EQ(p[417].rate, 65);
    EXPECT_EQ(p[417].info, "offset:33e00 total:34000");
    EXPECT_EQ(p[418].rate, 80);
    EXPECT_EQ(p[419].rate, 100);
    EXPECT_TRUE(p[419].info.isEmpty());
    for (size_t i = 1; i < p.size(); ++i) ASSERT_GE(p[i].rate, p[i - 1].rate);
}

// ============================================================ write

class ZoneWriteRoundTrip : public testing::TestWithParam<int> {};

TEST_P(ZoneWriteRoundTrip, WrittenListIsReadBack) {
    const int mirror = GetParam();
    const auto list = sampleList();
    Link link;
    link.alarm.setDirection(mirror);
    ASSERT_TRUE(link.alarm.writeStart(*list, 0x42));
    ASSERT_EQ(link.requests.size(), 1u);
    const Request erase = link.requests[0];
    EXPECT_EQ(erase.mode, 0x5A53);
    EXPECT_EQ(erase.len, 524);
    EXPECT_EQ(erase.body.size(), 524);
    EXPECT_EQ(erase.offset(), 0xFD00EEEEu);
    EXPECT_EQ(u16At(erase.body.constData() + 8), 0);
    EXPECT_EQ(u32At(erase.body.constData() + 12), 0x34000u);

    EXPECT_EQ(link.run(false), 1);
    ASSERT_EQ(link.requests.size(), 1u + 416u + 1u);
    for (size_t i = 1; i <= 416; ++i) {
        ASSERT_EQ(link.requests[i].offset(), 512 * (i - 1));
        ASSERT_EQ(u16At(link.requests[i].body.constData() + 8), 512);
    }
    const Request& reload = link.requests.back();
    EXPECT_EQ(reload.offset(), 0xFD0010ADu);
    EXPECT_EQ(reload.body.mid(8), QByteArray(516, '\0'));

    // The scanner holds the image the erase request announced.
    const QByteArray stored = link.store.image();
    EXPECT_EQ(u32At(erase.body.constData() + 16), wordsCrc(stored));
    EXPECT_EQ(stored.left(4), "PZNE");
    EXPECT_EQ(u32At(stored.constData() + 12), crc32_words(stored.constData() + 16, 53244));

    const auto p = link.progress();
    ASSERT_EQ(p.size(), 3u + 415u + 2u);
    EXPECT_EQ(p[0].rate, 0);
    EXPECT_EQ(p[0].title, "write alarm zone");
    EXPECT_EQ(p[0].info, "init");
    EXPECT_EQ(p[1].rate, 20);
    EXPECT_EQ(p[1].info, "ZoneDef already");
    EXPECT_EQ(p[2].rate, 25);
    EXPECT_EQ(p[2].info, "OP_ZONE_ERASE");
    EXPECT_EQ(p[3].rate, 25);
    EXPECT_EQ(p[3].info, "offset:200 total:34000");
    EXPECT_EQ(p[417].rate, 84);  // 0x33E00 / 0x34000 * 60 + 25 = 84.86
    EXPECT_EQ(p[417].info, "offset:33e00 total:34000");
    EXPECT_EQ(p[418].rate, 95);
    EXPECT_EQ(p[418].info, "OP_ZONE_RELOAD");
    EXPECT_EQ(p[419].rate, 100);
    EXPECT_EQ(p[419].info, "success");

    // Read it back through a fresh worker under the same flag.
    Link reader;
    reader.store.setImage(stored);
    reader.alarm.setDirection(mirror);
    reader.alarm.readStart(1);
    ASSERT_EQ(reader.run(true), 1);
    const zones& back = reader.alarm.getZones();
    ASSERT_EQ(back.count, 3);
    // Zone 0 first, then zone 3 in list order.
    EXPECT_EQ(back.entries[0].type, ZoneShapeRectangle);
    EXPECT_EQ(back.entries[0].points[0].first, 1000);
    EXPECT_EQ(back.entries[0].points[0].second, -300);
    EXPECT_EQ(back.entries[0].points[1].first, 1500);
    EXPECT_EQ(back.entries[0].points[1].second, 400);
    EXPECT_EQ(back.entries[1].type, ZoneShapeSector);
    EXPECT_EQ(back.entries[1].zoneId, 3);
    EXPECT_EQ(back.entries[1].kind, 1);
    EXPECT_EQ(back.entries[1].points[0].first, 300);
    EXPECT_EQ(back.entries[1].points[0].second, 1200);
    // Mirrored, the near point is stored first and its distance comes back first.
    EXPECT_EQ(back.entries[1].points[1].first, mirror ? 1500 : 4000);
    EXPECT_EQ(back.entries[1].points[1].second, mirror ? 4000 : 1500);
    EXPECT_EQ(back.entries[2].type, ZoneShapePolygon);
    EXPECT_EQ(back.entries[2].pointCount, 3);
    EXPECT_EQ(back.entries[2].points[1].first, 250);
    EXPECT_EQ(back.entries[2].points[1].second, 900);
    // The direction tables of the image read are kept.
    const uint8_t* table = reader.alarm.directionTable(0);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(0, std::memcmp(table, stored.constData() + 0x4000, 12000));
}

INSTANTIATE_TEST_SUITE_P(Mirroring, ZoneWriteRoundTrip, testing::Values(0, 1));

TEST(ZoneWrite, EmptyListStillSendsAFullImage) {
    Link link;
    zones empty;
    ASSERT_TRUE(link.alarm.writeStart(empty, 5));
    EXPECT_EQ(link.run(false), 1);
    EXPECT_EQ(link.requests.size(), 418u);
    const QByteArray stored = link.store.image();
    EXPECT_EQ(stored.left(4), "PZNE");
    EXPECT_EQ(stored.mid(24), QByteArray(0x34000 - 24, '\0'));
}

TEST(ZoneWrite, ImportedImageIsDecodedAndWritten) {
    const auto list = sampleList();
    auto def = std::make_unique<ZoneDef>();
    ASSERT_EQ(zones_to_zonedef(*list, false, 0, *def), kZoneListOk);
    Link link;
    ASSERT_TRUE(link.alarm.setZoneSyn(def.get(), 9));
    EXPECT_EQ(link.alarm.getZones().count, 3);
    EXPECT_EQ(link.run(false), 1);
    zones back;
    ASSERT_EQ(zonedef_to_zones(*imageOf(link.store.image()), false, back), 1);
    EXPECT_EQ(back.count, 3);

    Link refused;
    def->magic = 0;
    EXPECT_FALSE(refused.alarm.setZoneSyn(def.get(), 9));
    EXPECT_TRUE(refused.requests.empty());
    EXPECT_EQ(refused.alarm.getZones().count, 0);
}

TEST(ZoneWrite, OverfullZoneIsRefusedBeforeAnythingIsSent) {
    // Six 20-vertex polygons in zone 10 need 984 record bytes.
    auto list = std::make_unique<zones>();
    for (int i = 0; i < 6; ++i) {
        ZoneEntry& e = list->entries[i];
        e.type = ZoneShapePolygon;
        e.zoneId = 10;
        e.kind = 2;
        e.pointCount = 20;
        for (int v = 0; v < 20; ++v) e.points[v] = {double(v), 1000.0 + v};
    }
    list->count = 6;
    Link link;
    EXPECT_FALSE(link.alarm.writeStart(*list, 1));
    EXPECT_TRUE(link.requests.empty());
    const auto p = link.progress();
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p.back().rate, -11);
    EXPECT_EQ(p.back().info, "Zone ID:A:The number of alarm zones more than the maximum limit!");
}

// ============================================================ failures of a read

TEST(ZoneReadFailure, ScannerWithoutUsableImage) {
    Link link;
    link.store.setFault(ZoneFault::ErrorResult);
    link.alarm.readStart(1);
    EXPECT_EQ(link.run(true), -11);
    EXPECT_EQ(link.requests.size(), 1u);
    EXPECT_EQ(link.progress().back().rate, -1);
    EXPECT_EQ(
        link.progress().back().info,
        "The alarm zone is not initialized or there is an error writing. Please clear the alarm zone and "
        "read again");
}

TEST(ZoneReadFailure, WrongSizeIsRefusedBeforeAnyPiece) {
    Link link;
    link.store.setFault(ZoneFault::WrongSize);
    link.alarm.readStart(1);
    EXPECT_EQ(link.run(true), -12);
    EXPECT_EQ(link.requests.size(), 1u);
    EXPECT_EQ(link.progress().back().rate, -2);
    EXPECT_EQ(link.progress().back().info, "size 34200 != 212992");
}

TEST(ZoneReadFailure, PieceBeyondTheImage) {
    Link link;
    link.alarm.readStart(1);
    ASSERT_EQ(link.feed(true, link.replies.front()), 0);  // size answer
    EXPECT_EQ(link.feed(true, replyFrame(0xA5B8, 1, readReplyBody(0x33F00, 512, 512))), -13);
    EXPECT_EQ(link.progress().back().rate, -3);
    EXPECT_EQ(link.progress().back().info, "error:212736 + 512 > 212992");
}

TEST(ZoneReadFailure, OffsetNearTheTopOfItsRangeDoesNotWrapIntoTheBuffer) {
    Link link;
    link.alarm.readStart(1);
    ASSERT_EQ(link.feed(true, link.replies.front()), 0);
    EXPECT_EQ(link.feed(true, replyFrame(0xA5B8, 1, readReplyBody(0xFFFFFF00u, 512, 512))), -13);
    EXPECT_EQ(link.progress().back().info, "error:4294967040 + 512 > 212992");
}

TEST(ZoneReadFailure, ShortPiece) {
    Link link;
    link.store.setFault(ZoneFault::ShortPiece);
    link.alarm.readStart(1);
    EXPECT_EQ(link.run(true), -14);
    EXPECT_EQ(link.requests.size(), 2u);
    EXPECT_EQ(link.progress().back().rate, -4);
    EXPECT_EQ(link.progress().back().info, "sub packet len 511 !=512");
}

TEST(ZoneReadFailure, PieceLongerThanItsFrameIsRefused) {
    Link link;
    link.alarm.readStart(1);
    ASSERT_EQ(link.feed(true, link.replies.front()), 0);
    const size_t before = link.requests.size();
    // Claims 512 bytes, carries 100.
    EXPECT_EQ(link.feed(true, replyFrame(0xA5B8, 1, readReplyBody(0, 512, 100))), ZoneAlarm::kReplyTooShort);
    EXPECT_EQ(link.progress().back().rate, -9);
    EXPECT_EQ(link.requests.size(), before);
}

TEST(ZoneReadFailure, AnnouncedCrcDiffers) {
    Link link;
    link.store.setFault(ZoneFault::BadCrc);
    link.alarm.readStart(1);
    EXPECT_EQ(link.run(true), -3);
    const uint32_t pc = wordsCrc(link.store.image());
    EXPECT_EQ(link.progress().back().rate, -5);
    EXPECT_EQ(link.progress().back().info, QString("crc error:PC:%1 :MCU:%2").arg(pc, 0, 16).arg(~pc, 0, 16));
    EXPECT_EQ(link.alarm.getZones().count, 0);
}

TEST(ZoneReadFailure, BadHeader) {
    const auto list = sampleList();
    auto def = std::make_unique<ZoneDef>();
    ASSERT_EQ(zones_to_zonedef(*list, false, 0, *def), kZoneListOk);
    def->magic = 0x454E5A51;
    Link link;
    link.store.setImage(QByteArray(reinterpret_cast<const char*>(def.get()), int(sizeof(ZoneDef))));
    link.alarm.readStart(1);
    EXPECT_EQ(link.run(true), -3);
    EXPECT_EQ(link.progress().back().rate, -6);
    EXPECT_EQ(link.progress().back().info, "bad zone header");
    EXPECT_EQ(link.alarm.getZones().count, 0);
}

TEST(ZoneReadFailure, ImageCrcDiffersFromItsHeader) {
    const auto list = sampleList();
    auto def = std::make_unique<ZoneDef>();
    ASSERT_EQ(zones_to_zonedef(*list, false, 0, *def), kZoneListOk);
    def->crc ^= 0x10;
    Link link;
    link.store.setImage(QByteArray(reinterpret_cast<const char*>(def.get()), int(sizeof(ZoneDef))));
    link.alarm.readStart(1);
    EXPECT_EQ(link.run(true), -3);
    EXPECT_EQ(link.progress().back().rate, -7);
    EXPECT_EQ(link.progress().back().info, "crc error");
    EXPECT_EQ(link.alarm.getZones().count, 0);
}

TEST(ZoneReadFailure, MissingPieceIsAHole) {
    // The scanner answers the request for piece 1 with piece 2: piece 1 never arrives.
    Link link;
    link.rewrite = [](QByteArray body) {
        if (u32At(body.constData() + 4) == 0x200) body[5] = 0x04;  // offset 0x200 -> 0x400
        return body;
    };
    link.alarm.readStart(1);
    EXPECT_EQ(link.run(true), -3);
    EXPECT_EQ(link.progress().back().rate, -8);
    EXPECT_EQ(link.progress().back().info, "sub packet hole 1");
}

// ============================================================ failures of a write

TEST(ZoneWriteFailure, ScannerRefusesWithItsText) {
    Link link;
    link.store.setFault(ZoneFault::ErrorResult);
    ASSERT_TRUE(link.alarm.writeStart(*sampleList(), 1));
    EXPECT_EQ(link.run(false), -11);
    EXPECT_EQ(link.requests.size(), 1u);  // nothing after the refused erase
    EXPECT_EQ(link.progress().back().rate, 25);
    EXPECT_EQ(link.progress().back().info, "resp result:5 msg:flash busy");
}

TEST(ZoneWriteFailure, UnterminatedTextIsReadOnlyToTheBodyEnd) {
    Link link;
    link.answer = false;
    ASSERT_TRUE(link.alarm.writeStart(*sampleList(), 1));
    QByteArray frame = replyFrame(0xA5AC, 1, writeReplyBody(0xFD00EEEE, 9, "oops"));
    frame.chop(4);
    frame.append("TAIL");  // bytes after the body are not part of the text
    EXPECT_EQ(link.feed(false, frame), -11);
    EXPECT_EQ(link.progress().back().info, "resp result:9 msg:oops");
}

TEST(ZoneWriteFailure, EchoOutsideThePiecesEndsTheWrite) {
    for (uint32_t echo : {0x101u, 0x34000u, 0xFFFFFE00u}) {
        Link link;
        link.answer = false;
        ASSERT_TRUE(link.alarm.writeStart(*sampleList(), 1));
        EXPECT_EQ(link.feed(false, replyFrame(0xA5AC, 1, writeReplyBody(echo, 0))),
                  ZoneAlarm::kUnexpectedOffset)
            << std::hex << echo;
        EXPECT_EQ(link.requests.size(), 1u) << "no piece and no reload sent for " << std::hex << echo;
        EXPECT_EQ(link.progress().back().rate, -10);
    }
}

TEST(ZoneWriteFailure, AnswerForAnotherRequestNeitherSkipsPiecesNorReloads) {
    // The erase is in flight; answers naming a later piece or the reload are
    // not its answer and must not move the write on.
    for (uint32_t echo : {0x200u, 0x10000u, uint32_t(kZoneReload)}) {
        Link link;
        link.answer = false;
        ASSERT_TRUE(link.alarm.writeStart(*sampleList(), 1));
        EXPECT_EQ(link.feed(false, replyFrame(0xA5AC, 1, writeReplyBody(echo, 0))), 0) << std::hex << echo;
        EXPECT_EQ(link.requests.size(), 1u) << "nothing more sent for " << std::hex << echo;
    }
    // The write still completes once the scanner answers what was asked.
    Link link;
    ASSERT_TRUE(link.alarm.writeStart(*sampleList(), 1));
    ASSERT_EQ(link.run(false), 1);
    EXPECT_EQ(link.store.image(), QByteArray(reinterpret_cast<const char*>(link.alarm.zoneDef()), kZoneDefSize));
}

// ============================================================ simulator store state

TEST(ZoneStoreState, SavedImageIsLoadedBackAndForeignFilesAreRefused) {
    Link link;
    ASSERT_TRUE(link.alarm.writeStart(*sampleList(), 1));
    ASSERT_EQ(link.run(false), 1);
    const QString path = QDir::temp().filePath(QStringLiteral("vantrel_zone_store_%1.img").arg(getpid()));
    ASSERT_TRUE(link.store.save(path));

    ZoneStore restored;
    EXPECT_NE(restored.image(), link.store.image());
    ASSERT_TRUE(restored.load(path));
    EXPECT_EQ(restored.image(), link.store.image());

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(1000, 'x'));
    file.close();
    EXPECT_FALSE(restored.load(path));
    EXPECT_EQ(restored.image(), link.store.image());  // unchanged by the refused file
    QFile::remove(path);
}

TEST(ZoneStoreState, FaultNames) {
    bool ok = false;
    EXPECT_EQ(ZoneStore::parseFault("wrong-size", &ok), ZoneFault::WrongSize);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ZoneStore::parseFault("short-piece", &ok), ZoneFault::ShortPiece);
    EXPECT_EQ(ZoneStore::parseFault("bad-crc", &ok), ZoneFault::BadCrc);
    EXPECT_EQ(ZoneStore::parseFault("error", &ok), ZoneFault::ErrorResult);
    EXPECT_TRUE(ok);
    ZoneStore::parseFault("crc", &ok);
    EXPECT_FALSE(ok);
}

TEST(ZoneStoreState, ReloadOfAnIncompleteImageIsRefusedAndReadsThenFail) {
    // Erase, one piece, reload: the staged image does not match the announced CRC.
    ZoneStore store;
    const QByteArray before = store.image();
    auto request = [&store](uint32_t offset, uint16_t len, const QByteArray& data) {
        const std::vector<uint8_t> body = zone_write_request(
            offset, len, reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()));
        const QByteArray frame = store.handle(
            0x5A53, 3, QByteArray(reinterpret_cast<const char*>(body.data()), int(body.size())))[0];
        return u32At(frame.constData() + 16);  // result word of the reply body
    };
    QByteArray sizeAndCrc;
    put32(sizeAndCrc, 0x34000);
    put32(sizeAndCrc, 0x12345678);
    EXPECT_EQ(request(0xFD00EEEE, 0, sizeAndCrc), 0u);
    EXPECT_EQ(request(0, 512, QByteArray(512, 'a')), 0u);
    EXPECT_EQ(request(0x100, 512, QByteArray(512, 'a')), uint32_t(ZoneStore::ResultBadPiece));
    EXPECT_EQ(request(0xFD0010AD, 0, {}), uint32_t(ZoneStore::ResultCrcMismatch));

    Link link;
    link.store.setImage(before);
    link.answer = false;
    link.alarm.readStart(1);
    const std::vector<uint8_t> query = zone_read_request(0xFD009E21, 0);
    const QByteArray reply = store.handle(
        0x5A47, 1, QByteArray(reinterpret_cast<const char*>(query.data()), int(query.size())))[0];
    EXPECT_EQ(link.feed(true, reply), -11);  // no usable image after the failed write
}

// ============================================================ reply framing

TEST(ZoneReplyFraming, IncompleteFramesWaitAndCompleteOnesAreConsumed) {
    Link link;
    link.answer = false;
    link.alarm.readStart(1);
    ZoneStore store;
    const std::vector<uint8_t> query = zone_read_request(0xFD009E21, 0);
    const QByteArray answer = store.handle(
        0x5A47, 1, QByteArray(reinterpret_cast<const char*>(query.data()), int(query.size())))[0];
    const int bodyLen = u16At(answer.constData() + 6);
    // Three junk bytes in front: the reply starts at the consumed position.
    const QByteArray buf = QByteArray("xyz") + answer;
    const auto* p = reinterpret_cast<const uint8_t*>(buf.constData());

    int consumed = 3;
    EXPECT_EQ(link.alarm.onReadReply(p, 3 + 8, 2, &consumed), -1);
    EXPECT_EQ(link.alarm.onReadReply(p, 3 + bodyLen + 7, 2, &consumed), -2);
    EXPECT_EQ(consumed, 3);
    EXPECT_EQ(link.alarm.onReadReply(p, buf.size(), 2, &consumed), 0);
    EXPECT_EQ(consumed, 3 + bodyLen + 8);
    ASSERT_EQ(link.requests.size(), 2u);
    EXPECT_EQ(link.requests[1].offset(), 0u);

    int wconsumed = 0;
    const QByteArray w = replyFrame(0xA5AC, 1, writeReplyBody(0xFD0010AD, 0));
    EXPECT_EQ(link.alarm.setZoneRev(reinterpret_cast<const uint8_t*>(w.constData()), 7, 2, &wconsumed), -1);
    EXPECT_EQ(link.alarm.setZoneRev(reinterpret_cast<const uint8_t*>(w.constData()), 19, 2, &wconsumed), -2);
}

// ============================================================ codec through the worker

TEST(ZoneAlarmCodec, MetaTypesAreRegistered) {
    ZoneAlarm alarm;
    EXPECT_NE(QMetaType::type("zones"), 0);
    EXPECT_NE(QMetaType::type("ZoneDef*"), 0);
}

TEST(ZoneAlarmCodec, ValidateEntryGivesTheZoneNumberInDecimal) {
    ZoneAlarm alarm;
    ZoneEntry far = rect(12, 2, 100, 900, 4000, 500);
    far.type = ZoneShapeSector;
    QString message;
    EXPECT_FALSE(alarm.validateEntry(far, 3000, &message));
    EXPECT_EQ(message, "The drawing distance of the alarm zone exceeds 3000 mm, zone id 12");
    EXPECT_TRUE(alarm.validateEntry(far, 0, &message));
    EXPECT_TRUE(message.isEmpty());
}

TEST(ZoneAlarmCodec, ConversionsKeepTheImageInTheWorker) {
    ZoneAlarm alarm;
    const auto list = sampleList();
    const qint64 crc = alarm.ZonesToZoneDef(*list, 0);
    ASSERT_GE(crc, 0);
    const auto* raw = reinterpret_cast<const char*>(alarm.zoneDef());
    EXPECT_EQ(uint32_t(crc), crc32_words(raw + 16, 53244));
    EXPECT_EQ(uint32_t(crc), u32At(raw + 12));
    ASSERT_TRUE(alarm.ZoneDefToZones());
    EXPECT_EQ(alarm.getZones().count, 3);

    auto bad = std::make_unique<ZoneDef>();
    std::memcpy(bad.get(), raw, sizeof(ZoneDef));
    bad->size = 0x34001;
    EXPECT_FALSE(alarm.ZoneDefToZones(bad.get()));
    EXPECT_EQ(alarm.getZones().count, 0);
}
