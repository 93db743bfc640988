// The words of replayed decisions, in the console's words (explain/decision_words.h):
// what decides a group of sessions, told without any one session's own facts (its time
// of day, build or count), so that sessions decided alike read alike. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "explain/decision_words.h"
#include "replay/replay_decision.h"

// "Refused by the IP Address filter: 10.20.0.66 - Logon disabled (entry 2 of 3 on the
// IP Address page)", "Passed: the filter is switched off (IP Address page)".
std::string RuleWords(const FilterConfigRecord& config, const FilterVerdict& verdict,
                      uint32_t codePage);

// The filter that refuses with a code of the log, or -1 when the code does not tell
// (the client address is read by three filters; the reserved codes by none).
int FilterOfCode(int32_t code);

// A refusal the log records, from its reason: "Refused by the IP Address filter
// (REJECT_IPADDRESS)", "Refused by the MAC address filter: the MAC address cannot be
// read (REJECT_FAIL_GETMACADDRESS)".
std::string LoggedRefusalWords(int reason);

// The filters of AuditOnly filter bits by their pages' names ("IP Address", "Session per
// IP"), in the library's order.
std::vector<std::string> AuditedFilterNames(uint32_t bits);

// For an admission past refusals only audited, the first audited filter other than
// `spoken` (whose words are told already): "; MAC address filter: would be refused, but
// the filter only audits: admitted"; empty when there is none.
std::string AuditedAlsoWords(const FilterConfigRecord& config, const ReplayDecision& decision,
                             int spoken, uint32_t codePage);

// Why a session is not judged: "the Client Version filter needs the client build, which
// the log does not hold". `record` names what holds the sessions ("the log").
std::string NotJudgedWords(const ReplayDecision& decision, const char* record);

// Where the console shows what decided a filter: its page and, when one entry of its
// list decided, that entry (PlaceOfDecision for one verdict, refusing or not).
DecisionPlace PlaceOfVerdict(const FilterVerdict& verdict);

// A verdict's identity as a group of sessions knows it: the filter, what decided and
// the entry, never the session's own facts.
std::string VerdictKey(const FilterVerdict& verdict);
