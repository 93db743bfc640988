// The logon time filter: allowed weekdays and an optional daily window, which may
// run past midnight.
#include <cstring>

#include "config/config_model.h"
#include "engine/decision_core.h"
#include "engine/filter_rules.h"
#include "engine/rejection.h"

uint32_t ParseTimeOfDay(const char* text) {
    // "%u:%u:%u"; numbers that are not there count as 0.
    uint32_t parts[3] = {0, 0, 0};
    const char* p = text;
    for (int i = 0; i < 3 && p != nullptr; ++i) {
        while (*p == ' ' || *p == '\t')
            ++p;
        if (*p < '0' || *p > '9')
            break;
        uint32_t value = 0;
        while (*p >= '0' && *p <= '9')
            value = value * 10u + static_cast<uint32_t>(*p++ - '0');
        parts[i] = value;
        if (*p != ':')
            break;
        ++p;
    }
    return parts[0] * 3600u + parts[1] * 60u + parts[2];
}

namespace {

int32_t DayFlag(const FilterConfigRecord& config, int dayOfWeek) {
    switch (dayOfWeek) {
    case 1:
        return config.WEEK_W1;
    case 2:
        return config.WEEK_W2;
    case 3:
        return config.WEEK_W3;
    case 4:
        return config.WEEK_W4;
    case 5:
        return config.WEEK_W5;
    case 6:
        return config.WEEK_W6;
    default:
        return config.WEEK_W7; // Sunday
    }
}

bool InWindow(const FilterConfigRecord& config, uint32_t now) {
    char from[sizeof config.TIME_FROM], to[sizeof config.TIME_TO];
    memcpy(from, config.TIME_FROM, sizeof from);
    memcpy(to, config.TIME_TO, sizeof to);
    from[sizeof from - 1] = to[sizeof to - 1] = '\0';
    const uint32_t start = ParseTimeOfDay(from);
    const uint32_t end = ParseTimeOfDay(to);
    if (start <= end)
        return start <= now && now <= end;
    return now >= start || now <= end; // across midnight
}

} // namespace

void DecideTime(const FilterConfigRecord& config, FactSource& facts, FilterVerdict* verdict) {
    LocalDateTime now{};
    facts.LocalTime(&now);
    verdict->timeRead = true;
    verdict->time = now;
    verdict->value = DayFlag(config, now.dayOfWeek);
    bool allowed = verdict->value != 0;
    verdict->rule = RULE_DAY;
    if (allowed && config.TIME_BETWEEN != 0) {
        const uint32_t seconds = static_cast<uint32_t>(now.hour) * 3600u +
                                 static_cast<uint32_t>(now.minute) * 60u +
                                 static_cast<uint32_t>(now.second);
        allowed = InWindow(config, seconds);
        verdict->rule = RULE_DAY_WINDOW;
    } else if (allowed) {
        verdict->rule = RULE_DAY_ALL_DAY;
    }
    if (allowed)
        verdict->outcome = FILTER_PASSES;
    else
        Refuse(verdict, REJECT_TIMERESTRICTION, config.MSG_TIME, config.TITLE_TIME);
}
