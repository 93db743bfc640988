// `gwconfig check`: would this client get in? Runs the library's own filter
// sequences (engine/) over FilterConfig and a session described by the caller, and
// explains, filter by filter in the engine's order, what each decided and why.
#pragma once

#include <cstdint>
#include <string>

#include "gwconfig/check_platform.h"

struct CheckOutcome {
    bool admitted = true;
    int32_t code = 0;    // the reject code when refused
    std::string caption; // what the client would see (stored code page)
    std::string message;
};

// Runs the session-start filters and, when the session survives them, the logon
// filters, as the library does. Appends the report (UTF-8) to *report. `atGiven` says
// whether the session's time came from the caller or from the local clock. The row
// lists of FilterConfig are released when a filter rejects, as in the library.
CheckOutcome RunCheck(const CheckSession& session, bool atGiven, uint32_t codePage,
                      std::string* report);

// "YYYY-MM-DD HH:MM:SS" as a local date and time with its weekday; false when it is
// not a valid date and time of that form.
bool ParseCheckTime(const std::string& text, LocalDateTime* at);
// The local date and time of now.
LocalDateTime LocalNow();
