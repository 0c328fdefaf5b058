// The command sender without any operating-system link: frames are captured
// at the network seam, UART answers come from a scripted scanner, and time is
// a counter the test moves, so re-send schedules are checked tick by tick.

#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "eeprom.h"
#include "recorder.h"
#include "scanner_link.h"
#include "sendcmd_support.h"
#include "sendcmdproc.h"

using namespace sendtest;

namespace {

constexpr int kSign = 0x484C;

struct Sent {
    uint32_t at;
    std::vector<uint8_t> bytes;
    Frame frame;
};

// One sender on a fake link, with a clock that moves only when told to (or
// when the sender sleeps, which is how its pauses show up in time stamps).
class Harness {
public:
    Harness() {
        ensureApp();
        proc.setClock([this] { return clock; });
        proc.setSleep([this](int ms) {
            sleeps.push_back(ms);
            clock += uint32_t(ms);
        });
        proc.setNetworkWriter([this](const uint8_t* d, size_t n) {
            std::vector<uint8_t> b(d, d + n);
            sent.push_back({clock, b, parseFrame(b)});
            return int(n);
        });
        proc.setSerialIoFactory([this](int) { return std::make_unique<FakeSerial>(scanner); });
    }

    // Binds a UDP link and settles the initial block request.
    void initUdp() {
        proc.recv_Init("UDP", 5, "192.168.1.100", 2112);
        ASSERT_EQ(sent.size(), 2u);
        proc.recv_CmdRecv(kSign, sent[1].frame.sn, true);
        sent.clear();
        sleeps.clear();
    }

    // Moves the clock in 200 ms timer ticks.
    void tickFor(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 200) {
            clock += 200;
            proc.cmdReissued();
        }
    }

    std::vector<std::string> bodies() const {
        std::vector<std::string> out;
        for (const auto& s : sent) out.push_back(s.frame.body);
        return out;
    }

    uint32_t clock = 0xFFFFF000u;  // close to the 32-bit wrap on purpose
    std::vector<int> sleeps;
    std::vector<Sent> sent;
    std::shared_ptr<ScriptedScanner> scanner = std::make_shared<ScriptedScanner>();
    SendCmdProc proc;
};

std::vector<std::pair<int, QByteArray>> dataEvents(const QSignalSpy& spy) {
    std::vector<std::pair<int, QByteArray>> out;
    for (const auto& args : spy) out.emplace_back(args.at(0).toInt(), args.at(1).toByteArray());
    return out;
}

}  // namespace

// ---------------------------------------------------------------- framing

TEST(SendFrame, SetCommandGoesOutByteExact) {
    Harness h;
    h.initUdp();
    h.proc.recv_S_PACK("LSRPM:600H");
    ASSERT_EQ(h.sent.size(), 1u);
    const std::vector<uint8_t>& got = h.sent[0].bytes;
    ASSERT_EQ(got.size(), 24u);
    const uint16_t sn = uint16_t(got[4] | got[5] << 8);
    // 10-byte body padded to 12, length field 12, CRC over five words.
    std::vector<uint8_t> want = {
        'L', 'H', 0x53, 0x00, uint8_t(sn), uint8_t(sn >> 8), 12, 0, 'L', 'S', 'R', 'P', 'M', ':', '6', '0',
        '0', 'H', 0,    0};
    const uint32_t crc = referenceCrc(want.data(), 5);
    for (int i = 0; i < 4; ++i) want.push_back(uint8_t(crc >> (8 * i)));
    EXPECT_EQ(got, want);
}

TEST(SendFrame, UdpInitAsksAtsThenBlock) {
    Harness h;
    h.proc.recv_Init("UDP", 5, "192.168.1.100", 2112);
    ASSERT_EQ(h.sent.size(), 2u);
    EXPECT_EQ(h.sent[0].bytes, handFrame(0x0053, h.sent[0].frame.sn, "LSATS:1H"));
    EXPECT_EQ(h.sent[1].bytes, handFrame(0x4753, h.sent[1].frame.sn, "xxxxxx"));
    EXPECT_EQ(h.sent[1].bytes[2], 0x53);
    EXPECT_EQ(h.sent[1].bytes[3], 0x47);
    EXPECT_EQ(h.sent[1].at - h.sent[0].at, 100u);

    // Only the block request is watched: it alone comes back after 1.6 s.
    h.sent.clear();
    h.tickFor(1600);
    ASSERT_EQ(h.sent.size(), 1u);
    EXPECT_EQ(h.sent[0].frame.body, "xxxxxx");
}

