// vantrel-cli discover: scanners heard on the heartbeat group, and on serial ports.

#include <QByteArray>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "address_claims.h"
#include "box_protocol.h"
#include "cli_common.h"
#include "devconninfo.h"
#include "heartbeat_parse.h"
#include "heartbeatproc.h"
#include "serial_probe.h"
#include "session.h"

namespace cli {

namespace {

const char kCommand[] = "discover";
constexpr quint16 kHeartbeatPort = 6789;

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: vantrel-cli discover [--seconds N] [--serial]\n"
                 "\n"
                 "Listens N seconds (default 3) on the heartbeat group 225.225.225.225:6789 and\n"
                 "prints one JSON line per scanner when it is first heard and again whenever its\n"
                 "decoded heartbeat changes. With --serial the serial ports are probed as well, one\n"
                 "line {\"port\":...,\"baud\":...} per scanner found (baud -1: virtual serial port).\n"
                 "A last line {\"conflicts\":[...]} names every address announced by more than one\n"
                 "device (scanners with different serial numbers, or a scanner and an algorithm box).\n"
                 "exit status: 0 done, 1 the heartbeat group cannot be joined, 2 usage\n");
}

using Json = nlohmann::ordered_json;

Json heartbeatJson(const DevConnInfo& conn, const HeartbeatInfo& h) {
    static const char* const kKinds[] = {"", "heart80", "heart60", "status112"};
    Json j;
    j["ip"] = std::string(conn.ip, strnlen(conn.ip, sizeof conn.ip));
    j["port"] = conn.port;
    const int kind = int(h.kind);
    j["kind"] = kind >= 1 && kind <= 3 ? kKinds[kind] : "unknown";
    j["serial"] = h.serial;
    j["model"] = h.model;
    j["scannerIp"] = ipv4Text(h.scannerIp);
    j["scannerPort"] = h.scannerPort;
    j["uploadIp"] = ipv4Text(h.uploadIp);
    j["uploadPort"] = h.uploadPort;
    if (h.hasStatus) {
        static const char* const kLinks[] = {"", "UDP", "USB", "TCP"};
        const int link = h.linkKind & 7;
        j["link"] = link >= 1 && link <= 3 ? kLinks[link] : std::to_string(link);
        j["boxConnected"] = h.boxConnected;
        j["speed"] = h.speed / 10.0;
        j["speed2"] = h.speed2 / 100.0;
        j["cpu"] = h.cpu / 10.0;
        j["voltageMv"] = h.voltageMv;
        j["observationZone"] = h.observationZone;
        j["alertZone"] = h.alertZone;
        j["alarmZone"] = h.alarmZone;
        j["masking"] = h.masking;
        j["noData"] = h.noData;
        j["noZoneActive"] = h.noZoneActive;
        j["systemError"] = h.systemError;
        j["netLinkLost"] = h.netLinkLost;
        j["upgrading"] = h.upgrading;
        j["usbLinkLost"] = h.usbLinkLost;
        j["noZoneDefined"] = h.noZoneDefined;
    }
    return j;
}

}  // namespace

int runDiscover(const std::vector<std::string>& args) {
    if (wantsHelp(args)) return usage(stdout), ExitOk;
    long seconds = 3;
    bool serial = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--seconds" && i + 1 < args.size()) {
            if (!parseSeconds(kCommand, args[++i], seconds)) return ExitUsage;
        } else if (args[i] == "--serial") {
            serial = true;
        } else {
            return usage(stderr), ExitUsage;
        }
    }

    prepareLiveCommand();
    std::map<std::string, std::string> lastPrinted;  // device -> last line printed
    bool failed = false;
    std::string failure;
    AddressClaims claims;

    auto heart = std::make_unique<HeartBeatProc>(kHeartbeatPort);
    QObject::connect(heart.get(), &HeartBeatProc::sig_GetLidarHeart, heart.get(), [&](DevConnInfo conn) {
        HeartbeatInfo h;
        const size_t len = heartbeatLength(HeartbeatKind(conn.type));
        if (len == 0 || !parseHeartbeat(conn.payload, len, h)) return;
        const Json j = heartbeatJson(conn, h);
        claims.addScanner(ipv4Text(h.scannerIp), h.serial);
        const std::string key = j["ip"].get<std::string>() + ":" + std::to_string(conn.port) + "/" + h.serial;
        const std::string line = j.dump();
        auto it = lastPrinted.find(key);
        if (it != lastPrinted.end() && it->second == line) return;
        lastPrinted[key] = line;
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    });
    QObject::connect(heart.get(), &HeartBeatProc::sig_data, heart.get(), [&](int type, QByteArray info) {
        if (type == 16)
            claims.addBox(
                box_status_address(reinterpret_cast<const uint8_t*>(info.constData()), size_t(info.size())));
        if (type != 1) return;
        failed = true;
        failure = info.toStdString();
    });
    heart->start();

    // The probe blocks for a while per port; it reports when it is done.
    std::vector<SerialProbeHit> hits;
    std::atomic<bool> probeDone{!serial};
    std::thread probe;
    if (serial) {
        probe = std::thread([&] {
            auto io = makeSystemSerialProbeIo();
            hits = probeSerialPorts(*io);
            probeDone = true;
        });
    }

    waitUntil([&] { return failed; }, int(seconds * 1000));
    heart->recv_close();
    heart.reset();  // waits for the loop

    if (probe.joinable()) {
        // The probe has its own bounds per port and rate; an interrupt does not cut a port short.
        probe.join();
        for (const auto& hit : hits) {
            Json j;
            j["port"] = hit.port;
            j["baud"] = hit.baud;
            std::printf("%s\n", j.dump().c_str());
        }
    }
    if (failed) return printError(kCommand, "cannot listen for heartbeats: " + failure), ExitFailure;
    Json conflicts = Json::array();
    for (const std::string& ip : claims.conflicts()) {
        const AddressClaims::Claim* c = claims.claim(ip);
        Json one;
        one["ip"] = ip;
        one["serials"] = std::vector<std::string>(c->serials.begin(), c->serials.end());
        one["box"] = c->box;
        conflicts.push_back(one);
    }
    Json last;
    last["conflicts"] = conflicts;
    std::printf("%s\n", last.dump().c_str());
    return ExitOk;
}

}  // namespace cli
