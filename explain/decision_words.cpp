#include "explain/decision_words.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "compare/config_fields.h"

namespace {

const char* const PAGE_NAMES[FILTER_COUNT] = {
    "IP Address",     "Computer Name",  "MAC address",      "Time Restrictions",
    "Client Version", "Session per IP", "Session per User",
};

// The time page's weekday boxes, WEEK_W1 (Monday) to WEEK_W7 (Sunday).
const char* const WEEKDAYS[7] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                 "Friday", "Saturday", "Sunday"};

// What a fact that could not be read is called.
const char* const FACT_WORDS[] = {
    "",
    "the client address",
    "the computer name",
    "the MAC address",
    "the client build",
    "the user name",
    "the number of sessions from this address",
    "the number of sessions of this user",
};

// The version page's fields, in the order the core applies them.
struct VersionField {
    const char* words; // the field's button
    char (FilterConfigRecord::*text)[255];
};
const VersionField VERSION_FIELDS[] = {
    {"Allow", &FilterConfigRecord::VERALLOW},
    {"Disallow", &FilterConfigRecord::VERDISALLOW},
    {"Allow higher than", &FilterConfigRecord::VERHIGHER},
    {"Allow lower than", &FilterConfigRecord::VERLOWER},
    {"Allow range", &FilterConfigRecord::VERBETWEEN},
};

const char AUDITED_WORDS[] = "would be refused, but the filter only audits: admitted";

const char* ModeWords(int32_t type) {
    return type != 0 ? "Logon enabled" : "Logon disabled";
}

class Wording {
public:
    Wording(const FilterConfigRecord& config, const FilterVerdict& verdict, uint32_t codePage)
        : config_(config), verdict_(verdict), codePage_(codePage),
          page_(PAGE_NAMES[verdict.filter]) {}

    DecisionWords Words() {
        DecisionWords words;
        const bool refused = verdict_.outcome == FILTER_REFUSES;
        if (verdict_.outcome == FILTER_NOT_REACHED || verdict_.outcome == FILTER_OFF) {
            words.verdict = std::string(verdict_.outcome == FILTER_OFF
                                            ? "Passed: the filter is switched off"
                                            : "Not reached: an earlier filter refused") +
                            " (" + page_ + " page)";
            return words;
        }
        words.verdict = (refused ? "Refused by the " : "Passed the ") + page_ + " filter";
        if (verdict_.unavailable != FACT_NONE && verdict_.audited) {
            words.verdict = page_ + " filter: " + std::string(FACT_WORDS[verdict_.unavailable]) +
                            " cannot be read; " + AUDITED_WORDS;
            words.entry = "No entry decided: the filter refuses a client when " +
                          std::string(FACT_WORDS[verdict_.unavailable]) + " cannot be read (" +
                          page_ + " page)";
            words.change = EnforceWords();
            return words;
        }
        if (verdict_.unavailable != FACT_NONE) {
            const std::string fact = FACT_WORDS[verdict_.unavailable];
            words.verdict += ": " + fact + " cannot be read";
            words.entry = "No entry decided: the filter refuses a client when " + fact +
                          " cannot be read (" + page_ + " page)";
            words.change = "To let this client in: switch the filter off";
            words.change += verdict_.unavailable == FACT_MAC
                                ? "; MAC addresses are found only for computers on the same "
                                  "subnet as the Terminal Server."
                                : ", or let the server read " + fact + ".";
            return words;
        }
        switch (verdict_.filter) {
        case FILTER_IPADDRESS:
        case FILTER_COMPUTERNAME:
        case FILTER_MACADDRESS:
            ModeList(&words);
            break;
        case FILTER_TIME:
            Time(&words);
            break;
        case FILTER_VERSION:
            Version(&words);
            break;
        default:
            Count(&words);
            break;
        }
        if (!refused)
            words.change.clear();
        if (verdict_.audited)
            Audited(&words);
        return words;
    }

private:
    // A refusal the filter only audits: what happens, and what enforcing it would do.
    void Audited(DecisionWords* words) const {
        words->verdict = page_ + " filter: " + AUDITED_WORDS;
        words->change = EnforceWords();
    }
    std::string EnforceWords() const {
        return "Clear \"Audit only\" on the " + page_ + " page and the filter refuses this client.";
    }

