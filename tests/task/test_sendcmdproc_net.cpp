// The command sender on real links: UDP and TCP over loopback and serial
// links over a pseudo-terminal, with a test scanner on the far end. One test
// runs the sender on its own thread the way the main window does.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QObject>
#include <QThread>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "eeprom.h"
#include "netguard.h"
#include "sendcmd_support.h"
#include "sendcmdproc.h"
#include "transport.h"

using namespace sendtest;

namespace {

constexpr int kSign = 0x484C;

Frame receiveFrame(int sock, int timeoutMs = 3000) {
    std::vector<uint8_t> buf(2100);
    const int n = udp_recv(sock, buf.data(), int(buf.size()), timeoutMs);
    if (n <= 0) return {};
    buf.resize(size_t(n));
    return parseFrame(buf);
}

// Signals of a sender on another thread, collected on the test's thread.
struct Collected {
    QObject context;
    std::vector<std::tuple<int, QString, int>> finished;
    std::vector<bool> waits;
    int imports = 0;

    explicit Collected(SendCmdProc* proc) {
        QObject::connect(proc, &SendCmdProc::sig_respondFinish, &context,
                         [this](int type, QString cmd, int time) { finished.emplace_back(type, cmd, time); });
        QObject::connect(proc, &SendCmdProc::sig_wait, &context, [this](bool f) { waits.push_back(f); });
        QObject::connect(proc, &SendCmdProc::sig_import_finish, &context, [this] { ++imports; });
    }
};

// A pseudo-terminal pair: the sender opens the slave like a serial port, the
// test plays the scanner on the master.
class Pty {
public:
    Pty() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) return;
        const char* name = ptsname(m_master);
        if (name) m_slavePath = name;
        m_handle = open_serial(m_slavePath, 115200);
    }
    ~Pty() {
        close_link(m_handle, false);
        if (m_master >= 0) ::close(m_master);
    }
    bool ok() const { return m_master >= 0 && m_handle > 0; }
    int master() const { return m_master; }
    int handle() const { return m_handle; }

    // Everything the sender wrote within `ms`.
    std::string drain(int ms) {
        std::string out;
        char buf[512];
        pollfd p{m_master, POLLIN, 0};
        while (::poll(&p, 1, ms) > 0) {
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n <= 0) break;
            out.append(buf, size_t(n));
            ms = 50;
        }
        return out;
    }

private:
    int m_master = -1;
    int m_handle = 0;
    std::string m_slavePath;
};

}  // namespace

TEST(SendCmdNet, UdpTrackingOnItsOwnThread) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    int scannerPort = 0, senderPort = 0;
    const int scanner = udp_open(0, scannerPort);
    const int link = udp_open(0, senderPort);
    ASSERT_GT(scanner, 0);
    ASSERT_GT(link, 0);

    QThread thread;
    auto* proc = new SendCmdProc;
    proc->moveToThread(&thread);
    QObject::connect(&thread, &QThread::finished, proc, &QObject::deleteLater);
    Collected got(proc);
    thread.start();

    QMetaObject::invokeMethod(proc, [=] { proc->recv_Init("UDP", link, "127.0.0.1", scannerPort); });
    const Frame ats = receiveFrame(scanner);
    const Frame gs = receiveFrame(scanner);
    ASSERT_TRUE(ats.valid);
    ASSERT_TRUE(gs.valid);
    EXPECT_EQ(ats.mode, 0x0053);
    EXPECT_EQ(ats.body, "LSATS:1H");
    EXPECT_EQ(gs.mode, 0x4753);
    EXPECT_EQ(gs.body, "xxxxxx");
    const uint16_t gsSn = gs.sn;
    QMetaObject::invokeMethod(proc, [=] { proc->recv_CmdRecv(kSign, gsSn); });

    // Refused: reported through the main window's slot, on the main window's thread.
    QMetaObject::invokeMethod(proc, [=] { proc->recv_S_PACK("LSRPM:600H"); });
    const Frame rpm = receiveFrame(scanner);
    ASSERT_TRUE(rpm.valid);
    EXPECT_EQ(rpm.body, "LSRPM:600H");
    const uint16_t rpmSn = rpm.sn;
    QMetaObject::invokeMethod(proc, [=] { proc->recv_CmdRecv(kSign, rpmSn, false); });
    ASSERT_TRUE(waitFor([&] { return !got.finished.empty(); }));
    EXPECT_EQ(got.finished[0], std::make_tuple(0x53, QString("LSRPM:600H"), 2));

    // Unanswered: the real 200 ms timer re-sends the same frame three times, then gives up.
    QMetaObject::invokeMethod(proc, [=] { proc->recv_S_PACK("LSFIR:4H"); });
    std::vector<Frame> fir;
    for (int i = 0; i < 4; ++i) fir.push_back(receiveFrame(scanner, 4000));
    for (const Frame& f : fir) {
        ASSERT_TRUE(f.valid);
        EXPECT_EQ(f.body, "LSFIR:4H");
        EXPECT_EQ(f.sn, fir[0].sn);
    }
    ASSERT_TRUE(waitFor([&] { return got.finished.size() == 2 && !got.waits.empty(); }, 4000));
    EXPECT_EQ(got.finished[1], std::make_tuple(0x53, QString("LSFIR:4H"), 2));
    EXPECT_EQ(got.waits, std::vector<bool>{false});
    EXPECT_FALSE(receiveFrame(scanner, 2000).valid) << "nothing after giving up";

    thread.quit();
    thread.wait();
    close_link(link, true);
    close_link(scanner, true);
}

