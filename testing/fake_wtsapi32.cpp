// Stand-in for wtsapi32.dll under Wine, whose Terminal Services are stubs. Answers
// the session queries of a process from the scenario file (testing/scenario.h) and
// records the calls a test checks afterwards: every successful query and
// enumeration ("query 5 ClientName ok", "enumerate ok"), every buffer freed ("free"),
// every logoff ("logoff 5 raw=-1 wait=0 ok"). Named servers of the scenario are
// opened, listed and closed with their name in the record ("open TS1 ok",
// "enumerate TS1 fail", "close TS1").
#include "testing/scenario.h"

#include <windows.h>
#include <wtsapi32.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

HMODULE g_module = nullptr;

// A handle that stands for an opened server; WTS_CURRENT_SERVER_HANDLE is null.
HANDLE const FAKE_SERVER_HANDLE = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x5E55));
// Named server k of the scenario is opened as NAMED_SERVER_BASE + 4 k.
const INT_PTR NAMED_SERVER_BASE = 0x7E000;

const char* const CLASS_NAMES[] = {
    "InitialProgram",     "ApplicationName",   "WorkingDirectory", "OEMId",
    "SessionId",          "UserName",          "WinStationName",   "DomainName",
    "ConnectState",       "ClientBuildNumber", "ClientName",       "ClientDirectory",
    "ClientProductId",    "ClientHardwareId",  "ClientAddress",    "ClientDisplay",
    "ClientProtocolType",
};
const int CLASS_COUNT = sizeof CLASS_NAMES / sizeof CLASS_NAMES[0];

const Scenario& Current() {
    return CurrentScenario(g_module);
}

uint32_t ResolveSession(DWORD id) {
    return id == WTS_CURRENT_SESSION ? Current().selfId : id;
}

// Answers live in LocalAlloc blocks, as the real API's are released by WTSFreeMemory.
bool Answer(const void* data, size_t size, LPSTR* buffer, DWORD* bytes) {
    void* block = LocalAlloc(LPTR, size == 0 ? 1 : size);
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    std::memcpy(block, data, size);
    *buffer = static_cast<LPSTR>(block);
    if (bytes)
        *bytes = static_cast<DWORD>(size);
    return true;
}

bool AnswerText(const std::string& text, LPSTR* buffer, DWORD* bytes) {
    return Answer(text.c_str(), text.size() + 1, buffer, bytes);
}

template <typename T> bool AnswerValue(T value, LPSTR* buffer, DWORD* bytes) {
    return Answer(&value, sizeof value, buffer, bytes);
}

bool QueryClass(const ScenarioSession& s, int infoClass, LPSTR* buffer, DWORD* bytes) {
    switch (infoClass) {
    case WTSInitialProgram:
        return AnswerText(s.initialProgram, buffer, bytes);
    case WTSApplicationName:
        return AnswerText(s.applicationName, buffer, bytes);
    case WTSWorkingDirectory:
        return AnswerText(s.workingDirectory, buffer, bytes);
    case WTSOEMId:
        return AnswerText(s.oemId, buffer, bytes);
    case WTSSessionId:
        return AnswerValue<ULONG>(s.id, buffer, bytes);
    case WTSUserName:
        return AnswerText(s.userName, buffer, bytes);
    case WTSWinStationName:
        return AnswerText(s.winStation, buffer, bytes);
    case WTSDomainName:
        return AnswerText(s.domainName, buffer, bytes);
    case WTSConnectState:
        return AnswerValue<INT>(s.state, buffer, bytes);
    case WTSClientBuildNumber:
        return AnswerValue<ULONG>(s.build, buffer, bytes);
    case WTSClientName:
        return AnswerText(s.clientName, buffer, bytes);
    case WTSClientDirectory:
        return AnswerText(s.clientDirectory, buffer, bytes);
    case WTSClientProductId:
        return AnswerValue<USHORT>(s.productId, buffer, bytes);
    case WTSClientHardwareId:
        return AnswerValue<ULONG>(s.hardwareId, buffer, bytes);
    case WTSClientAddress: {
        WTS_CLIENT_ADDRESS a;
        std::memset(&a, 0, sizeof a);
        a.AddressFamily = s.addressFamily;
        a.Address[2] = static_cast<BYTE>(s.address >> 24);
        a.Address[3] = static_cast<BYTE>(s.address >> 16);
        a.Address[4] = static_cast<BYTE>(s.address >> 8);
        a.Address[5] = static_cast<BYTE>(s.address);
        return Answer(&a, sizeof a, buffer, bytes);
    }
    case WTSClientDisplay: {
        WTS_CLIENT_DISPLAY d;
        d.HorizontalResolution = s.display[0];
        d.VerticalResolution = s.display[1];
        d.ColorDepth = s.display[2];
        return Answer(&d, sizeof d, buffer, bytes);
    }
    case WTSClientProtocolType:
        return AnswerValue<USHORT>(s.protocolType, buffer, bytes);
    default:
        SetLastError(ERROR_NOT_SUPPORTED);
        return false;
    }
}

