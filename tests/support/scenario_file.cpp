#include "tests/support/scenario_file.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace {
std::string TempPath(const char* name) {
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    return std::string(directory) + name;
}
} // namespace

ScenarioFile::ScenarioFile()
    : path_(TempPath("gw_standin_scenario.txt")), recordPath_(TempPath("gw_standin_calls.txt")) {
    // The stand-in takes the path once per process, so every object uses the same one.
    SetEnvironmentVariableA("GW_SCENARIO", path_.c_str());
    Write("");
}

ScenarioFile::~ScenarioFile() {
    DeleteFileA(recordPath_.c_str());
    Write("");
}

void ScenarioFile::Write(const std::string& statements) {
    DeleteFileA(recordPath_.c_str());
    std::string text = "record \"" + recordPath_ + "\"\n" + statements;
    if (FILE* file = fopen(path_.c_str(), "wb")) {
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
    // The stand-in notices a change by the file's time and size; two writes within the
    // file system's time step could look alike, so every write gets a later time.
    static ULONGLONG stamp = 0;
    if (stamp == 0) {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        stamp = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    }
    stamp += 10000000; // one second
    FILETIME written = {static_cast<DWORD>(stamp), static_cast<DWORD>(stamp >> 32)};
    HANDLE file = CreateFileA(path_.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        SetFileTime(file, nullptr, nullptr, &written);
        CloseHandle(file);
    }
}

std::vector<std::string> ScenarioFile::Calls() const {
    std::vector<std::string> lines;
    FILE* file = fopen(recordPath_.c_str(), "rb");
    if (file == nullptr)
        return lines;
    char line[512];
    while (fgets(line, sizeof(line), file) != nullptr) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        lines.push_back(text);
    }
    fclose(file);
    return lines;
}

int ScenarioFile::Count(const std::string& line) const {
    std::vector<std::string> lines = Calls();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}
