#include "gwconfig/check.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "engine/decision_notes.h"
#include "engine/engine_state.h"
#include "engine/filters.h"
#include "engine/pipeline.h"
#include "engine/rejection.h"
#include "gwconfig/config_fields.h"
#include "platform/terminal_services.h"

namespace {

const char* const kDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                  "Thursday", "Friday", "Saturday"};

// A note of the engine, with the row it names as it stood then (a rejection releases
// the rows right after).
struct HeardNote {
    DecisionNote note;
    std::string row;
};

std::vector<HeardNote> g_notes;
uint32_t g_codePage = 1252;

void Listen(const DecisionNote& note) {
    HeardNote heard{note, ""};
    const ConfigTableKey* table = note.table != nullptr ? FindTableKey(note.table) : nullptr;
    if (table != nullptr && (note.kind == NOTE_DENY_ROW || note.kind == NOTE_ALLOW_ROW ||
                             note.kind == NOTE_LIMIT_FROM_ROW))
        heard.row = RowJson(FilterConfig, *table, note.row, g_codePage);
    g_notes.push_back(heard);
}

// What each filter reads, for its explanation.
struct FilterInfo {
    const char* step;
    const char* onSwitch;
    const char* defaultSwitch; // the table's default rule (address, name, MAC, counts)
    const char* defaultLimit;  // the count filters' default limit
};

const FilterInfo kFilters[] = {
    {"ValidateIPAddress", "FLAG_IPADDRESS", "FLAG_IPADDRESS_ALLOW", nullptr},
    {"ValidateClientName", "FLAG_COMPUTERNAME", "FLAG_COMPUTERNAME_ALLOW", nullptr},
    {"ValidateMACAddress", "FLAG_MACADDRESS", "FLAG_MACADDRESS_ALLOW", nullptr},
    {"ValidateTime", "FLAG_TIME", nullptr, nullptr},
    {"ValidateVersion", "FLAG_VERSION", nullptr, nullptr},
    {"ValidateSessionCount_IP", "FLAG_SERVEROPTION", "FLAG_SERVEROPTION_CHECK_TYPE",
     "SESSION_PER_IP"},
    {"ValidateSessionCount_User", "FLAG_SERVEROPTION_SESSIONPERUSER",
     "FLAG_SESSION_PER_USER_DEFAULT", "SESSIONPERUSER_COUNT"},
};

const FilterInfo* InfoOf(const char* step) {
    for (const FilterInfo& info : kFilters) {
        if (strcmp(info.step, step) == 0)
            return &info;
    }
    return nullptr;
}

std::string Quoted(const std::string& stored) {
    return JsonQuoted(StoredToUtf8(g_codePage, stored));
}

std::string IntOf(const char* key) {
    return std::to_string(ScalarInt(FilterConfig, key));
}

std::string TextOf(const char* key) {
    return Quoted(ScalarText(FilterConfig, key));
}

std::string TimeText(const LocalDateTime& t) {
    char text[64];
    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
             t.minute, t.second);
    return text;
}

std::string AddressText(uint32_t address) {
    char text[32];
    snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, address >> 16 & 0xFF,
             address >> 8 & 0xFF, address & 0xFF);
    return text;
}

class CheckReport {
public:
    CheckReport(const CheckSession& session, std::string* out) : session_(session), out_(out) {}

    void Header(bool atGiven) {
        const CheckSession& s = session_;
        std::string line = "Client: address " + AddressText(s.address);
        line += ", computer name " + (s.hasName ? Quoted(s.name) : "not given");
        if (s.hasMac) {
            char mac[24];
            snprintf(mac, sizeof mac, "%02X-%02X-%02X-%02X-%02X-%02X", s.mac[0], s.mac[1], s.mac[2],
                     s.mac[3], s.mac[4], s.mac[5]);
            line += std::string(", MAC address ") + mac;
        } else {
            line += ", MAC address not given";
        }
        line += ", build " + (s.hasBuild ? std::to_string(s.build) : "not given");
        line += ", user " + (s.hasUser ? Quoted(s.user) : "not given");
        if (s.hasUser && s.administrator)
            line += " (the built-in administrator)";
        *out_ += line + "\n";
        *out_ += "Time: " + TimeText(s.at) + ", a " + kDayNames[s.at.dayOfWeek % 7] +
                 (atGiven ? " (given)" : " (the local clock)") + "\n";
        *out_ += "Sessions counted, this one included: " +
                 (s.hasSessionsFromIp ? std::to_string(s.sessionsFromIp) : "not given") +
                 " from this address, " +
                 (s.hasSessionsOfUser ? std::to_string(s.sessionsOfUser) : "not given") +
                 " of this user\n";
    }

