#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <string>
#include <vector>

#include "param_file.h"

namespace {

class ParamFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    std::string path(const char* name) const { return m_dir.filePath(name).toStdString(); }

    static QByteArray readAll(const std::string& p) {
        QFile f(QString::fromStdString(p));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return f.readAll();
    }
    static void writeAll(const std::string& p, const QByteArray& bytes) {
        QFile f(QString::fromStdString(p));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    QTemporaryDir m_dir;
};

QByteArray sectionHeader(const char* tag, uint32_t length) {
    QByteArray h(tag, 4);
    for (int i = 0; i < 4; ++i) h.append(char(length >> (8 * i)));
    return h;
}

EEpromV101 sampleBlock() {
    EEpromV101 b;
    for (size_t i = 0; i < sizeof b; ++i) reinterpret_cast<uint8_t*>(&b)[i] = uint8_t(i * 7 + 3);
    return b;
}

QByteArray blockBytes(const EEpromV101& b) {
    return QByteArray(reinterpret_cast<const char*>(&b), sizeof b);
}

std::vector<uint8_t> sampleZoneImage() {
    std::vector<uint8_t> image(kZoneImageSize);
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i ^ (i >> 8));
    return image;
}

}  // namespace

TEST_F(ParamFileTest, BlockOnlyFileIs160Bytes) {
    const EEpromV101 b = sampleBlock();
    ASSERT_TRUE(write_param_file(path("a.lidar"), nullptr, &b));
    EXPECT_EQ(readAll(path("a.lidar")), sectionHeader("v101", 152) + blockBytes(b));
}

TEST_F(ParamFileTest, ZoneSectionComesFirst) {
    const EEpromV101 b = sampleBlock();
    const auto image = sampleZoneImage();
    ASSERT_TRUE(write_param_file(path("z.lidar"), image.data(), &b));
    const QByteArray expected = sectionHeader("zone", 0x34000) +
                                QByteArray(reinterpret_cast<const char*>(image.data()), int(image.size())) +
                                sectionHeader("v101", 152) + blockBytes(b);
    EXPECT_EQ(readAll(path("z.lidar")), expected);

    const auto contents = read_param_file(path("z.lidar"));
    ASSERT_TRUE(contents.has_value());
    ASSERT_TRUE(contents->zoneImage.has_value());
    EXPECT_EQ(*contents->zoneImage, image);
    ASSERT_TRUE(contents->block.has_value());
    EXPECT_EQ(std::memcmp(&*contents->block, &b, sizeof b), 0);
}

TEST_F(ParamFileTest, UnknownSectionsAreSkipped) {
    const EEpromV101 b = sampleBlock();
    // An unknown tag, then a known tag with a foreign length, then the block.
    writeAll(path("u.lidar"), sectionHeader("xtra", 5) + QByteArray("12345") + sectionHeader("zone", 10) +
                                  QByteArray(10, 'z') + sectionHeader("v101", 152) + blockBytes(b));
    const auto contents = read_param_file(path("u.lidar"));
    ASSERT_TRUE(contents.has_value());
    EXPECT_FALSE(contents->zoneImage.has_value());
    ASSERT_TRUE(contents->block.has_value());
    EXPECT_EQ(std::memcmp(&*contents->block, &b, sizeof b), 0);
}

TEST_F(ParamFileTest, FileWithoutBlockHasOnlyZones) {
    const auto image = sampleZoneImage();
    ASSERT_TRUE(write_param_file(path("zo.lidar"), image.data(), nullptr));
    const auto contents = read_param_file(path("zo.lidar"));
    ASSERT_TRUE(contents.has_value());
    EXPECT_TRUE(contents->zoneImage.has_value());
    EXPECT_FALSE(contents->block.has_value());
}

TEST_F(ParamFileTest, ShortReadsStopWithoutPartialSections) {
    const EEpromV101 b = sampleBlock();
    // Block cut in the middle.
    writeAll(path("s1.lidar"), sectionHeader("v101", 152) + blockBytes(b).left(100));
    auto contents = read_param_file(path("s1.lidar"));
    ASSERT_TRUE(contents.has_value());
    EXPECT_FALSE(contents->block.has_value());

    // A whole block, then half a header.
    writeAll(path("s2.lidar"), sectionHeader("v101", 152) + blockBytes(b) + QByteArray("zon"));
    contents = read_param_file(path("s2.lidar"));
    ASSERT_TRUE(contents.has_value());
    EXPECT_TRUE(contents->block.has_value());

    // An unknown section that claims 4 GB: reading stops at the end of the file.
    writeAll(path("s3.lidar"), sectionHeader("junk", 0xFFFFFFFFu) + QByteArray(64, 'j'));
    contents = read_param_file(path("s3.lidar"));
    ASSERT_TRUE(contents.has_value());
    EXPECT_FALSE(contents->block.has_value());
    EXPECT_FALSE(contents->zoneImage.has_value());
}

