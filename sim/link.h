#pragma once
// What every link of the simulated scanner shares: a sink that answers
// commands, and the fault dice applied to every packet leaving the scanner.
// Links live on the simulator thread.

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <atomic>
#include <cstdint>
#include <random>
#include <vector>

#include "frame_splitter.h"

namespace sim {

// Where a command came from: the UDP peer, or nothing for stream links.
struct CommandOrigin {
    QHostAddress address;
    quint16 port = 0;
    bool framed = true;  // false for the plain text of a "uart" link
};

class CommandSink {
public:
    virtual ~CommandSink() = default;
    // Returns the packets to send back to the origin, in order.
    virtual std::vector<QByteArray> onCommand(const ReceivedCommand& command,
                                              const CommandOrigin& origin) = 0;
};

// --drop and --corrupt: decides per outgoing packet; a corrupted packet has
// one byte after its magic flipped, so its checksum no longer matches.
class PacketFaults {
public:
    PacketFaults(double dropPercent, double corruptPercent, uint32_t seed)
        : m_drop(dropPercent), m_corrupt(corruptPercent), m_rng(seed ^ 0x5EED) {}
    // False when the packet is to be dropped.
    bool apply(QByteArray& packet);

    // Packets offered, dropped and corrupted so far (any thread).
    uint64_t packets() const { return m_packets.load(std::memory_order_relaxed); }
    uint64_t dropped() const { return m_dropped.load(std::memory_order_relaxed); }
    uint64_t corrupted() const { return m_corrupted.load(std::memory_order_relaxed); }

private:
    double m_drop;
    double m_corrupt;
    std::mt19937 m_rng;
    std::atomic<uint64_t> m_packets{0};
    std::atomic<uint64_t> m_dropped{0};
    std::atomic<uint64_t> m_corrupted{0};
};

class Link : public QObject {
    Q_OBJECT
public:
    Link(CommandSink* sink, PacketFaults* faults, QObject* parent = nullptr)
        : QObject(parent), m_sink(sink), m_faults(faults) {}
    // One scan-data packet or state record.
    virtual void sendStream(const QByteArray& packet) = 0;

protected:
    bool survives(QByteArray& packet) { return m_faults->apply(packet); }

    CommandSink* m_sink;
    PacketFaults* m_faults;
};

}  // namespace sim
