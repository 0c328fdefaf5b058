#include "uart_query.h"

#include <QDebug>
#include <cstring>
#include <vector>

#include "commands.h"

namespace {

bool startsAt(const uint8_t* buf, size_t len, size_t pos, const std::string& text) {
    return !text.empty() && pos + text.size() <= len && std::memcmp(buf + pos, text.data(), text.size()) == 0;
}

// Up to `count` bytes from `pos`, never past the received bytes.
std::string takeAt(const uint8_t* buf, size_t len, size_t pos, size_t count) {
    if (pos >= len) return {};
    const size_t n = count < len - pos ? count : len - pos;
    return std::string(reinterpret_cast<const char*>(buf + pos), n);
}

bool writeAll(SerialIo& io, const std::string& text) {
    size_t done = 0;
    // A port that accepts nothing several times in a row is treated as dead.
    int stalls = 0;
    while (done < text.size()) {
        const int n = io.write(reinterpret_cast<const uint8_t*>(text.data()) + done, text.size() - done);
        if (n < 0) return false;
        if (n == 0) {
            if (++stalls > 10) return false;
            io.sleepMs(1);
            continue;
        }
        stalls = 0;
        done += size_t(n) < text.size() - done ? size_t(n) : text.size() - done;
    }
    return true;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The leading run of identity characters, as the block's text fields keep them.
std::string identityRun(const std::string& text) {
    return eeprom_text(text.data(), text.size());
}

// Leading decimal digits after optional spaces; false when there are none.
// Saturates instead of overflowing.
bool leadingNumber(const std::string& text, unsigned long& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i >= text.size() || !isDigit(text[i])) return false;
    value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + unsigned(text[i] - '0');
        if (value > 0xFFFFFFFFul) value = 0xFFFFFFFFul;
    }
    return true;
}

// The scanner's two-digit fields: "12" -> 12, "5\r" -> 5.
// Returns -1 when the first character is not a digit.
int twoDigit(const std::string& text) {
    if (text.empty() || !isDigit(text[0])) return -1;
    const int d0 = text[0] - '0';
    if (text.size() >= 2 && isDigit(text[1])) return d0 * 10 + (text[1] - '0');
    return d0;
}

