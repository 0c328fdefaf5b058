// Replays the committed inputs of every fuzz target (tests/data/fuzz/<name>/:
// the seeds made from real messages and each input a fuzzer once found
// failing) through the target's entry, so every finding stays fixed under
// any compiler and sanitizer.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <map>
#include <string>
#include <vector>

#include "fuzz_entry.h"

namespace fuzzreplay {

namespace {

std::map<std::string, Entry>& registry() {
    static std::map<std::string, Entry> targets;
    return targets;
}

std::vector<std::string>* g_failures = nullptr;

}  // namespace

bool registerTarget(const char* name, Entry entry) {
    registry()[name] = entry;
    return true;
}

void checkFailed(const char* condition, const char* file, int line) {
    if (g_failures)
        g_failures->push_back(std::string(file) + ":" + std::to_string(line) + ": " + condition);
}

}  // namespace fuzzreplay

namespace {

class FuzzCorpus : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzCorpus, EveryCommittedInputHoldsTheTargetsChecks) {
    const std::string name = GetParam();
    const auto entry = fuzzreplay::registry().find(name);
    ASSERT_NE(entry, fuzzreplay::registry().end()) << "no entry for " << name;
    const QDir dir(QStringLiteral(VANTREL_TEST_DATA_DIR "/fuzz/") + QString::fromStdString(name));
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty()) << "target " << name << " has no seed corpus in " << dir.path().toStdString();
    for (const QString& file : files) {
        QFile f(dir.filePath(file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
        const QByteArray bytes = f.readAll();
        std::vector<std::string> failures;
        fuzzreplay::g_failures = &failures;
        entry->second(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
        fuzzreplay::g_failures = nullptr;
        for (const std::string& failure : failures) ADD_FAILURE() << name << "/" << file.toStdString() << ": " << failure;
    }
}

std::vector<std::string> targetNames() {
    std::vector<std::string> names;
    for (const auto& [name, entry] : fuzzreplay::registry()) names.push_back(name);
    return names;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpus, ::testing::ValuesIn(targetNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