    void Phase(const char* name) { *out_ += std::string(name) + "\n"; }

    void NotReached(const FilterStep& step) {
        *out_ += std::string("  ") + step.name + ": not reached\n";
    }

    // One filter that ran; `passed` as the engine decided.
    void Step(const FilterStep& step, bool passed, bool atLogon) {
        const FilterInfo* info = InfoOf(step.name);
        const SeamLog& log = CurrentSeamLog();
        std::string verdict = passed ? "passes" : "refuses";
        if (!log.anything && g_notes.empty() && info != nullptr) {
            // The filter returned before asking for anything: it is switched off.
            *out_ += std::string("  ") + step.name + ": " + verdict + " (off: " + info->onSwitch +
                     " is " + IntOf(info->onSwitch) + ", not 1)\n";
            return;
        }
        *out_ += std::string("  ") + step.name + ": " + verdict + "\n";
        reasons_.clear();
        Unavailable(log, atLogon);
        if (strcmp(step.name, "ValidateTime") == 0 && log.clockRead)
            TimeReasons();
        if (strcmp(step.name, "ValidateVersion") == 0 && session_.hasBuild)
            VersionReasons(passed);
        if (log.administratorAsked && session_.hasUser)
            Reason(session_.administrator
                       ? "the user is the built-in administrator and "
                         "FLAG_USER_IGNORE_ADMINISTRATOR is 1: the count does not apply"
                       : "the user is not the built-in administrator");
        for (const HeardNote& heard : g_notes)
            NoteReason(heard, info, log, atLogon);
        for (const std::string& reason : reasons_)
            *out_ += "      " + reason + "\n";
    }

private:
    void Reason(const std::string& text) { reasons_.push_back(text); }

    void Unavailable(const SeamLog& log, bool atLogon) {
        const char* suffix = ": the engine treats it as unavailable";
        for (int infoClass : log.unavailable) {
            if (infoClass == TS_CLIENT_NAME)
                Reason(std::string("the computer name is not given (--name)") + suffix);
            else if (infoClass == TS_CLIENT_BUILD_NUMBER)
                Reason(std::string("the client build is not given (--build)") + suffix);
            else if (infoClass == TS_USER_NAME)
                Reason(std::string("the user name is not given (--user)") + suffix);
        }
        if (log.arpFailed)
            Reason(std::string("the MAC address is not given (--mac)") + suffix +
                   " (no answer to ARP)");
        if (log.countFailed)
            Reason(atLogon ? std::string("the number of sessions of this user is not given "
                                         "(--sessions-of-user)") +
                                 suffix
                           : std::string("the number of sessions from this address is not given "
                                         "(--sessions-from-ip)") +
                                 suffix);
    }

    void TimeReasons() {
        const LocalDateTime& at = session_.at;
        // WEEK_W1 is Monday ... WEEK_W7 is Sunday.
        const int day = at.dayOfWeek % 7;
        const std::string dayKey = "WEEK_W" + std::to_string(day == 0 ? 7 : day);
        const int32_t allowed = ScalarInt(FilterConfig, dayKey.c_str());
        std::string text =
            std::string("a ") + kDayNames[day] + ": " + dayKey + " is " + std::to_string(allowed);
        if (allowed == 0) {
            Reason(text + ", no logon on that day");
            return;
        }
        if (ScalarInt(FilterConfig, "TIME_BETWEEN") == 0) {
            Reason(text + "; TIME_BETWEEN is 0: open all day");
            return;
        }
        char clock[16];
        snprintf(clock, sizeof clock, "%02d:%02d:%02d", at.hour, at.minute, at.second);
        Reason(text + "; the window runs from TIME_FROM " + TextOf("TIME_FROM") + " to TIME_TO " +
               TextOf("TIME_TO") + " (both ends included); the time is " + clock);
    }

