// The device page's synchronous serial probe (the configuration page's device
// check): the window keeps handling events while it runs, and it always ends.

#include <gtest/gtest.h>

#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "page_dev.h"
#include "page_test_support.h"

namespace {

// A probe that sees no ports; listPorts waits until `release` is set (or
// 10 s pass) and notes whether it was released.
class HeldProbeIo : public SerialProbeIo {
public:
    struct Shared {
        std::atomic<bool> hold{false};
        std::atomic<bool> release{false};
        std::atomic<bool> released{false};
    };
    explicit HeldProbeIo(std::shared_ptr<Shared> s) : m_s(std::move(s)) {}
    std::vector<std::string> listPorts() override {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (m_s->hold && !m_s->release && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        m_s->released = m_s->release.load();
        return {};
    }
    int open(const std::string&, int) override { return -1; }
    int write(int, const uint8_t*, size_t n) override { return int(n); }
    int read(int, uint8_t*, size_t) override { return 0; }
    void close(int) override {}
    void pause(int) override {}
    uint16_t sequenceNumber() override { return 1; }

private:
    std::shared_ptr<Shared> m_s;
};

TEST(DevPageProbe, SerialCollectKeepsTheWindowLiveAndAlwaysEnds) {
    pagetest::ScratchSettings scratch;
    auto shared = std::make_shared<HeldProbeIo::Shared>();
    Page_Dev page;
    page.setProbeIoFactory([shared] { return std::make_unique<HeldProbeIo>(shared); });

    // The probe is held until a timer of the GUI thread lets it go: that
    // timer can only fire if the window's events run during the probe.
    shared->hold = true;
    QTimer::singleShot(50, [shared] { shared->release = true; });
    EXPECT_TRUE(page.collectDevices(false).isEmpty());
    EXPECT_TRUE(shared->released);

    // Probes that end at once, before anyone could start waiting for them.
    shared->hold = false;
    for (int i = 0; i < 30; ++i) EXPECT_TRUE(page.collectDevices(false).isEmpty()) << i;
}

}  // namespace
