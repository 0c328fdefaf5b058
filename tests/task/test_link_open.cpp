#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>

#include "link_open.h"
#include "netguard.h"
#include "transport.h"

namespace {

// The scanner's end of a pseudo-terminal; the slave is the port to open.
struct PtyPort {
    PtyPort() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master);
        ::unlockpt(master);
        slave = ::ptsname(master);
    }
    ~PtyPort() { ::close(master); }
    int master = -1;
    std::string slave;
};

}  // namespace

TEST(OpenLink, TcpPairWithTheDataPortRefusedLeavesNothingOpen) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    int port = 0;
    const int listener = testsupport::listenLoopbackTcp(port);  // P listens; P + 1 is (almost surely) closed
    const LinkOpenResult r = open_link("TCP", "127.0.0.1", port, 0);
    EXPECT_EQ(r.status, LinkOpenStatus::TcpConnectFailed);
    EXPECT_EQ(r.cmdHandle, 0);
    EXPECT_EQ(r.dataHandle, 0);
    EXPECT_EQ(r.link, nullptr);
    // The command connection that did get through was closed again: the peer reads end of stream.
    const int accepted = ::accept(listener, nullptr, nullptr);
    ASSERT_GT(accepted, 0);
    char c;
    EXPECT_EQ(::recv(accepted, &c, 1, 0), 0);
    ::close(accepted);
    ::close(listener);
}

TEST(OpenLink, UdpReportsTheLocalPortActuallyBound) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    // A socket without address reuse holds the port asked for.
    const int plain = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = 0;
    ASSERT_EQ(::bind(plain, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    ::getsockname(plain, reinterpret_cast<sockaddr*>(&a), &len);
    const int busy = ntohs(a.sin_port);
    LinkOpenResult r = open_link("UDP", "127.0.0.1", 6543, busy);
    ASSERT_EQ(r.status, LinkOpenStatus::Ok);
    EXPECT_GT(r.dataHandle, 0);
    EXPECT_NE(r.boundPort, busy);
    // The link owns the socket: the port is free once the last holder lets go.
    ASSERT_NE(r.link, nullptr);
    const int bound = r.boundPort;
    r = LinkOpenResult{};
    int again = 0;
    const int s = udp_open(bound, again);
    EXPECT_EQ(again, bound);
    close_link(s, true);
    ::close(plain);
}

// Device-list rows of USB virtual serial ports carry the baud rate -1: such a
// port is opened at the probe's nominal rate.
TEST(OpenLink, VirtualSerialPortWithoutARateOpensAtTheNominalRate) {
    PtyPort pty;
    for (const int baud : {-1, 0}) {
        const LinkOpenResult r = open_link("VPC", pty.slave, baud, 0);
        ASSERT_EQ(r.status, LinkOpenStatus::Ok) << baud;
        EXPECT_EQ(serial_baud(r.dataHandle), kVpcNominalBaud);
    }
    EXPECT_EQ(open_link("UART", pty.slave, -1, 0).status, LinkOpenStatus::SerialOpenFailed);
}

// Called off while the second connection of a TCP pair hangs, the attempt ends
// within moments and closes the command connection it had made.
TEST(OpenLink, CancelledTcpAttemptClosesWhatItOpened) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    int port = 0;
    int listener = -1;
    std::unique_ptr<testsupport::SilentTcpPort> silent;
    // P must listen and P + 1 must never answer.
    for (int tries = 0; tries < 20 && !silent; ++tries) {
        listener = testsupport::listenLoopbackTcp(port);
        silent = std::make_unique<testsupport::SilentTcpPort>(port + 1);
        if (!silent->ok()) {
            silent.reset();
            ::close(listener);
        }
    }
    ASSERT_TRUE(silent);
    std::atomic<bool> cancel{false};
    auto attempt =
        std::async(std::launch::async, [&] { return open_link("TCP", "127.0.0.1", port, 0, &cancel); });
    const int accepted = ::accept(listener, nullptr, nullptr);  // the command connection got through
    ASSERT_GT(accepted, 0);
    cancel = true;
    ASSERT_EQ(attempt.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    const LinkOpenResult r = attempt.get();
    EXPECT_EQ(r.status, LinkOpenStatus::Cancelled);
    EXPECT_EQ(r.link, nullptr);
    char c;
    EXPECT_EQ(::recv(accepted, &c, 1, 0), 0);  // end of stream: closed again
    ::close(accepted);
    ::close(listener);
}

// With standard input closed the system hands out descriptor 0 first; no
// opener may return it, since 0 means "not open" to every caller.
TEST(OpenLink, OpenersNeverReturnDescriptorZero) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    PtyPort pty;
    int port = 0;
    const int listener = testsupport::listenLoopbackTcp(port);
    const struct {
        const char* name;
        std::function<int()> open;
        bool socket;
    } openers[] = {
        {"udp_open",
         [] {
             int bound = 0;
             return udp_open(0, bound);
         },
         true},
        {"tcp_connect", [&] { return tcp_connect("127.0.0.1", port); }, true},
        {"open_serial", [&] { return open_serial(pty.slave, 115200); }, false},
    };
    const int saved = ::dup(0);
    for (const auto& o : openers) {
        ::close(0);
        const int fd = o.open();
        EXPECT_GT(fd, 0) << o.name;
        EXPECT_EQ(::fcntl(0, F_GETFD), -1) << o.name << " left descriptor 0 in use";
        close_link(fd, o.socket);
    }
    ::close(0);
    const LinkOpenResult r = open_link("UDP", "127.0.0.1", 6543, 0);
    EXPECT_EQ(r.status, LinkOpenStatus::Ok);
    EXPECT_GT(r.dataHandle, 0);
    ::dup2(saved, 0);
    ::close(saved);
    ::close(listener);
}

TEST(OpenLink, UnknownTypeOpensNothing) {
    const LinkOpenResult r = open_link("CAN", "127.0.0.1", 1, 1);
    EXPECT_EQ(r.status, LinkOpenStatus::UnknownType);
    EXPECT_EQ(r.dataHandle, 0);
}
