// The client version filter. The console writes the allow and disallow rules as
// comma-separated build lists and the range as "(lower:upper)"; a plain "a:b" range,
// the form read before, keeps its meaning of upper bound first.
#include <cstring>

#include "config/config_model.h"
#include "engine/decision_core.h"
#include "engine/filter_rules.h"
#include "engine/rejection.h"

namespace {

bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A number read the way atoi reads one (white space, a sign, digits up to the first
// other character; none gives 0), wrapping instead of overflowing. *end is set after
// what was read.
uint32_t ReadNumber(const char* text, const char** end) {
    const char* p = text;
    while (IsSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    uint32_t value = 0;
    while (IsDigit(*p))
        value = value * 10u + static_cast<uint32_t>(*p++ - '0');
    if (end != nullptr)
        *end = p;
    return negative ? 0u - value : value;
}

// A field of the configuration read with its bound.
template <size_t N> const char* Bounded(const char (&field)[N], char (&copy)[N]) {
    memcpy(copy, field, N);
    copy[N - 1] = '\0';
    return copy;
}

// 1 when build is one of the comma-separated numbers. An empty item (a trailing
// comma, two commas in a row) names no build, not build 0.
bool ListHolds(const char* list, uint32_t build) {
    const char* p = list;
    for (;;) {
        const char* item = p;
        while (IsSpace(*item))
            ++item;
        if (*item != ',' && *item != '\0' && ReadNumber(p, nullptr) == build)
            return true;
        p = strchr(p, ',');
        if (p == nullptr)
            return false;
        ++p;
    }
}

// The range's bounds: "(lower:upper)" or "upper:lower". False when the text does
// not hold two numbers.
bool ReadRange(const char* text, uint32_t* lower, uint32_t* upper) {
    const char* p = text;
    while (IsSpace(*p))
        ++p;
    const bool parenthesised = *p == '(';
    if (parenthesised)
        ++p;
    while (IsSpace(*p))
        ++p;
    if (!IsDigit(*p))
        return false;
    const char* end = nullptr;
    uint32_t first = ReadNumber(p, &end);
    if (*end != ':' || !IsDigit(end[1]))
        return false;
    uint32_t second = ReadNumber(end + 1, nullptr);
    *lower = parenthesised ? first : second;
    *upper = parenthesised ? second : first;
    return true;
}

} // namespace

int VersionAdmits(const FilterConfigRecord& config, uint32_t build) {
    char text[sizeof config.VERALLOW];
    if (config.VERALLOW[0] != '\0' && !ListHolds(Bounded(config.VERALLOW, text), build))
        return 0;
    if (config.VERDISALLOW[0] != '\0' && ListHolds(Bounded(config.VERDISALLOW, text), build))
        return 0;
    if (config.VERHIGHER[0] != '\0' &&
        !(build > ReadNumber(Bounded(config.VERHIGHER, text), nullptr)))
        return 0;
    if (config.VERLOWER[0] != '\0' &&
        !(build < ReadNumber(Bounded(config.VERLOWER, text), nullptr)))
        return 0;
    if (config.VERBETWEEN[0] != '\0') {
        // A range that cannot be read admits no build: the rule is set, and guessing
        // its bounds could let in what the administrator meant to keep out.
        uint32_t lower = 0, upper = 0;
        if (!ReadRange(Bounded(config.VERBETWEEN, text), &lower, &upper))
            return 0;
        if (build < lower || build > upper)
            return 0;
    }
    return 1;
}

void DecideVersion(const FilterConfigRecord& config, FactSource& facts, FilterVerdict* verdict) {
    uint32_t build = 0;
    if (facts.ClientBuild(&build) != 0) {
        RefuseUnavailable(verdict, FACT_BUILD, REJECT_FAIL_GETCLIENTVERSION,
                          "In ValidateVersion(), GetClientBuildNumber() failed!", "Error!");
        return;
    }
    verdict->buildRead = true;
    verdict->build = build;
    verdict->rule = RULE_VERSION;
    if (VersionAdmits(config, build))
        verdict->outcome = FILTER_PASSES;
    else
        Refuse(verdict, REJECT_CLIENTVERSION, config.MSG_VERSION, config.TITLE_VERSION);
}
