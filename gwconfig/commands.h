// The command line of gwconfig: show, build, diff, export-reg, export-gpp, apply, farm, check,
// report, replay, history and rollback.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Exit codes.
enum : int {
    GW_EXIT_OK = 0,        // done; configurations equal; client admitted
    GW_EXIT_NO = 1,        // configurations differ; client refused
    GW_EXIT_BAD_INPUT = 2, // any error: nothing was written
};

// Runs one command line (arguments[0] is the program) with its output and messages
// going to `out` and `err`; returns the exit code.
int RunGwconfig(const std::vector<std::string>& arguments, FILE* out, FILE* err);
