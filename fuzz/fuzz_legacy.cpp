// The legacy serial decoder (stream mode 2): one input is a stream walked the
// way the serial receiver walks it, the units and energy flags chosen by the
// input's first byte as an earlier status packet would have set them.

#include "../tests/protocol/decoder_harness.h"
#include "fuzz_entry.h"

VANTREL_FUZZ_TARGET(legacy) {
    const auto exact = fuzz::exactCopy(data, size);
    const uint8_t* bytes = exact.get();

    DecoderHarness d;
    if (size > 0)
        for (int i = 0; i < 8; ++i) d.flags[i] = (bytes[0] >> i) & 1;
    for (size_t pos = 0; pos < size; pos += d.consumed ? d.consumed : 1) {
        const int kind = d.legacy(bytes + pos, size - pos);
        FUZZ_CHECK(kind == 0 || kind == 1 || kind == 9);
        FUZZ_CHECK(d.consumed <= size - pos);
        FUZZ_CHECK(d.raw->count <= kMaxFanPoints);
        if (kind == 1) FUZZ_CHECK(d.raw->span == 360);
        for (uint8_t flag : d.flags) FUZZ_CHECK(flag <= 1);
    }
    return 0;
}
