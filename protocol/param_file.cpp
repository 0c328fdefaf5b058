#include "param_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtGlobal>
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

// ---------------------------------------------------------------- reading

namespace {

bool isTextTag(const uint8_t tag[4]) {
    for (int i = 0; i < 4; ++i)
        if (tag[i] < 0x20 || tag[i] > 0x7E) return false;
    return true;
}

// The type identifier up to its first NUL must be printable ASCII: a block
// whose model name is binary came from something other than a scanner.
bool modelNameIsText(const EEpromV101& block) {
    for (size_t i = 0; i < sizeof block.typeId && block.typeId[i] != '\0'; ++i) {
        const auto c = static_cast<unsigned char>(block.typeId[i]);
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

// Opens a file for reading; nullptr for a missing file or anything but a
// regular file. Without a writer a named pipe would hold the caller at the
// open, and a device such as /dev/zero never ends; neither is a parameter
// file. Non-blocking, so that the open itself cannot wait.
std::FILE* openForReading(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* f = fdopen(fd, "rb");
    if (!f) ::close(fd);
    return f;
}

// Reads the sections into `out`. Lenient (the file format's own rule): a
// known tag with a foreign length is skipped like an unknown one, and a short
// read ends the reading with what was complete. Strict (an import): both,
// and a tag that is not text, refuse the file.
ParamFileStatus readSections(std::FILE* f, ParamFileContents& out, bool strict) {
    const auto bad = [strict](ParamFileStatus status) { return strict ? status : ParamFileStatus::Ok; };
    uint8_t header[8];
    for (;;) {
        const size_t got = std::fread(header, 1, sizeof header, f);
        if (got == 0) break;
        if (got < sizeof header) return bad(ParamFileStatus::Truncated);
        if (strict && !isTextTag(header)) return ParamFileStatus::NotParamFile;
        const uint32_t length = le32(header + 4);
        const bool zoneTag = std::memcmp(header, kZoneTag, 4) == 0;
        const bool blockTag = std::memcmp(header, kBlockTag, 4) == 0;
        if (zoneTag && length == kZoneImageSize) {
            std::vector<uint8_t> image(kZoneImageSize);
            if (!readExactly(f, image.data(), image.size())) return bad(ParamFileStatus::Truncated);
            out.zoneImage = std::move(image);
        } else if (blockTag && length == sizeof(EEpromV101)) {
            EEpromV101 block;
            if (!readExactly(f, &block, sizeof block)) return bad(ParamFileStatus::Truncated);
            out.block = block;
        } else if (strict && (zoneTag || blockTag)) {
            return ParamFileStatus::BadSectionLength;
        } else if (!skip(f, length)) {
            return bad(ParamFileStatus::Truncated);
        }
    }
    if (!strict) return ParamFileStatus::Ok;
    if (!out.zoneImage && !out.block) return ParamFileStatus::NotParamFile;
    if (out.block && !modelNameIsText(*out.block)) return ParamFileStatus::BadModelName;
    return ParamFileStatus::Ok;
}

}  // namespace

std::optional<ParamFileContents> read_param_file(const std::string& path) {
    std::FILE* f = openForReading(path);
    if (!f) return std::nullopt;
    ParamFileContents contents;
    readSections(f, contents, false);
    std::fclose(f);
    return contents;
}

ParamFileStatus load_param_file(const std::string& path, ParamFileContents& out) {
    out = ParamFileContents{};
    std::FILE* f = openForReading(path);
    if (!f) return ParamFileStatus::CannotOpen;
    ParamFileStatus status = readSections(f, out, true);
    if (status == ParamFileStatus::Ok && std::ferror(f)) status = ParamFileStatus::CannotOpen;
    std::fclose(f);
    if (status != ParamFileStatus::Ok) out = ParamFileContents{};
    return status;
}

const char* param_file_status_text(ParamFileStatus status) {
    switch (status) {
        case ParamFileStatus::Ok:
            return "";
        case ParamFileStatus::CannotOpen:
            return QT_TRANSLATE_NOOP("ParamFile", "load file error!");
        case ParamFileStatus::Truncated:
            return QT_TRANSLATE_NOOP("ParamFile", "The parameter file is cut short.");
        case ParamFileStatus::BadSectionLength:
            return QT_TRANSLATE_NOOP("ParamFile", "The parameter file has a section of the wrong length.");
        case ParamFileStatus::NotParamFile:
            return QT_TRANSLATE_NOOP("ParamFile", "The file is not a lidar parameter file.");
        case ParamFileStatus::BadModelName:
            return QT_TRANSLATE_NOOP("ParamFile",
                                     "The parameter block in the file names no valid lidar model.");
    }
    return "";
}
