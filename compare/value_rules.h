// What a configuration value may hold beyond its type and width: the ranges of the
// integer keys and the forms of address texts, as the console writes them.
#pragma once

#include <cstdint>
#include <string>

#include "config/mac_text.h" // ParseMac, the stored MAC form

// Values the console does not write but the library reads all the same, each with
// what the library makes of it: a sentence for a warning ("2 is neither 0 nor 1: the
// library takes it as off (it acts only on 1)"), empty when the value is an ordinary
// one. `table` names the table of a column; it is empty for a scalar key.
std::string IntValueNote(const std::string& table, const std::string& name, int32_t value);

// The same for the version texts (VERALLOW, VERDISALLOW, VERHIGHER, VERLOWER,
// VERBETWEEN); empty for any other key.
std::string TextValueNote(const std::string& name, const std::string& text);

// A dotted IPv4 address "a.b.c.d", each number 0 to 255 in decimal, nothing else.
// True with the address, first number most significant.
bool ParseIpv4(const std::string& text, uint32_t* address);

// The form a text key or column must have; null when any text that fits will do.
// Otherwise the check and a description of the form for messages.
struct TextForm {
    bool (*accepts)(const std::string& text);
    const char* description;
};
const TextForm* TextFormOf(const std::string& name);
