#pragma once
// A recording (data0.dump) loaded for replay: the whole file is read into
// memory at once, as replay needs it, and refused above kMaxReplayBytes.
//
// Replay only moves forward, so the pages behind the decoder can be handed
// back to the system while it runs (release); a jump back reads them again
// from the still open file (restore). Memory then stays near the size of
// what the caller builds from the stream rather than file plus result.
//
// Linux: an anonymous mapping (huge pages where the system allows) filled
// with read(), trimmed with madvise.
// One thread uses an instance; data() stays valid until it is destroyed.

#include <cstddef>
#include <cstdint>
#include <string>

class RecordingFile {
public:
    enum Status {
        Ok,
        OpenFailed,      // the file cannot be opened (errorNumber() says why)
        NotRegularFile,  // a directory, a device, a pipe ...
        TooLarge,        // more than kMaxReplayBytes
        ReadFailed,      // reading failed part-way (errorNumber() says why)
    };

    RecordingFile() = default;
    ~RecordingFile();
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    // Reads path whole. An empty file is Ok with size() 0.
    Status open(const std::string& path);
    // errno of the last failure of open() or restore().
    int errorNumber() const { return m_errno; }

    const uint8_t* data() const { return m_data; }
    size_t size() const { return m_size; }

    // Gives the memory before position back to the system, in whole blocks
    // of 2 MiB. The bytes there must not be read until restore() brings
    // them back.
    void release(size_t position);
    // Makes [position, size()) readable again. False when the file can no
    // longer be read there (the bytes are then zero).
    bool restore(size_t position);
    // Start of the bytes that may be read.
    size_t readableFrom() const { return m_readableFrom; }

private:
    void close();

    int m_fd = -1;
    void* m_map = nullptr;
    uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_mapped = 0;
    size_t m_readableFrom = 0;
    int m_errno = 0;
};
