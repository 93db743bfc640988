// The library's entry points: the session-start and logon sequences. Each loads the
// library first (library_loading.h).
#pragma once

#include <cstdint>

extern "C" {
void TSEventStartup(uint32_t value);
void TSEventLogon(uint32_t value);
void VerifyUser_Startup(uint32_t value);
void VerifyUser_Logon(uint32_t value);
}

// One filter of a sequence: its name and the function the sequence calls.
struct FilterStep {
    const char* name;
    int (*run)();
};

// The filters of each moment, in the order the library runs them.
extern const FilterStep STARTUP_FILTERS[6];
extern const FilterStep LOGON_FILTERS[1];
