// The data receiver on UDP and TCP links, fed by a fake scanner on loopback
// that builds its packets by hand: revolutions from boundary to boundary,
// replies to the command sender, zone transfers bracketed by stop and start,
// keep-alives, and what is ignored (other senders, fans on the command link).

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDateTime>
#include <cstring>
#include <memory>

#include "netguard.h"
#include "recv_support.h"
#include "transport.h"
#include "zone_image.h"
#include "zone_store.h"

using namespace recvtest;

namespace {

// A UDP socket bound to a loopback address, playing the scanner.
class FakeScanner {
public:
    explicit FakeScanner(const char* address = "127.0.0.1") {
        m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, address, &local.sin_addr);
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
        socklen_t len = sizeof local;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &len);
        m_port = ntohs(local.sin_port);
    }
    ~FakeScanner() { ::close(m_fd); }
    void sendTo(int port, const Bytes& d) const { sendTo(port, d.data(), d.size()); }
    void sendTo(int port, const void* d, size_t n) const {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(uint16_t(port));
        inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
        ::sendto(m_fd, d, n, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    int port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

// A receiver on a UDP socket of its own, listening to one fake scanner.
struct UdpRig {
    UdpRig() {
        ensureApp();
        fd = udp_open(0, port);
        proc = std::make_unique<RecvDataProc>();
        sig = std::make_unique<Signals>(*proc);
        proc->recv_Init("UDP", fd, "127.0.0.1", scanner.port());
        proc->start();
    }
    ~UdpRig() {
        proc.reset();  // stops and joins the loop before the socket goes
        close_link(fd, true);
    }
    void send(const Bytes& d) const { scanner.sendTo(port, d); }
    void sendRevolution(uint16_t first = 0, int skipStart = -1) const {
        for (uint16_t s : revolutionStarts(first))
            if (s != skipStart) send(fanCF(s, 360, 20));
    }

    FakeScanner scanner;
    int fd = -1;
    int port = 0;
    std::unique_ptr<RecvDataProc> proc;
    std::unique_ptr<Signals> sig;
};

// The receiver has processed everything sent before a fan with this start
// (the fan itself is a marker: it reaches sig_spanData).
bool spanSeen(const Signals& sig, size_t count) {
    return waitFor([&] { return sig.spans.size() >= count; });
}

}  // namespace

// ---------------------------------------------------------------- revolutions

TEST(RecvUdpRevolutions, FirstRevolutionCalibratesAndLaterOnesRunBoundaryToBoundary) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    UdpRig rig;
    rig.sendRevolution(0);        // calibration: fans 0 .. 3240
    rig.send(fanCF(0, 360, 20));  // closes it: boundary is the fan nearest 180.0 degrees
    ASSERT_TRUE(waitFor([&] { return rig.sig->offsets.size() == 1; }));
    EXPECT_EQ(rig.sig->offsets[0], 1800);
    EXPECT_TRUE(rig.sig->lidar.empty());

    // 360 .. 1440 end on the boundary but do not make a whole revolution.
    for (uint16_t s = 360; s <= 1440; s = uint16_t(s + 360)) rig.send(fanCF(s, 360, 20));
    rig.sendRevolution(1800);  // 1800 .. 1440: whole
    rig.sendRevolution(1800);
    ASSERT_TRUE(waitFor([&] { return rig.sig->lidar.size() == 2; }));
    ASSERT_TRUE(spanSeen(*rig.sig, 11 + 4 + 20));
    for (const auto& rev : rig.sig->lidar) {
        ASSERT_EQ(rev.size(), 10u);
        EXPECT_EQ(rev.front().start, 1800);
        EXPECT_EQ(rev.back().start, 1440);
        int spanSum = 0;
        for (const RawData& f : rev) spanSum += f.span;
        EXPECT_EQ(spanSum, 3600);
        EXPECT_EQ(rev.front().count, 20);
        EXPECT_FLOAT_EQ(rev.front().points[3].distance, 1.003f);
    }
    EXPECT_EQ(rig.sig->offsets.size(), 1u);
}

TEST(RecvUdpRevolutions, DatagramWithTwoFansYieldsOnlyTheFirst) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    UdpRig rig;
    rig.send(cat(fanCF(720, 360, 10), fanCF(1080, 360, 10)));
    rig.send(fanCF(1440, 360, 5));
    ASSERT_TRUE(spanSeen(*rig.sig, 2));
    EXPECT_EQ(rig.sig->spans.size(), 2u);
    EXPECT_EQ(rig.sig->spans[0].start, 720);
    EXPECT_EQ(rig.sig->spans[1].start, 1440);
}

