// TCP links: the command connection (port P) and the data connection (P + 1).

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "link_descriptor.h"
#include "transport.h"

namespace {

// How often a cancellable connect looks at its cancel flag.
constexpr long long kCancelSliceMs = 20;

}  // namespace

int tcp_connect(const std::string& ip, int port, int timeoutMs, const std::atomic<bool>* cancel) {
    if (port < 0 || port > 65535) return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, ip.c_str(), &addr.sin_addr) != 1) return -1;

    // A plain blocking connect to a host that drops SYNs waits for the kernel's
    // retries (minutes). Connect non-blocking and wait a bounded time instead.
    const int sock = link_descriptor(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (sock < 0) return -1;
    if (::connect(sock, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        if (errno != EINPROGRESS && errno != EINTR) {
            ::close(sock);
            return -1;
        }
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
        for (;;) {
            if (cancel && cancel->load()) {
                ::close(sock);
                return -1;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            // In slices when someone may call the attempt off meanwhile.
            const long long slice = cancel ? std::min<long long>(left, kCancelSliceMs) : left;
            pollfd pfd{sock, POLLOUT, 0};
            const int r = ::poll(&pfd, 1, slice > 0 ? static_cast<int>(slice) : 0);
            if (r < 0 && errno == EINTR) continue;
            if (r == 0 && slice < left) continue;
            if (r <= 0) {
                ::close(sock);
                return -1;
            }
            break;
        }
        int err = 0;
        socklen_t len = sizeof err;
        if (::getsockopt(sock, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) {
            ::close(sock);
            return -1;
        }
    }

    // Callers read and write with blocking calls from here on.
    const int flags = fcntl(sock, F_GETFL);
    if (flags < 0 || fcntl(sock, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(sock);
        return -1;
    }
    return sock;
}

int tcp_send(int sock, const void* data, int n) {
    if (sock <= 0 || n < 0 || (data == nullptr && n > 0)) return -1;
    const auto* bytes = static_cast<const unsigned char*>(data);
    int done = 0;
    while (done < n) {
        // MSG_NOSIGNAL: a scanner that dropped the connection must not kill the
        // program with SIGPIPE.
        const ssize_t put = ::send(sock, bytes + done, static_cast<size_t>(n - done), MSG_NOSIGNAL);
        if (put < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        done += static_cast<int>(put);
    }
    return done;
}

int tcp_recv(int sock, void* buffer, int max, int timeoutMs) {
    if (sock <= 0 || buffer == nullptr || max <= 0) return -1;
    const int ready = wait_readable(sock, timeoutMs);
    if (ready <= 0) return ready;
    for (;;) {
        const ssize_t got = ::recv(sock, buffer, static_cast<size_t>(max), MSG_DONTWAIT);
        if (got > 0) return static_cast<int>(got);
        if (got == 0) return -2;
        if (errno == EINTR) continue;
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    }
}
