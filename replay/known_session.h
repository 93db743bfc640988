// A session as a record tells of it: a line of the logon log or a session listed by
// Terminal Services. A record holds some facts, says of others that the server could
// not read them, and holds nothing of the rest (a log line never carries the client
// build or a session count). The decision core asks for facts one at a time; a fact
// the record does not hold is noted, and whatever the core decides from that point on
// is not a judgement but a guess, so the caller discards it.
#pragma once

#include <cstdint>

#include "engine/decision_core.h"
#include "report/log_line.h"

enum FactState : uint8_t {
    FACT_HELD,     // the record holds the fact
    FACT_UNREAD,   // the server could not read it: the filter asking refuses, as then
    FACT_NOT_HELD, // the record says nothing of it
};

struct KnownSession {
    FactState address = FACT_NOT_HELD;
    uint32_t addressValue = 0; // first octet most significant
    FactState name = FACT_NOT_HELD;
    char nameText[FACT_NAME_SIZE] = {};
    FactState mac = FACT_NOT_HELD;
    char macText[18] = {}; // "XX-XX-XX-XX-XX-XX"
    FactState build = FACT_NOT_HELD;
    uint32_t buildValue = 0;
    FactState user = FACT_NOT_HELD;
    char userText[FACT_NAME_SIZE] = {};
    // Neither record holds a session count or whether the user is the built-in
    // administrator; a count the server could not take is unread.
    bool sessionsFromAddressUnread = false;
    bool sessionsOfUserUnread = false;
    LocalDateTime at{};
};

// A fact the core asked for that the record does not hold.
enum UnknownFact : int {
    UNKNOWN_NONE,
    UNKNOWN_ADDRESS,
    UNKNOWN_NAME,
    UNKNOWN_MAC,
    UNKNOWN_BUILD,
    UNKNOWN_USER,
    UNKNOWN_ADMINISTRATOR,
    UNKNOWN_SESSIONS_FROM_ADDRESS,
    UNKNOWN_SESSIONS_OF_USER,
    UNKNOWN_DISCONNECTED_SESSION,
};

// "the client build", "the number of the user's sessions", ...
const char* UnknownFactWords(UnknownFact fact);

// Answers the core from a record; remembers the first fact it could not give.
class KnownFacts : public FactSource {
public:
    explicit KnownFacts(const KnownSession& session) : s_(session) {}

    const KnownSession& Session() const { return s_; }
    UnknownFact Unknown() const { return unknown_; }
    // Forgets the fact not held, once what asked for it no longer matters.
    void Forget() { unknown_ = UNKNOWN_NONE; }

    int ClientAddress(uint32_t* address) override;
    int ClientName(char* name, size_t size) override;
    int ClientMac(const char* addressText, char* text) override;
    int ClientBuild(uint32_t* build) override;
    int UserName(char* name, size_t size) override;
    int IsBuiltInAdministrator(const char* user) override;
    int SessionsFromAddress(uint32_t address, bool skipDisconnected, uint32_t* count) override;
    int SessionsOfUser(const char* user, bool skipDisconnected, uint32_t* count) override;
    void LocalTime(LocalDateTime* now) override;
    int DisconnectedSessionKnown() override;

private:
    int Missing(UnknownFact fact) {
        if (unknown_ == UNKNOWN_NONE)
            unknown_ = fact;
        return -1;
    }

    const KnownSession& s_;
    UnknownFact unknown_ = UNKNOWN_NONE;
};

// The facts a logon-log line holds: the address, computer name and MAC address of the
// session record, and the time of the line. What the line's code says the server could
// not read stays unread (an empty MAC address is one ARP did not find). The user name is
// held by a line written at logon (accepted, or refused by the sessions-per-user filter);
// a line written at session start was written before anyone logged on.
void SessionOfLogLine(const LogLine& line, KnownSession* session);

// Copies `text` into a fact buffer of N bytes, cut and NUL-terminated as the library's
// own queries cut it.
template <size_t N> void CopyFact(char (&field)[N], std::string_view text) {
    const size_t length = text.size() < N - 1 ? text.size() : N - 1;
    text.copy(field, length);
    field[length] = '\0';
}
