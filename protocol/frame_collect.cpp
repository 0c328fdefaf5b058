#include "frame_collect.h"

#include <cstdio>

namespace {

constexpr int kFullTurn = 3600;  // 0.1 degree

// A revolution of fans at least 0.1 degree wide has at most this many fans.
// A stream of zero-width fans must not grow the accumulator without bound.
constexpr size_t kMaxFansPerRevolution = 3600;

int spanSum(const std::vector<RawData>& fans) {
    int sum = 0;
    for (const auto& f : fans) sum += f.span;
    return sum;
}

int fanEnd(const RawData& fan) {
    return (int(fan.start) + int(fan.span)) % kFullTurn;
}

int angularDistance(int a, int b) {
    int d = (a - b) % kFullTurn;
    if (d < 0) d += kFullTurn;
    return d > kFullTurn / 2 ? kFullTurn - d : d;
}

std::string angleSumText(int sum) {
    char text[32];
    std::snprintf(text, sizeof text, "angle sum %d", sum);
    return text;
}

}  // namespace

int find_frame_boundary(const RawData& fan, bool nearZero, std::vector<RawData>& accumulator,
                        std::string& errorText) {
    if (accumulator.empty()) {
        accumulator.push_back(fan);
        return -1;
    }
    if (fan.start == accumulator.front().start || accumulator.size() >= kMaxFansPerRevolution) {
        const int sum = spanSum(accumulator);
        if (sum != kFullTurn || fan.start != accumulator.front().start) {
            errorText = angleSumText(sum);
            accumulator.clear();
            return -2;
        }
        const int target = nearZero ? 0 : 1800;
        int best = accumulator.front().start;
        for (const auto& f : accumulator)
            if (angularDistance(f.start, target) < angularDistance(best, target)) best = f.start;
        accumulator.clear();
        return best;
    }
    if (fan.start == fanEnd(accumulator.back())) accumulator.push_back(fan);
    return -1;
}

int collect_frame_fan(const RawData& fan, int boundary, std::vector<RawData>& accumulator,
                      std::string& errorText) {
    accumulator.push_back(fan);
    const bool closes = fanEnd(fan) == boundary;
    if (!closes && accumulator.size() <= kMaxFansPerRevolution) return 0;
    const int sum = spanSum(accumulator);
    if (closes && sum == kFullTurn) return 1;
    int points = 0;
    for (const auto& f : accumulator) points += f.count;
    char text[96];
    std::snprintf(text, sizeof text, "angle sum %d, drop %d fans %d points", sum, int(accumulator.size()),
                  points);
    errorText = text;
    accumulator.clear();
    return -1;
}
