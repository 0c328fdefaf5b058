// Reachability (ICMP echo) and MAC look-up. Cases that need ICMP sysctls
// changed run in a network namespace of their own, created for the case.

#include <errno.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <regex>
#include <string>
#include <thread>

#include "netguard.h"
#include "transport.h"

namespace {

// Runs `body` on a thread of its own that has entered a fresh network
// namespace with only loopback up, so the ICMP sysctls it changes touch no
// other test. False when the system does not allow it.
template <typename Body>
bool inFreshNamespace(Body body) {
    bool entered = false;
    std::thread worker([&] {
        // Namespaces belong to threads; this one leaves the process untouched.
        if (unshare(CLONE_NEWNET) != 0) return;
        const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (s < 0) return;
        ifreq ifr{};
        std::strncpy(ifr.ifr_name, "lo", IFNAMSIZ - 1);
        const bool up =
            ioctl(s, SIOCGIFFLAGS, &ifr) == 0 && (ifr.ifr_flags |= IFF_UP, ioctl(s, SIOCSIFFLAGS, &ifr) == 0);
        ::close(s);
        if (!up) return;
        entered = true;
        body();
    });
    worker.join();
    return entered;
}

// Writes a sysctl of the calling thread's network namespace.
bool setSysctl(const std::string& path, const std::string& value) {
    std::ofstream out(path);
    out << value << '\n';
    out.close();
    return out.good();
}

const std::regex kArpErrorText("SendARP Error:[0-9]+");

std::string arpTable(const std::string& rows) {
    return "IP address       HW type     Flags       HWaddress            Mask     Device\n" + rows;
}

}  // namespace

// ---------------------------------------------------------------- ping

TEST(Ping, LoopbackAnswers) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    EXPECT_TRUE(host_answers_ping("127.0.0.1", 1000));
    EXPECT_TRUE(host_answers_ping("127.0.0.5", 1000));
}

TEST(Ping, HostNameIsResolved) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    EXPECT_TRUE(host_answers_ping("localhost", 1000));
}

TEST(Ping, UnknownNameIsFalse) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    EXPECT_FALSE(host_answers_ping("no-such-scanner.invalid", 100));
    EXPECT_FALSE(host_answers_ping("", 100));
}

TEST(Ping, RawSocketMatchesTheReplyNotItsOwnRequest) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    const int viaRaw = icmp_echo("127.0.0.1", 1000, IcmpAccess::Raw);
    if (viaRaw < 0) GTEST_SKIP() << "raw ICMP sockets need CAP_NET_RAW (CI runs these as root)";
    EXPECT_EQ(viaRaw, 1);
}

TEST(Ping, DatagramSocketMatchesTheKernelAssignedIdentifier) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    bool allowed = false;
    int viaDatagram = -9;
    bool answered = false;
    const bool entered = inFreshNamespace([&] {
        allowed = setSysctl("/proc/sys/net/ipv4/ping_group_range", "0 2147483647");
        // The kernel replaces our identifier (the process id) with the
        // socket's own; matching on the process id would miss every reply.
        viaDatagram = icmp_echo("127.0.0.1", 1000, IcmpAccess::Datagram);
        answered = host_answers_ping("127.0.0.1", 1000);
    });
    if (!entered) GTEST_SKIP() << "cannot create a network namespace here (CI runs these as root)";
    ASSERT_TRUE(allowed);
    EXPECT_EQ(viaDatagram, 1);
    EXPECT_TRUE(answered);
}

TEST(Ping, DatagramSocketUnavailableFallsBackToRaw) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    bool denied = false;
    int viaDatagram = -9;
    int viaRaw = -9;
    bool answered = false;
    const bool entered = inFreshNamespace([&] {
        denied = setSysctl("/proc/sys/net/ipv4/ping_group_range", "1 0");
        viaDatagram = icmp_echo("127.0.0.1", 200, IcmpAccess::Datagram);
        viaRaw = icmp_echo("127.0.0.1", 1000, IcmpAccess::Raw);
        answered = host_answers_ping("127.0.0.1", 1000);
    });
    if (!entered) GTEST_SKIP() << "cannot create a network namespace here (CI runs these as root)";
    ASSERT_TRUE(denied);
    EXPECT_EQ(viaDatagram, -1);
    EXPECT_EQ(viaRaw, 1);
    EXPECT_TRUE(answered);
}

