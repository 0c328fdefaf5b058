// The link text of vantrel-cli's live commands (udp://, tcp://, uart://,
// vpc://). The input is the text. A link that parses names a usable address
// and port range, and the text printed for it parses to the same link.

#include <arpa/inet.h>

#include <string>

#include "fuzz_entry.h"
#include "link_address.h"

VANTREL_FUZZ_TARGET(cli_link) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    LinkAddress link;
    std::string error;
    const bool ok = parseLink(text, link, error);
    FUZZ_CHECK(ok == error.empty());
    if (!ok) return 0;

    if (link.type == "UDP" || link.type == "TCP") {
        in_addr a{};
        FUZZ_CHECK(inet_pton(AF_INET, link.address.c_str(), &a) == 1);
        FUZZ_CHECK(link.port >= 1 && link.port <= (link.type == "TCP" ? 65534 : 65535));
        FUZZ_CHECK(link.localPort >= 1 && link.localPort <= 65535);
    } else {
        FUZZ_CHECK(link.type == "UART" || link.type == "VPC");
        FUZZ_CHECK(!link.address.empty() && link.address[0] == '/');
        FUZZ_CHECK(link.baud >= 50 && link.baud <= 20000000);
    }

    LinkAddress again;
    FUZZ_CHECK(parseLink(linkText(link), again, error));
    FUZZ_CHECK(again.type == link.type && again.address == link.address);
    FUZZ_CHECK(again.port == link.port && again.baud == link.baud);
    return 0;
}
