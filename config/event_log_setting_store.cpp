// Reading and writing the setting: apart from the value, so that programs that only
// read the value (the engine's tests) need no configuration store.
#include "config/event_log_setting.h"

#include "platform/config_store.h"

namespace {
const char SETTING_VALUE[] = "EventLog";
} // namespace

uint32_t LoadEventLogSetting() {
    EventLogSettingValue = EVENT_LOG_SETTING_REFUSALS;
    ConfigKeyHandle key(StoreOpenConfigKey());
    if (!key)
        return EventLogSettingValue;
    uint8_t bytes[4] = {};
    uint32_t size = sizeof bytes;
    if (StoreReadValue(key.get(), SETTING_VALUE, bytes, &size) == 0 && size == sizeof bytes) {
        const uint32_t stored = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 |
                                uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
        EventLogSettingValue = EventLogSettingFrom(stored);
    }
    return EventLogSettingValue;
}

int SaveEventLogSetting(uint32_t value) {
    ConfigKeyHandle key(StoreOpenConfigKey());
    if (!key)
        return -1;
    return StoreWriteDword(key.get(), SETTING_VALUE, EventLogSettingFrom(value));
}
