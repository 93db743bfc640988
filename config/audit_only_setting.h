// "AuditOnly", a REG_DWORD beside "tsdata" under the configuration's key: the filters
// that only audit. Bit (code - 1) stands for the filter whose refusal code is code
// (0x1 IP address, 0x2 computer name, 0x4 MAC address, 0x8 client version, 0x10 time,
// 0x20 sessions per address, 0x40 sessions per user). Such a filter turns no one away:
// the library logs and reports the refusal it would have made and the session goes on.
// Absent or 0, every filter enforces. Configuration files do not carry it.
#pragma once

#include <cstdint>

constexpr uint32_t AUDIT_ONLY_FILTER_BITS = 0x7F;

// The value as stored (0 when absent), as read with the configuration or as the console
// edits it. Bits that name no filter are kept, so that a write gives them back.
extern uint32_t AuditOnlySettingValue;

// The bits of a stored value that name filters: what the library acts on.
inline uint32_t AuditOnlyMaskFrom(uint32_t stored) {
    return stored & AUDIT_ONLY_FILTER_BITS;
}

// The bit of refusal code `code` (1 to 7); 0 for any other code.
inline uint32_t AuditOnlyBitOfCode(int32_t code) {
    return code >= 1 && code <= 7 ? 1u << (code - 1) : 0u;
}

// Reads "AuditOnly" into AuditOnlySettingValue (0 when it is absent, not 4 bytes long
// or the key cannot be opened) and returns it.
uint32_t LoadAuditOnlySetting();

// Writes `value` as "AuditOnly", as it is; 0 on success, -1 on failure. Shows no message.
int SaveAuditOnlySetting(uint32_t value);
