#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "reference_crc.h"

namespace {

using testsupport::referenceCrc;

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliResult runCli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(VANTREL_CLI), args);
    CliResult r;
    if (!p.waitForFinished(30000)) return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

std::string expectedHex(uint16_t mode, uint16_t sn, const std::string& body) {
    const size_t padded = (body.size() + 3) / 4 * 4;
    std::vector<uint8_t> f = {'L',
                              'H',
                              uint8_t(mode),
                              uint8_t(mode >> 8),
                              uint8_t(sn),
                              uint8_t(sn >> 8),
                              uint8_t(padded),
                              uint8_t(padded >> 8)};
    for (char c : body) f.push_back(uint8_t(c));
    f.resize(8 + padded, 0);
    const uint32_t crc = referenceCrc(f, padded / 4 + 2);
    for (int i = 0; i < 4; ++i) f.push_back(uint8_t(crc >> (8 * i)));
    std::string hex;
    char two[3];
    for (uint8_t b : f) {
        std::snprintf(two, sizeof two, "%02x", b);
        hex += two;
    }
    return hex + "\n";
}

size_t lineCount(const std::string& text) {
    size_t n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

}  // namespace

TEST(CliFrame, SpeedCommandAsSetFrame) {
    const CliResult r = runCli({"frame", "S_PACK", "0x1234", "LSRPM:600H"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, expectedHex(0x0053, 0x1234, "LSRPM:600H"));
    EXPECT_EQ(r.out.size(), 24u * 2 + 1);
}

TEST(CliFrame, NamedAndNumericModes) {
    EXPECT_EQ(runCli({"frame", "GS_PACK", "7", "xxxxxx"}).out, expectedHex(0x4753, 7, "xxxxxx"));
    EXPECT_EQ(runCli({"frame", "C_PACK", "65535", "LSTARH"}).out, expectedHex(0x0043, 0xFFFF, "LSTARH"));
    EXPECT_EQ(runCli({"frame", "0x5A47", "1", "ABCD"}).out, expectedHex(0x5A47, 1, "ABCD"));
    EXPECT_EQ(runCli({"frame", "83", "0", "LSPST:3H"}).out, expectedHex(0x0053, 0, "LSPST:3H"));
}

TEST(CliFrame, BadInputIsOneLineAndExitTwo) {
    const std::vector<QStringList> bad = {
        {"frame", "X_PACK", "1", "LSTARH"},
        {"frame", "S_PACK", "65536", "LSTARH"},
        {"frame", "S_PACK", "-1", "LSTARH"},
        {"frame", "S_PACK", "0xZZ", "LSTARH"},
        {"frame", "S_PACK", "0x", "LSTARH"},
        {"frame", "", "1", "LSTARH"},
        {"frame", "S_PACK", "99999999999999999999999", "LSTARH"},
        {"frame", "S_PACK", "1"},
        {"frame", "S_PACK", "1", QString(2041, QLatin1Char('a'))},
    };
    for (const auto& args : bad) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).left(60).toStdString());
        const CliResult r = runCli(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(lineCount(r.err), 1u) << r.err;
    }
}

TEST(CliFrame, HelpGoesToStdout) {
    const CliResult r = runCli({"frame", "--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("MODE"), std::string::npos);
}

TEST(CliModel, PrintsTableValues) {
    CliResult r = runCli({"model", "TQX-H540-S", "I/O"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "2\n");
    EXPECT_EQ(runCli({"model", "TQX-H500-R", "baud"}).out, "768000|100000\n");
    EXPECT_EQ(runCli({"model", "TQX-H600-E", "tf"}).out, "84000\n");
}

TEST(CliModel, AbsentIsAnEmptyLine) {
    CliResult r = runCli({"model", "TQX-H540-S", "baud"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "\n");
    r = runCli({"model", "NO-SUCH-MODEL", "rpm"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "\n");
}

TEST(CliModel, UsageErrorsAndHelp) {
    const CliResult bad = runCli({"model", "TQX-H540-S"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(lineCount(bad.err), 1u);
    const CliResult help = runCli({"model", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("NAME KEY"), std::string::npos);
}