TEST(Ping, HostThatDoesNotAnswerGivesFalseAfterTheTimeOut) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    bool silenced = false;
    int results[2] = {-9, -9};
    std::chrono::steady_clock::duration took[2] = {};
    bool answered = true;
    const bool entered = inFreshNamespace([&] {
        silenced = setSysctl("/proc/sys/net/ipv4/icmp_echo_ignore_all", "1") &&
                   setSysctl("/proc/sys/net/ipv4/ping_group_range", "0 2147483647");
        // On the raw socket our own request to ourselves arrives too; it must
        // not be taken for the answer.
        const IcmpAccess kinds[2] = {IcmpAccess::Raw, IcmpAccess::Datagram};
        for (int i = 0; i < 2; ++i) {
            const auto start = std::chrono::steady_clock::now();
            results[i] = icmp_echo("127.0.0.1", 150, kinds[i]);
            took[i] = std::chrono::steady_clock::now() - start;
        }
        answered = host_answers_ping("127.0.0.1", 100);
    });
    if (!entered) GTEST_SKIP() << "cannot create a network namespace here (CI runs these as root)";
    ASSERT_TRUE(silenced);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(results[i], 0) << i;
        // It did wait for an answer, and it stopped waiting.
        EXPECT_GE(took[i], std::chrono::milliseconds(140)) << i;
        EXPECT_LT(took[i], std::chrono::seconds(3)) << i;
    }
    EXPECT_FALSE(answered);
}

TEST(Ping, UnroutableAddressIsFalseWithinTheTimeOut) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(host_answers_ping("10.255.255.1", 100));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

// ---------------------------------------------------------------- MAC look-up

TEST(MacLookup, LoopbackHasNoHardwareAddress) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    std::string text;
    EXPECT_FALSE(mac_of("127.0.0.1", text));
    EXPECT_TRUE(std::regex_match(text, kArpErrorText)) << text;
}

TEST(MacLookup, AddressOutsideEveryNetworkFails) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    std::string text;
    EXPECT_FALSE(mac_of("10.255.255.1", text));
    EXPECT_TRUE(std::regex_match(text, kArpErrorText)) << text;
}

TEST(MacLookup, MalformedAddressFails) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    std::string text;
    EXPECT_FALSE(mac_of("192.168.1.300", text));
    EXPECT_EQ(text, "SendARP Error:" + std::to_string(EINVAL));
}

TEST(MacTable, CompleteEntryIsLowerCaseHyphenated) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    const std::string table = arpTable(
        "192.168.1.1      0x1         0x2         10:20:30:40:50:60     *        eth0\n"
        "192.168.1.20     0x1         0x2         00:1A:2b:C3:d4:EF     *        eth0\n");
    std::string text;
    ASSERT_TRUE(mac_from_arp_table(table, "192.168.1.20", text));
    EXPECT_EQ(text, "00-1a-2b-c3-d4-ef");
    ASSERT_TRUE(mac_from_arp_table(table, "192.168.1.1", text));
    EXPECT_EQ(text, "10-20-30-40-50-60");
}

TEST(MacTable, AddressMustMatchWholly) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    const std::string table =
        arpTable("192.168.1.20     0x1         0x2         aa:bb:cc:dd:ee:ff     *        eth0\n");
    std::string text;
    EXPECT_FALSE(mac_from_arp_table(table, "192.168.1.2", text));
    EXPECT_EQ(text, "SendARP Error:" + std::to_string(ENXIO));
    EXPECT_FALSE(mac_from_arp_table(table, "92.168.1.20", text));
}

TEST(MacTable, IncompleteOrZeroEntriesDoNotCount) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    const std::string table = arpTable(
        "10.0.0.7         0x1         0x0         00:00:00:00:00:00     *        eth0\n"
        "10.0.0.8         0x1         0x2         00:00:00:00:00:00     *        eth0\n"
        "10.0.0.9         0x1         0x0         02:00:00:00:00:09     *        eth0\n");
    std::string text;
    EXPECT_FALSE(mac_from_arp_table(table, "10.0.0.7", text));
    EXPECT_TRUE(std::regex_match(text, kArpErrorText)) << text;
    EXPECT_FALSE(mac_from_arp_table(table, "10.0.0.8", text));
    EXPECT_FALSE(mac_from_arp_table(table, "10.0.0.9", text));
}

TEST(MacTable, DamagedRowsAreSkippedSafely) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    const std::string table = arpTable(
        "10.0.0.5\n"
        "10.0.0.5 0x1\n"
        "10.0.0.5         0x1         zz          aa:bb:cc:dd:ee:ff     *        eth0\n"
        "10.0.0.5         0x1         0x2         aa:bb:cc:dd:ee        *        eth0\n"
        "10.0.0.5         0x1         0x2         aa:bb:cc:dd:ee:fff:00 *        eth0\n"
        "10.0.0.5         0x1         0x2         aa-bb-cc-dd-ee-ff     *        eth0\n"
        "10.0.0.5         0x1         0x2         gg:bb:cc:dd:ee:ff     *        eth0\n"
        "10.0.0.5         0x1         0x6         02:11:22:33:44:55     *        eth0\n");
    std::string text;
    ASSERT_TRUE(mac_from_arp_table(table, "10.0.0.5", text));
    EXPECT_EQ(text, "02-11-22-33-44-55");
    EXPECT_FALSE(mac_from_arp_table("", "10.0.0.5", text));
}
