#include "firmware_image.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "crc32.h"
#include "le_bytes.h"

FirmwareImageCheck check_firmware_image(const uint8_t* data, size_t size, FirmwareImageInfo* info) {
    FirmwareImageInfo local;
    FirmwareImageInfo& out = info ? *info : local;
    out = FirmwareImageInfo{};
    if (data == nullptr || size < kFirmwareHeaderSize) return FirmwareImageCheck::TooShort;
    out.length = le32(data + 4);
    out.storedCrc = le32(data + 12);
    if (le32(data) != kFirmwareMagic) return FirmwareImageCheck::BadMagic;
    // An empty payload would make the scanner write an empty image.
    if (out.length == 0 || out.length % kFirmwareChunk != 0) return FirmwareImageCheck::BadLength;
    if (size - kFirmwareHeaderSize != out.length) return FirmwareImageCheck::SizeMismatch;
    out.payloadCrc = crc32_words(data + kFirmwareHeaderSize, out.length / 4);
    if (out.payloadCrc != out.storedCrc) return FirmwareImageCheck::BadCrc;
    return FirmwareImageCheck::Ok;
}

const char* firmware_check_text(FirmwareImageCheck check) {
    switch (check) {
        case FirmwareImageCheck::Ok:
            return "accepted";
        case FirmwareImageCheck::TooShort:
            return "shorter than the 652-byte header";
        case FirmwareImageCheck::BadMagic:
            return "wrong magic (not 0xB18E03EA)";
        case FirmwareImageCheck::BadLength:
            return "payload length is zero or not a multiple of 512";
        case FirmwareImageCheck::SizeMismatch:
            return "file size is not the payload length + 652";
        case FirmwareImageCheck::BadCrc:
            return "payload CRC does not match the header";
    }
    return "unknown";
}

std::vector<uint8_t> pack_firmware_image(const uint8_t* data, size_t size) {
    if (data == nullptr || size == 0 || size > kMaxFirmwareFile) return {};
    const size_t length = (size + kFirmwareChunk - 1) / kFirmwareChunk * kFirmwareChunk;
    std::vector<uint8_t> image(kFirmwareHeaderSize + length, 0);
    std::copy(data, data + size, image.begin() + kFirmwareHeaderSize);
    put_le32(image.data(), kFirmwareMagic);
    put_le32(image.data() + 4, static_cast<uint32_t>(length));
    put_le32(image.data() + 12, crc32_words(image.data() + kFirmwareHeaderSize, length / 4));
    return image;
}

bool load_firmware_file(const std::string& path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    // Opened without waiting: a named pipe nobody writes to would otherwise
    // hold the caller at the open for ever. Reads then wait as usual, so a
    // pipe with a writer delivers its bytes, and one without reads as empty.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    const int flags = fcntl(fd, F_GETFL);
    std::unique_ptr<FILE, int (*)(FILE*)> file(
        flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 ? fdopen(fd, "rb") : nullptr,
        &std::fclose);
    if (!file) {
        ::close(fd);
        return false;
    }
    // Read in pieces rather than trusting a size reported up front: the file
    // may be a pipe or change while we read it.
    uint8_t piece[65536];
    for (;;) {
        const size_t n = std::fread(piece, 1, sizeof piece, file.get());
        if (n > 0) {
            if (bytes.size() + n > kMaxFirmwareFile) {
                bytes.clear();
                return false;
            }
            bytes.insert(bytes.end(), piece, piece + n);
        }
        if (n < sizeof piece) break;
    }
    if (std::ferror(file.get())) {
        bytes.clear();
        return false;
    }
    return true;
}
