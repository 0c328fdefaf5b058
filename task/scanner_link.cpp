#include "scanner_link.h"

#include <sys/socket.h>

#include "transport.h"

namespace {

std::atomic<uint64_t> g_nextId{1};

}  // namespace

std::shared_ptr<ScannerLink> ScannerLink::adopt(int data, int command, bool sockets) {
    return std::shared_ptr<ScannerLink>(new ScannerLink(data, command, sockets, true));
}

std::shared_ptr<ScannerLink> ScannerLink::borrow(int data, int command, bool sockets) {
    return std::shared_ptr<ScannerLink>(new ScannerLink(data, command, sockets, false));
}

ScannerLink::ScannerLink(int data, int command, bool sockets, bool owned)
    : m_data(data > 0 ? data : 0),
      m_command(command > 0 ? command : 0),
      m_sockets(sockets),
      m_owned(owned),
      m_id(g_nextId.fetch_add(1)) {}

ScannerLink::~ScannerLink() {
    if (!m_owned) return;
    close_link(m_data, m_sockets);
    if (m_command != m_data) close_link(m_command, m_sockets);
}

int ScannerLink::dataFd() const {
    return m_ended.load() ? 0 : m_data;
}

int ScannerLink::commandFd() const {
    if (m_ended.load()) return 0;
    return m_command > 0 ? m_command : m_data;
}

bool ScannerLink::end() {
    if (m_ended.exchange(true)) return false;
    if (m_sockets) {
        // Wakes a reader waiting on the socket; the descriptor stays reserved.
        if (m_data > 0) ::shutdown(m_data, SHUT_RDWR);
        if (m_command > 0) ::shutdown(m_command, SHUT_RDWR);
    }
    return true;
}
