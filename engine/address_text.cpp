// The client address as the Terminal Services answer carries it and as text: pure
// helpers, shared by the session queries and the decision core.
#include <cstdio>

#include "engine/session_facts.h"

int DecodeClientAddress(const char* answer, size_t length, uint32_t* address) {
    // An address family word, then the address bytes; IPv4 octets are bytes 2 to 5 of
    // those. The family is deliberately not examined.
    if (answer == nullptr || length < 10)
        return -1;
    const unsigned char* octets = reinterpret_cast<const unsigned char*>(answer) + 6;
    *address = (uint32_t(octets[0]) << 24) | (uint32_t(octets[1]) << 16) |
               (uint32_t(octets[2]) << 8) | uint32_t(octets[3]);
    return 0;
}

void FormatClientAddress(uint32_t address, char* text, size_t size) {
    snprintf(text, size, "%d.%d.%d.%d", int((address >> 24) & 0xFF), int((address >> 16) & 0xFF),
             int((address >> 8) & 0xFF), int(address & 0xFF));
}

int ParseDottedAddress(const char* text, size_t size, uint32_t* address) {
    // "%d.%d.%d.%d" read by hand, within `size` bytes: white space before each
    // number, an optional sign, digits; each number keeps its low 8 bits.
    *address = 0;
    if (text == nullptr)
        return -1;
    size_t i = 0;
    auto at = [&](size_t k) { return k < size ? text[k] : '\0'; };
    uint32_t value = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at(i) != '.')
                return -1;
            ++i;
        }
        while (at(i) == ' ' || (at(i) >= '\t' && at(i) <= '\r'))
            ++i;
        bool negative = false;
        if (at(i) == '+' || at(i) == '-')
            negative = text[i++] == '-';
        if (at(i) < '0' || at(i) > '9')
            return -1;
        uint32_t number = 0;
        while (at(i) >= '0' && at(i) <= '9')
            number = number * 10u + static_cast<uint32_t>(text[i++] - '0');
        if (negative)
            number = 0u - number;
        value = (value << 8) | (number & 0xFFu);
    }
    *address = value;
    return 0;
}
