// The simulated scanner, seen by a client built from the protocol library:
// byte-exact encoders, commands over UDP, TCP and pseudo-terminals, decoded
// revolutions in every packet format, heartbeats and persistence.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <thread>

#include "command_frame.h"
#include "command_handler.h"
#include "crc32.h"
#include "device_state.h"
#include "eeprom.h"
#include "frame_collect.h"
#include "frame_splitter.h"
#include "le_bytes.h"
#include "legacy_decoder.h"
#include "netguard.h"
#include "packet_encoders.h"
#include "qt_wait.h"
#include "scan_decoder.h"
#include "simulator.h"
#include "transport.h"
#include "uart_query.h"
#include "zone_image.h"
#include "zone_store.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const QByteArray& a) {
    return Bytes(a.begin(), a.end());
}

using testsupport::ensureApp;

// Each test gets its own ports so a lingering socket never disturbs the next.
quint16 nextPort() {
    static quint16 port = 21000;
    port += 10;
    return port;
}

// ---------------------------------------------------------------- client side

// Decodes a scanner stream with the protocol library's decoder and collectors
// and keeps the complete revolutions.
class RevolutionCollector {
public:
    ~RevolutionCollector() { free_segment_list(m_segments); }

    // One UDP datagram: only its first message counts.
    void datagram(const uint8_t* data, size_t len) {
        size_t consumed = 0;
        decodeOnce(data, len, consumed);
    }

    // A byte stream (TCP, serial, a file): decode until nothing is left.
    void stream(const uint8_t* data, size_t len) {
        m_held.insert(m_held.end(), data, data + len);
        for (;;) {
            size_t consumed = 0;
            const int kind = decodeOnce(m_held.data(), m_held.size(), consumed);
            if (consumed == 0 || consumed > m_held.size()) {
                if (kind < 0 || consumed == 0) break;
            }
            m_held.erase(m_held.begin(),
                         m_held.begin() + static_cast<long>(std::min(consumed, m_held.size())));
        }
    }

    std::vector<Revolution> revolutions;
    int fanCount = 0;
    int records = 0;  // LMSG or AM
    int statusPackets = 0;
    QByteArray lastRecord;

private:
    int decodeOnce(const uint8_t* data, size_t len, size_t& consumed) {
        char message[kMessageBufferSize] = {};
        uint8_t header[kReplyHeaderSize] = {};
        int kind;
        if (m_mode == kStreamModeLegacy)
            kind = decode_legacy_stream(len, data, m_flags, *m_fan, consumed, true);
        else
            kind = decode_stream_message(len, data, m_flags, *m_fan, consumed, true, m_mode, message, header,
                                         m_segments);
        if (kind == KindFan) onFan(*m_fan);
        if (kind == KindLmsg || kind == KindAmRecord) {
            ++records;
            lastRecord = QByteArray(message, kind == KindLmsg ? 128 : 32);
        }
        if (kind == KindStatusPacket) ++statusPackets;
        return kind;
    }

    void onFan(const RawData& fan) {
        ++fanCount;
        std::string error;
        if (m_boundary < 0) {
            const int b = find_frame_boundary(fan, false, m_acc, error);
            if (b >= 0) m_boundary = b;
            return;
        }
        if (collect_frame_fan(fan, m_boundary, m_acc, error) == 1) {
            revolutions.push_back(m_acc);
            m_acc.clear();
        }
    }

    uint8_t m_flags[8] = {};
    int m_mode = kStreamModeGeneral;
    SegmentNode* m_segments = nullptr;
    std::unique_ptr<RawData> m_fan = std::make_unique<RawData>();
    std::vector<RawData> m_acc;
    int m_boundary = -1;
    Bytes m_held;
};

// Checks what a user would see of a revolution: whole circle, points at
// room distances.
void expectPlausibleRevolution(const Revolution& rev, int fans, int pointsPerFan) {
    ASSERT_EQ(static_cast<int>(rev.size()), fans);
    int spanSum = 0, points = 0, inRoom = 0;
    for (const RawData& fan : rev) {
        spanSum += fan.span;
        points += fan.count;
        for (int i = 0; i < fan.count; ++i)
            if (fan.points[i].distance > 0.5f && fan.points[i].distance < 10.0f) ++inRoom;
    }
    EXPECT_EQ(spanSum, 3600);
    EXPECT_EQ(points, fans * pointsPerFan);
    EXPECT_GT(inRoom, points * 9 / 10);
}

struct Reply {
    uint16_t code = 0;
    uint16_t sn = 0;
    QByteArray payload;
    size_t length = 0;
};

// Finds the framed reply with sequence number `sn` in a buffer.
bool findReply(const Bytes& buf, uint16_t sn, Reply* out) {
    for (size_t p = 0; p + kFrameOverhead <= buf.size(); ++p) {
        CommandFrameView view;
        if (decode_command_frame(buf.data() + p, buf.size() - p, view) != 1 || !view.crcOk || view.sn != sn)
            continue;
        out->code = view.mode;
        out->sn = view.sn;
        out->payload = QByteArray(reinterpret_cast<const char*>(view.body), view.length);
        out->length = view.frameLength;
        return true;
    }
    return false;
}

class UdpClient {
public:
    UdpClient(const std::string& ip, int port) : m_ip(ip), m_port(port) { m_sock = udp_open(0, m_localPort); }
    ~UdpClient() { close_link(m_sock, true); }

    void send(uint16_t mode, uint16_t sn, std::string_view body) {
        const Bytes f = encode_command_frame(mode, sn, body);
        udp_send_to(m_sock, m_ip, m_port, f.data(), static_cast<int>(f.size()));
    }
    void sendRaw(const Bytes& f) { udp_send_to(m_sock, m_ip, m_port, f.data(), static_cast<int>(f.size())); }

