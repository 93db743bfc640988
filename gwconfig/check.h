// `gwconfig check`: would this client get in? The decision core decides over
// FilterConfig and a session described on the command line, and the report explains,
// filter by filter in the library's order, what each decided and why.
#pragma once

#include <cstdint>
#include <string>

#include "engine/described_session.h"
#include "explain/decision_text.h"

using CheckSession = DescribedSession;

struct CheckOutcome {
    bool admitted = true;
    int32_t code = 0;    // the reject code when refused
    std::string caption; // what the client would see (stored code page)
    std::string message;
};

// Decides as the library would at session start and, when the session survives it,
// at logon. Appends the report (UTF-8) to *report. `atGiven` says whether the
// session's time came from the caller or from the local clock. With `summary`, the
// report opens with two lines in the console's words: what happens, and the entry
// that decided as its page shows it. The filters whose bit `auditMask` holds (AuditOnly's
// filter bits) only audit, as in the library.
CheckOutcome RunCheck(const CheckSession& session, bool atGiven, uint32_t codePage,
                      std::string* report, bool summary = false, uint32_t auditMask = 0);

// The local date and time of now.
LocalDateTime LocalNow();
