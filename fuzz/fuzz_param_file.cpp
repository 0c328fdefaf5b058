// A "*.lidar" parameter file chosen by the operator: its sections, and what
// an import makes of them (the zone list of the zone image, the set commands
// built from the parameter block for every link kind). The input is the
// whole file.

#include <sys/mman.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "commands.h"
#include "fuzz_entry.h"
#include "param_file.h"
#include "zone_image.h"

namespace {

// The input as a file without touching the disk.
class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size) : m_fd(memfd_create("vantrel-fuzz.lidar", MFD_CLOEXEC)) {
        size_t done = 0;
        while (m_fd >= 0 && done < size) {
            const ssize_t n = ::write(m_fd, data + done, size - done);
            if (n <= 0) break;
            done += size_t(n);
        }
    }
    ~MemoryFile() {
        if (m_fd >= 0) ::close(m_fd);
    }
    std::string path() const { return "/proc/self/fd/" + std::to_string(m_fd); }
    bool ok() const { return m_fd >= 0; }

private:
    int m_fd;
};

}  // namespace

VANTREL_FUZZ_TARGET(param_file) {
    MemoryFile file(data, size);
    if (!file.ok()) return 0;
    const auto contents = read_param_file(file.path());
    FUZZ_CHECK(contents.has_value());
    if (contents->zoneImage) {
        FUZZ_CHECK(contents->zoneImage->size() == kZoneImageSize);
        auto image = std::make_unique<ZoneDef>();
        std::memcpy(image.get(), contents->zoneImage->data(), kZoneImageSize);
        auto list = std::make_unique<zones>();
        zonedef_to_zones(*image, false, *list);
        FUZZ_CHECK(list->count >= 0 && list->count <= kMaxZoneEntries);
    }
    if (contents->block) {
        ImportChoices all;
        all.upload = all.operation = all.io = all.network = all.baud = true;
        for (const char* link : {"UDP", "TCP", "VPC", "UART"}) {
            for (int level = 0; level <= 2; ++level) {
                for (const std::string& command : build_import_commands(*contents->block, link, all, level)) {
                    // Every command is a text the scanner can take in one frame.
                    FUZZ_CHECK(command.size() >= 3 && command.size() <= 2040);
                    FUZZ_CHECK(command.front() == 'L' && command.back() == 'H');
                    FUZZ_CHECK(command.find('\0') == std::string::npos);
                }
            }
        }
    }
    return 0;
}
