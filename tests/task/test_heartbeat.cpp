// The heartbeat worker on the multicast group: datagrams of each layout sent
// over loopback become DevConnInfo records or box data, everything else is
// dropped, set-up failures are reported, and a close is prompt.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <ctime>
#include <functional>
#include <memory>

#include "heartbeat_builder.h"
#include "heartbeatproc.h"
#include "netguard.h"
#include "qt_wait.h"

// ThreadSanitizer builds link tests/common/tsan_options.cpp, which points the
// runtime at tests/tsan.supp (Qt-internal hand-overs only).

namespace {

constexpr quint16 kPort = 6789;

using testsupport::ensureApp;

// Processes events until pred holds or the time is up; `tick` runs between rounds.
bool waitFor(const std::function<bool()>& pred, int ms = 5000, const std::function<void()>& tick = {}) {
    QDeadlineTimer deadline(ms);
    while (!pred()) {
        if (deadline.hasExpired()) return false;
        if (tick) tick();
        QTest::qWait(20);
    }
    return true;
}

// A multicast sender on loopback; its source port identifies our datagrams
// among any others a neighbour test may send to the group.
class Sender {
public:
    Sender() {
        m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
        socklen_t len = sizeof local;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &len);
        m_port = ntohs(local.sin_port);
        in_addr lo{};
        lo.s_addr = htonl(INADDR_LOOPBACK);
        ::setsockopt(m_fd, IPPROTO_IP, IP_MULTICAST_IF, &lo, sizeof lo);
        const unsigned char loop = 1;
        ::setsockopt(m_fd, IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop);
    }
    ~Sender() { ::close(m_fd); }
    void send(const std::vector<uint8_t>& d) const {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(kPort);
        inet_pton(AF_INET, "225.225.225.225", &to.sin_addr);
        ::sendto(m_fd, d.data(), d.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    int port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

// Collects the worker's signals on the test thread (queued delivery).
class Listener : public QObject {
public:
    explicit Listener(HeartBeatProc& proc) {
        connect(&proc, &HeartBeatProc::sig_GetLidarHeart, this,
                [this](DevConnInfo c) { records.push_back(c); });
        connect(&proc, &HeartBeatProc::sig_data, this,
                [this](int type, QByteArray info) { data.emplace_back(type, info); });
    }
    std::vector<DevConnInfo> recordsFrom(int port) const {
        std::vector<DevConnInfo> out;
        for (const auto& r : records)
            if (r.port == port) out.push_back(r);
        return out;
    }
    bool hasSerial(int port, const std::string& serial, size_t offset) const {
        for (const auto& r : recordsFrom(port))
            if (std::string(reinterpret_cast<const char*>(r.payload + offset)) == serial) return true;
        return false;
    }
    std::vector<DevConnInfo> records;
    std::vector<std::pair<int, QByteArray>> data;
};

class HeartbeatWorker : public ::testing::Test {
protected:
    void SetUp() override {
        VANTREL_REQUIRE_PRIVATE_NETWORK();
        ensureApp();
        m_proc = std::make_unique<HeartBeatProc>(kPort);
        m_listener = std::make_unique<Listener>(*m_proc);
        m_proc->start();
        // The worker gives no "ready" signal: repeat a marker until it is heard.
        const auto marker = hb::heart60("READY", "M");
        ASSERT_TRUE(waitFor([&] { return m_listener->hasSerial(m_sender.port(), "READY", 4); }, 5000,
                            [&] { m_sender.send(marker); }));
        m_listener->records.clear();
    }
    void TearDown() override {
        if (m_proc) {
            m_proc->recv_close();
            m_proc->wait();
        }
    }
    // Sends a 60-byte heartbeat after everything sent before and waits for it,
    // so whatever the worker made of the earlier datagrams has arrived.
    void drain(const std::string& serial) {
        m_sender.send(hb::heart60(serial, "M"));
        ASSERT_TRUE(waitFor([&] { return m_listener->hasSerial(m_sender.port(), serial, 4); }));
    }

    Sender m_sender;
    std::unique_ptr<HeartBeatProc> m_proc;
    std::unique_ptr<Listener> m_listener;
};

void expectRecord(const DevConnInfo& r, int type, int senderPort, const std::vector<uint8_t>& datagram) {
    EXPECT_EQ(r.type, type);
    EXPECT_STREQ(r.ip, "127.0.0.1");
    EXPECT_EQ(r.port, senderPort);
    EXPECT_EQ(std::vector<uint8_t>(r.payload, r.payload + datagram.size()), datagram);
    for (size_t i = datagram.size(); i < sizeof r.payload; ++i)
        ASSERT_EQ(r.payload[i], 0) << "payload byte " << i;
    EXPECT_EQ(r.com[0], 0);
    EXPECT_EQ(r.mac[0], 0);
    EXPECT_EQ(r.baud, 0);
    const time_t now = std::time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(r.recv_time[5], local.tm_year);
    EXPECT_GE(r.recv_time[3], 1);
    EXPECT_LE(r.recv_time[4], 11);
}

}  // namespace

TEST_F(HeartbeatWorker, EachLayoutBecomesARecordWithSenderAndPayload) {
    const auto h80 = hb::heart80("SN-80", "M80");
    const auto h60 = hb::heart60("SN-60", "M60");
    const auto h112 = hb::status112("SN-112", "M112");
    m_sender.send(h80);
    m_sender.send(h60);
    m_sender.send(h112);
    ASSERT_TRUE(waitFor([&] { return m_listener->recordsFrom(m_sender.port()).size() >= 3; }));
    const auto recs = m_listener->recordsFrom(m_sender.port());
    ASSERT_EQ(recs.size(), 3u);
    expectRecord(recs[0], 1, m_sender.port(), h80);
    expectRecord(recs[1], 2, m_sender.port(), h60);
    expectRecord(recs[2], 3, m_sender.port(), h112);
}

TEST_F(HeartbeatWorker, MalformedDatagramsProduceNoRecord) {
    auto wrongVersion = hb::status112("BAD-112", "M");
    wrongVersion[4] = 0x02;
    std::vector<uint8_t> magicAtZero(80, 0);
    hb::putText(magicAtZero, 0, 4, "LiDA");
    auto sixtyOne = hb::heart60("BAD-61", "M");
    sixtyOne.push_back(0);
    m_sender.send(wrongVersion);
    m_sender.send(magicAtZero);
    m_sender.send(sixtyOne);
    m_sender.send(std::vector<uint8_t>(4096 + 100, 'L'));  // larger than the receive buffer
    drain("AFTER-BAD");
    const auto recs = m_listener->recordsFrom(m_sender.port());
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].type, 2);
}

