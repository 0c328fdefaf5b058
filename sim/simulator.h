#pragma once
// One simulated scanner, run in-process on a thread of its own.
//
// Simulator is used from the thread that creates it (a test's main thread or
// the program's): start() opens the links on the simulator thread and waits
// for the result; stop() closes them and joins the thread. All sockets,
// timers and the pseudo-terminal live on the simulator thread.

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>

#include "engine_thread.h"
#include "sim_options.h"

namespace sim {

class SimEngine;

class Simulator {
public:
    explicit Simulator(const SimOptions& options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Opens every configured link and starts streaming. False with a reason
    // when an option is invalid or a link cannot be opened.
    bool start(QString* error = nullptr);
    void stop();
    bool isRunning() const { return m_engine != nullptr; }

    // Path of the pseudo-terminal's slave side (serial links), else empty.
    QString serialPath() const { return m_serialPath; }

    // Counters, readable from any thread.
    int commandsReceived() const;
    int fansSent() const;
    // Fans that make one revolution in the configured format.
    int fansPerRevolution() const;
    // Packets offered to the links, and of them dropped and corrupted by
    // --drop and --corrupt.
    struct PacketCounts {
        uint64_t packets = 0;
        uint64_t dropped = 0;
        uint64_t corrupted = 0;
    };
    PacketCounts packetCounts() const;
    // Firmware images an upgrade delivered whole and the checks accepted.
    int firmwareImagesAccepted() const;

private:
    SimOptions m_options;
    EngineThread m_runner{QStringLiteral("vantrel-sim")};
    SimEngine* m_engine = nullptr;  // owned by m_runner
    QString m_serialPath;
};

// Checks options that need no I/O (format against link and fan width).
bool validateOptions(const SimOptions& options, QString* error);

// Writes `seconds` of the stream, as the scanner would send it, to `path`:
// the plain concatenation of its packets (a raw recording). No network.
bool writeDump(const SimOptions& options, const QString& path, double seconds, QString* error);

}  // namespace sim