    // Each version rule that is set, tried alone with the engine's own test, in the
    // engine's order; the first that refuses decides.
    void VersionReasons(bool passed) {
        static const char* const rules[] = {"VERALLOW", "VERDISALLOW", "VERHIGHER", "VERLOWER",
                                            "VERBETWEEN"};
        std::unique_ptr<FilterConfigRecord> probe(new FilterConfigRecord());
        bool anySet = false;
        for (const char* rule : rules) {
            const ConfigScalarKey* key = FindScalarKey(rule);
            std::string text = FieldText(key->field(FilterConfig), key->size);
            if (text.empty())
                continue;
            anySet = true;
            CopyToField(static_cast<char*>(key->field(*probe)), key->size, text.c_str());
            const bool admits = VersionAdmits(*probe, session_.build) == 1;
            memset(key->field(*probe), 0, key->size);
            Reason(std::string(rule) + " " + Quoted(text) + (admits ? " admits" : " refuses") +
                   " build " + std::to_string(session_.build));
            if (!admits)
                return;
        }
        if (!anySet)
            Reason("no version rule is set");
        else if (!passed)
            Reason("the rules together refuse the build");
    }

    void NoteReason(const HeardNote& heard, const FilterInfo* info, const SeamLog& log,
                    bool atLogon) {
        const DecisionNote& note = heard.note;
        const std::string table = note.table != nullptr ? note.table : "";
        const std::string row = table + " row " + std::to_string(note.row + 1);
        const char* who = atLogon ? "user" : "address";
        switch (note.kind) {
        case NOTE_DENY_ROW:
            Reason(row + " refuses the client: " + heard.row);
            break;
        case NOTE_ALLOW_ROW:
            Reason(row + " allows the client: " + heard.row);
            break;
        case NOTE_NO_ALLOW_ROW_MATCHED:
            Reason("no row of " + table +
                   " matches; the table holds allow rows, and only the "
                   "clients they name may log on");
            break;
        case NOTE_DEFAULT_SWITCH:
            Reason("no row of " + table + " matches and it holds no allow row: " +
                   (info != nullptr ? info->defaultSwitch : "the default") + " is " +
                   std::to_string(note.value) +
                   (note.value != 0 ? ", allowed by default" : ", refused by default"));
            break;
        case NOTE_LIMIT_FROM_ROW:
            Reason(row + " sets the limit to " + std::to_string(note.value) + ": " + heard.row);
            CountReason(note.value, log, atLogon);
            break;
        case NOTE_LIMIT_DEFAULT:
            Reason(std::string("no row of ") + table + " names this " + who + "; " +
                   (info != nullptr ? info->defaultSwitch : "") + " is 1, so " +
                   (info != nullptr ? info->defaultLimit : "the default") + " sets the limit to " +
                   std::to_string(note.value));
            CountReason(note.value, log, atLogon);
            break;
        case NOTE_NO_LIMIT:
            Reason(std::string("no row of ") + table + " names this " + who + " and " +
                   (info != nullptr ? info->defaultSwitch : "the default") + " is " +
                   (info != nullptr ? IntOf(info->defaultSwitch) : "0") + ": no limit");
            break;
        case NOTE_REJECTED:
            break;
        }
    }

    void CountReason(int64_t limit, const SeamLog& log, bool atLogon) {
        const uint32_t count = atLogon ? session_.sessionsOfUser : session_.sessionsFromIp;
        const std::string counted =
            std::to_string(count) + (count == 1 ? " session" : " sessions") + " counted";
        if (count <= static_cast<uint64_t>(limit)) {
            Reason(counted + ": within the limit");
            return;
        }
        std::string text = counted + ": over the limit";
        const char* remove = atLogon ? "FLAG_USER_REMOVE_DISCONNECTED" : "REMOVE_DISCONNECTED";
        if (ScalarInt(FilterConfig, remove) != 0 && log.logoffs == 0)
            text += std::string("; ") + remove +
                    " is on, but no disconnected session is known to log off and make room";
        Reason(text);
    }

