// Hostile and broken input for both decoders: whatever arrives, they stay
// inside the caller's buffers and report sane values. Each input is copied to
// a heap block of exactly its size, so a sanitizer build catches any read
// past the end.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "legacy_decoder.h"
#include "packet_builder.h"
#include "scan_decoder.h"

using pb::Bytes;

namespace {

constexpr uint8_t kCanary = 0xA5;
constexpr size_t kGuard = 32;

// Caller state kept between calls, with guard bytes behind each output buffer.
struct Caller {
    uint8_t flags[8] = {};
    std::unique_ptr<RawData> raw = std::make_unique<RawData>();
    int mode = kStreamModeGeneral;
    char message[kMessageBufferSize + kGuard];
    uint8_t header[kReplyHeaderSize + kGuard];
    SegmentNode* segments = nullptr;

    Caller() = default;
    Caller(const Caller&) = delete;
    ~Caller() { free_segment_list(segments); }

    void arm() {
        std::memset(message, 0, kMessageBufferSize);
        std::memset(message + kMessageBufferSize, kCanary, kGuard);
        std::memset(header + kReplyHeaderSize, kCanary, kGuard);
    }

    void expectSane(size_t len, size_t consumed) {
        EXPECT_LE(consumed, len);
        EXPECT_LE(raw->count, kMaxFanPoints);
        EXPECT_NE(std::memchr(message, 0, kMessageBufferSize), nullptr) << "message not NUL-terminated";
        for (size_t i = 0; i < kGuard; ++i) {
            ASSERT_EQ(uint8_t(message[kMessageBufferSize + i]), kCanary) << "message overrun";
            ASSERT_EQ(header[kReplyHeaderSize + i], kCanary) << "header overrun";
        }
        for (uint8_t f : flags) EXPECT_LE(f, 1);
        EXPECT_TRUE(mode == kStreamModeGeneral || mode == kStreamModeLegacy);
    }

    // General decoder; returns the kind and checks the invariants.
    int general(const Bytes& in, size_t& consumed) {
        std::unique_ptr<uint8_t[]> exact(new uint8_t[in.size() ? in.size() : 1]);
        if (!in.empty()) std::memcpy(exact.get(), in.data(), in.size());
        arm();
        consumed = 0;
        const int kind = decode_stream_message(in.size(), exact.get(), flags, *raw, consumed, true, mode,
                                               message, header, segments);
        EXPECT_GE(kind, KindNothing);
        EXPECT_LE(kind, KindTextLine);
        expectSane(in.size(), consumed);
        return kind;
    }

    int legacy(const Bytes& in, size_t& consumed) {
        std::unique_ptr<uint8_t[]> exact(new uint8_t[in.size() ? in.size() : 1]);
        if (!in.empty()) std::memcpy(exact.get(), in.data(), in.size());
        arm();
        consumed = 0;
        const int kind = decode_legacy_stream(in.size(), exact.get(), flags, *raw, consumed, true);
        EXPECT_TRUE(kind == 0 || kind == 1 || kind == 9) << kind;
        expectSane(in.size(), consumed);
        return kind;
    }
};

Bytes randomBytes(std::mt19937& rng, size_t n) {
    Bytes b(n);
    for (auto& c : b) c = uint8_t(rng());
    return b;
}

// One valid packet of every family the stream carries.
std::vector<Bytes> everyFamily() {
    std::vector<uint16_t> mm;
    std::vector<uint8_t> en;
    for (int i = 0; i < 40; ++i) {
        mm.push_back(uint16_t(900 + 11 * i));
        en.push_back(uint8_t(i));
    }
    return {
        pb::fanCE(360, mm, en),
        pb::fanCE(3420, mm, en),
        pb::fanCF(1800, 360, mm, en),
        pb::fanDF(900, 360, 9000, 12600, mm, en),
        pb::fanDF(900, 360, 9000, 9000, {5}, {1}),
        pb::fan9D(2700, 360, mm),
        pb::fan99(400, 1600, 12345, mm, en),
        pb::segAA(pb::makeSegment(40, 0, 0, 36000, 40)),
        pb::segC7(pb::makeSegment(40, 0, 0, 36000, 40)),
        pb::legacyCE(720, mm),
        pb::status(0x0F),
        pb::lmsg(),
        pb::paramReply(1),
        pb::keepAliveReply(2),
        pb::textReply(3, "LSTOPH"),
        pb::lhReply(0xAC, 0xFF, 4, pb::text("OK")),
        pb::lhReply(0xB8, 0xA5, 5, Bytes(24, 0)),
        pb::lhReply(0xAC, 0xA5, 6, Bytes(24, 0)),
        pb::amRecord(),
        pb::text("#SRPM:15\r\n"),
    };
}

// Random bytes salted with fragments of real packets, so the scan reaches
// the deeper branches far more often than pure noise would.
Bytes saltedNoise(std::mt19937& rng, size_t n, const std::vector<Bytes>& families) {
    Bytes b = randomBytes(rng, n);
    const int salts = int(rng() % 8);
    for (int i = 0; i < salts && !b.empty(); ++i) {
        const Bytes& f = families[rng() % families.size()];
        const size_t take = 1 + rng() % f.size();
        const size_t at = rng() % b.size();
        for (size_t k = 0; k < take && at + k < b.size(); ++k) b[at + k] = f[k];
    }
    return b;
}

}  // namespace

