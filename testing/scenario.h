// The scenario the Terminal Services and ARP stand-ins answer from: which session the
// calling process is in, the sessions on the pretend server with their facts, the ARP
// table, and where the stand-ins record the calls a test wants to see.
//
// The file is plain text, one statement a line; a line starting with '#' is a comment:
//   self <id>                  session id of the calling process
//   record <path>              append call records ("logoff 7 0", ...) to this file
//   enumerate fail             WTSEnumerateSessionsA fails
//   logoff fail                WTSLogoffSession reports failure (it is still recorded)
//   session <id> key=value...  one session; keys: state winstation client address family
//                              user domain build app clientdir hwid product protocol
//                              program oem workdir display (WxHxD) fail (class names,
//                              comma-separated, whose queries fail) server (a named
//                              server declared above; without it the session is on
//                              the local server)
//   server <name> [fail]       a named server that WTSOpenServerA opens (names compare
//                              without case); "fail": listing its sessions fails, as an
//                              unreachable server's does. Other names cannot be opened;
//                              a null name is the local server.
//   arp <a.b.c.d> <HH-HH-HH-HH-HH-HH>
// A value may be written in double quotes to hold spaces.
//
// The file is named by the environment variable GW_SCENARIO, or is "scenario.txt"
// beside the stand-in DLL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ScenarioSession {
    uint32_t id = 0;
    int32_t state = 0; // connect state; 4 = disconnected
    std::string winStation;
    std::string clientName;
    uint32_t address = 0; // first octet most significant
    uint32_t addressFamily = 2;
    std::string userName;
    std::string domainName;
    uint32_t build = 0;
    std::string applicationName;
    std::string clientDirectory;
    uint32_t hardwareId = 0;
    uint16_t productId = 0;
    uint16_t protocolType = 0;
    std::string initialProgram;
    std::string oemId;
    std::string workingDirectory;
    uint32_t display[3] = {0, 0, 0};
    std::vector<std::string> failingClasses; // e.g. "ClientName", "SessionId"
    std::string server;                      // empty: the local server
};

struct ScenarioServer {
    std::string name;
    bool enumerateFails = false;
};

struct ScenarioArpEntry {
    uint32_t address = 0; // first octet most significant
    uint8_t mac[6] = {0, 0, 0, 0, 0, 0};
};

struct Scenario {
    bool loaded = false;
    uint32_t selfId = 0;
    std::string recordPath;
    bool enumerateFails = false;
    bool logoffFails = false;
    std::vector<ScenarioSession> sessions;
    std::vector<ScenarioServer> servers;
    std::vector<ScenarioArpEntry> arp;
};

// Parses scenario text. Unknown statements and keys are errors, so a typo in a test's
// scenario shows up instead of silently answering with zeros. Returns false and a
// message naming the line on error.
bool ParseScenario(const std::string& text, Scenario* out, std::string* error);

// "a.b.c.d" to the 32-bit form; false unless four numbers 0..255.
bool ParseDottedAddress(const std::string& text, uint32_t* out);

// "HH-HH-HH-HH-HH-HH" (either case) to six bytes.
bool ParseMacText(const std::string& text, uint8_t mac[6]);

// A session of the local server (`server` empty) or of the named server.
const ScenarioSession* FindScenarioSession(const Scenario& scenario, uint32_t id,
                                           const std::string& server = std::string());
// Index of the named server, or -1.
int FindScenarioServer(const Scenario& scenario, const char* name);
bool SameServerName(const std::string& a, const std::string& b);
bool ScenarioClassFails(const ScenarioSession& session, const char* className);

#ifdef _WIN32
// The scenario for the stand-in DLL `module`, read again whenever the file changed;
// a missing or malformed file keeps the last good one (at first an empty scenario,
// so every query fails) and says why through OutputDebugString.
const Scenario& CurrentScenario(void* module);

// Appends one line to the scenario's record file (opened and closed per line, so
// several processes can share it).
void RecordCall(const Scenario& scenario, const std::string& line);
#endif
