// The session `gwconfig check` describes, as the engine meets it through the platform
// seam. gwconfig links this in place of the library's Terminal Services, network,
// process, account, log file and timed message box adapters, so the engine's own
// filters run over facts given on the command line. A fact not given makes its query
// fail, as an unavailable one does on a server. Nothing reaches the real system: no
// message box, datagram, log line or logoff, and ProcessExit throws instead of ending
// the process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/process.h"

// Texts are single-byte texts of the configuration's code page.
struct CheckSession {
    uint32_t address = 0; // first octet most significant
    bool hasName = false;
    std::string name;
    bool hasMac = false;
    uint8_t mac[6] = {};
    bool hasBuild = false;
    uint32_t build = 0;
    bool hasUser = false;
    std::string user;
    LocalDateTime at{};
    // Sessions the engine would count, this one included.
    bool hasSessionsFromIp = false;
    uint32_t sessionsFromIp = 1;
    bool hasSessionsOfUser = false;
    uint32_t sessionsOfUser = 1;
    bool administrator = false; // the user is the built-in administrator
};

// Thrown by ProcessExit: the engine ended "the process" here.
struct CheckProcessEnded {
    int code;
};

// What the engine asked of the seam, since the last ResetSeamLog.
struct SeamLog {
    std::vector<int> unavailable; // info classes of the session's own queries that failed
    bool arpFailed = false;
    bool clockRead = false;
    bool countFailed = false; // a session enumeration that failed
    bool administratorAsked = false;
    int logoffs = 0;
    std::vector<std::string> texts; // message box text and caption, in pairs
    bool anything = false;          // any call at all
};

// Describes the session; every later seam call answers from it.
void SetCheckSession(const CheckSession& session);
// Whether session counting works for the filters that run next: the engine counts
// sessions by address at session start and by user at logon, and each count is known
// only when given.
void SetSessionCountKnown(bool known);

const SeamLog& CurrentSeamLog();
void ResetSeamLog();
