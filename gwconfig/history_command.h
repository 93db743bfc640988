// The history of applied configurations from the command line: `history` lists the
// generations of this server or of --computer's, `rollback N` stores one again (itself
// an apply: kept, reported), and --generation N makes one a source of show, diff,
// export-reg and check.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "config/config_history.h"
#include "gwconfig/config_io.h"

// Generation `source.generation` of the history of `source.computer` (empty: this
// server). False with one sentence in *error when it cannot be read, is not there, or
// cannot be restored; its damaged values are told in *warnings (optional).
bool FindGeneration(const ConfigSource& source, Generation* generation, std::string* error,
                    std::vector<std::string>* warnings = nullptr);

// Fills FilterConfig (reset first) from the generation the source names, and *beside
// (optional) from the settings it kept.
bool LoadGenerationConfig(const ConfigSource& source, std::vector<std::string>* errors,
                          std::vector<std::string>* warnings, BesideValues* beside);

// The settings a generation kept, as a source's values beside the configuration.
void BesideOfGeneration(const Generation& generation, BesideValues* beside);

// `gwconfig history`: number, when, who, program and summary of each generation, as
// text or JSON.
int RunHistoryCommand(const std::string& computer, RemoteView view, const std::string& format,
                      FILE* out, FILE* err);

// `gwconfig rollback N`. On this server the lockout guard runs first: when the
// generation would refuse the session gwconfig runs in, it says why and stores nothing
// unless `force`.
int RunRollbackCommand(uint32_t number, const std::string& computer, RemoteView view, bool force,
                       FILE* out, FILE* err);
