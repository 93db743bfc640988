// The client-identity filters: IP address ranges, computer names (with wildcards)
// and MAC addresses, all under one rule: a matching deny row rejects; when the table
// holds allow rows only a matching one admits; otherwise the default switch decides.
#include <cstdio>
#include <cstring>
#include <memory>

#include "config/config_model.h"
#include "engine/decision_notes.h"
#include "engine/filters.h"
#include "engine/rejection.h"
#include "engine/session_facts.h"
#include "engine/text_compare.h"
#include "engine/wildcard.h"

namespace {

enum class Decision { Pass, Reject };

// `isDeny` / `isAllow` classify a row (a row may be both, or neither); `matches`
// tests it against the client fact. What decided is noted under `table`.
template <typename Row, typename IsDeny, typename IsAllow, typename Matches>
Decision DecideByRows(const char* table, const std::vector<Row*>& rows, int32_t defaultAllow,
                      IsDeny isDeny, IsAllow isAllow, Matches matches) {
    for (size_t r = 0; r < rows.size(); ++r) {
        if (isDeny(*rows[r]) && matches(*rows[r])) {
            NoteDecision(NOTE_DENY_ROW, table, r, 0);
            return Decision::Reject;
        }
    }
    bool sawAllowRow = false;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (!isAllow(*rows[r]))
            continue;
        sawAllowRow = true;
        if (matches(*rows[r])) {
            NoteDecision(NOTE_ALLOW_ROW, table, r, 0);
            return Decision::Pass;
        }
    }
    if (sawAllowRow) {
        NoteDecision(NOTE_NO_ALLOW_ROW_MATCHED, table, 0, 0);
        return Decision::Reject;
    }
    NoteDecision(NOTE_DEFAULT_SWITCH, table, 0, defaultAllow);
    return defaultAllow != 0 ? Decision::Pass : Decision::Reject;
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

namespace {

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

int ValidateIPAddress() {
    if (FilterConfig.FLAG_IPADDRESS != 1)
        return 1;
    uint32_t address = 0;
    if (GetClientIPAddress(nullptr, TS_CURRENT_SESSION, &address) != 0) {
        ShowRejectMessage(FilterConfig.MSG_IPADDRESS, FilterConfig.TITLE_IPADDRESS);
        RejectAndExit(-1, REJECT_FAIL_GETIPADDRESS);
        return 0;
    }
    Decision decision = DecideByRows(
        "R_IPADDRESS", FilterConfig.ipRanges, FilterConfig.FLAG_IPADDRESS_ALLOW,
        [](const IpRangeRow& row) { return row.TYPE != ROW_LOGON_ENABLED; },
        [](const IpRangeRow& row) { return row.TYPE != ROW_LOGON_DISABLED; },
        [address](const IpRangeRow& row) { return IpRowMatches(row, address) == 1; });
    if (decision == Decision::Pass)
        return 1;
    ShowRejectMessage(FilterConfig.MSG_IPADDRESS, FilterConfig.TITLE_IPADDRESS);
    RejectAndExit(-1, REJECT_IPADDRESS);
    return 0;
}

int ValidateClientName() {
    if (FilterConfig.FLAG_COMPUTERNAME != 1)
        return 1;
    char name[CLIENT_NAME_SIZE] = {};
    if (GetClientName(nullptr, TS_CURRENT_SESSION, name, sizeof name) != 0) {
        ShowRejectMessage("In ValidateClientName(), GetClientName() failed!", "Error!");
        RejectAndExit(-1, REJECT_FAIL_GETCOMPUTERNAME);
        return 0;
    }
    // Rows with an empty name take no part at all.
    Decision decision = DecideByRows(
        "R_COMPUTERNAME", FilterConfig.computerNames, FilterConfig.FLAG_COMPUTERNAME_ALLOW,
        [](const ComputerNameRow& row) {
            return row.CNAME[0] != '\0' && row.TYPE == ROW_LOGON_DISABLED;
        },
        [](const ComputerNameRow& row) {
            return row.CNAME[0] != '\0' && row.TYPE == ROW_LOGON_ENABLED;
        },
        [&name](const ComputerNameRow& row) { return ComputerNameRowMatches(row, name) == 1; });
    if (decision == Decision::Pass)
        return 1;
    ShowRejectMessage(FilterConfig.MSG_COMPUTERNAME, FilterConfig.TITLE_COMPUTERNAME);
    RejectAndExit(-1, REJECT_COMPUTERNAME);
    return 0;
}

int ValidateMACAddress() {
    if (FilterConfig.FLAG_MACADDRESS != 1)
        return 1;
    uint32_t address = 0;
    if (GetClientIPAddress(nullptr, TS_CURRENT_SESSION, &address) != 0) {
        ShowRejectMessage("In ValidateMACAddress(), GetClientIPAddress() failed!", "Error!");
        RejectAndExit(-1, REJECT_FAIL_GETIPADDRESS);
        return 0;
    }
    char addressText[ADDRESS_TEXT_SIZE] = {};
    FormatClientAddress(address, addressText, sizeof addressText);
    uint8_t macBytes[256] = {};
    char macText[MAC_TEXT_SIZE] = {};
    if (GetRemoteMac(addressText, 0, macBytes, macText) != 0) {
        ShowRejectMessage("In ValidateMACAddress(), GetRemoteMac() failed!", "Error!");
        RejectAndExit(-1, REJECT_FAIL_GETMACADDRESS);
        return 0;
    }
    Decision decision = DecideByRows(
        "R_MAC", FilterConfig.macAddresses, FilterConfig.FLAG_MACADDRESS_ALLOW,
        [](const MacAddressRow& row) { return row.TYPE == ROW_LOGON_DISABLED; },
        [](const MacAddressRow& row) { return row.TYPE == ROW_LOGON_ENABLED; },
        [&macText](const MacAddressRow& row) { return MacRowMatches(row, macText) == 1; });
    if (decision == Decision::Pass)
        return 1;
    ShowRejectMessage(FilterConfig.MSG_MACADDRESS, FilterConfig.TITLE_MACADDRESS);
    RejectAndExit(-1, REJECT_MACADDRESS);
    return 0;
}
