// vantrel-cli box: the algorithm box from the command line, through the same
// worker as the box page (AlgorithmBoxProc on local port 6666).

#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "algorithmboxproc.h"
#include "box_protocol.h"
#include "cli_audit.h"
#include "cli_common.h"
#include "heartbeatproc.h"
#include "network_arg.h"
#include "session.h"
#include "transport.h"

namespace cli {

namespace {

const char kCommand[] = "box";
constexpr quint16 kHeartbeatPort = 6789;
constexpr int kReplyMs = 3000;
constexpr int kRebootWaitMs = 2000;
constexpr int kUpgradeMs = 10 * 60 * 1000;
constexpr int kPingTimeoutMs = 1000;

using Json = nlohmann::ordered_json;

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: vantrel-cli box list [--seconds N]\n"
                 "       vantrel-cli box get IP\n"
                 "       vantrel-cli box add IP A|B IP:PORT...\n"
                 "       vantrel-cli box del IP A|B IP:PORT...\n"
                 "       vantrel-cli box net IP NEWIP MASK GATEWAY\n"
                 "       vantrel-cli box upgrade IP FILE\n"
                 "\n"
                 "list     listens N seconds (default 3) for algorithm box status datagrams on\n"
                 "         225.225.225.225:6789 and prints one JSON line per box with its scanners\n"
                 "get      prints the box's network settings, port A and B lists and version as JSON\n"
                 "add/del  adds scanners to / removes them from port A or B of the box\n"
                 "net      gives the box a new address, mask and gateway (it reboots)\n"
                 "upgrade  sends a box firmware image\n"
                 "Options of the commands that talk to a box: --local-port N (default 6666).\n"
                 "exit status: 0 the box answered, 1 failure, 2 usage, 4 the box stayed silent\n");
}

const char* stateName(uint8_t state) {
    static const char* const kNames[] = {"grey", "yellow", "green", "red"};
    return state < 4 ? kNames[state] : "none";
}

Json statusJson(const BoxStatus& s, size_t datagramSize) {
    Json j;
    j["ip"] = s.ip;
    j["mask"] = s.mask;
    j["gateway"] = s.gateway;
    j["datagramSize"] = datagramSize;
    Json scanners = Json::array();
    for (const BoxScannerStatus& sc : s.scanners) {
        Json one;
        one["address"] = sc.address;
        one["state"] = stateName(sc.state);
        one["stateValue"] = sc.state;
        one["statusWord"] = box_status_bits(sc.statusWord);
        scanners.push_back(one);
    }
    j["scanners"] = scanners;
    return j;
}

int runList(const std::vector<std::string>& args) {
    long seconds = 3;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--seconds" && i + 1 < args.size()) {
            if (!parseSeconds(kCommand, args[++i], seconds)) return ExitUsage;
        } else {
            return usage(stderr), ExitUsage;
        }
    }
    prepareLiveCommand();
    std::vector<std::string> order;
    std::map<std::string, Json> boxes;
    std::string failure;
    auto heart = std::make_unique<HeartBeatProc>(kHeartbeatPort);
    QObject::connect(heart.get(), &HeartBeatProc::sig_data, heart.get(), [&](int type, QByteArray data) {
        if (type == 1) failure = data.toStdString();
        if (type != 16) return;
        BoxStatus s;
        const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
        if (!parse_box_status(bytes, size_t(data.size()), s)) return;
        if (!boxes.count(s.ip)) order.push_back(s.ip);
        boxes[s.ip] = statusJson(s, size_t(data.size()));
    });
    heart->start();
    waitUntil([&] { return !failure.empty(); }, int(seconds * 1000));
    heart->recv_close();
    heart.reset();
    if (!failure.empty())
        return printError(kCommand, "cannot listen for box status: " + failure), ExitFailure;
    for (const std::string& ip : order) std::printf("%s\n", boxes[ip].dump().c_str());
    return interrupted() ? ExitInterrupted : ExitOk;
}

// ---------------------------------------------------------------- talking to one box

// The box worker, started on its port, with every reply it reports kept.
class BoxLink {
public:
    struct Message {
        int type;
        std::string text;
    };

