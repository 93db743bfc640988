// The library's memory of servers whose query failed: such a server is held back for
// 30 seconds so that a caller polling it does not wait for its timeout again and
// again. Times are milliseconds of a 32-bit tick counter that wraps; differences are
// taken modulo 2^32, so the hold survives the wrap.
//
// A console may poll thousands of servers, many of them down: every call costs the
// same however many servers are held.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>

enum : uint32_t { SERVER_HOLD_MILLISECONDS = 30000 };

class ServerFailureMemory {
public:
    // True while `server` failed less than 30 s before `now`. Forgets the servers whose
    // hold has run out (with `now` never going back, all of them).
    bool IsHeld(const char* server, uint32_t now);
    // The query of `server` failed at `now`: hold it from then on.
    void NoteFailure(const char* server, uint32_t now);
    // The query of `server` succeeded: never hold it back.
    void NoteSuccess(const char* server);
    size_t HeldCount() const { return failedAt_.size(); }

private:
    struct Failure {
        std::string server; // folded, as in failedAt_
        uint32_t at;
    };
    void ForgetEnded(uint32_t now);

    std::unordered_map<std::string, uint32_t> failedAt_; // by name without case
    // Every failure noted, oldest first; one that a later failure or an answer of its
    // server replaced is skipped when its turn comes.
    std::deque<Failure> noted_;
};