    const CheckSession& session_;
    std::string* out_;
    std::vector<std::string> reasons_;
};

// Runs one step; true when the session survives it. Sets *ended when the step ended
// the process.
bool RunStep(const FilterStep& step, bool* ended) {
    g_notes.clear();
    ResetSeamLog();
    try {
        return step.run() == 1;
    } catch (const CheckProcessEnded&) {
        *ended = true;
        return false;
    }
}

void TakeRejection(CheckOutcome* outcome) {
    outcome->admitted = false;
    for (const HeardNote& heard : g_notes) {
        if (heard.note.kind == NOTE_REJECTED)
            outcome->code = static_cast<int32_t>(heard.note.value);
    }
    const std::vector<std::string>& texts = CurrentSeamLog().texts;
    if (texts.size() >= 2) {
        outcome->message = texts[texts.size() - 2];
        outcome->caption = texts[texts.size() - 1];
    }
}

} // namespace

CheckOutcome RunCheck(const CheckSession& session, bool atGiven, uint32_t codePage,
                      std::string* report) {
    g_codePage = codePage;
    SetCheckSession(session);
    DecisionListener previous = SetDecisionListener(Listen);
    CheckReport out(session, report);
    out.Header(atGiven);
    CheckOutcome outcome;
    SessionRejected = 0;

    struct Phase {
        const char* name;
        const FilterStep* steps;
        size_t count;
        bool countKnown;
    };
    const Phase phases[] = {
        {"Session start", STARTUP_FILTERS, sizeof STARTUP_FILTERS / sizeof STARTUP_FILTERS[0],
         session.hasSessionsFromIp},
        {"Logon", LOGON_FILTERS, sizeof LOGON_FILTERS / sizeof LOGON_FILTERS[0],
         session.hasSessionsOfUser},
    };
    for (const Phase& phase : phases) {
        out.Phase(phase.name);
        SetSessionCountKnown(phase.countKnown);
        for (size_t k = 0; k < phase.count; ++k) {
            if (!outcome.admitted) {
                out.NotReached(phase.steps[k]);
                continue;
            }
            bool ended = false;
            bool passed = RunStep(phase.steps[k], &ended);
            out.Step(phase.steps[k], passed, &phase == &phases[1]);
            if (!passed)
                TakeRejection(&outcome);
        }
    }
    SetDecisionListener(previous);

    if (outcome.admitted) {
        *report += "Decision: admitted\n";
    } else {
        *report += "Decision: refused with code " + std::to_string(outcome.code) + " (" +
                   RejectCodeText(outcome.code) + ")\n";
        *report += "  caption: " + Quoted(outcome.caption) + "\n";
        *report += "  message: " + Quoted(outcome.message) + "\n";
    }
    return outcome;
}

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

} // namespace

bool ParseCheckTime(const std::string& text, LocalDateTime* at) {
    static const char kForm[] = "dddd-dd-dd dd:dd:dd";
    if (text.size() != sizeof kForm - 1)
        return false;
    for (size_t k = 0; k < text.size(); ++k) {
        const bool digit = text[k] >= '0' && text[k] <= '9';
        if (kForm[k] == 'd' ? !digit : text[k] != kForm[k])
            return false;
    }
    auto number = [&text](size_t at, size_t length) { return std::stoi(text.substr(at, length)); };
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    const int hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    static const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1601 || month < 1 || month > 12 || day < 1 ||
        day > lengths[month - 1] + (month == 2 && IsLeap(year) ? 1 : 0) || hour > 23 ||
        minute > 59 || second > 59)
        return false;
    // 1970-01-01 was a Thursday.
    const int64_t days =
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    const int weekday = static_cast<int>(((days % 7) + 11) % 7);
    *at = LocalDateTime{year, month, day, weekday, hour, minute, second};
    return true;
}

LocalDateTime LocalNow() {
    std::time_t now = std::time(nullptr);
    const std::tm local = *std::localtime(&now);
    return LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_wday,
                         local.tm_hour,        local.tm_min,     local.tm_sec};
}
