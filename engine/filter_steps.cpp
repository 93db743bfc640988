// The library's side of each filter: the decision core decides over the own session,
// and what it decided is done here: making room by logging off a disconnected
// session, the event, the box, the log line and the end of the process or session.
#include "config/config_model.h"
#include "engine/filters.h"
#include "engine/own_session_facts.h"
#include "engine/rejection.h"
#include "engine/session_events.h"
#include "engine/session_facts.h"

namespace {

int RunFilter(FilterId filter) {
    OwnSessionFacts facts;
    const FilterVerdict verdict = DecideFilter(filter, FilterConfig, facts);
    if (verdict.outcome != FILTER_REFUSES)
        return 1;
    if (verdict.makeRoom && LogoffFirstDisconnectedSession(nullptr) == 0)
        return 1;
    ReportSessionRefused(verdict);
    ShowRejectMessage(verdict.message, verdict.caption);
    // Only too many sessions of one user ends the session rather than the process.
    if (verdict.code == REJECT_SESSIONPERUSER) {
        RejectAndLogoff(verdict.code);
        return 0;
    }
    RejectAndExit(-1, verdict.code);
    return 0;
}

} // namespace

int ValidateIPAddress() {
    return RunFilter(FILTER_IPADDRESS);
}
int ValidateClientName() {
    return RunFilter(FILTER_COMPUTERNAME);
}
int ValidateMACAddress() {
    return RunFilter(FILTER_MACADDRESS);
}
int ValidateTime() {
    return RunFilter(FILTER_TIME);
}
int ValidateVersion() {
    return RunFilter(FILTER_VERSION);
}
int ValidateSessionCount_IP() {
    return RunFilter(FILTER_SESSIONCOUNT_IP);
}
int ValidateSessionCount_User() {
    return RunFilter(FILTER_SESSIONCOUNT_USER);
}
