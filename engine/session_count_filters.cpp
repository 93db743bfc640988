// The session-count filters: sessions from one client address at session start and
// sessions of one user at logon. Over the limit, the configuration may ask to make
// room by logging off a disconnected session instead of rejecting: the verdict then
// says so, and making room is the caller's part.
#include <cstring>

#include "config/config_model.h"
#include "engine/filter_rules.h"
#include "engine/rejection.h"
#include "engine/session_facts.h"
#include "engine/text_compare.h"

namespace {

// The count against the limit; over it, the refusal with its box.
void CompareWithLimit(uint32_t count, uint32_t limit, int32_t removeDisconnected, int32_t code,
                      const char* message, const char* caption, FilterVerdict* verdict) {
    verdict->count = count;
    if (count <= limit) {
        verdict->outcome = FILTER_PASSES;
        return;
    }
    verdict->overLimit = true;
    verdict->makeRoom = removeDisconnected != 0;
    Refuse(verdict, code, message, caption);
}

} // namespace

void DecideSessionCountIp(const FilterConfigRecord& config, FactSource& facts,
                          FilterVerdict* verdict) {
    uint32_t address = 0;
    if (facts.ClientAddress(&address) != 0) {
        RefuseUnavailable(verdict, FACT_ADDRESS, REJECT_FAIL_GETIPADDRESS,
                          "In ValidateSessionCount_IP(), GetClientIPAddress() failed!", "Error!");
        return;
    }
    uint32_t count = 0;
    if (facts.SessionsFromAddress(address, config.IGNORE_DISCONNECTED != 0, &count) != 0) {
        RefuseUnavailable(verdict, FACT_SESSIONS_FROM_ADDRESS, REJECT_FAIL_GETSESSIONCOUNT_IP,
                          "In ValidateSessionCount_IP(), GetCountOfSessionWithTheSameIP() failed!",
                          "Error!");
        return;
    }
    verdict->table = "R_SESSION_IP";
    const SessionIpRow* match = nullptr;
    size_t matchIndex = 0;
    for (const SessionIpRow* row : config.sessionIps) {
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
        verdict->rule = RULE_LIMIT_FROM_ROW;
        verdict->row = matchIndex;
    } else if (config.FLAG_SERVEROPTION_CHECK_TYPE == 1) {
        // A default of 0 would refuse every session, the one being checked counting
        // itself; it stands for the smallest useful limit.
        limit = config.SESSION_PER_IP == 0 ? 1u : static_cast<uint32_t>(config.SESSION_PER_IP);
        verdict->rule = RULE_LIMIT_DEFAULT;
    } else {
        verdict->rule = RULE_NO_LIMIT;
        verdict->count = count;
        verdict->outcome = FILTER_PASSES;
        return;
    }
    verdict->value = limit;
    CompareWithLimit(count, limit, config.REMOVE_DISCONNECTED, REJECT_SESSIONPERIP,
                     config.MSG_SESSIONPERIP, config.TITLE_SESSIONPERIP, verdict);
}

void DecideSessionCountUser(const FilterConfigRecord& config, FactSource& facts,
                            FilterVerdict* verdict) {
    char name[FACT_NAME_SIZE] = {};
    if (facts.UserName(name, sizeof name) != 0) {
        RefuseUnavailable(verdict, FACT_USER, REJECT_FAIL_GETUSERNAME,
                          "In ValidateSessionCount_User(), GetClientUserName() failed!", "Error!");
        return;
    }
    if (config.FLAG_USER_IGNORE_ADMINISTRATOR == 1) {
        verdict->administratorAsked = true;
        verdict->administrator = facts.IsBuiltInAdministrator(name) == 1;
        if (verdict->administrator) {
            verdict->rule = RULE_ADMINISTRATOR_EXEMPT;
            verdict->outcome = FILTER_PASSES;
            return;
        }
    }
    uint32_t count = 0;
    if (facts.SessionsOfUser(name, config.FLAG_USER_IGNORE_DISCONNECTED != 0, &count) != 0) {
        RefuseUnavailable(
            verdict, FACT_SESSIONS_OF_USER, REJECT_FAIL_GETSESSIONCOUNT_USER,
            "In ValidateSessionCount_User(), GetCountOfSessionWithTheSameUser() failed!", "Error!");
        return;
    }
    verdict->table = "R_SESSION_USER";
    const SessionUserRow* match = nullptr;
    size_t matchIndex = 0;
    for (const SessionUserRow* row : config.sessionUsers) {
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
        verdict->rule = RULE_LIMIT_FROM_ROW;
        verdict->row = matchIndex;
    } else if (config.FLAG_SESSION_PER_USER_DEFAULT == 1) {
        limit = static_cast<uint32_t>(config.SESSIONPERUSER_COUNT);
        verdict->rule = RULE_LIMIT_DEFAULT;
    } else {
        verdict->rule = RULE_NO_LIMIT;
        verdict->count = count;
        verdict->outcome = FILTER_PASSES;
        return;
    }
    verdict->value = limit;
    CompareWithLimit(count, limit, config.FLAG_USER_REMOVE_DISCONNECTED, REJECT_SESSIONPERUSER,
                     config.MSG_SESSIONPERUSER, config.TITLE_SESSIONPERUSER, verdict);
}