    std::string Text(const std::string& stored) const { return StoredToUtf8(codePage_, stored); }

    size_t ListSize() const {
        switch (verdict_.filter) {
        case FILTER_IPADDRESS:
            return config_.ipRanges.size();
        case FILTER_COMPUTERNAME:
            return config_.computerNames.size();
        case FILTER_MACADDRESS:
            return config_.macAddresses.size();
        case FILTER_SESSIONCOUNT_IP:
            return config_.sessionIps.size();
        case FILTER_SESSIONCOUNT_USER:
            return config_.sessionUsers.size();
        default:
            return 0;
        }
    }

    // The entry's cells as its list shows them; empty when the index names no row.
    std::string RowCells(size_t r) const {
        if (r >= ListSize())
            return "";
        switch (verdict_.filter) {
        case FILTER_IPADDRESS: {
            const IpRangeRow& row = *config_.ipRanges[r];
            const std::string to = FieldText(row.IPTO);
            return Text(FieldText(row.IPFROM)) + (to.empty() ? "" : " to " + Text(to)) + " - " +
                   ModeWords(row.TYPE);
        }
        case FILTER_COMPUTERNAME:
            return Text(FieldText(config_.computerNames[r]->CNAME)) + " - " +
                   ModeWords(config_.computerNames[r]->TYPE);
        case FILTER_MACADDRESS:
            return Text(FieldText(config_.macAddresses[r]->MACADDRESS)) + " - " +
                   ModeWords(config_.macAddresses[r]->TYPE);
        case FILTER_SESSIONCOUNT_IP:
            return Text(FieldText(config_.sessionIps[r]->SESSION_IP)) + ", at most " +
                   std::to_string(config_.sessionIps[r]->SESSION_IPCOUNTER);
        case FILTER_SESSIONCOUNT_USER:
            return Text(FieldText(config_.sessionUsers[r]->SESSION_USER)) + ", at most " +
                   std::to_string(config_.sessionUsers[r]->SESSION_USERCOUNT);
        default:
            return "";
        }
    }

    std::string EntryNumber() const { return "entry " + std::to_string(verdict_.row + 1); }

    // "10.20.0.66 - Logon disabled (entry 2 of 3 on the IP Address page)".
    std::string Entry() const {
        return RowCells(verdict_.row) + " (" + EntryNumber() + " of " + std::to_string(ListSize()) +
               " on the " + page_ + " page)";
    }

    void ModeList(DecisionWords* words) const {
        const std::string off = ", or switch the filter off.";
        switch (verdict_.rule) {
        case RULE_DENY_ROW:
        case RULE_ALLOW_ROW:
            words->entry = Entry();
            words->change = "To let this client in: remove or edit " + EntryNumber() + off;
            break;
        case RULE_NO_ALLOW_ROW_MATCHED:
            words->entry = "No entry matches, and the list holds Logon enabled entries: only "
                           "the clients they name may log on (" +
                           page_ + " page)";
            words->change = "To let this client in: add an entry for it with Logon enabled" + off;
            break;
        default: // RULE_DEFAULT_SWITCH
            words->entry = std::string("No entry matches, and \"By default allow logon\" is ") +
                           (verdict_.value != 0 ? "checked" : "not checked") + " (" + page_ +
                           " page)";
            words->change = "To let this client in: check \"By default allow logon\", add an "
                            "entry for it with Logon enabled" +
                            off;
            break;
        }
    }

