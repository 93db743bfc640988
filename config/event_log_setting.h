// "EventLog", a REG_DWORD beside "tsdata" under the configuration's key: what the
// filter library reports to the Application log. It is not part of the enciphered
// configuration, so configuration files do not carry it.
#pragma once

#include <cstdint>

enum EventLogSetting : uint32_t {
    EVENT_LOG_SETTING_NONE = 0,
    EVENT_LOG_SETTING_REFUSALS = 1, // also when the value is absent
    EVENT_LOG_SETTING_ALL = 2,      // refusals and accepted logons
};

// The setting as read with the configuration (or as the console edits it).
extern uint32_t EventLogSettingValue;

// A stored value as a setting: 0 and 2 as they are, anything else means refusals.
uint32_t EventLogSettingFrom(uint32_t stored);

// Reads "EventLog" into EventLogSettingValue (refusals when it is absent, unreadable
// or the key cannot be opened) and returns it.
uint32_t LoadEventLogSetting();

// Writes `value` as "EventLog"; 0 on success, -1 on failure. Shows no message.
int SaveEventLogSetting(uint32_t value);
