// The logs' texts as the report shows them: UTF-8, converted from the server's ANSI
// code page (plain ASCII needs no conversion).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

std::string ShownText(uint32_t codePage, std::string_view ansi);

// "1,234,567": thousands separated, as figures are shown.
std::string Figure(uint64_t value);

// A day number as "YYYY-MM-DD".
std::string DateText(int32_t day);

// "Mon" .. "Sun" for 0 .. 6.
const char* WeekdayName(int weekday);
