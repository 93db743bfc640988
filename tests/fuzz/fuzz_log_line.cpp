// The logon log's line reader on hostile input: every line of the input is parsed;
// what reads must lie inside the line and hold values the report can index with, and
// its byte scans must agree with plain byte loops.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "report/byte_scan.h"
#include "report/log_line.h"

namespace {
void Inside(std::string_view part, std::string_view line) {
    if (part.data() < line.data() || part.data() + part.size() > line.data() + line.size())
        abort();
}

// "YYYY-MM-DD HH:MM:SS" of a real date and time, byte by byte.
bool PlainTimestamp(std::string_view t) {
    if (t.size() != 19)
        return false;
    for (size_t k = 0; k < 19; ++k) {
        char separator = k == 4 || k == 7 ? '-' : k == 10 ? ' ' : k == 13 || k == 16 ? ':' : 0;
        if (separator != 0 ? t[k] != separator : t[k] < '0' || t[k] > '9')
            return false;
    }
    int32_t day;
    auto two = [&t](size_t k) { return (t[k] - '0') * 10 + (t[k + 1] - '0'); };
    return ParseDate(t.substr(0, 10), &day) && two(11) <= 23 && two(14) <= 59 && two(17) <= 59;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    while (!input.empty()) {
        size_t end = input.find('\n');
        std::string_view text = input.substr(0, end);
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
        // The scans of sixteen bytes at a time find what byte loops find.
        uint16_t commas[4096];
        if (text.size() <= sizeof commas / sizeof commas[0]) {
            size_t found = FindCommas(text, commas), count = 0;
            for (size_t k = 0; k < text.size(); ++k) {
                if (text[k] == ',' && (count >= found || commas[count++] != k))
                    abort();
            }
            if (count != found)
                abort();
        }
        bool plain = true;
        for (char c : text)
            plain = plain && c >= 0x20 && c < 0x7F && c != '"';
        if (PlainAscii(text) != plain)
            abort();
        LogLine line;
        LineProblem problem = ParseLogLine(text, &line);
        // The timestamp, read eight bytes at a time, is refused exactly when a byte loop
        // refuses it.
        if (problem == LINE_TIMESTAMP && PlainTimestamp(text.substr(0, text.find(','))))
            abort();
        if (problem != LINE_OK)
            continue;
        const std::string_view& t = line.timestamp;
        auto two = [&t](size_t k) { return (t[k] - '0') * 10 + (t[k + 1] - '0'); };
        if (!PlainTimestamp(t) || line.hour != two(11) ||
            line.secondOfDay != two(11) * 3600 + two(14) * 60 + two(17))
            abort();
        for (std::string_view part : {line.timestamp, line.computerName, line.address, line.mac,
                                      line.winStation, line.user})
            Inside(part, text);
        if (line.reason < REASON_NONE || line.reason >= REASON_COUNT ||
            (line.rejected || line.audited) != (line.reason != REASON_NONE) ||
            (line.rejected && line.audited) || line.weekday < 0 || line.weekday > 6 ||
            line.hour < 0 || line.hour > 23)
            abort();
        char date[11];
        FormatDate(line.day, date);
        if (line.timestamp.substr(0, 10) != date)
            abort();
    }
    return 0;
}
