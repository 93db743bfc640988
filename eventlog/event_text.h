// The events this system reports on the Application log: their ids, types and
// inserts. The ids are published (message table eventlog/gatewell_events.mc, help page
// "Event log"): never renumber one. Composition is portable; reporting goes through
// platform/event_log.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "eventlog/config_events.h"
#include "platform/event_log.h"

enum EventId : uint32_t {
    EVENT_LOGON_ACCEPTED = 1000,
    EVENT_REFUSED_BASE = 1000,         // + the refusal code, 1 (address) to 7 (sessions per user)
    EVENT_FACT_UNREADABLE_BASE = 1100, // + the absolute value of a REJECT_FAIL_ code
    EVENT_AUDITED_BASE = 1200,         // + the code: a refusal its filter only audited
    EVENT_FACT_AUDITED_BASE = 1300,    // + the absolute value of a REJECT_FAIL_ code, audited
    EVENT_CONFIG_APPLIED = 2000,
    EVENT_CONFIG_APPLY_FAILED = 2001,
    EVENT_CONFIG_UNREADABLE = 3000,
};

// One message of the table: its id, the type it is reported with, its inserts.
struct EventDefinition {
    uint32_t id;
    EventLogType type;
    size_t insertCount;
};
constexpr size_t EVENT_DEFINITION_COUNT = 32;
extern const EventDefinition EVENT_DEFINITIONS[EVENT_DEFINITION_COUNT];

// The longest insert, in bytes of UTF-8; a longer text is cut and ends in "...".
constexpr size_t EVENT_INSERT_MAX_BYTES = 1024;

// A text as an insert: control characters (C0, DEL, C1) become spaces, the text is cut
// to EVENT_INSERT_MAX_BYTES on a character boundary, and an empty text reads "-".
std::string EventInsert(const std::string& utf8);

struct EventReport {
    EventLogType type = EVENT_LOG_INFORMATION;
    uint32_t id = 0;
    std::vector<std::string> inserts; // already made safe with EventInsert
};

// The id of the event for refusal code `code`; 0 for a code that has none.
uint32_t RefusalEventId(int32_t code);
// The id of the "would have been refused" event for `code`, a refusal its filter only
// audited: 1200 + code, or 1300 + the absolute value of a REJECT_FAIL_ code; 0 for a
// code that has none.
uint32_t AuditedEventId(int32_t code);

// A session's facts as the events show them (UTF-8; empty when unknown).
struct ClientEventFacts {
    std::string address;
    std::string computerName;
    std::string mac;
    std::string build;
    std::string user;
    std::string sessionId;
    std::string winStation;
};

// 1000: inserts %1-%7 are the client's facts.
EventReport ComposeLogonAccepted(const ClientEventFacts& client);
// 1001-1007 (%1-%7 the facts, %8 the filter, %9 the entry that decided) and
// 1101-1120 (%1-%7 the facts; the text names the fact). id 0 for a code without event.
EventReport ComposeSessionRefused(int32_t code, const ClientEventFacts& client,
                                  const std::string& filterWords, const std::string& entryWords);
// 1201-1207 and 1301-1320: the refusal a filter only audited, with the inserts of the
// refusal it would have been.
EventReport ComposeSessionAudited(int32_t code, const ClientEventFacts& client,
                                  const std::string& filterWords, const std::string& entryWords);
// 2000: %1 who, %2 program, %3 file, %4 server, %5 what changed.
EventReport ComposeConfigApplied(const std::string& account, const ConfigApplyFacts& facts);
// 2001: %1-%4 as 2000, %5 the Windows error's text and number.
EventReport ComposeConfigApplyFailed(const std::string& account, const ConfigApplyFacts& facts,
                                     uint32_t windowsError, const std::string& errorText);
// 3000: no inserts.
EventReport ComposeConfigUnreadable();

// Reports a composed event; a failure is ignored.
void ReportComposedEvent(const EventReport& report);
