// The session-count filters: sessions from one client address at session start and
// sessions of one user at logon. Over the limit, the configuration may ask to make
// room by logging off a disconnected session instead of rejecting: the verdict then
// says so, and making room is the caller's part.
#include <cstring>
#include <vector>

#include "config/config_model.h"
#include "engine/filter_rules.h"
#include "engine/rejection.h"
#include "engine/session_facts.h"
#include "engine/text_compare.h"

namespace {

// What a count over its limit is refused with, and whether room may be made instead.
struct OverLimit {
    int32_t removeDisconnected;
    int32_t code;
    const char* message;
    const char* caption;
};

// The index of the first of `rows` that `matches`; rows.size() when none does.
template <typename Row, typename Match>
size_t FindRow(const std::vector<Row*>& rows, Match matches) {
    size_t index = 0;
    while (index < rows.size() && !matches(*rows[index]))
        ++index;
    return index;
}

// The count against the limit that applies: the count of row `index` when a row matched,
// else `byDefault` when the default is on. With neither, no limit applies and the filter
// passes; over the limit, the refusal with its box.
template <typename Row>
void DecideLimit(const std::vector<Row*>& rows, size_t index, int32_t Row::*rowLimit,
                 bool defaultOn, uint32_t byDefault, uint32_t count, const OverLimit& over,
                 FilterVerdict* verdict) {
    verdict->count = count;
    uint32_t limit = 0;
    if (index < rows.size()) {
        limit = static_cast<uint32_t>(rows[index]->*rowLimit);
        verdict->rule = RULE_LIMIT_FROM_ROW;
        verdict->row = index;
    } else if (defaultOn) {
        limit = byDefault;
        verdict->rule = RULE_LIMIT_DEFAULT;
    } else {
        verdict->rule = RULE_NO_LIMIT;
        verdict->outcome = FILTER_PASSES;
        return;
    }
    verdict->value = limit;
    if (count <= limit) {
        verdict->outcome = FILTER_PASSES;
        return;
    }
    verdict->overLimit = true;
    verdict->makeRoom = over.removeDisconnected != 0;
    Refuse(verdict, over.code, over.message, over.caption);
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
    size_t row = FindRow(config.sessionIps, [address](const SessionIpRow& candidate) {
        uint32_t rowAddress = 0;
        const char* text = candidate.SESSION_IP;
        return ParseDottedAddress(text, sizeof candidate.SESSION_IP, &rowAddress) == 0 &&
               rowAddress == address;
    });
    // A default of 0 would refuse every session, the one being checked counting itself;
    // it stands for the smallest useful limit.
    uint32_t byDefault =
        config.SESSION_PER_IP == 0 ? 1u : static_cast<uint32_t>(config.SESSION_PER_IP);
    DecideLimit(config.sessionIps, row, &SessionIpRow::SESSION_IPCOUNTER,
                config.FLAG_SERVEROPTION_CHECK_TYPE == 1, byDefault, count,
                {config.REMOVE_DISCONNECTED, REJECT_SESSIONPERIP, config.MSG_SESSIONPERIP,
                 config.TITLE_SESSIONPERIP},
                verdict);
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
    size_t row = FindRow(config.sessionUsers, [&name](const SessionUserRow& candidate) {
        char text[sizeof candidate.SESSION_USER];
        CopyToZeroedField(text, sizeof text, candidate.SESSION_USER, sizeof candidate.SESSION_USER);
        return CompareNoCase(text, name) == 0;
    });
    DecideLimit(config.sessionUsers, row, &SessionUserRow::SESSION_USERCOUNT,
                config.FLAG_SESSION_PER_USER_DEFAULT == 1,
                static_cast<uint32_t>(config.SESSIONPERUSER_COUNT), count,
                {config.FLAG_USER_REMOVE_DISCONNECTED, REJECT_SESSIONPERUSER,
                 config.MSG_SESSIONPERUSER, config.TITLE_SESSIONPERUSER},
                verdict);
}
