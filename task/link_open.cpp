#include "link_open.h"

#include "transport.h"

namespace {

constexpr int kPingTimeoutMs = 100;

bool calledOff(const std::atomic<bool>* cancel) {
    return cancel && cancel->load();
}

// Hands the descriptors over to one owner, or closes them when the attempt
// was called off meanwhile.
LinkOpenResult opened(LinkOpenResult r, const std::atomic<bool>* cancel, bool sockets) {
    LinkRef link = ScannerLink::adopt(r.dataHandle, r.cmdHandle, sockets);
    if (calledOff(cancel)) {
        LinkOpenResult none;
        none.status = LinkOpenStatus::Cancelled;
        return none;  // `link` closes the descriptors on its way out
    }
    r.link = std::move(link);
    r.status = LinkOpenStatus::Ok;
    return r;
}

}  // namespace

LinkOpenResult open_link(const std::string& type, const std::string& address, int portBaud, int localPort,
                         const std::atomic<bool>* cancel) {
    LinkOpenResult r;
    if (calledOff(cancel)) {
        r.status = LinkOpenStatus::Cancelled;
        return r;
    }
    if (type == "UART" || type == "VPC") {
        const int baud = (type == "VPC" && portBaud <= 0) ? kVpcNominalBaud : portBaud;
        const int handle = open_serial(address, baud);
        if (handle < 1) {
            r.status = LinkOpenStatus::SerialOpenFailed;
            r.serialResult = handle;
            return r;
        }
        r.dataHandle = handle;
        return opened(r, cancel, false);
    }
    if (type != "UDP" && type != "TCP") return r;
    if (!host_answers_ping(address, kPingTimeoutMs)) {
        r.status = calledOff(cancel) ? LinkOpenStatus::Cancelled : LinkOpenStatus::Unreachable;
        return r;
    }
    if (type == "UDP") {
        int bound = 0;
        const int sock = udp_open(localPort, bound);
        if (sock <= 0) {
            r.status = sock == -2 ? LinkOpenStatus::UdpPortsInUse : LinkOpenStatus::UdpBindFailed;
            return r;
        }
        r.dataHandle = sock;
        r.boundPort = bound;
        return opened(r, cancel, true);
    }
    // Both connections or none: a half-open pair would leave the scanner's
    // command port taken by a link nobody reads.
    const int cmd = tcp_connect(address, portBaud, kTcpConnectTimeoutMs, cancel);
    const int data = cmd > 0 ? tcp_connect(address, portBaud + 1, kTcpConnectTimeoutMs, cancel) : -1;
    if (cmd <= 0 || data <= 0) {
        close_link(cmd, true);
        close_link(data, true);
        r.status = calledOff(cancel) ? LinkOpenStatus::Cancelled : LinkOpenStatus::TcpConnectFailed;
        return r;
    }
    r.cmdHandle = cmd;
    r.dataHandle = data;
    return opened(r, cancel, true);
}
