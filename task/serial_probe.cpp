#include "serial_probe.h"

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
constexpr size_t kVpcReplyMax = 10240;
constexpr int kUartEmptyReads = 10;  // more than this many empty reads in all end the answer
constexpr int kVpcEmptyRun = 3;      // more than this many empty reads in a row end the answer

bool contains(const std::vector<uint8_t>& data, std::string_view needle) {
    return std::search(data.begin(), data.end(), needle.begin(), needle.end()) != data.end();
}

// Reads an answer into a buffer of `capacity` bytes. Every read is bounded by
// the room left, so a chatty device can fill the buffer but never overrun it.
std::vector<uint8_t> readAnswer(SerialProbeIo& io, int handle, size_t capacity, int emptyLimit, bool inARow) {
    std::vector<uint8_t> buf(capacity);
    size_t used = 0;
    int empty = 0;
    while (used < capacity) {
        const int n = io.read(handle, buf.data() + used, capacity - used);
        if (n > 0) {
            used += std::min(static_cast<size_t>(n), capacity - used);
            if (inARow) empty = 0;
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
    const std::vector<uint8_t> answer = readAnswer(io, handle, kUartReplyMax, kUartEmptyReads, false);
    io.close(handle);
    return contains(answer, "PRODUCT SN:");
}

bool probeVpc(SerialProbeIo& io, const std::string& port) {
    const int handle = io.open(port, kVpcNominalBaud);
    if (handle <= 0) return false;
    static const uint8_t body[8] = {'L', 'U', 'U', 'I', 'D', 'H', 0, 0};
    const std::vector<uint8_t> frame = encode_command_frame(C_PACK, io.sequenceNumber(), body, sizeof body);
    io.write(handle, frame.data(), frame.size());
    const std::vector<uint8_t> answer = readAnswer(io, handle, kVpcReplyMax, kVpcEmptyRun, true);
    io.close(handle);
    return contains(answer, "PRODUCT SN:") || contains(answer, "LMSG");
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
    uint16_t sequenceNumber() override {
        std::random_device rd;
        return static_cast<uint16_t>(rd());
    }
};

}  // namespace

std::unique_ptr<SerialProbeIo> makeSystemSerialProbeIo() {
    return std::make_unique<SystemSerialProbeIo>();
}
