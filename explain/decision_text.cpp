#include "explain/decision_text.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/rejection.h"
#include "compare/config_fields.h"

const MissingFactWords CHECK_OPTION_WORDS = {{
    "",
    "is not given (--ip)",
    "is not given (--name)",
    "is not given (--mac)",
    "is not given (--build)",
    "is not given (--user)",
    "is not given (--sessions-from-ip)",
    "is not given (--sessions-of-user)",
}};

namespace {

const char* const DAY_NAMES[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                  "Thursday", "Friday", "Saturday"};

// The switches each filter's explanation names.
struct FilterKeys {
    const char* onSwitch;
    const char* defaultSwitch; // the table's default rule (address, name, MAC, counts)
    const char* defaultLimit;  // the count filters' default limit
    const char* removeSwitch;  // the count filters' switch to make room
};

const FilterKeys KEYS[FILTER_COUNT] = {
    {"FLAG_IPADDRESS", "FLAG_IPADDRESS_ALLOW", nullptr, nullptr},
    {"FLAG_COMPUTERNAME", "FLAG_COMPUTERNAME_ALLOW", nullptr, nullptr},
    {"FLAG_MACADDRESS", "FLAG_MACADDRESS_ALLOW", nullptr, nullptr},
    {"FLAG_TIME", nullptr, nullptr, nullptr},
    {"FLAG_VERSION", nullptr, nullptr, nullptr},
    {"FLAG_SERVEROPTION", "FLAG_SERVEROPTION_CHECK_TYPE", "SESSION_PER_IP", "REMOVE_DISCONNECTED"},
    {"FLAG_SERVEROPTION_SESSIONPERUSER", "FLAG_SESSION_PER_USER_DEFAULT", "SESSIONPERUSER_COUNT",
     "FLAG_USER_REMOVE_DISCONNECTED"},
};

// The field helpers take the record as mutable; explaining only reads it.
FilterConfigRecord& Readable(const FilterConfigRecord& config) {
    return const_cast<FilterConfigRecord&>(config);
}

std::string AddressText(uint32_t address) {
    char text[32];
    snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, address >> 16 & 0xFF,
             address >> 8 & 0xFF, address & 0xFF);
    return text;
}

class Reasons {
public:
    Reasons(const FilterConfigRecord& config, const FilterVerdict& verdict,
            const ExplainOptions& options)
        : config_(Readable(config)), verdict_(verdict), options_(options),
          keys_(KEYS[verdict.filter]), atLogon_(verdict.filter == FILTER_SESSIONCOUNT_USER) {}

    std::vector<std::string> Collect() {
        if (verdict_.unavailable != FACT_NONE)
            Unavailable();
        if (verdict_.timeRead)
            Time();
        if (verdict_.buildRead)
            Version();
        if (verdict_.administratorAsked)
            Add(verdict_.administrator
                    ? "the user is the built-in administrator and "
                      "FLAG_USER_IGNORE_ADMINISTRATOR is 1: the count does not apply"
                    : "the user is not the built-in administrator");
        Rule();
        return lines_;
    }

private:
    void Add(const std::string& line) { lines_.push_back(line); }

    std::string Quoted(const std::string& stored) const {
        return QuotedText(stored, options_.codePage);
    }
    std::string IntOf(const char* key) const { return std::to_string(ScalarInt(config_, key)); }
    std::string TextOf(const char* key) const { return Quoted(ScalarText(config_, key)); }

    void Unavailable() {
        static const char* const FACTS[] = {
            "",
            "the client address ",
            "the computer name ",
            "the MAC address ",
            "the client build ",
            "the user name ",
            "the number of sessions from this address ",
            "the number of sessions of this user ",
        };
        std::string line = std::string(FACTS[verdict_.unavailable]) +
                           options_.missing->words[verdict_.unavailable] +
                           ": the engine treats it as unavailable";
        if (verdict_.unavailable == FACT_MAC)
            line += " (no answer to ARP)";
        Add(line);
    }

    void Time() {
        const LocalDateTime& at = verdict_.time;
        // WEEK_W1 is Monday ... WEEK_W7 is Sunday.
        const int day = at.dayOfWeek % 7;
        const std::string dayKey = "WEEK_W" + std::to_string(day == 0 ? 7 : day);
        std::string text = std::string("a ") + DAY_NAMES[day] + ": " + dayKey + " is " +
                           std::to_string(verdict_.value);
        if (verdict_.rule == RULE_DAY) {
            Add(text + ", no logon on that day");
            return;
        }
        if (verdict_.rule == RULE_DAY_ALL_DAY) {
            Add(text + "; TIME_BETWEEN is 0: open all day");
            return;
        }
        char clock[16];
        snprintf(clock, sizeof clock, "%02d:%02d:%02d", at.hour, at.minute, at.second);
        Add(text + "; the window runs from TIME_FROM " + TextOf("TIME_FROM") + " to TIME_TO " +
            TextOf("TIME_TO") + " (both ends included); the time is " + clock);
    }

