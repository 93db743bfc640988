// An in-memory Terminal Server and machine for the engine's native tests: sessions
// with their facts, an ARP table, a clock, and a recorder for everything the engine
// does to the outside (message boxes, log files, datagrams, logoffs, process exit).
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/terminal_services.h"

struct FakeSession {
    uint32_t id = 0;
    uint32_t state = 0; // 0 active, 4 disconnected
    uint8_t address[4] = {0, 0, 0, 0};
    std::string clientName;
    std::string userName;
    std::string domainName;
    std::string winStationName;
    uint32_t build = 0;
    std::set<int> failingQueries;          // info classes whose query fails
    std::map<int, std::string> rawAnswers; // replaces the built answer for a class
};

// Thrown by the fake ProcessExit; the exports' catch-all swallows it, tests that call
// a filter directly catch it.
struct FakeProcessExit {
    int code;
};

struct ShownMessage {
    std::string text;
    std::string caption;
    uint32_t style;
    uint32_t timeoutMs;
};

struct ReportedEvent {
    uint16_t type;
    uint32_t id;
    std::vector<std::string> inserts;
};

struct FakeMachine {
    std::vector<FakeSession> sessions;
    uint32_t currentSessionId = 0;
    bool enumerateFails = false;
    bool logoffSucceeds = true;
    std::vector<uint32_t> loggedOff; // session ids, TS_CURRENT_SESSION for "own"

    bool canOpenServer = true;
    bool versionFails = false;
    uint32_t osMajor = 5;
    uint32_t osMinor = 2;
    bool hasConsoleLookup = true;
    uint32_t consoleSessionId = 0;

    bool netStartupFails = false;
    int netStartups = 0;
    int netCleanups = 0;
    std::map<uint32_t, std::vector<uint8_t>> arpTable; // network-order address -> MAC
    bool socketFails = false;
    bool connectFails = false;
    bool sendFallsShort = false;
    int openSockets = 0;
    std::vector<std::string> datagrams;

    LocalDateTime clock{2026, 12, 7, 1, 12, 0, 0}; // a Monday
    int openFailuresLeft = 0;                      // log file held by someone else
    int openAttempts = 0;
    int openFiles = 0; // log files open right now
    std::vector<uint32_t> sleeps;
    std::map<std::string, std::string> files; // path -> content
    std::vector<ShownMessage> messages;
    std::vector<int> exits;

    std::u32string administratorName = U"Administrator";
    bool administratorLookupFails = false;

    long tsCalls = 0; // every Terminal Services call the engine made

    std::vector<ReportedEvent> events; // reported on the Application log
};

extern FakeMachine Machine;

// How often the library's loading step ran in this process (never reset).
extern int LibraryLoads;

// A clean machine: no sessions, clock on a Monday at noon.
void ResetFakeMachine();

// Adds a session and returns it (valid until the next AddSession).
FakeSession& AddSession(uint32_t id, const char* address, const char* clientName = "",
                        const char* userName = "", uint32_t state = 0);

// Clears every engine global and the configuration, and resets the machine.
void ResetEngineWorld();

// Runs `body` and returns the exit code it ended the process with, or -9999 when it
// returned normally.
template <typename Body> int ExitCodeOf(Body body) {
    try {
        body();
    } catch (const FakeProcessExit& exit) {
        return exit.code;
    }
    return -9999;
}
constexpr int NO_EXIT = -9999;

// The logon log's lines (CR LF kept) for a path.
std::vector<std::string> LogLines(const std::string& path);

// Rows appended to FilterConfig's lists (owned by it, freed by ClearConfigLists).
void AddIpRow(const char* from, const char* to, int32_t type);
void AddComputerNameRow(const char* name, int32_t type);
void AddMacRow(const char* mac, int32_t type);
void AddSessionIpRow(const char* address, int32_t limit);
void AddSessionUserRow(const char* user, int32_t limit);
// Puts a MAC for a dotted address into the fake ARP table.
void AddArpEntry(const char* address, const uint8_t (&mac)[6]);
