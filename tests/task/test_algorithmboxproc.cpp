// The box worker against a box written from the wire layout (commands
// checked byte for byte) and against the simulated box (firmware upgrade):
// frames, reply kinds, stray datagrams, the fixed port and the upgrade result.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <set>

#include "algorithmboxproc.h"
#include "box_peer.h"
#include "box_sim.h"
#include "firmware_image.h"
#include "netguard.h"
#include "qt_wait.h"

namespace {

constexpr int kWaitMs = 8000;

struct Reply {
    QString ip;
    int type;
    QString info;
};

// A worker on a port of the system's choosing, aimed at `box`, its reports collected.
class WorkerUnderTest {
public:
    explicit WorkerUnderTest(const QString& box, int localPort = 0) : worker(localPort) {
        worker.setBoxAddress(box);
        QObject::connect(&worker, &AlgorithmBoxProc::sig_BoxMSG, &worker,
                         [this](QString ip, int type, QString info) {
                             replies.push_back({ip, type, info});
                         });
        worker.start();
    }
    bool waitBound() {
        return testsupport::waitUntil([&] { return worker.boundPort() != 0; }, kWaitMs) &&
               worker.boundPort() > 0;
    }
    bool waitFor(int type) {
        return testsupport::waitUntil(
            [&] {
                for (const Reply& r : replies)
                    if (r.type == type) return true;
                return false;
            },
            kWaitMs);
    }
    const Reply* last(int type) const {
        for (auto it = replies.rbegin(); it != replies.rend(); ++it)
            if (it->type == type) return &*it;
        return nullptr;
    }

    AlgorithmBoxProc worker;
    std::vector<Reply> replies;
};

}  // namespace

TEST(BoxWorker, CommandsAreModeUFramesTheBoxAcceptsAndRepliesReportTheirKind) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    testsupport::ensureApp();
    boxpeer::Peer box("127.0.0.21", {{"LSGETS", "LSGETS:192.168.158.10 2368 0|192.168.158.11 2368 1"},
                                     {"LVERSH", "LVERSH:BOX-7.1"},
                                     {"LSADD:10.0.0.2 2368 0", "LSADD:OK"}});
    ASSERT_TRUE(box.ok());
    WorkerUnderTest w(QStringLiteral("127.0.0.21"));
    ASSERT_TRUE(w.waitBound());

    std::set<int> sns;
    for (const char* cmd : {"LSGETS", "LVERSH", "LSADD:10.0.0.2 2368 0"}) {
        const int sn = w.worker.sendBoxCommand(0x75, QString::fromLatin1(cmd));
        ASSERT_GE(sn, 0) << cmd;
        sns.insert(sn);
    }
    ASSERT_TRUE(w.waitFor(BoxReplyAdd));
    ASSERT_TRUE(w.waitFor(BoxReplyGets));
    ASSERT_TRUE(w.waitFor(BoxReplyVersion));
    EXPECT_EQ(w.last(BoxReplyGets)->info, "LSGETS:192.168.158.10 2368 0|192.168.158.11 2368 1");
    EXPECT_EQ(w.last(BoxReplyGets)->ip, "127.0.0.21");
    EXPECT_EQ(w.last(BoxReplyVersion)->info, "LVERSH:BOX-7.1");

    const std::vector<boxpeer::Peer::Received> got = box.received();
    ASSERT_EQ(got.size(), 3u);
    for (const auto& r : got) EXPECT_TRUE(r.exact) << r.text;
    EXPECT_EQ(sns.size(), 3u) << "each command has a sequence number of its own";

    // Other modes are not box commands.
    EXPECT_EQ(w.worker.sendBoxCommand(0x43, QStringLiteral("LSGETS")), -1);
}

