#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "link_open.h"
#include "netguard.h"
#include "transport.h"

TEST(OpenLink, TcpPairWithTheDataPortRefusedLeavesNothingOpen) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    int port = 0;
    const int listener = testsupport::listenLoopbackTcp(port);  // P listens; P + 1 is (almost surely) closed
    const LinkOpenResult r = open_link("TCP", "127.0.0.1", port, 0);
    EXPECT_EQ(r.status, LinkOpenStatus::TcpConnectFailed);
    EXPECT_EQ(r.cmdHandle, 0);
    EXPECT_EQ(r.dataHandle, 0);
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
    const LinkOpenResult r = open_link("UDP", "127.0.0.1", 6543, busy);
    ASSERT_EQ(r.status, LinkOpenStatus::Ok);
    EXPECT_GT(r.dataHandle, 0);
    EXPECT_NE(r.boundPort, busy);
    close_link(r.dataHandle, true);
    ::close(plain);
}

TEST(OpenLink, UnknownTypeOpensNothing) {
    const LinkOpenResult r = open_link("CAN", "127.0.0.1", 1, 1);
    EXPECT_EQ(r.status, LinkOpenStatus::UnknownType);
    EXPECT_EQ(r.dataHandle, 0);
}
