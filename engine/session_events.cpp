#include "engine/session_events.h"

#include <cstring>
#include <string>

#include "config/config_model.h"
#include "config/event_log_setting.h"
#include "engine/engine_state.h"
#include "eventlog/event_text.h"
#include "eventlog/rule_words.h"
#include "platform/codepage.h"

namespace {

// A record field, read within its width, in UTF-8.
template <size_t N> std::string FieldUtf8(const char (&field)[N], uint32_t codePage) {
    const std::string ansi(field, strnlen(field, N));
    std::string utf8;
    if (AnsiToUtf8(codePage, ansi, &utf8) != CODEPAGE_OK)
        return ansi; // kept as it is; the adapter reads a text that is not UTF-8 as ANSI
    return utf8;
}

ClientEventFacts RecordFacts(uint32_t codePage) {
    const SessionEventRecord& r = SessionRecord;
    ClientEventFacts facts;
    facts.address = FieldUtf8(r.clientAddress, codePage);
    facts.computerName = FieldUtf8(r.clientName, codePage);
    facts.mac = FieldUtf8(r.clientMac, codePage);
    facts.build = r.clientBuildNumber != 0 ? std::to_string(r.clientBuildNumber) : "";
    facts.user = FieldUtf8(r.userName, codePage);
    if (r.domainName[0] != '\0' && !facts.user.empty())
        facts.user = FieldUtf8(r.domainName, codePage) + "\\" + facts.user;
    facts.sessionId = std::to_string(r.sessionId);
    facts.winStation = FieldUtf8(r.winStationName, codePage);
    return facts;
}

void ReportRefusal(const FilterVerdict& verdict, bool audited) {
    try {
        if (EventLogSettingValue == EVENT_LOG_SETTING_NONE)
            return;
        const uint32_t codePage = SystemAnsiCodePage();
        RefusalWords words;
        if (verdict.code > 0)
            words = RefusalRuleWords(FilterConfig, verdict, codePage);
        const ClientEventFacts facts = RecordFacts(codePage);
        ReportComposedEvent(
            audited ? ComposeSessionAudited(verdict.code, facts, words.filter, words.entry)
                    : ComposeSessionRefused(verdict.code, facts, words.filter, words.entry));
    } catch (...) {
    }
}

} // namespace

void ReportSessionRefused(const FilterVerdict& verdict) {
    ReportRefusal(verdict, false);
}

void ReportSessionAudited(const FilterVerdict& verdict) {
    ReportRefusal(verdict, true);
}

void ReportLogonAccepted() {
    try {
        if (EventLogSettingValue != EVENT_LOG_SETTING_ALL)
            return;
        ReportComposedEvent(ComposeLogonAccepted(RecordFacts(SystemAnsiCodePage())));
    } catch (...) {
    }
}

void ReportConfigUnreadable() {
    try {
        ReportComposedEvent(ComposeConfigUnreadable());
    } catch (...) {
    }
}
