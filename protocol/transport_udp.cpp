// UDP links and the operations every link handle shares (wait, close).

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "link_descriptor.h"
#include "transport.h"

namespace {

// udp_open tries the requested port and at most this many above it.
constexpr int kUdpPortFallback = 100;

bool toSockaddr(const std::string& ip, int port, sockaddr_in& addr) {
    if (port < 0 || port > 65535) return false;
    addr = sockaddr_in{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    return inet_pton(AF_INET, ip.c_str(), &addr.sin_addr) == 1;
}

}  // namespace

// ---------------------------------------------------------------- any handle

int wait_readable(int handle, int timeoutMs) {
    if (handle <= 0) return -1;
    // poll, not select: an fd_set overflows for descriptors >= FD_SETSIZE.
    pollfd pfd{handle, POLLIN, 0};
    for (;;) {
        const int r = ::poll(&pfd, 1, timeoutMs < 0 ? 0 : timeoutMs);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return -1;
        if (r == 0) return 0;
        if (pfd.revents & POLLNVAL) return -1;
        // POLLHUP/POLLERR count as readable: the following read reports them.
        return 1;
    }
}

int close_link(int handle, bool isSocket) {
    if (handle <= 0) return 0;
    // Closing alone does not wake a thread blocked in recv() on the same
    // socket; shutdown does, even on an unconnected UDP socket.
    if (isSocket) (void)::shutdown(handle, SHUT_RDWR);
    ::close(handle);
    return 0;
}

// ---------------------------------------------------------------- UDP

int udp_open(int port, int& actualPort) {
    actualPort = port;
    if (port < 0 || port > 65535) return -1;
    const int sock = link_descriptor(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (sock < 0) return -1;
    const int on = 1;
    if (::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) {
        ::close(sock);
        return -1;
    }

    for (int candidate = port;; ++candidate) {
        if (candidate - port > kUdpPortFallback) {
            ::close(sock);
            return -2;
        }
        if (candidate > 65535) break;
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_ANY);
        addr.sin_port = htons(static_cast<uint16_t>(candidate));
        if (::bind(sock, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
            sockaddr_in bound{};
            socklen_t len = sizeof bound;
            if (::getsockname(sock, reinterpret_cast<sockaddr*>(&bound), &len) != 0) {
                ::close(sock);
                return -1;
            }
            actualPort = ntohs(bound.sin_port);
            return sock;
        }
        if (errno != EADDRINUSE) break;
        actualPort = candidate + 1;
    }
    // Another bind error, or the fall-back ran off the end of the port range.
    ::close(sock);
    return -1;
}

int udp_send_to(int sock, const std::string& ip, int port, const void* data, int n) {
    sockaddr_in addr{};
    if (sock <= 0 || n < 0 || (data == nullptr && n > 0) || !toSockaddr(ip, port, addr)) return -1;
    for (;;) {
        const ssize_t sent = ::sendto(sock, data, static_cast<size_t>(n), MSG_NOSIGNAL,
                                      reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
        if (sent >= 0) return static_cast<int>(sent);
        if (errno != EINTR) return -1;
    }
}

int udp_recv(int sock, void* buffer, int max, int timeoutMs, std::string* fromIp, int* fromPort) {
    if (sock <= 0 || buffer == nullptr || max < 0) return -1;
    const int ready = wait_readable(sock, timeoutMs);
    if (ready <= 0) return ready;
    sockaddr_in from{};
    socklen_t fromLen = sizeof from;
    ssize_t got;
    do {
        // MSG_DONTWAIT: another reader may have taken the datagram since poll.
        got = ::recvfrom(sock, buffer, static_cast<size_t>(max), MSG_DONTWAIT,
                         reinterpret_cast<sockaddr*>(&from), &fromLen);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    if (fromIp) {
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
        *fromIp = text;
    }
    if (fromPort) *fromPort = ntohs(from.sin_port);
    return static_cast<int>(got);
}
