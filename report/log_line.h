// One line of the logon log as the library writes it: nine fields, each followed by a
// comma, texts in the server's ANSI code page. Names a client sends may hold commas of
// their own: a line is read only when its address and MAC address show where they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The reasons a session is refused, in the order the library's filters run: each
// filter's own refusal, then the facts it could not read. The indices are the report's
// reason numbers.
enum : int {
    REASON_COUNT = 16,
    REASON_NONE = -1, // an accepted logon
};

struct ReasonInfo {
    const char* text;    // the code text in the log
    int32_t code;        // the library's decision code
    const char* filter;  // the filter (or the library) that refuses with it
    const char* words;   // the console's words for the reason
    const char* meaning; // what a refusal with this code usually means
    bool unreadFact;     // the server could not read a fact it needed
    const char* page;    // the filter's page in the console; "" for the library's own
};

// REASON_COUNT entries, in filter order.
const ReasonInfo& Reason(int index);
// The reason of a code text; REASON_NONE for "" and -2 for a text the library never
// writes.
int ReasonOfText(std::string_view text);

// The parts of one line; the texts point into the line given to ParseLogLine.
struct LogLine {
    std::string_view timestamp; // "YYYY-MM-DD HH:MM:SS"
    std::string_view computerName;
    std::string_view address;
    std::string_view mac;
    std::string_view winStation;
    std::string_view user;
    uint32_t sessionId;
    bool rejected;
    // "Audited": a filter that only audits would have refused; the session went on.
    // Never rejected at the same time; `reason` is the refusal it would have been.
    bool audited;
    int reason; // REASON_NONE when accepted
    // From the timestamp.
    int32_t day; // days since 1970-01-01
    int weekday; // 0 = Monday .. 6 = Sunday
    int hour;
    int32_t secondOfDay;
};

enum LineProblem : int {
    LINE_OK = 0,
    LINE_FIELD_COUNT,      // not nine fields each followed by a comma
    LINE_TIMESTAMP,        // the first field is not a date and time
    LINE_SESSION_ID,       // not an unsigned 32-bit decimal number
    LINE_DECISION,         // neither "Accepted", "Rejected" nor "Audited"
    LINE_CODE,             // a code text the library never writes
    LINE_CODE_MISMATCH,    // "Accepted" with a code, or "Rejected"/"Audited" without one
    LINE_TOO_LONG,         // longer than any line the library can write
    LINE_FIELDS_AMBIGUOUS, // extra commas that more than one field could hold
};

// A short phrase for the problem ("wrong field count", ...).
const char* LineProblemText(LineProblem problem);

// Parses one line without its line end. LINE_OK fills *line.
LineProblem ParseLogLine(std::string_view text, LogLine* line);

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int32_t DaysFromDate(int year, int month, int day);
void DateFromDays(int32_t days, int* year, int* month, int* day);
// Reads "YYYY-MM-DD" (a real date); false otherwise.
bool ParseDate(std::string_view text, int32_t* days);
// "YYYY-MM-DD" of a day number.
void FormatDate(int32_t days, char out[11]);
// 0 = Monday .. 6 = Sunday.
int WeekdayOfDays(int32_t days);
// The number of a dotted IPv4 address text; false for any other text.
bool AddressNumber(std::string_view text, uint32_t* number);
