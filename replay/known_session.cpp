#include "replay/known_session.h"

#include <cstring>

#include "engine/rejection.h"

namespace {

const char* const UNKNOWN_WORDS[] = {
    "",
    "the client address",
    "the computer name",
    "the MAC address",
    "the client build",
    "the user name",
    "whether the user is the built-in administrator",
    "the number of sessions from the address",
    "the number of the user's sessions",
    "whether a disconnected session could be logged off",
};

int32_t CodeOf(const LogLine& line) {
    return line.reason == REASON_NONE ? REJECT_NONE : Reason(line.reason).code;
}

} // namespace

const char* UnknownFactWords(UnknownFact fact) {
    return fact >= UNKNOWN_NONE && fact <= UNKNOWN_DISCONNECTED_SESSION ? UNKNOWN_WORDS[fact] : "";
}

int KnownFacts::ClientAddress(uint32_t* address) {
    *address = 0;
    if (s_.address == FACT_NOT_HELD)
        return Missing(UNKNOWN_ADDRESS);
    if (s_.address == FACT_UNREAD)
        return -1;
    *address = s_.addressValue;
    return 0;
}

int KnownFacts::ClientName(char* name, size_t size) {
    if (s_.name == FACT_NOT_HELD)
        return Missing(UNKNOWN_NAME);
    if (s_.name == FACT_UNREAD || size == 0)
        return -1;
    const size_t length = strnlen(s_.nameText, size - 1);
    memcpy(name, s_.nameText, length);
    name[length] = '\0';
    return 0;
}

int KnownFacts::ClientMac(const char*, char* text) {
    if (s_.mac == FACT_NOT_HELD)
        return Missing(UNKNOWN_MAC);
    if (s_.mac == FACT_UNREAD)
        return -1;
    memcpy(text, s_.macText, sizeof s_.macText); // within FACT_MAC_SIZE
    return 0;
}

int KnownFacts::ClientBuild(uint32_t* build) {
    if (s_.build == FACT_NOT_HELD)
        return Missing(UNKNOWN_BUILD);
    if (s_.build == FACT_UNREAD)
        return -1;
    *build = s_.buildValue;
    return 0;
}

int KnownFacts::UserName(char* name, size_t size) {
    if (s_.user == FACT_NOT_HELD)
        return Missing(UNKNOWN_USER);
    if (s_.user == FACT_UNREAD || size == 0)
        return -1;
    const size_t length = strnlen(s_.userText, size - 1);
    memcpy(name, s_.userText, length);
    name[length] = '\0';
    return 0;
}

int KnownFacts::IsBuiltInAdministrator(const char*) {
    Missing(UNKNOWN_ADMINISTRATOR);
    return 0;
}

int KnownFacts::SessionsFromAddress(uint32_t, bool, uint32_t* count) {
    *count = 0;
    return s_.sessionsFromAddressUnread ? -1 : Missing(UNKNOWN_SESSIONS_FROM_ADDRESS);
}

int KnownFacts::SessionsOfUser(const char*, bool, uint32_t* count) {
    *count = 0;
    return s_.sessionsOfUserUnread ? -1 : Missing(UNKNOWN_SESSIONS_OF_USER);
}

void KnownFacts::LocalTime(LocalDateTime* now) {
    *now = s_.at;
}

int KnownFacts::DisconnectedSessionKnown() {
    Missing(UNKNOWN_DISCONNECTED_SESSION);
    return 0;
}

void SessionOfLogLine(const LogLine& line, KnownSession* s) {
    *s = KnownSession();
    const int32_t code = CodeOf(line);
    s->address = AddressNumber(line.address, &s->addressValue) && code != REJECT_FAIL_GETIPADDRESS
                     ? FACT_HELD
                     : FACT_UNREAD;
    s->name = code == REJECT_FAIL_GETCOMPUTERNAME ? FACT_UNREAD : FACT_HELD;
    CopyFact(s->nameText, line.computerName);
    s->mac = line.mac.size() == 17 && code != REJECT_FAIL_GETMACADDRESS ? FACT_HELD : FACT_UNREAD;
    CopyFact(s->macText, line.mac);
    s->build = code == REJECT_FAIL_GETCLIENTVERSION ? FACT_UNREAD : FACT_NOT_HELD;
    const bool atLogon = code == REJECT_NONE || code == REJECT_SESSIONPERUSER ||
                         code == REJECT_FAIL_GETSESSIONCOUNT_USER ||
                         code == REJECT_FAIL_GETUSERNAME;
    s->user = code == REJECT_FAIL_GETUSERNAME ? FACT_UNREAD : atLogon ? FACT_HELD : FACT_NOT_HELD;
    CopyFact(s->userText, line.user);
    s->sessionsFromAddressUnread = code == REJECT_FAIL_GETSESSIONCOUNT_IP;
    s->sessionsOfUserUnread = code == REJECT_FAIL_GETSESSIONCOUNT_USER;
    DateFromDays(line.day, &s->at.year, &s->at.month, &s->at.day);
    s->at.dayOfWeek = (line.weekday + 1) % 7; // the line's Monday is 0, the clock's Sunday
    s->at.hour = line.secondOfDay / 3600;
    s->at.minute = line.secondOfDay / 60 % 60;
    s->at.second = line.secondOfDay % 60;
}
