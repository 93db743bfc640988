// No Application event log here: the native gwconfig's remote apply cannot reach a
// server anyway, so its reports have nowhere to go and fail quietly.
#include "platform/event_log.h"

int ReportAppEvent(EventLogType, uint32_t, const std::vector<std::string>&) {
    return -1;
}

std::string CurrentAccountName() {
    return "";
}

std::string WindowsErrorText(uint32_t) {
    return "";
}
