#include "report/log_line.h"

#include <cstring>

#include "engine/rejection.h"
#include "report/byte_scan.h"

namespace {

const ReasonInfo REASONS[REASON_COUNT] = {
    {"REJECT_IPADDRESS", REJECT_IPADDRESS, "IP address filter", "IP address rule",
     "the client's address is denied", false, "IP Address"},
    {"REJECT_FAIL_GETIPADDRESS", REJECT_FAIL_GETIPADDRESS, "IP address filter",
     "client address could not be read",
     "Terminal Services gave no client address (the client went away at once, or the "
     "session does not come over the network)",
     true, "IP Address"},
    {"REJECT_COMPUTERNAME", REJECT_COMPUTERNAME, "computer name filter", "computer name rule",
     "the client computer's name is denied", false, "Computer Name"},
    {"REJECT_FAIL_GETCOMPUTERNAME", REJECT_FAIL_GETCOMPUTERNAME, "computer name filter",
     "computer name could not be read",
     "the client sent no computer name (some thin clients and non-Windows clients do not)", true,
     "Computer Name"},
    {"REJECT_MACADDRESS", REJECT_MACADDRESS, "MAC address filter", "MAC address rule",
     "the client's MAC address is denied", false, "MAC address"},
    {"REJECT_FAIL_GETMACADDRESS", REJECT_FAIL_GETMACADDRESS, "MAC address filter",
     "MAC address could not be read",
     "ARP found no MAC address: the client is behind a router or on another subnet, where the "
     "server cannot see its MAC address",
     true, "MAC address"},
    {"REJECT_TIMERESTRICTION", REJECT_TIMERESTRICTION, "logon day and time filter",
     "logon time window", "the logon came outside the allowed days or hours (server local time)",
     false, "Time Restrictions"},
    {"REJECT_CLIENTVERSION", REJECT_CLIENTVERSION, "client version filter", "client version rule",
     "the client software's build is denied", false, "Client Version"},
    {"REJECT_FAIL_GETCLIENTVERSION", REJECT_FAIL_GETCLIENTVERSION, "client version filter",
     "client version could not be read",
     "the client reported no build number (some third-party clients)", true, "Client Version"},
    {"REJECT_SESSIONPERIP", REJECT_SESSIONPERIP, "sessions per IP address filter",
     "sessions per address limit",
     "the client's address already holds its allowed number of sessions", false, "Session per IP"},
    {"REJECT_FAIL_GETSESSIONCOUNT_IP", REJECT_FAIL_GETSESSIONCOUNT_IP,
     "sessions per IP address filter", "sessions per address could not be counted",
     "the server could not list its sessions to count them", true, "Session per IP"},
    {"REJECT_SESSIONPERUSER", REJECT_SESSIONPERUSER, "sessions per user filter",
     "sessions per user limit", "the user already holds the allowed number of sessions", false,
     "Session per User"},
    {"REJECT_FAIL_GETUSERNAME", REJECT_FAIL_GETUSERNAME, "sessions per user filter",
     "user name could not be read", "the session had no user name at logon", true,
     "Session per User"},
    {"REJECT_FAIL_GETSESSIONCOUNT_USER", REJECT_FAIL_GETSESSIONCOUNT_USER,
     "sessions per user filter", "sessions per user could not be counted",
     "the server could not list its sessions to count them", true, "Session per User"},
    {"REJECT_FAIL_OTHER", REJECT_FAIL_OTHER, "the library", "other failure",
     "no filter refuses with this code: the line comes from another version of the library", true,
     ""},
    {"REJECT_OTHER", REJECT_NONE, "the library",
     "other reason", // any code the library does not name
     "no filter refuses with this code: the line comes from another version of the library", true,
     ""},
};

bool Digits(std::string_view text, size_t at, size_t count, int* value) {
    int v = 0;
    for (size_t k = at; k < at + count; ++k) {
        if (text[k] < '0' || text[k] > '9')
            return false;
        v = v * 10 + (text[k] - '0');
    }
    *value = v;
    return true;
}

int DaysInMonth(int year, int month) {
    static const int DAYS[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month != 2)
        return DAYS[month - 1];
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return leap ? 29 : 28;
}

bool ParseDateParts(std::string_view text, int* year, int* month, int* day) {
    return text.size() >= 10 && text[4] == '-' && text[7] == '-' && Digits(text, 0, 4, year) &&
           Digits(text, 5, 2, month) && Digits(text, 8, 2, day) && *month >= 1 && *month <= 12 &&
           *day >= 1 && *day <= DaysInMonth(*year, *month);
}

#if defined(__BYTE_ORDER__)
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "the timestamp's masks read bytes low first");
#endif

uint64_t Load64(const char* p) {
    uint64_t word;
    memcpy(&word, p, 8);
    return word;
}

