#include "simulator.h"

#include <QDateTime>
#include <QFile>

#include "device_state.h"
#include "fleet.h"
#include "packet_encoders.h"
#include "sim_engine.h"
#include "stream_generator.h"

namespace sim {

bool validateOptions(const SimOptions& options, QString* error) {
    const StreamFormat format = effectiveFormat(options);
    if (!StreamGenerator::validate(format, options.fanDegrees, error)) return false;
    const bool network = !options.udpAddress.isEmpty() || !options.tcpAddress.isEmpty();
    // The legacy fan is only understood by a serial receiver in the legacy
    // mode; on any other link it would be read as a general 0xFACE packet.
    if (format == StreamFormat::Legacy && (network || options.serial == SerialMode::Vpc)) {
        if (error) *error = QStringLiteral("the legacy format is only spoken on --serial uart");
        return false;
    }
    if (options.rpm != 0) {
        const DeviceState state(options);
        if (options.rpm != kTopSpeed && !(options.rpm > 0 && state.rpmAllowed(options.rpm))) {
            if (error)
                *error =
                    QStringLiteral("--rpm: %1 does not turn at %2 rpm").arg(options.model).arg(options.rpm);
            return false;
        }
    }
    if (options.fleet < 1 || options.fleet > kMaxFleet) {
        if (error) *error = QStringLiteral("--fleet takes 1..%1 scanners").arg(kMaxFleet);
        return false;
    }
    // Written as "inside" tests so that NaN fails them too.
    const auto percent = [](double v) { return v >= 0 && v <= 100; };
    if (!percent(options.dropPercent) || !percent(options.corruptPercent)) {
        if (error) *error = QStringLiteral("--drop and --corrupt take a percentage 0..100");
        return false;
    }
    return true;
}

Simulator::Simulator(const SimOptions& options) : m_options(options) {}

Simulator::~Simulator() {
    stop();
}

bool Simulator::start(QString* error) {
    if (m_engine) return true;
    if (!validateOptions(m_options, error)) return false;
    if (m_options.udpAddress.isEmpty() && m_options.tcpAddress.isEmpty() &&
        m_options.serial == SerialMode::None) {
        if (error) *error = QStringLiteral("no link: give --udp, --tcp or --serial");
        return false;
    }
    // The engine and everything it owns are created on the simulator
    // thread, so their sockets and timers belong to it.
    m_engine = m_runner.startEngine<SimEngine>(m_options, error);
    if (!m_engine) return false;
    m_serialPath = m_engine->serialPath();
    return true;
}

void Simulator::stop() {
    m_runner.stop();
    m_engine = nullptr;
    m_serialPath.clear();
}

int Simulator::commandsReceived() const {
    return m_engine ? m_engine->commands.load() : 0;
}

int Simulator::fansSent() const {
    return m_engine ? m_engine->fans.load() : 0;
}

int Simulator::fansPerRevolution() const {
    return m_engine ? m_engine->fansPerRevolution() : 0;
}

Simulator::PacketCounts Simulator::packetCounts() const {
    PacketCounts counts;
    if (m_engine) {
        counts.packets = m_engine->faults().packets();
        counts.dropped = m_engine->faults().dropped();
        counts.corrupted = m_engine->faults().corrupted();
    }
    return counts;
}

int Simulator::firmwareImagesAccepted() const {
    return m_engine ? m_engine->firmwareImagesAccepted() : 0;
}

bool writeDump(const SimOptions& options, const QString& path, double seconds, QString* error) {
    if (!validateOptions(options, error)) return false;
    if (!(seconds > 0 && seconds <= 3600)) {  // NaN fails too
        if (error) *error = QStringLiteral("--seconds must lie in (0, 3600]");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error) *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    const StreamFormat format = effectiveFormat(options);
    DeviceState state(options);
    if (!options.stateFile.isEmpty()) state.load(options.stateFile);
    StreamGenerator generator(format, options.fanDegrees, options.seed);
    const EEpromV101& b = state.block();
    const int rpm = std::max<int>(1, b.rpm);
    const double fanSeconds = 60.0 / rpm / generator.fansPerRevolution();
    const uint64_t fans = static_cast<uint64_t>(seconds / fanSeconds);
    const int64_t startMicros = QDateTime::currentMSecsSinceEpoch() * 1000;
    double nextRecord = 0.0;
    uint32_t sequence = 0;
    for (uint64_t k = 0; k < fans; ++k) {
        const double t = k * fanSeconds;
        // The legacy decoder knows no state records; the general one does.
        if (format != StreamFormat::Legacy && t >= nextRecord) {
            file.write(encodeLmsg(state.stateRecord(sequence++)));
            nextRecord += 2.0;
        }
        FanContext ctx;
        ctx.epochMicros = startMicros + static_cast<int64_t>(t * 1e6);
        ctx.sceneSeconds = t;
        ctx.counterClockwise = b.ccw != 0;
        ctx.smoothing = b.smt != 0;
        ctx.trailingRemoval = b.dsw != 0;
        for (const QByteArray& packet : generator.fan(k, ctx)) file.write(packet);
    }
    if (!file.flush()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace sim
