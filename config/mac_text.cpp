#include "config/mac_text.h"

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool ParseMac(std::string_view text, uint8_t mac[6], bool colonsToo) {
    if (text.size() != MAC_TEXT_LENGTH)
        return false;
    const char separator = text[2];
    if (separator != '-' && !(colonsToo && separator == ':'))
        return false;
    for (int group = 0; group < 6; ++group) {
        const size_t at = static_cast<size_t>(group) * 3;
        if (group > 0 && text[at - 1] != separator)
            return false;
        int high = HexDigit(text[at]), low = HexDigit(text[at + 1]);
        if (high < 0 || low < 0)
            return false;
        mac[group] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}
