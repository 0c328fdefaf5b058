#pragma once
// Decoding a recorded byte stream (data0.dump) into fans and revolutions, the
// way playback does it: the general decoder until a status packet switches
// to the legacy one, checksums verified, the revolution boundary taken from
// the first full turn (fan start nearest 180.0 degrees), then every fan
// collected until one closes the boundary.
//
// Playback and `vantrel-cli decode` both run this code; there is no other
// decoder for recordings. The caller owns the bytes, which must outlive the
// StreamReplay. Not thread-safe: one thread steps one instance; the sink's
// callbacks run on that thread, inside step().

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "rawdata.h"
#include "scan_decoder.h"

// Recordings are held in memory whole; larger files are refused.
constexpr size_t kMaxReplayBytes = 52428800;  // 50 MiB, inclusive

// Receives what the stream yields. Every member may be left empty.
struct ReplaySink {
    // Every decoded fan, before it is collected (also the fans of the first turn).
    std::function<void(const RawData& fan)> fan;
    // The revolution boundary, 0.1 degree, once per stream.
    std::function<void(int boundary)> boundary;
    // One complete 360-degree revolution and the share of the stream read so
    // far in percent. Always below 100, so that 100 can mark the end.
    std::function<void(const Revolution& revolution, float progress)> revolution;
    // A fan packet that failed (checksum, dropped segments, a legacy packet
    // dropped): the decoder's message text (may be empty), the failure count
    // and the revolution count so far. A segment waiting for the rest of its
    // fan is not a failure.
    std::function<void(const char* message, int errorCount, int frameCount)> decodeError;
    // A turn or revolution whose spans did not add up; the collector's text.
    std::function<void(const std::string& errorText)> revolutionDropped;
    // End of the stream: the fans collected after the last complete revolution.
    std::function<void(const Revolution& partial)> finished;
};

class StreamReplay {
public:
    StreamReplay(const uint8_t* data, size_t size, bool verifyChecksum = true, bool nearZero = false);
    ~StreamReplay();
    StreamReplay(const StreamReplay&) = delete;
    StreamReplay& operator=(const StreamReplay&) = delete;

    bool atEnd() const { return m_position >= m_size; }

    // Decodes one message at the current position and moves past it. The
    // position moves forward by at least one byte on every call, also when
    // nothing decodable is left. Returns the decoder's kind.
    int step(const ReplaySink& sink);

    // Jumps to percent (0..100, clamped) of the stream; integer arithmetic.
    // The partly collected revolution and pending segments are dropped.
    void seekPercent(int percent);

    // Calls sink.finished with the fans collected after the last revolution
    // and empties the accumulator.
    void finish(const ReplaySink& sink);

    size_t position() const { return m_position; }
    size_t size() const { return m_size; }
    int boundary() const { return m_boundary; }
    int streamMode() const { return m_mode; }
    int fanCount() const { return m_fans; }
    int frameCount() const { return m_frames; }
    int errorCount() const { return m_errors; }
    const uint8_t* statusFlags() const { return m_flags; }

private:
    void collect(const ReplaySink& sink, size_t endOfMessage);
    bool isFailure(bool legacy, bool dropped, int pendingBefore) const;

    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
    bool m_verify;
    bool m_nearZero;
    int m_mode = kStreamModeGeneral;
    int m_boundary = -1;
    int m_fans = 0;
    int m_frames = 0;
    int m_errors = 0;
    uint8_t m_flags[8] = {};
    uint8_t m_header[kReplyHeaderSize] = {};
    char m_message[kMessageBufferSize] = {};
    SegmentNode* m_segments = nullptr;
    RawData m_fan;
    Revolution m_accumulator;
    std::string m_errorText;
};

struct ReplaySummary {
    size_t bytes = 0;
    int fans = 0;
    int revolutions = 0;
    int decodeErrors = 0;
    int boundary = -1;
};

// Runs a StreamReplay over the whole buffer, then finish().
ReplaySummary replay_stream(const uint8_t* data, size_t size, const ReplaySink& sink,
                            bool verifyChecksum = true, bool nearZero = false);
