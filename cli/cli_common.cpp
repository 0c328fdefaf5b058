#include "cli_common.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "stream_replay.h"

namespace cli {

bool wantsHelp(const std::vector<std::string>& args) {
    for (const auto& a : args)
        if (a == "-h" || a == "--help") return true;
    return false;
}

void printError(const std::string& command, const std::string& message) {
    std::fprintf(stderr, "vantrel-cli %s: %s\n", command.c_str(), message.c_str());
}

bool parseSeconds(const std::string& command, const std::string& text, long& seconds) {
    char* end = nullptr;
    seconds = std::strtol(text.c_str(), &end, 10);
    if (!text.empty() && *end == '\0' && seconds >= 1 && seconds <= 86400) return true;
    printError(command, "--seconds must be a whole number 1..86400");
    return false;
}

bool readRecording(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "cannot read " + path + ": not a regular file";
        std::fclose(f);
        return false;
    }
    // Playback holds the whole recording in memory and refuses more than this.
    if (uint64_t(st.st_size) > kMaxReplayBytes) {
        error = "The playback file cannot exceed 50MB!";
        std::fclose(f);
        return false;
    }
    bytes.resize(size_t(st.st_size));
    const size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), f);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    bytes.resize(got);
    return true;
}

}  // namespace cli