    // Waits for the reply to `sn`, passing every other datagram to `collector`.
    bool await(uint16_t sn, Reply* reply, RevolutionCollector* collector = nullptr, int timeoutMs = 2000) {
        QElapsedTimer t;
        t.start();
        std::vector<uint8_t> buf(9000);
        while (t.elapsed() < timeoutMs) {
            const int n = udp_recv(m_sock, buf.data(), static_cast<int>(buf.size()), 100);
            if (n <= 0) continue;
            const Bytes d(buf.begin(), buf.begin() + n);
            if (findReply(d, sn, reply)) return true;
            if (collector) collector->datagram(d.data(), d.size());
        }
        return false;
    }
    // Receives stream datagrams for `ms` milliseconds.
    void collect(RevolutionCollector& collector, int ms, int wantRevolutions) {
        QElapsedTimer t;
        t.start();
        std::vector<uint8_t> buf(9000);
        while (t.elapsed() < ms && static_cast<int>(collector.revolutions.size()) < wantRevolutions) {
            const int n = udp_recv(m_sock, buf.data(), static_cast<int>(buf.size()), 100);
            if (n > 0) collector.datagram(buf.data(), static_cast<size_t>(n));
        }
    }
    int localPort() const { return m_localPort; }

private:
    std::string m_ip;
    int m_port;
    int m_sock = -1;
    int m_localPort = 0;
};

EEpromV101 blockOf(const Reply& r) {
    EEpromV101 b{};
    if (r.payload.size() >= static_cast<int>(sizeof b)) std::memcpy(&b, r.payload.constData(), sizeof b);
    return b;
}

sim::SimOptions udpOptions(quint16 port) {
    sim::SimOptions o;
    o.udpAddress = QStringLiteral("127.0.0.2");
    o.udpPort = port;
    o.heartbeat = sim::HeartbeatKind::Off;
    o.logCommands = false;
    return o;
}

// Serial I/O over a pseudo-terminal handle for uart_query.
struct PtyIo : SerialIo {
    explicit PtyIo(int h) : handle(h) {}
    int write(const uint8_t* d, size_t n) override { return serial_write(handle, d, static_cast<int>(n)); }
    int read(uint8_t* d, size_t n) override { return serial_read(handle, d, static_cast<int>(n)); }
    void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    int handle;
};

