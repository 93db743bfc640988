// The logs' texts as the report shows them: UTF-8, converted from the server's ANSI
// code page (plain ASCII needs no conversion), with every character a terminal or a
// browser would act on (controls, reordering marks) written visibly as \xNN or \uNNNN.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

std::string ShownText(uint32_t codePage, std::string_view ansi);

// Columns a terminal gives a UTF-8 text: East Asian wide characters take two,
// combining marks none.
size_t DisplayWidth(std::string_view utf8);

// The text cut to at most `width` columns, an ellipsis marking a cut.
std::string CutToWidth(const std::string& utf8, size_t width);

// "1,234,567": thousands separated, as figures are shown.
std::string Figure(uint64_t value);

// A day number as "YYYY-MM-DD".
std::string DateText(int32_t day);

// "Mon" .. "Sun" for 0 .. 6.
const char* WeekdayName(int weekday);
