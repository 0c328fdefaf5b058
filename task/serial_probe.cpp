#include "serial_probe.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <random>
#include <string_view>
#include <thread>

#include "command_frame.h"
#include "link_open.h"
#include "transport.h"

const int kProbeBaudRates[9] = {230400, 256000, 384000, 460800, 500000, 768000, 921600, 1000000, 1500000};

namespace {

constexpr size_t kUartReplyMax = 4096;
constexpr size_t kVpcReadBuffer = 10240;
constexpr int kUartEmptyReads = 10;  // more than this many empty reads in all end the answer
constexpr int kVpcEmptyRun = 3;      // more than this many empty reads in a row end the answer
// A USB virtual port answers through the device's firmware and the host's USB
// stack: a few milliseconds of silence do not mean it has nothing to say. An
// empty read waits this long for bytes (returning as soon as some arrive), so
// a silent port is left after about 150 ms, not after the 3 ms that a bare
// 1 ms pause would give.
constexpr int kVpcQuietWaitMs = 50;
// A scanner that is already streaming answers among its scan data. The answer
// is searched for across all of it, bounded in bytes and in time so that an
// endless stream cannot keep the probe on one port.
constexpr size_t kVpcStreamBudget = 65536;
constexpr auto kVpcDeadline = std::chrono::seconds(2);

bool contains(const std::vector<uint8_t>& data, std::string_view needle) {
    return std::search(data.begin(), data.end(), needle.begin(), needle.end()) != data.end();
}

// Reads an answer into a buffer of `capacity` bytes. Every read is bounded by
// the room left, so a chatty device can fill the buffer but never overrun it.
std::vector<uint8_t> readAnswer(SerialProbeIo& io, int handle, size_t capacity, int emptyLimit) {
    std::vector<uint8_t> buf(capacity);
    size_t used = 0;
    int empty = 0;
    while (used < capacity) {
        const int n = io.read(handle, buf.data() + used, capacity - used);
        if (n > 0) {
            used += std::min(static_cast<size_t>(n), capacity - used);
            continue;
        }
        if (++empty > emptyLimit) break;
        io.pause(1);
    }
    buf.resize(used);
    return buf;
}

bool probeUart(SerialProbeIo& io, const std::string& port, int baud) {
    const int handle = io.open(port, baud);
    if (handle <= 0) return false;
    static const uint8_t request[7] = {'L', 'U', 'U', 'I', 'D', 'H', 0};
    io.write(handle, request, sizeof request);
    const std::vector<uint8_t> answer = readAnswer(io, handle, kUartReplyMax, kUartEmptyReads);
    io.close(handle);
    return contains(answer, "PRODUCT SN:");
}

// Reads until the virtual port's answer shows up, the port stays quiet, or
// the byte or time budget is spent. The bytes are searched as they come: the
// last few bytes of a full buffer are carried over, so an answer split across
// two buffers is still seen.
bool readVpcAnswer(SerialProbeIo& io, int handle) {
    constexpr std::string_view kIdentity = "PRODUCT SN:";
    constexpr std::string_view kStateRecord = "LMSG";
    constexpr size_t kCarry = kIdentity.size() - 1;
    const auto deadline = std::chrono::steady_clock::now() + kVpcDeadline;
    std::vector<uint8_t> buf(kVpcReadBuffer);
    size_t used = 0;
    size_t total = 0;
    int empty = 0;
    while (total < kVpcStreamBudget && std::chrono::steady_clock::now() < deadline) {
        const size_t room = std::min(buf.size() - used, kVpcStreamBudget - total);
        const int n = io.read(handle, buf.data() + used, room);
        if (n <= 0) {
            if (++empty > kVpcEmptyRun) break;
            io.waitForData(handle, kVpcQuietWaitMs);
            continue;
        }
        empty = 0;
        const size_t got = std::min(static_cast<size_t>(n), room);
        // Search only where a match could newly end: the fresh bytes and the
        // needle's length before them.
        const size_t from = used > kCarry ? used - kCarry : 0;
        used += got;
        total += got;
        const auto first = buf.begin() + static_cast<std::ptrdiff_t>(from);
        const auto last = buf.begin() + static_cast<std::ptrdiff_t>(used);
        if (std::search(first, last, kIdentity.begin(), kIdentity.end()) != last ||
            std::search(first, last, kStateRecord.begin(), kStateRecord.end()) != last)
            return true;
        if (used == buf.size()) {
            std::copy(buf.end() - static_cast<std::ptrdiff_t>(kCarry), buf.end(), buf.begin());
            used = kCarry;
        }
    }
    return false;
}

bool probeVpc(SerialProbeIo& io, const std::string& port) {
    const int handle = io.open(port, kVpcNominalBaud);
    if (handle <= 0) return false;
    static const uint8_t body[8] = {'L', 'U', 'U', 'I', 'D', 'H', 0, 0};
    const std::vector<uint8_t> frame = encode_command_frame(C_PACK, io.sequenceNumber(), body, sizeof body);
    io.write(handle, frame.data(), frame.size());
    const bool found = readVpcAnswer(io, handle);
    io.close(handle);
    return found;
}

}  // namespace

std::vector<SerialProbeHit> probeSerialPorts(SerialProbeIo& io) {
    std::vector<SerialProbeHit> hits;
    for (const std::string& port : io.listPorts()) {
        int found = 0;
        for (int baud : kProbeBaudRates) {
            if (probeUart(io, port, baud)) {
                found = baud;
                break;
            }
        }
        if (found == 0 && probeVpc(io, port)) found = -1;
        if (found != 0) hits.push_back({port, found});
    }
    return hits;
}

// ---------------------------------------------------------------- system ports

namespace {

class SystemSerialProbeIo : public SerialProbeIo {
public:
    std::vector<std::string> listPorts() override { return list_serial_ports(); }
    int open(const std::string& name, int baud) override { return open_serial(name, baud); }
    int write(int handle, const uint8_t* data, size_t n) override {
        return serial_write(handle, data, static_cast<int>(n));
    }
    int read(int handle, uint8_t* buf, size_t max) override {
        return serial_read(handle, buf, static_cast<int>(std::min<size_t>(max, INT_MAX)));
    }
    void close(int handle) override { close_link(handle, false); }
    void pause(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    void waitForData(int handle, int ms) override {
        pollfd pfd{handle, POLLIN, 0};
        if (::poll(&pfd, 1, ms) < 0) pause(1);  // interrupted: the caller reads and counts again
    }
    uint16_t sequenceNumber() override {
        std::random_device rd;
        return static_cast<uint16_t>(rd());
    }
};

}  // namespace

std::unique_ptr<SerialProbeIo> makeSystemSerialProbeIo() {
    return std::make_unique<SystemSerialProbeIo>();
}