    bool open(const std::string& box, int localPort) {
        m_worker = std::make_unique<AlgorithmBoxProc>(localPort);
        m_worker->setBoxAddress(QString::fromStdString(box));
        QObject::connect(m_worker.get(), &AlgorithmBoxProc::sig_BoxMSG, m_worker.get(),
                         [this](QString, int type, QString info) {
                             m_messages.push_back({type, info.toStdString()});
                         });
        m_worker->start();
        waitUntil([&] { return m_worker->boundPort() != 0; }, kReplyMs);
        if (m_worker->boundPort() > 0) return true;
        waitUntil([&] { return !m_messages.empty(); }, kReplyMs);  // the worker's own words
        printError(kCommand,
                   m_messages.empty() ? std::string("open BOXPORT failed!") : m_messages.back().text);
        return false;
    }

    AlgorithmBoxProc& worker() { return *m_worker; }

    // Sends `cmd` and waits for the reply of `kind`; its body, or false.
    // *sent tells whether the command left at all.
    bool ask(const std::string& cmd, int kind, std::string& body, bool* sent = nullptr) {
        m_messages.clear();
        const bool out = m_worker->sendBoxCommand(0x75, QString::fromStdString(cmd)) >= 0;
        if (sent) *sent = out;
        if (!out) {
            printError(kCommand, "cannot send " + cmd);
            return false;
        }
        return waitFor(kind, body, kReplyMs);
    }

    bool waitFor(int kind, std::string& body, int ms) {
        const Message* found = nullptr;
        waitUntil(
            [&] {
                for (const Message& m : m_messages)
                    if (m.type == kind) found = &m;
                return found != nullptr;
            },
            ms);
        if (found) body = found->text;
        return found != nullptr;
    }

private:
    std::unique_ptr<AlgorithmBoxProc> m_worker;
    std::vector<Message> m_messages;
};

// Parses "IP [--local-port N]" style arguments: positional values and the port.
bool splitArgs(const std::vector<std::string>& args, std::vector<std::string>& positional, int& localPort) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--local-port" && i + 1 < args.size()) {
            char* end = nullptr;
            const long p = std::strtol(args[++i].c_str(), &end, 10);
            if (*end != '\0' || p < 0 || p > 65535) return false;
            localPort = int(p);
        } else {
            positional.push_back(args[i]);
        }
    }
    return true;
}

int silent(const std::string& what) {
    printError(kCommand, "the box did not answer " + what);
    return ExitNoAnswer;
}

int runGet(const std::string& box, BoxLink& link) {
    std::string nets, gets, version;
    if (!link.ask(kBoxCmdNets, BoxReplyNets, nets)) return silent(kBoxCmdNets);
    if (!link.ask(kBoxCmdGets, BoxReplyGets, gets)) return silent(kBoxCmdGets);
    if (!link.ask(kBoxCmdVersion, BoxReplyVersion, version)) return silent(kBoxCmdVersion);
    Json j;
    j["box"] = box;
    std::string ip, mask, gateway;
    parse_box_network(nets, ip, mask, gateway);
    j["ip"] = ip;
    j["mask"] = mask;
    j["gateway"] = gateway;
    Json portA = Json::array(), portB = Json::array();
    for (const BoxScannerEntry& e : parse_box_entries(gets))
        (e.io ? portB : portA).push_back(e.ip + ":" + std::to_string(e.port));
    j["portA"] = portA;
    j["portB"] = portB;
    j["version"] = box_reply_value(version);
    std::printf("%s\n", j.dump().c_str());
    return ExitOk;
}

// Sends a change to the box and puts it on the audit trail with the box's answer.
bool askChange(BoxLink& link, const std::string& box, const std::string& cmd, int kind, std::string& reply) {
    bool sent = false;
    const bool answered = link.ask(cmd, kind, reply, &sent);
    if (!sent) return false;  // nothing reached the box
    AuditRecord record = boxAuditRecord(box, kBoxCommandPort, cmd);
    record.outcome = QLatin1String(answered ? audit::kAccepted : audit::kNoAnswer);
    if (answered) record.detail = QString::fromStdString(reply);
    recordAudit(kCommand, record);
    return answered;
}

