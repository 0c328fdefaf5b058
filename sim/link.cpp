#include "link.h"

namespace sim {

bool PacketFaults::apply(QByteArray& packet) {
    std::uniform_real_distribution<double> percent(0.0, 100.0);
    m_packets.fetch_add(1, std::memory_order_relaxed);
    if (m_drop > 0 && percent(m_rng) < m_drop) {
        m_dropped.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    if (m_corrupt > 0 && packet.size() > 2 && percent(m_rng) < m_corrupt) {
        std::uniform_int_distribution<int> at(2, packet.size() - 1);
        const int i = at(m_rng);
        packet[i] = static_cast<char>(packet[i] ^ 0x5A);
        m_corrupted.fetch_add(1, std::memory_order_relaxed);
    }
    return true;
}

}  // namespace sim