TEST(RecvUdpRevolutions, LostFanDropsItsRevolutionWithALogLine) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    LogCapture log;
    UdpRig rig;
    rig.sendRevolution(0);
    rig.send(fanCF(0, 360, 20));
    ASSERT_TRUE(waitFor([&] { return rig.sig->offsets.size() == 1; }));
    for (uint16_t s = 360; s <= 1440; s = uint16_t(s + 360)) rig.send(fanCF(s, 360, 20));
    rig.sendRevolution(1800, 2520);  // the fan at 252.0 degrees is lost
    rig.sendRevolution(1800);
    ASSERT_TRUE(waitFor([&] { return rig.sig->lidar.size() == 1; }));
    ASSERT_TRUE(spanSeen(*rig.sig, 11 + 4 + 9 + 10));
    EXPECT_EQ(rig.sig->lidar.size(), 1u);  // only the whole one
    EXPECT_TRUE(log.contains("angle sum 3240, drop 9 fans 180 points"));
}

TEST(RecvUdpRevolutions, DatagramFromAnotherAddressIsIgnored) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    UdpRig rig;
    FakeScanner stranger("127.0.0.2");
    for (uint16_t s : revolutionStarts(0)) stranger.sendTo(rig.port, fanCF(s, 360, 20));
    rig.send(fanCF(1800, 360, 7));  // sent after the stranger's, arrives after them
    ASSERT_TRUE(spanSeen(*rig.sig, 1));
    ASSERT_EQ(rig.sig->spans.size(), 1u);
    EXPECT_EQ(rig.sig->spans[0].count, 7);
}

TEST(RecvUdpRevolutions, NewScannerAddressIsFollowed) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    UdpRig rig;
    FakeScanner moved("127.0.0.2");
    rig.proc->setAddress("127.0.0.2", moved.port());
    // Once the loop has taken the new address, the old one is a stranger.
    ASSERT_TRUE(waitFor([&] {
        moved.sendTo(rig.port, fanCF(360, 360, 2));
        return !rig.sig->spans.empty();
    }));
    rig.send(fanCF(720, 360, 9));
    moved.sendTo(rig.port, fanCF(1080, 360, 3));  // sent last, seen last
    auto seen1080 = [&] {
        for (const RawData& f : rig.sig->spans)
            if (f.start == 1080) return true;
        return false;
    };
    ASSERT_TRUE(waitFor(seen1080));
    for (const RawData& f : rig.sig->spans) EXPECT_NE(f.start, 720);
}

// ---------------------------------------------------------------- replies

TEST(RecvUdpReplies, StatusReplyNgReportsFailureAndOkReportsSuccess) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    UdpRig rig;
    rig.send(replyFrame(0xFFAC, 0x1234, ascii("NG")));
    rig.send(replyFrame(0xFFAC, 0x1235, ascii("OK")));
    ASSERT_TRUE(waitFor([&] { return rig.sig->cmdRecv.size() == 2; }));
    EXPECT_EQ(rig.sig->cmdRecv[0].sign, 0x484C);
    EXPECT_EQ(rig.sig->cmdRecv[0].sn, 0x1234);
    EXPECT_FALSE(rig.sig->cmdRecv[0].ok);
    EXPECT_EQ(rig.sig->cmdRecv[1].sn, 0x1235);
    EXPECT_TRUE(rig.sig->cmdRecv[1].ok);
    const auto texts = rig.sig->ofType(12);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], QByteArray("NG"));
}

TEST(RecvUdpReplies, ParameterBlockAndTextReplyReachTheMainWindowAndTheSender) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    UdpRig rig;
    Bytes block(152);
    for (size_t i = 0; i < block.size(); ++i) block[i] = uint8_t(i * 7);
    rig.send(paramBlockReply(0x0102, block));
    rig.send(replyFrame(0xFFBC, 0x0203, ascii("LiDAR 1.2")));
    ASSERT_TRUE(waitFor([&] { return rig.sig->cmdRecv.size() == 2; }));
    const auto blocks = rig.sig->ofType(5);
    ASSERT_EQ(blocks.size(), 1u);
    ASSERT_EQ(blocks[0].size(), 512);
    EXPECT_EQ(0, std::memcmp(blocks[0].constData(), block.data(), block.size()));
    EXPECT_EQ(rig.sig->cmdRecv[0].sn, 0x0102);
    EXPECT_TRUE(rig.sig->cmdRecv[0].ok);
    EXPECT_EQ(rig.sig->cmdRecv[1].sn, 0x0203);
    const auto texts = rig.sig->ofType(12);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], QByteArray("LiDAR 1.2"));
}

