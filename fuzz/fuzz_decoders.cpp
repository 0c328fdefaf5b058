// libFuzzer entry: one input is a stream fed through both decoders the way a
// receiver walks its buffer (segment list and status flags kept between
// calls), and through the playback loop with its collectors.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "../tests/protocol/decoder_harness.h"
#include "stream_replay.h"

namespace {

void walkGeneral(const uint8_t* data, size_t size) {
    DecoderHarness d;
    for (size_t pos = 0; pos < size; pos += d.consumed ? d.consumed : 1) {
        const int kind = d.decode(data + pos, size - pos);
        if (kind < KindNothing || kind > KindTextLine || d.consumed > size - pos ||
            d.raw->count > kMaxFanPoints || !std::memchr(d.message, 0, sizeof d.message))
            __builtin_trap();
    }
}

void walkLegacy(const uint8_t* data, size_t size) {
    DecoderHarness d;
    if (size > 0) {
        // Let the input choose the units and energy flags too.
        for (int i = 0; i < 8; ++i) d.flags[i] = (data[0] >> i) & 1;
    }
    for (size_t pos = 0; pos < size; pos += d.consumed ? d.consumed : 1) {
        const int kind = d.legacy(data + pos, size - pos);
        if ((kind != 0 && kind != 1 && kind != 9) || d.consumed > size - pos || d.raw->count > kMaxFanPoints)
            __builtin_trap();
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
