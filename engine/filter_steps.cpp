// The library's side of each filter: the decision core decides over the own session,
// and what it decided is done here: making room by logging off a disconnected
// session, the event, the box, the log line and the end of the process or session.
#include "config/audit_only_setting.h"
#include "config/config_model.h"
#include "engine/filters.h"
#include "engine/own_session_facts.h"
#include "engine/rejection.h"
#include "engine/session_events.h"
#include "engine/session_facts.h"

namespace {

// A refusal the filter only audits: the event and the log line it would have had, with
// the decision "Audited"; no box, and the rows stay for the filters after it.
void RecordAuditedRefusal(const FilterVerdict& verdict) {
    ReportSessionAudited(verdict);
    if (FilterConfig.FLAG_LOGON_LOGS == 1)
        WriteLogonLog(verdict.code, LOG_DECISION_AUDITED);
}

int RunFilter(FilterId filter) {
    OwnSessionFacts facts;
    const FilterVerdict verdict = DecideFilter(filter, FilterConfig, facts);
    if (verdict.outcome != FILTER_REFUSES)
        return 1;
    // A filter that only audits logs no one off: where a disconnected session would make
    // room the session passes as it would have; otherwise its refusal is only recorded.
    if (RefusalAudited(verdict, AuditOnlyMaskFrom(AuditOnlySettingValue))) {
        if (!verdict.makeRoom || facts.DisconnectedSessionKnown() != 1)
            RecordAuditedRefusal(verdict);
        return 1;
    }
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