// Reads a serial handle for up to `ms`, feeding the collector, until it has
// `want` revolutions.
void collectSerial(int handle, RevolutionCollector& c, int ms, int want) {
    QElapsedTimer t;
    t.start();
    uint8_t buf[4096];
    while (t.elapsed() < ms && static_cast<int>(c.revolutions.size()) < want) {
        const int n = serial_read(handle, buf, sizeof buf);
        if (n > 0)
            c.stream(buf, static_cast<size_t>(n));
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace

// ---------------------------------------------------------------- encoders

TEST(PacketEncoders, FacfMatchesHandBuiltBytes) {
    const Bytes got = bytesOf(sim::encodeFacf(360, 360, {{1000, 7}, {0x1234, 200}}));
    // N=2, S=360, span=360; sum = 2 + 360 + 360 + 7 + 1000 + 200 + 4660 = 6589 = 0x19BD
    const Bytes want = {0xCF, 0xFA, 2, 0, 0x68, 0x01, 0x68, 0x01, 7, 0xE8, 0x03, 200, 0x34, 0x12, 0xBD, 0x19};
    EXPECT_EQ(got, want);
}

TEST(PacketEncoders, FaceAndFa9dMatchHandBuiltBytes) {
    // FACE N=1 S=720: sum = 1 + 720 + 9 + 500 = 1230 = 0x04CE; 3N + 8 = 11 bytes.
    EXPECT_EQ(bytesOf(sim::encodeFace(720, {{500, 9}})),
              (Bytes{0xCE, 0xFA, 1, 0, 0xD0, 0x02, 9, 0xF4, 0x01, 0xCE, 0x04}));
    // FA9D N=2: no energy; sum = 2 + 0 + 90 + 100 + 200 = 392 = 0x0188; 2N + 10 = 14 bytes.
    EXPECT_EQ(bytesOf(sim::encodeFa9d(0, 90, {{100, 5}, {200, 6}})),
              (Bytes{0x9D, 0xFA, 2, 0, 0, 0, 90, 0, 100, 0, 200, 0, 0x88, 0x01}));
}

TEST(PacketEncoders, FadfCarriesPointAnglesAndSumsEveryHeaderWord) {
    const Bytes got = bytesOf(sim::encodeFadf(90, 90, 900, 1700, {{300, 1}, {400, 2}}));
    // sum = 2 + 90 + 90 + 0 + 900 + 1700 + 0 + 1 + 300 + 2 + 400 = 3485 = 0x0D9D; 3N + 18 = 24 bytes.
    const Bytes want = {0xDF, 0xFA, 2, 0, 90, 0,    90,   0, 0,    0,    0x84, 0x03,
                        0xA4, 0x06, 0, 0, 1,  0x2C, 0x01, 2, 0x90, 0x01, 0x9D, 0x0D};
    EXPECT_EQ(got, want);
}

TEST(PacketEncoders, Fa99PutsDistancesBeforeEnergiesAndHas34ByteFrame) {
    const Bytes got = bytesOf(sim::encodeFa99(10, 3600, 0x01020304, {{0x0102, 3}}));
    ASSERT_EQ(got.size(), 3u * 1 + 34);
    EXPECT_EQ(got[0], 0x99);
    EXPECT_EQ(got[1], 0xFA);
    EXPECT_EQ(got[4], 10);
    EXPECT_EQ(le16(&got[6]), 3600);
    EXPECT_EQ((Bytes{got[12], got[13], got[14], got[15]}), (Bytes{4, 3, 2, 1}));
    EXPECT_EQ((Bytes{got[32], got[33], got[34]}), (Bytes{0x02, 0x01, 3}));
}

TEST(PacketEncoders, SegmentsSumHeaderWordsAndThreePointArrays) {
    sim::SegmentHeader h;
    h.totalPoints = 4;
    h.index = 1;
    h.segmentStart = 18000;
    h.fanEnd = 36000;
    h.deviceWord = 0x00010002;
    h.word20 = 5;
    h.word24 = 6;
    const Bytes c7 = bytesOf(sim::encodeFac7Segment(h, {{1000, 10}, {2000, 20}}, {0, 9000}));
    ASSERT_EQ(c7.size(), 5u * 2 + 30);
    // Header words 1..13: 2 + 4 + 1 + (18000 + 0) + (36000 + 0) + (2 + 1) + 5 + 6 = 54021;
    // points: 1000 + 2000 + 0 + 9000 + 10 + 20 = 12030; total 66051 mod 65536 = 515.
    EXPECT_EQ(le16(&c7[38]), 515);
    EXPECT_EQ((Bytes{c7[28], c7[29], c7[32], c7[33], c7[34], c7[35], c7[36], c7[37]}),
              (Bytes{0xE8, 0x03, 0x00, 0x00, 0x28, 0x23, 10, 20}));

    const Bytes aa = bytesOf(sim::encodeFaaaSegment(h, {{1000, 10}, {2000, 20}}, {0, 9000}));
    ASSERT_EQ(aa.size(), 5u * 2 + 50);
    EXPECT_EQ(aa[0], 0xAA);
    // The header's 20 trailing bytes are zero, so the sum is the same.
    EXPECT_EQ(le16(&aa[58]), 515);
}

TEST(PacketEncoders, LegacyFaceAndStatusPacket) {
    // N=2 S=360 words 1000, 2000: sum = 360 + 2 + 3000 = 3362 = 0x0D22; 2N + 8 = 12 bytes.
    EXPECT_EQ(bytesOf(sim::encodeLegacyFace(360, {1000, 2000})),
              (Bytes{0xCE, 0xFA, 2, 0, 0x68, 0x01, 0xE8, 0x03, 0xD0, 0x07, 0x22, 0x0D}));
    EXPECT_EQ(bytesOf(sim::encodeStatusPacket(0x05)), (Bytes{'S', 'T', 5, 0, 0, 0, 'E', 'D'}));
}

TEST(PacketEncoders, StateRecordsCarryFaultAndZoneWhereTheMainWindowReadsThem) {
    sim::StateRecord r;
    r.faultWord = 0x00004001;
    r.zoneState = 3;
    const Bytes lmsg = bytesOf(sim::encodeLmsg(r));
    ASSERT_EQ(lmsg.size(), 128u);
    EXPECT_EQ(std::string(lmsg.begin(), lmsg.begin() + 4), "LMSG");
    EXPECT_EQ((Bytes{lmsg[40], lmsg[41], lmsg[42], lmsg[43]}), (Bytes{0x01, 0x40, 0, 0}));
    EXPECT_EQ((Bytes{lmsg[48], lmsg[49], lmsg[50], lmsg[51]}), (Bytes{3, 0, 0, 0}));

    const Bytes am = bytesOf(sim::encodeAmRecord(r));
    ASSERT_EQ(am.size(), 32u);
    EXPECT_EQ(am[0], 'A');
    EXPECT_EQ(am[1], 'M');
    EXPECT_EQ((Bytes{am[9], am[10], am[11], am[12]}), (Bytes{0x01, 0x40, 0, 0}));
    EXPECT_EQ((Bytes{am[13], am[14], am[15], am[16]}), (Bytes{3, 0, 0, 0}));
    EXPECT_EQ(le32(&am[28]), crc32_words(am.data(), 7));
}

// ---------------------------------------------------------------- dump

class DumpFormats : public ::testing::TestWithParam<const char*> {};

TEST_P(DumpFormats, RecordingDecodesIntoCompleteRevolutions) {
    sim::SimOptions o;
    ASSERT_TRUE(sim::parseStreamFormat(QString::fromLatin1(GetParam()), &o.format));
    o.formatGiven = true;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data0.dump"));
    QString error;
    ASSERT_TRUE(sim::writeDump(o, path, 1.0, &error)) << error.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray all = f.readAll();
    RevolutionCollector c;
    // The legacy stream starts with a status packet that puts the reader in
    // the legacy mode.
    c.stream(reinterpret_cast<const uint8_t*>(all.constData()), static_cast<size_t>(all.size()));
    // 1 s at 600 rpm: 10 revolutions, the first spent on finding the boundary.
    EXPECT_GE(c.revolutions.size(), 8u);
    const int pointsPerFan = std::string(GetParam()) == "legacy" ? 288 : 360;
    for (const Revolution& rev : c.revolutions) expectPlausibleRevolution(rev, 10, pointsPerFan);
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, DumpFormats,
                         ::testing::Values("facf", "face", "fadf", "fa9d", "fa99", "faaa", "fac7", "legacy"));

TEST(DumpOptions, WideFansAreCutIntoSegmentsThatStayWithinTheirLimits) {
    sim::SimOptions o;
    o.format = sim::StreamFormat::Fac7;
    o.formatGiven = true;
    o.fanDegrees = 180;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wide.dump"));
    ASSERT_TRUE(sim::writeDump(o, path, 0.5, nullptr));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray all = f.readAll();
    RevolutionCollector c;
    c.stream(reinterpret_cast<const uint8_t*>(all.constData()), static_cast<size_t>(all.size()));
    ASSERT_GE(c.revolutions.size(), 2u);
    expectPlausibleRevolution(c.revolutions.front(), 2, 360);
}

TEST(DumpOptions, LegacyIsRefusedOnNetworkLinksAndOddFanWidthsAreRefused) {
    sim::SimOptions o = udpOptions(1);
    o.format = sim::StreamFormat::Legacy;
    o.formatGiven = true;
    QString error;
    EXPECT_FALSE(sim::validateOptions(o, &error));
    EXPECT_FALSE(error.isEmpty());
    sim::SimOptions w;
    w.fanDegrees = 40;  // not whole 9-degree steps
    EXPECT_FALSE(sim::validateOptions(w, nullptr));
}

TEST(DumpOptions, PercentagesAndSecondsOutsideTheirRangeOrNotANumberAreRefused) {
    sim::SimOptions o;
    o.dropPercent = std::nan("");
    QString error;
    EXPECT_FALSE(sim::validateOptions(o, &error));
    EXPECT_FALSE(error.isEmpty());
    o.dropPercent = 0;
    o.corruptPercent = 101;
    EXPECT_FALSE(sim::validateOptions(o, nullptr));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nan.dump"));
    for (double seconds : {std::nan(""), 0.0, -1.0, 3601.0}) {
        error.clear();
        EXPECT_FALSE(sim::writeDump(sim::SimOptions(), path, seconds, &error)) << seconds;
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(path));
}

// ---------------------------------------------------------------- bytes from a peer

namespace {

QByteArray frameBytes(uint16_t mode, uint16_t sn, std::string_view body) {
    const Bytes f = encode_command_frame(mode, sn, body);
    return QByteArray(reinterpret_cast<const char*>(f.data()), static_cast<int>(f.size()));
}

}  // namespace

TEST(FrameSplitter, FrameInPiecesIsJoinedAndOneWithABadCrcIsDroppedWhole) {
    sim::FrameSplitter splitter(false);
    const QByteArray good = frameBytes(GS_PACK, 5, "xxxxxx");
    EXPECT_TRUE(splitter.feed(good.left(7)).empty());
    std::vector<sim::ReceivedCommand> got = splitter.feed(good.mid(7));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_TRUE(got[0].isFrame);
    EXPECT_EQ(got[0].mode, GS_PACK);
    EXPECT_EQ(got[0].sn, 5);

    QByteArray bad = good;
    bad[bad.size() - 1] = static_cast<char>(bad[bad.size() - 1] ^ 0xFF);
    got = splitter.feed(bad + frameBytes(C_PACK, 6, "LSTARH"));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].sn, 6);
    EXPECT_EQ(splitter.droppedFrames(), 1);
}

