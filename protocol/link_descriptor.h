#pragma once
// Private to the transports: a freshly opened descriptor made fit to be a
// link handle. Handle 0 means "not open" to every caller, yet the system
// hands out descriptor 0 when standard input is closed; such a descriptor is
// moved up out of the way (0 stays free, the move keeps close-on-exec).

#include <fcntl.h>
#include <unistd.h>

// The descriptor itself, a copy of it above 2 when it was 0, or -1 when the
// descriptor was negative or could not be moved (it is closed then).
inline int link_descriptor(int fd) {
    if (fd != 0) return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    return moved;
}
