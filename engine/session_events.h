// The library's events on the Application log: each refusal, each accepted logon when
// the "EventLog" setting asks for it, and a configuration that could not be read.
// Reporting never changes a decision, waits or retries; a failure is ignored.
#pragma once

#include "engine/filter_verdict.h"

// The refusal `verdict` of the current session (facts from SessionRecord), unless the
// setting is "none".
void ReportSessionRefused(const FilterVerdict& verdict);
// The refusal `verdict` that its filter only audited, as ReportSessionRefused: the
// "would have been refused" event of its code.
void ReportSessionAudited(const FilterVerdict& verdict);
// The accepted logon of the current session, when the setting is "refusals and
// accepted logons".
void ReportLogonAccepted();
// The stored configuration could not be read; the defaults are in use.
void ReportConfigUnreadable();