TEST(FrameSplitter, GarbageAndImpossibleLengthsAreSkippedAndTheNextFrameIsFound) {
    sim::FrameSplitter splitter(false);
    // 'L','H' headers announcing more than any frame may carry, stray 'L's
    // and binary noise, far more of it than the splitter ever holds.
    QByteArray garbage;
    for (int i = 0; i < 4000; ++i) garbage.append(QByteArray("LH\x43\x00\x01\x00\xFF\xFFL\x00\x80", 11));
    EXPECT_TRUE(splitter.feed(garbage).empty());
    const std::vector<sim::ReceivedCommand> got = splitter.feed(frameBytes(GS_PACK, 9, "xxxxxx"));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].sn, 9);
}

TEST(FrameSplitter, TextCommandsOnlyOnUartLinksAndNeverOverlong) {
    sim::FrameSplitter uart(true);
    const QByteArray overlong = "L" + QByteArray(200, 'A') + "H";
    std::vector<sim::ReceivedCommand> got = uart.feed(overlong + "LSTARH");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_FALSE(got[0].isFrame);
    EXPECT_EQ(got[0].body, QByteArray("LSTARH"));

    sim::FrameSplitter framed(false);
    EXPECT_TRUE(framed.feed("LSTARH").empty());
}

TEST(CommandHandler, MalformedSetArgumentsAreRefusedAndLeaveTheBlockAlone) {
    sim::SimOptions o;
    o.logCommands = false;
    sim::DeviceState state(o);
    ZoneStore zones;
    sim::CommandHandler handler(state, zones, o);
    const QByteArray before = state.blockBytes();
    for (const char* cmd : {"LSRPM:H",
                            "LSRPM:99999999999H",
                            "LSRPM:-600H",
                            "LSDID:4294967296H",
                            "LSUDP:1.2.3 255.0.0.0 1.2.3.1 6543H",
                            "LSUDP:1.2.3.4 255.0.0.0 1.2.3.1 0H",
                            "LSUDP:1.2.3.4 255.0.0.0 1.2.3.1 065536H",
                            "LSUDP:1.2.3.1000 255.0.0.0 1.2.3.1 6543H",
                            "LSDST:1.2.3.4H",
                            "LSOUT:zz0000000000000000000000H",
                            "LSOUT:0102H",
                            "LSPNP:H",
                            "LSPNP:12a4H",
                            "LSCCW:2H",
                            "LSZIR:1,70000H",
                            "LSZIR:2,100H",
                            "LSAZN:10H",
                            "LSAF:201H",
                            "LSFIR:100H",
                            "LSBPS:100H"}) {
        sim::CommandEffects fx;
        EXPECT_EQ(handler.applySet(QString::fromLatin1(cmd), fx), sim::CommandHandler::SetResult::Refused)
            << cmd;
        EXPECT_FALSE(fx.blockChanged) << cmd;
        EXPECT_FALSE(fx.moveAddress) << cmd;
    }
    EXPECT_EQ(state.blockBytes(), before);

    sim::CommandEffects fx;
    EXPECT_EQ(handler.applySet(QStringLiteral("LSNOPE:1H"), fx), sim::CommandHandler::SetResult::Unknown);
    EXPECT_EQ(handler.applySet(QStringLiteral("\x01\xFF"), fx), sim::CommandHandler::SetResult::Unknown);
}

