// The console's apply: the configuration and the event log setting into the registry,
// reported on the Application log (applied, with what changed against what was stored;
// or failed, with the system's error).
#pragma once

#include <cstdint>
#include <string>

// Stores FilterConfig (SaveConfigToRegistry, which shows its own failure messages) and
// then EventLogSettingValue and AuditOnlySettingValue (the latter only where it is stored
// already or now names a filter). `loadedFrom` names the configuration file the console
// loaded last (UTF-8, empty when none). 0 when stored, -1 when not.
int ApplyConfigAndReport(const std::string& loadedFrom);
