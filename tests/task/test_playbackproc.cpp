// The playback worker on a thread of its own, as the window runs it: the size
// limit, bad files followed by a good one, batches instead of one signal per
// revolution, pause and seek while caching.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <random>

#include "../protocol/packet_builder.h"
#include "metatypes.h"
#include "playbackproc.h"
#include "qt_wait.h"

using pb::Bytes;

namespace {

constexpr int kWaitMs = 30000;

// `turns` turns of ten 0xFACF fans whose distance (mm) is 1000 + turn.
Bytes turns(int count) {
    Bytes b;
    for (int t = 0; t < count; ++t)
        for (int s = 0; s < 3600; s += 360)
            pb::append(b, pb::fanCFn(uint16_t(s), 360, 4, uint16_t(1000 + t)));
    return b;
}

// The turn a cached revolution starts in (its first fan is at 180 degrees).
int turnOf(const CompactRevolution& r) {
    return int(std::lround(r.expand().at(0).points[0].distance * 1000)) - 1000;
}

class PlaybackProcTest : public testing::Test {
protected:
    void SetUp() override {
        testsupport::ensureApp();
        registerTaskMetaTypes();
        m_proc = new PlaybackProc;
        m_proc->moveToThread(&m_thread);
        QObject::connect(m_proc, &PlaybackProc::sig_CacheData, &m_context,
                         [this](CachedRevolutions data, float progress) {
                             if (progress == 100.0f) {
                                 ++m_ends;
                                 return;
                             }
                             ++m_batches;
                             m_progress.push_back(progress);
                             m_cache.insert(m_cache.end(), data.revolutions.begin(), data.revolutions.end());
                         });
        QObject::connect(m_proc, &PlaybackProc::sig_data, &m_context, [this](int type, QByteArray text) {
            if (type == 1) m_errors << QString::fromLocal8Bit(text);
        });
        m_thread.start();
    }
    void TearDown() override {
        m_proc->stop();
        m_thread.quit();
        m_thread.wait();
        delete m_proc;
    }

    QString write(const QString& name, const Bytes& bytes, qint64 padTo = 0) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        if (padTo) {
            EXPECT_TRUE(f.resize(padTo));  // sparse zeros: no blocks written
        }
        return path;
    }
    void play(const QString& path) {
        QMetaObject::invokeMethod(
            m_proc, [this, path] { m_proc->recv_playback(path); }, Qt::QueuedConnection);
    }
    bool waitEnds(int ends) {
        return testsupport::waitUntil([&] { return m_ends >= ends; }, kWaitMs);
    }
    bool waitErrors(int errors) {
        return testsupport::waitUntil([&] { return m_errors.size() >= errors; }, kWaitMs);
    }

    QTemporaryDir m_dir;
    QThread m_thread;
    QObject m_context;
    PlaybackProc* m_proc = nullptr;
    std::vector<CompactRevolution> m_cache;
    std::vector<float> m_progress;
    QStringList m_errors;
    int m_batches = 0;
    int m_ends = 0;
};

}  // namespace

TEST_F(PlaybackProcTest, FiftyMebibytesArePlayedOneByteMoreIsRefused) {
    play(write("big.dump", turns(3), 52428801));
    ASSERT_TRUE(waitErrors(1));
    EXPECT_EQ(m_errors.last(), "The playback file cannot exceed 50MB!");
    play(write("limit.dump", turns(6), 52428800));
    ASSERT_TRUE(waitEnds(1));
    EXPECT_EQ(m_cache.size(), 4u);
    EXPECT_EQ(m_errors.size(), 1);
}

TEST_F(PlaybackProcTest, BadFilesAreReportedAndTheNextFileStillPlays) {
    std::mt19937 rng(3);
    Bytes noise(200000);
    for (uint8_t& b : noise) b = uint8_t(rng());
    const QString randomPath = write("random.dump", noise);
    const struct {
        QString path;
        QString message;
        bool ends;  // the cache is closed with progress 100
    } cases[] = {
        {m_dir.filePath("missing.dump"), "The playback file is open failed!", false},
        {m_dir.path(), "The playback file is open failed!", false},
        {write("empty.dump", {}), "The playback file is empty!", true},
        {randomPath, "no revolutions in " + randomPath, true},
    };
    int ends = 0;
    for (const auto& c : cases) {
        play(c.path);
        ASSERT_TRUE(waitErrors(m_errors.size() + 1)) << c.path.toStdString();
        EXPECT_EQ(m_errors.last(), c.message);
        if (c.ends) {
            ASSERT_TRUE(waitEnds(++ends));
        }
        EXPECT_TRUE(m_cache.empty());
    }
    play(write("good.dump", turns(5)));
    ASSERT_TRUE(waitEnds(ends + 1));
    EXPECT_EQ(m_cache.size(), 3u);
    EXPECT_EQ(m_errors.size(), 4);
}

TEST_F(PlaybackProcTest, ThousandRevolutionsArriveInBatchesInFileOrder) {
    play(write("long.dump", turns(1002)));
    ASSERT_TRUE(waitEnds(1));
    ASSERT_EQ(m_cache.size(), 1000u);
    // At most one batch per percent of the file, plus the count limit.
    EXPECT_LE(m_batches, 101 + 1000 / PlaybackProc::kBatchRevolutions);
    EXPECT_GE(m_batches, 1000 / PlaybackProc::kBatchRevolutions);
    for (size_t i = 0; i < m_cache.size(); ++i) ASSERT_EQ(turnOf(m_cache[i]), int(i) + 1);
    for (size_t i = 1; i < m_progress.size(); ++i) EXPECT_GT(m_progress[i], m_progress[i - 1]);
    EXPECT_LT(m_progress.back(), 100.0f);
}

TEST_F(PlaybackProcTest, PauseHoldsTheCachingAndSeekJumpsAhead) {
    m_proc->recv_isplayback(false);
    play(write("hundred.dump", turns(100)));
    ASSERT_TRUE(testsupport::waitUntil([&] { return m_proc->isPaused(); }, kWaitMs));
    EXPECT_EQ(m_batches, 0);
    m_proc->recv_playprogress(50);
    m_proc->recv_isplayback(true);
    ASSERT_TRUE(waitEnds(1));
    // The first message is read, then the jump: nothing before turn 50.
    ASSERT_GE(m_cache.size(), 45u);
    EXPECT_LE(m_cache.size(), 49u);
    for (const CompactRevolution& r : m_cache) EXPECT_GE(turnOf(r), 50);
}
