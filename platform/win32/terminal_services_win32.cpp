// Terminal Services adapter: each function is one Win32 call sequence.
#include <windows.h>
#include <wtsapi32.h>

#include "platform/terminal_services.h"

int TsQuerySession(uint32_t sessionId, int infoClass, std::string* answer) {
    LPSTR buffer = nullptr;
    DWORD bytes = 0;
    if (!WTSQuerySessionInformationA(WTS_CURRENT_SERVER_HANDLE, sessionId,
                                     static_cast<WTS_INFO_CLASS>(infoClass), &buffer, &bytes))
        return -1;
    if (buffer == nullptr) {
        answer->clear();
        return 0;
    }
    answer->assign(buffer, bytes);
    WTSFreeMemory(buffer);
    return 0;
}

int TsEnumerateSessions(TsServer server, std::vector<TsSessionEntry>* sessions) {
    sessions->clear();
    PWTS_SESSION_INFOA info = nullptr;
    DWORD count = 0;
    if (!WTSEnumerateSessionsA(static_cast<HANDLE>(server), 0, 1, &info, &count))
        return -1;
    if (info != nullptr) {
        sessions->reserve(count);
        for (DWORD i = 0; i < count; ++i)
            sessions->push_back({info[i].SessionId, static_cast<uint32_t>(info[i].State)});
        WTSFreeMemory(info);
    }
    return 0;
}

int TsLogoffSession(TsServer server, uint32_t sessionId) {
    return WTSLogoffSession(static_cast<HANDLE>(server), sessionId, FALSE) ? 1 : 0;
}

int TsCanOpenLocalServer() {
    HANDLE server = WTSOpenServerA(nullptr);
    if (server == nullptr)
        return 0;
    WTSCloseServer(server);
    return 1;
}

int TsGetActiveConsoleSessionId(uint32_t* sessionId) {
    using ConsoleSessionFn = DWORD(WINAPI*)();
    HMODULE kernel = LoadLibraryA("Kernel32.dll");
    if (kernel == nullptr)
        return -1;
    auto function = reinterpret_cast<ConsoleSessionFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "WTSGetActiveConsoleSessionId")));
    if (function == nullptr)
        return -1;
    *sessionId = function();
    return 0;
}
