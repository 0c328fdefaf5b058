#include "eeprom.h"

#include <cstdio>
#include <cstring>

namespace {

bool isIdentityChar(char c) {
    return (c >= '-' && c <= ':') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == ' ' || c == '_';
}

}  // namespace

std::string eeprom_text(const char* field, size_t width) {
    std::string text;
    for (size_t i = 0; i < width && isIdentityChar(field[i]); ++i) text.push_back(field[i]);
    return text;
}

void eeprom_set_text(char* field, size_t width, const std::string& text) {
    std::memset(field, 0, width);
    std::memcpy(field, text.data(), text.size() < width ? text.size() : width);
}

std::string eeprom_dotted_quad(const uint8_t octets[4]) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", octets[0], octets[1], octets[2], octets[3]);
    return text;
}

uint32_t eeprom_uart_baud(const EEpromV101& b) {
    return uint32_t(b.ip[0]) | uint32_t(b.ip[1]) << 8 | uint32_t(b.ip[2]) << 16;
}

void eeprom_set_uart_baud(EEpromV101& b, uint32_t baud) {
    b.ip[0] = static_cast<uint8_t>(baud);
    b.ip[1] = static_cast<uint8_t>(baud >> 8);
    b.ip[2] = static_cast<uint8_t>(baud >> 16);
}
