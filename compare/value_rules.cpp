#include "compare/value_rules.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
    for (const char* candidate : names) {
        if (name == candidate)
            return true;
    }
    return false;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Limits as the library takes them: a negative number is read as a very large one.
std::string NoLimitNote(int32_t value) {
    return std::to_string(value) + " is negative: the library reads it as " +
           std::to_string(static_cast<uint32_t>(value)) + " sessions, which is no limit";
}

bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when `text` from `begin` to `end` is one decimal number with blanks around it
// at most, the form a build number is written in.
bool IsNumberItem(const std::string& text, size_t begin, size_t end) {
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    if (begin == end)
        return false;
    for (size_t k = begin; k < end; ++k) {
        if (!IsDigit(text[k]))
            return false;
    }
    return true;
}

// Digits from `k` on, as the library reads a number (wrapping on overflow).
uint32_t DigitsAt(const std::string& text, size_t* k) {
    uint32_t value = 0;
    while (*k < text.size() && IsDigit(text[*k]))
        value = value * 10u + static_cast<uint32_t>(text[(*k)++] - '0');
    return value;
}

std::string RangeNote(const std::string& text) {
    // The library's reading: blanks, an optional '(', blanks, a number, ':' and a
    // number right after it. With the parenthesis the lower bound comes first.
    size_t k = 0;
    while (k < text.size() && IsBlank(text[k]))
        ++k;
    const bool parenthesised = k < text.size() && text[k] == '(';
    if (parenthesised)
        ++k;
    while (k < text.size() && IsBlank(text[k]))
        ++k;
    const std::string unreadable =
        Quoted(text) + " is not a range \"(lower:upper)\" of build numbers: the library admits "
                       "no build while this rule is set";
    if (k >= text.size() || !IsDigit(text[k]))
        return unreadable;
    uint32_t first = DigitsAt(text, &k);
    if (k + 1 >= text.size() || text[k] != ':' || !IsDigit(text[k + 1]))
        return unreadable;
    ++k;
    uint32_t second = DigitsAt(text, &k);
    const uint32_t lower = parenthesised ? first : second;
    const uint32_t upper = parenthesised ? second : first;
    if (lower > upper)
        return Quoted(text) + " ends below where it starts: the library admits no build while "
                              "this rule is set";
    const bool written =
        text.size() >= 2 && text[0] == '(' && text.back() == ')' && k == text.size() - 1;
    if (written)
        return std::string();
    return Quoted(text) + " is not written \"(lower:upper)\": the library reads it as the builds " +
           std::to_string(lower) + " to " + std::to_string(upper);
}

} // namespace

std::string IntValueNote(const std::string& table, const std::string& name, int32_t value) {
    const std::string shown = std::to_string(value);
    if (name == "TYPE") {
        if (value == 0 || value == 1)
            return std::string();
        if (table == "R_IPADDRESS")
            return shown + " is neither 0 nor 1: the library refuses a client this row matches "
                           "(it takes the row for a deny row and an allow row both)";
        return shown + " is neither 0 nor 1: the library ignores the row (it neither admits nor "
                       "refuses anyone)";
    }
    // Switches the library acts on only when they are 1.
    if (IsOneOf(name, {"FLAG_IPADDRESS", "FLAG_COMPUTERNAME", "FLAG_MACADDRESS", "FLAG_VERSION",
                       "FLAG_SERVEROPTION", "FLAG_TIME", "FLAG_SERVEROPTION_SESSIONPERUSER",
                       "FLAG_LOGON_LOGS", "FLAG_SERVEROPTION_CHECK_TYPE",
                       "FLAG_SESSION_PER_USER_DEFAULT", "FLAG_USER_IGNORE_ADMINISTRATOR"}))
        return value == 0 || value == 1
                   ? std::string()
                   : shown + " is neither 0 nor 1: the library takes it as off (it acts only on 1)";
    // Switches the library takes as on for any value but 0.
    if (IsOneOf(name, {"FLAG_IPADDRESS_ALLOW", "FLAG_COMPUTERNAME_ALLOW", "FLAG_MACADDRESS_ALLOW",
                       "WEEK_W1", "WEEK_W2", "WEEK_W3", "WEEK_W4", "WEEK_W5", "WEEK_W6", "WEEK_W7",
                       "TIME_BETWEEN", "REMOVE_DISCONNECTED", "IGNORE_DISCONNECTED",
                       "FLAG_USER_IGNORE_DISCONNECTED", "FLAG_USER_REMOVE_DISCONNECTED"}))
        return value == 0 || value == 1
                   ? std::string()
                   : shown + " is neither 0 nor 1: the library takes it as on (any value but 0)";
    if (name == "FLAG_APP_LOGS")
        return value == 0 || value == 1
                   ? std::string()
                   : shown + " is neither 0 nor 1: no part of the system acts on this switch";
    if (name == "SESSION_PER_IP" || name == "SESSION_IPCOUNTER") {
        if (value >= 1 && value <= 9)
            return std::string();
        if (value < 0)
            return NoLimitNote(value);
        if (value == 0)
            return name == "SESSION_PER_IP"
                       ? "0 is outside 1 to 9: the library reads it as 1"
                       : "0 is outside 1 to 9: the library refuses every new session from this "
                         "address (the new session counts itself)";
        return shown + " is outside 1 to 9, the range the console offers: the library allows " +
               shown + " sessions";
    }
    if (name == "SESSIONPERUSER_COUNT" || name == "SESSION_USERCOUNT")
        return value < 0 ? NoLimitNote(value) : std::string();
    return std::string();
}

