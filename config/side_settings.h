// The DWORDs stored beside "tsdata" under the configuration's key: "EventLog" and
// "AuditOnly". They are not part of the enciphered configuration, so configuration
// files do not carry them; the library reads them with the configuration, and the
// console, gwconfig and the event log read, show, carry, word and write them through
// this one table.
#pragma once

#include <cstdint>
#include <string>

enum SideSettingId : int {
    SIDE_EVENT_LOG,
    SIDE_AUDIT_ONLY,
    SIDE_SETTING_COUNT,
};

struct SideSetting {
    const char* name;                    // the registry value and the JSON member
    uint32_t absent;                     // what the library takes when the value is absent
    uint32_t (*decode)(uint32_t stored); // what the library makes of a stored value
    const char* option;     // gwconfig's option that stores it beside the configuration
    const char* optionHelp; // ... and its help
    uint32_t optionMax;     // the option takes 0 to optionMax
};
extern const SideSetting SIDE_SETTINGS[SIDE_SETTING_COUNT];

// A stored value that the library reads otherwise than as it stands, in words for a
// warning ("the library reads 7 as 1: ..."); empty when it reads the value as stored.
std::string SideSettingOddValue(SideSettingId id, uint32_t stored);

// The words of a change for the change summary ("Event log: nothing -> refused
// sessions"); empty when the library reads `before` and `after` alike.
std::string SideSettingChange(SideSettingId id, uint32_t before, uint32_t after);

// Appends SideSettingChange to a summary: it replaces an empty one or "no change", and
// follows anything else after "; ".
void AddSideSettingChange(SideSettingId id, uint32_t before, uint32_t after, std::string* summary);

// Whether the console's apply writes the value where one is `stored` or not: EventLog
// always; AuditOnly where it is stored already or is not 0, so that a server that never
// had one keeps reading it absent.
bool ConsoleWritesSideSetting(SideSettingId id, bool stored, uint32_t value);

// The value as read with the configuration, or as the console edits it
// (EventLogSettingValue, AuditOnlySettingValue).
uint32_t* SideSettingValue(SideSettingId id);

// The value as stored beside this server's configuration: false when it is absent, not
// 4 bytes long, or the key cannot be opened.
bool ReadSideSetting(SideSettingId id, uint32_t* stored);

// Writes the value as a REG_DWORD beside this server's configuration, as it is. 0 on
// success, -1 on failure (StoreLastError tells why). Shows no message.
int WriteSideSetting(SideSettingId id, uint32_t value);
