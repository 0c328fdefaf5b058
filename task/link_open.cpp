#include "link_open.h"

#include "transport.h"

namespace {

constexpr int kPingTimeoutMs = 100;

}  // namespace

LinkOpenResult open_link(const std::string& type, const std::string& address, int portBaud, int localPort) {
    LinkOpenResult r;
    if (type == "UART" || type == "VPC") {
        const int handle = open_serial(address, portBaud);
        if (handle < 1) {
            r.status = LinkOpenStatus::SerialOpenFailed;
            r.serialResult = handle;
            return r;
        }
        r.dataHandle = handle;
        r.status = LinkOpenStatus::Ok;
        return r;
    }
    if (type != "UDP" && type != "TCP") return r;
    if (!host_answers_ping(address, kPingTimeoutMs)) {
        r.status = LinkOpenStatus::Unreachable;
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
        r.status = LinkOpenStatus::Ok;
        return r;
    }
    // Both connections or none: a half-open pair would leave the scanner's
    // command port taken by a link nobody reads.
    const int cmd = tcp_connect(address, portBaud);
    const int data = cmd > 0 ? tcp_connect(address, portBaud + 1) : -1;
    if (cmd <= 0 || data <= 0) {
        close_link(cmd, true);
        close_link(data, true);
        r.status = LinkOpenStatus::TcpConnectFailed;
        return r;
    }
    r.cmdHandle = cmd;
    r.dataHandle = data;
    r.status = LinkOpenStatus::Ok;
    return r;
}
