// Caching a 50 MiB recording for playback, the way the window does it: the
// worker on a thread of its own decodes the file and hands the revolutions
// to the GUI thread, which keeps them for replay.
//
//   BM_CacheCompact  PlaybackProc: compact revolutions, batches of them
//   BM_CachePlain    the plain way for comparison: the file read whole into
//                    a byte array, one queued signal per revolution carrying
//                    a std::vector<RawData>, kept as such
//
// Counters: worker_s (wall time of the worker's loop), worker_cpu_s (its
// thread CPU time), peak_growth_x_file (the process's peak resident memory
// during the run, above what it held before, divided by the file size),
// revolutions and deliveries (queued signals that reached the GUI thread).
// Targets for the compact way: worker_s <= 0.5 and peak_growth_x_file <= 2.
//
// The recording is made by the simulator (facf, or faaa segments) and cut
// to exactly 52428800 bytes, the largest file playback accepts.

#include <benchmark/benchmark.h>
#include <time.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <fstream>
#include <string>

#include "metatypes.h"
#include "playbackproc.h"
#include "recording_file.h"
#include "simulator.h"
#include "stream_replay.h"

namespace {

struct Recording {
    QString path;
    qint64 size = 0;
};

// A simulator recording of exactly kMaxReplayBytes bytes, made once per format.
Recording recording(sim::StreamFormat format) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(sim::streamFormatName(format) + QStringLiteral(".dump"));
    if (!QFile::exists(path)) {
        sim::SimOptions o;
        o.format = format;
        o.formatGiven = true;
        o.logCommands = false;
        QString error;
        // Long enough for either format to pass 50 MiB; the tail is cut off.
        if (!sim::writeDump(o, path, format == sim::StreamFormat::Faaa ? 300.0 : 500.0, &error))
            qFatal("cannot make the recording: %s", qPrintable(error));
        QFile f(path);
        if (f.size() < qint64(kMaxReplayBytes) || !f.resize(qint64(kMaxReplayBytes)))
            qFatal("the recording is shorter than 50 MiB");
    }
    return {path, QFile(path).size()};
}

long statusKiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
    return -1;
}

// Sets the peak back to what is resident now (Linux 4.0 and later).
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct Run {
    double workerSeconds = 0;
    double workerCpuSeconds = 0;
    long revolutions = 0;
    long deliveries = 0;
};

// Runs `work` on a fresh worker thread while this thread runs its event loop
// until `done` holds; measures the worker's wall and CPU time.
template <typename Work, typename Done>
void runOnWorker(QThread& thread, QObject* target, Run& run, Work work, Done done) {
    bool finished = false;
    QMetaObject::invokeMethod(
        target,
        [&] {
            QElapsedTimer clock;
            const double cpu0 = threadCpuSeconds();
            clock.start();
            work();
            run.workerSeconds = double(clock.nsecsElapsed()) * 1e-9;
            run.workerCpuSeconds = threadCpuSeconds() - cpu0;
            QMetaObject::invokeMethod(QCoreApplication::instance(), [&] { finished = true; });
        },
        Qt::QueuedConnection);
    while (!(finished && done())) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    (void)thread;
}

void report(benchmark::State& state, const Run& run, long baseKiB, qint64 fileBytes) {
    const long peakKiB = statusKiB("VmHWM");
    const double growth = double(peakKiB - baseKiB) * 1024.0;
    state.SetIterationTime(run.workerSeconds);
    state.counters["worker_s"] = run.workerSeconds;
    state.counters["worker_cpu_s"] = run.workerCpuSeconds;
    state.counters["peak_growth_MiB"] = growth / 1048576.0;
    state.counters["peak_growth_x_file"] = growth / double(fileBytes);
    state.counters["revolutions"] = double(run.revolutions);
    state.counters["deliveries"] = double(run.deliveries);
    state.counters["file_MiB"] = double(fileBytes) / 1048576.0;
}

