// Events about the configuration, reported on this server's Application log under the
// source "Gatewell". Best effort: a failure to report is ignored.
#pragma once
#include <cstdint>
#include <string>

struct ConfigApplyFacts {
    std::string program; // the program that applied it, e.g. "quillon.exe"
    std::string file;    // the configuration file applied from, empty when none (UTF-8)
    std::string server;  // the server written to, empty for this server
    std::string summary; // SummarizeConfigChange's line
};

// Event 2000: the configuration was applied.
void ReportConfigApplied(const ConfigApplyFacts& facts);
// Event 2001: applying it failed with this Windows error.
void ReportConfigApplyFailed(const ConfigApplyFacts& facts, uint32_t windowsError);
