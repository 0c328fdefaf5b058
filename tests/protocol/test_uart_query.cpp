#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>

#include "commands.h"
#include "uart_query.h"

namespace {

// A serial port driven by a script: each read hands out the next chunk ("" =
// nothing arrived this time); sleeps are only counted.
class ScriptedSerial : public SerialIo {
public:
    std::deque<std::string> chunks;
    std::string written;
    int sleeps = 0;
    int reads = 0;
    size_t bytesRead = 0;
    bool failWrite = false;

    int write(const uint8_t* data, size_t len) override {
        if (failWrite) return -1;
        written.append(reinterpret_cast<const char*>(data), len);
        return int(len);
    }
    int read(uint8_t* data, size_t len) override {
        ++reads;
        if (chunks.empty()) return 0;
        std::string& chunk = chunks.front();
        const size_t n = chunk.size() < len ? chunk.size() : len;
        std::memcpy(data, chunk.data(), n);
        chunk.erase(0, n);
        if (chunk.empty()) chunks.pop_front();
        bytesRead += n;
        return int(n);
    }
    void sleepMs(int) override { ++sleeps; }
};

EEpromV101 zeroBlock() {
    EEpromV101 b;
    std::memset(&b, 0, sizeof b);
    return b;
}

// Runs one query through the exchange and stores its value like the sender does.
bool queryInto(const std::string& query, const std::string& reply, EEpromV101& block) {
    ScriptedSerial io;
    io.chunks = {reply};
    const UartQueryRow* row = find_uart_query(query);
    if (!row) return false;
    std::string value;
    if (!uart_query(io, query, row->prefix, row->valueLength, value, 10)) return false;
    return parse_query_value(query, value, block);
}

}  // namespace

TEST(UartQueryExchange, WritesTheBareCommandAndTakesTheValue) {
    ScriptedSerial io;
    io.chunks = {"noise\r\nSRPM:0600\r\n"};
    std::string value;
    ASSERT_TRUE(uart_query(io, "LQSRPMH", "SRPM:", 4, value, 10));
    EXPECT_EQ(io.written, "LQSRPMH");
    EXPECT_EQ(value, "0600");
}

TEST(UartQueryExchange, ReplySplitAcrossReadsWithGaps) {
    ScriptedSerial io;
    // Fewer empty reads than retries between the pieces: the exchange waits.
    io.chunks = {"", "", "FI", "", "", "", "R:1", "", "2\r\n"};
    std::string value;
    ASSERT_TRUE(uart_query(io, "LQFIRH", "FIR:", 2, value, 4));
    EXPECT_EQ(value, "12");
}

TEST(UartQueryExchange, SilenceEndsAfterRetriesWithoutRealTime) {
    ScriptedSerial io;
    std::string value = "before";
    EXPECT_FALSE(uart_query(io, "LQFIRH", "FIR:", 2, value, 10));
    EXPECT_EQ(io.sleeps, 10);
    EXPECT_EQ(value, "before");
}

TEST(UartQueryExchange, AnswerAfterTheRetriesIsNotWaitedFor) {
    ScriptedSerial io;
    io.chunks = {"", "", "", "FIR:5\r\n"};
    std::string value;
    EXPECT_FALSE(uart_query(io, "LQFIRH", "FIR:", 2, value, 3));
}

TEST(UartQueryExchange, ReadsAtMostOneBufferFull) {
    ScriptedSerial io;
    // The answer lies beyond the first 4096 bytes and must not be reached.
    io.chunks = {std::string(3000, 'z'), std::string(3000, 'z') + "FIR:5\r\n"};
    std::string value;
    EXPECT_FALSE(uart_query(io, "LQFIRH", "FIR:", 2, value, 10));
    EXPECT_EQ(io.bytesRead, kUartReplyBuffer);
}

TEST(UartQueryExchange, ValueCutShortAtEndOfReplyStaysInBounds) {
    ScriptedSerial io;
    io.chunks = {"MAP IO MAP:0f0f"};
    std::string value;
    ASSERT_TRUE(uart_query(io, "LQOUTH", "IO MAP:", 24, value, 2));
    EXPECT_EQ(value, "0f0f");
}

TEST(UartQueryExchange, WriteFailureIsFailure) {
    ScriptedSerial io;
    io.failWrite = true;
    io.chunks = {"FIR:5\r\n"};
    std::string value;
    EXPECT_FALSE(uart_query(io, "LQFIRH", "FIR:", 2, value, 10));
}

TEST(UartQueryStatus, EchoFollowedByOk) {
    ScriptedSerial io;
    io.chunks = {"LSPST:3H OK\r\n"};
    std::string status;
    ASSERT_TRUE(uart_query(io, "LSPST:3H", "", 2, status, 10));
    EXPECT_EQ(status, "OK");
}

TEST(UartQueryStatus, EchoFollowedByErBecomesNg) {
    ScriptedSerial io;
    io.chunks = {"LSPST:3H ER\r\n"};
    std::string status;
    ASSERT_TRUE(uart_query(io, "LSPST:3H", "", 2, status, 10));
    EXPECT_EQ(status, "NG");
}