int runAddDel(bool add, const std::vector<std::string>& pos, BoxLink& link) {
    const int io = pos[1] == "A" || pos[1] == "a" ? 0 : 1;
    std::vector<BoxScannerEntry> entries;
    for (size_t i = 2; i < pos.size(); ++i) {
        std::string ip;
        int port = 0;
        switch (check_box_row(pos[i], &ip, &port)) {
            case BoxRowCheck::Ok:
                if (std::find(entries.begin(), entries.end(), BoxScannerEntry{ip, port, io}) == entries.end())
                    entries.push_back({ip, port, io});
                continue;
            case BoxRowCheck::FormatError:
                printError(kCommand, pos[i] + ": not IP:PORT");
                break;
            case BoxRowCheck::IpError:
                printError(kCommand, pos[i] + ": not an IPv4 address");
                break;
            case BoxRowCheck::PortRangeError:
                printError(kCommand, pos[i] + ": the port must lie in 1000..65535");
                break;
        }
        return ExitUsage;
    }
    const std::string cmd = add ? box_cmd_add(entries) : box_cmd_del(entries);
    std::string reply;
    if (!askChange(link, pos[0], cmd, add ? BoxReplyAdd : BoxReplyDel, reply)) return silent(cmd);
    std::printf("%s\n", reply.c_str());
    return ExitOk;
}

int runNet(const std::vector<std::string>& pos, BoxLink& link) {
    const std::string cmd = box_cmd_net(pos[1], pos[2], pos[3]);
    std::string reply, reboot;
    if (!askChange(link, pos[0], cmd, BoxReplyNet, reply)) return silent(cmd);
    std::printf("%s\n", reply.c_str());
    // The box says it restarts; its status datagrams carry the new address after that.
    if (link.waitFor(BoxReplyReboot, reboot, kRebootWaitMs)) std::printf("%s\n", reboot.c_str());
    return ExitOk;
}

int runUpgrade(const std::vector<std::string>& pos, BoxLink& link) {
    link.worker().requestUpgrade(QString::fromStdString(pos[0]), QString::fromStdString(pos[1]));
    std::string result;
    const bool ended = link.waitFor(BoxReplyFirmware, result, kUpgradeMs);
    const bool ok = ended && result == "firmware upgrade OK!";
    // On the audit trail whatever the result: a failed upgrade may have changed the box too.
    const QString file = QString::fromStdString(pos[1]);
    AuditRecord record = boxAuditRecord(pos[0], kBoxCommandPort, QFileInfo(file).fileName().toStdString());
    record.imageCrc = audit_firmware_crc(file);
    record.outcome = QLatin1String(ended ? (ok ? audit::kSucceeded : audit::kFailed) : audit::kNoAnswer);
    record.detail = QString::fromStdString(result);
    recordAudit(kCommand, record);
    if (!ended) return silent("the upgrade");
    std::printf("%s\n", result.c_str());
    return ok ? ExitOk : ExitFailure;
}

}  // namespace

int runBox(const std::vector<std::string>& args) {
    if (args.empty()) return usage(stderr), ExitUsage;
    if (wantsHelp(args)) return usage(stdout), ExitOk;
    const std::string sub = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (sub == "list") return runList(rest);

    std::vector<std::string> pos;
    int localPort = kBoxCommandPort;
    if (!splitArgs(rest, pos, localPort)) return usage(stderr), ExitUsage;
    const bool addDel = sub == "add" || sub == "del";
    const size_t want = sub == "get" ? 1 : sub == "net" ? 4 : sub == "upgrade" ? 2 : 0;
    if ((addDel && (pos.size() < 3 || (pos[1] != "A" && pos[1] != "B" && pos[1] != "a" && pos[1] != "b"))) ||
        (!addDel && (want == 0 || pos.size() != want)))
        return usage(stderr), ExitUsage;
    if (!is_dotted_quad(pos[0])) return printError(kCommand, pos[0] + ": not an IPv4 address"), ExitUsage;

    if (sub == "net") {
        for (size_t i = 1; i < 4; ++i)
            if (!is_dotted_quad(pos[i]))
                return printError(kCommand, pos[i] + ": not an IPv4 address"), ExitUsage;
        // The page's rules: the box's internal network is off limits, and so
        // is an address something already answers on.
        if (pos[1].find("192.168.158") != std::string::npos || host_answers_ping(pos[1], kPingTimeoutMs))
            return printError(kCommand, pos[1] + ": IP is occupied, please reset"), ExitFailure;
    }
    if (sub == "upgrade" && !QFileInfo::exists(QString::fromStdString(pos[1])))
        return printError(kCommand, pos[1] + " is not exist!"), ExitUsage;

    prepareLiveCommand();
    BoxLink link;
    if (!link.open(pos[0], localPort)) return ExitFailure;
    if (sub == "get") return runGet(pos[0], link);
    if (addDel) return runAddDel(sub == "add", pos, link);
    if (sub == "net") return runNet(pos, link);
    return runUpgrade(pos, link);
}

}  // namespace cli
