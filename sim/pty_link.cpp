#include "pty_link.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstdio>

#include "transport.h"

namespace sim {

namespace {

// A real serial line does not queue what nobody reads; a pseudo-terminal
// queues up to tens of kilobytes. Stream bytes are therefore only written
// while the client keeps the queue short, and a backlog is discarded before
// a reply so that the reply lies within the client's next read window.
constexpr int kStreamBacklogLimit = 2048;
constexpr int kReplyBacklogLimit = 512;

}  // namespace

PtyLink::PtyLink(CommandSink* sink, PacketFaults* faults, bool plainText, QObject* parent)
    : Link(sink, faults, parent), m_plainText(plainText), m_splitter(plainText) {}

PtyLink::~PtyLink() {
    m_notifier.reset();
    if (!m_linkPath.isEmpty()) QFile::remove(m_linkPath);
    if (m_slave >= 0) ::close(m_slave);
    if (m_master >= 0) ::close(m_master);
}

bool PtyLink::open(const QString& linkPath, QString* error) {
    auto fail = [&](const QString& what) {
        if (error) *error = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(strerror(errno)));
        return false;
    };
    // Close-on-exec: a program the simulator's process starts (a test running
    // vantrel-cli) must not keep the terminal alive after the simulator stops.
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) return fail(QStringLiteral("posix_openpt"));
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) return fail(QStringLiteral("grantpt/unlockpt"));
    char name[128] = {};
    if (ptsname_r(m_master, name, sizeof name) != 0) return fail(QStringLiteral("ptsname"));
    m_path = QString::fromLocal8Bit(name);
    // Holding the slave open keeps the master readable when a client closes
    // and reopens the port, instead of reporting a hang-up forever.
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_slave < 0) return fail(QStringLiteral("open slave"));
    termios tio{};
    if (tcgetattr(m_slave, &tio) == 0) {
        cfmakeraw(&tio);  // binary line: no echo, no CR/LF translation
        tcsetattr(m_slave, TCSANOW, &tio);
    }
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    if (!linkPath.isEmpty()) {
        QFile::remove(linkPath);
        if (!QFile::link(m_path, linkPath)) {
            errno = EEXIST;
            return fail(QStringLiteral("cannot create link %1").arg(linkPath));
        }
        m_linkPath = linkPath;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PtyLink::readMaster);
    return true;
}

int PtyLink::pendingTowardsClient() const {
    int pending = 0;
    if (m_slave < 0 || ioctl(m_slave, FIONREAD, &pending) != 0) return 0;
    return pending;
}

void PtyLink::writeAll(const QByteArray& bytes) {
    int done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(m_master, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n <= 0) return;  // queue full: the rest is lost, as on a line nobody reads
        done += static_cast<int>(n);
    }
}

bool PtyLink::ratesMatch() const {
    // The terminal settings of a pseudo-terminal are shared by both ends:
    // the rate read here is the one the client set on its side.
    return m_lineBaud <= 0 || serial_baud(m_slave) == m_lineBaud;
}

void PtyLink::readMaster() {
    char buf[4096];
    const ssize_t n = ::read(m_master, buf, sizeof buf);
    if (n <= 0) return;
    if (!ratesMatch()) {
        std::fprintf(stderr, "vantrel-sim: %zd bytes at %d baud, the line runs at %d: not understood\n", n,
                     serial_baud(m_slave), m_lineBaud);
        return;
    }
    if (m_rawTap && m_rawTap->rawActive()) {
        m_rawTap->feedRaw(QByteArray(buf, static_cast<int>(n)));
        return;
    }
    const CommandOrigin origin{QHostAddress(), 0, !m_plainText};
    for (const ReceivedCommand& c : m_splitter.feed(QByteArray(buf, static_cast<int>(n)))) {
        std::vector<QByteArray> replies = m_sink->onCommand(c, origin);
        if (!replies.empty()) {
            if (pendingTowardsClient() > kReplyBacklogLimit) tcflush(m_slave, TCIFLUSH);
            for (QByteArray& reply : replies) {
                if (survives(reply)) writeAll(reply);
            }
        }
        if (m_pendingBaud > 0) {
            m_lineBaud = m_pendingBaud;
            m_pendingBaud = 0;
        }
    }
}

void PtyLink::sendStream(const QByteArray& packet) {
    if (m_master < 0 || pendingTowardsClient() > kStreamBacklogLimit || !ratesMatch()) return;
    QByteArray copy = packet;
    if (survives(copy)) writeAll(copy);
}

}  // namespace sim
