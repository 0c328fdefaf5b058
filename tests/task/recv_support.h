#pragma once
// Test side of the data receiver tests: packets built by hand from the wire
// tables (little-endian fields, 16-bit wrap-around sums; nothing here calls
// the decoder), a collector of the receiver's signals on the test thread, and
// a capture of the diagnostic log.

#include <QByteArray>
#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <QTest>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "crc32.h"
#include "qt_wait.h"
#include "recvdataproc.h"

namespace recvtest {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
inline Bytes cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
inline Bytes ascii(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// 0xFACF fan: magic, N, start, span, N x (u8 energy, u16 mm), u16 sum of N,
// start, span and every energy and distance. Point i: distance 1000 + i mm,
// energy i & 0xFF.
inline Bytes fanCF(uint16_t start, uint16_t span, uint16_t n) {
    Bytes b{0xCF, 0xFA};
    put16(b, n);
    put16(b, start);
    put16(b, span);
    uint32_t sum = n + start + span;
    for (uint16_t i = 0; i < n; ++i) {
        const uint8_t energy = uint8_t(i);
        const uint16_t mm = uint16_t(1000 + i);
        b.push_back(energy);
        put16(b, mm);
        sum += energy + mm;
    }
    put16(b, sum & 0xFFFF);
    return b;
}

// Legacy 0xFACE fan: magic, N, start, N point words, u16 start + N + sum of words.
inline Bytes legacyCE(uint16_t start, const std::vector<uint16_t>& words) {
    Bytes b{0xCE, 0xFA};
    put16(b, uint16_t(words.size()));
    put16(b, start);
    uint32_t sum = start + uint32_t(words.size());
    for (uint16_t w : words) {
        put16(b, w);
        sum += w;
    }
    put16(b, sum & 0xFFFF);
    return b;
}

// "ST" status packet: byte 2 carries the flags, "ED" at 6.
inline Bytes statusPacket(uint8_t flags) {
    return Bytes{'S', 'T', flags, 0, 0, 0, 'E', 'D'};
}

// A framed reply: 'L','H', u16 code, u16 sn, u16 body length, body, 4 CRC
// bytes (the receiver does not check them; left zero).
inline Bytes replyFrame(uint16_t code, uint16_t sn, const Bytes& body) {
    Bytes b{'L', 'H'};
    put16(b, code);
    put16(b, sn);
    put16(b, uint16_t(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    // The frame CRC the receiver checks; bodies not padded to whole words carry none.
    put32(b, body.size() % 4 == 0 ? crc32_words(b.data(), b.size() / 4) : 0);
    return b;
}

// The 164-byte parameter-block reply (code 0xB8AC) carrying `block` (152 bytes).
inline Bytes paramBlockReply(uint16_t sn, const Bytes& block) {
    return replyFrame(0xB8AC, sn, block);
}

// Starts of one revolution of ten 36-degree fans, from `first` on.
inline std::vector<uint16_t> revolutionStarts(uint16_t first = 0) {
    std::vector<uint16_t> s;
    for (int i = 0; i < 10; ++i) s.push_back(uint16_t((first + 360 * i) % 3600));
    return s;
}

// One sig_ZoneCMD as seen by the command sender.
struct ZoneCmd {
    int fd;
    QString ip;
    int port;
    int mode;
    int sn;
    int len;
    QByteArray cmd;
    bool isrepeat;
};

struct CmdRecv {
    int sign;
    int sn;
    bool ok;
};

// Collects the receiver's signals on the test thread (queued, so nothing
// here is touched by the receiver's thread).
class Signals : public QObject {
public:
    explicit Signals(RecvDataProc& proc) {
        connect(&proc, &RecvDataProc::sig_lidarData, this,
                [this](std::vector<RawData> d) { lidar.push_back(d); });
        connect(&proc, &RecvDataProc::sig_spanData, this, [this](RawData d) { spans.push_back(d); });
        connect(&proc, &RecvDataProc::sig_data, this,
                [this](int type, QByteArray d) { data.emplace_back(type, d); });
        connect(&proc, &RecvDataProc::sig_zoneData, this, [this](zones z) { zoneData.push_back(z); });
        connect(&proc, &RecvDataProc::sig_CmdRecv, this, [this](int sign, int sn, bool ok) {
            cmdRecv.push_back({sign, sn, ok});
        });
        connect(&proc, &RecvDataProc::sig_offsetAngle, this, [this](int a) { offsets.push_back(a); });
        connect(&proc, &RecvDataProc::sig_linkLost, this,
                [this](quint64 id, QString reason) { lost.emplace_back(id, reason); });
        connect(&proc, &RecvDataProc::sig_wait, this, [this](bool on) { waits.push_back(on); });
        connect(&proc, &RecvDataProc::sig_uartState, this,
                [this](bool smooth, bool fitter) { uartStates.emplace_back(smooth, fitter); });
        connect(&proc, &RecvDataProc::sig_ZoneCMD, this,
                [this](int fd, QString ip, int port, int mode, int sn, int len, QByteArray cmd, bool rep) {
                    zoneCmds.push_back({fd, ip, port, mode, sn, len, cmd, rep});
                    if (onZoneCmd) onZoneCmd(zoneCmds.back());
                });
    }

    // Messages of one sig_data type, in order.
    std::vector<QByteArray> ofType(int type) const {
        std::vector<QByteArray> out;
        for (const auto& d : data)
            if (d.first == type) out.push_back(d.second);
        return out;
    }
    // Index of the first command with this mode and text, or -1.
    int indexOf(int mode, const QByteArray& text, int from = 0) const {
        for (int i = from; i < int(zoneCmds.size()); ++i)
            if (zoneCmds[size_t(i)].mode == mode && zoneCmds[size_t(i)].cmd == text) return i;
        return -1;
    }
    int countMode(int mode) const {
        int n = 0;
        for (const auto& c : zoneCmds) n += c.mode == mode;
        return n;
    }

    std::vector<std::vector<RawData>> lidar;
    std::vector<RawData> spans;
    std::vector<std::pair<int, QByteArray>> data;
    std::vector<zones> zoneData;
    std::vector<CmdRecv> cmdRecv;
    std::vector<int> offsets;
    std::vector<std::pair<quint64, QString>> lost;  // sig_linkLost
    std::vector<bool> waits;                        // sig_wait
    std::vector<std::pair<bool, bool>> uartStates;
    std::vector<ZoneCmd> zoneCmds;
    std::function<void(const ZoneCmd&)> onZoneCmd;  // the fake scanner's answer to a request
};

// Processes events until pred holds; false after `ms`.
inline bool waitFor(const std::function<bool()>& pred, int ms = 5000) {
    return QTest::qWaitFor(pred, ms);
}

using testsupport::ensureApp;

// Captures the diagnostic lines written by any thread while it exists.
class LogCapture {
public:
    LogCapture() {
        instance() = this;
        m_previous = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture() {
        qInstallMessageHandler(m_previous);
        instance() = nullptr;
    }
    bool contains(const QString& text) const {
        std::lock_guard<std::mutex> guard(m_mutex);
        for (const QString& l : m_lines)
            if (l.contains(text)) return true;
        return false;
    }
    int count(const QString& text) const {
        std::lock_guard<std::mutex> guard(m_mutex);
        int n = 0;
        for (const QString& l : m_lines) n += l.contains(text);
        return n;
    }

private:
    static std::atomic<LogCapture*>& instance() {
        static std::atomic<LogCapture*> current{nullptr};
        return current;
    }
    static void handler(QtMsgType, const QMessageLogContext&, const QString& msg) {
        if (LogCapture* c = instance()) {
            std::lock_guard<std::mutex> guard(c->m_mutex);
            c->m_lines.push_back(msg);
        }
    }
    mutable std::mutex m_mutex;
    std::vector<QString> m_lines;
    QtMessageHandler m_previous = nullptr;
};

}  // namespace recvtest
