// Reports nothing yet: the event log's own implementation replaces this file.
#include "eventlog/config_events.h"

void ReportConfigApplied(const ConfigApplyFacts&) {}

void ReportConfigApplyFailed(const ConfigApplyFacts&, uint32_t) {}
