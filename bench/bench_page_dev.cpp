// The device list under a heartbeat storm: what one status heartbeat costs the
// GUI thread when hundreds of scanners announce themselves once a second.
// "Known" updates rows that exist (the steady state), "Arrival" lists a
// whole fleet from an empty table. Each round ends with the repaint the
// window would do, so layout and painting count too.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>
#include <cstring>
#include <vector>

#include "page_dev.h"

namespace {

// A 112-byte status heartbeat of scanner `n` (address 10.<n/250>.<n%250>.9:2368).
DevConnInfo statusHeartbeat(int n, int second) {
    DevConnInfo c;
    c.type = DevConnInfo::HeartStatus;
    uint8_t* d = c.payload;
    std::memcpy(d, "LiDA", 4);
    d[4] = 1;
    d[5] = 1;
    const std::string serial = "FLEET" + std::to_string(100000 + n);
    std::memcpy(d + 16, serial.data(), serial.size());
    std::memcpy(d + 36, "TQX-H540-S", 10);
    const uint8_t ip[4] = {10, uint8_t(n / 250), uint8_t(n % 250), 9};
    std::memcpy(d + 60, ip, 4);
    std::memcpy(d + 72, ip, 4);
    d[76] = 0x8F;  // upload port 6543
    d[77] = 0x19;
    d[78] = 0x40;  // scanner port 2368
    d[79] = 0x09;
    d[80] = 1;                           // UDP
    d[82] = uint8_t(6000 + second % 7);  // speed changes a little every second
    d[90] = 0xC0;                        // 24000 mV
    d[91] = 0x5D;
    d[97] = 1;
    d[100] = 1;
    d[107] = 1;
    std::snprintf(c.ip, sizeof c.ip, "10.%d.%d.9", n / 250, n % 250);
    c.port = 2368;
    c.recv_time[0] = second % 60;
    c.recv_time[1] = (second / 60) % 60;
    c.recv_time[2] = 10;
    return c;
}

struct Fixture {
    explicit Fixture(int devices) : page(new Page_Dev) {
        page->setProbeIoFactory({});
        page->setMacLookup([](const std::string&, std::string& text) {
            text = "aa-bb-cc-dd-ee-ff";
            return true;
        });
        page->resize(1280, 800);
        page->show();
        for (int n = 0; n < devices; ++n) page->recv_lidarHeart(statusHeartbeat(n, 0));
        QApplication::processEvents();
    }
    ~Fixture() { delete page; }
    Page_Dev* page;
};

void BM_KnownDeviceHeartbeat(benchmark::State& state) {
    const int devices = int(state.range(0));
    Fixture f(devices);
    int second = 1;
    for (auto _ : state) {
        for (int n = 0; n < devices; ++n) f.page->recv_lidarHeart(statusHeartbeat(n, second));
        QApplication::processEvents();  // the repaint that follows
        ++second;
    }
    state.SetItemsProcessed(state.iterations() * devices);
}
BENCHMARK(BM_KnownDeviceHeartbeat)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_FleetArrival(benchmark::State& state) {
    const int devices = int(state.range(0));
    Fixture f(0);
    for (auto _ : state) {
        state.PauseTiming();
        f.page->on_pb_refresh_clicked();  // an empty table again
        QApplication::processEvents();
        state.ResumeTiming();
        for (int n = 0; n < devices; ++n) f.page->recv_lidarHeart(statusHeartbeat(n, 0));
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * devices);
}
BENCHMARK(BM_FleetArrival)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond);

// Fitting the columns to their contents, as the resize timer does.
void BM_FitColumns(benchmark::State& state) {
    Fixture f(int(state.range(0)));
    auto* view = f.page->findChild<QTableView*>(QStringLiteral("tableView"));
    for (auto _ : state) view->resizeColumnsToContents();
}
BENCHMARK(BM_FitColumns)->Arg(500)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("VANTREL_SERIAL_PORTS", "");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
