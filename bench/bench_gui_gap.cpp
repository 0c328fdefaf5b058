// How long the main window's GUI thread goes without handling events: a probe
// timer ticks on it every millisecond and the longest gap between two ticks
// is what an operator would feel as a freeze (max_gap_ms). On a loaded
// machine that gap also holds the time the thread waited for a core, so the
// GUI thread's own processor time between two ticks is reported beside it
// (max_busy_ms): the part of a gap that the window's work itself caused.
//
//   connecting  a TCP link to a port that never answers (the connect runs
//               into its 3 s time-out) until the failure is reported
//   streaming   a simulated scanner at 10 revolutions per second, window
//               shown at 1280 x 800, point-cloud page in front, for 3 s
//
// Sockets stay on loopback: run it inside scripts/netns, as
//   scripts/netns build/bench/bench_gui_gap

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <ctime>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "graphics_item_data.h"
#include "mainpage.h"
#include "netguard.h"
#include "page_lidar.h"
#include "settings.h"
#include "simulator.h"

namespace {

constexpr int kTimeoutMs = 20000;

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Runs the event loop until done() holds or `ms` pass; true when done. A
// plain event loop: a wait that sleeps between polls would itself show up as
// gaps.
bool runEventsUntil(const std::function<bool()>& done, int ms) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done()) loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    if (!done()) loop.exec();
    return done();
}

// Records the gaps between the ticks of a 1 ms timer on the calling thread.
class GapProbe {
public:
    GapProbe() {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            const double cpu = threadCpuMs();
            m_gapsMs.push_back(double(now - m_last) / 1e6);
            m_maxBusyMs = std::max(m_maxBusyMs, cpu - m_lastCpu);
            m_last = now;
            m_lastCpu = cpu;
        });
    }
    void start() {
        m_gapsMs.clear();
        m_maxBusyMs = 0;
        m_clock.start();
        m_last = 0;
        m_lastCpu = threadCpuMs();
        m_timer.start(1);
    }
    void stop() { m_timer.stop(); }
    double maxMs() const { return m_gapsMs.empty() ? 0 : *std::max_element(m_gapsMs.begin(), m_gapsMs.end()); }
    double percentileMs(double p) const {
        if (m_gapsMs.empty()) return 0;
        std::vector<double> sorted = m_gapsMs;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::min(sorted.size() - 1, size_t(p * double(sorted.size())))];
    }
    void report(benchmark::State& state) const {
        state.counters["max_gap_ms"] = maxMs();
        state.counters["max_busy_ms"] = m_maxBusyMs;
        state.counters["p99_gap_ms"] = percentileMs(0.99);
        state.counters["ticks"] = double(m_gapsMs.size());
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    double m_lastCpu = 0;
    double m_maxBusyMs = 0;
    std::vector<double> m_gapsMs;
};

// A window with its settings in a scratch directory, no serial ports to
// probe, and every operator message collected instead of shown in a box.
struct Window {
    Window() {
        qputenv("VANTREL_SERIAL_PORTS", "");
        Settings::setDirectoryForTesting(dir.path().toStdString());
        Settings::instance().Write("Standard", "Language", "English");
        MainPage::setMessageHook([this](const QString&, const QString& text) { messages << text; });
    }
    ~Window() { MainPage::setMessageHook({}); }
    QTemporaryDir dir;
    QStringList messages;
};

bool privateNetwork(benchmark::State& state) {
    const std::string up = testsupport::nonLoopbackInterfacesUp();
    if (up.empty()) return true;
    state.SkipWithError(("network interfaces up besides loopback (" + up + "); run inside scripts/netns").c_str());
    return false;
}

void BM_GuiGap_ConnectingToSilentTcp(benchmark::State& state) {
    if (!privateNetwork(state)) return;
    Window w;
    MainPage page;
    testsupport::SilentTcpPort silent;
    if (!silent.ok()) return state.SkipWithError("cannot set up a silent TCP port");
    GapProbe probe;
    for (auto _ : state) {
        w.messages.clear();
        probe.start();
        page.recv_start(QStringLiteral("TCP"), QStringLiteral("127.0.0.1"), silent.port(), 0);
        const bool failed = runEventsUntil([&] { return !w.messages.isEmpty(); }, kTimeoutMs);
        probe.stop();
        if (!failed) return state.SkipWithError("the connection attempt never ended");
    }
    probe.report(state);
}

void BM_GuiGap_Streaming10Hz(benchmark::State& state) {
    if (!privateNetwork(state)) return;
    Window w;
    sim::SimOptions options;
    options.udpAddress = QStringLiteral("127.0.0.2");
    options.udpPort = 41590;
    options.logCommands = false;
    sim::Simulator scanner(options);
    if (!scanner.start()) return state.SkipWithError("the simulator did not start");
    MainPage page;
    page.resize(1280, 800);
    page.show();
    page.recv_start(QStringLiteral("UDP"), QStringLiteral("127.0.0.2"), 41590, 41690);
    if (!runEventsUntil([&] { return page.lidarPage()->item()->pointCount() > 0; }, kTimeoutMs))
        return state.SkipWithError("no revolution arrived");
    GapProbe probe;
    for (auto _ : state) {
        probe.start();
        runEventsUntil([] { return false; }, 3000);
        probe.stop();
    }
    probe.report(state);
}

}  // namespace

BENCHMARK(BM_GuiGap_ConnectingToSilentTcp)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_GuiGap_Streaming10Hz)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