// A re-sent zone write (its answer lost on the way) must not be carried out
// twice: a second reload found the image no longer erased and refused it, so
// a write that had succeeded ended as a failure.
TEST(ZoneStoreWrites, RequestSentAgainGetsItsFirstAnswerAgain) {
    ZoneStore store;
    const QByteArray image = store.image();
    const auto* bytes = reinterpret_cast<const uint8_t*>(image.constData());
    auto result = [&](uint16_t sn, uint32_t offset, uint16_t length, const uint8_t* data, size_t n) {
        const std::vector<uint8_t> body = zone_write_request(offset, length, data, n);
        const std::vector<QByteArray> replies = store.handle(
            ZONE_WRITE_PACK, sn, QByteArray(reinterpret_cast<const char*>(body.data()), int(body.size())));
        return replies.size() == 1 ? le32(reinterpret_cast<const uint8_t*>(replies[0].constData()) + 16)
                                   : 0xFFFFFFFFu;
    };
    uint8_t erase[8];
    put_le32(erase, kZoneDefSize);
    put_le32(erase + 4, crc32_words(bytes, kZoneDefSize / 4));
    ASSERT_EQ(result(1, kZoneErase, 0, erase, 8), 0u);
    for (uint32_t at = 0; at < kZoneDefSize; at += kZonePieceSize)
        ASSERT_EQ(result(uint16_t(2 + at / kZonePieceSize), at, kZonePieceSize, bytes + at, kZonePieceSize),
                  0u);
    EXPECT_EQ(result(900, kZoneReload, 0, nullptr, 0), 0u);
    EXPECT_EQ(result(900, kZoneReload, 0, nullptr, 0), 0u) << "the same request again";
    EXPECT_NE(result(901, kZoneReload, 0, nullptr, 0), 0u) << "a new reload without an erase";
}

TEST(CommandHandler, ShortZoneRequestsGetAReplyAndChangeNothing) {
    sim::SimOptions o;
    sim::DeviceState state(o);
    ZoneStore zones;
    sim::CommandHandler handler(state, zones, o);
    const QByteArray image = zones.image();
    for (int size : {0, 3, 8, 11}) {
        sim::CommandEffects fx;
        const std::vector<QByteArray> replies =
            handler.handleFrame(ZONE_WRITE_PACK, 1, QByteArray(size, '\xAD'), fx);
        ASSERT_EQ(replies.size(), 1u) << size;
        Reply r;
        ASSERT_TRUE(findReply(bytesOf(replies[0]), 1, &r));
        ASSERT_GE(r.payload.size(), 12);
        EXPECT_EQ(le32(reinterpret_cast<const uint8_t*>(r.payload.constData()) + 8),
                  uint32_t(ZoneStore::ResultShortRequest));
        EXPECT_FALSE(fx.zonesChanged);

        const std::vector<QByteArray> read =
            handler.handleFrame(ZONE_READ_PACK, 2, QByteArray(size, '\x01'), fx);
        ASSERT_EQ(read.size(), 1u);
        ASSERT_TRUE(findReply(bytesOf(read[0]), 2, &r));
        EXPECT_EQ(le32(reinterpret_cast<const uint8_t*>(r.payload.constData())), 0u);  // no usable image
    }
    EXPECT_EQ(zones.image(), image);
}

// ---------------------------------------------------------------- UDP

TEST(SimUdp, ParameterBlockSpeedChangeAndRefusal) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    const quint16 port = nextPort();
    sim::Simulator s(udpOptions(port));
    QString error;
    ASSERT_TRUE(s.start(&error)) << error.toStdString();
    UdpClient client("127.0.0.2", port);
    Reply r;

    client.send(GS_PACK, 0x1111, "xxxxxx");
    ASSERT_TRUE(client.await(0x1111, &r));
    EXPECT_EQ(r.code, 0xB8AC);
    EXPECT_EQ(r.length, 164u);
    EXPECT_STREQ(blockOf(r).typeId, "TQX-H540-S");
    EXPECT_EQ(blockOf(r).rpm, 600);

    client.send(S_PACK, 0x2222, "LSRPM:900H");
    ASSERT_TRUE(client.await(0x2222, &r));
    EXPECT_EQ(r.code, 0xFFAC);
    EXPECT_EQ(r.payload.left(2), QByteArray("OK"));

    client.send(S_PACK, 0x2223, "LSRPM:700H");  // not in the model's list
    ASSERT_TRUE(client.await(0x2223, &r));
    EXPECT_EQ(r.payload.left(2), QByteArray("NG"));

    client.send(S_PACK, 0x2224, "LSUDP:127.0.0.300 255.255.255.000 127.000.000.001 06543H");
    ASSERT_TRUE(client.await(0x2224, &r));
    EXPECT_EQ(r.payload.left(2), QByteArray("NG"));

    client.send(GS_PACK, 0x3333, "xxxxxx");
    ASSERT_TRUE(client.await(0x3333, &r));
    EXPECT_EQ(blockOf(r).rpm, 900);

    client.send(KEEPALIVE_PACK, 0x4444, std::string(32, '\x01'));
    ASSERT_TRUE(client.await(0x4444, &r));
    EXPECT_EQ(r.code, 0xB4BE);
    EXPECT_EQ(r.length, 44u);

    client.send(C_PACK, 0x5555, "LUUIDH");
    ASSERT_TRUE(client.await(0x5555, &r));
    EXPECT_EQ(r.code, 0xFFBC);
    EXPECT_TRUE(r.payload.startsWith("PRODUCT SN:VT2401A0001"));
}

