// Linux has no Windows event log: gwconfig's native build reports nothing, as a
// Windows server whose event log refuses the source would.
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
