#pragma once
// Socket tests talk to loopback only. They run inside the private network
// namespace of scripts/test; on a machine whose real network is reachable
// they skip themselves instead of sending anything off it.

#include <gtest/gtest.h>

#include <string>

namespace testsupport {

// Names of the interfaces that are up and are not loopback; empty inside the namespace.
std::string nonLoopbackInterfacesUp();

// A TCP socket listening on 127.0.0.1 at a port the kernel picks (stored in
// `port`); the caller closes it.
int listenLoopbackTcp(int& port);

// A TCP port on 127.0.0.1 where a connect never completes, as on a host that
// does not answer: its listener's accept queue is kept full, so the kernel
// drops new SYNs and a connect waits for its time-out. `port` 0 lets the
// kernel pick one. Everything is closed on destruction.
class SilentTcpPort {
public:
    explicit SilentTcpPort(int port = 0);
    ~SilentTcpPort();
    SilentTcpPort(const SilentTcpPort&) = delete;
    SilentTcpPort& operator=(const SilentTcpPort&) = delete;
    int port() const { return m_port; }
    bool ok() const { return m_filler >= 0; }

private:
    int m_listener = -1;
    int m_filler = -1;
    int m_port = 0;
};

}  // namespace testsupport

// Put at the top of every test that opens a socket.
#define VANTREL_REQUIRE_PRIVATE_NETWORK()                                              \
    do {                                                                               \
        const std::string up_ = testsupport::nonLoopbackInterfacesUp();                \
        if (!up_.empty())                                                              \
            GTEST_SKIP() << "SKIPPED: network interfaces up besides loopback (" << up_ \
                         << "); run this test through scripts/test or scripts/netns";  \
    } while (0)