void BM_CacheCompact(benchmark::State& state) {
    const Recording rec = recording(sim::StreamFormat(state.range(0)));
    for (auto _ : state) {
        QThread thread;
        auto* proc = new PlaybackProc;
        proc->moveToThread(&thread);
        thread.start();
        Run run;
        bool closed = false;
        {
            // What the playback dialog keeps.
            std::vector<CompactRevolution> cache;
            QObject gui;
            QObject::connect(proc, &PlaybackProc::sig_CacheData, &gui, [&](CachedRevolutions d, float p) {
                ++run.deliveries;
                if (p == 100.0f) {
                    closed = true;
                    return;
                }
                cache.insert(cache.end(), d.revolutions.begin(), d.revolutions.end());
            });
            resetPeak();
            const long base = statusKiB("VmRSS");
            runOnWorker(
                thread, proc, run, [&] { proc->recv_playback(rec.path); }, [&] { return closed; });
            run.revolutions = long(cache.size());
            report(state, run, base, rec.size);
        }
        thread.quit();
        thread.wait();
        delete proc;
    }
}

void BM_CachePlain(benchmark::State& state) {
    const Recording rec = recording(sim::StreamFormat(state.range(0)));
    for (auto _ : state) {
        QThread thread;
        QObject worker;
        worker.moveToThread(&thread);
        thread.start();
        Run run;
        bool closed = false;
        {
            std::vector<std::vector<RawData>> cache;
            QObject gui;
            resetPeak();
            const long base = statusKiB("VmRSS");
            auto work = [&] {
                QFile f(rec.path);
                if (!f.open(QIODevice::ReadOnly)) return;
                const QByteArray bytes = f.readAll();
                ReplaySink sink;
                // One queued call per revolution, carrying a copy of it.
                sink.revolution = [&](const Revolution& r, float) {
                    QMetaObject::invokeMethod(
                        &gui,
                        [&, r] {
                            ++run.deliveries;
                            cache.push_back(r);
                        },
                        Qt::QueuedConnection);
                };
                replay_stream(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()),
                              sink);
                QMetaObject::invokeMethod(
                    &gui, [&] { closed = true; }, Qt::QueuedConnection);
            };
            runOnWorker(thread, &worker, run, work, [&] { return closed; });
            run.revolutions = long(cache.size());
            report(state, run, base, rec.size);
        }
        thread.quit();
        thread.wait();
    }
}

// Where the compact way spends its time, on this thread alone: reading the
// file, decoding it into revolutions, compacting them.
void BM_CachePhases(benchmark::State& state) {
    const Recording rec = recording(sim::StreamFormat(state.range(0)));
    for (auto _ : state) {
        double t0 = threadCpuSeconds();
        RecordingFile file;
        if (file.open(QFile::encodeName(rec.path).toStdString()) != RecordingFile::Ok) qFatal("cannot read");
        const double read = threadCpuSeconds() - t0;
        long revolutions = 0;
        ReplaySink count;
        count.revolution = [&](const Revolution&, float) { ++revolutions; };
        t0 = threadCpuSeconds();
        replay_stream(file.data(), file.size(), count);
        const double decode = threadCpuSeconds() - t0;
        std::vector<CompactRevolution> cache;
        ReplaySink keep;
        CompactArena arena;
        keep.revolution = [&](const Revolution& r, float) { cache.emplace_back(r, &arena); };
        t0 = threadCpuSeconds();
        replay_stream(file.data(), file.size(), keep);
        const double both = threadCpuSeconds() - t0;
        state.SetIterationTime(read + both);
        state.counters["read_cpu_s"] = read;
        state.counters["decode_cpu_s"] = decode;
        state.counters["compact_cpu_s"] = both - decode;
        state.counters["revolutions"] = double(revolutions);
    }
}

void formats(benchmark::internal::Benchmark* b) {
    b->Arg(int(sim::StreamFormat::Facf))->Arg(int(sim::StreamFormat::Faaa));
    b->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_CacheCompact)->Apply(formats);
BENCHMARK(BM_CachePlain)->Apply(formats);
BENCHMARK(BM_CachePhases)->Apply(formats);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    registerTaskMetaTypes();
    PlaybackProc::registerMetaTypes();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
