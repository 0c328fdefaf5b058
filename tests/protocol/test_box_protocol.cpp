// The algorithm box on the wire: status datagrams (including hostile ones),
// command frames compared with frames laid out by hand, reply kinds and the
// checks of a typed "ip:port" row.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "box_peer.h"
#include "box_protocol.h"

using boxpeer::handFrame;
using boxpeer::statusDatagram;

namespace {

std::vector<uint8_t> sampleStatus(size_t size, uint32_t count = 2) {
    return statusDatagram(size, "192.168.1.50", "255.255.255.0", "192.168.1.1",
                          {{"192.168.158.10", 2, 5}, {"192.168.158.11", 3, 0x0800}}, count);
}

}  // namespace

// ---------------------------------------------------------------- status datagram

TEST(BoxStatus, LongDatagramReadsExactlyLikeTheRecord) {
    for (size_t size : {size_t(312), size_t(320)}) {
        const std::vector<uint8_t> d = sampleStatus(size);
        BoxStatus s;
        ASSERT_TRUE(parse_box_status(d.data(), d.size(), s)) << size;
        EXPECT_EQ(s.ip, "192.168.1.50");
        EXPECT_EQ(s.mask, "255.255.255.0");
        EXPECT_EQ(s.gateway, "192.168.1.1");
        ASSERT_EQ(s.scanners.size(), 2u) << size;
        EXPECT_EQ(s.scanners[0].address, "192.168.158.10");
        EXPECT_EQ(s.scanners[0].state, 2);
        EXPECT_EQ(s.scanners[0].statusWord, 5);
        EXPECT_EQ(s.scanners[1].state, 3);
        EXPECT_EQ(s.scanners[1].statusWord, 0x0800);
    }
}

TEST(BoxStatus, HostileDatagramsNeverReadPastTheirFields) {
    // Shorter than the record: refused.
    std::vector<uint8_t> shortOne = sampleStatus(312);
    shortOne.resize(311);
    BoxStatus s;
    EXPECT_FALSE(parse_box_status(shortOne.data(), shortOne.size(), s));
    EXPECT_EQ(box_status_address(shortOne.data(), shortOne.size()), "");

    // A count far beyond the eight scanners the fields hold: eight are read.
    const std::vector<uint8_t> many = sampleStatus(312, 0xFFFFFFFF);
    ASSERT_TRUE(parse_box_status(many.data(), many.size(), s));
    EXPECT_EQ(s.declaredCount, 0xFFFFFFFFu);
    EXPECT_EQ(s.scanners.size(), 8u);

    // Text fields with no terminator end at their 16 bytes.
    std::vector<uint8_t> full(312, 'A');
    for (int i = 0; i < 4; ++i) full[304 + i] = i == 0 ? 1 : 0;
    ASSERT_TRUE(parse_box_status(full.data(), full.size(), s));
    EXPECT_EQ(s.ip, std::string(16, 'A'));
    EXPECT_EQ(s.gateway, std::string(16, 'A'));
    ASSERT_EQ(s.scanners.size(), 1u);
    EXPECT_EQ(s.scanners[0].address, std::string(16, 'A'));
}

TEST(BoxCommand, FrameIsModeUWithTheTextPaddedAndItsCrc) {
    for (const std::string text : {"LSGETS", "LVERSH", "LSNETS", "LSADD:192.168.158.10 2368 0",
                                   "LSNET:10.0.0.5 255.255.255.0 10.0.0.1"}) {
        const std::vector<uint8_t> frame = encode_box_command(0xBEEF, text);
        EXPECT_EQ(frame, handFrame(0x0075, 0xBEEF, text)) << text;
        EXPECT_EQ(frame[2], 'u');
        EXPECT_EQ(frame[3], 0);
    }
    EXPECT_TRUE(encode_box_command(1, std::string(2041, 'x')).empty());
}

TEST(BoxReply, FirstSixCharactersGiveTheKind) {
    const struct {
        const char* body;
        int kind;
    } cases[] = {
        {"REBOOT", BoxReplyReboot},          {"LSADD:OK", BoxReplyAdd},
        {"LSDEL:OK", BoxReplyDel},           {"LSGETS:1.2.3.4 2368 0", BoxReplyGets},
        {"LSNET:OK", BoxReplyNet},           {"LSNETS:10.0.0.5 255.255.255.0 10.0.0.1", BoxReplyNets},
        {"LVERSH:BOX-2.1", BoxReplyVersion}, {"LSWHAT", BoxReplyNone},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> d = handFrame(0xFF8A, 77, c.body);
        BoxReply r;
        EXPECT_EQ(classify_box_reply(d.data(), d.size(), r), c.kind) << c.body;
        EXPECT_EQ(r.sn, 77);
        if (c.kind != BoxReplyNone) {
            EXPECT_EQ(r.body, c.body);
        }
    }
    // A firmware transfer answer is told apart by its code.
    const std::vector<uint8_t> firmware = handFrame(0xFFB9, 9, std::string(8, '\0'));
    BoxReply r;
    EXPECT_EQ(classify_box_reply(firmware.data(), firmware.size(), r), BoxReplyFirmware);
    // A scanner's text reply is not a box reply.
    const std::vector<uint8_t> scanner = handFrame(0xFFBC, 9, "LSGETS");
    EXPECT_EQ(classify_box_reply(scanner.data(), scanner.size(), r), BoxReplyNone);
}

TEST(BoxReply, BodyEndsWithTheDatagramWhateverItsLengthClaims) {
    std::vector<uint8_t> d = handFrame(0xFF8A, 1, "LVERSH:1.0");
    d[6] = 0xFF;  // claims 65535 bytes
    d[7] = 0xFF;
    d.resize(8 + 10);  // and no terminator either
    BoxReply r;
    EXPECT_EQ(classify_box_reply(d.data(), d.size(), r), BoxReplyVersion);
    EXPECT_EQ(r.body, "LVERSH:1.0");
    for (size_t n = 0; n < 8; ++n) EXPECT_EQ(classify_box_reply(d.data(), n, r), BoxReplyNone) << n;
}

TEST(BoxRows, TypedRowsPassFormatAddressAndPortChecks) {
    const struct {
        const char* row;
        BoxRowCheck check;
    } cases[] = {
        {"192.168.158.10:2368", BoxRowCheck::Ok},      {"10.0.0.1:1000", BoxRowCheck::Ok},
        {"10.0.0.1:65535", BoxRowCheck::Ok},           {"1.2.3.4:80", BoxRowCheck::PortRangeError},
        {"1.2.3:2368", BoxRowCheck::FormatError},      {"please edit!", BoxRowCheck::FormatError},
        {"10.0.0.1:2368:1", BoxRowCheck::FormatError}, {"300.1.1.1:2368", BoxRowCheck::IpError},
        {"10.0.0.1.5:2368", BoxRowCheck::IpError},     {"10.0.0.1:65536", BoxRowCheck::PortRangeError},
        {"10.0.0.1:999", BoxRowCheck::PortRangeError}, {"10.0.0.1:23x8", BoxRowCheck::PortRangeError},
    };
    for (const auto& c : cases) EXPECT_EQ(check_box_row(c.row), c.check) << c.row;
    std::string ip;
    int port = 0;
    ASSERT_EQ(check_box_row("192.168.158.10:2368", &ip, &port), BoxRowCheck::Ok);
    EXPECT_EQ(ip, "192.168.158.10");
    EXPECT_EQ(port, 2368);
}