// Of eight bytes (the first in the low byte), whether those in `digits` (0xFF per byte
// to check) are all '0' to '9': xor with '0' leaves 0 to 9 with a clear high nibble, and
// adding 6 carries into bit 4 only from 10 to 15. A byte whose high nibble is set is
// caught by the first test; the carry it may pass on cannot make a result good.
bool AllDigits(uint64_t word, uint64_t digits) {
    uint64_t x = (word ^ 0x3030303030303030ull) & digits;
    return ((x & 0xF0F0F0F0F0F0F0F0ull) |
            ((x + (0x0606060606060606ull & digits)) & 0x1010101010101010ull)) == 0;
}

// "YYYY-MM-DD HH:MM:SS" of a real date and time, its fixed shape checked eight bytes at a
// time: bytes 0-7 "YYYY-MM-", 8-15 "DD HH:MM", 11-18 "HH:MM:SS".
bool ParseTimestamp(std::string_view t, int* year, int* month, int* day, int* hour, int* minute,
                    int* second) {
    if (t.size() != 19)
        return false;
    const char* p = t.data();
    uint64_t a = Load64(p), b = Load64(p + 8), c = Load64(p + 11);
    const uint64_t A_DIGITS = 0x00FFFF00FFFFFFFFull, BC_DIGITS = 0xFFFF00FFFF00FFFFull;
    const uint64_t A_SEPARATORS = ~A_DIGITS, BC_SEPARATORS = ~BC_DIGITS;
    // '-' at 4 and 7; ' ' at 10 and ':' at 13; ':' at 13 and 16.
    const uint64_t A_SHAPE = 0x2D00002D00000000ull, B_SHAPE = 0x00003A0000200000ull,
                   C_SHAPE = 0x00003A00003A0000ull;
    if (!AllDigits(a, A_DIGITS) || !AllDigits(b, BC_DIGITS) || !AllDigits(c, BC_DIGITS) ||
        (a & A_SEPARATORS) != A_SHAPE || (b & BC_SEPARATORS) != B_SHAPE ||
        (c & BC_SEPARATORS) != C_SHAPE)
        return false;
    auto d = [p](size_t k) { return static_cast<int>(p[k] - '0'); };
    *year = d(0) * 1000 + d(1) * 100 + d(2) * 10 + d(3);
    *month = d(5) * 10 + d(6);
    *day = d(8) * 10 + d(9);
    *hour = d(11) * 10 + d(12);
    *minute = d(14) * 10 + d(15);
    *second = d(17) * 10 + d(18);
    return *month >= 1 && *month <= 12 && *day >= 1 && *day <= DaysInMonth(*year, *month) &&
           *hour <= 23 && *minute <= 59 && *second <= 59;
}

bool ParseSessionId(std::string_view text, uint32_t* id) {
    if (text.empty() || text.size() > 10)
        return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFu)
        return false;
    *id = static_cast<uint32_t>(value);
    return true;
}

} // namespace

bool AddressNumber(std::string_view text, uint32_t* number) {
    size_t at = 0;
    uint32_t whole = 0;
    for (int part = 0; part < 4; ++part) {
        size_t digits = 0;
        int value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 4) {
            value = value * 10 + (text[at++] - '0');
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255)
            return false;
        if (part < 3 && (at >= text.size() || text[at++] != '.'))
            return false;
        whole = whole << 8 | static_cast<uint32_t>(value);
    }
    *number = whole;
    return at == text.size();
}

namespace {

// "%d.%d.%d.%d" as the library writes a client address.
bool IsAddressText(std::string_view text) {
    uint32_t number;
    return AddressNumber(text, &number);
}

// Six "%.2X" groups joined by "-", or empty when ARP found none.
bool IsMacText(std::string_view text) {
    if (text.empty())
        return true;
    if (text.size() != 17)
        return false;
    for (size_t k = 0; k < 17; ++k) {
        char c = text[k];
        bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        if (k % 3 == 2 ? c != '-' : !hex)
            return false;
    }
    return true;
}

// The library's longest line: a 19-character timestamp, six fields of up to 63
// characters, a ten-digit session id, "Rejected", the longest code text and commas.
const size_t LONGEST_LINE = 1024;

} // namespace

const ReasonInfo& Reason(int index) {
    return REASONS[index];
}

int ReasonOfText(std::string_view text) {
    if (text.empty())
        return REASON_NONE;
    if (text.size() < 9 || text.compare(0, 7, "REJECT_") != 0)
        return -2;
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (text == REASONS[k].text)
            return k;
    }
    return -2;
}

const char* LineProblemText(LineProblem problem) {
    switch (problem) {
    case LINE_OK:
        return "readable";
    case LINE_FIELD_COUNT:
        return "not nine comma-terminated fields";
    case LINE_TIMESTAMP:
        return "the time is not a date and time";
    case LINE_SESSION_ID:
        return "the session id is not a number";
    case LINE_DECISION:
        return "the decision is neither Accepted, Rejected nor Audited";
    case LINE_CODE:
        return "unknown code text";
    case LINE_CODE_MISMATCH:
        return "the decision and the code disagree";
    case LINE_TOO_LONG:
        return "longer than any line the library writes";
    case LINE_FIELDS_AMBIGUOUS:
        return "commas in a name leave its fields ambiguous";
    }
    return "unreadable";
}