TEST(UartQueryStatus, UnsupportIsAnAnswer) {
    ScriptedSerial io;
    io.chunks = {"unsupport\r\n"};
    std::string status;
    // The status is longer than the two characters asked for; it must still fit.
    ASSERT_TRUE(uart_query(io, "LSZIR:1,300H", "", 2, status, 10));
    EXPECT_EQ(status, "unsupport");
}

TEST(UartQueryStatus, SpeedCommandAnswers) {
    std::string status;
    ScriptedSerial ok;
    ok.chunks = {"Set RPM: OK\r\n"};
    ASSERT_TRUE(uart_query(ok, "LSRPM:900H", "Set RPM:", 12, status, 10));
    EXPECT_EQ(status, "OK");

    ScriptedSerial err;
    err.chunks = {"Set RPM: error\r\n"};
    ASSERT_TRUE(uart_query(err, "LSRPM:900H", "Set RPM:", 12, status, 10));
    EXPECT_EQ(status, "NG");

    ScriptedSerial other;
    other.chunks = {"Set RPM:"};
    ASSERT_TRUE(uart_query(other, "LSRPM:900H", "Set RPM:", 12, status, 10));
    EXPECT_EQ(status, "");
}

TEST(UartQueryStatus, PrefixOfOtherCommandsMeansOk) {
    ScriptedSerial io;
    io.chunks = {"LiDAR start\r\n"};
    std::string status;
    ASSERT_TRUE(uart_query(io, "LSTARH", "LiDAR", 0, status, 10));
    EXPECT_EQ(status, "OK");
}

TEST(UartQueryParse, SpeedFourDigits) {
    EEpromV101 b = zeroBlock();
    ASSERT_TRUE(queryInto("LQSRPMH", "SRPM:0600\r\n", b));
    EXPECT_EQ(b.rpm, 600);
}

TEST(UartQueryParse, FilterPointsOneOrTwoDigits) {
    EEpromV101 b = zeroBlock();
    ASSERT_TRUE(queryInto("LQFIRH", "FIR:5\r\n", b));
    EXPECT_EQ(b.fir, 5);
    ASSERT_TRUE(queryInto("LQFIRH", "FIR:12\r\n", b));
    EXPECT_EQ(b.fir, 12);
    ASSERT_TRUE(queryInto("LQCIRH", "CIR:x\r\n", b));
    EXPECT_EQ(b.cir, 0xFF);
    ASSERT_TRUE(queryInto("LQSAFH", "SAF:20\r\n", b));
    EXPECT_EQ(b.af, 20);
}

TEST(UartQueryParse, TargetContinuity) {
    EEpromV101 b = zeroBlock();
    b.flags143 = 0x81;
    ASSERT_TRUE(queryInto("LQZIRH", "ZIR:1,300\r\n", b));
    EXPECT_EQ(b.flags143, 0x85);
    EXPECT_EQ(b.zirDistance, 300);
    ASSERT_TRUE(queryInto("LQZIRH", "ZIR:0,25\r\n", b));
    EXPECT_EQ(b.flags143, 0x81);
    EXPECT_EQ(b.zirDistance, 25);
    EXPECT_FALSE(parse_query_value("LQZIRH", "1,2,3", b));
    EXPECT_FALSE(parse_query_value("LQZIRH", "1300", b));
    EXPECT_EQ(b.zirDistance, 25);
}

TEST(UartQueryParse, IoTypeBits) {
    EEpromV101 b = zeroBlock();
    ASSERT_TRUE(queryInto("LQNPNH", "IO TYPE:10100000\r\n", b));
    EXPECT_EQ(b.pnpBits, 5u);
    ASSERT_TRUE(queryInto("LQNPNH", "IO TYPE:00000001\r\n", b));
    EXPECT_EQ(b.pnpBits, 0x80u);
}

TEST(UartQueryParse, OutputMapTwelveBytes) {
    EEpromV101 b = zeroBlock();
    b.outMap[12] = 0x77;
    ASSERT_TRUE(queryInto("LQOUTH", "IO MAP:0102030405060708090a0B0f\r\n", b));
    const uint8_t expected[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0x0a, 0x0b, 0x0f};
    EXPECT_EQ(std::memcmp(b.outMap, expected, 12), 0);
    EXPECT_EQ(b.outMap[12], 0x77);
}

TEST(UartQueryParse, ZoneNumberAndSwitchingMode) {
    EEpromV101 b = zeroBlock();
    ASSERT_TRUE(queryInto("LQAZNH", "ZONE NUM:A\r\n", b));
    EXPECT_EQ(b.azn, 10);
    ASSERT_TRUE(queryInto("LQZTPH", "ZONE TYPE:1\r\n", b));
    EXPECT_EQ(b.azn, 0x1A);
    ASSERT_TRUE(queryInto("LQZTPH", "ZONE TYPE:0\r\n", b));
    EXPECT_EQ(b.azn, 0x0A);
    ASSERT_TRUE(queryInto("LQAZNH", "ZONE NUM:3\r\n", b));
    EXPECT_EQ(b.azn, 3);
}

