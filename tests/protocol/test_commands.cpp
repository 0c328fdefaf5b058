#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "network_arg.h"
#include "sample_block.h"

using Cmds = std::vector<std::string>;

namespace {

EEpromV101 networkBlock() {
    EEpromV101 b = testsupport::sampleNetworkBlock();
    b.tfx = 1;
    b.ats = 1;
    b.dog = 5;
    b.rpm = 900;
    b.flags143 = 0x04;
    b.zirDistance = 300;
    b.smt = 1;
    b.dsw = 0;
    b.fir = 3;
    b.cir = 12;
    b.res = 2;
    b.azn = 0x1B;
    b.af = 20;
    for (int k = 0; k < 15; ++k) b.outMap[k] = uint8_t(k + 1);
    b.outMap[15] = 0xAB;
    b.pnpBits = 0x85;
    return b;
}

EEpromV101 uartBlock() {
    EEpromV101 b;
    std::memset(&b, 0, sizeof b);
    b.rpm = 600;
    b.smt = 1;
    b.dsw = 1;
    b.fir = 5;
    b.cir = 2;
    b.azn = 0x13;
    b.pst = 3;
    // 921600 = 0x0E1000, low byte first in bytes 48..50.
    b.ip[0] = 0x00;
    b.ip[1] = 0x10;
    b.ip[2] = 0x0E;
    return b;
}

}  // namespace

TEST(CommandTexts, ParameterPageCommands) {
    EXPECT_EQ(cmd_set_rpm(600), "LSRPM:600H");
    EXPECT_EQ(cmd_set_did(2147483647LL), "LSDID:2147483647H");
    EXPECT_EQ(cmd_set_pst(3), "LSPST:3H");
    EXPECT_EQ(cmd_set_tfx(true), "LSTFX:1H");
    EXPECT_EQ(cmd_set_ccw(false), "LSCCW:0H");
    EXPECT_EQ(cmd_set_fir(5), "LSFIR:5H");
    EXPECT_EQ(cmd_set_cir(12), "LSCIR:12H");
    EXPECT_EQ(cmd_set_bps("921600"), "LSBPS:921600H");
    EXPECT_EQ(cmd_set_dsw(true), "LSDSW:1H");
    EXPECT_EQ(cmd_set_smt(false), "LSSMT:0H");
    EXPECT_EQ(cmd_serial_dsw(true), "LFFF1H");
    EXPECT_EQ(cmd_serial_smt(false), "LSSS0H");
    EXPECT_EQ(cmd_set_ztp(1), "LSZTP:1H");
    EXPECT_EQ(cmd_set_af(200), "LSAF:200H");
    EXPECT_EQ(cmd_set_zir(true, 300), "LSZIR:1,300H");
    EXPECT_EQ(cmd_set_azn(11), "LSAZN:BH");
    EXPECT_EQ(cmd_set_azn(std::string("7")), "LSAZN:7H");
    EXPECT_EQ(cmd_set_ats(2), "LSATS:2H");
    EXPECT_EQ(cmd_query("SRPM"), "LQSRPMH");
}

TEST(CommandTexts, NetworkCommandsWrapTheCheckedArgument) {
    std::string arg;
    ASSERT_TRUE(format_network_argument(true, "192.168.1.10", "255.255.255.0", "192.168.1.1", "2111", arg));
    EXPECT_EQ(cmd_set_udp(arg), "LSUDP:192.168.001.010 255.255.255.000 192.168.001.001 02111H");
    ASSERT_TRUE(format_network_argument(false, "224.1.1.1", "", "", "6000", arg));
    EXPECT_EQ(cmd_set_dst(arg), "LSDST:224.001.001.001 06000H");
}

TEST(CommandTexts, PnpFromOutputsAndIndex) {
    EXPECT_EQ(cmd_set_pnp({true, false, true, false}, 0), "LSPNP:10100000H");
    EXPECT_EQ(cmd_set_pnp({false, true, true, true}, 1), "LSPNP:01110001H");
    EXPECT_EQ(cmd_set_pnp({true, true, true, true}, 1, "B"), "LSPNP:11110001BH");
}

