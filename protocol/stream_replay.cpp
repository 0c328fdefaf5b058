#include "stream_replay.h"

#include <cmath>
#include <cstring>

#include "frame_collect.h"
#include "legacy_decoder.h"

namespace {

int countSegments(const SegmentNode* node) {
    int n = 0;
    for (; node; node = node->next) ++n;
    return n;
}

}  // namespace

StreamReplay::StreamReplay(const uint8_t* data, size_t size, bool verifyChecksum, bool nearZero)
    : m_data(data), m_size(data ? size : 0), m_verify(verifyChecksum), m_nearZero(nearZero) {}

StreamReplay::~StreamReplay() {
    free_segment_list(m_segments);
}

int StreamReplay::step(const ReplaySink& sink) {
    if (atEnd()) return KindNothing;
    const size_t remaining = m_size - m_position;
    const uint8_t* at = m_data + m_position;
    size_t consumed = 0;
    std::memset(m_message, 0, sizeof m_message);

    const bool legacy = m_mode != kStreamModeGeneral;
    const int pendingBefore = countSegments(m_segments);
    const int kind = legacy ? decode_legacy_stream(remaining, at, m_flags, m_fan, consumed, m_verify)
                            : decode_stream_message(remaining, at, m_flags, m_fan, consumed, m_verify, m_mode,
                                                    m_message, m_header, m_segments);
    if (consumed > remaining) consumed = remaining;
    const bool dropped = consumed > 0;

    if (!legacy && (kind == KindZoneReadReply || kind == KindZoneWriteReply)) {
        // Live, the zone worker parses these from where the decoder stopped;
        // here nobody does, so step over the reply (8-byte header + body).
        const size_t end = consumed + kReplyHeaderSize + (m_header[6] | (m_header[7] << 8));
        consumed = end <= remaining ? end : consumed + 1;
    }
    // Nothing may be dropped: fewer than 8 bytes are left or a message runs
    // past the end of the recording. Skip one byte so that a false start
    // cannot hide the messages behind it and the loop always ends.
    if (consumed == 0) consumed = 1;

    if (kind == KindFan) {
        ++m_fans;
        if (sink.fan) sink.fan(m_fan);
        collect(sink, m_position + consumed);
    } else if (kind == KindNoFan && isFailure(legacy, dropped, pendingBefore)) {
        ++m_errors;
        if (sink.decodeError) sink.decodeError(m_message, m_errors, m_frames);
    }
    m_position += consumed;
    return kind;
}

bool StreamReplay::isFailure(bool legacy, bool dropped, int pendingBefore) const {
    // The legacy decoder also answers 0 for "nothing here yet"; only a packet
    // it dropped (bytes consumed) is a failure.
    if (legacy) return dropped;
    // A segment that joined its fan's pending list is progress, not a failure.
    const bool segmentQueued = m_message[0] == '\0' && countSegments(m_segments) == pendingBefore + 1;
    return !segmentQueued;
}

void StreamReplay::collect(const ReplaySink& sink, size_t endOfMessage) {
    if (m_boundary < 0) {
        const int r = find_frame_boundary(m_fan, m_nearZero, m_accumulator, m_errorText);
        if (r >= 0) {
            m_boundary = r;
            if (sink.boundary) sink.boundary(r);
        } else if (r == -2 && sink.revolutionDropped) {
            sink.revolutionDropped(m_errorText);
        }
    } else {
        const int r = collect_frame_fan(m_fan, m_boundary, m_accumulator, m_errorText);
        if (r == 1) {
            ++m_frames;
            // 100 marks the end of the stream for the playback cache; a
            // revolution that ends on the last byte must not look like it.
            float progress = float(double(endOfMessage) / double(m_size) * 100.0);
            if (progress >= 100.0f) progress = std::nextafter(100.0f, 0.0f);
            if (sink.revolution) sink.revolution(m_accumulator, progress);
            m_accumulator.clear();
        } else if (r < 0 && sink.revolutionDropped) {
            sink.revolutionDropped(m_errorText);
        }
    }
    m_errorText.clear();
}

void StreamReplay::seekPercent(int percent) {
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    m_position = size_t(uint64_t(percent) * m_size / 100);
    // The fans collected so far and the segments of a half-received fan
    // belong to another stretch of the stream: a revolution must never be
    // stitched together from two places.
    m_accumulator.clear();
    free_segment_list(m_segments);
}

void StreamReplay::finish(const ReplaySink& sink) {
    if (sink.finished) sink.finished(m_accumulator);
    m_accumulator.clear();
}

ReplaySummary replay_stream(const uint8_t* data, size_t size, const ReplaySink& sink, bool verifyChecksum,
                            bool nearZero) {
    StreamReplay replay(data, size, verifyChecksum, nearZero);
    while (!replay.atEnd()) replay.step(sink);
    replay.finish(sink);
    ReplaySummary summary;
    summary.bytes = replay.size();
    summary.fans = replay.fanCount();
    summary.revolutions = replay.frameCount();
    summary.decodeErrors = replay.errorCount();
    summary.boundary = replay.boundary();
    return summary;
}
