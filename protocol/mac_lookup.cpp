// MAC address of a scanner from the kernel's neighbour table (/proc/net/arp).

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "transport.h"

namespace {

constexpr unsigned kArpFlagComplete = 0x2;  // ATF_COM
constexpr int kResolveWaitMs = 1000;
constexpr int kResolvePollMs = 20;
constexpr int kDiscardPort = 9;

std::string arpErrorText(int code) {
    char text[40];
    std::snprintf(text, sizeof text, "SendARP Error:%d", code);
    return text;
}

// Six colon-separated hex bytes ("aa:bb:cc:dd:ee:ff"); false for anything else.
bool parseHardwareAddress(const std::string& field, unsigned char out[6]) {
    if (field.size() != 17) return false;
    for (int i = 0; i < 6; ++i) {
        unsigned value = 0;
        for (int k = 0; k < 2; ++k) {
            const char c = field[static_cast<size_t>(i * 3 + k)];
            unsigned digit;
            if (c >= '0' && c <= '9')
                digit = static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                digit = static_cast<unsigned>(c - 'A' + 10);
            else
                return false;
            value = value * 16 + digit;
        }
        if (i < 5 && field[static_cast<size_t>(i * 3 + 2)] != ':') return false;
        out[i] = static_cast<unsigned char>(value);
    }
    return true;
}

std::string formatMac(const unsigned char mac[6]) {
    std::string text;
    char pair[4];
    for (int i = 0; i < 6; ++i) {
        std::snprintf(pair, sizeof pair, "%.2x", mac[i]);
        text += pair;
        if (i < 5) text += '-';
    }
    return text;
}

// The table lookup proper. 0 found (text holds the MAC), else an errno code.
int lookUp(const std::string& table, const in_addr& target, std::string& text) {
    std::istringstream lines(table);
    std::string line;
    std::getline(lines, line);  // column titles
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string ipField, hwType, flagsField, hwAddress;
        if (!(fields >> ipField >> hwType >> flagsField >> hwAddress)) continue;
        in_addr rowAddr{};
        if (inet_pton(AF_INET, ipField.c_str(), &rowAddr) != 1 || rowAddr.s_addr != target.s_addr) continue;
        unsigned long flags = 0;
        try {
            flags = std::stoul(flagsField, nullptr, 16);
        } catch (...) {
            continue;
        }
        unsigned char mac[6];
        if (!(flags & kArpFlagComplete) || !parseHardwareAddress(hwAddress, mac)) continue;
        if ((mac[0] | mac[1] | mac[2] | mac[3] | mac[4] | mac[5]) == 0) continue;
        text = formatMac(mac);
        return 0;
    }
    return ENXIO;
}

int readKernelTable(std::string& table) {
    errno = 0;
    std::ifstream file("/proc/net/arp");
    if (!file) return errno != 0 ? errno : ENOENT;
    std::ostringstream all;
    all << file.rdbuf();
    table = all.str();
    return 0;
}

// Sends an empty datagram to the host so the kernel resolves its address.
// 0 when sent, else the errno (no route, network down, ...).
int promptResolution(const in_addr& target) {
    const int sock = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sock < 0) return errno;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(kDiscardPort);
    to.sin_addr = target;
    const ssize_t sent =
        ::sendto(sock, "", 0, MSG_NOSIGNAL | MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    const int err = sent < 0 ? errno : 0;
    ::close(sock);
    return err;
}

void pauseMs(int ms) {
    timespec ts{ms / 1000, (ms % 1000) * 1000L * 1000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

}  // namespace

bool mac_from_arp_table(const std::string& table, const std::string& ip, std::string& text) {
    in_addr target{};
    if (inet_pton(AF_INET, ip.c_str(), &target) != 1) {
        text = arpErrorText(EINVAL);
        return false;
    }
    const int err = lookUp(table, target, text);
    if (err != 0) text = arpErrorText(err);
    return err == 0;
}

bool mac_of(const std::string& ip, std::string& text) {
    in_addr target{};
    if (inet_pton(AF_INET, ip.c_str(), &target) != 1) {
        text = arpErrorText(EINVAL);
        return false;
    }
    std::string table;
    int err = readKernelTable(table);
    if (err == 0) err = lookUp(table, target, text);
    if (err != ENXIO) {
        if (err != 0) text = arpErrorText(err);
        return err == 0;
    }

    // Not cached yet. Loopback addresses never get an entry; others are
    // prompted and the table is watched for a short while, as long as ARP
    // needs for a host that is present.
    if ((ntohl(target.s_addr) >> 24) == 127) {
        text = arpErrorText(ENXIO);
        return false;
    }
    err = promptResolution(target);
    if (err != 0) {
        text = arpErrorText(err);
        return false;
    }
    for (int waited = 0; waited < kResolveWaitMs; waited += kResolvePollMs) {
        pauseMs(kResolvePollMs);
        if (readKernelTable(table) == 0 && lookUp(table, target, text) == 0) return true;
    }
    text = arpErrorText(ENXIO);
    return false;
}
