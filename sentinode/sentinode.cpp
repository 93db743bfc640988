// The sentinode.dll exports: one remote session listing per call, copied into records
// the library owns until FreePointer, with the failure memory in front of it.
#define SENTINODE_BUILD
#include "sentinode/sentinode.h"

#include <windows.h>
#include <wtsapi32.h>

#include <cstring>
#include <set>
#include <string>

#include "sentinode/failure_memory.h"

namespace {

// Everything shared between callers, behind one lock; the remote calls run outside it.
class LibraryState {
public:
    LibraryState() { InitializeCriticalSection(&lock_); }
    ~LibraryState() { DeleteCriticalSection(&lock_); }
    LibraryState(const LibraryState&) = delete;
    LibraryState& operator=(const LibraryState&) = delete;

    bool IsHeld(const char* server) {
        Guard guard(lock_);
        return memory_.IsHeld(server, GetTickCount());
    }
    void NoteResult(const char* server, bool answered) {
        Guard guard(lock_);
        if (answered)
            memory_.NoteSuccess(server);
        else
            memory_.NoteFailure(server, GetTickCount());
    }
    void Lend(void* block) {
        Guard guard(lock_);
        lent_.insert(block);
    }
    // True when `block` was lent and is now taken back.
    bool TakeBack(void* block) {
        Guard guard(lock_);
        return lent_.erase(block) == 1;
    }

private:
    class Guard {
    public:
        explicit Guard(CRITICAL_SECTION& lock) : lock_(lock) { EnterCriticalSection(&lock_); }
        ~Guard() { LeaveCriticalSection(&lock_); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        CRITICAL_SECTION& lock_;
    };

    CRITICAL_SECTION lock_;
    ServerFailureMemory memory_;
    std::set<void*> lent_;
};

LibraryState& State() {
    static LibraryState state;
    return state;
}

class ServerHandle {
public:
    explicit ServerHandle(const char* name) {
        std::string copy(name); // WTSOpenServerA takes a non-const string
        handle_ = WTSOpenServerA(&copy[0]);
    }
    ~ServerHandle() {
        if (handle_ != nullptr)
            WTSCloseServer(handle_);
    }
    ServerHandle(const ServerHandle&) = delete;
    ServerHandle& operator=(const ServerHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// More sessions than any server holds; keeps the array size far from overflowing.
const DWORD MAX_SESSIONS = 1u << 20;

// The server's sessions as records; `answered` tells whether the server answered
// (a null result with `answered` set means no memory).
SentinodeSessionRecord* ListSessions(const char* server, int32_t* count, bool* answered) {
    *answered = false;
    ServerHandle handle(server);
    if (handle.get() == nullptr)
        return nullptr;
    WTS_SESSION_INFOA* sessions = nullptr;
    DWORD n = 0;
    if (!WTSEnumerateSessionsA(handle.get(), 0, 1, &sessions, &n))
        return nullptr;
    *answered = true;
    SentinodeSessionRecord* records = nullptr;
    if (n <= MAX_SESSIONS && (n == 0 || sessions != nullptr)) {
        size_t bytes = (n == 0 ? 1 : n) * sizeof(SentinodeSessionRecord);
        records = static_cast<SentinodeSessionRecord*>(
            HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes));
    }
    if (records != nullptr) {
        for (DWORD k = 0; k < n; ++k) {
            records[k].sessionId = sessions[k].SessionId;
            records[k].state = static_cast<int32_t>(sessions[k].State);
            const char* name = sessions[k].pWinStationName;
            if (name != nullptr)
                strncpy(records[k].winStationName, name, SENTINODE_WINSTATION_CHARS - 1);
        }
        *count = static_cast<int32_t>(n);
    }
    if (sessions != nullptr)
        WTSFreeMemory(sessions);
    return records;
}

} // namespace

// Nothing may escape to the caller: a failure inside (no memory) answers null.
extern "C" SentinodeSessionRecord* __cdecl QuerySessionInformation(const char* server,
                                                                   int32_t* count) {
    if (count != nullptr)
        *count = 0;
    if (server == nullptr || count == nullptr)
        return nullptr;
    SentinodeSessionRecord* records = nullptr;
    try {
        LibraryState& state = State();
        if (state.IsHeld(server))
            return nullptr;
        bool answered = false;
        records = ListSessions(server, count, &answered);
        state.NoteResult(server, answered);
        if (records != nullptr)
            state.Lend(records);
        return records;
    } catch (...) {
        if (records != nullptr)
            HeapFree(GetProcessHeap(), 0, records);
        *count = 0;
        return nullptr;
    }
}

extern "C" void __cdecl FreePointer(void* pointer) {
    if (pointer == nullptr)
        return;
    try {
        if (State().TakeBack(pointer))
            HeapFree(GetProcessHeap(), 0, pointer);
    } catch (...) {
    }
}
