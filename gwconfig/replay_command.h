// gwconfig replay: what a proposed configuration would have done with the sessions a
// logon log recorded. Each logged session is decided again over the facts its line
// holds; the sessions whose decision would change are listed by rule and by client.
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
};

// Runs the command; returns 0 when no session's decision would change, 1 when one
// would, 2 on an error (nothing is written then).
int RunReplayCommand(const ReplayCommandOptions& options, FILE* out, FILE* err);