    // "Monday to Friday", "Monday, Wednesday and Friday", "every day".
    std::string Days() const {
        const int32_t flags[7] = {config_.WEEK_W1, config_.WEEK_W2, config_.WEEK_W3,
                                  config_.WEEK_W4, config_.WEEK_W5, config_.WEEK_W6,
                                  config_.WEEK_W7};
        std::vector<int> ticked;
        for (int d = 0; d < 7; ++d)
            if (flags[d] != 0)
                ticked.push_back(d);
        if (ticked.empty())
            return "no day";
        if (ticked.size() == 7)
            return "every day";
        if (ticked.size() >= 3 && ticked.back() - ticked.front() + 1 == int(ticked.size()))
            return std::string(WEEKDAYS[ticked.front()]) + " to " + WEEKDAYS[ticked.back()];
        std::string text;
        for (size_t k = 0; k < ticked.size(); ++k) {
            if (k > 0)
                text += k + 1 == ticked.size() ? " and " : ", ";
            text += WEEKDAYS[ticked[k]];
        }
        return text;
    }

    void Time(DecisionWords* words) const {
        const LocalDateTime& at = verdict_.time;
        const int day = ((at.dayOfWeek % 7) + 6) % 7; // Monday is 0
        char clock[16];
        snprintf(clock, sizeof clock, "%02d:%02d:%02d", at.hour, at.minute, at.second);
        const std::string setting =
            config_.TIME_BETWEEN != 0 ? "Between " + Text(FieldText(config_.TIME_FROM)) + " and " +
                                            Text(FieldText(config_.TIME_TO)) + " on " + Days()
                                      : "All day on " + Days();
        words->entry = setting + " (Time Restrictions page); the logon is at " + clock + " on a " +
                       WEEKDAYS[day];
        if (verdict_.rule == RULE_DAY)
            words->change = std::string("To let this client in: tick ") + WEEKDAYS[day] +
                            ", or switch the filter off.";
        else
            words->change = "To let this client in: choose All day or widen the window, or "
                            "switch the filter off.";
    }

    void Version(DecisionWords* words) const {
        const std::string build = std::to_string(verdict_.build);
        const std::string fact = " (Client Version page); the client build is " + build;
        // Each field that is set, alone, with the core's own test: the first that
        // refuses is the one to name.
        std::unique_ptr<FilterConfigRecord> probe(new FilterConfigRecord());
        bool anySet = false;
        for (const VersionField& field : VERSION_FIELDS) {
            const std::string text = FieldText(config_.*field.text);
            if (text.empty())
                continue;
            anySet = true;
            CopyToField(probe.get()->*field.text, text.c_str());
            const bool admits = VersionAdmits(*probe, verdict_.build) == 1;
            memset(probe.get()->*field.text, 0, sizeof(probe.get()->*field.text));
            if (admits)
                continue;
            words->entry = std::string(field.words) + " " + Text(text) + fact;
            words->change = std::string("To let this client in: ") + VersionChange(field, build) +
                            ", or switch the filter off.";
            return;
        }
        words->entry = (anySet ? "The version fields admit build " + build
                               : std::string("No version field is set")) +
                       fact;
        words->change = "To let this client in: change the version fields, or switch the "
                        "filter off.";
    }

    static std::string VersionChange(const VersionField& field, const std::string& build) {
        if (field.text == &FilterConfigRecord::VERALLOW)
            return "add " + build + " to Allow";
        if (field.text == &FilterConfigRecord::VERDISALLOW)
            return "remove " + build + " from Disallow";
        if (field.text == &FilterConfigRecord::VERHIGHER)
            return "lower or empty Allow higher than";
        if (field.text == &FilterConfigRecord::VERLOWER)
            return "raise or empty Allow lower than";
        return "widen Allow range to take in " + build;
    }

