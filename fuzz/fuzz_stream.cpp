// The general stream decoder as the receiver drives it: one input is a stream
// walked message by message with the segment list and status flags kept
// between calls, then replayed as a recording through the revolution
// collectors (the playback path).

#include "../tests/protocol/decoder_harness.h"
#include "fuzz_entry.h"
#include "stream_replay.h"

VANTREL_FUZZ_TARGET(stream) {
    const auto exact = fuzz::exactCopy(data, size);
    const uint8_t* bytes = exact.get();

    DecoderHarness d;
    for (size_t pos = 0; pos < size; pos += d.consumed ? d.consumed : 1) {
        const int kind = d.decode(bytes + pos, size - pos);
        FUZZ_CHECK(kind >= KindNothing && kind <= KindTextLine);
        FUZZ_CHECK(d.consumed <= size - pos);
        FUZZ_CHECK(d.raw->count <= kMaxFanPoints);
        FUZZ_CHECK(std::memchr(d.message, 0, sizeof d.message) != nullptr);
        FUZZ_CHECK(d.mode == kStreamModeGeneral || d.mode == kStreamModeLegacy);
    }

    int revolutions = 0;
    ReplaySink sink;
    sink.revolution = [&](const Revolution& revolution, float progress) {
        int span = 0;
        for (const RawData& fan : revolution) span += fan.span;
        FUZZ_CHECK(span == 3600);
        FUZZ_CHECK(progress >= 0.0f && progress < 100.0f);
        ++revolutions;
    };
    const ReplaySummary summary = replay_stream(bytes, size, sink);
    FUZZ_CHECK(summary.revolutions == revolutions);
    FUZZ_CHECK(summary.bytes == size);
    return 0;
}
