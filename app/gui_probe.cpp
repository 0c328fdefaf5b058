#include "gui_probe.h"

#include <QSaveFile>
#include <cstdio>

#include "fan_text.h"

namespace {

// Resident memory of this process in KiB, from /proc/self/status.
long residentKiB() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmRSS: %ld kB", &kib) == 1) break;
    std::fclose(f);
    return kib;
}

}  // namespace

GuiProbe::GuiProbe(const QString& probeFile, const QString& signatureFile, QObject* parent)
    : QObject(parent), m_probePath(probeFile), m_signatures(signatureFile) {
    if (!signatureFile.isEmpty() && !m_signatures.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::fprintf(stderr, "vantrel: cannot write %s\n", qPrintable(signatureFile));
    m_uptime.start();
    connect(&m_writeTimer, &QTimer::timeout, this, &GuiProbe::writeFigures);
    m_writeTimer.start(1000);
}

void GuiProbe::recv_revolution(std::vector<RawData> revolution) {
    ++m_revolutions;
    if (!m_recording || !m_signatures.isOpen()) return;
    ++m_recorded;
    char line[24];
    const int n = std::snprintf(line, sizeof line, "%016llx\n",
                                static_cast<unsigned long long>(revolution_signature(revolution)));
    m_signatures.write(line, n);
}

void GuiProbe::writeFigures() {
    m_signatures.flush();
    char text[512];
    const int n =
        std::snprintf(text, sizeof text,
                      "{\"seconds\": %.1f, \"ticks\": %llu, \"gap_p99_ms\": %.1f, \"gap_max_ms\": %.1f, "
                      "\"busy_p99_ms\": %.1f, "
                      "\"revolutions\": %llu, \"recorded\": %llu, \"rss_kib\": %ld}\n",
                      m_uptime.elapsed() / 1000.0, static_cast<unsigned long long>(m_gaps.ticks()),
                      m_gaps.percentileMs(0.99), m_gaps.longestMs(), m_gaps.percentileMs(0.99, true),
                      static_cast<unsigned long long>(m_revolutions),
                      static_cast<unsigned long long>(m_recorded), residentKiB());
    QSaveFile out(m_probePath);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(text, n);
        out.commit();
    }
}
