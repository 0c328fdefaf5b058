#include "link.h"

namespace sim {

bool PacketFaults::apply(QByteArray& packet) {
    std::uniform_real_distribution<double> percent(0.0, 100.0);
    if (m_drop > 0 && percent(m_rng) < m_drop) return false;
    if (m_corrupt > 0 && packet.size() > 2 && percent(m_rng) < m_corrupt) {
        std::uniform_int_distribution<int> at(2, packet.size() - 1);
        const int i = at(m_rng);
        packet[i] = static_cast<char>(packet[i] ^ 0x5A);
    }
    return true;
}

}  // namespace sim
