// Terminal Services, as the filter library sees them: raw answers of the session
// queries on the local server, session enumeration, logoff and the console-session
// lookup. The portable code decodes every answer itself; an adapter only makes the
// call and copies the bytes out (the system's buffer is freed before it returns).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Information classes, with the values of WTS_INFO_CLASS.
enum TsInfoClass : int {
    TS_INITIAL_PROGRAM = 0,
    TS_APPLICATION_NAME = 1,
    TS_WORKING_DIRECTORY = 2,
    TS_OEM_ID = 3,
    TS_SESSION_ID = 4,
    TS_USER_NAME = 5,
    TS_WINSTATION_NAME = 6,
    TS_DOMAIN_NAME = 7,
    TS_CONNECT_STATE = 8,
    TS_CLIENT_BUILD_NUMBER = 9,
    TS_CLIENT_NAME = 10,
    TS_CLIENT_DIRECTORY = 11,
    TS_CLIENT_PRODUCT_ID = 12,
    TS_CLIENT_HARDWARE_ID = 13,
    TS_CLIENT_ADDRESS = 14,
    TS_CLIENT_DISPLAY = 15,
    TS_CLIENT_PROTOCOL_TYPE = 16,
};

// The session id that stands for the calling process's own session.
constexpr uint32_t TS_CURRENT_SESSION = 0xFFFFFFFFu;
// The connect state of a disconnected session (WTSDisconnected).
constexpr uint32_t TS_STATE_DISCONNECTED = 4;

// A server handle; null is the local server (WTS_CURRENT_SERVER_HANDLE).
using TsServer = void*;

struct TsSessionEntry {
    uint32_t sessionId;
    uint32_t state;
};

// One WTSQuerySessionInformationA on the local server. 0 with the answer's bytes (as
// many as the system reported) in *answer, or -1 when the call fails.
int TsQuerySession(uint32_t sessionId, int infoClass, std::string* answer);

// WTSEnumerateSessionsA(server, 0, 1): 0 with the sessions in the server's order,
// or -1 when the call fails (*sessions then empty).
int TsEnumerateSessions(TsServer server, std::vector<TsSessionEntry>* sessions);

// WTSLogoffSession(server, id, no wait): 1 when the system accepted it, else 0.
int TsLogoffSession(TsServer server, uint32_t sessionId);

// WTSOpenServerA(null), closed again at once: 1 when a handle came back, else 0.
int TsCanOpenLocalServer();

// "WTSGetActiveConsoleSessionId" looked up in "Kernel32.dll" and called: 0 with the
// id, or -1 when the function is not there.
int TsGetActiveConsoleSessionId(uint32_t* sessionId);
