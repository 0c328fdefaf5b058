#include "fan_text.h"

#include <cstdio>

void append_fan_text_line(std::string& out, const RawData& fan) {
    char field[96];
    int n = std::snprintf(field, sizeof field, "start angle %u span:%u N:%u  ", unsigned(fan.start),
                          unsigned(fan.span), unsigned(fan.count));
    out.append(field, size_t(n));
    // count comes from the wire; never print past the fixed point array.
    const int count = fan.count < kMaxFanPoints ? fan.count : kMaxFanPoints;
    for (int i = 0; i < count; ++i) {
        const RawPoint& p = fan.points[i];
        n = std::snprintf(field, sizeof field, "\t%7g\t%4g\t%3u", double(p.angle), double(p.distance),
                          unsigned(p.energy));
        if (n > 0) out.append(field, size_t(n) < sizeof field ? size_t(n) : sizeof field - 1);
    }
}

std::string fan_text_line(const RawData& fan) {
    std::string line;
    append_fan_text_line(line, fan);
    return line;
}

uint64_t revolution_signature(const std::vector<RawData>& revolution) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    std::string line;
    for (const RawData& fan : revolution) {
        line.clear();
        append_fan_text_line(line, fan);
        line += '\n';
        for (unsigned char c : line) hash = (hash ^ c) * 0x100000001b3ULL;
    }
    return hash;
}
