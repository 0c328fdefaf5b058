// libFuzzer entry: one input is a stream fed through both decoders the way a
// receiver walks its buffer (segment list and status flags kept between
// calls), and through the playback loop with its collectors.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "legacy_decoder.h"
#include "scan_decoder.h"
#include "stream_replay.h"

namespace {

void walkGeneral(const uint8_t* data, size_t size) {
    uint8_t flags[8] = {};
    auto raw = std::make_unique<RawData>();
    char message[kMessageBufferSize];
    uint8_t header[kReplyHeaderSize];
    SegmentNode* segments = nullptr;
    int mode = kStreamModeGeneral;
    size_t pos = 0;
    while (pos < size) {
        size_t consumed = 0;
        std::memset(message, 0, sizeof message);
        const int kind = decode_stream_message(size - pos, data + pos, flags, *raw, consumed, true, mode,
                                               message, header, segments);
        if (kind < -1 || kind > 11 || consumed > size - pos || raw->count > kMaxFanPoints ||
            !std::memchr(message, 0, sizeof message))
            __builtin_trap();
        pos += consumed ? consumed : 1;
    }
    free_segment_list(segments);
}

void walkLegacy(const uint8_t* data, size_t size) {
    uint8_t flags[8] = {};
    if (size > 0) {
        // Let the input choose the units and energy flags too.
        for (int i = 0; i < 8; ++i) flags[i] = (data[0] >> i) & 1;
    }
    auto raw = std::make_unique<RawData>();
    size_t pos = 0;
    while (pos < size) {
        size_t consumed = 0;
        const int kind = decode_legacy_stream(size - pos, data + pos, flags, *raw, consumed, true);
        if ((kind != 0 && kind != 1 && kind != 9) || consumed > size - pos || raw->count > kMaxFanPoints)
            __builtin_trap();
        pos += consumed ? consumed : 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so any read past the end is caught.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(exact.get(), data, size);
    walkGeneral(exact.get(), size);
    walkLegacy(exact.get(), size);
    replay_stream(exact.get(), size, ReplaySink{});
    return 0;
}
