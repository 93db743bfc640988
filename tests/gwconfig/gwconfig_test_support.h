// What the gwconfig tests share: a scratch folder, whole files, running a command
// line in-process, and configurations loaded from JSON.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gwconfig/check.h"

// A fresh folder for one test, removed with everything in it at the end.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    std::string Path(const std::string& name) const { return root_ + "/" + name; }

private:
    std::string root_;
};

void WriteFile(const std::string& path, const std::string& data);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

struct CommandResult {
    int exitCode;
    std::string out;
    std::string err;
};
// Runs `gwconfig <arguments>` in-process.
CommandResult Gwconfig(const std::vector<std::string>& arguments);

// FilterConfig: the defaults with the JSON text over them (code page 1252); the test
// fails when the text does not load.
void LoadJson(const std::string& json);

// A client every filter can read: `address`, computer `name`, MAC 00-1A-2B-3C-4D-5E,
// build 2600, user "alice", at `at` ("YYYY-MM-DD HH:MM:SS"), alone on the server.
CheckSession ReadableClient(uint32_t address, const std::string& name, const char* at);
