#include "firmware_udp.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "command_frame.h"
#include "crc32.h"
#include "le_bytes.h"
#include "transport.h"

// ---------------------------------------------------------------- socket I/O

UdpSocketFirmwareIo::UdpSocketFirmwareIo(int sock, std::string ip, int port)
    : m_sock(sock), m_ip(std::move(ip)), m_port(port) {}

int UdpSocketFirmwareIo::send(const uint8_t* data, size_t len) {
    return udp_send_to(m_sock, m_ip, m_port, data, static_cast<int>(len));
}

int UdpSocketFirmwareIo::wait(int timeoutMs) {
    return wait_readable(m_sock, timeoutMs);
}

int UdpSocketFirmwareIo::receive(uint8_t* buf, size_t max) {
    return udp_recv(m_sock, buf, static_cast<int>(max), 0);
}

int64_t UdpSocketFirmwareIo::nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// ---------------------------------------------------------------- packets

std::vector<uint8_t> firmware_udp_packet(uint16_t sn, uint32_t operation, uint32_t dataCrc,
                                         const uint8_t* data, size_t n) {
    uint8_t body[kFirmwarePacketBody] = {};
    put_le32(body, operation);
    put_le32(body + 4, dataCrc);
    n = std::min(n, kFirmwareChunk);
    if (data != nullptr && n > 0) std::memcpy(body + 8, data, n);
    return encode_command_frame(FIRMWARE_PACK, sn, body, sizeof body);
}

bool parse_firmware_reply(const uint8_t* datagram, size_t len, uint16_t sn, uint32_t& operation,
                          uint32_t& status) {
    if (datagram == nullptr || len < 16) return false;
    if (le16(datagram) != kFrameSign || le16(datagram + 4) != sn) return false;
    // Only the body the datagram really holds counts, and no more than we keep.
    const size_t body = std::min<size_t>({le16(datagram + 6), len - 8, kFirmwareReplyKept});
    if (body < 8) return false;
    operation = le32(datagram + 8);
    status = le32(datagram + 12);
    return true;
}

// ---------------------------------------------------------------- transfer

namespace {

std::string hexWord(uint32_t word) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", word);
    return text;
}

}  // namespace

FirmwareUdpResult firmware_udp_transfer(FirmwareUdpIo& io, const uint8_t* image, size_t imageSize,
                                        uint16_t sn, const FirmwareUdpHooks& hooks) {
    FirmwareUdpResult result;
    FirmwareImageInfo info;
    result.imageCheck = check_firmware_image(image, imageSize, &info);
    if (result.imageCheck != FirmwareImageCheck::Ok) {
        result.status = FirmwareUdpStatus::ImageRejected;
        return result;
    }
    const uint8_t* payload = image + kFirmwareHeaderSize;
    const uint32_t length = info.length;
    auto log = [&](const std::string& line) {
        if (hooks.log) hooks.log(line);
    };

    // The one packet awaiting its answer.
    std::vector<uint8_t> pendingFrame;
    uint32_t pendingOp = 0;
    int64_t deadline = 0;
    int resends = 0;
    uint32_t lastDataCrc = 0;

    auto transmit = [&](const std::vector<uint8_t>& frame) {
        ++result.packetsSent;
        return io.send(frame.data(), frame.size()) == static_cast<int>(frame.size());
    };
    auto sendTracked = [&](uint32_t op, uint32_t crc, const uint8_t* data, size_t n) {
        pendingFrame = firmware_udp_packet(sn, op, crc, data, n);
        pendingOp = op;
        deadline = io.nowMs() + kFirmwareReplyDeadlineMs;
        return transmit(pendingFrame);
    };
    auto controlArgument = [](uint32_t value) {
        std::vector<uint8_t> arg(4);
        put_le32(arg.data(), value);
        return arg;
    };
    auto fail = [&](FirmwareUdpStatus status) {
        result.status = status;
        return result;
    };

    const std::vector<uint8_t> lengthArg = controlArgument(length);
    if (!sendTracked(kFirmwareOpStart, 0, lengthArg.data(), lengthArg.size()))
        return fail(FirmwareUdpStatus::SendFailed);

    uint8_t datagram[1024];
    for (;;) {
        // Wake at the pending packet's deadline at the latest, so silence is
        // noticed as surely as a stream of unrelated datagrams.
        const int64_t left = deadline - io.nowMs();
        const int waitMs = static_cast<int>(std::clamp<int64_t>(left, 0, kFirmwareWaitRoundMs));
        const int ready = io.wait(waitMs);
        if (ready < 0) return fail(FirmwareUdpStatus::WaitFailed);

        if (io.nowMs() >= deadline) {
            log("later " + hexWord(pendingOp));
            deadline = io.nowMs() + kFirmwareReplyDeadlineMs;
            if (!transmit(pendingFrame)) return fail(FirmwareUdpStatus::SendFailed);
            if (++resends > kFirmwareMaxResends) {
                result.operation = pendingOp;
                return fail(FirmwareUdpStatus::NoAnswer);
            }
        }
        if (ready == 0) continue;

        const int n = io.receive(datagram, sizeof datagram);
        if (n < 0) return fail(FirmwareUdpStatus::ReceiveFailed);
        uint32_t echoed = 0, status = 0;
        if (n == 0 || !parse_firmware_reply(datagram, static_cast<size_t>(n), sn, echoed, status)) continue;
        // A late answer to a packet that has been answered already, or a
        // garbled echo: acting on it could skip data or finish early.
        if (echoed != pendingOp) continue;
        if (status != 0) {
            result.operation = echoed;
            result.deviceStatus = status;
            return fail(FirmwareUdpStatus::Refused);
        }
        resends = 0;

        if (echoed == kFirmwareOpFinish) {
            if (hooks.progress) hooks.progress(length, length);
            const std::vector<uint8_t> closeArg = controlArgument(kFirmwareCloseArgument);
            // The device has written the image; the close packet is a courtesy
            // it does not answer, so a failure to send it changes nothing.
            transmit(
                firmware_udp_packet(sn, kFirmwareOpClose, lastDataCrc, closeArg.data(), closeArg.size()));
            result.status = FirmwareUdpStatus::Ok;
            return result;
        }
        const uint32_t next = echoed == kFirmwareOpStart ? 0 : echoed + uint32_t(kFirmwareChunk);
        if (hooks.progress) hooks.progress(next, length);
        bool sent;
        if (next + kFirmwareChunk > length) {
            log("OP_WRITE_IAP");
            sent = sendTracked(kFirmwareOpFinish, lastDataCrc, lengthArg.data(), lengthArg.size());
        } else {
            log(std::to_string(next));
            lastDataCrc = crc32_words(payload + next, kFirmwareChunk / 4);
            sent = sendTracked(next, lastDataCrc, payload + next, kFirmwareChunk);
        }
        if (!sent) return fail(FirmwareUdpStatus::SendFailed);
    }
}
