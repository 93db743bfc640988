// Reading and writing the settings beside the configuration: apart from the table, so
// that programs that only read the values (the engine's tests) need no configuration
// store.
#include "config/audit_only_setting.h"
#include "config/event_log_setting.h"
#include "config/side_settings.h"

#include "platform/config_store.h"

uint32_t* SideSettingValue(SideSettingId id) {
    return id == SIDE_EVENT_LOG ? &EventLogSettingValue : &AuditOnlySettingValue;
}

bool ReadSideSetting(SideSettingId id, uint32_t* stored) {
    ConfigKeyHandle key(StoreOpenConfigKey());
    if (!key)
        return false;
    uint8_t bytes[4] = {};
    uint32_t size = sizeof bytes;
    if (StoreReadValue(key.get(), SIDE_SETTINGS[id].name, bytes, &size) != 0 ||
        size != sizeof bytes)
        return false;
    *stored = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
              uint32_t(bytes[3]) << 24;
    return true;
}

int WriteSideSetting(SideSettingId id, uint32_t value) {
    ConfigKeyHandle key(StoreOpenConfigKey());
    if (!key)
        return -1;
    return StoreWriteDword(key.get(), SIDE_SETTINGS[id].name, value);
}

uint32_t LoadEventLogSetting() {
    uint32_t stored = EVENT_LOG_SETTING_REFUSALS;
    EventLogSettingValue = ReadSideSetting(SIDE_EVENT_LOG, &stored)
                               ? EventLogSettingFrom(stored)
                               : static_cast<uint32_t>(EVENT_LOG_SETTING_REFUSALS);
    return EventLogSettingValue;
}

int SaveEventLogSetting(uint32_t value) {
    return WriteSideSetting(SIDE_EVENT_LOG, EventLogSettingFrom(value));
}

uint32_t LoadAuditOnlySetting() {
    uint32_t stored = 0;
    AuditOnlySettingValue = ReadSideSetting(SIDE_AUDIT_ONLY, &stored) ? stored : 0;
    return AuditOnlySettingValue;
}

int SaveAuditOnlySetting(uint32_t value) {
    return WriteSideSetting(SIDE_AUDIT_ONLY, value);
}