// ---------------------------------------------------------------- pacing

TEST(RecvUdpPacing, KeepAliveCarriesTheTimeWithinTheHour) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    UdpRig rig;
    ASSERT_TRUE(waitFor([&] { return rig.sig->countMode(0x4B41) >= 2; }, 7000));
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch() % 3600000;
    for (const ZoneCmd& c : rig.sig->zoneCmds) {
        if (c.mode != 0x4B41) continue;
        EXPECT_EQ(c.fd, rig.fd);
        EXPECT_EQ(c.ip, QString("127.0.0.1"));
        EXPECT_EQ(c.port, rig.scanner.port());
        EXPECT_EQ(c.len, 32);
        ASSERT_EQ(c.cmd.size(), 32);
        EXPECT_TRUE(c.isrepeat);
        const auto* p = reinterpret_cast<const uint8_t*>(c.cmd.constData());
        const qint64 ms = qint64(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24);
        // Sent within the last few seconds (allowing for the turn of the hour).
        const qint64 age = (nowMs - ms + 3600000) % 3600000;
        EXPECT_LT(age, 8000);
        EXPECT_EQ(0, p[12] | p[13] | p[14] | p[15]);
    }
}

// ---------------------------------------------------------------- zones

namespace {

// Answers the receiver's zone requests with a ZoneStore, over the wire.
void answerZones(UdpRig& rig, ZoneStore& store) {
    rig.sig->onZoneCmd = [&rig, &store](const ZoneCmd& c) {
        if (c.mode != 0x5A47 && c.mode != 0x5A53) return;
        for (const QByteArray& reply : store.handle(uint16_t(c.mode), uint16_t(c.sn), c.cmd))
            rig.scanner.sendTo(rig.port, reply.constData(), size_t(reply.size()));
    };
}

}  // namespace

TEST(RecvUdpZones, ZoneReadIsBracketedByStopAndStart) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    UdpRig rig;
    ZoneStore store;
    // The device holds one rectangle in zone 3.
    zones stored;
    stored.count = 1;
    stored.entries[0].type = ZoneShapeRectangle;
    stored.entries[0].zoneId = 3;
    stored.entries[0].kind = ZoneKindAlarm;
    stored.entries[0].pointCount = 2;
    stored.entries[0].points[0] = {-500, -500};
    stored.entries[0].points[1] = {1500, 800};
    ZoneAlarm packer;
    ASSERT_GE(packer.ZonesToZoneDef(stored, 0), 0);
    store.setImage(QByteArray(reinterpret_cast<const char*>(packer.zoneDef()), int(sizeof(ZoneDef))));
    answerZones(rig, store);

    rig.proc->recv_zoneCmd(1, zones{});
    ASSERT_TRUE(waitFor([&] { return rig.sig->indexOf(0x0043, "LSTOPH") >= 0; }, 2500));
    ASSERT_TRUE(waitFor([&] { return !rig.sig->ofType(6).empty(); }, 20000));
    EXPECT_EQ(rig.sig->ofType(6)[0], QByteArray("1"));
    ASSERT_EQ(rig.sig->zoneData.size(), 1u);
    EXPECT_EQ(rig.sig->zoneData[0].count, 1);
    EXPECT_EQ(rig.sig->zoneData[0].entries[0].zoneId, 3);
    EXPECT_EQ(rig.sig->zoneData[0].entries[0].type, ZoneShapeRectangle);

    const int stop = rig.sig->indexOf(0x0043, "LSTOPH");
    const int start = rig.sig->indexOf(0x0043, "LSTARH");
    ASSERT_GE(start, 0);
    int firstRead = -1, lastRead = -1;
    for (int i = 0; i < int(rig.sig->zoneCmds.size()); ++i) {
        if (rig.sig->zoneCmds[size_t(i)].mode != 0x5A47) continue;
        if (firstRead < 0) firstRead = i;
        lastRead = i;
        EXPECT_FALSE(rig.sig->zoneCmds[size_t(i)].isrepeat);  // tracked by the sender
    }
    EXPECT_LT(stop, firstRead);
    EXPECT_GT(start, lastRead);
    EXPECT_EQ(rig.sig->zoneCmds[size_t(start)].fd, rig.fd);
    EXPECT_EQ(rig.sig->zoneCmds[size_t(start)].port, rig.scanner.port());
    // The sender's zone entry is retired with sn 0xFFFF.
    bool retired = false;
    for (const CmdRecv& c : rig.sig->cmdRecv) retired |= c.sn == 0xFFFF && c.ok;
    EXPECT_TRUE(retired);
}

