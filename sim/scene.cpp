#include "scene.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Room corners in mm, scanner at the origin (off centre so that the walls
// are at different ranges).
constexpr double kLeft = -3500, kRight = 5500, kBottom = -2500, kTop = 4000;
constexpr double kWallReflectivity = 0.55;

// Distance along the unit ray (dx, dy) to the circle, or -1.
double hitCircle(double dx, double dy, double cx, double cy, double r) {
    const double b = dx * cx + dy * cy;
    const double c = cx * cx + cy * cy - r * r;
    const double disc = b * b - c;
    if (disc < 0) return -1;
    const double t = b - std::sqrt(disc);
    return t > 0 ? t : -1;
}

}  // namespace

Scene::Scene(uint32_t seed) : m_rng(seed) {}

FanPoint Scene::sample(double angleDeg, double seconds) {
    const double a = angleDeg * kPi / 180.0;
    const double dx = std::cos(a), dy = std::sin(a);

    double best = 1e12, reflect = kWallReflectivity;
    if (dx > 1e-12) best = std::min(best, kRight / dx);
    if (dx < -1e-12) best = std::min(best, kLeft / dx);
    if (dy > 1e-12) best = std::min(best, kTop / dy);
    if (dy < -1e-12) best = std::min(best, kBottom / dy);

    // The target paces along the room at walking speed, 1.2 m back and forth.
    const double phase = std::fmod(seconds / 6.0, 2.0);
    const double along = phase < 1.0 ? phase : 2.0 - phase;
    const Circle things[] = {
        {2500, 1500, 250, 0.9},
        {-1800, 2200, 200, 0.9},
        {3000, -1500, 300, 0.75},
        {-1000 + 2400 * along, -800, 180, 1.0},
    };
    for (const Circle& c : things) {
        const double t = hitCircle(dx, dy, c.x, c.y, c.r);
        if (t > 0 && t < best) best = t, reflect = c.reflectivity;
    }
    if (best > kMaxRangeMm) return {};

    const double mm = std::clamp(best + m_noise(m_rng), 50.0, 65000.0);
    const double falloff = 1.0 - 0.6 * (mm / kMaxRangeMm);
    const double energy = std::clamp(255.0 * reflect * falloff, 1.0, 255.0);
    FanPoint p;
    p.distance = static_cast<uint16_t>(std::lround(mm));
    p.energy = static_cast<uint8_t>(std::lround(energy));
    return p;
}

}  // namespace sim
