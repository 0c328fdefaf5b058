// vantrel-cli box against a box written from the wire layout alone (status
// datagrams laid out by hand, every command checked byte for byte), the box
// upgrade against the simulated box, and "discover" naming addresses claimed
// twice.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <nlohmann/json.hpp>
#include <set>

#include "audit_log.h"
#include "box_peer.h"
#include "box_sim.h"
#include "cli_run.h"
#include "firmware_image.h"
#include "netguard.h"
#include "qt_wait.h"
#include "simulator.h"

using json = nlohmann::json;

namespace {

// The JSON line whose `key` is `value`, or a discarded value.
json lineWith(const QString& out, const char* key, const std::string& value) {
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        const json j = json::parse(line.toStdString(), nullptr, false);
        if (!j.is_discarded() && j.contains(key) && j[key] == value) return j;
    }
    return json(json::value_t::discarded);
}

}  // namespace

TEST(CliBox, ListsAnIndependentBoxFromItsStatusDatagrams) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    testsupport::ensureApp();
    boxpeer::Peer box("127.0.0.51", {});
    ASSERT_TRUE(box.ok());
    box.announce(boxpeer::statusDatagram(320, "127.0.0.51", "255.0.0.0", "127.0.0.1",
                                         {{"192.168.158.10", 2, 5}, {"192.168.158.11", 3, 0x1000}}, 2),
                 200);

    const CliRun r = runCli({"box", "list", "--seconds", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const json j = lineWith(r.out, "ip", "127.0.0.51");
    ASSERT_FALSE(j.is_discarded()) << r.out.toStdString();
    EXPECT_EQ(j["mask"], "255.0.0.0");
    EXPECT_EQ(j["gateway"], "127.0.0.1");
    EXPECT_EQ(j["datagramSize"], 320);
    ASSERT_EQ(j["scanners"].size(), 2u);
    EXPECT_EQ(j["scanners"][0]["address"], "192.168.158.10");
    EXPECT_EQ(j["scanners"][0]["state"], "green");
    EXPECT_EQ(j["scanners"][0]["statusWord"], "000000000101");
    EXPECT_EQ(j["scanners"][1]["state"], "red");
    EXPECT_EQ(j["scanners"][1]["statusWord"], "1000000000000");
}

TEST(CliBox, CommandsReachAnIndependentBoxByteForByte) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    testsupport::ensureApp();
    boxpeer::Peer box("127.0.0.52",
                      {{"LSNETS", "LSNETS:127.0.0.52 255.0.0.0 127.0.0.1"},
                       {"LSGETS", "LSGETS:192.168.158.10 2368 0|192.168.158.11 2369 1|192.168.158.12 2370 0"},
                       {"LVERSH", "LVERSH:BOX-3.2.1"},
                       {"LSADD:10.0.0.2 2368 0|10.0.0.3 3000 0", "LSADD:OK"},
                       {"LSDEL:192.168.158.11 2369 1", "LSDEL:OK"},
                       {"LSNET:10.9.8.7 255.255.255.0 10.9.8.1", "LSNET:OK"}});
    ASSERT_TRUE(box.ok());

    CliRun r = runCli({"box", "get", "127.0.0.52"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const json j = json::parse(r.out.toStdString(), nullptr, false);
    ASSERT_FALSE(j.is_discarded()) << r.out.toStdString();
    EXPECT_EQ(j["ip"], "127.0.0.52");
    EXPECT_EQ(j["mask"], "255.0.0.0");
    EXPECT_EQ(j["gateway"], "127.0.0.1");
    EXPECT_EQ(j["portA"], json::array({"192.168.158.10:2368", "192.168.158.12:2370"}));
    EXPECT_EQ(j["portB"], json::array({"192.168.158.11:2369"}));
    EXPECT_EQ(j["version"], "BOX-3.2.1");

    r = runCli({"box", "add", "127.0.0.52", "A", "10.0.0.2:2368", "10.0.0.3:3000", "10.0.0.2:2368"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), "LSADD:OK");
    r = runCli({"box", "del", "127.0.0.52", "B", "192.168.158.11:2369"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), "LSDEL:OK");
    r = runCli({"box", "net", "127.0.0.52", "10.9.8.7", "255.255.255.0", "10.9.8.1"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), "LSNET:OK");

    const std::vector<std::string> expected = {"LSNETS",
                                               "LSGETS",
                                               "LVERSH",
                                               "LSADD:10.0.0.2 2368 0|10.0.0.3 3000 0",
                                               "LSDEL:192.168.158.11 2369 1",
                                               "LSNET:10.9.8.7 255.255.255.0 10.9.8.1"};
    const auto got = box.received();
    ASSERT_EQ(got.size(), expected.size());
    std::set<uint16_t> sequenceNumbers;
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].text, expected[i]);
        EXPECT_TRUE(got[i].exact) << expected[i] << ": not the frame the box expects";
        sequenceNumbers.insert(got[i].sn);
    }
    EXPECT_GT(sequenceNumbers.size(), 1u) << "every command draws a sequence number of its own";

    // The three changes, not the reads, are on the audit trail with the box's answers.
    std::vector<std::string> changes;
    for (const QString& line : runCli({"audit"}).out.split('\n', Qt::SkipEmptyParts)) {
        const json a = json::parse(line.toStdString(), nullptr, false);
        if (a.is_discarded() || a.value("address", "") != "127.0.0.52:6666") continue;
        EXPECT_EQ(a["link"], "BOX");
        EXPECT_EQ(a["operation"], "box change");
        EXPECT_EQ(a["program"], "vantrel-cli");
        changes.push_back(a["command"].get<std::string>() + " " + a["outcome"].get<std::string>() + " " +
                          a["detail"].get<std::string>());
    }
    EXPECT_EQ(changes, std::vector<std::string>({"LSADD:10.0.0.2 2368 0|10.0.0.3 3000 0 accepted LSADD:OK",
                                                 "LSDEL:192.168.158.11 2369 1 accepted LSDEL:OK",
                                                 "LSNET:10.9.8.7 255.255.255.0 10.9.8.1 accepted LSNET:OK"}));
}

