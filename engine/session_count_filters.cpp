// The session-count filters: sessions from one client address at session start and
// sessions of one user at logon. Over the limit they may make room by logging off a
// disconnected session instead of rejecting.
#include <cstring>

#include "config/config_model.h"
#include "engine/decision_notes.h"
#include "engine/filters.h"
#include "engine/rejection.h"
#include "engine/session_facts.h"
#include "engine/text_compare.h"

int ValidateSessionCount_IP() {
    if (FilterConfig.FLAG_SERVEROPTION != 1)
        return 1;
    uint32_t address = 0;
    if (GetClientIPAddress(nullptr, TS_CURRENT_SESSION, &address) != 0) {
        ShowRejectMessage("In ValidateSessionCount_IP(), GetClientIPAddress() failed!", "Error!");
        RejectAndExit(-1, REJECT_FAIL_GETIPADDRESS);
        return 0;
    }
    uint32_t count = 0;
    if (GetCountOfSessionWithTheSameIP(nullptr, address, &count) != 0) {
        ShowRejectMessage("In ValidateSessionCount_IP(), GetCountOfSessionWithTheSameIP() failed!",
                          "Error!");
        RejectAndExit(-1, REJECT_FAIL_GETSESSIONCOUNT_IP);
        return 0;
    }
    const SessionIpRow* match = nullptr;
    size_t matchIndex = 0;
    for (const SessionIpRow* row : FilterConfig.sessionIps) {
        uint32_t rowAddress = 0;
        if (ParseDottedAddress(row->SESSION_IP, sizeof row->SESSION_IP, &rowAddress) == 0 &&
            rowAddress == address) {
            match = row;
            break;
        }
        ++matchIndex;
    }
    uint32_t limit = 0;
    if (match != nullptr) {
        limit = static_cast<uint32_t>(match->SESSION_IPCOUNTER);
        NoteDecision(NOTE_LIMIT_FROM_ROW, "R_SESSION_IP", matchIndex, limit);
    } else if (FilterConfig.FLAG_SERVEROPTION_CHECK_TYPE == 1) {
        // A default of 0 would refuse every session, the one being checked counting
        // itself; it stands for the smallest useful limit.
        limit = FilterConfig.SESSION_PER_IP == 0
                    ? 1u
                    : static_cast<uint32_t>(FilterConfig.SESSION_PER_IP);
        NoteDecision(NOTE_LIMIT_DEFAULT, "R_SESSION_IP", 0, limit);
    } else {
        NoteDecision(NOTE_NO_LIMIT, "R_SESSION_IP", 0, 0);
        return 1;
    }
    if (count <= limit)
        return 1;
    if (FilterConfig.REMOVE_DISCONNECTED != 0 && LogoffFirstDisconnectedSession(nullptr) == 0)
        return 1;
    ShowRejectMessage(FilterConfig.MSG_SESSIONPERIP, FilterConfig.TITLE_SESSIONPERIP);
    RejectAndExit(-1, REJECT_SESSIONPERIP);
    return 0;
}

int ValidateSessionCount_User() {
    if (FilterConfig.FLAG_SERVEROPTION_SESSIONPERUSER != 1)
        return 1;
    char name[USER_NAME_SIZE] = {};
    if (GetClientUserName(nullptr, TS_CURRENT_SESSION, name, sizeof name) != 0) {
        ShowRejectMessage("In ValidateSessionCount_User(), GetClientUserName() failed!", "Error!");
        RejectAndExit(-1, REJECT_FAIL_GETUSERNAME);
        return 0;
    }
    if (FilterConfig.FLAG_USER_IGNORE_ADMINISTRATOR == 1 && IsAdministratorName(name) == 1)
        return 1;
    uint32_t count = 0;
    if (GetCountOfSessionWithTheSameUser(nullptr, name, &count) != 0) {
        ShowRejectMessage(
            "In ValidateSessionCount_User(), GetCountOfSessionWithTheSameUser() failed!", "Error!");
        RejectAndExit(-1, REJECT_FAIL_GETSESSIONCOUNT_USER);
        return 0;
    }
    const SessionUserRow* match = nullptr;
    size_t matchIndex = 0;
    for (const SessionUserRow* row : FilterConfig.sessionUsers) {
        char text[sizeof row->SESSION_USER];
        CopyToZeroedField(text, sizeof text, row->SESSION_USER, sizeof row->SESSION_USER);
        if (CompareNoCase(text, name) == 0) {
            match = row;
            break;
        }
        ++matchIndex;
    }
    uint32_t limit = 0;
    if (match != nullptr) {
        limit = static_cast<uint32_t>(match->SESSION_USERCOUNT);
        NoteDecision(NOTE_LIMIT_FROM_ROW, "R_SESSION_USER", matchIndex, limit);
    } else if (FilterConfig.FLAG_SESSION_PER_USER_DEFAULT == 1) {
        limit = static_cast<uint32_t>(FilterConfig.SESSIONPERUSER_COUNT);
        NoteDecision(NOTE_LIMIT_DEFAULT, "R_SESSION_USER", 0, limit);
    } else {
        NoteDecision(NOTE_NO_LIMIT, "R_SESSION_USER", 0, 0);
        return 1;
    }
    if (count <= limit)
        return 1;
    if (FilterConfig.FLAG_USER_REMOVE_DISCONNECTED != 0 &&
        LogoffFirstDisconnectedSession(nullptr) == 0)
        return 1;
    ShowRejectMessage(FilterConfig.MSG_SESSIONPERUSER, FilterConfig.TITLE_SESSIONPERUSER);
    RejectAndLogoff(REJECT_SESSIONPERUSER);
    return 0;
}
