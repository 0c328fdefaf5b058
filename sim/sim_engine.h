#pragma once
// The simulated scanner itself: device state, command handling, the stream
// clock and the links. Lives on the simulator thread; created and driven by
// Simulator.

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>

#include "command_handler.h"
#include "device_state.h"
#include "heartbeat.h"
#include "link.h"
#include "sim_options.h"
#include "stream_generator.h"
#include "zone_store.h"

class QUdpSocket;

namespace sim {

class UdpLink;
class TcpLink;
class PtyLink;
class FirmwareTarget;

class SimEngine : public QObject, public CommandSink {
    Q_OBJECT
public:
    explicit SimEngine(const SimOptions& options, QObject* parent = nullptr);
    ~SimEngine() override;

    bool open(QString* error);
    void close();
    QString serialPath() const;
    // Firmware images the upgrade target accepted (any thread).
    int firmwareImagesAccepted() const;

    std::vector<QByteArray> onCommand(const ReceivedCommand& command, const CommandOrigin& origin) override;

    std::atomic<int> commands{0};
    std::atomic<int> fans{0};
    // Fans that make one revolution, and the fault dice's counters (any thread).
    int fansPerRevolution() const { return m_generator.fansPerRevolution(); }
    const PacketFaults& faults() const { return m_faults; }

private:
    void streamTick();
    void statusTick();
    void heartbeatTick();
    void fleetTick();
    void sendHeartbeat(const QByteArray& datagram);
    void rebase();
    void apply(const CommandEffects& fx, const CommandOrigin& origin);
    void updateUdpTarget();
    void broadcast(const QByteArray& packet);
    void logCommand(const ReceivedCommand& command, const CommandOrigin& origin) const;

    SimOptions m_options;
    StreamFormat m_format;
    DeviceState m_state;
    ZoneStore m_zones;
    CommandHandler m_handler;
    PacketFaults m_faults;
    StreamGenerator m_generator;

    UdpLink* m_udp = nullptr;
    TcpLink* m_tcp = nullptr;
    PtyLink* m_pty = nullptr;
    QUdpSocket* m_heartbeatSocket = nullptr;
    FirmwareTarget* m_firmware = nullptr;

    QTimer m_streamTimer;
    QTimer m_statusTimer;
    QTimer m_heartbeatTimer;
    QTimer m_fleetTimer;
    QElapsedTimer m_fleetClock;
    qint64 m_fleetSent = 0;
    QElapsedTimer m_clock;
    qint64 m_runStartNs = 0;
    qint64 m_fansThisRun = 0;
    uint64_t m_fanNumber = 0;
    uint32_t m_recordSequence = 0;
    bool m_streaming = true;
    bool m_restarting = false;

    bool m_streamToSource = false;
    QHostAddress m_lastSource;
    quint16 m_lastSourcePort = 0;
};

}  // namespace sim
