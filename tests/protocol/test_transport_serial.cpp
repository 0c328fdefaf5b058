// Serial links driven through pseudo-terminal pairs: the test holds the master
// side and plays the scanner; the code under test opens the slave as a port.
// termios2 is read back here with its own ioctl, so <termios.h> stays out.

#include <asm/termbits.h>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "netguard.h"
#include "transport.h"

namespace {

// A pseudo-terminal pair; the master is non-blocking so the test never hangs.
class Pty {
public:
    Pty() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) return;
        const char* name = ptsname(m_master);
        if (name) m_slavePath = name;
    }
    ~Pty() { closeMaster(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return m_master >= 0 && !m_slavePath.empty(); }
    const std::string& slavePath() const { return m_slavePath; }
    int master() const { return m_master; }
    void closeMaster() {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }

    void send(const std::vector<uint8_t>& bytes) const {
        ASSERT_EQ(::write(m_master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Collects `count` bytes from the master side, waiting at most 2 s.
    std::vector<uint8_t> receive(size_t count) const {
        std::vector<uint8_t> got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd pfd{m_master, POLLIN, 0};
            if (::poll(&pfd, 1, 100) <= 0) continue;
            uint8_t chunk[512];
            const ssize_t n = ::read(m_master, chunk, sizeof chunk);
            if (n > 0) got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }

private:
    int m_master = -1;
    std::string m_slavePath;
};

// Line settings as the driver holds them, read independently of the code under test.
termios2 lineSettings(int fd) {
    termios2 tio{};
    EXPECT_EQ(ioctl(fd, TCGETS2, &tio), 0);
    return tio;
}

int openDescriptorCount() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir)) ++count;
        closedir(dir);
    }
    return count;
}

// Waits until the port has bytes, so a following non-blocking read sees them.
void awaitBytes(int handle) {
    ASSERT_EQ(wait_readable(handle, 2000), 1);
}

// Restores an environment variable when the test ends.
class EnvGuard {
public:
    explicit EnvGuard(const char* name) : m_name(name) {
        if (const char* value = getenv(name)) {
            m_had = true;
            m_value = value;
        }
    }
    ~EnvGuard() {
        if (m_had)
            setenv(m_name, m_value.c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had = false;
    std::string m_value;
};

}  // namespace

// ---------------------------------------------------------------- opening

TEST(SerialOpen, MissingPortGivesZero) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    EXPECT_EQ(open_serial("ttyVantrelNoSuchPort7", 115200), 0);
    EXPECT_EQ(open_serial("/dev/ttyVantrelNoSuchPort7", 115200), 0);
    EXPECT_EQ(open_serial("", 115200), 0);
}

TEST(SerialOpen, ShortNameAndAbsolutePathReachTheSameDevice) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    Pty pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(pty.slavePath().rfind("/dev/", 0), 0u);
    const std::string shortName = pty.slavePath().substr(5);  // "pts/N"

    const int byPath = open_serial(pty.slavePath(), 115200);
    const int byName = open_serial(shortName, 115200);
    ASSERT_GT(byPath, 0);
    ASSERT_GT(byName, 0);

    pty.send({'A', 'B'});
    awaitBytes(byName);
    uint8_t buf[8] = {};
    EXPECT_EQ(serial_read(byName, buf, sizeof buf), 2);
    EXPECT_EQ(buf[0], 'A');
    close_link(byPath, false);
    close_link(byName, false);
}

TEST(SerialOpen, DeviceWithoutLineSettingsIsRefusedAndClosed) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    const int before = openDescriptorCount();
    EXPECT_EQ(open_serial("/dev/null", 115200), -2);
    EXPECT_EQ(openDescriptorCount(), before);
}

TEST(SerialOpen, LineIsRawEightNoneOneWithoutFlowControl) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int h = open_serial(pty.slavePath(), 460800);
    ASSERT_GT(h, 0);
    const termios2 tio = lineSettings(h);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
    close_link(h, false);
}

