// A decision of the core told to people: for a described session, the facts, each
// filter in the library's order with what it decided and why, and the decision with
// the box the client would see. The command-line check prints it; the console shows
// it in its "Test a Client" dialog and quotes a refusing filter's reasons when it
// guards an apply. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/decision_core.h"
#include "engine/described_session.h"

// How a fact that is missing is named: the words after "the computer name " etc. in
// "the computer name is not given (--name): the engine treats it as unavailable",
// by FactId.
struct MissingFactWords {
    const char* words[FACT_SESSIONS_OF_USER + 1];
};
// The command-line tool's: "is not given (--name)".
extern const MissingFactWords CHECK_OPTION_WORDS;

struct ExplainOptions {
    uint32_t codePage = 1252; // of the configuration's and the session's texts
    bool atGiven = true;      // the time was given, not read from the local clock
    const MissingFactWords* missing = &CHECK_OPTION_WORDS;
};

// The whole report of a decision over `session`, appended to *out.
void ExplainDecision(const FilterConfigRecord& config, const DescribedSession& session,
                     const SessionDecision& decision, const ExplainOptions& options,
                     std::string* out);

// The reasons of one verdict, one line each, as the report lists them under the
// filter's line.
std::vector<std::string> VerdictReasons(const FilterConfigRecord& config,
                                        const FilterVerdict& verdict,
                                        const ExplainOptions& options);

// The filter's line of the report without its indent: "ValidateIPAddress: refuses".
std::string VerdictLine(const FilterConfigRecord& config, const FilterVerdict& verdict);

// A stored text as a JSON string literal in UTF-8.
std::string QuotedText(const std::string& stored, uint32_t codePage);

// "YYYY-MM-DD HH:MM:SS" as a local date and time with its weekday; false when it is
// not a valid date and time of that form.
bool ParseCheckTime(const std::string& text, LocalDateTime* at);
// The same form of a date and time.
std::string CheckTimeText(const LocalDateTime& at);
