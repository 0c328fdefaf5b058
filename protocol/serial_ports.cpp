// The serial port list, read from sysfs so that listing never opens a port
// (opening toggles DTR on many adapters, which resets some scanners).

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>

#include "transport.h"

namespace {

const char kSysTty[] = "/sys/class/tty/";

// "ttyS2" before "ttyS10": the text before the trailing digits, then the number.
bool portNameLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        size_t cut = s.size();
        while (cut > 0 && std::isdigit(static_cast<unsigned char>(s[cut - 1]))) --cut;
        return cut;
    };
    const size_t ca = split(a);
    const size_t cb = split(b);
    const int stem = a.compare(0, ca, b, 0, cb);
    if (stem != 0) return stem < 0;
    const std::string na = a.substr(ca);
    const std::string nb = b.substr(cb);
    // Compare digit strings numerically without converting (no overflow).
    const size_t za = na.find_first_not_of('0');
    const size_t zb = nb.find_first_not_of('0');
    const std::string ta = za == std::string::npos ? "" : na.substr(za);
    const std::string tb = zb == std::string::npos ? "" : nb.substr(zb);
    if (ta.size() != tb.size()) return ta.size() < tb.size();
    if (ta != tb) return ta < tb;
    return a < b;
}

// The legacy 8250 driver registers ttyS0..ttyS31 whether or not a UART is
// fitted; the unfitted ones report port type 0 (PORT_UNKNOWN).
bool isUnfittedLegacyPort(const std::string& name) {
    if (name.rfind("ttyS", 0) != 0) return false;
    std::ifstream typeFile(kSysTty + name + "/type");
    int type = -1;
    if (!(typeFile >> type)) return false;
    return type == 0;
}

std::vector<std::string> portsFromOverride(const char* list) {
    std::vector<std::string> ports;
    std::string text(list);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(':', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) ports.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return ports;
}

}  // namespace

std::vector<std::string> list_serial_ports() {
    if (const char* fromEnv = std::getenv("VANTREL_SERIAL_PORTS")) return portsFromOverride(fromEnv);

    std::vector<std::string> ports;
    DIR* dir = opendir(kSysTty);
    if (dir == nullptr) return ports;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') continue;
        // Virtual consoles, ptmx and pseudo-terminals have no device behind them.
        const std::string deviceLink = kSysTty + name + "/device";
        if (access(deviceLink.c_str(), F_OK) != 0) continue;
        if (isUnfittedLegacyPort(name)) continue;
        ports.push_back(name);
    }
    closedir(dir);
    std::sort(ports.begin(), ports.end(), portNameLess);
    return ports;
}
