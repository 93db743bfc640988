// Seam: the registry copy of the configuration, read and written by the configuration
// store exactly as the library and the console do it. gwconfig.exe defines it in
// registry_store.cpp; systems without a registry link registry_none.cpp, whose
// functions fail and say so (gwconfig/CMakeLists.txt chooses).
#pragma once

#include <cstdint>
#include <string>

#include "config/side_settings.h"
#include "config/beside_values.h"

// Fills FilterConfig (reset first) the way the library loads it; like the library,
// a machine without a stored configuration gets the default one written. False with
// the reason in *error.
bool LoadRegistryConfig(std::string* error);

// Writes FilterConfig as the console's apply command does ("tsdata", then "datasize"),
// then the settings `beside` gives, and reports it on the Application log as the console
// does: applied (with what changed against what was stored, the settings beside it
// included), or failed. `file` is the configuration file it came from (UTF-8). The
// configuration it replaces is kept in the history first; when that fails, *keepProblem
// says why and the apply goes on.
bool ApplyRegistryConfig(const std::string& file, const BesideValues& beside, std::string* error,
                         std::string* keepProblem);

// A setting as stored beside the configuration ("EventLog", "AuditOnly"): false when it
// is absent or not 4 bytes long.
bool ReadRegistrySideSetting(SideSettingId id, uint32_t* value);

// Writes a setting beside the configuration, as it is. False with the reason in *error.
bool WriteRegistrySideSetting(SideSettingId id, uint32_t value, std::string* error);

// Whether this program can reach other computers' registries (--computer). False with
// the reason in *error.
bool RemoteRegistryAvailable(std::string* error);
