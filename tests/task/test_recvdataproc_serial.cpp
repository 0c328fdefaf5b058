// The data receiver on a serial link, played by a pseudo-terminal: the
// switch to the legacy decoder, reply lines, undecodable bytes, zone
// operations bracketed by the serial stop/start commands, recalibration, and
// the end of the link when the port vanishes. Also the report of a broken
// link handle and the zone image handed out for an export. No IP socket is
// opened here.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <cstdlib>
#include <memory>

#include "recv_support.h"
#include "scanner_link.h"
#include "transport.h"
#include "zone_store.h"

using namespace recvtest;

namespace {

// The scanner's end of a pseudo-terminal; the receiver opens the other end.
class Pty {
public:
    Pty() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(m_master);
        ::unlockpt(m_master);
        m_slave = ::ptsname(m_master);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~Pty() { unplug(); }
    const std::string& slave() const { return m_slave; }
    // Writes everything, waiting while the terminal is full; false when the
    // reader stopped draining it for five seconds.
    bool write(const Bytes& d) {
        size_t done = 0;
        QDeadlineTimer deadline(5000);
        while (done < d.size()) {
            const ssize_t n = ::write(m_master, d.data() + done, d.size() - done);
            if (n > 0) {
                done += size_t(n);
                continue;
            }
            if (deadline.hasExpired()) return false;
            pollfd p{m_master, POLLOUT, 0};
            ::poll(&p, 1, 50);
        }
        return true;
    }
    void unplug() {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    std::string m_slave;
};

struct SerialRig {
    explicit SerialRig(const char* type = "UART") {
        ensureApp();
        // The port list never holds the pseudo-terminal: only silence keeps it open.
        ::setenv("VANTREL_SERIAL_PORTS", "ttyVantrelAbsent", 1);
        fd = open_serial(pty.slave(), 115200);
        link = ScannerLink::borrow(fd, 0, false);
        proc = std::make_unique<RecvDataProc>();
        sig = std::make_unique<Signals>(*proc);
        proc->attachLink(type, link, QString::fromStdString(pty.slave()), 115200);
        proc->start();
        proc->runFlag = 1;  // the device has been identified
    }
    ~SerialRig() {
        proc.reset();
        close_link(fd, false);
        ::unsetenv("VANTREL_SERIAL_PORTS");
    }