TEST(RecvUdpZones, WriteOfAnEmptySetRunsToTheReloadAndRestarts) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    UdpRig rig;
    ZoneStore store;
    answerZones(rig, store);
    rig.proc->recv_zoneinit();
    ASSERT_TRUE(waitFor([&] { return !rig.sig->ofType(7).empty(); }, 20000));
    EXPECT_EQ(rig.sig->ofType(7)[0], QByteArray("1"));
    EXPECT_GE(rig.sig->countMode(0x5A53), 418);  // erase, 416 pieces, reload
    const int start = rig.sig->indexOf(0x0043, "LSTARH");
    ASSERT_GE(start, 0);
    EXPECT_GT(start, rig.sig->indexOf(0x0043, "LSTOPH"));
}

TEST(RecvUdpZones, UploadWithoutAnImageFailsAndRestartsTheScan) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    UdpRig rig;
    rig.proc->recv_zoneCmd(3, zones{});
    ASSERT_TRUE(waitFor([&] { return !rig.sig->ofType(7).empty(); }, 5000));
    EXPECT_EQ(rig.sig->ofType(7)[0], QByteArray("-1"));
    ASSERT_TRUE(waitFor([&] { return rig.sig->indexOf(0x0043, "LSTARH") >= 0; }));
    EXPECT_LT(rig.sig->indexOf(0x0043, "LSTOPH"), rig.sig->indexOf(0x0043, "LSTARH"));
    EXPECT_EQ(rig.sig->countMode(0x5A53), 0);
}

// A zone operation asked for while the link was stopped belongs to that link:
// the next link's loop drops it instead of running it on another scanner.
TEST(RecvUdpZones, PendingOperationOfAStoppedLinkNeverRunsOnTheNext) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    UdpRig rig;
    rig.proc->runFlag = 0;
    rig.proc->recv_zoneCmd(1, zones{});
    int port = 0;
    const int next = udp_open(0, port);
    ASSERT_GT(next, 0);
    rig.proc->recv_Init("UDP", next, "127.0.0.1", rig.scanner.port());
    // The first keep-alive on the new link comes after its loop has run for two seconds.
    ASSERT_TRUE(waitFor(
        [&] {
            for (const ZoneCmd& c : rig.sig->zoneCmds)
                if (c.mode == 0x4B41 && c.fd == next) return true;
            return false;
        },
        6000));
    EXPECT_EQ(rig.sig->indexOf(0x0043, "LSTOPH"), -1);
    EXPECT_EQ(rig.sig->countMode(0x5A47), 0);
    rig.proc.reset();
    close_link(next, true);
}

TEST(RecvUdpZones, LateZoneReplyWithoutARunningOperationIsIgnored) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    UdpRig rig;
    Bytes body;
    put32(body, 0x101);
    put32(body, 0xFD0010F0);
    put32(body, 0);
    put32(body, 0x34000);
    put32(body, 0);
    rig.send(replyFrame(0xA5B8, 7, body));
    rig.send(fanCF(1800, 360, 3));
    ASSERT_TRUE(spanSeen(*rig.sig, 1));
    EXPECT_TRUE(rig.sig->ofType(6).empty());
    EXPECT_EQ(rig.sig->countMode(0x5A47), 0);
    EXPECT_EQ(rig.sig->indexOf(0x0043, "LSTARH"), -1);
}

// ---------------------------------------------------------------- TCP

namespace {

// Both TCP connections: the receiver's ends and the fake scanner's ends.
struct TcpRig {
    TcpRig() {
        ensureApp();
        int cmdPort = 0, dataPort = 0;
        const int lc = testsupport::listenLoopbackTcp(cmdPort);
        const int ld = testsupport::listenLoopbackTcp(dataPort);
        cmdSock = tcp_connect("127.0.0.1", cmdPort);
        dataSock = tcp_connect("127.0.0.1", dataPort);
        devCmd = ::accept(lc, nullptr, nullptr);
        devData = ::accept(ld, nullptr, nullptr);
        ::close(lc);
        ::close(ld);
        proc = std::make_unique<RecvDataProc>();
        sig = std::make_unique<Signals>(*proc);
        proc->setCommandLink(cmdSock, cmdPort);
        proc->recv_Init("TCP", dataSock, "127.0.0.1", dataPort);
        proc->start();
    }
    ~TcpRig() {
        proc.reset();
        for (int s : {cmdSock, dataSock, devCmd, devData}) close_link(s, true);
    }
    static void write(int s, const Bytes& d) {
        ASSERT_EQ(tcp_send(s, d.data(), int(d.size())), int(d.size()));
    }

