#include "box_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>

#include "reference_crc.h"

namespace boxpeer {

namespace {

void put16(std::vector<uint8_t>& d, size_t at, uint16_t v) {
    d[at] = uint8_t(v);
    d[at + 1] = uint8_t(v >> 8);
}

void putText(std::vector<uint8_t>& d, size_t at, const std::string& s) {
    std::memcpy(d.data() + at, s.data(), std::min<size_t>(s.size(), 16));
}

sockaddr_in addressOf(const std::string& ip, int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    inet_pton(AF_INET, ip.c_str(), &a.sin_addr);
    return a;
}

}  // namespace

uint32_t referenceCrc(const uint8_t* bytes, size_t words) {
    return testsupport::referenceCrc(bytes, words);
}

std::vector<uint8_t> handFrame(uint16_t code, uint16_t sn, const std::string& body) {
    const size_t padded = (body.size() + 3) / 4 * 4;
    std::vector<uint8_t> f(8 + padded, 0);
    f[0] = 'L';
    f[1] = 'H';
    put16(f, 2, code);
    put16(f, 4, sn);
    put16(f, 6, uint16_t(padded));
    std::memcpy(f.data() + 8, body.data(), body.size());
    const uint32_t crc = referenceCrc(f.data(), padded / 4 + 2);
    for (int i = 0; i < 4; ++i) f.push_back(uint8_t(crc >> (8 * i)));
    return f;
}

std::vector<uint8_t> statusDatagram(size_t size, const std::string& ip, const std::string& mask,
                                    const std::string& gateway, const std::vector<Scanner>& scanners,
                                    uint32_t count) {
    std::vector<uint8_t> d(size, 0);
    putText(d, 0, ip);
    putText(d, 16, mask);
    putText(d, 32, gateway);
    for (size_t i = 0; i < scanners.size() && i < 8; ++i) {
        putText(d, 52 + 16 * i, scanners[i].address);
        d[212 + i] = scanners[i].state;
        put16(d, 220 + 2 * i, scanners[i].word);
    }
    for (int i = 0; i < 4; ++i) d[304 + i] = uint8_t(count >> (8 * i));
    return d;
}

Peer::Peer(const std::string& ip, std::map<std::string, std::string> replies)
    : m_replies(std::move(replies)) {
    m_sock = ::socket(AF_INET, SOCK_DGRAM, 0);
    const int on = 1;
    ::setsockopt(m_sock, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in self = addressOf(ip, 6666);
    if (::bind(m_sock, reinterpret_cast<const sockaddr*>(&self), sizeof self) != 0) {
        ::close(m_sock);
        m_sock = -1;
        return;
    }
    in_addr loopback{};
    loopback.s_addr = htonl(INADDR_LOOPBACK);
    ::setsockopt(m_sock, IPPROTO_IP, IP_MULTICAST_IF, &loopback, sizeof loopback);
    m_server = std::thread([this] { serve(); });
}

Peer::~Peer() {
    m_running = false;
    if (m_server.joinable()) m_server.join();
    if (m_announcer.joinable()) m_announcer.join();
    if (m_sock >= 0) ::close(m_sock);
}

void Peer::sendTo(const std::string& ip, int port, const std::vector<uint8_t>& datagram) {
    const sockaddr_in to = addressOf(ip, port);
    ::sendto(m_sock, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

void Peer::announce(std::vector<uint8_t> datagram, int periodMs) {
    m_announcer = std::thread([this, datagram, periodMs] {
        while (m_running) {
            sendTo("225.225.225.225", 6789, datagram);
            for (int waited = 0; waited < periodMs && m_running; waited += 10)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
}

std::vector<Peer::Received> Peer::received() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_received;
}

void Peer::serve() {
    uint8_t buf[4096];
    while (m_running) {
        pollfd p{m_sock, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n = ::recvfrom(m_sock, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (n <= 0) continue;
        Received r;
        r.bytes.assign(buf, buf + n);
        if (n >= 8) {
            r.sn = uint16_t(buf[4] | buf[5] << 8);
            const size_t bodyLen = std::min<size_t>(size_t(buf[6] | buf[7] << 8), size_t(n) - 8);
            r.text.assign(reinterpret_cast<const char*>(buf + 8),
                          strnlen(reinterpret_cast<const char*>(buf + 8), bodyLen));
            r.exact = r.bytes == handFrame(0x0075, r.sn, r.text);
        }
        std::string reply;
        if (r.exact) {
            const auto it = m_replies.find(r.text);
            if (it != m_replies.end()) reply = it->second;
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_received.push_back(r);
        }
        if (!reply.empty()) {
            const std::vector<uint8_t> frame = handFrame(0xFF8A, r.sn, reply);
            ::sendto(m_sock, frame.data(), frame.size(), 0, reinterpret_cast<const sockaddr*>(&from), len);
        }
    }
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

}  // namespace boxpeer
