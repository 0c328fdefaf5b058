#pragma once
// Holds the caller-side state of the general and legacy decoders the way the
// receiver keeps it between reads, so a test reads like a stream of calls.

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "legacy_decoder.h"
#include "scan_decoder.h"

struct DecoderHarness {
    uint8_t flags[8] = {};
    std::unique_ptr<RawData> raw = std::make_unique<RawData>();
    size_t consumed = 0;
    int mode = kStreamModeGeneral;
    char message[kMessageBufferSize] = {};
    uint8_t header[kReplyHeaderSize] = {};
    SegmentNode* segments = nullptr;

    DecoderHarness() = default;
    DecoderHarness(const DecoderHarness&) = delete;
    ~DecoderHarness() { free_segment_list(segments); }

    // One call of the general decoder, with fresh consumed and message buffer.
    int decode(const std::vector<uint8_t>& bytes, bool verify = true) {
        return decode(bytes.data(), bytes.size(), verify);
    }
    int decode(const uint8_t* data, size_t len, bool verify = true) {
        consumed = 0;
        std::memset(message, 0, sizeof message);
        return decode_stream_message(len, data, flags, *raw, consumed, verify, mode, message, header,
                                     segments);
    }

    int legacy(const std::vector<uint8_t>& bytes, bool verify = true) {
        return legacy(bytes.data(), bytes.size(), verify);
    }
    int legacy(const uint8_t* data, size_t len, bool verify = true) {
        consumed = 0;
        return decode_legacy_stream(len, data, flags, *raw, consumed, verify);
    }

    std::string text() const { return std::string(message); }
    int pendingSegments() const {
        int n = 0;
        for (SegmentNode* s = segments; s; s = s->next) ++n;
        return n;
    }
};