    int cmdSock = -1, dataSock = -1, devCmd = -1, devData = -1;
    std::unique_ptr<RecvDataProc> proc;
    std::unique_ptr<Signals> sig;
};

}  // namespace

TEST(RecvTcp, ParameterBlockOnTheCommandConnectionReachesMainWindowAndSender) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    TcpRig rig;
    Bytes block(152, 0x5A);
    block[0] = 0x11;
    TcpRig::write(rig.devCmd, paramBlockReply(0x4321, block));
    ASSERT_TRUE(waitFor([&] { return !rig.sig->ofType(5).empty(); }));
    EXPECT_EQ(rig.sig->ofType(5)[0].left(152), QByteArray(reinterpret_cast<const char*>(block.data()), 152));
    ASSERT_EQ(rig.sig->cmdRecv.size(), 1u);
    EXPECT_EQ(rig.sig->cmdRecv[0].sign, 0x484C);
    EXPECT_EQ(rig.sig->cmdRecv[0].sn, 0x4321);
    EXPECT_TRUE(rig.sig->cmdRecv[0].ok);
}

TEST(RecvTcp, FanOnTheCommandConnectionIsIgnored) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    TcpRig rig;
    TcpRig::write(rig.devCmd, fanCF(0, 360, 20));
    TcpRig::write(rig.devCmd, replyFrame(0xFFBC, 9, ascii("SRPM:0600")));
    ASSERT_TRUE(waitFor([&] { return !rig.sig->cmdRecv.empty(); }));  // the fan was before it
    TcpRig::write(rig.devData, fanCF(360, 360, 4));
    ASSERT_TRUE(spanSeen(*rig.sig, 1));
    ASSERT_EQ(rig.sig->spans.size(), 1u);
    EXPECT_EQ(rig.sig->spans[0].start, 360);
    EXPECT_EQ(rig.sig->ofType(12).at(0), QByteArray("SRPM:0600"));
}

namespace {

// A reply header claiming 65535 payload bytes, then line noise: the frame can
// never complete in the receive buffer of either connection.
Bytes neverEndingReply(size_t noise) {
    Bytes stream{'L', 'H', 0xBC, 0xFF, 0x09, 0x00, 0xFF, 0xFF};
    stream.resize(stream.size() + noise, 0x01);
    return stream;
}

}  // namespace

TEST(RecvTcp, ReplyHeaderAnnouncingMoreThanTheCommandBufferHoldsDoesNotStallIt) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    LogCapture log;
    TcpRig rig;
    TcpRig::write(rig.devCmd, cat(neverEndingReply(1500), replyFrame(0xFFBC, 7, ascii("SRPM:0700"))));
    ASSERT_TRUE(waitFor([&] { return !rig.sig->ofType(12).empty(); }));
    EXPECT_EQ(rig.sig->ofType(12)[0], QByteArray("SRPM:0700"));
    ASSERT_EQ(rig.sig->cmdRecv.size(), 1u);
    EXPECT_EQ(rig.sig->cmdRecv[0].sn, 7);
    EXPECT_TRUE(log.contains("drop 512 bytes: 4c 48 bc ff 09 00"));
}

TEST(RecvTcp, ReplyHeaderAnnouncingMoreThanTheDataBufferHoldsDoesNotStallIt) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    LogCapture log;
    TcpRig rig;
    TcpRig::write(rig.devData, cat(neverEndingReply(9000), fanCF(360, 360, 4)));
    ASSERT_TRUE(spanSeen(*rig.sig, 1));
    EXPECT_EQ(rig.sig->spans[0].start, 360);
    EXPECT_TRUE(log.contains("drop 4096 bytes: 4c 48 bc ff 09 00"));
}