TEST(CommandTexts, OutputMatrixAllChecked) {
    std::array<uint8_t, 12> rows;
    rows.fill(0x0F);
    EXPECT_EQ(cmd_set_out(rows), "LSOUT:0f0f0f0f0f0f0f0f0f0f0f0f00000000H");
    rows.fill(0);
    rows[0] = 0x0A;
    rows[11] = 0x01;
    EXPECT_EQ(cmd_set_out(rows), "LSOUT:0a000000000000000000000100000000H");
}

TEST(UartQueryTable, RowsForQueries) {
    const UartQueryRow* row = find_uart_query("LQNPNH");
    ASSERT_NE(row, nullptr);
    EXPECT_STREQ(row->prefix, "IO TYPE:");
    EXPECT_EQ(row->valueLength, 8u);
    ASSERT_NE(find_uart_query("LUUIDH"), nullptr);
    EXPECT_EQ(find_uart_query("LUUIDH")->valueLength, 20u);
    EXPECT_EQ(find_uart_query("LQNPN"), nullptr);
    EXPECT_EQ(find_uart_query("LSRPM:600H"), nullptr);
}

TEST(ImportCommands, FramedLinkAllGroupsInOrder) {
    const Cmds expected = {
        "LSDST:192.168.001.100 02368H",
        "LSTFX:1H",
        "LSATS:001H",
        "LSDOG:005H",
        "LSRPM:0900H",
        "LSZIR:1,300H",
        "LSSMT:1H",
        "LSDSW:0H",
        "LSATS:1H",
        "LSFIR:03H",
        "LSCIR:12H",
        "LSRES:2H",
        "LSAZN:bH",  // zone digit only: bit 4 (software switching) stays out
        "LSAF:20H",  // decimal, as the scanner reads it
        "LSOUT:0102030405060708090A0B0C0D0E0FABH",
        "LSPNP:10100001H",
        "LSUDP:192.168.001.010 255.255.255.000 192.168.001.001 02111H",
    };
    ImportChoices all;
    all.upload = all.operation = all.io = all.network = all.baud = true;
    EXPECT_EQ(build_import_commands(networkBlock(), "UDP", all, 0), expected);
    EXPECT_EQ(build_import_commands(networkBlock(), "VPC", all, 2), expected);
}

TEST(ImportCommands, OnlyChosenGroups) {
    ImportChoices io;
    io.io = true;
    EXPECT_EQ(build_import_commands(networkBlock(), "UDP", io, 0),
              (Cmds{"LSOUT:0102030405060708090A0B0C0D0E0FABH", "LSPNP:10100001H"}));
    EXPECT_TRUE(build_import_commands(networkBlock(), "UDP", ImportChoices{}, 0).empty());
}

TEST(ImportCommands, TcpAndUnknownLinksSendNothing) {
    ImportChoices all;
    all.upload = all.operation = all.io = all.network = all.baud = true;
    EXPECT_TRUE(build_import_commands(networkBlock(), "TCP", all, 2).empty());
    EXPECT_TRUE(build_import_commands(networkBlock(), "udp", all, 2).empty());
}

TEST(ImportCommands, UartOperationAndBaudWithoutZoneSwitching) {
    ImportChoices choices;
    choices.operation = true;
    choices.baud = true;
    choices.network = true;  // not offered on serial links
    choices.upload = true;
    EXPECT_EQ(build_import_commands(uartBlock(), "UART", choices, 1),
              (Cmds{"LSRPM:600H", "LSSS1H", "LFFF1H", "LSFIR:5H", "LSCIR:2H", "LSAZN:3H", "LSPST:3H",
                    "LSBPS:921600H"}));
}