TEST(SerialOpen, EveryByteValuePassesUnchangedBothWays) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int h = open_serial(pty.slavePath(), 921600);
    ASSERT_GT(h, 0);

    // CR, LF, XON/XOFF, ^C and NUL are ordinary data in the scanner's frames.
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);

    pty.send(all);
    std::vector<uint8_t> got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (got.size() < all.size() && std::chrono::steady_clock::now() < deadline) {
        if (wait_readable(h, 100) != 1) continue;
        uint8_t chunk[300];
        const int n = serial_read(h, chunk, sizeof chunk);
        ASSERT_GE(n, 0);
        got.insert(got.end(), chunk, chunk + n);
    }
    EXPECT_EQ(got, all);

    EXPECT_EQ(serial_write(h, all.data(), static_cast<int>(all.size())), 256);
    EXPECT_EQ(pty.receive(all.size()), all);
    close_link(h, false);
}

// ---------------------------------------------------------------- baud rates

TEST(SerialBaud, StandardAndNonStandardRatesAreSetExactly) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    Pty pty;
    ASSERT_TRUE(pty.ok());
    // The probe's rates, the USB probe's nominal rate and two classic ones.
    const int rates[] = {9600,   115200, 230400, 256000,  384000,  460800,
                         500000, 768000, 921600, 1000000, 1500000, 12345};
    for (int rate : rates) {
        const int h = open_serial(pty.slavePath(), rate);
        ASSERT_GT(h, 0) << rate;
        const termios2 tio = lineSettings(h);
        EXPECT_EQ(tio.c_ospeed, static_cast<speed_t>(rate));
        EXPECT_EQ(tio.c_ispeed, static_cast<speed_t>(rate));
        EXPECT_EQ(serial_baud(h), rate);
        close_link(h, false);
    }
}

TEST(SerialBaud, RateCanBeChangedOnAnOpenPort) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int h = open_serial(pty.slavePath(), 230400);
    ASSERT_GT(h, 0);
    EXPECT_EQ(set_serial_baud(h, 768000), 0);
    EXPECT_EQ(lineSettings(h).c_ospeed, 768000u);
    EXPECT_EQ(set_serial_baud(h, 1500000), 0);
    EXPECT_EQ(lineSettings(h).c_ospeed, 1500000u);
    close_link(h, false);
}

TEST(SerialBaud, RefusedWithoutPortOrWithImpossibleRate) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    EXPECT_EQ(set_serial_baud(0, 115200), -1);
    EXPECT_EQ(set_serial_baud(-3, 115200), -1);

    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int h = open_serial(pty.slavePath(), 115200);
    ASSERT_GT(h, 0);
    // Rate 0 would mean "hang up" to the driver.
    EXPECT_EQ(set_serial_baud(h, 0), -2);
    EXPECT_EQ(lineSettings(h).c_ospeed, 115200u);
    close_link(h, false);

    const int before = openDescriptorCount();
    EXPECT_EQ(open_serial(pty.slavePath(), -1), -2);
    EXPECT_EQ(openDescriptorCount(), before);
}

// ---------------------------------------------------------------- reading

TEST(SerialRead, NothingPendingReturnsZeroAtOnce) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int h = open_serial(pty.slavePath(), 256000);
    ASSERT_GT(h, 0);
    uint8_t buf[16];
    // Would block forever (failing by test time-out) if reads waited for data.
    EXPECT_EQ(serial_read(h, buf, sizeof buf), 0);
    close_link(h, false);
}

TEST(SerialRead, ReadsNoMoreThanAskedAndKeepsTheRest) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int h = open_serial(pty.slavePath(), 256000);
    ASSERT_GT(h, 0);
    pty.send({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    awaitBytes(h);

    uint8_t buf[8];
    std::memset(buf, 0xEE, sizeof buf);
    EXPECT_EQ(serial_read(h, buf, 4), 4);
    EXPECT_EQ(buf[0], 1);
    EXPECT_EQ(buf[3], 4);
    EXPECT_EQ(buf[4], 0xEE);
    EXPECT_EQ(serial_read(h, buf, sizeof buf), 6);
    EXPECT_EQ(buf[0], 5);
    EXPECT_EQ(buf[5], 10);
    close_link(h, false);
}

TEST(SerialRead, VanishedDeviceIsAnErrorNotSilence) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int h = open_serial(pty.slavePath(), 115200);
    ASSERT_GT(h, 0);
    pty.closeMaster();  // like unplugging a USB adapter
    uint8_t buf[16];
    EXPECT_EQ(serial_read(h, buf, sizeof buf), -1);
    EXPECT_EQ(serial_write(h, "LSTARH", 6), 0);
    close_link(h, false);
}

