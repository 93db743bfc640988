#include "console/tools/session_counts.h"

const SessionSource SENTINODE_SESSIONS = {QuerySessionInformation, FreePointer};

SessionTally TallySessions(const SentinodeSessionRecord* records, int32_t count) {
    SessionTally tally = {};
    if (records == nullptr || count < 0)
        count = 0;
    for (int32_t k = 0; k < count; ++k) {
        switch (records[k].state) {
        case SESSION_STATE_ACTIVE:
            ++tally.active;
            break;
        case SESSION_STATE_CONNECTED:
            ++tally.connected;
            break;
        case SESSION_STATE_SHADOW:
            ++tally.shadow;
            break;
        case SESSION_STATE_DISCONNECTED:
            ++tally.disconnected;
            break;
        case SESSION_STATE_IDLE:
            ++tally.idle;
            break;
        case SESSION_STATE_DOWN:
            ++tally.down;
            break;
        default:
            break;
        }
    }
    tally.total = count;
    tally.other = tally.total - tally.active - tally.connected - tally.disconnected - tally.down -
                  tally.idle - tally.shadow;
    return tally;
}

int32_t TallyCounter(const SessionTally& tally, int k) {
    const int32_t counters[SESSION_TALLY_COUNTERS] = {
        tally.active, tally.connected,    tally.shadow, tally.idle,
        tally.down,   tally.disconnected, tally.other,  tally.total};
    return k >= 0 && k < SESSION_TALLY_COUNTERS ? counters[k] : 0;
}

void SessionQueryTask::Run() {
    int32_t count = 0;
    SentinodeSessionRecord* records = source_.query(server_.c_str(), &count);
    if (records == nullptr)
        return; // no answer: the counts shown stay
    tally_ = TallySessions(records, count);
    source_.release(records);
    answered_ = true;
}
