#include "eventlog/event_text.h"

#include <cstdio>

const EventDefinition EVENT_DEFINITIONS[EVENT_DEFINITION_COUNT] = {
    {1000, EVENT_LOG_INFORMATION, 7}, {1001, EVENT_LOG_WARNING, 9},
    {1002, EVENT_LOG_WARNING, 9},     {1003, EVENT_LOG_WARNING, 9},
    {1004, EVENT_LOG_WARNING, 9},     {1005, EVENT_LOG_WARNING, 9},
    {1006, EVENT_LOG_WARNING, 9},     {1007, EVENT_LOG_WARNING, 9},
    {1101, EVENT_LOG_WARNING, 7},     {1102, EVENT_LOG_WARNING, 7},
    {1103, EVENT_LOG_WARNING, 7},     {1104, EVENT_LOG_WARNING, 7},
    {1106, EVENT_LOG_WARNING, 7},     {1107, EVENT_LOG_WARNING, 7},
    {1120, EVENT_LOG_WARNING, 7},     {1201, EVENT_LOG_WARNING, 9},
    {1202, EVENT_LOG_WARNING, 9},     {1203, EVENT_LOG_WARNING, 9},
    {1204, EVENT_LOG_WARNING, 9},     {1205, EVENT_LOG_WARNING, 9},
    {1206, EVENT_LOG_WARNING, 9},     {1207, EVENT_LOG_WARNING, 9},
    {1301, EVENT_LOG_WARNING, 7},     {1302, EVENT_LOG_WARNING, 7},
    {1303, EVENT_LOG_WARNING, 7},     {1304, EVENT_LOG_WARNING, 7},
    {1306, EVENT_LOG_WARNING, 7},     {1307, EVENT_LOG_WARNING, 7},
    {1320, EVENT_LOG_WARNING, 7},     {2000, EVENT_LOG_INFORMATION, 5},
    {2001, EVENT_LOG_ERROR, 5},       {3000, EVENT_LOG_ERROR, 0},
};

namespace {

const char CUT_MARK[] = "...";

// The length of the UTF-8 sequence that starts with `lead`; 1 for a stray byte.
size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8)
        return 4;
    if (lead >= 0xE0 && lead < 0xF0)
        return 3;
    if (lead >= 0xC0 && lead < 0xE0)
        return 2;
    return 1;
}

bool IsControl(const std::string& text, size_t at, size_t length) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    if (length == 1)
        return lead < 0x20 || lead == 0x7F;
    // U+0080..U+009F: C2 80 .. C2 9F.
    return length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0;
}

void AddFacts(const ClientEventFacts& client, std::vector<std::string>* inserts) {
    for (const std::string* fact :
         {&client.address, &client.computerName, &client.mac, &client.build, &client.user,
          &client.sessionId, &client.winStation})
        inserts->push_back(EventInsert(*fact));
}

void AddApplyFacts(const std::string& account, const ConfigApplyFacts& facts,
                   std::vector<std::string>* inserts) {
    inserts->push_back(EventInsert(account));
    inserts->push_back(EventInsert(facts.program));
    inserts->push_back(EventInsert(facts.file.empty() ? "(none)" : facts.file));
    inserts->push_back(EventInsert(facts.server.empty() ? "this server" : facts.server));
}

} // namespace

std::string EventInsert(const std::string& utf8) {
    if (utf8.empty())
        return "-";
    std::string out;
    const size_t limit = EVENT_INSERT_MAX_BYTES - (sizeof CUT_MARK - 1);
    for (size_t at = 0; at < utf8.size();) {
        size_t length = SequenceLength(static_cast<unsigned char>(utf8[at]));
        if (at + length > utf8.size())
            length = utf8.size() - at; // a sequence cut short by the end of the text
        // Only a text that does not fit whole is cut, and then with room for the mark.
        if (out.size() + length > limit && utf8.size() > EVENT_INSERT_MAX_BYTES) {
            out += CUT_MARK;
            break;
        }
        if (IsControl(utf8, at, length))
            out += ' ';
        else
            out.append(utf8, at, length);
        at += length;
    }
    return out;
}

uint32_t RefusalEventId(int32_t code) {
    if (code >= 1 && code <= 7)
        return EVENT_REFUSED_BASE + static_cast<uint32_t>(code);
    switch (code) {
    case -1:
    case -2:
    case -3:
    case -4:
    case -6:
    case -7:
    case -20:
        return EVENT_FACT_UNREADABLE_BASE + static_cast<uint32_t>(-code);
    default:
        return 0;
    }
}

uint32_t AuditedEventId(int32_t code) {
    const uint32_t refused = RefusalEventId(code);
    if (refused == 0)
        return 0;
    return refused + (EVENT_AUDITED_BASE - EVENT_REFUSED_BASE);
}

EventReport ComposeLogonAccepted(const ClientEventFacts& client) {
    EventReport report;
    report.type = EVENT_LOG_INFORMATION;
    report.id = EVENT_LOGON_ACCEPTED;
    AddFacts(client, &report.inserts);
    return report;
}

EventReport ComposeSessionRefused(int32_t code, const ClientEventFacts& client,
                                  const std::string& filterWords, const std::string& entryWords) {
    EventReport report;
    report.type = EVENT_LOG_WARNING;
    report.id = RefusalEventId(code);
    if (report.id == 0)
        return report;
    AddFacts(client, &report.inserts);
    if (code > 0) {
        report.inserts.push_back(EventInsert(filterWords));
        report.inserts.push_back(EventInsert(entryWords));
    }
    return report;
}

EventReport ComposeSessionAudited(int32_t code, const ClientEventFacts& client,
                                  const std::string& filterWords, const std::string& entryWords) {
    EventReport report = ComposeSessionRefused(code, client, filterWords, entryWords);
    report.id = AuditedEventId(code);
    return report;
}

EventReport ComposeConfigApplied(const std::string& account, const ConfigApplyFacts& facts) {
    EventReport report;
    report.type = EVENT_LOG_INFORMATION;
    report.id = EVENT_CONFIG_APPLIED;
    AddApplyFacts(account, facts, &report.inserts);
    report.inserts.push_back(EventInsert(facts.summary));
    return report;
}

EventReport ComposeConfigApplyFailed(const std::string& account, const ConfigApplyFacts& facts,
                                     uint32_t windowsError, const std::string& errorText) {
    EventReport report;
    report.type = EVENT_LOG_ERROR;
    report.id = EVENT_CONFIG_APPLY_FAILED;
    AddApplyFacts(account, facts, &report.inserts);
    char number[48];
    snprintf(number, sizeof number, "(Windows error %lu)",
             static_cast<unsigned long>(windowsError));
    report.inserts.push_back(
        EventInsert(errorText.empty() ? std::string(number) : errorText + " " + number));
    return report;
}

EventReport ComposeConfigUnreadable() {
    EventReport report;
    report.type = EVENT_LOG_ERROR;
    report.id = EVENT_CONFIG_UNREADABLE;
    return report;
}
