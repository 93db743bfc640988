// The logon time filter: allowed weekdays and an optional daily window, which may
// run past midnight.
#include <cstring>

#include "config/config_model.h"
#include "engine/filters.h"
#include "engine/rejection.h"
#include "platform/process.h"

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

int32_t DayFlag(int dayOfWeek) {
    switch (dayOfWeek) {
    case 1:
        return FilterConfig.WEEK_W1;
    case 2:
        return FilterConfig.WEEK_W2;
    case 3:
        return FilterConfig.WEEK_W3;
    case 4:
        return FilterConfig.WEEK_W4;
    case 5:
        return FilterConfig.WEEK_W5;
    case 6:
        return FilterConfig.WEEK_W6;
    default:
        return FilterConfig.WEEK_W7; // Sunday
    }
}

bool InWindow(uint32_t now) {
    char from[sizeof FilterConfig.TIME_FROM], to[sizeof FilterConfig.TIME_TO];
    memcpy(from, FilterConfig.TIME_FROM, sizeof from);
    memcpy(to, FilterConfig.TIME_TO, sizeof to);
    from[sizeof from - 1] = to[sizeof to - 1] = '\0';
    const uint32_t start = ParseTimeOfDay(from);
    const uint32_t end = ParseTimeOfDay(to);
    if (start <= end)
        return start <= now && now <= end;
    return now >= start || now <= end; // across midnight
}

} // namespace

int ValidateTime() {
    if (FilterConfig.FLAG_TIME != 1)
        return 1;
    LocalDateTime now{};
    GetLocalDateTime(&now);
    bool allowed = DayFlag(now.dayOfWeek) != 0;
    if (allowed && FilterConfig.TIME_BETWEEN != 0) {
        const uint32_t seconds = static_cast<uint32_t>(now.hour) * 3600u +
                                 static_cast<uint32_t>(now.minute) * 60u +
                                 static_cast<uint32_t>(now.second);
        allowed = InWindow(seconds);
    }
    if (allowed)
        return 1;
    ShowRejectMessage(FilterConfig.MSG_TIME, FilterConfig.TITLE_TIME);
    RejectAndExit(-1, REJECT_TIMERESTRICTION);
    return 0;
}
