// The client-identity filters: IP address ranges, computer names (with wildcards)
// and MAC addresses, all under one rule: a matching deny row rejects; when the table
// holds allow rows only a matching one admits; otherwise the default switch decides.
#include <cstdio>
#include <cstring>

#include "config/config_model.h"
#include "engine/decision_core.h"
#include "engine/filter_rules.h"
#include "engine/rejection.h"
#include "engine/session_facts.h"
#include "engine/text_compare.h"
#include "engine/wildcard.h"

namespace {

// `isDeny` / `isAllow` classify a row (a row may be both, or neither); `matches`
// tests it against the client fact. The verdict gets what decided, under `table`;
// true when the client passes.
template <typename Row, typename IsDeny, typename IsAllow, typename Matches>
bool DecideByRows(const char* table, const std::vector<Row*>& rows, int32_t defaultAllow,
                  IsDeny isDeny, IsAllow isAllow, Matches matches, FilterVerdict* verdict) {
    verdict->table = table;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (isDeny(*rows[r]) && matches(*rows[r])) {
            verdict->rule = RULE_DENY_ROW;
            verdict->row = r;
            return false;
        }
    }
    bool sawAllowRow = false;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (!isAllow(*rows[r]))
            continue;
        sawAllowRow = true;
        if (matches(*rows[r])) {
            verdict->rule = RULE_ALLOW_ROW;
            verdict->row = r;
            return true;
        }
    }
    if (sawAllowRow) {
        verdict->rule = RULE_NO_ALLOW_ROW_MATCHED;
        return false;
    }
    verdict->rule = RULE_DEFAULT_SWITCH;
    verdict->value = defaultAllow;
    return defaultAllow != 0;
}

// A row's text as a terminated string: the field itself when it holds its NUL,
// else a cut copy in `copy`.
template <size_t N> const char* Terminated(const char (&field)[N], char (&copy)[N]) {
    if (memchr(field, '\0', N) != nullptr)
        return field;
    memcpy(copy, field, N - 1);
    copy[N - 1] = '\0';
    return copy;
}

} // namespace

int IpRowMatches(const IpRangeRow& row, uint32_t clientAddress) {
    uint32_t low = 0;
    if (ParseDottedAddress(row.IPFROM, sizeof row.IPFROM, &low) != 0)
        return 0; // a row that names no address matches nothing
    uint32_t high = 0;
    // An empty IPTO, or one whose first number is 0, makes a single-address row.
    if (row.IPTO[0] == '\0' || ParseDottedAddress(row.IPTO, sizeof row.IPTO, &high) != 0 ||
        (high >> 24) == 0)
        return clientAddress == low ? 1 : 0;
    return low <= clientAddress && clientAddress <= high ? 1 : 0;
}

int ComputerNameRowMatches(const ComputerNameRow& row, const char* clientName) {
    char copy[sizeof row.CNAME];
    const char* cname = Terminated(row.CNAME, copy);
    if (strchr(cname, '*') != nullptr)
        return MatchWildcardText(clientName, cname);
    return CompareNoCase(cname, clientName) == 0 ? 1 : 0;
}

int MacRowMatches(const MacAddressRow& row, const char* macText) {
    char copy[sizeof row.MACADDRESS];
    const char* mac = Terminated(row.MACADDRESS, copy);
    return CompareNoCase(mac, macText) == 0 ? 1 : 0;
}

void DecideIpAddress(const FilterConfigRecord& config, FactSource& facts, FilterVerdict* verdict) {
    uint32_t address = 0;
    if (facts.ClientAddress(&address) != 0) {
        RefuseUnavailable(verdict, FACT_ADDRESS, REJECT_FAIL_GETIPADDRESS, config.MSG_IPADDRESS,
                          config.TITLE_IPADDRESS);
        return;
    }
    const bool passes = DecideByRows(
        "R_IPADDRESS", config.ipRanges, config.FLAG_IPADDRESS_ALLOW,
        [](const IpRangeRow& row) { return row.TYPE != ROW_LOGON_ENABLED; },
        [](const IpRangeRow& row) { return row.TYPE != ROW_LOGON_DISABLED; },
        [address](const IpRangeRow& row) { return IpRowMatches(row, address) == 1; }, verdict);
    if (passes)
        verdict->outcome = FILTER_PASSES;
    else
        Refuse(verdict, REJECT_IPADDRESS, config.MSG_IPADDRESS, config.TITLE_IPADDRESS);
}

void DecideComputerName(const FilterConfigRecord& config, FactSource& facts,
                        FilterVerdict* verdict) {
    char name[FACT_NAME_SIZE] = {};
    if (facts.ClientName(name, sizeof name) != 0) {
        RefuseUnavailable(verdict, FACT_NAME, REJECT_FAIL_GETCOMPUTERNAME,
                          "In ValidateClientName(), GetClientName() failed!", "Error!");
        return;
    }
    // Rows with an empty name take no part at all.
    const bool passes = DecideByRows(
        "R_COMPUTERNAME", config.computerNames, config.FLAG_COMPUTERNAME_ALLOW,
        [](const ComputerNameRow& row) {
            return row.CNAME[0] != '\0' && row.TYPE == ROW_LOGON_DISABLED;
        },
        [](const ComputerNameRow& row) {
            return row.CNAME[0] != '\0' && row.TYPE == ROW_LOGON_ENABLED;
        },
        [&name](const ComputerNameRow& row) { return ComputerNameRowMatches(row, name) == 1; },
        verdict);
    if (passes)
        verdict->outcome = FILTER_PASSES;
    else
        Refuse(verdict, REJECT_COMPUTERNAME, config.MSG_COMPUTERNAME, config.TITLE_COMPUTERNAME);
}

void DecideMacAddress(const FilterConfigRecord& config, FactSource& facts, FilterVerdict* verdict) {
    uint32_t address = 0;
    if (facts.ClientAddress(&address) != 0) {
        RefuseUnavailable(verdict, FACT_ADDRESS, REJECT_FAIL_GETIPADDRESS,
                          "In ValidateMACAddress(), GetClientIPAddress() failed!", "Error!");
        return;
    }
    char addressText[ADDRESS_TEXT_SIZE] = {};
    FormatClientAddress(address, addressText, sizeof addressText);
    char macText[FACT_MAC_SIZE] = {};
    if (facts.ClientMac(addressText, macText) != 0) {
        RefuseUnavailable(verdict, FACT_MAC, REJECT_FAIL_GETMACADDRESS,
                          "In ValidateMACAddress(), GetRemoteMac() failed!", "Error!");
        return;
    }
    macText[sizeof macText - 1] = '\0';
    const bool passes = DecideByRows(
        "R_MAC", config.macAddresses, config.FLAG_MACADDRESS_ALLOW,
        [](const MacAddressRow& row) { return row.TYPE == ROW_LOGON_DISABLED; },
        [](const MacAddressRow& row) { return row.TYPE == ROW_LOGON_ENABLED; },
        [&macText](const MacAddressRow& row) { return MacRowMatches(row, macText) == 1; }, verdict);
    if (passes)
        verdict->outcome = FILTER_PASSES;
    else
        Refuse(verdict, REJECT_MACADDRESS, config.MSG_MACADDRESS, config.TITLE_MACADDRESS);
}
