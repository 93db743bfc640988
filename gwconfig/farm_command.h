// gwconfig farm: does every server of a farm hold the reference configuration? Each
// server's registry is read through its Remote Registry service, at most 8 at a time
// and each within a time limit, and compared with the reference, with the settings beside
// the configuration that the reference carries (a JSON member, or this server's registry);
// --apply writes the reference, those settings included, to the servers that differ or
// hold none.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "gwconfig/config_io.h"

struct FarmOptions {
    ConfigSource reference;             // a file, or this server's registry
    std::vector<std::string> computers; // as given: NAME or \\NAME
    std::string computersFrom;          // a file of names, one a line, # comments
    std::string format = "text";        // text or json
    bool apply = false;
    bool dryRun = false;
    uint32_t timeoutSeconds = 15;
    RemoteView view = RemoteView::VIEW_64;
    uint32_t codePage = 0;
};

// Runs the command. Exit codes: 0 every server holds the reference (after --apply:
// every write succeeded), 1 otherwise, 2 on a usage error (nothing written).
int RunFarmCommand(const FarmOptions& options, FILE* out, FILE* err);

// The names of a server list file: one a line, blanks around it ignored, '#' starts a
// comment. False with a sentence naming the line when a name is not one.
bool ParseServerList(const std::string& text, const std::string& fileName,
                     std::vector<std::string>* servers, std::string* error);