    Pty pty;
    int fd = -1;
    LinkRef link;
    std::unique_ptr<RecvDataProc> proc;
    std::unique_ptr<Signals> sig;
};

}  // namespace

TEST(RecvSerial, StatusPacketSwitchesToTheLegacyDecoder) {
    SerialRig rig;
    ASSERT_GT(rig.fd, 0);
    // Bit 2 set, bit 1 clear: the general decoder reports smooth and switches to legacy.
    ASSERT_TRUE(rig.pty.write(statusPacket(0x04)));
    ASSERT_TRUE(waitFor([&] { return rig.sig->uartStates.size() == 1; }));
    EXPECT_EQ(rig.sig->uartStates[0], std::make_pair(true, false));
    // The legacy decoder reads bit 2 as the second flag.
    ASSERT_TRUE(rig.pty.write(statusPacket(0x04)));
    ASSERT_TRUE(waitFor([&] { return rig.sig->uartStates.size() == 2; }));
    EXPECT_EQ(rig.sig->uartStates[1], std::make_pair(false, true));

    std::vector<uint16_t> words;
    for (uint16_t i = 0; i < 40; ++i) words.push_back(uint16_t(250 + i));
    ASSERT_TRUE(rig.pty.write(legacyCE(720, words)));
    ASSERT_TRUE(waitFor([&] { return rig.sig->spans.size() == 1; }));
    const RawData& fan = rig.sig->spans[0];
    EXPECT_EQ(fan.tag, 0xFACE);
    EXPECT_EQ(fan.start, 720);
    EXPECT_EQ(fan.span, 360);
    EXPECT_EQ(fan.count, 40);
    EXPECT_FLOAT_EQ(fan.points[0].distance, 2.5f);  // centimetres: flag 0 is clear
}

TEST(RecvSerial, ReplyLineAfterNoiseReachesTheMainWindow) {
    SerialRig rig;
    ASSERT_TRUE(rig.pty.write(cat(Bytes{0x00, 0x13, 0xFE, 0x07}, ascii("SRPM:0600\r\n"))));
    ASSERT_TRUE(waitFor([&] { return !rig.sig->ofType(12).empty(); }));
    EXPECT_EQ(rig.sig->ofType(12)[0], QByteArray("SRPM:0600"));
}

TEST(RecvSerial, FrameHeaderAnnouncingMoreThanTheBufferCanHoldDoesNotStallTheLink) {
    LogCapture log;
    SerialRig rig;
    // A text reply header claiming 65535 payload bytes, then line noise: the
    // frame can never complete in an 8192-byte buffer.
    Bytes stream{'L', 'H', 0xBC, 0xFF, 0x01, 0x00, 0xFF, 0xFF};
    stream.resize(stream.size() + 9000, 0x01);
    stream = cat(stream, ascii("SRPM:0700\r\n"));
    ASSERT_TRUE(rig.pty.write(stream));
    ASSERT_TRUE(waitFor([&] { return !rig.sig->ofType(12).empty(); }));
    EXPECT_EQ(rig.sig->ofType(12)[0], QByteArray("SRPM:0700"));
    EXPECT_TRUE(log.contains("drop 4096 bytes: 4c 48 bc ff 01 00"));
}

TEST(RecvSerial, ResetCalibrationFindsTheBoundaryAgain) {
    SerialRig rig;
    Bytes first;
    for (uint16_t s : revolutionStarts(0)) first = cat(first, fanCF(s, 360, 10));
    ASSERT_TRUE(rig.pty.write(cat(first, fanCF(0, 360, 10))));
    ASSERT_TRUE(waitFor([&] { return rig.sig->offsets.size() == 1; }));
    EXPECT_EQ(rig.sig->offsets[0], 1800);

    // Now 72-degree fans: 144.0 and 216.0 are equally near 180.0, the first wins.
    rig.proc->resetCalibration();
    Bytes second;
    for (uint16_t s : {0, 720, 1440, 2160, 2880, 0}) second = cat(second, fanCF(s, 720, 10));
    ASSERT_TRUE(rig.pty.write(second));
    ASSERT_TRUE(waitFor([&] { return rig.sig->offsets.size() == 2; }));
    EXPECT_EQ(rig.sig->offsets[1], 1440);
}

namespace {

// Runs a zone read against a ZoneStore on the other end of the terminal and
// checks the serial stop/start commands around it.
void zoneReadOverSerial(const char* type, int commandMode, bool restartUntracked) {
    SerialRig rig(type);
    ZoneStore store;
    rig.sig->onZoneCmd = [&rig, &store](const ZoneCmd& c) {
        if (c.mode != 0x5A47) return;
        for (const QByteArray& reply : store.handle(uint16_t(c.mode), uint16_t(c.sn), c.cmd))
            ASSERT_TRUE(rig.pty.write(Bytes(reply.begin(), reply.end())));
    };
    rig.proc->recv_zoneCmd(1, zones{});
    ASSERT_TRUE(waitFor([&] { return !rig.sig->ofType(6).empty(); }, 20000));
    EXPECT_EQ(rig.sig->ofType(6)[0], QByteArray("1"));
    EXPECT_EQ(rig.sig->zoneData.size(), 1u);
    ASSERT_EQ(rig.sig->ofType(11).size(), 1u);
    EXPECT_EQ(rig.sig->ofType(11)[0], QByteArray("1"));

    const int stop = rig.sig->indexOf(commandMode, "LSPST:0H");
    const int start = rig.sig->indexOf(commandMode, "LSPST:3H");
    ASSERT_GE(stop, 0);
    ASSERT_GT(start, stop);
    for (int i : {stop, start}) {
        const ZoneCmd& c = rig.sig->zoneCmds[size_t(i)];
        EXPECT_EQ(c.fd, rig.fd);
        EXPECT_TRUE(c.ip.isEmpty());
        EXPECT_EQ(c.port, 0);
        EXPECT_EQ(c.len, 8);
    }
    EXPECT_FALSE(rig.sig->zoneCmds[size_t(stop)].isrepeat);
    EXPECT_EQ(rig.sig->zoneCmds[size_t(start)].isrepeat, restartUntracked);
    EXPECT_EQ(rig.sig->indexOf(0x0043, "LSTOPH"), -1);
}

}  // namespace

TEST(RecvSerial, ZoneReadOnUartUsesTheSerialStopAndRestart) {
    zoneReadOverSerial("UART", 0x0043, false);
}

TEST(RecvSerial, ZoneReadOnVpcUsesStatusFramesForStopAndRestart) {
    zoneReadOverSerial("VPC", 0x0053, true);
}

// A port that vanishes ends the link for every holder, reported once: at
// once when the line hangs up (adapter unplugged, terminal master gone),
// after about ten thousand silent rounds when it just falls silent and is no
// longer listed.
TEST(RecvSerial, VanishedPortEndsTheLinkExactlyOnce) {
    const struct {
        bool hangUp;
        const char* text;
        int withinMs;
    } cases[] = {
        {true, "The serial port %1 is no longer available; disconnected!", 5000},
        {false, "Serial port data not detected for a long time, automatic disconnection!", 40000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SerialRig rig;
        if (c.hangUp) rig.pty.unplug();
        ASSERT_TRUE(waitFor([&] { return !rig.sig->lost.empty(); }, c.withinMs));
        EXPECT_EQ(rig.sig->lost[0].first, rig.link->id());
        EXPECT_EQ(rig.sig->lost[0].second, QString(c.text).arg(QString::fromStdString(rig.pty.slave())));
        EXPECT_FALSE(rig.link->isOpen());
        EXPECT_TRUE(rig.sig->ofType(1).empty());
        QTest::qWait(200);  // any repeated report would be queued by now
        EXPECT_EQ(rig.sig->lost.size(), 1u);
    }
}

// After the link ended, a late "resume" (the run flag the sender's serial
// exchange restores) must not start reading the old handle again.
TEST(RecvSerial, LateResumeAfterTheLinkEndedReadsNothing) {
    SerialRig rig;
    rig.link->end();
    rig.proc->runFlag = 0;
    rig.proc->runFlag = 1;
    const Bytes fan = fanCF(0, 360, 10);
    ASSERT_TRUE(rig.pty.write(fan));
    // The bytes stay on the line for whoever reads it next: the receiver did not.
    Bytes back(fan.size());
    size_t got = 0;
    ASSERT_TRUE(waitFor([&] {
        const int n = serial_read(rig.fd, back.data() + got, int(back.size() - got));
        if (n > 0) got += size_t(n);
        return got == back.size();
    }));
    EXPECT_EQ(back, fan);
    EXPECT_TRUE(rig.sig->spans.empty());
}

TEST(RecvLink, BrokenHandleIsReportedLostOncePerInit) {
    ensureApp();
    RecvDataProc proc;
    Signals sig(proc);
    proc.recv_Init("UDP", -1, "127.0.0.1", 2368);
    proc.start();
    ASSERT_TRUE(waitFor([&] { return sig.lost.size() == 1; }));
    EXPECT_EQ(sig.lost[0].second, QString("select error!"));
    QTest::qWait(200);  // a loop re-entered at once would have repeated it many times
    EXPECT_EQ(sig.lost.size(), 1u);
    proc.recv_Init("UDP", -1, "127.0.0.1", 2368);  // a new link is tried again
    ASSERT_TRUE(waitFor([&] { return sig.lost.size() == 2; }));
    EXPECT_NE(sig.lost[1].first, sig.lost[0].first);
}

// The conversion runs off the caller's thread behind the wait dialog; its
// image stays valid after the signal.
TEST(RecvZoneCmd, ConvertRequestHandsOutAnImageThatOutlivesTheCall) {
    ensureApp();
    RecvDataProc proc;  // not started: conversions need no link
    Signals sig(proc);
    std::vector<std::pair<ZoneDef*, QString>> images;
    QObject::connect(&proc, &RecvDataProc::sig_ZoneDef,
                     [&](ZoneDef* def, QString type) { images.emplace_back(def, type); });
    zones list;
    list.count = 1;
    list.entries[0].type = ZoneShapeRectangle;
    list.entries[0].zoneId = 2;
    list.entries[0].kind = ZoneKindWarning;
    list.entries[0].pointCount = 2;
    list.entries[0].points[0] = {-300, -300};
    list.entries[0].points[1] = {900, 600};
    proc.recv_zoneCmd(4, list);
    EXPECT_TRUE(images.empty());
    ASSERT_TRUE(waitFor([&] { return images.size() == 1; }));
    EXPECT_EQ(sig.waits, (std::vector<bool>{true, false}));
    EXPECT_EQ(images[0].second, QString("setzone"));
    ASSERT_NE(images[0].first, nullptr);
    // Read after the call returned: "PZNE", version 0x101, 0x34000 bytes.
    EXPECT_EQ(images[0].first->magic, 0x454E5A50u);
    EXPECT_EQ(images[0].first->version, 0x101u);
    EXPECT_EQ(images[0].first->size, 0x34000u);
    const uint32_t firstCrc = images[0].first->crc;

    list.entries[0].points[1] = {1900, 600};
    proc.recv_zoneCmd(4, list);
    ASSERT_TRUE(waitFor([&] { return images.size() == 2; }));
    EXPECT_NE(images[1].first->crc, firstCrc);  // a new image for a new list
}
