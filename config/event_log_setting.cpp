#include "config/event_log_setting.h"

uint32_t EventLogSettingValue = EVENT_LOG_SETTING_REFUSALS;

uint32_t EventLogSettingFrom(uint32_t stored) {
    return stored == EVENT_LOG_SETTING_NONE || stored == EVENT_LOG_SETTING_ALL
               ? stored
               : static_cast<uint32_t>(EVENT_LOG_SETTING_REFUSALS);
}

