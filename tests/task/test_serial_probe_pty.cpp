// The serial probe on the system's ports: a pseudo-terminal plays a scanner
// UART that answers the identity request.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "netguard.h"
#include "serial_probe.h"

namespace {

// Sets an environment variable for the scope of a test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old, m_had = true;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_had)
            ::setenv(m_name, m_old.c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

}  // namespace

TEST(SystemSerialProbe, MissingPortIsNotReported) {
    ScopedEnv ports("VANTREL_SERIAL_PORTS", "/dev/vantrel-no-such-port");
    auto io = makeSystemSerialProbeIo();
    EXPECT_TRUE(probeSerialPorts(*io).empty());
}

TEST(SystemSerialProbe, ScannerOnPseudoTerminalIsFound) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string slave = ::ptsname(master);

    // The scanner answers every identity request at once, whatever the rate.
    std::atomic<bool> stop{false};
    std::thread scanner([&] {
        std::string seen;
        char buf[256];
        while (!stop) {
            pollfd pfd{master, POLLIN, 0};
            if (::poll(&pfd, 1, 20) <= 0) continue;
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0) continue;
            seen.append(buf, static_cast<size_t>(n));
            if (seen.find("LUUIDH") != std::string::npos) {
                seen.clear();
                const char reply[] = "PRODUCT SN:PTY0001\r\n";
                (void)!::write(master, reply, sizeof reply - 1);
            }
        }
    });

    ScopedEnv ports("VANTREL_SERIAL_PORTS", slave);
    auto io = makeSystemSerialProbeIo();
    const auto hits = probeSerialPorts(*io);
    stop = true;
    scanner.join();
    ::close(master);

    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].port, slave);
    // A pseudo-terminal has no real line rate: any rate of the list (or the
    // framed request) may be the first to get the answer in time.
    const bool listed = std::find(std::begin(kProbeBaudRates), std::end(kProbeBaudRates), hits[0].baud) !=
                        std::end(kProbeBaudRates);
    EXPECT_TRUE(listed || hits[0].baud == -1) << hits[0].baud;
}
