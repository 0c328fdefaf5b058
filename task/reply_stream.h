#pragma once
// The receive buffer and decode state of one stream of scanner messages, and
// the handling of the command replies that every receive loop shares: the
// data receiver's loops (UDP, serial, TCP data connection) and the TCP
// command worker. Private to task/; a stream is used only on the thread of
// the loop that owns it.

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "le_bytes.h"
#include "rawdata.h"
#include "recvtrace.h"
#include "scan_decoder.h"

struct ReplyStream {
    explicit ReplyStream(size_t capacity) : buffer(capacity, 0), raw(std::make_unique<RawData>()) {}
    ~ReplyStream() { free_segment_list(segments); }
    ReplyStream(const ReplyStream&) = delete;
    ReplyStream& operator=(const ReplyStream&) = delete;

    // Decodes one message from buffer[0..len); `consumed` receives the bytes
    // the caller may drop from the front.
    int decode(size_t len, uint8_t statusFlags[8], int& streamMode, size_t& consumed) {
        consumed = 0;
        std::memset(message, 0, sizeof message);
        return decode_stream_message(len, buffer.data(), statusFlags, *raw, consumed, true, streamMode,
                                     message, header, segments);
    }

    // Fields of the header of the last "LH" reply.
    int sign() const { return le16(header); }
    int sn() const { return le16(header + 4); }

    // The payload of the reply that ends at `consumed` (header, len bytes, 4
    // CRC bytes); empty when the announced length does not fit before it.
    QByteArray payload(size_t consumed) const {
        const size_t len = le16(header + 6);
        if (consumed < len + kReplyHeaderSize + 4) return QByteArray();
        return QByteArray(reinterpret_cast<const char*>(buffer.data() + consumed - len - 4), int(len));
    }

    // The end of the zone reply whose header starts at `at`, once all of it
    // lies within buffer[0..len); `at` itself while part of it is missing.
    size_t frameEnd(size_t at, size_t len) const {
        const size_t end = at + kReplyHeaderSize + le16(header + 6);
        return end <= len ? end : at;
    }

    // Removes `consumed` bytes from the front (traced when `undecodable`).
    // A full buffer from which nothing could be consumed (a frame header
    // announcing more than the buffer holds) would stall the stream for good,
    // so its first half is dropped like undecodable bytes. Returns the number
    // of bytes removed.
    size_t consumeFront(size_t consumed, bool undecodable) {
        if (consumed == 0 && held == buffer.size()) {
            consumed = held / 2;
            undecodable = true;
        }
        consumed = std::min(consumed, held);
        if (consumed == 0) return 0;
        if (undecodable) {
            const uint8_t* b = buffer.data();
            recvTrace("task/reply_stream.h", __LINE__, "ReplyStream::consumeFront")
                << QString::asprintf("drop %d bytes: %02x %02x %02x %02x %02x %02x", int(consumed), b[0],
                                     b[1], b[2], b[3], b[4], b[5]);
        }
        std::memmove(buffer.data(), buffer.data() + consumed, held - consumed);
        held -= consumed;
        return consumed;
    }

    std::vector<uint8_t> buffer;
    size_t held = 0;  // bytes of `buffer` in use (stream loops only)
    char message[kMessageBufferSize] = {};
    uint8_t header[kReplyHeaderSize] = {};
    std::unique_ptr<RawData> raw;
    SegmentNode* segments = nullptr;
};

// Reports a reply to a command (parameter block, C_PACK payload reply, S_PACK
// status reply) through the sig_data and sig_CmdRecv signals of `owner`.
// `consumed` is what the decoder returned with it. False for other kinds.
template <class Owner>
bool emitCommandReply(Owner* owner, int kind, const ReplyStream& s, size_t consumed) {
    const int sign = s.sign();
    const int sn = s.sn();
    switch (kind) {
        case KindParamBlock:
            recvTrace("task/reply_stream.h", __LINE__, "emitCommandReply") << "parameter block" << sn;
            emit owner->sig_data(5, QByteArray(s.message, int(kMessageBufferSize)));
            emit owner->sig_CmdRecv(sign, sn, true);
            return true;
        case KindPayloadReply: {
            const QByteArray reply = s.payload(consumed);
            emit owner->sig_CmdRecv(sign, sn, true);
            recvTrace("task/reply_stream.h", __LINE__, "emitCommandReply") << "reply" << sn << reply;
            emit owner->sig_data(12, reply);
            return true;
        }
        case KindStatusReply: {
            const bool isOK = !(s.message[0] == 'N' && s.message[1] == 'G');
            emit owner->sig_data(12, s.payload(consumed));
            emit owner->sig_CmdRecv(sign, sn, isOK);
            recvTrace("task/reply_stream.h", __LINE__, "emitCommandReply") << "status reply" << sn << isOK;
            return true;
        }
        default:
            return false;
    }
}