bool IsServerHandle(HANDLE server) {
    return server == WTS_CURRENT_SERVER_HANDLE || server == FAKE_SERVER_HANDLE;
}

// The named server a handle stands for, or null (the local server, or no server).
const ScenarioServer* NamedServer(const Scenario& scenario, HANDLE server) {
    INT_PTR value = reinterpret_cast<INT_PTR>(server) - NAMED_SERVER_BASE;
    if (value < 0 || value % 4 != 0 || value / 4 >= static_cast<INT_PTR>(scenario.servers.size()))
        return nullptr;
    return &scenario.servers[value / 4];
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}

__declspec(dllexport) HANDLE WINAPI WTSOpenServerA(LPSTR name) {
    if (name == nullptr)
        return FAKE_SERVER_HANDLE;
    const Scenario& scenario = Current();
    int k = FindScenarioServer(scenario, name);
    RecordCall(scenario, std::string("open ") + name + (k >= 0 ? " ok" : " fail"));
    if (k < 0) {
        SetLastError(RPC_S_SERVER_UNAVAILABLE);
        return nullptr;
    }
    return reinterpret_cast<HANDLE>(NAMED_SERVER_BASE + 4 * static_cast<INT_PTR>(k));
}

__declspec(dllexport) HANDLE WINAPI WTSOpenServerW(LPWSTR) {
    return FAKE_SERVER_HANDLE;
}

__declspec(dllexport) void WINAPI WTSCloseServer(HANDLE server) {
    const Scenario& scenario = Current();
    if (const ScenarioServer* named = NamedServer(scenario, server))
        RecordCall(scenario, "close " + named->name);
}

