#pragma once
// The descriptors of one connection to a scanner (a UDP socket, a serial
// port, or the TCP pair of command and data connections), shared by every
// object that reads or writes them: the main window or the command-line
// session that opened them, the data receiver, its TCP command worker and
// the command sender.
//
// Ending a link is one event for all of them: whoever notices first (the
// receiver when the port vanished or the device closed the connection, the
// window when the operator disconnects) calls end(), and from then on every
// holder reads descriptor 0 and stops. The descriptors themselves are closed
// only when the last holder lets go, so no holder can ever read, write or
// close a descriptor number that the system has meanwhile given to
// something else.
//
// Thread-safe: end() and the accessors may be called from any thread.

#include <atomic>
#include <cstdint>
#include <memory>

class ScannerLink {
public:
    // Takes the descriptors over: they are closed with the last holder.
    // `command` is the TCP command connection (0 for the other links);
    // `sockets` tells sockets from a serial port.
    static std::shared_ptr<ScannerLink> adopt(int data, int command, bool sockets);
    // Descriptors owned and closed by someone else (tools and tests that keep
    // their own); ending the link still makes every holder let go of them.
    static std::shared_ptr<ScannerLink> borrow(int data, int command, bool sockets);

    ~ScannerLink();
    ScannerLink(const ScannerLink&) = delete;
    ScannerLink& operator=(const ScannerLink&) = delete;

    // The data descriptor (UDP socket, serial port, TCP data connection), or 0
    // once the link has ended.
    int dataFd() const;
    // Where commands go: the TCP command connection, else the data
    // descriptor; 0 once the link has ended.
    int commandFd() const;
    bool isOpen() const { return !m_ended.load(); }
    // The descriptor numbers as opened, whether ended or not. They stay
    // reserved while the caller holds the link, so a loop may keep them for
    // its rounds; it stops once isOpen() turns false.
    int dataDescriptor() const { return m_data; }
    int commandDescriptor() const { return m_command > 0 ? m_command : m_data; }
    bool isSocket() const { return m_sockets; }
    // True when `fd` is one of this link's descriptors, ended or not: a
    // request naming it belongs to this link.
    bool owns(int fd) const { return fd > 0 && (fd == m_data || fd == m_command); }
    // Unique per link in this process: tells late reports of an old link from
    // the current one.
    uint64_t id() const { return m_id; }

    // Ends the link for every holder. Sockets are shut down at once, which
    // wakes a reader blocked on them. True only for the call that ended it,
    // so a loss noticed by two workers is reported once.
    bool end();

private:
    ScannerLink(int data, int command, bool sockets, bool owned);

    const int m_data;
    const int m_command;
    const bool m_sockets;
    const bool m_owned;
    const uint64_t m_id;
    std::atomic<bool> m_ended{false};
};

using LinkRef = std::shared_ptr<ScannerLink>;