TEST(SendFrame, BodyBeyondFrameLimitIsNotSent) {
    Harness h;
    h.initUdp();
    h.proc.recv_S_PACK(QString(2041, 'A'));
    EXPECT_TRUE(h.sent.empty());
}

// ---------------------------------------------------------------- tracking

TEST(Tracking, RefusedCommandIsReportedOnceAndDropped) {
    Harness h;
    h.initUdp();
    QSignalSpy finish(&h.proc, &SendCmdProc::sig_respondFinish);
    h.proc.recv_S_PACK("LSFIR:3H");
    ASSERT_EQ(h.sent.size(), 1u);
    h.proc.recv_CmdRecv(kSign, h.sent[0].frame.sn, false);
    ASSERT_EQ(finish.count(), 1);
    EXPECT_EQ(finish[0][0].toInt(), 0x53);
    EXPECT_EQ(finish[0][1].toString(), "LSFIR:3H");
    EXPECT_EQ(finish[0][2].toInt(), 2);

    h.tickFor(6000);
    EXPECT_EQ(h.sent.size(), 1u) << "a refused command is never re-sent";
    EXPECT_EQ(finish.count(), 1);
}

TEST(Tracking, SilenceGivesFourTransmissionsThenGivesUp) {
    Harness h;
    h.initUdp();
    std::vector<std::string> order;
    QObject::connect(&h.proc, &SendCmdProc::sig_respondFinish, [&](int mode, QString cmd, int time) {
        order.push_back("finish " + std::to_string(mode) + " " + cmd.toStdString() + " " +
                        std::to_string(time));
    });
    QObject::connect(&h.proc, &SendCmdProc::sig_wait,
                     [&](bool flag) { order.push_back(flag ? "wait true" : "wait false"); });

    h.proc.recv_S_PACK("LSCIR:2H");
    const uint32_t t0 = h.clock;
    h.tickFor(8000);

    ASSERT_EQ(h.sent.size(), 4u);
    const std::vector<uint32_t> offsets = {0, 1600, 3200, 4800};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(h.sent[i].at - t0, offsets[i]) << "transmission " << i;
        EXPECT_EQ(h.sent[i].bytes, h.sent[0].bytes) << "a re-send repeats the frame unchanged";
    }
    EXPECT_EQ(order, (std::vector<std::string>{"finish 83 LSCIR:2H 2", "wait false"}));
}

// Regression (fault runs with --drop): the command was given up the moment
// its last re-send went out, so an answer to that re-send came too late and a
// zone transfer the scanner kept answering was reported as failed.
TEST(Tracking, AnswerToTheLastResendStillCounts) {
    Harness h;
    h.initUdp();
    QSignalSpy finish(&h.proc, &SendCmdProc::sig_respondFinish);
    h.proc.recv_S_PACK("LSCIR:2H");
    h.tickFor(4800);
    ASSERT_EQ(h.sent.size(), 4u);
    EXPECT_EQ(finish.count(), 0);
    h.tickFor(1000);
    h.proc.recv_CmdRecv(kSign, h.sent[0].frame.sn);
    h.tickFor(4000);
    EXPECT_EQ(finish.count(), 0);
    EXPECT_EQ(h.sent.size(), 4u);
}

TEST(Tracking, AnsweredCommandIsNotResent) {
    Harness h;
    h.initUdp();
    h.proc.recv_S_PACK("LSPST:3H");
    h.tickFor(1600);
    ASSERT_EQ(h.sent.size(), 2u);
    h.proc.recv_CmdRecv(kSign, h.sent[0].frame.sn);
    h.tickFor(6000);
    EXPECT_EQ(h.sent.size(), 2u);
}

