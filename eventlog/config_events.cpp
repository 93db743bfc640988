#include "eventlog/config_events.h"

#include "eventlog/event_text.h"
#include "platform/event_log.h"

void ReportConfigApplied(const ConfigApplyFacts& facts) {
    try {
        ReportComposedEvent(ComposeConfigApplied(CurrentAccountName(), facts));
    } catch (...) {
    }
}

void ReportConfigApplyFailed(const ConfigApplyFacts& facts, uint32_t windowsError) {
    try {
        ReportComposedEvent(ComposeConfigApplyFailed(CurrentAccountName(), facts, windowsError,
                                                     WindowsErrorText(windowsError)));
    } catch (...) {
    }
}