TEST(SendCmdNet, TcpInitFramesArriveOnTheCommandConnection) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    socklen_t len = sizeof addr;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    const int port = ntohs(addr.sin_port);
    const int link = tcp_connect("127.0.0.1", port);
    ASSERT_GT(link, 0);
    const int peer = ::accept(listener, nullptr, nullptr);
    ASSERT_GE(peer, 0);

    SendCmdProc proc;
    proc.setSleep([](int) {});
    proc.recv_Init("TCP", link, "127.0.0.1", port);

    std::vector<uint8_t> stream;
    uint8_t buf[256];
    while (stream.size() < 40) {
        const int n = tcp_recv(peer, buf, sizeof buf, 3000);
        ASSERT_GT(n, 0);
        stream.insert(stream.end(), buf, buf + n);
    }
    ASSERT_EQ(stream.size(), 40u);  // 8-byte body + 12, 8-byte padded "xxxxxx" + 12
    const std::vector<uint8_t> first(stream.begin(), stream.begin() + 20);
    const std::vector<uint8_t> second(stream.begin() + 20, stream.end());
    EXPECT_EQ(first, handFrame(0x0053, uint16_t(first[4] | first[5] << 8), "LSATS:1H"));
    EXPECT_EQ(second, handFrame(0x4753, uint16_t(second[4] | second[5] << 8), "xxxxxx"));

    close_link(link, true);
    ::close(peer);
    ::close(listener);
}

TEST(SendCmdNet, VpcInitWritesFramesToTheSerialPort) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    Pty pty;
    ASSERT_TRUE(pty.ok());
    SendCmdProc proc;
    proc.setSleep([](int) {});
    proc.recv_Init("VPC", pty.handle(), "", 115200);
    const std::string out = pty.drain(2000);
    ASSERT_EQ(out.size(), 40u);
    const std::vector<uint8_t> bytes(out.begin(), out.end());
    const Frame ats = parseFrame({bytes.begin(), bytes.begin() + 20});
    const Frame gs = parseFrame({bytes.begin() + 20, bytes.end()});
    EXPECT_TRUE(ats.valid && gs.valid);
    EXPECT_EQ(ats.body, "LSATS:2H");
    EXPECT_EQ(gs.mode, 0x4753);
}

TEST(SendCmdNet, UartInitialReadAgainstScannerOnPty) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    Pty pty;
    ASSERT_TRUE(pty.ok());

    // The scanner answers each identity query as soon as it is complete.
    std::atomic<bool> stop{false};
    std::mutex seenMutex;
    std::vector<std::string> seen;
    std::thread scanner([&] {
        const std::vector<std::pair<std::string, std::string>> answers = {
            {"LUUIDH", "PRODUCT SN:SN-000123\r\n"},
            {"LTYPEH", "TYPE ID:TQX70K2\r\n"},
            {"LXVERH", "MOTOR VERSION:2.0\r\n"}};
        std::string pending;
        char buf[256];
        while (!stop) {
            pollfd p{pty.master(), POLLIN, 0};
            if (::poll(&p, 1, 5) <= 0) continue;
            const ssize_t n = ::read(pty.master(), buf, sizeof buf);
            if (n <= 0) continue;
            pending.append(buf, size_t(n));
            for (bool found = true; found;) {
                found = false;
                for (const auto& [query, answer] : answers) {
                    const size_t at = pending.find(query);
                    if (at == std::string::npos) continue;
                    pending.erase(0, at + query.size());
                    {
                        std::lock_guard<std::mutex> lock(seenMutex);
                        seen.push_back(query);
                    }
                    if (::write(pty.master(), answer.data(), answer.size()) < 0) return;
                    found = true;
                }
            }
        }
    });

    SendCmdProc proc;
    std::vector<std::pair<int, QByteArray>> data;
    QObject::connect(&proc, &SendCmdProc::sig_data, [&](int t, QByteArray d) { data.emplace_back(t, d); });
    proc.recv_Init("UART", pty.handle(), "", 115200);
    stop = true;
    scanner.join();

    ASSERT_FALSE(data.empty());
    EXPECT_EQ(data.back().first, 5);
    ASSERT_EQ(data.back().second.size(), 152);
    EEpromV101 block{};
    std::memcpy(&block, data.back().second.constData(), sizeof block);
    EXPECT_EQ(eeprom_product_sn(block), "SN-000123");
    EXPECT_EQ(eeprom_type_id(block), "TQX70K2");
    for (const auto& d : data) EXPECT_NE(d.first, 13) << "every identity query was answered";
    std::lock_guard<std::mutex> lock(seenMutex);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), "LUUIDH");
    EXPECT_EQ(seen.back(), "LXVERH");
}
