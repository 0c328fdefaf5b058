#include "heartbeatproc.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "heartbeat_parse.h"
#include "thread_handover.h"

namespace {

// The loop re-checks the running flag at this interval, so a close takes
// effect promptly even when no scanner is sending.
constexpr int kPollMs = 100;
constexpr size_t kMaxDatagram = 4096;

// Joins the group on every IPv4 interface that is up, loopback included: a
// single join "on any interface" lands on the default route's interface only
// and misses scanners on a second network card. Returns the number of
// interfaces joined; lastError receives the errno of the last failure.
int joinOnAllInterfaces(int sock, in_addr group, int& lastError) {
    int joined = 0;
    lastError = 0;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) == 0) {
        for (ifaddrs* ifa = list; ifa != nullptr; ifa = ifa->ifa_next) {
            if (ifa->ifa_addr == nullptr || ifa->ifa_addr->sa_family != AF_INET || !(ifa->ifa_flags & IFF_UP))
                continue;
            ip_mreq mreq{};
            mreq.imr_multiaddr = group;
            mreq.imr_interface = reinterpret_cast<const sockaddr_in*>(ifa->ifa_addr)->sin_addr;
            if (setsockopt(sock, IPPROTO_IP, IP_ADD_MEMBERSHIP, &mreq, sizeof mreq) == 0)
                ++joined;
            else if (errno != EADDRINUSE)  // an alias of an interface already joined
                lastError = errno;
        }
        freeifaddrs(list);
    } else {
        lastError = errno;
    }
    if (joined == 0) {
        // No usable interface list: let the system choose, as a last resort.
        ip_mreq mreq{};
        mreq.imr_multiaddr = group;
        mreq.imr_interface.s_addr = htonl(INADDR_ANY);
        if (setsockopt(sock, IPPROTO_IP, IP_ADD_MEMBERSHIP, &mreq, sizeof mreq) == 0)
            ++joined;
        else
            lastError = errno;
    }
    return joined;
}

}  // namespace

HeartBeatProc::HeartBeatProc(quint16 port, QObject* parent) : QThread(parent), m_port(port) {
    qRegisterMetaType<DevConnInfo>("DevConnInfo");
    handover::watchThread(this);
}

HeartBeatProc::~HeartBeatProc() {
    m_running = false;
    handover::joinThread(this);
}

void HeartBeatProc::recv_close() {
    m_running = false;
}

int HeartBeatProc::openSocket() {
    const int sock = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    if (sock < 0 || setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) {
        if (sock >= 0) ::close(sock);
        emit sig_data(1, tr("Reusing ADDR failed!").toLocal8Bit());
        return -1;
    }

    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(m_port);
    if (::bind(sock, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        const int err = errno;
        ::close(sock);
        emit sig_data(1, tr("bind failed with error %1").arg(err).toLocal8Bit());
        return -1;
    }

    in_addr group{};
    inet_pton(AF_INET, kGroup, &group);
    int err = 0;
    if (joinOnAllInterfaces(sock, group, err) == 0) {
        ::close(sock);
        emit sig_data(1, tr("setsockopt:%1,set multicast error").arg(err).toLocal8Bit());
        return -1;
    }
    return sock;
}

void HeartBeatProc::run() {
    const int sock = openSocket();
    if (sock < 0) return;

    uint8_t buf[kMaxDatagram];
    while (m_running) {
        pollfd pfd{sock, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, kPollMs);
        if (ready <= 0) continue;  // time-out or EINTR: re-check the flag
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        const ssize_t n =
            ::recvfrom(sock, buf, sizeof buf, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n <= 0) continue;
        dispatch(buf, static_cast<size_t>(n), &from);
    }
    ::close(sock);
}

void HeartBeatProc::dispatch(const uint8_t* data, size_t len, const void* sender) {
    const HeartbeatKind kind = classifyHeartbeat(data, len);
    if (kind == HeartbeatKind::BoxStatus) {
        emit sig_data(16, QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(len)));
        return;
    }
    const size_t size = heartbeatLength(kind);
    if (size == 0 || size > sizeof(DevConnInfo::payload)) return;

    const auto* from = static_cast<const sockaddr_in*>(sender);
    DevConnInfo info;  // zero-filled by its member initialisers
    info.type = static_cast<int32_t>(kind);
    inet_ntop(AF_INET, &from->sin_addr, info.ip, sizeof info.ip);
    info.port = ntohs(from->sin_port);
    std::memcpy(info.payload, data, size);

    const time_t now = std::time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    const int fields[9] = {local.tm_sec,  local.tm_min,  local.tm_hour, local.tm_mday, local.tm_mon,
                           local.tm_year, local.tm_wday, local.tm_yday, local.tm_isdst};
    std::memcpy(info.recv_time, fields, sizeof fields);

    emit sig_GetLidarHeart(info);
}
