#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "crc32.h"
#include "firmware_image.h"
#include "firmware_support.h"
#include "le_bytes.h"

namespace {

using firmware_test::makeImage;

TEST(FirmwareImage, WellFormedImageIsAcceptedWithItsLengthAndCrc) {
    const std::vector<uint8_t> image = makeImage(1024);
    FirmwareImageInfo info;
    EXPECT_EQ(check_firmware_image(image, &info), FirmwareImageCheck::Ok);
    EXPECT_EQ(info.length, 1024u);
    EXPECT_EQ(info.storedCrc, crc32_words(image.data() + 652, 256));
    EXPECT_EQ(info.payloadCrc, info.storedCrc);
}

TEST(FirmwareImage, EveryDamageIsRefused) {
    struct Case {
        const char* name;
        void (*damage)(std::vector<uint8_t>&);
        FirmwareImageCheck expected;
    };
    const Case cases[] = {
        {"wrong magic", [](std::vector<uint8_t>& i) { i[0] ^= 1; }, FirmwareImageCheck::BadMagic},
        {"length not a multiple of 512", [](std::vector<uint8_t>& i) { put_le32(i.data() + 4, 1000); },
         FirmwareImageCheck::BadLength},
        {"zero length", [](std::vector<uint8_t>& i) { put_le32(i.data() + 4, 0); },
         FirmwareImageCheck::BadLength},
        {"one byte too many", [](std::vector<uint8_t>& i) { i.push_back(0); },
         FirmwareImageCheck::SizeMismatch},
        {"one piece missing", [](std::vector<uint8_t>& i) { i.resize(i.size() - 512); },
         FirmwareImageCheck::SizeMismatch},
        {"payload byte flipped", [](std::vector<uint8_t>& i) { i[652 + 700] ^= 0x40; },
         FirmwareImageCheck::BadCrc},
        {"header only", [](std::vector<uint8_t>& i) { i.resize(100); }, FirmwareImageCheck::TooShort},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> image = makeImage(1024);
        c.damage(image);
        EXPECT_EQ(check_firmware_image(image), c.expected) << c.name;
        EXPECT_STRNE(firmware_check_text(c.expected), "accepted") << c.name;
    }
}

TEST(FirmwareImage, PackRoundsUpZeroPadsAndPassesTheCheck) {
    struct Case {
        size_t input;
        size_t length;
    };
    for (const Case c : {Case{1000, 1024}, Case{512, 512}, Case{1, 512}, Case{513, 1024}}) {
        std::vector<uint8_t> input(c.input);
        for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<uint8_t>(i * 13 + 1);
        const std::vector<uint8_t> image = pack_firmware_image(input.data(), input.size());
        ASSERT_EQ(image.size(), c.length + 652) << c.input;
        EXPECT_EQ(le32(image.data() + 4), c.length);
        EXPECT_EQ(check_firmware_image(image), FirmwareImageCheck::Ok) << c.input;
        EXPECT_TRUE(std::equal(input.begin(), input.end(), image.begin() + 652));
        for (size_t i = 652 + c.input; i < image.size(); ++i) ASSERT_EQ(image[i], 0) << i;
        // The fields the reader does not interpret are zero.
        for (size_t i = 8; i < 12; ++i) EXPECT_EQ(image[i], 0);
        for (size_t i = 16; i < 652; ++i) ASSERT_EQ(image[i], 0) << i;
    }
    EXPECT_TRUE(pack_firmware_image(nullptr, 0).empty());
}

// A named pipe chosen as the image: without a writer it reads as empty at
// once (the upgrade then refuses it) instead of holding the caller for ever.
TEST(FirmwareImage, PipeWithoutWriterLoadsEmptyAtOnce) {
    char dir[] = "/tmp/vantrel-fw-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string pipe = std::string(dir) + "/fw.bin";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::vector<uint8_t> bytes{1, 2, 3};
    EXPECT_TRUE(load_firmware_file(pipe, bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(load_firmware_file(std::string(dir) + "/missing.bin", bytes));
    std::remove(pipe.c_str());
    rmdir(dir);
}

}  // namespace
