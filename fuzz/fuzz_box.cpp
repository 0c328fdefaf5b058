// The algorithm box's datagrams and texts: its status datagram on the
// heartbeat group, the replies on its command port, and the reply bodies and
// typed rows the box page reads. The input is one datagram, and the same
// bytes taken as a reply body and as a typed row.

#include <string>
#include <string_view>

#include "box_protocol.h"
#include "fuzz_entry.h"

VANTREL_FUZZ_TARGET(box) {
    const auto exact = fuzz::exactCopy(data, size);

    BoxStatus status;
    const bool parsed = parse_box_status(exact.get(), size, status);
    FUZZ_CHECK(parsed == (size >= kBoxStatusSize));
    if (parsed) {
        FUZZ_CHECK(status.scanners.size() <= size_t(kBoxMaxScanners));
        FUZZ_CHECK(status.ip.size() <= kBoxTextWidth && status.mask.size() <= kBoxTextWidth &&
                   status.gateway.size() <= kBoxTextWidth);
        for (const BoxScannerStatus& s : status.scanners) FUZZ_CHECK(s.address.size() <= kBoxTextWidth);
    }
    FUZZ_CHECK(box_status_address(exact.get(), size).size() <= kBoxTextWidth);

    BoxReply reply;
    const int kind = classify_box_reply(exact.get(), size, reply);
    FUZZ_CHECK(kind >= BoxReplyNone && kind <= BoxReplyVersion);
    FUZZ_CHECK(reply.body.size() <= size);
    const std::string hex = box_hex_text(exact.get(), size);
    FUZZ_CHECK(hex.empty() || hex.size() == 2 * size);

    const std::string_view text(reinterpret_cast<const char*>(exact.get()), size);
    for (const BoxScannerEntry& e : parse_box_entries(text)) FUZZ_CHECK(e.ip.size() <= size);
    std::string ip, mask, gateway;
    if (parse_box_network(text, ip, mask, gateway))
        FUZZ_CHECK(!ip.empty() && !mask.empty() && !gateway.empty());
    FUZZ_CHECK(box_reply_value(text).size() <= size);
    int port = 0;
    if (check_box_row(std::string(text), nullptr, &port) == BoxRowCheck::Ok)
        FUZZ_CHECK(port >= 1000 && port <= 65535);
    return 0;
}
