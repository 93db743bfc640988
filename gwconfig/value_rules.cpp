#include "gwconfig/value_rules.h"

#include <cstdio>
#include <cstring>

IntRange IntRangeOf(const std::string& name) {
    if (name.compare(0, 5, "FLAG_") == 0 || name.compare(0, 6, "WEEK_W") == 0 ||
        name == "TIME_BETWEEN" || name == "REMOVE_DISCONNECTED" || name == "IGNORE_DISCONNECTED" ||
        name == "TYPE")
        return {0, 1};
    if (name == "SESSION_PER_IP" || name == "SESSION_IPCOUNTER")
        return {1, 9};
    if (name == "SESSIONPERUSER_COUNT" || name == "SESSION_USERCOUNT")
        return {0, INT32_MAX};
    return {INT32_MIN, INT32_MAX};
}

bool ParseIpv4(const std::string& text, uint32_t* address) {
    uint32_t value = 0;
    size_t k = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (k >= text.size() || text[k] != '.')
                return false;
            ++k;
        }
        size_t digits = 0;
        uint32_t number = 0;
        while (k < text.size() && text[k] >= '0' && text[k] <= '9' && digits < 4) {
            number = number * 10 + static_cast<uint32_t>(text[k] - '0');
            ++k;
            ++digits;
        }
        if (digits == 0 || digits > 3 || number > 255)
            return false;
        value = value << 8 | number;
    }
    if (k != text.size())
        return false;
    *address = value;
    return true;
}

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

bool IsIpv4(const std::string& text) {
    uint32_t ignored;
    return ParseIpv4(text, &ignored);
}

bool IsIpv4OrEmpty(const std::string& text) {
    return text.empty() || IsIpv4(text);
}

bool IsStoredMac(const std::string& text) {
    uint8_t ignored[6];
    return ParseMac(text, ignored);
}

const TextForm kAddress = {IsIpv4, "an IPv4 address a.b.c.d, each number 0 to 255"};
const TextForm kAddressOrEmpty = {IsIpv4OrEmpty,
                                  "empty or an IPv4 address a.b.c.d, each number 0 to 255"};
const TextForm kMac = {IsStoredMac, "a MAC address HH-HH-HH-HH-HH-HH (hexadecimal digits)"};

} // namespace

bool ParseMac(const std::string& text, uint8_t mac[6], bool colonsToo) {
    if (text.size() != 17)
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

const TextForm* TextFormOf(const std::string& name) {
    if (name == "IPFROM" || name == "SESSION_IP")
        return &kAddress;
    if (name == "IPTO")
        return &kAddressOrEmpty;
    if (name == "MACADDRESS")
        return &kMac;
    return nullptr;
}