TEST(Tracking, SecondCommandWhileOneIsOutstandingIsNotTracked) {
    Harness h;
    h.initUdp();
    h.proc.recv_S_PACK("LSTFX:1H");
    h.proc.recv_S_PACK("LSTFX:0H");
    ASSERT_EQ(h.sent.size(), 2u);
    EXPECT_NE(h.sent[0].frame.sn, h.sent[1].frame.sn);
    h.tickFor(1600);
    ASSERT_EQ(h.sent.size(), 3u);
    EXPECT_EQ(h.sent[2].frame.body, "LSTFX:1H");

    // Its acknowledgement retires nothing; the first one still counts down.
    h.proc.recv_CmdRecv(kSign, h.sent[1].frame.sn);
    h.tickFor(1600);
    EXPECT_EQ(h.sent.size(), 4u);
}

TEST(Tracking, AckWithUnknownSnOrSignChangesNothing) {
    Harness h;
    h.initUdp();
    QSignalSpy finish(&h.proc, &SendCmdProc::sig_respondFinish);
    h.proc.recv_S_PACK("LSDID:7H");
    const uint16_t sn = h.sent[0].frame.sn;
    h.proc.recv_CmdRecv(kSign, uint16_t(sn + 1), false);
    h.proc.recv_CmdRecv(0x1234, sn, false);
    EXPECT_EQ(finish.count(), 0);
    h.tickFor(1600);
    EXPECT_EQ(h.sent.size(), 2u) << "still tracked";
}

TEST(Tracking, UnInitForgetsTheTrackedCommand) {
    Harness h;
    h.initUdp();
    h.proc.recv_S_PACK("LSDID:7H");
    h.proc.recv_UnInit();
    h.tickFor(6000);
    EXPECT_EQ(h.sent.size(), 1u);
}

// ---------------------------------------------------------------- link commands

TEST(LinkCommands, RestartIsUntrackedAndFollowedByStartTwoSecondsLater) {
    Harness h;
    h.initUdp();
    h.proc.recv_C_PACK("LRESTH");
    ASSERT_EQ(h.sent.size(), 1u);
    EXPECT_EQ(h.sent[0].frame.mode, 0x0043);
    EXPECT_EQ(h.sent[0].frame.body, "LRESTH");
    h.tickFor(1600);
    EXPECT_EQ(h.sent.size(), 1u) << "a restarting scanner is not waited for";

    QTest::qWait(500);
    EXPECT_EQ(h.sent.size(), 1u) << "the start follows only after the scanner had time to boot";
    ASSERT_TRUE(waitFor([&] { return h.sent.size() >= 2; }, 4000));
    EXPECT_EQ(h.sent[1].frame.mode, 0x0043);
    EXPECT_EQ(h.sent[1].frame.body, "LSTARH");
    h.tickFor(1600);
    EXPECT_EQ(h.sent.size(), 2u) << "the start is untracked";
}

TEST(LinkCommands, NetworkChangeIsReportedAtOnceAndNotTracked) {
    Harness h;
    h.initUdp();
    QSignalSpy data(&h.proc, &SendCmdProc::sig_data);
    const QString cmd = "LSUDP:192.168.001.050 255.255.255.000 192.168.001.001 02112H";
    h.proc.recv_S_PACK(cmd);
    ASSERT_EQ(h.sent.size(), 1u);
    ASSERT_EQ(data.count(), 1);
    EXPECT_EQ(data[0][0].toInt(), 14);
    EXPECT_EQ(data[0][1].toByteArray(), cmd.toLatin1());
    h.tickFor(6000);
    EXPECT_EQ(h.sent.size(), 1u);
}

TEST(LinkCommands, RawCommandUsesGivenModeUntracked) {
    Harness h;
    h.initUdp();
    h.proc.recv_cmd(0x0075, "LQSRPMH");
    ASSERT_EQ(h.sent.size(), 1u);
    EXPECT_EQ(h.sent[0].frame.mode, 0x0075);
    h.tickFor(6000);
    EXPECT_EQ(h.sent.size(), 1u);
}

// ---------------------------------------------------------------- zone requests