int hexDigit(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

bool uart_query(SerialIo& io, const std::string& command, const std::string& prefix, size_t valueLength,
                std::string& valueOut, int retries) {
    if (!writeAll(io, command)) {
        qDebug("uart write failed %s", command.c_str());
        return false;
    }

    std::vector<uint8_t> buf(kUartReplyBuffer);
    size_t received = 0;
    int attempts = retries;
    while (received < buf.size()) {
        const int n = io.read(buf.data() + received, buf.size() - received);
        if (n > 0) {
            // Clamped so that a misbehaving reader cannot move us past the buffer.
            received += size_t(n) < buf.size() - received ? size_t(n) : buf.size() - received;
            attempts = retries;
            continue;
        }
        io.sleepMs(1);
        if (--attempts <= 0) {
            qDebug("read 0 byte max index break");
            break;
        }
    }
    if (received == buf.size()) qDebug("read max byte break");

    const uint8_t* data = buf.data();
    const bool isQuery = find_uart_query(command) != nullptr;
    const bool isSpeed = command.find("LSRPM") != std::string::npos;
    static const std::string kUnsupport = "unsupport";
    for (size_t pos = 0; pos < received; ++pos) {
        if (startsAt(data, received, pos, prefix)) {
            const size_t after = pos + prefix.size();
            if (isQuery) {
                valueOut = takeAt(data, received, after, valueLength);
            } else if (isSpeed) {
                // "Set RPM:" <separator> "OK" | "er..."
                const std::string status = takeAt(data, received, after + 1, 2);
                valueOut = status == "OK" ? "OK" : status == "er" ? "NG" : "";
            } else {
                valueOut = "OK";
            }
            return true;
        }
        if (startsAt(data, received, pos, command)) {
            // The echo, one separator, then a two-character status.
            const std::string status = takeAt(data, received, pos + command.size() + 1, 2);
            valueOut = status == "ER" ? "NG" : status;
            return true;
        }
        if (startsAt(data, received, pos, kUnsupport)) {
            valueOut = kUnsupport;
            return true;
        }
    }
    qDebug("read %d bytes, not found %s", int(received), prefix.c_str());
    return false;
}

bool parse_query_value(const std::string& query, const std::string& valueText, EEpromV101& block) {
    if (query == "LXVERH") {
        qDebug("motor version %s", identityRun(valueText).c_str());
        return true;
    }
    if (query == "LUUIDH") {
        eeprom_set_text(block.productSn, sizeof block.productSn, identityRun(valueText));
        return true;
    }
    if (query == "LTYPEH") {
        eeprom_set_text(block.typeId, sizeof block.typeId, identityRun(valueText));
        return true;
    }
    if (valueText.empty()) return false;
    const char first = valueText[0];

    if (query == "LQSRPMH") {
        unsigned long value = 0;
        // A speed text without digits reads as 0, like the scanner's own "not set".
        if (!leadingNumber(identityRun(valueText), value)) value = 0;
        block.rpm = static_cast<uint16_t>(value > 0xFFFF ? 0xFFFF : value);
        return true;
    }
    if (query == "LQSMTH") {
        block.smt = static_cast<uint8_t>(first - '0');
        return true;
    }
    if (query == "LQDSWH") {
        block.dsw = static_cast<uint8_t>(first - '0');
        return true;
    }
    if (query == "LQPSTH") {
        block.pst = static_cast<uint8_t>(first - '0');
        return true;
    }
    if (query == "LQAZNH") {
        const int zone = hexDigit(first);
        if (zone < 0) return false;
        block.azn = static_cast<uint8_t>(zone);
        return true;
    }
    if (query == "LQZTPH") {
        if (first == '0')
            block.azn = static_cast<uint8_t>(block.azn & ~0x10u);
        else
            block.azn = static_cast<uint8_t>(block.azn | 0x10u);
        return true;
    }
    if (query == "LQNPNH") {
        uint32_t bits = 0;
        for (size_t k = 0; k < 8 && k < valueText.size(); ++k)
            if (isDigit(valueText[k])) bits += uint32_t(valueText[k] - '0') << k;
        block.pnpBits = bits;
        return true;
    }
    if (query == "LQOUTH") {
        // Twelve status bytes; a pair that is not hex ends the parse and leaves
        // the remaining bytes as they were.
        for (size_t k = 0; k < 12 && 2 * k + 1 < valueText.size(); ++k) {
            const int hi = hexDigit(valueText[2 * k]);
            const int lo = hexDigit(valueText[2 * k + 1]);
            if (hi < 0 || lo < 0) break;
            block.outMap[k] = static_cast<uint8_t>(hi << 4 | lo);
        }
        return true;
    }
    if (query == "LQCIRH" || query == "LQFIRH") {
        const int value = twoDigit(valueText);
        (query == "LQCIRH" ? block.cir : block.fir) = static_cast<uint8_t>(value < 0 ? 0xFF : value);
        return true;
    }
    if (query == "LQSAFH") {
        const int value = twoDigit(valueText);
        block.af = static_cast<uint16_t>(value < 0 ? first - '0' : value);
        return true;
    }
    if (query == "LQZIRH") {
        const size_t comma = valueText.find(',');
        if (comma == std::string::npos || valueText.find(',', comma + 1) != std::string::npos) return false;
        unsigned long a = 0, b = 0;
        if (!leadingNumber(valueText.substr(0, comma), a) || !leadingNumber(valueText.substr(comma + 1), b))
            return false;
        if (a)
            block.flags143 = static_cast<uint8_t>(block.flags143 | 0x04u);
        else
            block.flags143 = static_cast<uint8_t>(block.flags143 & ~0x04u);
        block.zirDistance = static_cast<uint16_t>(b > 0xFFFF ? 0xFFFF : b);
        return true;
    }
    return false;
}

bool uart_command_row(const std::string& command, UartCommandRow& row) {
    row = UartCommandRow{};
    if (const UartQueryRow* q = find_uart_query(command)) {
        row.prefix = q->prefix;
        row.valueLength = q->valueLength;
        row.isQuery = true;
        return true;
    }
    if (command == kCmdStart || command == kCmdStop) {
        row.prefix = "LiDAR";
        return true;
    }
    // Matched by containment, first hit wins; an empty prefix lets the echo decide.
    struct SetRow {
        const char* name;
        const char* prefix;
        size_t valueLength;
        int retries;
    };
    static const SetRow kSetCommands[] = {
        {"LSSS", "ok", 2, 100}, {"LFFF", "ok", 2, 100}, {"LSRPM", "Set RPM:", 12, 10}, {"LSAZN", "", 2, 10},
        {"LSPST", "", 2, 10},   {"LSPNP", "", 2, 10},   {"LSOUT", "", 2, 10},          {"LSCIR", "", 2, 10},
        {"LSFIR", "", 2, 10},   {"LSBPS", "", 2, 10},   {"LSZTP", "", 2, 10},          {"LSZIR", "", 2, 10},
    };
    for (const SetRow& set : kSetCommands) {
        if (command.find(set.name) == std::string::npos) continue;
        row.prefix = set.prefix;
        row.valueLength = set.valueLength;
        row.retries = set.retries;
        return true;
    }
    return false;
}
