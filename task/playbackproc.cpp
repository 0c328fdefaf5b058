#include "playbackproc.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include "recording_file.h"
#include "recvtrace.h"
#include "stream_replay.h"

namespace {

constexpr const char* kTraceFile = "task/playbackproc.cpp";

// Memory behind the decoder goes back to the system in steps of this size.
constexpr size_t kReleaseStep = size_t(2) << 20;

// A file of noise yields a failure per few bytes; the trace keeps the first
// ones and then one in a thousand.
bool worthTracing(int errorCount) {
    return errorCount <= 10 || errorCount % 1000 == 0;
}

}  // namespace

PlaybackProc::PlaybackProc(QObject* parent) : QObject(parent) {
    registerMetaTypes();
}

PlaybackProc::~PlaybackProc() = default;

void PlaybackProc::registerMetaTypes() {
    qRegisterMetaType<CachedRevolutions>("CachedRevolutions");
}

void PlaybackProc::recv_isplayback(bool isplay) {
    m_playing = isplay;
}

void PlaybackProc::recv_playprogress(int progress) {
    RECV_TRACE("PlaybackProc::recv_playprogress") << progress;
    m_seekPercent = progress < 0 ? 0 : (progress > 100 ? 100 : progress);
}

void PlaybackProc::reportError(const QString& text) {
    RECV_TRACE("PlaybackProc::recv_playback") << text;
    emit sig_data(1, text.toLocal8Bit());
}

void PlaybackProc::recv_playback(QString filename) {
    const int run = ++m_runs;
    if (cancelled(run)) return;
    RECV_TRACE("PlaybackProc::recv_playback") << filename << "run" << run;

    RecordingFile file;
    switch (file.open(QFile::encodeName(filename).toStdString())) {
        case RecordingFile::Ok:
            break;
        case RecordingFile::TooLarge:
            reportError(tr("The playback file cannot exceed 50MB!"));
            return;
        default:
            reportError(tr("The playback file is open failed!"));
            return;
    }

    StreamReplay replay(file.data(), file.size(), m_verify != 0, m_nearZero);
    CompactArena arena;
    CachedRevolutions batch{run, {}};
    float batchProgress = 0.0f;
    float flushedProgress = 0.0f;
    auto flush = [&] {
        if (batch.revolutions.empty()) return;
        emit sig_CacheData(batch, batchProgress);
        batch.revolutions.clear();
        flushedProgress = batchProgress;
    };

    ReplaySink sink;
    sink.boundary = [&](int boundary) {
        RECV_TRACE("PlaybackProc::recv_playback") << "boundary" << boundary;
        emit sig_offsetAngle(boundary);
    };
    sink.revolution = [&](const Revolution& revolution, float progress) {
        batch.revolutions.emplace_back(revolution, &arena);
        batchProgress = progress;
        if (int(batch.revolutions.size()) >= kBatchRevolutions ||
            progress - flushedProgress >= kBatchProgressStep)
            flush();
    };
    sink.decodeError = [&](const char* message, int errorCount, int frameCount) {
        if (worthTracing(errorCount))
            RECV_TRACE("PlaybackProc::recv_playback")
                << message << "errors" << errorCount << "frames" << frameCount;
    };
    sink.revolutionDropped = [&](const std::string& text) {
        RECV_TRACE("PlaybackProc::recv_playback") << QString::fromStdString(text);
    };
    Revolution partial;
    sink.finished = [&](const Revolution& rest) { partial = rest; };

    size_t released = 0;
    while (!replay.atEnd()) {
        if (cancelled(run)) break;
        if (!m_playing) {
            // What is cached so far is the operator's to replay while we wait.
            flush();
            m_paused = true;
            QThread::msleep(kPauseSliceMs);
            continue;
        }
        m_paused = false;
        replay.step(sink);
        const int seek = m_seekPercent.exchange(-1);
        if (seek >= 0) {
            replay.seekPercent(seek);
            file.restore(replay.position());
            released = file.readableFrom();
            RECV_TRACE("PlaybackProc::recv_playback") << "seek" << seek << "position" << replay.position();
        } else if (replay.position() >= released + kReleaseStep) {
            file.release(replay.position());
            released = replay.position();
        }
    }
    m_paused = false;
    if (cancelled(run)) {
        RECV_TRACE("PlaybackProc::recv_playback") << "playback cancelled" << run;
        return;
    }
    flush();
    replay.finish(sink);
    CachedRevolutions last{run, {}};
    if (!partial.empty()) last.revolutions.emplace_back(partial);
    emit sig_CacheData(last, 100.0f);

    if (file.size() == 0)
        reportError(tr("The playback file is empty!"));
    else if (replay.frameCount() == 0)
        reportError(tr("no revolutions in %1").arg(QDir::toNativeSeparators(filename)));
    RECV_TRACE("PlaybackProc::recv_playback")
        << "playback thread end" << replay.frameCount() << "revolutions" << replay.errorCount() << "errors";
}
