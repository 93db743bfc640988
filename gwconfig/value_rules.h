// What a configuration value may hold beyond its type and width: the ranges of the
// integer keys and the forms of address texts, as the console writes them.
#pragma once

#include <cstdint>
#include <string>

struct IntRange {
    int64_t low;
    int64_t high;
};

// The range of an integer key or column: switches and row modes 0 or 1, the per-address
// limits 1 to 9 (the console's range), the per-user limits 0 and up.
IntRange IntRangeOf(const std::string& name);

// A dotted IPv4 address "a.b.c.d", each number 0 to 255 in decimal, nothing else.
// True with the address, first number most significant.
bool ParseIpv4(const std::string& text, uint32_t* address);

// A MAC address as stored: six two-digit hexadecimal groups joined by '-' (either
// case). With `colonsToo`, ':' is accepted as the separator as well.
bool ParseMac(const std::string& text, uint8_t mac[6], bool colonsToo = false);

// The form a text key or column must have; null when any text that fits will do.
// Otherwise the check and a description of the form for messages.
struct TextForm {
    bool (*accepts)(const std::string& text);
    const char* description;
};
const TextForm* TextFormOf(const std::string& name);