TEST(SimUdp, StreamsRevolutionsToTheSourceOfLsats) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    const quint16 port = nextPort();
    sim::Simulator s(udpOptions(port));
    ASSERT_TRUE(s.start());
    UdpClient client("127.0.0.2", port);
    Reply r;
    client.send(S_PACK, 1, "LSATS:1H");
    ASSERT_TRUE(client.await(1, &r));
    RevolutionCollector c;
    client.collect(c, 5000, 3);
    ASSERT_GE(c.revolutions.size(), 3u);
    for (const Revolution& rev : c.revolutions) expectPlausibleRevolution(rev, 10, 360);
    // The scanner stops on LSTOPH: no fan arrives afterwards.
    client.send(C_PACK, 2, "LSTOPH");
    ASSERT_TRUE(client.await(2, &r));
    EXPECT_TRUE(r.payload.startsWith("LiDAR"));
    // What was in flight may still arrive on a busy machine; a scanner that kept
    // streaming never leaves a half-second window without fans.
    QElapsedTimer waited;
    waited.start();
    bool quietWindow = false;
    while (!quietWindow && waited.elapsed() < 10000) {
        RevolutionCollector window;
        client.collect(window, 500, 1000);
        quietWindow = window.fanCount == 0;
    }
    EXPECT_TRUE(quietWindow);
}

TEST(SimUdp, StateRecordCarriesTheFaultWord) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    const quint16 port = nextPort();
    sim::SimOptions o = udpOptions(port);
    o.faultWord = 0x4001;
    sim::Simulator s(o);
    ASSERT_TRUE(s.start());
    UdpClient client("127.0.0.2", port);
    Reply r;
    client.send(S_PACK, 1, "LSATS:1H");
    ASSERT_TRUE(client.await(1, &r));
    RevolutionCollector c;
    QElapsedTimer t;
    t.start();
    while (c.records == 0 && t.elapsed() < 5000) client.collect(c, 200, 1000);
    ASSERT_EQ(c.lastRecord.size(), 128);
    const auto* record = reinterpret_cast<const uint8_t*>(c.lastRecord.constData());
    EXPECT_EQ(le32(record + 40), 0x4001u);
    EXPECT_EQ(static_cast<int32_t>(le32(record + 48)), 0);  // TQX-H540-S has zones; active zone 0
}

TEST(SimUdp, RefuseMuteAndBadCrc) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    const quint16 port = nextPort();
    sim::SimOptions o = udpOptions(port);
    o.refuse = true;
    sim::Simulator s(o);
    ASSERT_TRUE(s.start());
    UdpClient client("127.0.0.2", port);
    Reply r;
    client.send(S_PACK, 7, "LSRPM:900H");
    ASSERT_TRUE(client.await(7, &r));
    EXPECT_EQ(r.payload.left(2), QByteArray("NG"));

    Bytes bad = encode_command_frame(GS_PACK, 8, "xxxxxx");
    bad.back() ^= 0xFF;
    client.sendRaw(bad);
    EXPECT_FALSE(client.await(8, &r, nullptr, 600));
    s.stop();

    sim::SimOptions m = udpOptions(port);
    m.mute = true;
    sim::Simulator muted(m);
    ASSERT_TRUE(muted.start());
    client.send(GS_PACK, 9, "xxxxxx");
    EXPECT_FALSE(client.await(9, &r, nullptr, 600));
}

TEST(SimUdp, StateFileKeepsSettingsAcrossRestart) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    QTemporaryDir dir;
    const quint16 port = nextPort();
    sim::SimOptions o = udpOptions(port);
    o.stateFile = dir.filePath(QStringLiteral("scanner.state"));
    Reply r;
    {
        sim::Simulator s(o);
        ASSERT_TRUE(s.start());
        UdpClient client("127.0.0.2", port);
        client.send(S_PACK, 1, "LSRPM:1200H");
        ASSERT_TRUE(client.await(1, &r));
        client.send(S_PACK, 2, "LSDID:4711H");
        ASSERT_TRUE(client.await(2, &r));
    }
    sim::Simulator again(o);
    ASSERT_TRUE(again.start());
    UdpClient client("127.0.0.2", port);
    client.send(GS_PACK, 3, "xxxxxx");
    ASSERT_TRUE(client.await(3, &r));
    EXPECT_EQ(blockOf(r).rpm, 1200);
    EXPECT_EQ(blockOf(r).deviceId, 4711u);
}

TEST(SimUdp, LsudpMovesTheScannerToTheNewLoopbackAddress) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    const quint16 port = nextPort();
    sim::Simulator s(udpOptions(port));
    ASSERT_TRUE(s.start());
    UdpClient client("127.0.0.2", port);
    Reply r;
    const std::string cmd = "LSUDP:127.000.000.003 255.000.000.000 127.000.000.001 " +
                            QStringLiteral("%1").arg(port + 1, 5, 10, QChar('0')).toStdString() + "H";
    client.send(S_PACK, 1, cmd);
    ASSERT_TRUE(client.await(1, &r));
    EXPECT_EQ(r.payload.left(2), QByteArray("OK"));
    UdpClient moved("127.0.0.3", port + 1);
    // The move happens right after the reply; give it a few tries.
    bool answered = false;
    for (int i = 0; i < 10 && !answered; ++i) {
        moved.send(GS_PACK, static_cast<uint16_t>(100 + i), "xxxxxx");
        answered = moved.await(static_cast<uint16_t>(100 + i), &r, nullptr, 200);
    }
    ASSERT_TRUE(answered);
    EXPECT_EQ(blockOf(r).ip[3], 3);
}