TEST(CliBox, SilentBoxIsExitFourAndBadArgumentsSendNothing) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    testsupport::ensureApp();
    CliRun r = runCli({"box", "get", "127.0.0.53"});
    EXPECT_EQ(r.exitCode, 4);
    ASSERT_EQ(r.errLines().size(), 1) << r.err.toStdString();
    EXPECT_EQ(r.errLines()[0], "vantrel-cli box: the box did not answer LSNETS");

    boxpeer::Peer box("127.0.0.53", {});
    ASSERT_TRUE(box.ok());
    const struct {
        QStringList args;
        int exit;
        const char* error;
    } cases[] = {
        {{"box", "add", "127.0.0.53", "A", "1.2.3.4:80"},
         2,
         "vantrel-cli box: 1.2.3.4:80: the port must lie in 1000..65535"},
        {{"box", "add", "127.0.0.53", "A", "1.2.3:2368"}, 2, "vantrel-cli box: 1.2.3:2368: not IP:PORT"},
        {{"box", "net", "127.0.0.53", "192.168.158.9", "255.255.255.0", "192.168.158.1"},
         1,
         "vantrel-cli box: 192.168.158.9: IP is occupied, please reset"},
        {{"box", "get", "not-an-address"}, 2, "vantrel-cli box: not-an-address: not an IPv4 address"},
    };
    for (const auto& c : cases) {
        r = runCli(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.errLines().value(0), QString::fromLatin1(c.error));
    }
    EXPECT_TRUE(box.received().empty());
}

TEST(CliBox, UpgradeReachesTheSimulatedBoxIntact) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    testsupport::ensureApp();
    QTemporaryDir dir;
    sim::BoxOptions o;
    o.address = QStringLiteral("127.0.0.54");
    o.statusPort = 0;
    o.logCommands = false;
    o.firmwareOut = dir.filePath("received.bin");
    sim::BoxSimulator box(o);
    ASSERT_TRUE(box.start());
    std::vector<uint8_t> payload(3 * 512);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = uint8_t(i ^ (i >> 8));
    const std::vector<uint8_t> image = pack_firmware_image(payload.data(), payload.size());
    const QString file = dir.filePath("box.bin");
    ASSERT_TRUE(boxpeer::writeFile(file.toStdString(), image));

    const CliRun r = runCli({"box", "upgrade", "127.0.0.54", file});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), "firmware upgrade OK!");
    QFile out(o.firmwareOut);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), QByteArray(reinterpret_cast<const char*>(payload.data()), int(payload.size())));
    const QString trail = runCli({"audit"}).out;
    const json a = lineWith(trail, "address", "127.0.0.54:6666");
    ASSERT_FALSE(a.is_discarded()) << trail.toStdString();
    EXPECT_EQ(a["command"], "box.bin");
    EXPECT_EQ(a["outcome"], "succeeded");
    EXPECT_EQ(a["imageCrc"], audit_crc_text(*audit_firmware_crc(file)).toStdString());
}

TEST(CliDiscover, AddressesClaimedTwiceAreListedAsConflicts) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    testsupport::ensureApp();
    std::vector<std::unique_ptr<sim::Simulator>> scanners;
    const struct {
        const char* ip;
        quint16 port;
        const char* serial;
    } fleet[] = {{"127.0.0.55", 17401, "CONFLICT-A"},
                 {"127.0.0.55", 17402, "CONFLICT-B"},
                 {"127.0.0.56", 17403, "ALONE"},
                 {"127.0.0.57", 17404, "NEAR-BOX"}};
    for (const auto& f : fleet) {
        sim::SimOptions o;
        o.udpAddress = QString::fromLatin1(f.ip);
        o.udpPort = f.port;
        o.serialNumber = QString::fromLatin1(f.serial);
        o.logCommands = false;
        scanners.push_back(std::make_unique<sim::Simulator>(o));
        ASSERT_TRUE(scanners.back()->start());
    }
    boxpeer::Peer box("127.0.0.57", {});
    ASSERT_TRUE(box.ok());
    box.announce(boxpeer::statusDatagram(312, "127.0.0.57", "255.0.0.0", "127.0.0.1", {}, 0), 200);

    const CliRun r = runCli({"discover", "--seconds", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    const json last = json::parse(lines.last().toStdString(), nullptr, false);
    ASSERT_TRUE(last.contains("conflicts")) << lines.last().toStdString();
    std::map<std::string, json> byIp;
    for (const json& c : last["conflicts"]) byIp[c["ip"]] = c;
    ASSERT_TRUE(byIp.count("127.0.0.55")) << last.dump();
    EXPECT_EQ(byIp["127.0.0.55"]["serials"], json::array({"CONFLICT-A", "CONFLICT-B"}));
    EXPECT_FALSE(byIp["127.0.0.55"]["box"].get<bool>());
    ASSERT_TRUE(byIp.count("127.0.0.57")) << last.dump();
    EXPECT_TRUE(byIp["127.0.0.57"]["box"].get<bool>());
    EXPECT_FALSE(byIp.count("127.0.0.56"));
}
