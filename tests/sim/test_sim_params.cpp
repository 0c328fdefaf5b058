// The simulated scanner takes every parameter command in the form the
// program sends it, and its serial line follows "LSBPS" as a scanner does:
// the answer still at the old rate, everything after it at the new one only.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QElapsedTimer>

#include "netguard.h"
#include "qt_wait.h"
#include "simulator.h"
#include "transport.h"

namespace {

// Writes `command` and collects what comes back for up to `ms` or until
// `expect` shows up among the bytes (the line also carries the scan stream).
bool answered(int handle, const QByteArray& command, const QByteArray& expect, int ms = 3000) {
    if (serial_write(handle, command.constData(), command.size()) != command.size()) return false;
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    char buf[4096];
    while (clock.elapsed() < ms) {
        if (wait_readable(handle, 50) <= 0) continue;
        const int n = serial_read(handle, buf, sizeof buf);
        if (n > 0) got.append(buf, n);
        if (got.contains(expect)) return true;
    }
    return false;
}

}  // namespace

TEST(SimSerialParams, BaudChangeAnswersAtTheOldRateThenHearsOnlyTheNewOne) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    testsupport::ensureApp();
    sim::SimOptions o;
    o.serial = sim::SerialMode::Uart;
    o.model = QStringLiteral("TQX-H400-A");
    o.logCommands = false;
    sim::Simulator s(o);
    QString error;
    ASSERT_TRUE(s.start(&error)) << error.toStdString();
    const int h = open_serial(s.serialPath().toStdString(), 460800);
    ASSERT_GT(h, 0);

    ASSERT_TRUE(answered(h, "LSBPS:921600H", "LSBPS:921600H OK"));
    // Still at the old rate: the scanner hears noise and says nothing.
    EXPECT_FALSE(answered(h, "LQSRPMH", "SRPM:", 1000));
    ASSERT_EQ(set_serial_baud(h, 921600), 0);
    EXPECT_TRUE(answered(h, "LQSRPMH", "SRPM:0600"));
    close_link(h, false);
}

TEST(SimSerialParams, ParameterTextsInTheProgramsForms) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    testsupport::ensureApp();
    sim::SimOptions o;
    o.serial = sim::SerialMode::Uart;
    o.model = QStringLiteral("TQX-H400-A");
    o.serialBaud = 230400;  // a fixed line: a client at another rate is not heard
    o.logCommands = false;
    sim::Simulator s(o);
    ASSERT_TRUE(s.start());
    const int wrong = open_serial(s.serialPath().toStdString(), 115200);
    ASSERT_GT(wrong, 0);
    EXPECT_FALSE(answered(wrong, "LQSRPMH", "SRPM:", 1000));
    close_link(wrong, false);
    const int h = open_serial(s.serialPath().toStdString(), 230400);
    ASSERT_GT(h, 0);

    const struct {
        const char* command;
        const char* reply;
    } cases[] = {
        {"LSAF:25H", "LSAF:25H OK"},  // the factor is decimal
        {"LQSAFH", "SAF:25"},
        {"LSAF:1aH", "LSAF:1aH ER"},  // not a decimal number
        {"LSAZN:bH", "LSAZN:bH OK"},  // the zone digit
        {"LQAZNH", "ZONE NUM:B"},
        {"LSAZN:1bH", "LSAZN:1bH ER"},                // a whole azn byte is no zone
        {"LSPNP:10100001BH", "LSPNP:10100001BH OK"},  // box variant: selector after the digits
        {"LQNPNH", "IO TYPE:10100001"},
        {"LSPNP:1010000XH", "LSPNP:1010000XH ER"},
    };
    for (const auto& c : cases) EXPECT_TRUE(answered(h, c.command, c.reply)) << c.command;
    close_link(h, false);
}