TEST(DecoderRobustness, RandomBuffersStayInBounds) {
    for (unsigned seed : {1u, 2u, 3u, 42u, 2024u}) {
        std::mt19937 rng(seed);
        Caller general, legacy;
        for (int i = 0; i < 400; ++i) {
            const Bytes in = randomBytes(rng, rng() % 4097);
            size_t consumed;
            general.general(in, consumed);
            legacy.legacy(in, consumed);
        }
    }
}

TEST(DecoderRobustness, SaltedBuffersStayInBounds) {
    const auto families = everyFamily();
    for (unsigned seed : {7u, 8u, 9u, 1234u}) {
        std::mt19937 rng(seed);
        Caller general, legacy;
        for (int i = 0; i < 1500; ++i) {
            const Bytes in = saltedNoise(rng, rng() % 3000, families);
            size_t consumed;
            general.general(in, consumed);
            legacy.legacy(in, consumed);
        }
    }
}

TEST(DecoderRobustness, EveryTruncationOfEveryFamily) {
    for (const Bytes& full : everyFamily()) {
        for (size_t k = 0; k <= full.size(); ++k) {
            SCOPED_TRACE(testing::Message() << "magic " << int(full[0]) << "," << int(full[1]) << " prefix "
                                            << k << " of " << full.size());
            const Bytes cut(full.begin(), full.begin() + long(k));
            Caller g, l;
            size_t consumed;
            const int kind = g.general(cut, consumed);
            // A cut packet never yields a fan.
            const int lk = l.legacy(cut, consumed);
            if (k < full.size()) {
                EXPECT_NE(kind, KindFan);
                EXPECT_NE(lk, 1);
            }
        }
    }
}

TEST(DecoderRobustness, WholePacketsOfEveryFamilyDecode) {
    // The other side of the truncation test: the complete packet is recognised.
    const std::vector<int> kinds = {KindFan,         KindFan,           KindFan,
                                    KindFan,         KindFan,           KindFan,
                                    KindFan,         KindFan,           KindFan,
                                    KindNothing,     KindStatusPacket,  KindLmsg,
                                    KindParamBlock,  KindKeepAlive,     KindPayloadReply,
                                    KindStatusReply, KindZoneReadReply, KindZoneWriteReply,
                                    KindAmRecord,    KindTextLine};
    const auto families = everyFamily();
    ASSERT_EQ(families.size(), kinds.size());
    for (size_t i = 0; i < families.size(); ++i) {
        Caller g;
        size_t consumed;
        EXPECT_EQ(g.general(families[i], consumed), kinds[i]) << "family " << i;
    }
}

TEST(DecoderRobustness, RandomSegmentStreamsKeepTheListSane) {
    std::mt19937 rng(99);
    Caller c;
    for (int i = 0; i < 3000; ++i) {
        pb::Segment s = pb::makeSegment(uint16_t(rng() % 700), uint16_t(rng() % 4), rng() % 400000,
                                        rng() % 400000, int(rng() % 300));
        s.word20 = rng() % 3;
        s.word24 = rng() % 3;
        Bytes pkt = (rng() & 1) ? pb::segAA(s) : pb::segC7(s);
        if (rng() % 10 == 0) pkt = pb::corruptChecksum(pkt);
        size_t consumed;
        const int kind = c.general(pkt, consumed);
        EXPECT_EQ(consumed, pkt.size());
        if (kind == KindFan) {
            EXPECT_LE(c.raw->count, kMaxFanPoints);
        }
        int pending = 0;
        for (SegmentNode* n = c.segments; n; n = n->next) ++pending;
        EXPECT_LE(pending, kMaxFanPoints);
    }
}

TEST(DecoderRobustness, LongReplyLineIsBounded) {
    Caller c;
    Bytes in(5000, 'x');
    pb::append(in, pb::text("\r\n123456"));
    size_t consumed;
    EXPECT_EQ(c.general(in, consumed), KindTextLine);
    EXPECT_EQ(std::strlen(c.message), kMessageBufferSize - 1);
}

TEST(DecoderRobustness, LegacyWithEveryFlagCombination) {
    std::mt19937 rng(5);
    for (int flags = 0; flags < 256; ++flags) {
        Caller c;
        for (int i = 0; i < 8; ++i) c.flags[i] = (flags >> i) & 1;
        std::vector<uint16_t> w;
        for (int i = 0; i < 60; ++i) w.push_back(uint16_t(rng()));
        size_t consumed;
        ASSERT_EQ(c.legacy(pb::legacyCE(1080, w), consumed), 1);
        for (int i = 0; i < 60; ++i) {
            EXPECT_GE(c.raw->points[i].distance, 0.0f);
            EXPECT_LE(c.raw->points[i].energy, 7);
        }
    }
}