__declspec(dllexport) BOOL WINAPI
    WTSQuerySessionInformationA(HANDLE server, DWORD sessionId, WTS_INFO_CLASS infoClass,
                                LPSTR* buffer, DWORD* bytes) {
    const Scenario& scenario = Current();
    uint32_t id = ResolveSession(sessionId);
    int cls = static_cast<int>(infoClass);
    std::string name = cls >= 0 && cls < CLASS_COUNT ? CLASS_NAMES[cls] : std::to_string(cls);
    if (!buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *buffer = nullptr;
    if (bytes)
        *bytes = 0;
    const ScenarioServer* named = NamedServer(scenario, server);
    const ScenarioSession* s =
        FindScenarioSession(scenario, id, named != nullptr ? named->name : std::string());
    bool ok = false;
    if (!IsServerHandle(server) && named == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
    } else if (!s) {
        SetLastError(ERROR_FILE_NOT_FOUND);
    } else if (ScenarioClassFails(*s, name.c_str())) {
        SetLastError(ERROR_ACCESS_DENIED);
    } else {
        ok = QueryClass(*s, cls, buffer, bytes);
    }
    RecordCall(scenario, "query " + std::to_string(id) + " " + name + (ok ? " ok" : " fail"));
    return ok ? TRUE : FALSE;
}

__declspec(dllexport) BOOL WINAPI
    WTSQuerySessionInformationW(HANDLE, DWORD, WTS_INFO_CLASS, LPWSTR* buffer, DWORD* bytes) {
    if (buffer)
        *buffer = nullptr;
    if (bytes)
        *bytes = 0;
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

__declspec(dllexport) BOOL WINAPI
    WTSEnumerateSessionsA(HANDLE server, DWORD reserved, DWORD version,
                          PWTS_SESSION_INFOA* sessions, DWORD* count) {
    const Scenario& scenario = Current();
    if (sessions)
        *sessions = nullptr;
    if (count)
        *count = 0;
    const ScenarioServer* named = NamedServer(scenario, server);
    std::string serverName = named != nullptr ? named->name : std::string();
    bool ok = false;
    if (!sessions || !count || reserved != 0 || version != 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
    } else if (!IsServerHandle(server) && named == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
    } else if (named != nullptr ? named->enumerateFails : scenario.enumerateFails) {
        SetLastError(named != nullptr ? RPC_S_SERVER_UNAVAILABLE : ERROR_ACCESS_DENIED);
    } else {
        // One block: the array, then the WinStation names it points to.
        std::vector<const ScenarioSession*> listed;
        for (const ScenarioSession& s : scenario.sessions)
            if (SameServerName(s.server, serverName))
                listed.push_back(&s);
        size_t n = listed.size();
        size_t size = n * sizeof(WTS_SESSION_INFOA);
        for (const ScenarioSession* s : listed)
            size += s->winStation.size() + 1;
        char* block = static_cast<char*>(LocalAlloc(LPTR, size == 0 ? 1 : size));
        if (!block) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        } else {
            WTS_SESSION_INFOA* info = reinterpret_cast<WTS_SESSION_INFOA*>(block);
            char* text = block + n * sizeof(WTS_SESSION_INFOA);
            for (size_t k = 0; k < n; ++k) {
                const ScenarioSession& s = *listed[k];
                std::memcpy(text, s.winStation.c_str(), s.winStation.size() + 1);
                info[k].SessionId = s.id;
                info[k].pWinStationName = text;
                info[k].State = static_cast<WTS_CONNECTSTATE_CLASS>(s.state);
                text += s.winStation.size() + 1;
            }
            *sessions = info;
            *count = static_cast<DWORD>(n);
            ok = true;
        }
    }
    RecordCall(scenario,
               "enumerate " + (serverName.empty() ? "" : serverName + " ") + (ok ? "ok" : "fail"));
    return ok ? TRUE : FALSE;
}

__declspec(dllexport) BOOL WINAPI
    WTSEnumerateSessionsW(HANDLE, DWORD, DWORD, PWTS_SESSION_INFOW* sessions, DWORD* count) {
    if (sessions)
        *sessions = nullptr;
    if (count)
        *count = 0;
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

__declspec(dllexport) void WINAPI WTSFreeMemory(PVOID memory) {
    if (!memory)
        return;
    LocalFree(memory);
    RecordCall(Current(), "free");
}

__declspec(dllexport) BOOL WINAPI WTSLogoffSession(HANDLE server, DWORD sessionId, BOOL wait) {
    const Scenario& scenario = Current();
    uint32_t id = ResolveSession(sessionId);
    bool ok = IsServerHandle(server) && FindScenarioSession(scenario, id) != nullptr &&
              !scenario.logoffFails;
    RecordCall(scenario, "logoff " + std::to_string(id) +
                             " raw=" + std::to_string(static_cast<int32_t>(sessionId)) +
                             " wait=" + std::to_string(wait ? 1 : 0) + (ok ? " ok" : " fail"));
    if (!ok)
        SetLastError(ERROR_ACCESS_DENIED);
    return ok ? TRUE : FALSE;
}

__declspec(dllexport) BOOL WINAPI WTSDisconnectSession(HANDLE, DWORD, BOOL) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

} // extern "C"