TEST(ZoneRequests, NewZoneRequestReplacesTrackedOneAndEndMarkerRemovesIt) {
    Harness h;
    h.initUdp();
    const QByteArray first(16, '\x01'), second(16, '\x02');
    h.proc.recv_ZoneCMD(5, "192.168.1.100", 2112, 0x5A53, 100, first.size(), first, false);
    h.proc.recv_ZoneCMD(5, "192.168.1.100", 2112, 0x5A53, 101, second.size(), second, false);
    ASSERT_EQ(h.sent.size(), 2u);
    EXPECT_EQ(h.sent[1].bytes, handFrame(0x5A53, 101, second.toStdString()));

    h.tickFor(1600);
    ASSERT_EQ(h.sent.size(), 3u);
    EXPECT_EQ(h.sent[2].frame.sn, 101) << "only the newest zone request is re-sent";

    // A zone request is closed by the end-of-operation marker, not by its own sn.
    h.proc.recv_CmdRecv(kSign, 101);
    h.tickFor(1600);
    EXPECT_EQ(h.sent.size(), 4u);
    h.proc.recv_CmdRecv(kSign, 0xFFFF);
    h.tickFor(6000);
    EXPECT_EQ(h.sent.size(), 4u);
}

// A command sent while a zone transfer runs is watched beside the zone
// request; the request keeps its re-sends.
TEST(ZoneRequests, CommandDuringATransferLeavesTheZoneRequestTracked) {
    Harness h;
    h.initUdp();
    const QByteArray piece(16, '\x03');
    h.proc.recv_ZoneCMD(5, "192.168.1.100", 2112, 0x5A53, 200, piece.size(), piece, false);
    h.proc.recv_S_PACK("LSRPM:0600H");
    ASSERT_EQ(h.sent.size(), 2u);
    const uint16_t commandSn = h.sent[1].frame.sn;

    h.tickFor(1600);
    ASSERT_EQ(h.sent.size(), 4u);
    EXPECT_EQ(std::multiset<int>({h.sent[2].frame.sn, h.sent[3].frame.sn}),
              std::multiset<int>({200, commandSn}));

    // The command is answered; the zone request goes on being re-sent alone.
    h.proc.recv_CmdRecv(kSign, commandSn, true);
    h.tickFor(1600);
    ASSERT_EQ(h.sent.size(), 5u);
    EXPECT_EQ(h.sent[4].frame.sn, 200);
    EXPECT_EQ(h.sent[4].frame.mode, 0x5A53);
}

TEST(ZoneRequests, RepeatRequestIsNotTracked) {
    Harness h;
    h.initUdp();
    const QByteArray payload(32, '\0');
    h.proc.recv_ZoneCMD(5, "192.168.1.100", 2112, 0x4B41, 77, 32, payload, true);
    ASSERT_EQ(h.sent.size(), 1u);
    EXPECT_EQ(h.sent[0].bytes.size(), 44u);
    h.tickFor(6000);
    EXPECT_EQ(h.sent.size(), 1u);
}

// Regression: a length larger than the bytes handed over must not read past them.
TEST(ZoneRequests, LengthBeyondPayloadIsBoundedByThePayload) {
    Harness h;
    h.initUdp();
    const QByteArray payload("ABCDEFGH");
    h.proc.recv_ZoneCMD(5, "192.168.1.100", 2112, 0x5A47, 9, 4000, payload, true);
    ASSERT_EQ(h.sent.size(), 1u);
    EXPECT_EQ(h.sent[0].bytes, handFrame(0x5A47, 9, "ABCDEFGH"));
}

TEST(ZoneRequests, FrameLargerThanTrackedRecordIsSentUntracked) {
    Harness h;
    h.initUdp();
    const QByteArray big(1100, 'z');
    h.proc.recv_ZoneCMD(5, "192.168.1.100", 2112, 0x5A53, 3, big.size(), big, false);
    ASSERT_EQ(h.sent.size(), 1u);
    EXPECT_EQ(h.sent[0].bytes.size(), 1112u);
    h.tickFor(6000);
    EXPECT_EQ(h.sent.size(), 1u);
}

