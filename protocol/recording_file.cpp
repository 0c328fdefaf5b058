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
    if (m_data) munmap(m_data, m_mapped);
    if (m_fd >= 0) ::close(m_fd);
    m_data = nullptr;
    m_fd = -1;
    m_size = 0;
    m_mapped = 0;
    m_readableFrom = 0;
}

RecordingFile::Status RecordingFile::open(const std::string& path) {
    close();
    m_errno = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
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
    void* map = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED) {
        m_errno = errno;
        close();
        return ReadFailed;
    }
    m_data = static_cast<uint8_t*>(map);
    m_size = m_mapped = size;
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
    const size_t end = position / pageSize() * pageSize();
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