    // Each version rule that is set, tried alone with the core's own test, in the
    // core's order; the first that refuses decides.
    void Version() {
        static const char* const rules[] = {"VERALLOW", "VERDISALLOW", "VERHIGHER", "VERLOWER",
                                            "VERBETWEEN"};
        std::unique_ptr<FilterConfigRecord> probe(new FilterConfigRecord());
        bool anySet = false;
        for (const char* rule : rules) {
            const ConfigScalarKey* key = FindScalarKey(rule);
            std::string text = FieldText(key->field(config_), key->size);
            if (text.empty())
                continue;
            anySet = true;
            CopyToField(static_cast<char*>(key->field(*probe)), key->size, text.c_str());
            const bool admits = VersionAdmits(*probe, verdict_.build) == 1;
            memset(key->field(*probe), 0, key->size);
            Add(std::string(rule) + " " + Quoted(text) + (admits ? " admits" : " refuses") +
                " build " + std::to_string(verdict_.build));
            if (!admits)
                return;
        }
        if (!anySet)
            Add("no version rule is set");
        else if (verdict_.outcome == FILTER_REFUSES)
            Add("the rules together refuse the build");
    }

    std::string RowText() const {
        const ConfigTableKey* table = FindTableKey(verdict_.table);
        return table != nullptr ? RowJson(config_, *table, verdict_.row, options_.codePage) : "";
    }

    void Rule() {
        const std::string table = verdict_.table != nullptr ? verdict_.table : "";
        const std::string row = table + " row " + std::to_string(verdict_.row + 1);
        const std::string who = atLogon_ ? "user" : "address";
        const std::string defaultSwitch = keys_.defaultSwitch != nullptr ? keys_.defaultSwitch : "";
        switch (verdict_.rule) {
        case RULE_DENY_ROW:
            Add(row + " refuses the client: " + RowText());
            break;
        case RULE_ALLOW_ROW:
            Add(row + " allows the client: " + RowText());
            break;
        case RULE_NO_ALLOW_ROW_MATCHED:
            Add("no row of " + table +
                " matches; the table holds allow rows, and only the clients they name may log on");
            break;
        case RULE_DEFAULT_SWITCH:
            Add("no row of " + table + " matches and it holds no allow row: " + defaultSwitch +
                " is " + std::to_string(verdict_.value) +
                (verdict_.value != 0 ? ", allowed by default" : ", refused by default"));
            break;
        case RULE_LIMIT_FROM_ROW:
            Add(row + " sets the limit to " + std::to_string(verdict_.value) + ": " + RowText());
            Count();
            break;
        case RULE_LIMIT_DEFAULT:
            Add("no row of " + table + " names this " + who + "; " + defaultSwitch + " is 1, so " +
                keys_.defaultLimit + " sets the limit to " + std::to_string(verdict_.value));
            Count();
            break;
        case RULE_NO_LIMIT:
            Add("no row of " + table + " names this " + who + " and " + defaultSwitch + " is " +
                IntOf(defaultSwitch.c_str()) + ": no limit");
            break;
        default:
            break;
        }
    }

    void Count() {
        const uint32_t count = verdict_.count;
        const std::string counted =
            std::to_string(count) + (count == 1 ? " session" : " sessions") + " counted";
        if (!verdict_.overLimit) {
            Add(counted + ": within the limit");
            return;
        }
        std::string text = counted + ": over the limit";
        if (verdict_.roomMade)
            text += std::string("; ") + keys_.removeSwitch +
                    " is on: a disconnected session would be logged off to make room";
        else if (verdict_.makeRoom)
            text += std::string("; ") + keys_.removeSwitch +
                    " is on, but no disconnected session is known to log off and make room";
        Add(text);
    }

    FilterConfigRecord& config_;
    const FilterVerdict& verdict_;
    const ExplainOptions& options_;
    const FilterKeys& keys_;
    const bool atLogon_;
    std::vector<std::string> lines_;
};

