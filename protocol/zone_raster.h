#pragma once
// The rasterisation of one zone slot into its 1000-entry direction table,
// shared by the two rasterisers the zone image can be built with:
//
//  - the reference: the straightforward scan of every ray in 8 mm steps,
//    every step tested against every shape, three passes (alarm, warning,
//    observation). Seconds for a full list; kept as the oracle;
//  - the fast one: per ray and shape the exact set of steps a shape covers,
//    worked out from the ray-edge crossings and the sector radii, with the
//    steps near a crossing evaluated one by one with the very same arithmetic
//    as the reference. Byte-identical output, milliseconds for a full list.
//
// Everything a step test depends on (the float ray direction, the float step
// point, the double crossing expression, the sector table) is defined once
// here, so both rasterisers see the same numbers. These sources are built
// with floating-point contraction off: a fused multiply-add in one of them
// would round differently from the other.
//
// Internal to the zone image code; the public entry is zones_to_zonedef().

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "zone_types.h"

namespace zone_raster {

constexpr double kPiRay = 3.14159265;     // ray directions and ellipse vertices
constexpr double kPiSector = 3.1415926;   // sector table directions
constexpr double kTwoPiWrap = 6.2831852;  // sector start/end angles moved into [0, 2 pi)
constexpr int kSteps = 8190;              // 8 mm steps along a ray: distances 8 .. 65520 mm
constexpr int kSectorDirections = 3600;

// The device holds int32 values. Out-of-range or NaN doubles must not reach a
// float-to-int conversion (undefined behaviour), so they are clamped; the
// range is kept symmetric so that negating a stored value cannot overflow.
inline int32_t clamp_to_i32(double v) {
    constexpr double kMax = std::numeric_limits<int32_t>::max();
    if (std::isnan(v)) return 0;
    if (v >= kMax) return std::numeric_limits<int32_t>::max();
    if (v <= -kMax) return -std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(v);  // truncates toward zero
}

// One entry of a slot, ready for the step test.
struct Shape {
    bool filter = false;
    int kind = 0;
    bool sector = false;
    std::vector<double> xs, ys;     // polygon vertices (device axes, integral values)
    std::vector<double> near, far;  // sector table, one pair per 0.1 deg
};

// The shape of an entry from its record values (device axes, see zone_image.cpp).
Shape make_shape(const ZoneEntry& entry, const std::vector<int32_t>& values);

// The ray of table entry k (0..999): its direction index p = floor(k * 3.6)
// in 0.1 deg and its 8 mm step vector in single precision.
struct Ray {
    int p = 0;
    float ux = 0;
    float uy = 0;
};
Ray table_ray(int k);

// The test point of step c (1..8190): c * step vector, in single precision.
inline double step_x(const Ray& r, int c) {
    return static_cast<float>(c) * r.ux;
}
inline double step_y(const Ray& r, int c) {
    return static_cast<float>(c) * r.uy;
}

// Crossing-number rule for the edge from vertex j to vertex i: the edge
// counts when it straddles py (half-open) and crosses to the right of px.
inline bool edge_counts(double xi, double yi, double xj, double yj, double px, double py) {
    if ((yj <= py && py < yi) || (yi <= py && py < yj)) return xj + (xi - xj) * (py - yj) / (yi - yj) > px;
    return false;
}

// The 12-byte table entry from the runs found along one ray: the filter
// interval clips the zone intervals, then the non-empty ones are packed.
void write_table_entry(uint16_t start[3], uint16_t end[3], uint16_t filterStart, uint16_t filterEnd,
                       uint8_t* entry);

inline uint16_t kind_bit(int kind) {
    return static_cast<uint16_t>(1u << (13 + kind));
}

// The two rasterisers: fill the 1000 entries of one slot's table (zeroed by the caller).
void rasterise_slot_reference(const std::vector<Shape>& shapes, uint8_t* table);
void rasterise_slot_fast(const std::vector<Shape>& shapes, uint8_t* table);

}  // namespace zone_raster
