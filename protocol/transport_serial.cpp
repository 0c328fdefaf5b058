// Serial links through termios2. The scanners run at rates glibc's termios has
// no constant for (256000, 384000, 768000, 1000000, ...), and the probe uses a
// nominal 12345 for USB ports, so the rate is always set as a plain number
// with BOTHER. <asm/termbits.h> clashes with <termios.h>, which is why this
// file must never include the latter.

#include <asm/termbits.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <chrono>

#include "link_descriptor.h"
#include "transport.h"

namespace {

// Limits of serial_read_timed.
constexpr int kTimedReadLimitMs = 200;
constexpr int kTimedReadEmptyInARow = 3;

void pauseOneMillisecond() {
    timespec ts{0, 1000 * 1000};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

int applyLineSettings(int fd, int baud) {
    if (baud <= 0) return -1;
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0) return -1;

    // Raw 8N1, as cfmakeraw would leave it: no break or parity processing, no
    // CR/NL translation, no NUL stripping, no echo, no signals, no output
    // post-processing. The scanner's stream is binary.
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= CS8 | CLOCAL | CREAD | BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = static_cast<speed_t>(baud);
    tio.c_ospeed = static_cast<speed_t>(baud);
    // Reads return at once with whatever is buffered.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;

    if (ioctl(fd, TCSETS2, &tio) != 0) return -1;

    // The scanners' USB bridges only send while DTR/RTS are up. Pseudo-terminals
    // and some adapters have no modem lines; that is not a failure.
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)ioctl(fd, TIOCMBIS, &lines);
    return 0;
}

}  // namespace

std::string serial_device_path(const std::string& name) {
    if (!name.empty() && name[0] == '/') return name;
    return "/dev/" + name;
}

int open_serial(const std::string& name, int baud) {
    if (name.empty()) return 0;
    // O_NONBLOCK keeps open() from waiting for carrier on ports without CLOCAL
    // yet; it is cleared once CLOCAL is set. No O_EXCL: the port is shared.
    int fd = ::open(serial_device_path(name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    fd = link_descriptor(fd);
    if (fd < 0) return 0;

    if (applyLineSettings(fd, baud) != 0) {
        ::close(fd);
        return -2;
    }

    // Blocking writes (no write time-out); reads stay immediate through VMIN/VTIME.
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int set_serial_baud(int handle, int baud) {
    if (handle <= 0) return -1;
    return applyLineSettings(handle, baud) == 0 ? 0 : -2;
}

int serial_baud(int handle) {
    if (handle <= 0) return -1;
    termios2 tio{};
    if (ioctl(handle, TCGETS2, &tio) != 0) return -1;
    return static_cast<int>(tio.c_ospeed);
}

int serial_read(int handle, void* buffer, int max) {
    if (handle <= 0 || buffer == nullptr || max < 0) return -1;
    if (max == 0) return 0;
    for (;;) {
        const ssize_t got = ::read(handle, buffer, static_cast<size_t>(max));
        if (got > 0) return static_cast<int>(got);
        if (got == 0) {
            // A hung-up terminal (USB adapter unplugged, pseudo-terminal master
            // gone) also reads 0 bytes; only poll tells it from an idle line.
            pollfd pfd{handle, POLLIN, 0};
            if (::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))) return -1;
            return 0;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        return -1;
    }
}

int serial_read_timed(int handle, void* buffer, int offset, int want) {
    if (want <= 0 || buffer == nullptr || offset < 0) return 0;
    auto* out = static_cast<unsigned char*>(buffer) + offset;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimedReadLimitMs);
    int got = 0;
    int emptyInARow = 0;
    while (got < want) {
        const int n = serial_read(handle, out + got, want - got);
        if (n > 0) {
            got += n;
            emptyInARow = 0;
        } else {
            if (++emptyInARow >= kTimedReadEmptyInARow) break;
            pauseOneMillisecond();
        }
        if (std::chrono::steady_clock::now() >= deadline) break;
    }
    return got;
}

int serial_write(int handle, const void* data, int n) {
    if (handle <= 0 || data == nullptr || n <= 0) return 0;
    const auto* bytes = static_cast<const unsigned char*>(data);
    int done = 0;
    while (done < n) {
        const ssize_t put = ::write(handle, bytes + done, static_cast<size_t>(n - done));
        if (put < 0) {
            if (errno == EINTR) continue;
            break;
        }
        done += static_cast<int>(put);
    }
    return done;
}
