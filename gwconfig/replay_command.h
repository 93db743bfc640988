// gwconfig replay: what a proposed configuration would have done with the sessions a
// logon log recorded. Each logged session is decided again over the facts its line
// holds; the sessions whose decision would change are listed by rule and by client.
// The proposal's AuditOnly (its JSON member, or the option) decides as the library
// would: a refusal by a filter that only audits admits the session, noted audited.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct ReplayCommandOptions {
    std::string config;            // .WTS or .json
    std::vector<std::string> logs; // logon logs
    std::string format = "text";   // text, json, csv
    std::string from, to;          // YYYY-MM-DD, inclusive
    uint32_t codePage = 0;
    bool auditOnlyGiven = false; // --audit-only, over the configuration's own AuditOnly
    uint32_t auditOnly = 0;
};

// Runs the command; returns 0 when no session's decision would change, 1 when one
// would, 2 on an error (nothing is written then).
int RunReplayCommand(const ReplayCommandOptions& options, FILE* out, FILE* err);
