// soak_check: does a recording hold every revolution the window received?
//
//   soak_check DATA0.DUMP SIGNATURES
//
// SIGNATURES is the file the window's probe wrote (--signatures): one
// revolution_signature per revolution received while recording. The dump is
// decoded the way playback decodes it; every listed revolution must be among
// its revolutions. The first two listed are not required: recording began
// while they were arriving. Prints the counts; exit status 0 when nothing is
// missing, 1 otherwise, 2 when a file cannot be read.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <unordered_set>

#include "fan_text.h"
#include "stream_replay.h"

namespace {

constexpr int kStartUpRevolutions = 2;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: soak_check DATA0.DUMP SIGNATURES\n");
        return 2;
    }
    const int fd = ::open(argv[1], O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        std::fprintf(stderr, "soak_check: cannot read %s\n", argv[1]);
        return 2;
    }
    const size_t size = size_t(st.st_size);
    // A soak records far more than playback takes: map the file instead of reading it.
    const void* mapped = size ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : nullptr;
    if (size && mapped == MAP_FAILED) {
        std::fprintf(stderr, "soak_check: cannot map %s\n", argv[1]);
        return 2;
    }

    std::unordered_set<uint64_t> recorded;
    ReplaySink sink;
    sink.revolution = [&](const Revolution& revolution, float) {
        recorded.insert(revolution_signature(revolution));
    };
    // The decoder's console lines (one per damaged packet) are not the report.
    std::fflush(stdout);
    const int console = ::dup(STDOUT_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) ::dup2(null, STDOUT_FILENO);
    const ReplaySummary summary = replay_stream(static_cast<const uint8_t*>(mapped), size, sink);
    std::fflush(stdout);
    if (console >= 0) ::dup2(console, STDOUT_FILENO);

    std::FILE* list = std::fopen(argv[2], "r");
    if (!list) {
        std::fprintf(stderr, "soak_check: cannot read %s\n", argv[2]);
        return 2;
    }
    unsigned long long signature = 0;
    long listed = 0, missing = 0;
    while (std::fscanf(list, "%llx", &signature) == 1) {
        if (++listed <= kStartUpRevolutions) continue;
        if (!recorded.count(signature)) ++missing;
    }
    std::fclose(list);
    const long checked = listed > kStartUpRevolutions ? listed - kStartUpRevolutions : 0;
    std::printf("recording: %zu bytes, %d fans, %d revolutions, %d packets flagged by the decoder\n",
                summary.bytes, summary.fans, summary.revolutions, summary.decodeErrors);
    std::printf("revolutions received while recording: %ld checked, %ld missing from the recording\n",
                checked, missing);
    return missing == 0 && checked > 0 ? 0 : 1;
}
