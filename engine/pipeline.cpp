// The order of everything: console check, record and datagram, then the filters of
// the moment. Nothing raised inside an export reaches the host.
#include "engine/pipeline.h"

#include <cstring>

#include "config/config_model.h"
#include "engine/engine_state.h"
#include "engine/filters.h"
#include "engine/library_loading.h"
#include "engine/rejection.h"
#include "engine/session_events.h"
#include "engine/session_facts.h"
#include "engine/session_record.h"

const FilterStep STARTUP_FILTERS[6] = {
    {"ValidateIPAddress", ValidateIPAddress},
    {"ValidateClientName", ValidateClientName},
    {"ValidateMACAddress", ValidateMACAddress},
    {"ValidateTime", ValidateTime},
    {"ValidateVersion", ValidateVersion},
    {"ValidateSessionCount_IP", ValidateSessionCount_IP},
};
const FilterStep LOGON_FILTERS[1] = {
    {"ValidateSessionCount_User", ValidateSessionCount_User},
};

namespace {

void RunStartupFilters() {
    // A filter that rejects ends the process, so the later ones never run.
    for (const FilterStep& step : STARTUP_FILTERS)
        step.run();
}

void RebuildAndSendRecord() {
    BuildSessionRecord(TS_CURRENT_SESSION, &SessionRecord);
    SendRecordToMonitor(&SessionRecord);
}

} // namespace

extern "C" void VerifyUser_Startup(uint32_t) {
    try {
        EnsureLibraryLoaded();
        RunStartupFilters();
    } catch (...) {
    }
}

extern "C" void VerifyUser_Logon(uint32_t) {
    try {
        EnsureLibraryLoaded();
        for (const FilterStep& step : LOGON_FILTERS)
            step.run();
    } catch (...) {
    }
}

extern "C" void TSEventStartup(uint32_t value) {
    try {
        EnsureLibraryLoaded();
        if (SessionIsConsoleOrUnknown() != 0)
            return;
        SessionRejected = 0;
        memset(&SessionRecord, 0, sizeof SessionRecord);
        RebuildAndSendRecord();
        VerifyUser_Startup(value);
    } catch (...) {
    }
}

extern "C" void TSEventLogon(uint32_t value) {
    try {
        EnsureLibraryLoaded();
        if (SessionIsConsoleOrUnknown() != 0)
            return;
        RebuildAndSendRecord();
        VerifyUser_Logon(value);
        if (SessionRejected == 0 && FilterConfig.FLAG_LOGON_LOGS == 1)
            WriteLogonLog(REJECT_NONE);
        if (SessionRejected == 0)
            ReportLogonAccepted();
    } catch (...) {
    }
}
