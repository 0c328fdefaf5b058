#include "netguard.h"

#include <ifaddrs.h>
#include <net/if.h>

#include <set>

namespace testsupport {

std::string nonLoopbackInterfacesUp()
{
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

}  // namespace testsupport