TEST(ImportCommands, UartIoLevelTwoEndsWithZoneSwitching) {
    ImportChoices choices;
    choices.operation = true;
    choices.io = true;
    choices.baud = true;
    EEpromV101 b = uartBlock();
    b.pnpBits = 0x05;
    std::memset(b.outMap, 0xC3, sizeof b.outMap);
    EXPECT_EQ(
        build_import_commands(b, "UART", choices, 2),
        (Cmds{"LSRPM:600H", "LSSS1H", "LFFF1H", "LSFIR:5H", "LSCIR:2H", "LSAZN:3H", "LSPST:3H",
              "LSOUT:C3C3C3C3C3C3C3C3C3C3C3C3C3C3C3C3H", "LSPNP:10100000H", "LSBPS:921600H", "LSZTP:1H"}));
}

// Regression: a block with a blank address (a scanner never configured, or a
// damaged file) must not make the import send an address that cuts the
// scanner off the network.
TEST(ImportCommands, InvalidAddressesAreNotSent) {
    EEpromV101 b = networkBlock();
    std::memset(b.ip, 0, 4);
    std::memset(b.uploadIp, 0, 4);
    ImportChoices choices;
    choices.upload = true;
    choices.network = true;
    EXPECT_EQ(build_import_commands(b, "UDP", choices, 0), (Cmds{"LSTFX:1H", "LSATS:001H", "LSDOG:005H"}));

    b = networkBlock();
    const uint8_t otherGateway[4] = {10, 0, 0, 1};
    std::memcpy(b.gateway, otherGateway, 4);
    b.uploadPort = 80;
    std::vector<ImportOmission> omitted;
    EXPECT_EQ(build_import_commands(b, "UDP", choices, 0, &omitted),
              (Cmds{"LSTFX:1H", "LSATS:001H", "LSDOG:005H"}));
    // The import names what it left out, so it cannot report plain success.
    ASSERT_EQ(omitted.size(), 2u);
    EXPECT_EQ(omitted[0].command, "LSDST");
    EXPECT_EQ(omitted[0].reason, ImportOmission::Reason::DestinationAddressInvalid);
    EXPECT_EQ(omitted[1].command, "LSUDP");
    EXPECT_EQ(omitted[1].reason, ImportOmission::Reason::NetworkAddressInvalid);
}

// Regression: factors of 10 and more arrived wrong when sent in hexadecimal,
// and a software-switched block sent a two-digit zone the scanner refuses.
TEST(ImportCommands, FactorIsDecimalAndZoneIsOneDigit) {
    ImportChoices operation;
    operation.operation = true;
    const struct {
        uint16_t af;
        uint8_t azn;
        const char* afText;
        const char* aznText;
    } cases[] = {
        {9, 0x00, "LSAF:9H", "LSAZN:0H"},
        {10, 0x10, "LSAF:10H", "LSAZN:0H"},
        {200, 0x1F, "LSAF:200H", "LSAZN:fH"},
        {15, 0x0A, "LSAF:15H", "LSAZN:aH"},
    };
    for (const auto& c : cases) {
        EEpromV101 b = networkBlock();
        b.af = c.af;
        b.azn = c.azn;
        const Cmds cmds = build_import_commands(b, "UDP", operation, 0);
        ASSERT_EQ(cmds.size(), 10u);
        EXPECT_EQ(cmds[8], c.aznText) << c.af;
        EXPECT_EQ(cmds[9], c.afText) << c.af;
        EEpromV101 u = uartBlock();
        u.azn = c.azn;
        EXPECT_EQ(build_import_commands(u, "UART", operation, 1)[5], c.aznText);
    }
}

TEST(ImportCommands, SameModelComparesNormalisedNames) {
    EEpromV101 b = networkBlock();
    std::memcpy(b.typeId, "TQX-H540-S", 11);
    EXPECT_TRUE(import_same_model(b, "TQX-H540-S"));
    EXPECT_FALSE(import_same_model(b, "TQX-H540-E"));
    std::memcpy(b.typeId, "TQX70K3\0\0\0", 10);
    EXPECT_TRUE(import_same_model(b, "TQX-70K-3"));
    std::memset(b.typeId, 0, sizeof b.typeId);
    EXPECT_TRUE(import_same_model(b, ""));
    EXPECT_FALSE(import_same_model(b, "TQX-H540-S"));
}
