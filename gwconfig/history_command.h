// The history of applied configurations from the command line: `history` lists the
// generations of this server or of --computer's, `rollback N` stores one again (itself
// an apply: kept, reported), and --generation N makes one a source of show, diff,
// export-reg and check.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/remote_config.h"

// `gwconfig history`: number, when, who, program and summary of each generation, as
// text or JSON.
int RunHistoryCommand(const std::string& computer, RemoteView view, const std::string& format,
                      FILE* out, FILE* err);

// `gwconfig rollback N`. On this server the lockout guard runs first: when the
// generation would refuse the session gwconfig runs in, it says why and stores nothing
// unless `force`.
int RunRollbackCommand(uint32_t number, const std::string& computer, RemoteView view, bool force,
                       FILE* out, FILE* err);
