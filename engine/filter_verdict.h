// The vocabulary of a decision: the filters in their order, where their facts come
// from, and a filter's verdict with what decided it. The decision core and the rules
// of each filter speak it; the core's functions are in decision_core.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config/config_model.h"
#include "platform/process.h"

// The filters in the library's order: six at session start, one at logon.
enum FilterId : int {
    FILTER_IPADDRESS,
    FILTER_COMPUTERNAME,
    FILTER_MACADDRESS,
    FILTER_TIME,
    FILTER_VERSION,
    FILTER_SESSIONCOUNT_IP,
    FILTER_SESSIONCOUNT_USER,
    FILTER_COUNT,
};
constexpr int STARTUP_FILTER_COUNT = 6;

// "ValidateIPAddress" ... "ValidateSessionCount_User".
const char* FilterName(FilterId filter);

// Text buffers of the facts.
constexpr size_t FACT_NAME_SIZE = 64;
constexpr size_t FACT_MAC_SIZE = 256;

// Where the core reads a session's facts. Each answer is 0 with the fact, or -1 when
// it cannot be read (the filter asking then refuses, as the library does).
class FactSource {
public:
    // The client's IPv4 address, first octet most significant.
    virtual int ClientAddress(uint32_t* address) = 0;
    // The client computer's name into `size` bytes (cut, NUL-terminated).
    virtual int ClientName(char* name, size_t size) = 0;
    // The MAC address of the client at `addressText` as "XX-XX-XX-XX-XX-XX" into a
    // buffer of FACT_MAC_SIZE bytes.
    virtual int ClientMac(const char* addressText, char* text) = 0;
    virtual int ClientBuild(uint32_t* build) = 0;
    // The user name into `size` bytes (cut, NUL-terminated).
    virtual int UserName(char* name, size_t size) = 0;
    // 1 when `user` names the local built-in administrator, else 0.
    virtual int IsBuiltInAdministrator(const char* user) = 0;
    // Sessions on the server from `address` / of `user`, this one included;
    // disconnected ones left out when `skipDisconnected`.
    virtual int SessionsFromAddress(uint32_t address, bool skipDisconnected, uint32_t* count) = 0;
    virtual int SessionsOfUser(const char* user, bool skipDisconnected, uint32_t* count) = 0;
    virtual void LocalTime(LocalDateTime* now) = 0;
    // 1 when the server lists a disconnected session the library would log off to
    // make room for an over-limit session, else 0. Asked by DecideSession only: the
    // library makes room for real instead.
    virtual int DisconnectedSessionKnown() = 0;

protected:
    ~FactSource() = default;
};

enum FilterOutcome : int {
    FILTER_NOT_REACHED, // an earlier filter refused the session
    FILTER_OFF,         // its switch is not 1: passes without reading anything
    FILTER_PASSES,
    FILTER_REFUSES,
};

// The fact whose reading failed.
enum FactId : int {
    FACT_NONE,
    FACT_ADDRESS,
    FACT_NAME,
    FACT_MAC,
    FACT_BUILD,
    FACT_USER,
    FACT_SESSIONS_FROM_ADDRESS,
    FACT_SESSIONS_OF_USER,
};

// What decided a filter that read its facts.
enum RuleKind : int {
    RULE_NONE,
    RULE_DENY_ROW,             // row `row` of `table` denies the client
    RULE_ALLOW_ROW,            // row `row` of `table` allows the client
    RULE_NO_ALLOW_ROW_MATCHED, // `table` holds allow rows and none matches
    RULE_DEFAULT_SWITCH,       // no row decided, no allow row: the switch `value` did
    RULE_LIMIT_FROM_ROW,       // row `row` of `table` sets the limit `value`
    RULE_LIMIT_DEFAULT,        // no row names the client: the default limit `value`
    RULE_NO_LIMIT,             // no row names the client and no default is set
    RULE_ADMINISTRATOR_EXEMPT, // the built-in administrator is not counted
    RULE_DAY,                  // the weekday's switch `value` (0: closed that day)
    RULE_DAY_ALL_DAY,          // the day is open and no window is set
    RULE_DAY_WINDOW,           // the day is open; the daily window decided
    RULE_VERSION,              // the version rules decided
};

struct FilterVerdict {
    FilterId filter = FILTER_IPADDRESS;
    FilterOutcome outcome = FILTER_NOT_REACHED;
    int32_t onSwitch = 0; // the filter's switch as it stood
    FactId unavailable = FACT_NONE;
    RuleKind rule = RULE_NONE;
    const char* table = nullptr; // the key of the table the rule is about
    size_t row = 0;              // index in that table's list, from 0
    int64_t value = 0;
    // Facts the rules used, for explanations.
    uint32_t count = 0;     // sessions counted
    bool overLimit = false; // the count exceeds the limit
    bool makeRoom = false;  // ... and the switch to log off a disconnected one is on
    bool roomMade = false;  // ... and DecideSession knows one (the filter passes)
    bool administratorAsked = false;
    bool administrator = false;
    bool timeRead = false;
    LocalDateTime time{};
    bool buildRead = false;
    uint32_t build = 0;
    // A refusal: its code and the box the client sees. The texts point into the
    // configuration (fields of 1024 bytes, read them within that bound) or at fixed
    // texts.
    int32_t code = 0;
    const char* caption = nullptr;
    const char* message = nullptr;
    // A refusal the filter only audits (its AuditOnly bit is set): the outcome stays
    // FILTER_REFUSES with the code and box it would have had, and the session goes on.
    bool audited = false;
};
