// The configuration's registry key as Windows test programs see it: raw reads and
// writes of its values beside the store, to set up and check what the store did.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

extern const char CONFIG_REGISTRY_SUBKEY[];

// Removes the key under HKEY_LOCAL_MACHINE with the keys below it; true when it is gone
// (or was never there).
bool DeleteConfigKey();
bool ConfigKeyExists();
// A value's type and bytes, read at its real size; false when the key or value is absent.
bool ReadConfigValue(const char* name, DWORD* type, std::vector<uint8_t>* data);
// Writes a value, creating the key first; false on any failure.
bool WriteConfigValue(const char* name, DWORD type, const void* data, DWORD size);
