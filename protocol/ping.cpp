// One ICMP echo round trip. An unprivileged ICMP datagram socket is used where
// the system allows it (net.ipv4.ping_group_range covers our group); otherwise
// a raw socket, which needs CAP_NET_RAW.

#include <arpa/inet.h>
#include <errno.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "transport.h"

namespace {

constexpr uint8_t kEchoReply = 0;
constexpr uint8_t kEchoRequest = 8;
constexpr uint8_t kTimeExceeded = 11;
constexpr int kIcmpHeader = 8;
constexpr int kPayloadBytes = 32;
constexpr uint8_t kPayloadByte = 0x45;
constexpr int kTimeToLive = 64;
constexpr uint16_t kSequence = 0;

bool resolve(const std::string& host, in_addr& out) {
    if (inet_pton(AF_INET, host.c_str(), &out) == 1) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
    out = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

uint16_t internetChecksum(const uint8_t* data, size_t len) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < len; i += 2) sum += static_cast<uint32_t>(data[i] << 8 | data[i + 1]);
    if (len & 1) sum += static_cast<uint32_t>(data[len - 1] << 8);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

uint16_t readBe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

// Length of the IPv4 header at p, or 0 when it does not fit in len bytes.
int ipHeaderLength(const uint8_t* p, int len) {
    if (len < 20 || (p[0] >> 4) != 4) return 0;
    const int ihl = (p[0] & 0x0F) * 4;
    return (ihl >= 20 && ihl <= len) ? ihl : 0;
}

// Does the ICMP message icmp[0..len) answer our request (identifier id)?
bool answersRequest(const uint8_t* icmp, int len, uint16_t id) {
    if (len < kIcmpHeader) return false;
    if (icmp[0] == kEchoReply) return readBe16(icmp + 4) == id && readBe16(icmp + 6) == kSequence;
    if (icmp[0] == kTimeExceeded) {
        // Quoted: the original IP header and the first 8 bytes of our request.
        const uint8_t* quoted = icmp + kIcmpHeader;
        const int quotedLen = len - kIcmpHeader;
        const int ihl = ipHeaderLength(quoted, quotedLen);
        if (ihl == 0 || quotedLen < ihl + kIcmpHeader) return false;
        const uint8_t* request = quoted + ihl;
        return request[0] == kEchoRequest && readBe16(request + 4) == id &&
               readBe16(request + 6) == kSequence;
    }
    return false;
}

int openIcmpSocket(IcmpAccess access) {
    const int type = access == IcmpAccess::Datagram ? SOCK_DGRAM : SOCK_RAW;
    return ::socket(AF_INET, type | SOCK_CLOEXEC, IPPROTO_ICMP);
}

// 1 answered, 0 no answer, -1 socket kind unavailable. `access` is not Any.
int echoThrough(const in_addr& target, int timeoutMs, IcmpAccess access) {
    const int sock = openIcmpSocket(access);
    if (sock < 0) return -1;

    const int ttl = kTimeToLive;
    (void)setsockopt(sock, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl);
    timeval sendTimeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    (void)setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);

    uint16_t id = static_cast<uint16_t>(getpid() & 0xFFFF);
    uint8_t request[kIcmpHeader + kPayloadBytes] = {};
    request[0] = kEchoRequest;
    request[4] = static_cast<uint8_t>(id >> 8);
    request[5] = static_cast<uint8_t>(id);
    request[6] = static_cast<uint8_t>(kSequence >> 8);
    request[7] = static_cast<uint8_t>(kSequence);
    std::memset(request + kIcmpHeader, kPayloadByte, kPayloadBytes);
    const uint16_t sum = internetChecksum(request, sizeof request);
    request[2] = static_cast<uint8_t>(sum >> 8);
    request[3] = static_cast<uint8_t>(sum);

    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr = target;
    if (::sendto(sock, request, sizeof request, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to),
                 sizeof to) != static_cast<ssize_t>(sizeof request)) {
        ::close(sock);
        return 0;
    }
    if (access == IcmpAccess::Datagram) {
        // The kernel replaces the identifier of a datagram ICMP socket with the
        // socket's own "port"; replies carry that one.
        sockaddr_in self{};
        socklen_t selfLen = sizeof self;
        if (getsockname(sock, reinterpret_cast<sockaddr*>(&self), &selfLen) == 0) id = ntohs(self.sin_port);
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t packet[1500];
    int result = 0;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                .count();
        if (left <= 0) break;
        pollfd pfd{sock, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        // A longer packet is truncated to the buffer; the headers we need come first.
        const ssize_t got = ::recvfrom(sock, packet, sizeof packet, MSG_DONTWAIT,
                                       reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            break;
        }
        if (from.sin_addr.s_addr != target.s_addr) continue;
        const uint8_t* icmp = packet;
        int icmpLen = static_cast<int>(got);
        if (access == IcmpAccess::Raw) {
            // Raw sockets deliver the IP header too, and every ICMP message the
            // host receives (our own request as well, when pinging ourselves).
            const int ihl = ipHeaderLength(packet, icmpLen);
            if (ihl == 0) continue;
            icmp += ihl;
            icmpLen -= ihl;
        }
        if (answersRequest(icmp, icmpLen, id)) {
            result = 1;
            break;
        }
    }
    ::close(sock);
    return result;
}

}  // namespace

int icmp_echo(const std::string& host, int timeoutMs, IcmpAccess access) {
    in_addr target{};
    if (!resolve(host, target)) return 0;
    if (timeoutMs < 1) timeoutMs = 1;
    if (access != IcmpAccess::Any) return echoThrough(target, timeoutMs, access);
    const int viaDatagram = echoThrough(target, timeoutMs, IcmpAccess::Datagram);
    if (viaDatagram >= 0) return viaDatagram;
    return echoThrough(target, timeoutMs, IcmpAccess::Raw);
}

bool host_answers_ping(const std::string& host, int timeoutMs) {
    return icmp_echo(host, timeoutMs, IcmpAccess::Any) == 1;
}
