#pragma once
// The room the simulated scanner looks at: four walls, a few pillars and a
// target that walks back and forth. Pure geometry, no threads.

#include <cstdint>
#include <random>

#include "packet_encoders.h"

namespace sim {

class Scene {
public:
    explicit Scene(uint32_t seed = 1);

    // The return of the beam at `angleDeg` (scanner frame, degrees) at time
    // `seconds`: distance in mm with a few mm of noise (0 = nothing within
    // range) and an energy that falls with range and depends on the surface.
    FanPoint sample(double angleDeg, double seconds);

    static constexpr double kMaxRangeMm = 30000.0;

private:
    struct Circle {
        double x, y, r;
        double reflectivity;
    };
    std::mt19937 m_rng;
    std::normal_distribution<double> m_noise{0.0, 3.0};
};

}  // namespace sim