// ---------------------------------------------------------------- heartbeat

namespace {

// A socket that hears the heartbeat group on loopback, or -1.
int joinHeartbeatGroup() {
    const int sock = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (sock < 0) return -1;
    const int one = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_port = htons(6789);
    ip_mreq mreq{};
    mreq.imr_multiaddr.s_addr = inet_addr("225.225.225.225");
    mreq.imr_interface.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(sock, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0 ||
        setsockopt(sock, IPPROTO_IP, IP_ADD_MEMBERSHIP, &mreq, sizeof mreq) != 0) {
        ::close(sock);
        return -1;
    }
    return sock;
}

}  // namespace

class HeartbeatKinds : public ::testing::TestWithParam<int> {};

TEST_P(HeartbeatKinds, ArrivesOnTheMulticastGroup) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    const int size = GetParam();
    const int sock = joinHeartbeatGroup();
    ASSERT_GE(sock, 0);

    const quint16 port = nextPort();
    sim::SimOptions o = udpOptions(port);
    o.heartbeat = size == 112  ? sim::HeartbeatKind::Status112
                  : size == 80 ? sim::HeartbeatKind::Short80
                               : sim::HeartbeatKind::Short60;
    sim::Simulator s(o);
    ASSERT_TRUE(s.start());
    uint8_t buf[4096];
    std::string from;
    int n = 0;
    // Other tests' simulators announce themselves on the same group: ours is
    // the one of this layout that names this test's port (the 80-byte one names none).
    auto ours = [&] {
        if (n != size) return false;
        if (size == 112) return le16(buf + 78) == port;
        if (size == 60) return le16(buf + 56) == port;
        return true;
    };
    for (int i = 0; i < 10 && !ours(); ++i) n = udp_recv(sock, buf, sizeof buf, 1500, &from);
    ::close(sock);
    ASSERT_EQ(n, size);
    EXPECT_EQ(from, "127.0.0.2");
    if (size == 112) {
        EXPECT_EQ(std::memcmp(buf, "LiDA\x01\x01\x00\x00", 8), 0);
        EXPECT_STREQ(reinterpret_cast<char*>(buf + 16), "VT2401A0001");
        EXPECT_EQ((Bytes{buf[60], buf[61], buf[62], buf[63]}), (Bytes{127, 0, 0, 2}));
        EXPECT_EQ(le16(buf + 78), port);
    } else if (size == 80) {
        EXPECT_EQ(std::memcmp(buf + 4, "LiDA", 4), 0);
        EXPECT_EQ((Bytes{buf[10], buf[11], buf[12], buf[13]}), (Bytes{127, 0, 0, 2}));
    } else {
        EXPECT_EQ(std::memcmp(buf, "LiDA", 4), 0);
        EXPECT_EQ(le16(buf + 56), port);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryLayout, HeartbeatKinds, ::testing::Values(112, 80, 60));

TEST(SimFleet, EveryMemberAnnouncesItsOwnSerialNumberAndAddressOnceASecond) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    const int sock = joinHeartbeatGroup();
    ASSERT_GE(sock, 0);
    sim::SimOptions o = udpOptions(nextPort());
    o.heartbeat = sim::HeartbeatKind::Status112;
    o.fleet = 4;
    sim::Simulator s(o);
    ASSERT_TRUE(s.start());
    std::map<std::string, std::string> addressOf;  // serial number -> scanner address
    uint8_t buf[4096];
    QElapsedTimer clock;
    clock.start();
    while (addressOf.size() < 4 && clock.elapsed() < 5000) {
        if (udp_recv(sock, buf, sizeof buf, 500, nullptr) != 112) continue;
        addressOf[reinterpret_cast<char*>(buf + 16)] =
            std::to_string(buf[60]) + "." + std::to_string(buf[61]) + "." + std::to_string(buf[62]) + "." +
            std::to_string(buf[63]);
    }
    ::close(sock);
    const std::map<std::string, std::string> expected{{"VT2401A0001", "127.0.0.2"},
                                                      {"VT2401A0001-1", "10.77.0.2"},
                                                      {"VT2401A0001-2", "10.77.0.3"},
                                                      {"VT2401A0001-3", "10.77.0.4"}};
    EXPECT_EQ(addressOf, expected);
}

TEST(SimOptionsCheck, SpeedMustBeOneTheModelOffersAndMaxIsItsTopSpeed) {
    sim::SimOptions o = udpOptions(1);
    o.rpm = 700;  // TQX-H540-S turns at 600..1800 in steps of 300
    QString error;
    EXPECT_FALSE(sim::validateOptions(o, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("700")));
    o.rpm = 1800;
    EXPECT_TRUE(sim::validateOptions(o, nullptr));
    EXPECT_EQ(sim::DeviceState(o).block().rpm, 1800);
    o.model = QStringLiteral("TQX-H600-E");
    o.rpm = sim::kTopSpeed;
    EXPECT_TRUE(sim::validateOptions(o, nullptr));
    EXPECT_EQ(sim::DeviceState(o).block().rpm, 3000);
    for (int fleet : {0, -3, 20001}) {
        o.fleet = fleet;
        EXPECT_FALSE(sim::validateOptions(o, nullptr)) << fleet;
    }
}

// ---------------------------------------------------------------- TCP