    void Count(DecisionWords* words) const {
        const std::string counted = std::to_string(verdict_.count) +
                                    (verdict_.count == 1 ? " session" : " sessions") +
                                    " counted, this one included";
        const std::string off = ", or switch the filter off.";
        switch (verdict_.rule) {
        case RULE_LIMIT_FROM_ROW:
            words->entry = Entry() + "; " + counted;
            words->change = "To let this client in: raise Sessions Max of " + EntryNumber() + off;
            break;
        case RULE_LIMIT_DEFAULT:
            words->entry = "No entry names this " + Who() + "; \"By default \" allows at most " +
                           std::to_string(verdict_.value) + " (" + page_ + " page); " + counted;
            words->change = "To let this client in: raise the default count, add an entry for "
                            "this " +
                            Who() + " with a higher Sessions Max" + off;
            break;
        case RULE_NO_LIMIT:
            words->entry = "No entry names this " + Who() +
                           ", and \"By default \" is not checked: "
                           "no limit (" +
                           page_ + " page)";
            break;
        case RULE_ADMINISTRATOR_EXEMPT:
            words->entry = "The built-in administrator is not counted: \"Ignore administrator's "
                           "sessions when calculating session\" is checked (" +
                           page_ + " page)";
            break;
        default:
            break;
        }
    }

    std::string Who() const {
        return verdict_.filter == FILTER_SESSIONCOUNT_USER ? "user" : "address";
    }

    const FilterConfigRecord& config_;
    const FilterVerdict& verdict_;
    const uint32_t codePage_;
    const std::string page_;
};

} // namespace

const char* FilterPageName(FilterId filter) {
    return filter >= 0 && filter < FILTER_COUNT ? PAGE_NAMES[filter] : "";
}

DecisionWords VerdictWords(const FilterConfigRecord& config, const FilterVerdict& verdict,
                           uint32_t codePage) {
    if (verdict.filter < 0 || verdict.filter >= FILTER_COUNT)
        return {};
    return Wording(config, verdict, codePage).Words();
}

DecisionWords DecisionWordsOf(const FilterConfigRecord& config, const SessionDecision& decision,
                              uint32_t codePage) {
    if (!decision.admitted && decision.refusedBy >= 0 && decision.refusedBy < FILTER_COUNT)
        return VerdictWords(config, decision.filters[decision.refusedBy], codePage);
    if (decision.auditedBy >= 0 && decision.auditedBy < FILTER_COUNT) {
        // Admitted past filters that only audit: the first of them speaks, and the
        // others are named.
        DecisionWords words = VerdictWords(config, decision.filters[decision.auditedBy], codePage);
        std::string others;
        for (const FilterVerdict& verdict : decision.filters) {
            if (verdict.audited && verdict.filter != decision.auditedBy)
                others +=
                    (others.empty() ? "" : ", ") + std::string(FilterPageName(verdict.filter));
        }
        if (!others.empty()) {
            const bool several = others.find(',') != std::string::npos;
            words.entry += "; the " + others + (several ? " filters" : " filter") +
                           " would refuse too, and only audit" + (several ? "" : "s");
        }
        return words;
    }
    DecisionWords words;
    words.verdict = "Admitted: no filter refuses this client";
    std::string passed;
    for (const FilterVerdict& verdict : decision.filters) {
        if (verdict.outcome != FILTER_PASSES)
            continue;
        passed += (passed.empty() ? "" : ", ") + std::string(FilterPageName(verdict.filter));
    }
    words.entry =
        passed.empty() ? "No filter is switched on" : "Switched on, and passed: " + passed;
    return words;
}

DecisionPlace PlaceOfDecision(const SessionDecision& decision) {
    DecisionPlace place;
    // An admission past a filter that only audits is seen where that filter would refuse.
    const int decided = !decision.admitted ? decision.refusedBy : decision.auditedBy;
    if (decided < 0 || decided >= FILTER_COUNT)
        return place;
    const FilterVerdict& verdict = decision.filters[decided];
    place.onPage = true;
    place.filter = verdict.filter;
    if (verdict.unavailable == FACT_NONE &&
        (verdict.rule == RULE_DENY_ROW || verdict.rule == RULE_ALLOW_ROW ||
         verdict.rule == RULE_LIMIT_FROM_ROW))
        place.entry = static_cast<int>(verdict.row);
    return place;
}
