#include "recording_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "stream_replay.h"

namespace {

size_t pageSize() {
    static const size_t size = size_t(sysconf(_SC_PAGESIZE));
    return size;
}

// Huge pages make reading 50 MiB a few dozen page faults instead of more
// than ten thousand; the buffer starts on such a boundary so that every
// whole 2 MiB of it can be one, and is handed back in whole ones.
constexpr size_t kHugePage = size_t(2) << 20;

size_t roundUp(size_t n, size_t to) {
    return (n + to - 1) / to * to;
}

// Reads up to len bytes at offset; returns the bytes read or -1 (errno set).
long readAt(int fd, uint8_t* into, size_t len, size_t offset) {
    size_t got = 0;
    while (got < len) {
        const ssize_t r = pread(fd, into + got, len - got, off_t(offset + got));
        if (r < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (r == 0) break;  // the file became shorter since it was opened
        got += size_t(r);
    }
    return long(got);
}

}  // namespace

RecordingFile::~RecordingFile() {
    close();
}

void RecordingFile::close() {
    if (m_map) munmap(m_map, m_mapped);
    if (m_fd >= 0) ::close(m_fd);
    m_map = nullptr;
    m_data = nullptr;
    m_fd = -1;
    m_size = 0;
    m_mapped = 0;
    m_readableFrom = 0;
}

RecordingFile::Status RecordingFile::open(const std::string& path) {
    close();
    m_errno = 0;
    // Non-blocking, so that naming a pipe does not wait for a writer; it is
    // refused below, and regular files read the same either way.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        m_errno = errno;
        return OpenFailed;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return NotRegularFile;
    }
    if (uint64_t(st.st_size) > kMaxReplayBytes) {
        ::close(fd);
        return TooLarge;
    }
    m_fd = fd;
    if (st.st_size == 0) return Ok;

    const size_t size = size_t(st.st_size);
    const size_t mapped = roundUp(size, kHugePage) + kHugePage;
    void* map = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED) {
        m_errno = errno;
        close();
        return ReadFailed;
    }
    m_map = map;
    m_mapped = mapped;
    m_data = reinterpret_cast<uint8_t*>(roundUp(reinterpret_cast<uintptr_t>(map), kHugePage));
    madvise(m_data, roundUp(size, kHugePage), MADV_HUGEPAGE);  // a hint; without it pages are small
    m_size = size;
    const long got = readAt(fd, m_data, size, 0);
    if (got < 0) {
        m_errno = errno;
        close();
        return ReadFailed;
    }
    // A file cut short while we read it: replay what was there.
    m_size = size_t(got);
    return Ok;
}

void RecordingFile::release(size_t position) {
    if (!m_data || position > m_size) return;
    const size_t end = position / kHugePage * kHugePage;
    if (end <= m_readableFrom) return;
    madvise(m_data + m_readableFrom, end - m_readableFrom, MADV_DONTNEED);
    m_readableFrom = end;
}

bool RecordingFile::restore(size_t position) {
    if (!m_data || position >= m_readableFrom) return true;
    const size_t from = position / pageSize() * pageSize();
    const size_t len = m_readableFrom - from;
    m_readableFrom = from;
    const long got = readAt(m_fd, m_data + from, len, from);
    if (got < 0) m_errno = errno;
    return got == long(len);
}
