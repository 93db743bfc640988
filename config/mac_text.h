// A MAC address as the library writes and stores it: six two-digit hexadecimal groups
// joined by '-' ("00-1A-2B-3C-4D-5E", either case). One reading for the engine's
// description of a session, gwconfig and the console.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// "HH-HH-HH-HH-HH-HH": the length of the form, without a terminator.
constexpr size_t MAC_TEXT_LENGTH = 17;

// True with the six bytes when `text` is exactly that form. With `colonsToo`, ':' is
// accepted as the separator as well (as administrators often type it).
bool ParseMac(std::string_view text, uint8_t mac[6], bool colonsToo = false);