LineProblem ParseLogLine(std::string_view text, LogLine* line) {
    if (text.size() > LONGEST_LINE)
        return LINE_TOO_LONG;
    if (text.empty() || text.back() != ',')
        return LINE_FIELD_COUNT;
    // comma[k] ends field k. A line has at most LONGEST_LINE commas.
    uint16_t comma[LONGEST_LINE];
    size_t commas = FindCommas(text, comma);
    if (commas < 9)
        return LINE_FIELD_COUNT;
    // Every offset lies in the text: no bounds to check.
    auto field = [&](size_t k) {
        size_t begin = k == 0 ? 0 : comma[k - 1] + 1u;
        return std::string_view(text.data() + begin, comma[k] - begin);
    };
    // Commas beyond the nine come from a client-chosen text: the computer name, or the
    // WinStation or user name after the MAC address. Only the address and the MAC
    // address have a form of their own, so the extra commas can be placed only when
    // the computer name alone can hold them all; otherwise the line is not attributed.
    size_t extra = commas - 9;
    if (extra > 0) {
        for (size_t inName = 0; inName < extra; ++inName) {
            if (IsAddressText(field(2 + inName)) && IsMacText(field(3 + inName)))
                return LINE_FIELDS_AMBIGUOUS;
        }
        if (!IsAddressText(field(2 + extra)) || !IsMacText(field(3 + extra)))
            return LINE_FIELDS_AMBIGUOUS;
    }
    line->timestamp = field(0);
    line->computerName =
        std::string_view(text.data() + comma[0] + 1u, comma[1 + extra] - comma[0] - 1u);
    line->address = field(2 + extra);
    line->mac = field(3 + extra);
    line->winStation = field(4 + extra);
    line->user = field(5 + extra);
    std::string_view id = field(6 + extra), decision = field(7 + extra), code = field(8 + extra);

    int year, month, day, hour, minute, second;
    if (!ParseTimestamp(line->timestamp, &year, &month, &day, &hour, &minute, &second))
        return LINE_TIMESTAMP;
    if (!ParseSessionId(id, &line->sessionId))
        return LINE_SESSION_ID;
    line->rejected = decision == "Rejected";
    line->audited = decision == "Audited";
    if (!line->rejected && !line->audited && decision != "Accepted")
        return LINE_DECISION;
    line->reason = ReasonOfText(code);
    if (line->reason == -2)
        return LINE_CODE;
    if ((line->rejected || line->audited) != (line->reason != REASON_NONE))
        return LINE_CODE_MISMATCH;
    line->day = DaysFromDate(year, month, day);
    line->weekday = WeekdayOfDays(line->day);
    line->hour = hour;
    line->secondOfDay = hour * 3600 + minute * 60 + second;
    return LINE_OK;
}

// Howard Hinnant's days-from-civil and civil-from-days.
int32_t DaysFromDate(int year, int month, int day) {
    year -= month <= 2;
    int era = (year >= 0 ? year : year - 399) / 400;
    int yoe = year - era * 400;
    int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void DateFromDays(int32_t days, int* year, int* month, int* day) {
    days += 719468;
    int era = (days >= 0 ? days : days - 146096) / 146097;
    int doe = days - era * 146097;
    int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int mp = (5 * doy + 2) / 153;
    *day = doy - (153 * mp + 2) / 5 + 1;
    *month = mp < 10 ? mp + 3 : mp - 9;
    *year = yoe + era * 400 + (*month <= 2);
}

bool ParseDate(std::string_view text, int32_t* days) {
    int year, month, day;
    if (text.size() != 10 || !ParseDateParts(text, &year, &month, &day))
        return false;
    *days = DaysFromDate(year, month, day);
    return true;
}

void FormatDate(int32_t days, char out[11]) {
    int year, month, day;
    DateFromDays(days, &year, &month, &day);
    out[0] = static_cast<char>('0' + year / 1000 % 10);
    out[1] = static_cast<char>('0' + year / 100 % 10);
    out[2] = static_cast<char>('0' + year / 10 % 10);
    out[3] = static_cast<char>('0' + year % 10);
    out[4] = '-';
    out[5] = static_cast<char>('0' + month / 10);
    out[6] = static_cast<char>('0' + month % 10);
    out[7] = '-';
    out[8] = static_cast<char>('0' + day / 10);
    out[9] = static_cast<char>('0' + day % 10);
    out[10] = '\0';
}

int WeekdayOfDays(int32_t days) {
    // 1970-01-01 was a Thursday (3 with Monday 0). One division: days % 7 + 3 lies in
    // -3 to 9.
    int w = days % 7 + 3;
    return w < 0 ? w + 7 : w >= 7 ? w - 7 : w;
}