// ---------------------------------------------------------------- the end of a link

// Once the link has ended (lost by the receiver, or closed by the window)
// nothing more is written to it, nothing is re-sent and nothing reported.
TEST(LinkEnd, EndedLinkIsNeitherWrittenNorResent) {
    Harness h;
    const LinkRef link = ScannerLink::borrow(5, 0, true);
    h.proc.adoptLink(link);
    h.initUdp();
    QSignalSpy refused(&h.proc, &SendCmdProc::sig_respondFinish);
    h.proc.recv_S_PACK("LSRPM:0600H");
    ASSERT_EQ(h.sent.size(), 1u);

    link->end();
    EXPECT_FALSE(h.proc.hasOpenLink());
    h.tickFor(6000);
    h.proc.recv_S_PACK("LSRPM:0900H");
    EXPECT_EQ(h.sent.size(), 1u);
    EXPECT_EQ(refused.count(), 0);
}

// A request still queued from an earlier link names a descriptor that is not
// this link's: it is not sent (the number may belong to something else now).
TEST(LinkEnd, RequestNamingAnotherLinksDescriptorIsDropped) {
    Harness h;
    h.initUdp();
    const QByteArray payload(32, '\0');
    h.proc.recv_ZoneCMD(7, "192.168.1.100", 2112, 0x4B41, 77, 32, payload, true);
    EXPECT_TRUE(h.sent.empty());
    h.proc.recv_ZoneCMD(5, "192.168.1.100", 2112, 0x4B41, 78, 32, payload, true);
    EXPECT_EQ(h.sent.size(), 1u);
}

// ---------------------------------------------------------------- batch import

TEST(Import, ThreeCommandsOnUdpThenBlockReadThenFinish) {
    Harness h;
    h.initUdp();
    std::vector<std::string> events;
    QObject::connect(&h.proc, &SendCmdProc::sig_import_finish,
                     [&] { events.push_back("finish after " + std::to_string(h.sent.size())); });
    h.proc.recv_import_Cmds({"LSRPM:0600H", "LSFIR:02H", "LSCIR:03H"});

    ASSERT_EQ(h.sent.size(), 5u);
    EXPECT_EQ(h.bodies(),
              (std::vector<std::string>{"LSRPM:0600H", "LSFIR:02H", "LSCIR:03H", "LSATS:1H", "xxxxxx"}));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(h.sent[i].frame.mode, 0x0053) << i;
    EXPECT_EQ(h.sent[4].frame.mode, 0x4753);
    EXPECT_EQ(h.sent[1].at - h.sent[0].at, 500u);
    EXPECT_EQ(h.sent[2].at - h.sent[1].at, 500u);
    EXPECT_EQ(h.sent[3].at - h.sent[2].at, 2000u);
    EXPECT_EQ(events, (std::vector<std::string>{"finish after 5"}));
    // Imported commands are not waited for; only the block request is.
    h.tickFor(1600);
    ASSERT_EQ(h.sent.size(), 6u);
    EXPECT_EQ(h.sent[5].frame.body, "xxxxxx");
}

// ---------------------------------------------------------------- framed serial (VPC)

TEST(Vpc, InitResumesReceiverTracksAtsAndAsksForBlock) {
    Harness h;
    QSignalSpy data(&h.proc, &SendCmdProc::sig_data);
    h.proc.recv_Init("VPC", 9, "", 460800);
    ASSERT_EQ(data.count(), 1);
    EXPECT_EQ(data[0][0].toInt(), 2);
    EXPECT_EQ(data[0][1].toByteArray(), QByteArray("1"));
    ASSERT_EQ(h.scanner->written.size(), 2u);
    const auto w0 = std::vector<uint8_t>(h.scanner->written[0].begin(), h.scanner->written[0].end());
    const auto w1 = std::vector<uint8_t>(h.scanner->written[1].begin(), h.scanner->written[1].end());
    EXPECT_EQ(parseFrame(w0).body, "LSATS:2H");
    EXPECT_EQ(parseFrame(w0).mode, 0x0053);
    EXPECT_EQ(parseFrame(w1).body, "xxxxxx");
    EXPECT_EQ(h.sleeps, (std::vector<int>{1000}));
    EXPECT_TRUE(h.sent.empty()) << "nothing goes to the network on a serial link";

    // The ats command holds the tracking slot; it is what comes back.
    h.tickFor(1600);
    ASSERT_EQ(h.scanner->written.size(), 3u);
    EXPECT_EQ(h.scanner->written[2], h.scanner->written[0]);
}

