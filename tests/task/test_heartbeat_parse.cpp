// Decoding of the three heartbeat layouts and recognition of the datagrams
// on the heartbeat group.

#include <gtest/gtest.h>

#include "heartbeat_builder.h"
#include "heartbeat_parse.h"

namespace {

std::string ip(const uint8_t a[4]) {
    return ipv4Text(a);
}

}  // namespace

TEST(HeartbeatParse, EightyByteLayoutFields) {
    const auto d = hb::heart80("SN-0001", "TQX-10");
    HeartbeatInfo info;
    ASSERT_TRUE(parseHeartbeat(d.data(), d.size(), info));
    EXPECT_EQ(info.kind, HeartbeatKind::Heart80);
    EXPECT_EQ(info.serial, "SN-0001");
    EXPECT_EQ(info.model, "TQX-10");
    EXPECT_EQ(ip(info.scannerIp), "192.168.1.88");
    EXPECT_EQ(info.scannerPort, 2368);
    EXPECT_EQ(ip(info.uploadIp), "192.168.1.10");
    EXPECT_EQ(info.uploadPort, 6543);
    EXPECT_FALSE(info.hasStatus);
}

TEST(HeartbeatParse, SixtyByteLayoutFields) {
    const auto d = hb::heart60("SN-0002", "TQX-20");
    HeartbeatInfo info;
    ASSERT_TRUE(parseHeartbeat(d.data(), d.size(), info));
    EXPECT_EQ(info.kind, HeartbeatKind::Heart60);
    EXPECT_EQ(info.serial, "SN-0002");
    EXPECT_EQ(info.model, "TQX-20");
    EXPECT_EQ(ip(info.scannerIp), "10.0.0.7");
    EXPECT_EQ(info.scannerPort, 3000);
    EXPECT_EQ(ip(info.uploadIp), "10.0.0.1");
    EXPECT_EQ(info.uploadPort, 3001);
}

TEST(HeartbeatParse, StatusLayoutFieldsAndFlags) {
    auto d = hb::status112("SN-0003", "TQX-70K-R");
    HeartbeatInfo info;
    ASSERT_TRUE(parseHeartbeat(d.data(), d.size(), info));
    EXPECT_EQ(info.kind, HeartbeatKind::Status112);
    EXPECT_EQ(info.serial, "SN-0003");
    EXPECT_EQ(info.model, "TQX-70K-R");
    EXPECT_EQ(ip(info.scannerIp), "172.16.5.4");
    EXPECT_EQ(info.scannerPort, 2112);
    EXPECT_EQ(ip(info.uploadIp), "172.16.5.1");
    EXPECT_EQ(info.uploadPort, 2113);
    EXPECT_TRUE(info.hasStatus);
    EXPECT_EQ(info.linkKind, 3);
    EXPECT_EQ(info.speed, 150);
    EXPECT_EQ(info.speed2, 1234);
    EXPECT_EQ(info.cpu, -57);
    EXPECT_EQ(info.voltageMv, 24100);
    EXPECT_FALSE(info.boxConnected);
    EXPECT_FALSE(info.observationZone || info.alertZone || info.alarmZone || info.masking || info.noData ||
                 info.noZoneActive || info.systemError || info.netLinkLost || info.upgrading ||
                 info.usbLinkLost || info.noZoneDefined);

    // Now every condition reported at once.
    for (size_t i : {92, 93, 94, 95, 96, 98, 101}) d[i] = 1;
    for (size_t i : {97, 100, 103, 107}) d[i] = 0;
    d[51] = 0x01;
    ASSERT_TRUE(parseHeartbeat(d.data(), d.size(), info));
    EXPECT_TRUE(info.observationZone && info.alertZone && info.alarmZone && info.masking && info.noData &&
                info.noZoneActive && info.systemError && info.netLinkLost && info.upgrading &&
                info.usbLinkLost && info.noZoneDefined && info.boxConnected);
}

TEST(HeartbeatParse, FullSixteenByteModelShowsBoxByteAsLastCharacter) {
    auto d = hb::status112("SN", "ABCDEFGHIJKLMNO");  // 15 characters
    d[51] = 0x01;
    HeartbeatInfo info;
    ASSERT_TRUE(parseHeartbeat(d.data(), d.size(), info));
    EXPECT_EQ(info.model, std::string("ABCDEFGHIJKLMNO") + '\x01');
    EXPECT_TRUE(info.boxConnected);
}

TEST(HeartbeatParse, TextFilledToTheFieldEndIsNotReadPastIt) {
    const auto d = hb::heart60("ABCDEFGHIJKLMNOPQRST", "MODEL-123456");  // 20 and 12 characters, no NUL
    HeartbeatInfo info;
    ASSERT_TRUE(parseHeartbeat(d.data(), d.size(), info));
    EXPECT_EQ(info.serial, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(info.model, "MODEL-123456");
}

TEST(HeartbeatRecognition, StatusWithWrongVersionIsDropped) {
    auto d = hb::status112("SN", "M");
    d[5] = 0x02;
    HeartbeatInfo info;
    EXPECT_EQ(classifyHeartbeat(d.data(), d.size()), HeartbeatKind::None);
    EXPECT_FALSE(parseHeartbeat(d.data(), d.size(), info));
}

TEST(HeartbeatRecognition, EightyBytesWithMagicAtZeroInsteadOfFourIsDropped) {
    std::vector<uint8_t> d(80, 0);
    hb::putText(d, 0, 4, "LiDA");
    EXPECT_EQ(classifyHeartbeat(d.data(), d.size()), HeartbeatKind::None);
}

TEST(HeartbeatRecognition, LengthDecidesTheLayout) {
    auto d = hb::heart60("SN", "M");
    d.push_back(0);  // 61 bytes starting with "LiDA"
    EXPECT_EQ(classifyHeartbeat(d.data(), d.size()), HeartbeatKind::None);
    EXPECT_EQ(classifyHeartbeat(d.data(), 59), HeartbeatKind::None);
    EXPECT_EQ(classifyHeartbeat(d.data(), 60), HeartbeatKind::Heart60);
}

TEST(HeartbeatRecognition, BoxStatusSizesAreRecognisedWithoutMagic) {
    const std::vector<uint8_t> d(320, 0xAA);
    EXPECT_EQ(classifyHeartbeat(d.data(), 312), HeartbeatKind::BoxStatus);
    EXPECT_EQ(classifyHeartbeat(d.data(), 320), HeartbeatKind::BoxStatus);
    EXPECT_EQ(classifyHeartbeat(d.data(), 316), HeartbeatKind::None);
}
