// A server's sessions counted by connection state, and the query that asks
// sentinode.dll for them off the user-interface thread (a BackgroundTask).
#pragma once

#include <cstdint>
#include <string>

#include "console/framework/background_work.h"
#include "sentinode/sentinode.h"

// The connection states of a session record that the tally counts by name; the others
// (connect query 2, listen 6, reset 7, init 9 and any unknown) count as other.
enum : int32_t {
    SESSION_STATE_ACTIVE = 0,
    SESSION_STATE_CONNECTED = 1,
    SESSION_STATE_SHADOW = 3,
    SESSION_STATE_DISCONNECTED = 4,
    SESSION_STATE_IDLE = 5,
    SESSION_STATE_DOWN = 8,
};

// Sessions of one server by state; counter k is shown in list column k + 1.
struct SessionTally {
    int32_t active;
    int32_t connected;
    int32_t shadow;
    int32_t idle;
    int32_t down;
    int32_t disconnected;
    int32_t other;
    int32_t total;
};
enum : int { SESSION_TALLY_COUNTERS = 8 };

// Counts `count` records (a negative count counts none).
SessionTally TallySessions(const SentinodeSessionRecord* records, int32_t count);
// Counter k (from 0) of the tally, in its order.
int32_t TallyCounter(const SessionTally& tally, int k);

// The two functions of sentinode.dll the monitor calls (tests give stand-ins).
struct SessionSource {
    SentinodeSessionRecord*(__cdecl* query)(const char* server, int32_t* count);
    void(__cdecl* release)(void* records);
};
extern const SessionSource SENTINODE_SESSIONS;

// One server asked once: a non-null answer is counted and handed back to the library at
// once, so nothing of it outlives Run, whoever is still waiting for the task.
class SessionQueryTask : public BackgroundTask {
public:
    SessionQueryTask(const SessionSource& source, const char* server)
        : source_(source), server_(server) {}
    void Run() override;
    bool Answered() const { return answered_; }
    const SessionTally& Tally() const { return tally_; }

private:
    SessionSource source_;
    std::string server_;
    bool answered_ = false;
    SessionTally tally_ = {};
};
