// UDP links on loopback: port fall-back, datagram exchange, waking a reader.

#include <arpa/inet.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "netguard.h"
#include "transport.h"

namespace {

// A UDP socket bound to 0.0.0.0:port WITHOUT address reuse, so nobody else
// can bind that port. port 0 lets the kernel pick. -1 when the port is taken.
int holdPort(int port) {
    const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s < 0) return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = htons(static_cast<uint16_t>(port));
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

int boundPort(int s) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    if (getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0) return -1;
    return ntohs(a.sin_port);
}

bool portFree(int port) {
    const int s = holdPort(port);
    if (s < 0) return false;
    ::close(s);
    return true;
}

int openDescriptorCount() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir)) ++count;
        closedir(dir);
    }
    return count;
}

// Holds `count` consecutive ports starting somewhere in [from, to); empty when
// no such run is free.
std::vector<int> holdConsecutivePorts(int count, int from, int to, int& base) {
    for (base = from; base + count <= to; base += count) {
        std::vector<int> held;
        for (int p = base; p < base + count; ++p) {
            const int s = holdPort(p);
            if (s < 0) break;
            held.push_back(s);
        }
        if (static_cast<int>(held.size()) == count) return held;
        for (int s : held) ::close(s);
    }
    return {};
}

}  // namespace

// ---------------------------------------------------------------- port fall-back

TEST(UdpPortFallback, FreePortIsBoundAsRequested) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    const int probe = holdPort(0);
    ASSERT_GE(probe, 0);
    const int port = boundPort(probe);
    ::close(probe);

    int actual = -1;
    const int s = udp_open(port, actual);
    ASSERT_GT(s, 0);
    EXPECT_EQ(actual, port);
    EXPECT_EQ(boundPort(s), port);
    close_link(s, true);
}

TEST(UdpPortFallback, HeldPortMovesToTheNextFreeOne) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    const int holder = holdPort(0);
    ASSERT_GE(holder, 0);
    const int port = boundPort(holder);
    ASSERT_LT(port, 65535);
    ASSERT_TRUE(portFree(port + 1));

    int actual = -1;
    const int s = udp_open(port, actual);
    ASSERT_GT(s, 0);
    EXPECT_EQ(actual, port + 1);
    EXPECT_EQ(boundPort(s), port + 1);

    // The socket really listens there: a datagram to the reported port arrives.
    const char ping[] = "LMSG";
    EXPECT_EQ(udp_send_to(holder, "127.0.0.1", actual, ping, 4), 4);
    char buf[16] = {};
    EXPECT_EQ(udp_recv(s, buf, sizeof buf, 2000), 4);
    EXPECT_EQ(std::string(buf, 4), "LMSG");
    close_link(s, true);
    ::close(holder);
}

TEST(UdpPortFallback, HundredAndOneHeldPortsGiveMinusTwoWithoutLeak) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    int base = 0;
    std::vector<int> held = holdConsecutivePorts(101, 41000, 60000, base);
    ASSERT_EQ(held.size(), 101u);
    ASSERT_TRUE(portFree(base + 101));

    const int before = openDescriptorCount();
    int actual = -1;
    EXPECT_EQ(udp_open(base, actual), -2);
    EXPECT_EQ(openDescriptorCount(), before);

    // The last port of the window (base + 100) is still tried.
    ::close(held.back());
    held.pop_back();
    const int s = udp_open(base, actual);
    ASSERT_GT(s, 0);
    EXPECT_EQ(actual, base + 100);
    close_link(s, true);
    for (int h : held) ::close(h);
}

// ---------------------------------------------------------------- datagrams

TEST(UdpLink, DatagramsTravelBothWaysWithSenderAddress) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    int hostPort = -1, devicePort = -1;
    const int host = udp_open(0, hostPort);
    const int device = udp_open(0, devicePort);
    ASSERT_GT(host, 0);
    ASSERT_GT(device, 0);

    const uint8_t command[] = {'L', 'H', 0x43, 0x00, 0x01, 0x00, 0x08, 0x00};
    ASSERT_EQ(udp_send_to(host, "127.0.0.1", devicePort, command, sizeof command), 8);
    uint8_t buf[64] = {};
    std::string fromIp;
    int fromPort = -1;
    ASSERT_EQ(udp_recv(device, buf, sizeof buf, 2000, &fromIp, &fromPort), 8);
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + 8), std::vector<uint8_t>(command, command + 8));
    EXPECT_EQ(fromIp, "127.0.0.1");
    EXPECT_EQ(fromPort, hostPort);

    // The device answers to where the command came from.
    const uint8_t reply[] = {0x01, 0x02, 0x03};
    ASSERT_EQ(udp_send_to(device, fromIp, fromPort, reply, sizeof reply), 3);
    EXPECT_EQ(udp_recv(host, buf, sizeof buf, 2000), 3);
    EXPECT_EQ(buf[2], 0x03);
    close_link(host, true);
    close_link(device, true);
}

TEST(UdpLink, LongDatagramIsCutToTheBufferWithoutOverrun) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    int portA = -1, portB = -1;
    const int a = udp_open(0, portA);
    const int b = udp_open(0, portB);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    std::vector<uint8_t> big(1200, 0x5A);
    ASSERT_EQ(udp_send_to(a, "127.0.0.1", portB, big.data(), static_cast<int>(big.size())), 1200);
    uint8_t buf[24];
    std::fill(buf, buf + sizeof buf, 0);
    EXPECT_EQ(udp_recv(b, buf, 16, 2000), 16);
    EXPECT_EQ(buf[15], 0x5A);
    EXPECT_EQ(buf[16], 0);
    close_link(a, true);
    close_link(b, true);
}

TEST(UdpLink, QuietSocketTimesOutWithZero) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    int port = -1;
    const int s = udp_open(0, port);
    ASSERT_GT(s, 0);
    uint8_t buf[8];
    EXPECT_EQ(udp_recv(s, buf, sizeof buf, 50), 0);
    EXPECT_EQ(wait_readable(s, 0), 0);
    close_link(s, true);
}

TEST(UdpLink, BadDestinationOrHandleIsRefused) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    int port = -1;
    const int s = udp_open(0, port);
    ASSERT_GT(s, 0);
    EXPECT_EQ(udp_send_to(s, "300.1.2.3", 5000, "x", 1), -1);
    EXPECT_EQ(udp_send_to(s, "scanner", 5000, "x", 1), -1);
    EXPECT_EQ(udp_send_to(s, "127.0.0.1", 70000, "x", 1), -1);
    EXPECT_EQ(udp_send_to(0, "127.0.0.1", 5000, "x", 1), -1);
    uint8_t buf[4];
    EXPECT_EQ(udp_recv(0, buf, sizeof buf, 10), -1);
    EXPECT_EQ(wait_readable(-1, 10), -1);
    close_link(s, true);
}

TEST(UdpLink, ClosingWakesABlockedReader) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    int port = -1;
    const int s = udp_open(0, port);
    ASSERT_GT(s, 0);
    // The receiver thread waits in udp_recv while the main window closes the
    // link on reconnect; the close must not leave it waiting for datagrams.
    auto reader = std::async(std::launch::async, [s] {
        uint8_t buf[64];
        return udp_recv(s, buf, sizeof buf, 20000);
    });
    ASSERT_EQ(reader.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    close_link(s, true);
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_LE(reader.get(), 0);
}