TEST(UartQueryParse, SingleDigitSettings) {
    EEpromV101 b = zeroBlock();
    ASSERT_TRUE(queryInto("LQSMTH", "SMT:1\r\n", b));
    ASSERT_TRUE(queryInto("LQDSWH", "DSW:1\r\n", b));
    ASSERT_TRUE(queryInto("LQPSTH", "UPLOAD TYPE:2\r\n", b));
    EXPECT_EQ(b.smt, 1);
    EXPECT_EQ(b.dsw, 1);
    EXPECT_EQ(b.pst, 2);
}

TEST(UartQueryParse, IdentityTextsAreFiltered) {
    EEpromV101 b = zeroBlock();
    std::memset(b.typeId, 'Q', sizeof b.typeId);
    ASSERT_TRUE(queryInto("LUUIDH", "PRODUCT SN:AB-12_34 x.9\r\nmore", b));
    EXPECT_EQ(eeprom_product_sn(b), "AB-12_34 x.9");
    ASSERT_TRUE(queryInto("LTYPEH", "TYPE ID:TQX70K3\r\n", b));
    EXPECT_EQ(std::string(b.typeId, 8), std::string("TQX70K3\0", 8));
    EXPECT_EQ(eeprom_type_id(b), "TQX70K3");
}

TEST(UartQueryParse, UnknownQueryChangesNothing) {
    EEpromV101 b = zeroBlock();
    EXPECT_FALSE(parse_query_value("LQFOOH", "12", b));
    EXPECT_FALSE(parse_query_value("LQFIRH", "", b));
    const EEpromV101 zero = zeroBlock();
    EXPECT_EQ(std::memcmp(&b, &zero, sizeof b), 0);
}

TEST(UartQueryParse, GarbledValuesStayInRange) {
    EEpromV101 b = zeroBlock();
    b.azn = 0x17;
    // A zone that is not one hex digit is refused and leaves the block alone.
    EXPECT_FALSE(parse_query_value("LQAZNH", "G", b));
    EXPECT_EQ(b.azn, 0x17);
    // A speed without digits reads as 0; an overlong one is capped.
    b.rpm = 600;
    ASSERT_TRUE(parse_query_value("LQSRPMH", "????", b));
    EXPECT_EQ(b.rpm, 0);
    ASSERT_TRUE(parse_query_value("LQSRPMH", "99999999999999999999", b));
    EXPECT_EQ(b.rpm, 0xFFFF);
    // The same cap for the continuity distance; a side without digits is refused.
    ASSERT_TRUE(parse_query_value("LQZIRH", "1,99999999999999999999", b));
    EXPECT_EQ(b.zirDistance, 0xFFFF);
    EXPECT_FALSE(parse_query_value("LQZIRH", "x,5", b));
    EXPECT_FALSE(parse_query_value("LQZIRH", "1,", b));
    EXPECT_EQ(b.zirDistance, 0xFFFF);
}

TEST(UartCommandRows, SenderRowsForCommands) {
    UartCommandRow row;
    ASSERT_TRUE(uart_command_row("LQSRPMH", row));
    EXPECT_TRUE(row.isQuery);
    EXPECT_EQ(row.prefix, "SRPM:");
    EXPECT_EQ(row.valueLength, 4u);

    ASSERT_TRUE(uart_command_row("LSRPM:600H", row));
    EXPECT_EQ(row.prefix, "Set RPM:");
    EXPECT_EQ(row.valueLength, 12u);
    EXPECT_EQ(row.retries, 10);

    ASSERT_TRUE(uart_command_row("LSSS1H", row));
    EXPECT_EQ(row.prefix, "ok");
    EXPECT_EQ(row.retries, 100);

    ASSERT_TRUE(uart_command_row("LSTOPH", row));
    EXPECT_EQ(row.prefix, "LiDAR");
    EXPECT_EQ(row.valueLength, 0u);

    ASSERT_TRUE(uart_command_row("LSZIR:1,300H", row));
    EXPECT_EQ(row.prefix, "");
    EXPECT_EQ(row.valueLength, 2u);
    EXPECT_FALSE(row.isQuery);

    EXPECT_FALSE(uart_command_row("LSDID:5H", row));
    EXPECT_FALSE(uart_command_row("LRESTH", row));
}

TEST(UartCommandRows, EverySetCommandHasItsRow) {
    UartCommandRow row;
    ASSERT_TRUE(uart_command_row("LFFF0H", row));
    EXPECT_EQ(row.prefix, "ok");
    EXPECT_EQ(row.valueLength, 2u);
    EXPECT_EQ(row.retries, 100);
    for (const char* command : {"LSAZN:3H", "LSPST:1H", "LSPNP:10100000H", "LSOUT:0f00000000000000H",
                                "LSCIR:2H", "LSFIR:5H", "LSBPS:921600H", "LSZTP:1H"}) {
        SCOPED_TRACE(command);
        row.prefix = "stale";
        ASSERT_TRUE(uart_command_row(command, row));
        EXPECT_EQ(row.prefix, "");
        EXPECT_EQ(row.valueLength, 2u);
        EXPECT_EQ(row.retries, 10);
        EXPECT_FALSE(row.isQuery);
    }
}
