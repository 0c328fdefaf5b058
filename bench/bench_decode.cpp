// Decoding throughput of the general stream decoder, checksums verified:
// a stream of 0xFACF fans and a stream of 0xFAAA segments, decoded message by
// message the way the receiver and playback walk a buffer.

#include <benchmark/benchmark.h>

#include "../tests/protocol/decoder_harness.h"
#include "../tests/protocol/packet_builder.h"
#include "stream_replay.h"

namespace {

constexpr int kTurns = 100;
constexpr int kPointsPerFan = 300;

std::vector<uint16_t> distances(int n, int seed) {
    std::vector<uint16_t> v;
    for (int i = 0; i < n; ++i) v.push_back(uint16_t(500 + (i * 37 + seed * 101) % 20000));
    return v;
}

std::vector<uint8_t> energies(int n, int seed) {
    std::vector<uint8_t> v;
    for (int i = 0; i < n; ++i) v.push_back(uint8_t(i * 7 + seed));
    return v;
}

// kTurns revolutions of ten 36-degree 0xFACF fans.
pb::Bytes cfStream() {
    pb::Bytes b;
    for (int t = 0; t < kTurns; ++t)
        for (int s = 0; s < 3600; s += 360)
            pb::append(b,
                       pb::fanCF(uint16_t(s), 360, distances(kPointsPerFan, s), energies(kPointsPerFan, t)));
    return b;
}

// The same revolutions as 0xFAAA fans in two segments each.
pb::Bytes aaStream() {
    pb::Bytes b;
    uint32_t id = 1;
    for (int t = 0; t < kTurns; ++t)
        for (int s = 0; s < 3600; s += 360, ++id) {
            const uint32_t start = uint32_t(s) * 100, end = start + 36000;
            const int half = kPointsPerFan / 2;
            for (int k = 0; k < 2; ++k) {
                pb::Segment seg = pb::makeSegment(kPointsPerFan, uint16_t(k), start + uint32_t(k) * 18000,
                                                  end, half, uint16_t(600 + s), 120);
                seg.word20 = id;
                seg.word24 = id * 1000;
                pb::append(b, pb::segAA(seg));
            }
        }
    return b;
}

void decodeAll(benchmark::State& state, const pb::Bytes& stream) {
    DecoderHarness d;
    int64_t fans = 0;
    for (auto _ : state) {
        size_t pos = 0;
        while (pos < stream.size()) {
            if (d.decode(stream.data() + pos, stream.size() - pos) == KindFan) ++fans;
            if (d.consumed == 0) break;
            pos += d.consumed;
        }
        benchmark::DoNotOptimize(d.raw->points[0].distance);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
    state.counters["fans/s"] = benchmark::Counter(double(fans), benchmark::Counter::kIsRate);
}

void BM_DecodeFanCF(benchmark::State& state) {
    static const pb::Bytes stream = cfStream();
    decodeAll(state, stream);
}
BENCHMARK(BM_DecodeFanCF);

void BM_DecodeSegmentsAA(benchmark::State& state) {
    static const pb::Bytes stream = aaStream();
    decodeAll(state, stream);
}
BENCHMARK(BM_DecodeSegmentsAA);

// The whole playback path: decoder, boundary and collection into revolutions.
void BM_ReplayFanCF(benchmark::State& state) {
    static const pb::Bytes stream = cfStream();
    int64_t revolutions = 0;
    ReplaySink sink;
    sink.revolution = [&](const Revolution&, float) { ++revolutions; };
    for (auto _ : state) benchmark::DoNotOptimize(replay_stream(stream.data(), stream.size(), sink).fans);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
    state.counters["revolutions/s"] = benchmark::Counter(double(revolutions), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReplayFanCF);

}  // namespace
