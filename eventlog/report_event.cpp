// Reporting a composed event: apart from the composition, which is portable and
// tested without the event log.
#include "eventlog/event_text.h"

void ReportComposedEvent(const EventReport& report) {
    if (report.id != 0)
        ReportAppEvent(report.type, report.id, report.inserts);
}
