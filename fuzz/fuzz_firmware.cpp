// Firmware images and what a device answers during an upgrade. The first
// input byte picks how the rest is used:
//   0 image:  the rest is a firmware file, checked as the upgrade checks it;
//   1 UDP:    a valid image is sent; the rest scripts the device: per wait
//             whether a datagram comes and how far the clock moves, per
//             datagram whether it is the right answer (all zeros: a clean
//             upgrade), a refusal, a foreign or late answer, or raw bytes;
//   2 serial: a file is sent over a scripted line; each read takes a length
//             byte and that many bytes of the rest.
// An upgrade always ends, and ends in success only when the device was given
// every piece of the image.

#include <set>
#include <vector>

#include "../tests/protocol/firmware_support.h"
#include "firmware_image.h"
#include "firmware_serial.h"
#include "firmware_udp.h"
#include "fuzz_entry.h"

namespace {

constexpr uint16_t kSn = 0x2468;
// More I/O calls than any honest end needs: a transfer past this never ends.
constexpr int kCallBound = 20000;

void checkImage(const uint8_t* data, size_t size) {
    FirmwareImageInfo info;
    const FirmwareImageCheck check = check_firmware_image(data, size, &info);
    FUZZ_CHECK(firmware_check_text(check) != nullptr);
    if (check != FirmwareImageCheck::Ok) return;
    FUZZ_CHECK(info.length % kFirmwareChunk == 0 && info.length > 0);
    FUZZ_CHECK(size == info.length + kFirmwareHeaderSize);
    FUZZ_CHECK(info.storedCrc == info.payloadCrc);
    // Packing the payload again gives an image that passes as well.
    const std::vector<uint8_t> again = pack_firmware_image(data + kFirmwareHeaderSize, info.length);
    FUZZ_CHECK(check_firmware_image(again) == FirmwareImageCheck::Ok);
}

class ScriptedDevice : public FirmwareUdpIo {
public:
    explicit ScriptedDevice(fuzz::Reader& in) : m_in(in) {}

    int send(const uint8_t* data, size_t len) override {
        count();
        FUZZ_CHECK(len == 12 + kFirmwarePacketBody);
        const uint32_t op = le32(data + 8);
        if (op == kFirmwareOpStart) m_pieces.clear();
        if (op < kFirmwareOpStart) m_pieces.insert(op);
        m_lastOp = op;
        m_sent.push_back(op);
        return int(len);
    }
    int wait(int timeoutMs) override {
        count();
        FUZZ_CHECK(timeoutMs >= 0 && timeoutMs <= kFirmwareWaitRoundMs);
        // Silence once the script is over: the transfer must give up by itself.
        const bool over = m_in.empty();
        const uint8_t b = m_in.byte();
        const int ready = over || b % 4 == 3 ? 0 : b % 16 == 14 ? -1 : 1;
        m_now += ready == 0 ? timeoutMs : b / 16 * 100;
        return ready;
    }
    int receive(uint8_t* buf, size_t max) override {
        count();
        const uint8_t kind = m_in.byte() % 6;
        std::vector<uint8_t> reply;
        if (kind == 4) {
            size_t n = 0;
            const uint8_t* raw = m_in.take(m_in.byte(), n);
            reply.assign(raw, raw + n);
        } else {
            uint32_t echo = m_lastOp;
            if (kind == 3 && !m_sent.empty()) echo = m_sent[m_in.byte() % m_sent.size()];  // a late answer
            reply.assign(20, 0);
            reply[0] = 'L';
            reply[1] = 'H';
            put_le16(reply.data() + 4, kind == 2 ? uint16_t(kSn + 1) : kSn);
            put_le16(reply.data() + 6, 8);
            put_le32(reply.data() + 8, echo);
            put_le32(reply.data() + 12, kind == 1 ? m_in.byte() : 0u);
        }
        if (kind == 5) return m_in.byte() % 2 ? 0 : -1;
        const size_t n = std::min(max, reply.size());
        if (n) std::memcpy(buf, reply.data(), n);
        return int(n);
    }
    int64_t nowMs() override {
        count();
        return m_now;
    }
    const std::set<uint32_t>& pieces() const { return m_pieces; }

private:
    void count() { FUZZ_CHECK(++m_calls < kCallBound); }

    fuzz::Reader& m_in;
    int64_t m_now = 1000;
    int m_calls = 0;
    uint32_t m_lastOp = 0;
    std::vector<uint32_t> m_sent;
    std::set<uint32_t> m_pieces;
};

void udpUpgrade(fuzz::Reader& in) {
    static const std::vector<uint8_t> image = firmware_test::makeImage(3 * kFirmwareChunk);
    ScriptedDevice device(in);
    const FirmwareUdpResult r = firmware_udp_transfer(device, image, kSn);
    if (r.status == FirmwareUdpStatus::Ok) {
        for (uint32_t offset = 0; offset < 3 * kFirmwareChunk; offset += kFirmwareChunk)
            FUZZ_CHECK(device.pieces().count(offset) == 1);
    }
}

class ScriptedLine : public SerialIo {
public:
    ScriptedLine(fuzz::Reader& in, int64_t& now) : m_in(in), m_now(now) {}
    int write(const uint8_t*, size_t len) override {
        step();
        return int(len);
    }
    int read(uint8_t* data, size_t len) override {
        step();
        size_t n = 0;
        const uint8_t* bytes = m_in.take(std::min<size_t>(len, m_in.byte() % 8), n);
        if (n) std::memcpy(data, bytes, n);
        return int(n);
    }
    void sleepMs(int ms) override { m_now += ms; }

private:
    void step() {
        FUZZ_CHECK(++m_calls < kCallBound * 10);
        m_now += 1;
    }
    fuzz::Reader& m_in;
    int64_t& m_now;
    int m_calls = 0;
};

void serialUpgrade(fuzz::Reader& in) {
    static const std::vector<uint8_t> file(300, 0x5A);
    int64_t now = 0;
    ScriptedLine line(in, now);
    const FirmwareSerialResult r = firmware_serial_transfer(
        line, [&now] { return now; }, file.data(), file.size());
    FUZZ_CHECK(r.status >= FirmwareSerialStatus::Ok && r.status <= FirmwareSerialStatus::TransferFailed);
}

}  // namespace

VANTREL_FUZZ_TARGET(firmware) {
    fuzz::Reader in(data, size);
    switch (in.byte() % 3) {
        case 0: {
            size_t n = 0;
            const uint8_t* rest = in.rest(n);
            const auto exact = fuzz::exactCopy(rest, n);
            checkImage(exact.get(), n);
            break;
        }
        case 1:
            udpUpgrade(in);
            break;
        default:
            serialUpgrade(in);
            break;
    }
    return 0;
}