TEST_F(HeartbeatWorker, BoxDatagramsArePassedOnWholeAsType16) {
    std::vector<uint8_t> box312(312), box320(320);
    for (size_t i = 0; i < box320.size(); ++i) box320[i] = static_cast<uint8_t>(i * 7 + m_sender.port());
    for (size_t i = 0; i < box312.size(); ++i) box312[i] = static_cast<uint8_t>(i * 3 + m_sender.port());
    m_sender.send(box312);
    m_sender.send(box320);
    drain("AFTER-BOX");
    const QByteArray want312(reinterpret_cast<const char*>(box312.data()), 312);
    const QByteArray want320(reinterpret_cast<const char*>(box320.data()), 320);
    int seen312 = 0, seen320 = 0;
    for (const auto& [type, bytes] : m_listener->data) {
        EXPECT_EQ(type, 16);
        seen312 += bytes == want312;
        seen320 += bytes == want320;
    }
    EXPECT_EQ(seen312, 1);
    EXPECT_EQ(seen320, 1);
    EXPECT_EQ(m_listener->recordsFrom(m_sender.port()).size(), 1u);  // the drain marker only
}

// Regression: the loop used to block in the receive call, so a close took
// effect only when the next datagram happened to arrive.
TEST_F(HeartbeatWorker, CloseEndsTheLoopWithoutAnotherDatagram) {
    m_proc->recv_close();
    EXPECT_TRUE(m_proc->wait(3000));
    EXPECT_TRUE(m_proc->isFinished());
}

TEST(HeartbeatSetup, PortTakenWithoutReuseIsReportedAsBindFailure) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    // A socket without address reuse holds the port exclusively.
    const int holder = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&any), sizeof any), 0);
    socklen_t len = sizeof any;
    ::getsockname(holder, reinterpret_cast<sockaddr*>(&any), &len);

    HeartBeatProc proc(ntohs(any.sin_port));
    Listener listener(proc);
    proc.start();
    ASSERT_TRUE(proc.wait(5000));  // the thread ends after the report
    ASSERT_TRUE(waitFor([&] { return !listener.data.empty(); }));
    ASSERT_EQ(listener.data.size(), 1u);
    EXPECT_EQ(listener.data[0].first, 1);
    EXPECT_EQ(listener.data[0].second,
              QByteArray("bind failed with error ") + QByteArray::number(EADDRINUSE));
    EXPECT_TRUE(listener.records.empty());
    ::close(holder);
}

TEST(HeartbeatSetup, TwoListenersOnOnePortBothHearTheGroup) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    ensureApp();
    HeartBeatProc first(kPort), second(kPort);
    Listener l1(first), l2(second);
    first.start();
    second.start();
    Sender sender;
    const auto marker = hb::heart80("BOTH", "M");
    EXPECT_TRUE(waitFor(
        [&] { return l1.hasSerial(sender.port(), "BOTH", 37) && l2.hasSerial(sender.port(), "BOTH", 37); },
        5000, [&] { sender.send(marker); }));
    // Stop one after the other: each wait then blocks on a running loop. (A
    // QThread that finished before wait() synchronises only through Qt's
    // uninstrumented futex mutex, which ThreadSanitizer reports falsely.)
    first.recv_close();
    EXPECT_TRUE(first.wait(3000));
    second.recv_close();
    EXPECT_TRUE(second.wait(3000));
}