TEST(Vpc, RestartIsTrackedWithoutFollowUp) {
    Harness h;
    h.proc.recv_Init("VPC", 9, "", 460800);
    h.proc.recv_CmdRecv(kSign, parseFrame({h.scanner->written[0].begin(), h.scanner->written[0].end()}).sn);
    h.scanner->written.clear();
    h.proc.recv_C_PACK("LRESTH");
    ASSERT_EQ(h.scanner->written.size(), 1u);
    h.tickFor(1600);
    EXPECT_EQ(h.scanner->written.size(), 2u);
}

// ---------------------------------------------------------------- plain-text serial (UART)

namespace {

void answerIdentity(ScriptedScanner& s, const std::string& type) {
    s.answers["LUUIDH"] = "PRODUCT SN:A1B2-C3D4_E5F6G7H8I9J\r\n";
    s.answers["LTYPEH"] = "TYPE ID:" + type + "\r\n";
    s.answers["LXVERH"] = "MOTOR VERSION:V1.2.3\r\n";
}

EEpromV101 blockOf(const QByteArray& bytes) {
    EEpromV101 b{};
    EXPECT_EQ(bytes.size(), 152);
    std::memcpy(&b, bytes.constData(), std::min<size_t>(sizeof b, size_t(bytes.size())));
    return b;
}

// A UART link whose initial read is done; written commands and pauses start afresh.
void initUart(Harness& h) {
    answerIdentity(*h.scanner, "TQX70K3");
    h.proc.recv_Init("UART", 9, "", 460800);
    h.scanner->written.clear();
    h.sleeps.clear();
}

}  // namespace

TEST(UartInit, ModelWithoutZonesRunsOnlyIdentityQueries) {
    Harness h;
    answerIdentity(*h.scanner, "TQX70K3");
    QSignalSpy data(&h.proc, &SendCmdProc::sig_data);
    h.proc.recv_Init("UART", 9, "", 460800);

    EXPECT_EQ(h.scanner->written, (std::vector<std::string>{"LUUIDH", "LTYPEH", "LXVERH"}));
    const auto events = dataEvents(data);
    ASSERT_EQ(events.size(), 7u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(events[i].first, 2);
        EXPECT_EQ(events[i].second, QByteArray(i % 2 ? "1" : "2"));
    }
    EXPECT_EQ(events[6].first, 5);
    const EEpromV101 b = blockOf(events[6].second);
    EXPECT_EQ(eeprom_product_sn(b), "A1B2-C3D4_E5F6G7H8I9");
    EXPECT_EQ(eeprom_type_id(b), "TQX70K3");
    EXPECT_EQ(b.rpm, 0);
    // Each exchange pauses 10 ms for the receiver to let go of the port.
    EXPECT_EQ(h.sleeps, (std::vector<int>{10, 10, 10}));
}

