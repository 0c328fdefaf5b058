// The serial probe on the system's ports: a pseudo-terminal plays a scanner
// UART that answers the identity request.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
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

// A pseudo-terminal playing a scanner: whenever `trigger` has come in, it
// waits `latency` (the device's own processing time, not a wait for the
// probe) and answers with its identity.
class PtyScanner {
public:
    PtyScanner(std::string trigger, std::chrono::milliseconds latency) {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) return;
        m_path = ::ptsname(m_master);
        m_thread = std::thread([this, trigger = std::move(trigger), latency] { run(trigger, latency); });
    }
    ~PtyScanner() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        if (m_master >= 0) ::close(m_master);
    }
    // The terminal's path; empty when none could be made.
    const std::string& path() const { return m_path; }

private:
    void run(const std::string& trigger, std::chrono::milliseconds latency) {
        std::string seen;
        char buf[256];
        while (!m_stop) {
            pollfd pfd{m_master, POLLIN, 0};
            if (::poll(&pfd, 1, 20) <= 0) continue;
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n <= 0) continue;
            seen.append(buf, static_cast<size_t>(n));
            if (seen.find(trigger) != std::string::npos) {
                seen.clear();
                if (latency.count() > 0) std::this_thread::sleep_for(latency);
                const char reply[] = "PRODUCT SN:PTY0001\r\n";
                (void)!::write(m_master, reply, sizeof reply - 1);
            }
        }
    }

    int m_master = -1;
    std::string m_path;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Probes the system's ports with only `port` listed.
std::vector<SerialProbeHit> probeOnly(const std::string& port) {
    ScopedEnv ports("VANTREL_SERIAL_PORTS", port);
    auto io = makeSystemSerialProbeIo();
    return probeSerialPorts(*io);
}

}  // namespace

TEST(SystemSerialProbe, MissingPortIsNotReported) {
    ScopedEnv ports("VANTREL_SERIAL_PORTS", "/dev/vantrel-no-such-port");
    auto io = makeSystemSerialProbeIo();
    EXPECT_TRUE(probeSerialPorts(*io).empty());
}

TEST(SystemSerialProbe, ScannerOnPseudoTerminalIsFound) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    // The scanner answers every identity request at once, whatever the rate.
    PtyScanner scanner("LUUIDH", std::chrono::milliseconds(0));
    ASSERT_FALSE(scanner.path().empty());
    const auto hits = probeOnly(scanner.path());

    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].port, scanner.path());
    // A pseudo-terminal has no real line rate: any rate of the list (or the
    // framed request) may be the first to get the answer in time.
    const bool listed = std::find(std::begin(kProbeBaudRates), std::end(kProbeBaudRates), hits[0].baud) !=
                        std::end(kProbeBaudRates);
    EXPECT_TRUE(listed || hits[0].baud == -1) << hits[0].baud;
}

// A USB virtual serial port answers only the framed request, and only after
// its firmware and the USB stack have passed it on: tens of milliseconds of
// silence first must not make the probe leave the port.
TEST(SystemSerialProbe, VirtualPortAnsweringLateIsFound) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    PtyScanner scanner(std::string("LH\x43", 3), std::chrono::milliseconds(30));  // C_PACK frames only
    ASSERT_FALSE(scanner.path().empty());
    const auto hits = probeOnly(scanner.path());

    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].port, scanner.path());
    EXPECT_EQ(hits[0].baud, -1);
}