TEST(SerialReadTimed, WantZeroReturnsAtOnceAndTouchesNothing) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int h = open_serial(pty.slavePath(), 115200);
    ASSERT_GT(h, 0);
    pty.send({0x41, 0x42});
    awaitBytes(h);
    uint8_t buf[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(serial_read_timed(h, buf, 0, 0), 0);
    EXPECT_EQ(buf[0], 0xEE);
    // The pending bytes are still there for the next reader.
    EXPECT_EQ(serial_read(h, buf, sizeof buf), 2);
    close_link(h, false);
}

TEST(SerialReadTimed, SilentPortGivesUpWithNothing) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int h = open_serial(pty.slavePath(), 115200);
    ASSERT_GT(h, 0);
    uint8_t buf[64];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(serial_read_timed(h, buf, 0, sizeof buf), 0);
    // Bounded by three empty reads or 200 ms; a generous ceiling only proves it
    // does not wait for the wanted count.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    close_link(h, false);
}

TEST(SerialReadTimed, StoresWantedBytesAtOffsetAndNoMore) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int h = open_serial(pty.slavePath(), 768000);
    ASSERT_GT(h, 0);
    std::vector<uint8_t> sent(20);
    for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<uint8_t>(0x30 + i);
    pty.send(sent);
    awaitBytes(h);

    uint8_t buf[32];
    std::memset(buf, 0xEE, sizeof buf);
    EXPECT_EQ(serial_read_timed(h, buf, 5, 8), 8);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(buf[i], 0xEE) << i;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(buf[5 + i], sent[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(buf[13], 0xEE);

    // The other twelve stay queued.
    EXPECT_EQ(serial_read_timed(h, buf, 0, 12), 12);
    EXPECT_EQ(buf[0], sent[8]);
    EXPECT_EQ(buf[11], sent[19]);
    close_link(h, false);
}

// ---------------------------------------------------------------- port list

TEST(SerialPortList, EnvironmentOverrideIsTheListInItsOrder) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    EnvGuard guard("VANTREL_SERIAL_PORTS");
    setenv("VANTREL_SERIAL_PORTS", "ttyUSB3:/dev/pts/7::ttyACM0:", 1);
    EXPECT_EQ(list_serial_ports(), (std::vector<std::string>{"ttyUSB3", "/dev/pts/7", "ttyACM0"}));
    setenv("VANTREL_SERIAL_PORTS", "", 1);
    EXPECT_TRUE(list_serial_ports().empty());
}

TEST(SerialPortList, OverriddenPseudoTerminalOpensFromTheList) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    Pty pty;
    ASSERT_TRUE(pty.ok());
    EnvGuard guard("VANTREL_SERIAL_PORTS");
    setenv("VANTREL_SERIAL_PORTS", pty.slavePath().c_str(), 1);
    const std::vector<std::string> ports = list_serial_ports();
    ASSERT_EQ(ports.size(), 1u);
    const int h = open_serial(ports[0], 500000);
    EXPECT_GT(h, 0);
    close_link(h, false);
}

TEST(SerialPortList, SystemListHoldsOnlyOpenableDevicesInStableOrder) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    EnvGuard guard("VANTREL_SERIAL_PORTS");
    unsetenv("VANTREL_SERIAL_PORTS");
    const std::vector<std::string> first = list_serial_ports();
    for (const std::string& name : first) {
        EXPECT_EQ(access(("/dev/" + name).c_str(), F_OK), 0) << name;
        // Consoles and pseudo-terminals are not serial ports.
        EXPECT_NE(name, "console");
        EXPECT_NE(name, "ptmx");
        EXPECT_NE(name.rfind("pts", 0), 0u) << name;
    }
    EXPECT_EQ(list_serial_ports(), first);
}
