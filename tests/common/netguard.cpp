#include "netguard.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <set>

namespace testsupport {

std::string nonLoopbackInterfacesUp() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return "getifaddrs failed";
    std::set<std::string> names;
    for (ifaddrs* it = list; it; it = it->ifa_next) {
        if (!(it->ifa_flags & IFF_UP) || (it->ifa_flags & IFF_LOOPBACK)) continue;
        names.insert(it->ifa_name);
    }
    freeifaddrs(list);
    std::string out;
    for (const auto& n : names) out += (out.empty() ? "" : ", ") + n;
    return out;
}

int listenLoopbackTcp(int& port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(s, 4);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    return s;
}

SilentTcpPort::SilentTcpPort(int port) {
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(port));
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(m_listener, 0) != 0)
        return;
    socklen_t len = sizeof a;
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&a), &len);
    m_port = ntohs(a.sin_port);
    // One connection that is never accepted fills the queue of a backlog of 0.
    const int filler = ::socket(AF_INET, SOCK_STREAM, 0);
    if (::connect(filler, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0)
        m_filler = filler;
    else
        ::close(filler);
}

SilentTcpPort::~SilentTcpPort() {
    if (m_filler >= 0) ::close(m_filler);
    if (m_listener >= 0) ::close(m_listener);
}

}  // namespace testsupport