// A pipe without a writer or an endless device must be refused at once, not
// wait for ever or be read for ever.
TEST_F(ParamFileTest, OnlyRegularFilesAreOpened) {
    ASSERT_EQ(mkfifo(path("pipe.lidar").c_str(), 0600), 0);
    for (const std::string& p :
         {path("missing.lidar"), m_dir.path().toStdString(), path("pipe.lidar"), std::string("/dev/zero")}) {
        EXPECT_FALSE(read_param_file(p).has_value()) << p;
        ParamFileContents contents;
        EXPECT_EQ(load_param_file(p, contents), ParamFileStatus::CannotOpen) << p;
    }
}

TEST_F(ParamFileTest, EmptyFileHasNothing) {
    writeAll(path("e.lidar"), QByteArray());
    const auto contents = read_param_file(path("e.lidar"));
    ASSERT_TRUE(contents.has_value());
    EXPECT_FALSE(contents->block.has_value());
    EXPECT_FALSE(contents->zoneImage.has_value());
}

TEST_F(ParamFileTest, UncreatableFileReportsFailure) {
    const EEpromV101 b = sampleBlock();
    std::string error;
    EXPECT_FALSE(write_param_file(path("no/such/dir/x.lidar"), nullptr, &b, &error));
    EXPECT_FALSE(error.empty());
}

// Regression: a full disk must be reported as a failed export, not as success.
TEST_F(ParamFileTest, FullDiskReportsFailure) {
    if (!QFile::exists(QStringLiteral("/dev/full"))) GTEST_SKIP() << "no /dev/full on this system";
    const EEpromV101 b = sampleBlock();
    std::string error;
    EXPECT_FALSE(write_param_file("/dev/full", nullptr, &b, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(QFile::exists(QStringLiteral("/dev/full")));
}

// ---------------------------------------------------------------- careful reading for imports

// Files an import must refuse whole, each with its reason; and the forms it
// takes as they are.
TEST_F(ParamFileTest, ImportReadingRefusesDamagedFiles) {
    const EEpromV101 b = sampleBlock();
    EEpromV101 named = b;
    std::memset(named.typeId, 0, sizeof named.typeId);
    std::memcpy(named.typeId, "TQX-H540-S", 10);
    EEpromV101 binaryName = named;
    binaryName.typeId[3] = '\x01';
    const QByteArray good = sectionHeader("v101", 152) + blockBytes(named);

    const struct {
        const char* name;
        QByteArray bytes;
        ParamFileStatus status;
    } cases[] = {
        {"good", good, ParamFileStatus::Ok},
        {"unknown-first", sectionHeader("xtra", 3) + "abc" + good, ParamFileStatus::Ok},
        {"empty", QByteArray(), ParamFileStatus::NotParamFile},
        {"short-header", QByteArray("v10"), ParamFileStatus::Truncated},
        {"short-block", good.left(100), ParamFileStatus::Truncated},
        {"trailing-half-header", good + "zon", ParamFileStatus::Truncated},
        {"wrong-block-length", sectionHeader("v101", 150) + blockBytes(named).left(150),
         ParamFileStatus::BadSectionLength},
        {"wrong-zone-length", sectionHeader("zone", 10) + QByteArray(10, 'z') + good,
         ParamFileStatus::BadSectionLength},
        {"binary-model-name", sectionHeader("v101", 152) + blockBytes(binaryName),
         ParamFileStatus::BadModelName},
        {"text-file", QByteArray("hello world, not a parameter file\n"), ParamFileStatus::Truncated},
        {"binary-file",
         QByteArray("\x7f"
                    "ELF\x02\x01\x01\x00",
                    8) +
             QByteArray(64, '\0'),
         ParamFileStatus::NotParamFile},
        {"unknown-only", sectionHeader("xtra", 3) + "abc", ParamFileStatus::NotParamFile},
    };
    for (const auto& c : cases) {
        writeAll(path(c.name), c.bytes);
        ParamFileContents contents;
        contents.block = b;  // stale contents never survive a refusal
        EXPECT_EQ(load_param_file(path(c.name), contents), c.status) << c.name;
        if (c.status == ParamFileStatus::Ok) {
            ASSERT_TRUE(contents.block.has_value()) << c.name;
            EXPECT_EQ(std::memcmp(&*contents.block, &named, sizeof named), 0) << c.name;
        } else {
            EXPECT_FALSE(contents.block.has_value()) << c.name;
            EXPECT_FALSE(contents.zoneImage.has_value()) << c.name;
            EXPECT_STRNE(param_file_status_text(c.status), "") << c.name;
        }
    }
    ParamFileContents contents;
    EXPECT_EQ(load_param_file(path("missing"), contents), ParamFileStatus::CannotOpen);
    EXPECT_EQ(load_param_file(m_dir.path().toStdString(), contents), ParamFileStatus::CannotOpen);
}