TEST(BoxWorker, StrayDatagramsAreNotReported) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    testsupport::ensureApp();
    boxpeer::Peer box("127.0.0.23", {});
    boxpeer::Peer stranger("127.0.0.24", {});
    ASSERT_TRUE(box.ok() && stranger.ok());
    WorkerUnderTest w(QStringLiteral("127.0.0.23"));
    ASSERT_TRUE(w.waitBound());
    const int port = w.worker.boundPort();

    stranger.sendTo("127.0.0.1", port, std::vector<uint8_t>(40, 0x5A));             // garbage
    stranger.sendTo("127.0.0.1", port, std::vector<uint8_t>(7, 'L'));               // tiny
    stranger.sendTo("127.0.0.1", port, boxpeer::handFrame(0xFFBC, 1, "LSGETS:x"));  // a scanner's reply
    stranger.sendTo("127.0.0.1", port, boxpeer::handFrame(0xFFB9, 2, std::string(8, 0)));  // firmware answer
    box.sendTo("127.0.0.1", port, boxpeer::handFrame(0xFF8A, 0, "REBOOT"));
    ASSERT_TRUE(w.waitFor(BoxReplyReboot));
    EXPECT_EQ(w.replies.size(), 1u);
    EXPECT_EQ(w.replies[0].ip, "127.0.0.23");
    EXPECT_EQ(w.worker.boxAddress(), "127.0.0.23");
}

TEST(BoxWorker, TakenPortIsAFailureNotAFallback) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    testsupport::ensureApp();
    // Another program holds 6666 without address reuse.
    const int holder = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(kBoxCommandPort);
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    WorkerUnderTest w(QStringLiteral("127.0.0.25"), kBoxCommandPort);
    ASSERT_TRUE(w.waitFor(-1));
    EXPECT_EQ(w.last(-1)->info, "open BOXPORT failed!");
    EXPECT_EQ(w.worker.boundPort(), -1);
    ASSERT_TRUE(w.worker.wait(kWaitMs)) << "the worker ends after the failure";
    ::close(holder);
}

TEST(BoxWorker, UpgradeDeliversTheImageOrSaysNg) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    testsupport::ensureApp();
    QTemporaryDir dir;
    sim::BoxOptions o;
    o.address = QStringLiteral("127.0.0.26");
    o.statusPort = 0;
    o.firmwareOut = dir.filePath("received.bin");
    o.logCommands = false;
    sim::BoxSimulator box(o);
    ASSERT_TRUE(box.start());

    std::vector<uint8_t> payload(1500);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = uint8_t(i * 13);
    const std::vector<uint8_t> image = pack_firmware_image(payload.data(), payload.size());
    const QString good = dir.filePath("box.bin");
    const QString bad = dir.filePath("bad.bin");
    ASSERT_TRUE(boxpeer::writeFile(good.toStdString(), image));
    ASSERT_TRUE(boxpeer::writeFile(bad.toStdString(), std::vector<uint8_t>(1200, 'x')));

    WorkerUnderTest w(QStringLiteral("127.0.0.26"));
    ASSERT_TRUE(w.waitBound());
    w.worker.requestUpgrade(QStringLiteral("ignored"), good);
    ASSERT_TRUE(w.waitFor(BoxReplyFirmware));
    EXPECT_EQ(w.last(BoxReplyFirmware)->info, "firmware upgrade OK!");
    QFile out(o.firmwareOut);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QByteArray received = out.readAll();
    ASSERT_GE(received.size(), int(payload.size()));
    EXPECT_EQ(received.left(int(payload.size())),
              QByteArray(reinterpret_cast<const char*>(payload.data()), int(payload.size())));
    EXPECT_EQ(box.firmwareImagesAccepted(), 1);

    for (const QString& path : {bad, dir.filePath("missing.bin")}) {
        w.replies.clear();
        w.worker.requestUpgrade(QString(), path);
        ASSERT_TRUE(w.waitFor(BoxReplyFirmware)) << path.toStdString();
        EXPECT_EQ(w.last(BoxReplyFirmware)->info, "firmware upgrade NG!");
    }
    EXPECT_EQ(box.firmwareImagesAccepted(), 1) << "nothing of a refused image reaches the box";
}
