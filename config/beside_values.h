// Values stored beside the configuration under its registry key, not in the blob, by
// SideSettingId (config/side_settings.h): each one given or not, and its value. gwconfig
// farm and the console's Compare Servers and Apply to Servers ask servers for them,
// compare them and word their changes with the functions here, so that both tell a
// server's settings alike.
#pragma once

#include <cstdint>
#include <string>

#include "config/side_settings.h"

struct ServerJob;

struct BesideValues {
    bool has[SIDE_SETTING_COUNT] = {};
    uint32_t value[SIDE_SETTING_COUNT] = {};
    bool Any() const {
        for (bool given : has)
            if (given)
                return true;
        return false;
    }
};

// Appends to a change summary what writing the values `given` changes beside the
// configuration where `stored` is stored (a value not stored reads as the library takes
// it when absent).
void AddBesideChanges(const BesideValues& stored, const BesideValues& given, std::string* summary);

// Appends to a summary of how a server differs from a reference what it holds beside its
// configuration (`stored`) against the reference's values, for each value `reference`
// has: "Event log: refused sessions -> nothing" reads from the reference to the server.
void AddBesideDifferences(const BesideValues& reference, const BesideValues& stored,
                          std::string* summary);

// Asks a server job for the values `given` has, by name: a read reads them, a write
// writes them with these values.
void AskForBeside(const BesideValues& given, ServerJob* job);

// What a job found beside the server's configuration: its read (dwordValues), or, for a
// write, its read first (previousDwordValues). A value it did not find is not had.
BesideValues BesideRead(const ServerJob& job);
BesideValues BesideReadFirst(const ServerJob& job);
// What a write writes beside the configuration.
BesideValues BesideWritten(const ServerJob& job);

// The first value a write could not store beside the configuration, once the blob is
// stored: its error (REMOTE_OK when every one was stored) and its name.
uint32_t BesideWriteError(const ServerJob& job, std::string* name);

// Leaves out of a write, once its read first has run, the values the console's apply
// would not write there (ConsoleWritesSideSetting).
void LeaveOutWhatConsoleKeepsAbsent(ServerJob* job);
