// The scenario the Terminal Services stand-in answers from, as a Windows test program
// writes it (at the path it names in GW_SCENARIO for the whole process), and the calls
// the stand-in recorded.
#pragma once

#include <string>
#include <vector>

class ScenarioFile {
public:
    ScenarioFile();  // an empty scenario and no calls recorded
    ~ScenarioFile(); // removes the files
    ScenarioFile(const ScenarioFile&) = delete;
    ScenarioFile& operator=(const ScenarioFile&) = delete;

    // Replaces the scenario (the stand-in reads it again at its next call) and forgets
    // the calls recorded so far.
    void Write(const std::string& statements);
    // Lines recorded since the last Write, in order.
    std::vector<std::string> Calls() const;
    // How many recorded lines are exactly `line`.
    int Count(const std::string& line) const;

private:
    std::string path_;
    std::string recordPath_;
};