TEST(UartInit, ZoneModelReadsEveryFieldAndStartsMeasuring) {
    Harness h;
    answerIdentity(*h.scanner, "TQX-H400-A");
    auto& a = h.scanner->answers;
    a["LQSRPMH"] = "SRPM:0900\r\n";
    a["LQSMTH"] = "SMT:1\r\n";
    a["LQDSWH"] = "DSW:1\r\n";
    a["LQAZNH"] = "ZONE NUM:B\r\n";
    a["LQPSTH"] = "UPLOAD TYPE:3\r\n";
    a["LQNPNH"] = "IO TYPE:10100000\r\n";
    a["LQOUTH"] = "IO MAP:0102030405060708090A0B0C\r\n";
    a["LQCIRH"] = "CIR:12\r\n";
    a["LQFIRH"] = "FIR:5\r\n";
    a["LQZTPH"] = "ZONE TYPE:1\r\n";
    a["LSTARH"] = "LiDAR start\r\n";
    QSignalSpy data(&h.proc, &SendCmdProc::sig_data);
    h.proc.recv_Init("UART", 9, "", 460800);

    EXPECT_EQ(h.scanner->written, (std::vector<std::string>{"LUUIDH", "LTYPEH", "LXVERH", "LQSRPMH", "LQSMTH",
                                                            "LQDSWH", "LQAZNH", "LQPSTH", "LQNPNH", "LQOUTH",
                                                            "LQCIRH", "LQFIRH", "LQZTPH", "LSTARH"}));
    const auto events = dataEvents(data);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().first, 5);
    const EEpromV101 b = blockOf(events.back().second);
    EXPECT_EQ(b.rpm, 900);
    EXPECT_EQ(b.smt, 1);
    EXPECT_EQ(b.dsw, 1);
    EXPECT_EQ(b.azn, 0x1B);
    EXPECT_EQ(b.pst, 3);
    EXPECT_EQ(b.pnpBits, 5u);
    EXPECT_EQ(b.outMap[0], 0x01);
    EXPECT_EQ(b.outMap[11], 0x0C);
    EXPECT_EQ(b.cir, 12);
    EXPECT_EQ(b.fir, 5);
}

TEST(UartInit, RModelAlsoReadsTrailingFactor) {
    Harness h;
    answerIdentity(*h.scanner, "TQX-H400-R");
    h.scanner->answers["LQSAFH"] = "SAF:07\r\n";
    QSignalSpy data(&h.proc, &SendCmdProc::sig_data);
    h.proc.recv_Init("UART", 9, "", 460800);
    EXPECT_EQ(h.scanner->written, (std::vector<std::string>{"LUUIDH", "LTYPEH", "LXVERH", "LQSAFH"}));
    EXPECT_EQ(blockOf(dataEvents(data).back().second).af, 7);
}

TEST(UartInit, BlockRequestRepeatsTheInitialRead) {
    Harness h;
    answerIdentity(*h.scanner, "TQX70K3");
    h.proc.recv_Init("UART", 9, "", 460800);
    QSignalSpy data(&h.proc, &SendCmdProc::sig_data);
    h.scanner->written.clear();
    h.proc.recv_GS_PACK("xxxxxx");
    EXPECT_EQ(h.scanner->written, (std::vector<std::string>{"LUUIDH", "LTYPEH", "LXVERH"}));
    EXPECT_EQ(dataEvents(data).back().first, 5);
}

// What the scanner answers on a plain-text link reaches the raw recording like
// every other byte read from it.
TEST(UartExchange, AnswersGoToTheRawRecording) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Recorder& recorder = Recorder::instance();
    ASSERT_TRUE(recorder.start(dir.path(), "info", "point", "data", 1).isEmpty());
    Harness h;
    answerIdentity(*h.scanner, "TQX70K3");
    h.proc.recv_Init("UART", 9, "", 460800);
    recorder.stop();

    QFile dump(dir.filePath("data0.dump"));
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    EXPECT_EQ(dump.readAll(), QByteArray("PRODUCT SN:A1B2-C3D4_E5F6G7H8I9J\r\nTYPE ID:TQX70K3\r\n"
                                         "MOTOR VERSION:V1.2.3\r\n"));
}

TEST(UartExchange, SilentScannerIsAskedFiveTimesThenReported) {
    Harness h;
    initUart(h);
    QSignalSpy data(&h.proc, &SendCmdProc::sig_data);
    h.proc.recv_S_PACK("LSPST:1H");
    EXPECT_EQ(h.scanner->written, std::vector<std::string>(5, "LSPST:1H"));
    const auto events = dataEvents(data);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0], std::make_pair(2, QByteArray("2")));
    EXPECT_EQ(events[1], std::make_pair(13, QByteArray("LSPST:1H")));
    EXPECT_EQ(events[2], std::make_pair(2, QByteArray("1")));
}

