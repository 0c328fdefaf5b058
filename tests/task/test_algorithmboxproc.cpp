// The box worker's own rules: stray datagrams are not reported, and a taken
// box port is a failure rather than a move to another port. (Commands, replies
// and the upgrade run through this worker in the vantrel-cli box tests.)

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "algorithmboxproc.h"
#include "box_peer.h"
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
