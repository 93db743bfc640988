// gwconfig report: the logon report over one server's or a farm's logon logs.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct ReportCommandOptions {
    std::vector<std::string> logs;    // plain logs, labelled by their file names
    std::vector<std::string> servers; // NAME=LOG
    std::string format;               // html, text, json, csv; empty: from the output's name
    std::string output;               // empty: standard output
    std::string from, to;             // YYYY-MM-DD, inclusive
    uint32_t codePage = 0;
};

// Runs the command; returns the exit code (0 when a line was read, 2 on any error, in
// which case nothing is written).
int RunReportCommand(const ReportCommandOptions& options, FILE* out, FILE* err);