TEST(UartExchange, AcceptedLinkCommandIsReported) {
    Harness h;
    initUart(h);
    h.scanner->answers["LSBPS:921600H"] = "LSBPS:921600H OK\r\n";
    QSignalSpy data(&h.proc, &SendCmdProc::sig_data);
    h.proc.recv_C_PACK("LSBPS:921600H");
    const auto events = dataEvents(data);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1], std::make_pair(14, QByteArray("LSBPS:921600H")));
    EXPECT_EQ(h.scanner->written, (std::vector<std::string>{"LSBPS:921600H"}));
}

// Regression: a refused baud change reported as accepted made the main window
// reopen the port at a rate the scanner never switched to.
TEST(UartExchange, RefusedLinkCommandIsReportedAsRefusedNotAccepted) {
    Harness h;
    initUart(h);
    h.scanner->answers["LSBPS:921600H"] = "LSBPS:921600H ER\r\n";
    QSignalSpy data(&h.proc, &SendCmdProc::sig_data);
    QSignalSpy finish(&h.proc, &SendCmdProc::sig_respondFinish);
    h.proc.recv_C_PACK("LSBPS:921600H");
    for (const auto& e : dataEvents(data)) EXPECT_NE(e.first, 14);
    ASSERT_EQ(finish.count(), 1);
    EXPECT_EQ(finish[0][1].toString(), "LSBPS:921600H");
}

TEST(UartExchange, SetCommandAnsweredByEchoIsNotRetried) {
    Harness h;
    initUart(h);
    h.scanner->answers["LSFIR:3H"] = "LSFIR:3H OK\r\n";
    QSignalSpy data(&h.proc, &SendCmdProc::sig_data);
    h.proc.recv_S_PACK("LSFIR:3H");
    EXPECT_EQ(h.scanner->written, (std::vector<std::string>{"LSFIR:3H"}));
    EXPECT_EQ(dataEvents(data).size(), 2u);
}

TEST(UartExchange, CommandWithoutRowIsWrittenOnceAndNotRead) {
    Harness h;
    initUart(h);
    h.proc.recv_S_PACK("LSDID:5H");
    EXPECT_EQ(h.scanner->written, (std::vector<std::string>{"LSDID:5H"}));
}

TEST(UartExchange, RawCommandIsWrittenBareWithoutPausingTheReceiver) {
    Harness h;
    initUart(h);
    QSignalSpy data(&h.proc, &SendCmdProc::sig_data);
    h.proc.recv_cmd(0x43, "LRESTH");
    EXPECT_EQ(h.scanner->written, (std::vector<std::string>{"LRESTH"}));
    EXPECT_EQ(data.count(), 0);
}

TEST(UartExchange, ZoneRequestGoesFramedOnTheSerialHandle) {
    Harness h;
    initUart(h);
    const QByteArray body(12, '\x05');
    h.proc.recv_ZoneCMD(9, "", 0, 0x5A47, 321, body.size(), body, false);
    ASSERT_EQ(h.scanner->written.size(), 1u);
    const auto& w = h.scanner->written[0];
    EXPECT_EQ(std::vector<uint8_t>(w.begin(), w.end()), handFrame(0x5A47, 321, body.toStdString()));
    h.tickFor(1600);
    EXPECT_EQ(h.scanner->written.size(), 2u) << "tracked like any zone request";
}

TEST(UartExchange, ImportPausesThenExchangesEachThenRereads) {
    Harness h;
    answerIdentity(*h.scanner, "TQX70K3");
    initUart(h);
    h.sleeps.clear();
    h.scanner->answers["LSPST:2H"] = "LSPST:2H OK\r\n";
    QSignalSpy finish(&h.proc, &SendCmdProc::sig_import_finish);
    h.proc.recv_import_Cmds({"LSPST:2H"});
    EXPECT_EQ(h.scanner->written, (std::vector<std::string>{"LSPST:2H", "LUUIDH", "LTYPEH", "LXVERH"}));
    EXPECT_EQ(h.sleeps, (std::vector<int>{1000, 10, 2000, 10, 10, 10}));
    EXPECT_EQ(finish.count(), 1);
}
