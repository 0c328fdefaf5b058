#pragma once
// Cuts the scanner's revolutions into fans and encodes each fan in the chosen
// packet family. Deterministic for a given seed: the caller supplies the fan
// number and the time, so a live link and a file dump use the same code.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

#include "scene.h"
#include "sim_options.h"

namespace sim {

struct FanContext {
    int64_t epochMicros = 0;    // absolute time of the fan's first point
    double sceneSeconds = 0.0;  // time since the scanner started (moves the target)
    bool counterClockwise = false;
    bool smoothing = false;  // legacy "ST" flags
    bool trailingRemoval = false;
};

class StreamGenerator {
public:
    StreamGenerator(StreamFormat format, int fanDegrees, uint32_t seed);

    // Checks that the format can carry fans of this width; explains why not.
    static bool validate(StreamFormat format, int fanDegrees, QString* error);

    // Packets (one per datagram) of fan `fanNumber`, counted from 0 across
    // revolutions. Segment families give several; legacy puts an "ST" packet
    // before the first fan of every revolution.
    std::vector<QByteArray> fan(uint64_t fanNumber, const FanContext& context);

    StreamFormat format() const { return m_format; }
    int fansPerRevolution() const { return 360 / m_fanDegrees; }
    int pointsPerFan() const { return m_points; }
    int segmentsPerFan() const { return m_segments; }

private:
    StreamFormat m_format;
    int m_fanDegrees;
    int m_points = 0;
    int m_segments = 1;
    uint32_t m_lastDeviceMs = 0xFFFFFFFF;
    Scene m_scene;
};

}  // namespace sim
