// The Application event log of this computer, under the source "Gatewell", whose
// message table is in gatewell.dll. The Win32 adapter (platform/win32/event_log_win32.cpp)
// registers the source, reports and deregisters in one sequence; native tests link a
// recording stand-in. Nothing here waits, retries or throws: a failure is ignored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum EventLogType : uint16_t {
    EVENT_LOG_INFORMATION = 4, // EVENTLOG_INFORMATION_TYPE
    EVENT_LOG_WARNING = 2,     // EVENTLOG_WARNING_TYPE
    EVENT_LOG_ERROR = 1,       // EVENTLOG_ERROR_TYPE
};

// Reports event `id` with its inserts (UTF-8, %1 first). 0 when it was reported, -1
// when the source could not be registered or the report failed.
int ReportAppEvent(EventLogType type, uint32_t id, const std::vector<std::string>& inserts);

// The account the calling process runs as, "DOMAIN\user" in UTF-8; "" when unknown.
std::string CurrentAccountName();

// The system's text of a Windows error code in UTF-8, without its line break; "" when
// the system has none.
std::string WindowsErrorText(uint32_t error);