void Header(const DescribedSession& s, bool atGiven, uint32_t codePage, std::string* out) {
    std::string line =
        "Client: address " + (s.hasAddress ? AddressText(s.address) : std::string("not given"));
    line += ", computer name " + (s.hasName ? QuotedText(s.name, codePage) : "not given");
    if (s.hasMac) {
        char mac[24];
        FormatMacText(s.mac, mac, sizeof mac);
        line += std::string(", MAC address ") + mac;
    } else {
        line += ", MAC address not given";
    }
    line += ", build " + (s.hasBuild ? std::to_string(s.build) : "not given");
    line += ", user " + (s.hasUser ? QuotedText(s.user, codePage) : "not given");
    if (s.hasUser && s.administrator)
        line += " (the built-in administrator)";
    *out += line + "\n";
    *out += "Time: " + CheckTimeText(s.at) + ", a " + DAY_NAMES[((s.at.dayOfWeek % 7) + 7) % 7] +
            (atGiven ? " (given)" : " (the local clock)") + "\n";
    *out += "Sessions counted, this one included: " +
            (s.hasSessionsFromIp ? std::to_string(s.sessionsFromIp) : "not given") +
            " from this address, " +
            (s.hasSessionsOfUser ? std::to_string(s.sessionsOfUser) : "not given") +
            " of this user\n";
}

} // namespace

std::string QuotedText(const std::string& stored, uint32_t codePage) {
    return JsonQuoted(StoredToUtf8(codePage, stored));
}

std::vector<std::string> VerdictReasons(const FilterConfigRecord& config,
                                        const FilterVerdict& verdict,
                                        const ExplainOptions& options) {
    if (verdict.outcome == FILTER_OFF || verdict.outcome == FILTER_NOT_REACHED ||
        verdict.filter < 0 || verdict.filter >= FILTER_COUNT)
        return {};
    return Reasons(config, verdict, options).Collect();
}

std::string VerdictLine(const FilterConfigRecord&, const FilterVerdict& verdict) {
    const std::string name = FilterName(verdict.filter);
    switch (verdict.outcome) {
    case FILTER_NOT_REACHED:
        return name + ": not reached";
    case FILTER_OFF:
        return name + ": passes (off: " + KEYS[verdict.filter].onSwitch + " is " +
               std::to_string(verdict.onSwitch) + ", not 1)";
    case FILTER_PASSES:
        return name + ": passes";
    default:
        if (verdict.audited) {
            char bit[16];
            snprintf(bit, sizeof bit, "0x%X",
                     static_cast<unsigned>(FilterAuditBit(verdict.filter)));
            return name + ": refuses, but only audits (AuditOnly " + bit + "): the session goes on";
        }
        return name + ": refuses";
    }
}

void ExplainDecision(const FilterConfigRecord& config, const DescribedSession& session,
                     const SessionDecision& decision, const ExplainOptions& options,
                     std::string* out) {
    Header(session, options.atGiven, options.codePage, out);
    for (int k = 0; k < FILTER_COUNT; ++k) {
        if (k == 0)
            *out += "Session start\n";
        else if (k == STARTUP_FILTER_COUNT)
            *out += "Logon\n";
        const FilterVerdict& verdict = decision.filters[k];
        *out += "  " + VerdictLine(config, verdict) + "\n";
        for (const std::string& reason : VerdictReasons(config, verdict, options))
            *out += "      " + reason + "\n";
    }
    if (decision.admitted && decision.auditedBy >= 0 && decision.auditedBy < FILTER_COUNT) {
        const FilterVerdict& audited = decision.filters[decision.auditedBy];
        *out += "Decision: admitted; " + std::string(FilterName(audited.filter)) +
                " only audits its refusal with code " + std::to_string(audited.code) + " (" +
                RejectCodeText(audited.code) + ")\n";
        return;
    }
    if (decision.admitted) {
        *out += "Decision: admitted\n";
        return;
    }
    *out += "Decision: refused with code " + std::to_string(decision.code) + " (" +
            RejectCodeText(decision.code) + ")\n";
    *out += "  caption: " + QuotedText(decision.caption, options.codePage) + "\n";
    *out += "  message: " + QuotedText(decision.message, options.codePage) + "\n";
}

std::string CheckTimeText(const LocalDateTime& t) {
    char text[64];
    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
             t.minute, t.second);
    return text;
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
    static const char FORM[] = "dddd-dd-dd dd:dd:dd";
    if (text.size() != sizeof FORM - 1)
        return false;
    for (size_t k = 0; k < text.size(); ++k) {
        const bool digit = text[k] >= '0' && text[k] <= '9';
        if (FORM[k] == 'd' ? !digit : text[k] != FORM[k])
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