TEST(SimTcp, CommandsOnPortAndRevolutionsOnPortPlusOne) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    const quint16 port = nextPort();
    sim::SimOptions o;
    o.tcpAddress = QStringLiteral("127.0.0.2");
    o.tcpPort = port;
    o.heartbeat = sim::HeartbeatKind::Off;
    o.logCommands = false;
    o.format = sim::StreamFormat::Faaa;
    o.formatGiven = true;
    sim::Simulator s(o);
    ASSERT_TRUE(s.start());
    const int cmd = tcp_connect("127.0.0.2", port);
    const int data = tcp_connect("127.0.0.2", port + 1);
    ASSERT_GT(cmd, 0);
    ASSERT_GT(data, 0);

    const Bytes f = encode_command_frame(GS_PACK, 0x77, "xxxxxx");
    tcp_send(cmd, f.data(), static_cast<int>(f.size()));
    Bytes got;
    uint8_t buf[8192];
    Reply r;
    QElapsedTimer t;
    t.start();
    while (!findReply(got, 0x77, &r) && t.elapsed() < 2000) {
        const int n = tcp_recv(cmd, buf, sizeof buf, 100);
        if (n > 0) got.insert(got.end(), buf, buf + n);
    }
    ASSERT_EQ(r.length, 164u);
    EXPECT_EQ(r.code, 0xB8AC);

    RevolutionCollector c;
    t.restart();
    while (c.revolutions.size() < 3 && t.elapsed() < 5000) {
        const int n = tcp_recv(data, buf, sizeof buf, 100);
        if (n > 0) c.stream(buf, static_cast<size_t>(n));
    }
    close_link(cmd, true);
    close_link(data, true);
    ASSERT_GE(c.revolutions.size(), 3u);
    for (const Revolution& rev : c.revolutions) expectPlausibleRevolution(rev, 10, 360);
}

// ---------------------------------------------------------------- serial

TEST(SimSerial, UartAnswersTheQueryTableAndStreamsLegacyFans) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    QTemporaryDir dir;
    sim::SimOptions o;
    o.serial = sim::SerialMode::Uart;
    o.serialLink = dir.filePath(QStringLiteral("ttyVSIM0"));
    o.logCommands = false;
    sim::Simulator s(o);
    QString error;
    ASSERT_TRUE(s.start(&error)) << error.toStdString();
    ASSERT_TRUE(QFileInfo(o.serialLink).isSymLink());
    const int h = open_serial(o.serialLink.toStdString(), 921600);
    ASSERT_GT(h, 0);

    RevolutionCollector c;
    collectSerial(h, c, 5000, 3);
    ASSERT_GE(c.revolutions.size(), 3u);
    EXPECT_GT(c.statusPackets, 0);
    for (const Revolution& rev : c.revolutions) expectPlausibleRevolution(rev, 10, 288);

    PtyIo io(h);
    EEpromV101 block{};
    std::string value;
    ASSERT_TRUE(uart_query(io, "LUUIDH", "PRODUCT SN:", 20, value, 10));
    ASSERT_TRUE(parse_query_value("LUUIDH", value, block));
    EXPECT_STREQ(block.productSn, "VT2401A0001");
    ASSERT_TRUE(uart_query(io, "LQSRPMH", "SRPM:", 4, value, 10));
    ASSERT_TRUE(parse_query_value("LQSRPMH", value, block));
    EXPECT_EQ(block.rpm, 600);
    ASSERT_TRUE(uart_query(io, "LQZIRH", "ZIR:", 7, value, 10));
    ASSERT_TRUE(parse_query_value("LQZIRH", value, block));
    EXPECT_EQ(block.zirDistance, 300);

    ASSERT_TRUE(uart_query(io, "LSRPM:900H", "Set RPM:", 12, value, 10));
    EXPECT_EQ(value, "OK");
    ASSERT_TRUE(uart_query(io, "LSRPM:450H", "Set RPM:", 12, value, 10));
    EXPECT_EQ(value, "NG");
    ASSERT_TRUE(uart_query(io, "LSPST:2H", "", 2, value, 10));
    EXPECT_EQ(value, "OK");
    ASSERT_TRUE(uart_query(io, "LSPST:7H", "", 2, value, 10));
    EXPECT_EQ(value, "NG");
    ASSERT_TRUE(uart_query(io, "LSSS1H", "ok", 2, value, 100));
    ASSERT_TRUE(uart_query(io, "LSTOPH", "LiDAR", 0, value, 10));
    ASSERT_TRUE(uart_query(io, "LSXYZ:1H", "", 2, value, 10));
    EXPECT_EQ(value, "unsupport");
    ASSERT_TRUE(uart_query(io, "LQSRPMH", "SRPM:", 4, value, 10));
    ASSERT_TRUE(parse_query_value("LQSRPMH", value, block));
    EXPECT_EQ(block.rpm, 900);
    close_link(h, false);
}

TEST(SimSerial, VpcSpeaksFramesAndStreamsGeneralFormat) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    sim::SimOptions o;
    o.serial = sim::SerialMode::Vpc;
    o.format = sim::StreamFormat::Fa99;
    o.formatGiven = true;
    o.logCommands = false;
    sim::Simulator s(o);
    ASSERT_TRUE(s.start());
    const int h = open_serial(s.serialPath().toStdString(), 115200);
    ASSERT_GT(h, 0);

    const Bytes f = encode_command_frame(GS_PACK, 0x99, "xxxxxx");
    serial_write(h, f.data(), static_cast<int>(f.size()));
    Bytes got;
    Reply r;
    uint8_t buf[4096];
    QElapsedTimer t;
    t.start();
    while (!findReply(got, 0x99, &r) && t.elapsed() < 2000) {
        const int n = serial_read(h, buf, sizeof buf);
        if (n > 0)
            got.insert(got.end(), buf, buf + n);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(r.length, 164u);
    EXPECT_EQ(blockOf(r).rpm, 600);

    RevolutionCollector c;
    collectSerial(h, c, 5000, 3);
    close_link(h, false);
    ASSERT_GE(c.revolutions.size(), 3u);
    for (const Revolution& rev : c.revolutions) expectPlausibleRevolution(rev, 10, 360);
}
