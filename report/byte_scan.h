// The reader's hottest loops, sixteen or eight bytes at a time, so that they do not
// depend on the C library (memchr is a byte loop on Windows): the commas of a log line,
// and whether a line is plain printable ASCII.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Writes the offset of every comma of `text` (at most 65,535 bytes) to `at`, which has
// room for text.size() offsets, in order; returns how many.
size_t FindCommas(std::string_view text, uint16_t* at);

// True when every byte of `text` is printable ASCII (0x20 to 0x7E) other than '"'.
bool PlainAscii(std::string_view text);
