#include "netguard.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

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

}  // namespace testsupport
