#include "param_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "le_bytes.h"

namespace {

constexpr char kZoneTag[4] = {'z', 'o', 'n', 'e'};
constexpr char kBlockTag[4] = {'v', '1', '0', '1'};

bool writeSection(std::FILE* f, const char tag[4], const void* data, uint32_t length) {
    uint8_t header[8];
    std::memcpy(header, tag, 4);
    put_le32(header + 4, length);
    return std::fwrite(header, 1, sizeof header, f) == sizeof header &&
           std::fwrite(data, 1, length, f) == length;
}

bool readExactly(std::FILE* f, void* data, size_t length) {
    return std::fread(data, 1, length, f) == length;
}

// Drops `length` bytes; false at a short read.
bool skip(std::FILE* f, uint32_t length) {
    uint8_t chunk[4096];
    while (length > 0) {
        const size_t n = length < sizeof chunk ? length : sizeof chunk;
        if (!readExactly(f, chunk, n)) return false;
        length -= uint32_t(n);
    }
    return true;
}

}  // namespace

bool write_param_file(const std::string& path, const uint8_t* zoneImage, const EEpromV101* block,
                      std::string* errorText) {
    auto fail = [&](std::FILE* f, const char* what) {
        const int err = errno;
        if (f) std::fclose(f);
        // A half-written file would import as a file without its later
        // sections; better none at all. Only a regular file is removed, never
        // a device or whatever else the path names.
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) std::remove(path.c_str());
        if (errorText) *errorText = std::string(what) + ": " + std::strerror(err);
        return false;
    };

    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        if (errorText) *errorText = std::string("cannot create file: ") + std::strerror(errno);
        return false;
    }
    if (zoneImage && !writeSection(f, kZoneTag, zoneImage, kZoneImageSize)) return fail(f, "write failed");
    if (block && !writeSection(f, kBlockTag, block, sizeof(EEpromV101))) return fail(f, "write failed");
    // Buffered data reaches the disk only here: a full disk shows up at the
    // flush or the close, not at fwrite.
    if (std::fflush(f) != 0 || std::ferror(f)) return fail(f, "write failed");
    if (std::fclose(f) != 0) return fail(nullptr, "close failed");
    return true;
}

std::optional<ParamFileContents> read_param_file(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    struct stat st;
    // fopen succeeds on a directory; it is not a parameter file.
    if (fstat(fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
        std::fclose(f);
        return std::nullopt;
    }

    ParamFileContents contents;
    uint8_t header[8];
    while (readExactly(f, header, sizeof header)) {
        const uint32_t length = le32(header + 4);
        if (std::memcmp(header, kZoneTag, 4) == 0 && length == kZoneImageSize) {
            std::vector<uint8_t> image(kZoneImageSize);
            if (!readExactly(f, image.data(), image.size())) break;
            contents.zoneImage = std::move(image);
        } else if (std::memcmp(header, kBlockTag, 4) == 0 && length == sizeof(EEpromV101)) {
            EEpromV101 block;
            if (!readExactly(f, &block, sizeof block)) break;
            contents.block = block;
        } else if (!skip(f, length)) {
            break;
        }
    }
    std::fclose(f);
    return contents;
}