TEST(RecvTcp, StreamSplitAcrossReadsStillYieldsEveryFan) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    TcpRig rig;
    Bytes stream;
    for (uint16_t s : revolutionStarts(0)) stream = cat(stream, fanCF(s, 360, 30));
    const size_t half = stream.size() / 2 + 3;  // cuts a fan in two
    TcpRig::write(rig.devData, Bytes(stream.begin(), stream.begin() + long(half)));
    ASSERT_TRUE(waitFor([&] { return rig.sig->spans.size() >= 4; }));
    TcpRig::write(rig.devData, Bytes(stream.begin() + long(half), stream.end()));
    ASSERT_TRUE(spanSeen(*rig.sig, 10));
    for (size_t i = 0; i < 10; ++i) EXPECT_EQ(rig.sig->spans[i].start, 360 * i);
}

TEST(RecvTcp, ZoneReadRunsOnTheCommandConnection) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    TcpRig rig;
    ZoneStore store;
    rig.sig->onZoneCmd = [&rig, &store](const ZoneCmd& c) {
        if (c.mode != 0x5A47) return;
        EXPECT_EQ(c.fd, rig.cmdSock);
        for (const QByteArray& reply : store.handle(uint16_t(c.mode), uint16_t(c.sn), c.cmd))
            TcpRig::write(rig.devCmd, Bytes(reply.begin(), reply.end()));
    };
    rig.proc->recv_zoneCmd(1, zones{});
    ASSERT_TRUE(waitFor([&] { return !rig.sig->ofType(6).empty(); }, 20000));
    EXPECT_EQ(rig.sig->ofType(6)[0], QByteArray("1"));
    EXPECT_EQ(rig.sig->zoneData.size(), 1u);
    const int stop = rig.sig->indexOf(0x0043, "LSTOPH");
    const int start = rig.sig->indexOf(0x0043, "LSTARH");
    ASSERT_GE(stop, 0);
    ASSERT_GT(start, stop);
    EXPECT_EQ(rig.sig->zoneCmds[size_t(start)].fd, rig.cmdSock);
}

// Regression: the TCP command worker's zone converter never heard of the
// rotation direction, so zones read or written over TCP were not mirrored.
TEST(RecvTcp, ZoneReadOverTcpFollowsTheRotationDirection) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    TcpRig rig;
    auto list = std::make_unique<zones>();
    ZoneEntry& e = list->entries[list->count++];
    e.type = ZoneShapeRectangle;
    e.zoneId = 0;
    e.kind = 2;
    e.points[0] = {1000, 100};  // bottom, left
    e.points[1] = {2000, 600};  // top, right
    e.pointCount = 2;
    auto image = std::make_unique<ZoneDef>();
    ASSERT_EQ(zones_to_zonedef(*list, false, 0, *image, nullptr), kZoneListOk);
    ZoneStore store;
    store.setImage(QByteArray(reinterpret_cast<const char*>(image.get()), int(sizeof(ZoneDef))));
    rig.sig->onZoneCmd = [&rig, &store](const ZoneCmd& c) {
        if (c.mode != 0x5A47) return;
        for (const QByteArray& reply : store.handle(uint16_t(c.mode), uint16_t(c.sn), c.cmd))
            TcpRig::write(rig.devCmd, Bytes(reply.begin(), reply.end()));
    };
    rig.proc->setDirection(1);
    rig.proc->recv_zoneCmd(1, zones{});
    ASSERT_TRUE(waitFor([&] { return !rig.sig->ofType(6).empty(); }, 20000));
    ASSERT_EQ(rig.sig->zoneData.size(), 1u);
    const zones& got = rig.sig->zoneData[0];
    ASSERT_EQ(got.count, 1);
    // Read back with the other direction, the lateral coordinates change sign.
    EXPECT_EQ(got.entries[0].points[0].first, 1000);
    EXPECT_EQ(got.entries[0].points[0].second, -100);
    EXPECT_EQ(got.entries[0].points[1].second, -600);
}

// The device closing either connection ends the link once, however many of
// the receiver's loops notice it.
TEST(RecvTcp, DeviceClosingAConnectionEndsTheLinkOnce) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    for (const bool data : {true, false}) {
        SCOPED_TRACE(data ? "data connection" : "command connection");
        TcpRig rig;
        ::shutdown(data ? rig.devData : rig.devCmd, SHUT_RDWR);
        ASSERT_TRUE(waitFor([&] { return !rig.sig->lost.empty(); }));
        EXPECT_EQ(rig.sig->lost[0].second, QString("The device closed the connection!"));
        QTest::qWait(300);  // would a spinning loop, or the other one, repeat the report?
        EXPECT_EQ(rig.sig->lost.size(), 1u);
        EXPECT_TRUE(rig.sig->ofType(1).empty());
    }
}
