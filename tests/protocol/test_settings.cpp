#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <string>
#include <thread>
#include <vector>

#include "settings.h"

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        Settings::setDirectoryForTesting(dir());
    }
    std::string dir() const { return m_dir.path().toStdString(); }
    std::string iniPath() const { return dir() + "/KorvellView.ini"; }
    QByteArray fileText() const {
        QFile f(QString::fromStdString(iniPath()));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return f.readAll();
    }

    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(SettingsTest, MissingFileIsCreatedEmptyAndReadsDefaults) {
    const QFileInfo info(QString::fromStdString(iniPath()));
    EXPECT_TRUE(info.exists());
    EXPECT_EQ(info.size(), 0);
    EXPECT_EQ(Settings::instance().filePath(), iniPath());
    EXPECT_EQ(Settings::instance().Read("Standard", "Language", "Auto"), "Auto");
    EXPECT_EQ(Settings::instance().Read("Standard", "Logpath"), "");
}

TEST_F(SettingsTest, WriteIsSavedAtOnceAndSurvivesReload) {
    ASSERT_TRUE(Settings::instance().Write("Standard", "Language", "English"));
    ASSERT_TRUE(Settings::instance().Write("History", "history0", "UDP:192.168.1.10:2111"));
    const QByteArray text = fileText();
    EXPECT_TRUE(text.contains("[Standard]"));
    EXPECT_TRUE(text.contains("English"));

    Settings::setDirectoryForTesting(dir());  // load the file afresh
    EXPECT_EQ(Settings::instance().Read("Standard", "Language", "Auto"), "English");
    EXPECT_EQ(Settings::instance().Read("History", "history0"), "UDP:192.168.1.10:2111");
}

TEST_F(SettingsTest, SectionsAndKeysIgnoreLetterCase) {
    ASSERT_TRUE(Settings::instance().Write("standard", "LOGPATH", "/data/logs"));
    EXPECT_EQ(Settings::instance().Read("Standard", "Logpath"), "/data/logs");
    ASSERT_TRUE(Settings::instance().Write("STANDARD", "logpath", "/other"));
    EXPECT_EQ(Settings::instance().Read("Standard", "Logpath"), "/other");
    // One key, not two.
    EXPECT_EQ(fileText().count("/data/logs"), 0);
}

TEST_F(SettingsTest, ExistingFileWithOtherCaseIsFound) {
    QFile f(QString::fromStdString(iniPath()));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[LOGIN]\r\nsavepasswd = 1\r\n");
    f.close();
    Settings::setDirectoryForTesting(dir());
    EXPECT_EQ(Settings::instance().Read("Login", "SavePasswd", "0"), "1");
}

TEST_F(SettingsTest, LongValuesAreCutTo128Characters) {
    const std::string longValue(300, 'p');
    ASSERT_TRUE(Settings::instance().Write("Standard", "ImportPath", longValue));
    EXPECT_EQ(Settings::instance().Read("Standard", "ImportPath"), std::string(128, 'p'));
    Settings::setDirectoryForTesting(dir());
    EXPECT_EQ(Settings::instance().Read("Standard", "ImportPath"), std::string(128, 'p'));

    // Characters, not bytes: a path of 130 Chinese characters keeps 128 whole ones.
    std::string chinese;
    for (int i = 0; i < 130; ++i) chinese += "\xE8\xB7\xAF";  // U+8DEF
    ASSERT_TRUE(Settings::instance().Write("Standard", "ExportPath", chinese));
    EXPECT_EQ(Settings::instance().Read("Standard", "ExportPath"), chinese.substr(0, 128 * 3));
}

// Regression: a value with a line break must not turn into extra keys.
TEST_F(SettingsTest, LineBreaksCannotInjectKeys) {
    ASSERT_TRUE(Settings::instance().Write("Standard", "Logpath", "/tmp/a\n[Login]\nAutoLogin=1"));
    Settings::setDirectoryForTesting(dir());
    EXPECT_EQ(Settings::instance().Read("Login", "AutoLogin", "0"), "0");
    EXPECT_EQ(Settings::instance().Read("Standard", "Logpath"), "/tmp/a [Login] AutoLogin=1");
    EXPECT_FALSE(Settings::instance().Write("Standard", "bad\nkey", "x"));
    EXPECT_FALSE(Settings::instance().Write("", "key", "x"));
}

// Regression (fuzzing): a value ending in a line break read back with a
// trailing blank until the next start, and without it afterwards.
TEST_F(SettingsTest, ValueReadsBackTheSameBeforeAndAfterReload) {
    const std::string written[] = {"/data/logs\n", "  /data/logs\t", "\r\n", "a b"};
    const std::string stored[] = {"/data/logs", "/data/logs", "", "a b"};
    for (size_t i = 0; i < 4; ++i) {
        ASSERT_TRUE(Settings::instance().Write("Standard", "Logpath", written[i]));
        EXPECT_EQ(Settings::instance().Read("Standard", "Logpath", "-"), stored[i]);
        Settings::setDirectoryForTesting(dir());
        EXPECT_EQ(Settings::instance().Read("Standard", "Logpath", "-"), stored[i]);
    }
}

TEST_F(SettingsTest, ConcurrentReadersAndWritersSeeWholeValues) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            const std::string key = "history" + std::to_string(t);
            for (int i = 0; i < 50; ++i) {
                Settings::instance().Write("History", key, "value" + std::to_string(i));
                const std::string v = Settings::instance().Read("Standard", "Logpath", "none");
                EXPECT_EQ(v, "none");
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(Settings::instance().Read("History", "history" + std::to_string(t)), "value49");
}
