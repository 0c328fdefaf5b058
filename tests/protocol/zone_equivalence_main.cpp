// zone_equivalence: builds random zone lists and compares the fast
// rasteriser's image with the reference's, byte for byte. For long runs
// beyond the bounded property test (scripts/zone-equivalence N).
//
//   zone_equivalence N [--seed S] [--small]
//
// Prints one progress line per list on stderr. On the first difference it
// prints the list as JSON on stdout (ready for `vantrel-cli zones encode`,
// with --mirror when the line above it says so) and exits 1.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "zone_json.h"
#include "zone_random.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: zone_equivalence N [--seed S] [--small]\n");
    return 2;
}

bool parseCount(const char* text, unsigned long long& value) {
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return *text != '\0' && *text != '-' && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    unsigned long long count = 0, seed = 0;
    bool small = false, seeded = false;
    if (!parseCount(argv[1], count) || count == 0) return usage();
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc && parseCount(argv[i + 1], seed)) {
            seeded = true;
            ++i;
        } else if (std::strcmp(argv[i], "--small") == 0) {
            small = true;
        } else {
            return usage();
        }
    }
    if (!seeded)
        seed = static_cast<unsigned long long>(std::chrono::system_clock::now().time_since_epoch().count());

    zonegen::Limits limits;
    if (small) {
        limits.maxZones = 3;
        limits.maxPerZone = 4;
        limits.edgeBudget = 150;
    }
    std::fprintf(stderr, "seed %llu\n", seed);
    for (unsigned long long n = 0; n < count; ++n) {
        // One generator per list, so any list can be rebuilt from the seed and its number alone.
        zonegen::Generator generator(seed + n);
        bool mirror = false;
        const auto list = generator.next(limits, mirror);
        const auto t0 = std::chrono::steady_clock::now();
        const long diff = zonegen::compareRasterisers(*list, mirror);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::fprintf(stderr, "list %llu (seed %llu): %d entries, %s, %.1f s: %s\n", n + 1, seed + n,
                     list->count, mirror ? "mirrored" : "not mirrored", seconds,
                     diff == zonegen::kImagesEqual ? "identical" : "DIFFERENT");
        if (diff == zonegen::kImagesEqual) continue;
        if (diff == zonegen::kListRefused)
            std::fprintf(stderr, "the list was refused by the packer\n");
        else
            std::fprintf(stderr, "first difference at byte %ld: %s%s\n", diff,
                         zonegen::describeOffset(diff).c_str(), mirror ? "; encode with --mirror" : "");
        std::printf("%s\n", zones_to_json(*list).c_str());
        return 1;
    }
    std::fprintf(stderr, "%llu lists, all identical\n", count);
    return 0;
}
