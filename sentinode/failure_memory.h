// The library's memory of servers whose query failed: such a server is held back for
// 30 seconds so that a caller polling it does not wait for its timeout again and
// again. Times are milliseconds of a 32-bit tick counter that wraps; differences are
// taken modulo 2^32, so the hold survives the wrap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum : uint32_t { SERVER_HOLD_MILLISECONDS = 30000 };

class ServerFailureMemory {
public:
    // True while `server` failed less than 30 s before `now`. Forgets every server
    // whose hold has run out.
    bool IsHeld(const char* server, uint32_t now);
    // The query of `server` failed at `now`: hold it from then on.
    void NoteFailure(const char* server, uint32_t now);
    // The query of `server` succeeded: never hold it back.
    void NoteSuccess(const char* server);
    size_t HeldCount() const { return entries_.size(); }

private:
    struct Entry {
        std::string server;
        uint32_t failedAt;
    };
    std::vector<Entry>::iterator Find(const char* server);
    std::vector<Entry> entries_;
};
