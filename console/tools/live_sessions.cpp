#include "console/tools/live_sessions.h"

#include "engine/session_facts.h"
#include "platform/process.h"

namespace {

const uint32_t TS_STATE_LISTEN = 6;

} // namespace

bool ReadLiveSessions(std::vector<LiveSession>* sessions) {
    sessions->clear();
    std::vector<TsSessionEntry> listed;
    if (TsEnumerateSessions(nullptr, &listed) != 0)
        return false;
    uint32_t console = 0;
    const bool consoleKnown = TsGetActiveConsoleSessionId(&console) == 0;
    LocalDateTime now;
    GetLocalDateTime(&now);
    for (const TsSessionEntry& entry : listed) {
        if ((consoleKnown && entry.sessionId == console) || entry.state == TS_STATE_LISTEN)
            continue;
        LiveSession live;
        live.id = entry.sessionId;
        KnownSession& s = live.facts;
        s.at = now;
        uint32_t address = 0;
        s.address =
            GetClientIPAddress(nullptr, entry.sessionId, &address) == 0 ? FACT_HELD : FACT_UNREAD;
        s.addressValue = address;
        s.name = GetClientName(nullptr, entry.sessionId, s.nameText, sizeof s.nameText) == 0
                     ? FACT_HELD
                     : FACT_UNREAD;
        s.user = GetClientUserName(nullptr, entry.sessionId, s.userText, sizeof s.userText) == 0
                     ? FACT_HELD
                     : FACT_UNREAD;
        s.build = GetClientBuildNumber(nullptr, entry.sessionId, &s.buildValue) == 0 ? FACT_HELD
                                                                                     : FACT_UNREAD;
        // A session no client is connected to tells nothing of a client.
        if ((s.address != FACT_HELD || address == 0) &&
            (s.name != FACT_HELD || s.nameText[0] == '\0'))
            continue;
        if (s.address == FACT_HELD) {
            char text[ADDRESS_TEXT_SIZE];
            FormatClientAddress(address, text, sizeof text);
            live.addressText = text;
        }
        sessions->push_back(live);
    }
    return true;
}