std::string TextValueNote(const std::string& name, const std::string& text) {
    if (text.empty())
        return std::string(); // the rule is not set
    if (name == "VERALLOW" || name == "VERDISALLOW") {
        size_t begin = 0;
        for (;;) {
            size_t end = text.find(',', begin);
            if (end == std::string::npos)
                end = text.size();
            bool blank = true;
            for (size_t k = begin; k < end; ++k)
                blank = blank && IsBlank(text[k]);
            // An empty item names no build, which is what it looks like.
            if (!blank && !IsNumberItem(text, begin, end))
                return Quoted(text) +
                       " is not a list of build numbers joined by commas: the library reads each "
                       "item as the number it starts with (0 when it starts with none)";
            if (end == text.size())
                return std::string();
            begin = end + 1;
        }
    }
    if (name == "VERHIGHER" || name == "VERLOWER")
        return IsNumberItem(text, 0, text.size())
                   ? std::string()
                   : Quoted(text) + " is not a build number: the library reads the number it "
                                    "starts with (0 when it starts with none)";
    if (name == "VERBETWEEN")
        return RangeNote(text);
    return std::string();
}

bool ParseIpv4(const std::string& text, uint32_t* address) {
    uint32_t value = 0;
    size_t k = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (k >= text.size() || text[k] != '.')
                return false;
            ++k;
        }
        size_t digits = 0;
        uint32_t number = 0;
        while (k < text.size() && text[k] >= '0' && text[k] <= '9' && digits < 4) {
            number = number * 10 + static_cast<uint32_t>(text[k] - '0');
            ++k;
            ++digits;
        }
        if (digits == 0 || digits > 3 || number > 255)
            return false;
        value = value << 8 | number;
    }
    if (k != text.size())
        return false;
    *address = value;
    return true;
}

namespace {

bool IsIpv4(const std::string& text) {
    uint32_t ignored;
    return ParseIpv4(text, &ignored);
}

bool IsIpv4OrEmpty(const std::string& text) {
    return text.empty() || IsIpv4(text);
}

bool IsStoredMac(const std::string& text) {
    uint8_t ignored[6];
    return ParseMac(text, ignored);
}

const TextForm ADDRESS = {IsIpv4, "an IPv4 address a.b.c.d, each number 0 to 255"};
const TextForm ADDRESS_OR_EMPTY = {IsIpv4OrEmpty,
                                   "empty or an IPv4 address a.b.c.d, each number 0 to 255"};
const TextForm MAC = {IsStoredMac, "a MAC address HH-HH-HH-HH-HH-HH (hexadecimal digits)"};

} // namespace

const TextForm* TextFormOf(const std::string& name) {
    if (name == "IPFROM" || name == "SESSION_IP")
        return &ADDRESS;
    if (name == "IPTO")
        return &ADDRESS_OR_EMPTY;
    if (name == "MACADDRESS")
        return &MAC;
    return nullptr;
}
