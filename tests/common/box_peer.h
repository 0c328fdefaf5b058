#pragma once
// An algorithm box written for the tests from the wire layout alone, sharing
// no code with the program: frames and status datagrams are laid out byte by
// byte and checked with a bit-by-bit CRC. It answers box commands from a
// script on its own thread and can announce itself on the heartbeat group.

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace boxpeer {

// CRC of the box protocol, bit by bit (reference_crc.h).
uint32_t referenceCrc(const uint8_t* bytes, size_t words);

// Writes `bytes` to a file (a firmware image for an upgrade test).
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// "LH", the code (request mode or reply code), sn, padded length, the body
// zero-padded to a multiple of 4, the CRC.
std::vector<uint8_t> handFrame(uint16_t code, uint16_t sn, const std::string& body);

struct Scanner {
    std::string address;
    uint8_t state;
    uint16_t word;
};

// A status datagram of `size` bytes: texts at 0, 16, 32, scanner i's address
// at 52 + 16 i, state at 212 + i, status word at 220 + 2 i, the count at 304.
// `count` is written as given (it may exceed the scanners listed).
std::vector<uint8_t> statusDatagram(size_t size, const std::string& ip, const std::string& mask,
                                    const std::string& gateway, const std::vector<Scanner>& scanners,
                                    uint32_t count);

class Peer {
public:
    struct Received {
        std::vector<uint8_t> bytes;
        std::string text;  // the body up to its first NUL (when the frame parsed)
        uint16_t sn = 0;
        bool exact = false;  // the datagram equals handFrame(0x0075, sn, text)
    };

    // Binds ip:6666 (with address reuse, as a box shares a host with the
    // program in the tests) and starts answering: a command whose text is in
    // `replies` gets that body back, from this address, to the sender.
    Peer(const std::string& ip, std::map<std::string, std::string> replies);
    ~Peer();
    bool ok() const { return m_sock >= 0; }

    // Sends `datagram` to the heartbeat group through loopback, every
    // `periodMs` until destroyed.
    void announce(std::vector<uint8_t> datagram, int periodMs);
    // One datagram to ip:port from this peer's socket.
    void sendTo(const std::string& ip, int port, const std::vector<uint8_t>& datagram);

    std::vector<Received> received() const;

private:
    void serve();

    int m_sock = -1;
    std::map<std::string, std::string> m_replies;
    std::atomic<bool> m_running{true};
    mutable std::mutex m_mutex;
    std::vector<Received> m_received;
    std::thread m_server;
    std::thread m_announcer;
};

}  // namespace boxpeer
