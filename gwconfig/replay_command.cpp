#include "gwconfig/replay_command.h"

#include <nlohmann/json.hpp>

#include "compare/config_fields.h"
#include "engine/rejection.h"
#include "gwconfig/commands.h"
#include "gwconfig/config_io.h"
#include "platform/codepage.h"
#include "replay/impact_tally.h"
#include "replay/replay_log.h"
#include "replay/replay_words.h"
#include "report/logon_report.h"
#include "report/shown_text.h"

namespace {

using Json = nlohmann::ordered_json;

const char* const CHANGE_TITLES[IMPACT_CHANGE_COUNT] = {
    "Admitted then, refused now",
    "Refused then, admitted now",
    "Refused then, not judged now",
};
const char* const CHANGE_NAMES[IMPACT_CHANGE_COUNT] = {"refused_now", "admitted_now", "not_judged"};

int Fail(FILE* err, const std::string& message) {
    fprintf(err, "gwconfig: %s\n", message.c_str());
    return GW_EXIT_BAD_INPUT;
}

// What a replay found over every log.
struct ReplayResult {
    ReplayLogCounts counts;
    ImpactTally tally;
    uint64_t unchangedAdmitted = 0, unchangedRefused = 0;
    uint64_t notJudgedAdmitted = 0; // admitted then, not judged now: counted only
};

// Decides each logged session again and sorts it by what changes.
class Replayer {
public:
    Replayer(const FilterConfigRecord& config, uint32_t codePage, ReplayResult* result)
        : config_(config), replay_(config), codePage_(codePage), r_(result) {}

    void Line(const LogLine& line, const KnownSession& session) {
        DecideKnownSession(replay_, session, &now_);
        const ImpactSession client{line.address, line.computerName, line.mac,
                                   session.user == FACT_HELD ? line.user : std::string_view(),
                                   LineSeconds(line)};
        if (!line.rejected) {
            if (now_.outcome == REPLAY_ADMITTED)
                ++r_->unchangedAdmitted;
            else if (now_.outcome == REPLAY_NOT_JUDGED)
                ++r_->notJudgedAdmitted;
            else
                RefusedNow(client);
            return;
        }
        if (now_.outcome == REPLAY_REFUSED) {
            ++r_->unchangedRefused;
            return;
        }
        const int reason = line.reason;
        const int filter = FilterOfCode(Reason(reason).code);
        const std::string then = std::to_string(reason) + '|';
        if (now_.outcome == REPLAY_ADMITTED) {
            const FilterVerdict* passed = filter >= 0 ? &now_.filters[filter] : nullptr;
            r_->tally.Add(
                IMPACT_ADMITTED_NOW, then + (passed != nullptr ? VerdictKey(*passed) : ""),
                [&](ImpactRule* rule) {
                    rule->words = LoggedRefusalWords(reason) + "; now: " +
                                  (passed != nullptr ? RuleWords(config_, *passed, codePage_)
                                                     : std::string("admitted"));
                    rule->code = Reason(reason).text;
                    rule->filter = filter;
                    if (passed != nullptr)
                        rule->place = PlaceOfVerdict(*passed);
                },
                client);
            return;
        }
        r_->tally.Add(
            IMPACT_NOT_JUDGED,
            then + std::to_string(now_.decidedBy) + '/' + std::to_string(now_.unknown),
            [&](ImpactRule* rule) {
                rule->words = LoggedRefusalWords(reason) +
                              "; now not judged: " + NotJudgedWords(now_, "the log");
                rule->code = Reason(reason).text;
                rule->filter = now_.decidedBy;
            },
            client);
    }

private:
    void RefusedNow(const ImpactSession& client) {
        const FilterVerdict& refusal = now_.filters[now_.decidedBy];
        r_->tally.Add(
            IMPACT_REFUSED_NOW, VerdictKey(refusal),
            [&](ImpactRule* rule) {
                rule->words = RuleWords(config_, refusal, codePage_);
                rule->code = RejectCodeText(refusal.code);
                rule->filter = refusal.filter;
                rule->place = PlaceOfVerdict(refusal);
            },
            client);
    }

    const FilterConfigRecord& config_;
    ReplayConfig replay_;
    const uint32_t codePage_;
    ReplayResult* r_;
    ReplayDecision now_;
};

// The filters switched on whose facts no log line holds.
std::vector<std::string> FiltersNotJudged(const FilterConfigRecord& c) {
    std::vector<std::string> names;
    if (c.FLAG_VERSION == 1)
        names.push_back(FilterPageName(FILTER_VERSION));
    if (c.FLAG_SERVEROPTION == 1)
        names.push_back(FilterPageName(FILTER_SESSIONCOUNT_IP));
    if (c.FLAG_SERVEROPTION_SESSIONPERUSER == 1)
        names.push_back(FilterPageName(FILTER_SESSIONCOUNT_USER));
    return names;
}

std::string NotHeldNote(const std::vector<std::string>& filters) {
    std::string note = "Not judged: the log holds no client build and no session counts";
    if (filters.empty())
        return note + "; no filter that needs them is switched on.";
    std::string names;
    for (size_t k = 0; k < filters.size(); ++k)
        names += (k == 0 ? "" : k + 1 == filters.size() ? " or " : ", ") + filters[k];
    return note + "; a session that reaches the " + names + " filter is not judged, never guessed.";
}

std::string Plural(uint64_t count, const char* one, const char* many) {
    return Figure(count) + " " + (count == 1 ? one : many);
}

std::string ClientText(const ImpactClient& c, uint32_t codePage) {
    std::string text = ShownText(codePage, c.address) + " \"" + ShownText(codePage, c.name) +
                       "\" " + (c.mac.empty() ? "no MAC address" : ShownText(codePage, c.mac)) +
                       ": " + Plural(c.sessions, "session", "sessions") + ", first " +
                       TimeText(c.firstSeen) + ", last " + TimeText(c.lastSeen);
    if (!c.user.empty())
        text += ", user \"" + ShownText(codePage, c.user) + "\"";
    return text;
}

std::string RenderText(const ReplayResult& r, const std::string& config,
                       const std::vector<std::string>& notJudged, uint32_t codePage) {
    const ReplayLogCounts& c = r.counts;
    std::string o = "Replay of '" + config + "' over " + Plural(c.logs.size(), "log", "logs") +
                    ": " + Plural(c.sessions, "session", "sessions");
    if (!c.firstTime.empty())
        o += ", " + c.firstTime + " to " + c.lastTime;
    o += "\n" + NotHeldNote(notJudged) + "\n";
    for (int change = 0; change < IMPACT_CHANGE_COUNT; ++change) {
        const ImpactChange k = static_cast<ImpactChange>(change);
        o += std::string("\n") + CHANGE_TITLES[k] + ": ";
        if (r.tally.Sessions(k) == 0) {
            o += "none\n";
            continue;
        }
        o += Plural(r.tally.Sessions(k), "session", "sessions") + " of " +
             Plural(r.tally.Clients(k), "client", "clients") + "\n";
        for (const ImpactRule& rule : SortedRules(r.tally, k)) {
            o += "  " + rule.words + " - " + Plural(rule.sessions, "session", "sessions") + "\n";
            for (const ImpactClient& client : rule.clients)
                o += "    " + ClientText(client, codePage) + "\n";
        }
    }
    o += "\nUnchanged: " + Plural(r.unchangedAdmitted + r.unchangedRefused, "session", "sessions") +
         " (" + Figure(r.unchangedAdmitted) + " admitted then and now, " +
         Figure(r.unchangedRefused) + " refused then and now)\n";
    if (r.notJudgedAdmitted > 0)
        o +=
            "Admitted then, not judged now: " + Plural(r.notJudgedAdmitted, "session", "sessions") +
            " (each reaches a filter that needs a fact the log does not hold)\n";
    std::vector<std::string> aside;
    if (c.audited > 0)
        aside.push_back(Plural(c.audited, "audited line", "audited lines") +
                        " (the session's own line follows)");
    if (c.outsidePeriod > 0)
        aside.push_back(Plural(c.outsidePeriod, "line", "lines") + " outside the period");
    if (c.skipped > 0)
        aside.push_back(Plural(c.skipped, "unreadable line", "unreadable lines") + " (" +
                        SkippedLinesText(c) + (c.skipped > c.firstSkipped.size() ? "; ..." : "") +
                        ")");
    for (size_t k = 0; k < aside.size(); ++k)
        o += (k == 0 ? "Not replayed: " : ", ") + aside[k];
    if (!aside.empty())
        o += "\n";
    return o;
}

std::string RenderJson(const ReplayResult& r, const std::string& config, const ReportPeriod& p,
                       const std::vector<std::string>& notJudged, uint32_t codePage) {
    const ReplayLogCounts& c = r.counts;
    Json o;
    o["configuration"] = config;
    o["logs"] = c.logs;
    o["from"] = p.hasFrom ? Json(DateText(p.fromDay)) : Json(nullptr);
    o["to"] = p.hasTo ? Json(DateText(p.toDay)) : Json(nullptr);
    o["period"] =
        c.firstTime.empty() ? Json(nullptr) : Json{{"first", c.firstTime}, {"last", c.lastTime}};
    o["sessions"] = c.sessions;
    o["facts_not_held"] = {"client build", "session counts"};
    o["filters_not_judged"] = notJudged;
    for (int change = 0; change < IMPACT_CHANGE_COUNT; ++change) {
        const ImpactChange k = static_cast<ImpactChange>(change);
        Json rules = Json::array();
        for (const ImpactRule& rule : SortedRules(r.tally, k)) {
            Json clients = Json::array();
            for (const ImpactClient& client : rule.clients)
                clients.push_back({{"address", ShownText(codePage, client.address)},
                                   {"computer_name", ShownText(codePage, client.name)},
                                   {"mac", ShownText(codePage, client.mac)},
                                   {"user", ShownText(codePage, client.user)},
                                   {"sessions", client.sessions},
                                   {"first_seen", TimeText(client.firstSeen)},
                                   {"last_seen", TimeText(client.lastSeen)}});
            rules.push_back({{"rule", rule.words},
                             {"code", rule.code},
                             {"filter", rule.filter >= 0 ? Json(FilterPageName(
                                                               static_cast<FilterId>(rule.filter)))
                                                         : Json(nullptr)},
                             {"sessions", rule.sessions},
                             {"clients", clients}});
        }
        o[CHANGE_NAMES[k]] = {
            {"sessions", r.tally.Sessions(k)}, {"clients", r.tally.Clients(k)}, {"rules", rules}};
    }
    o["unchanged"] = {{"admitted", r.unchangedAdmitted}, {"refused", r.unchangedRefused}};
    o["admitted_then_not_judged"] = r.notJudgedAdmitted;
    o["audited_lines"] = c.audited;
    o["lines_outside_period"] = c.outsidePeriod;
    Json skipped = Json::array();
    for (const SkippedLine& line : c.firstSkipped)
        skipped.push_back(
            {{"log", line.log}, {"line", line.number}, {"problem", LineProblemText(line.problem)}});
    o["lines_skipped"] = {{"count", c.skipped}, {"first", skipped}};
    return o.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

// RFC 4180; a cell a spreadsheet would run as a formula is made plain text.
void Cell(const std::string& text, std::string* out) {
    const bool formula = !text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' ||
                                           text[0] == '@' || text[0] == '\t' || text[0] == '\r');
    if (!formula && text.find_first_of(",\"\r\n") == std::string::npos) {
        *out += text;
        return;
    }
    *out += formula ? "\"'" : "\"";
    for (char ch : text)
        *out += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    *out += '"';
}

std::string RenderCsv(const ReplayResult& r, uint32_t codePage) {
    std::string o = "\xEF\xBB\xBF"
                    "Change,Rule,Code,Address,Computer name,MAC address,User,Sessions,First seen,"
                    "Last seen\r\n";
    static const char* const CHANGE_WORDS[IMPACT_CHANGE_COUNT] = {"refused now", "admitted now",
                                                                  "not judged"};
    for (int change = 0; change < IMPACT_CHANGE_COUNT; ++change) {
        const ImpactChange k = static_cast<ImpactChange>(change);
        for (const ImpactRule& rule : SortedRules(r.tally, k)) {
            for (const ImpactClient& client : rule.clients) {
                const std::string cells[] = {CHANGE_WORDS[k],
                                             rule.words,
                                             rule.code,
                                             ShownText(codePage, client.address),
                                             ShownText(codePage, client.name),
                                             ShownText(codePage, client.mac),
                                             ShownText(codePage, client.user),
                                             std::to_string(client.sessions),
                                             TimeText(client.firstSeen),
                                             TimeText(client.lastSeen)};
                for (size_t cell = 0; cell < sizeof cells / sizeof cells[0]; ++cell) {
                    if (cell > 0)
                        o += ',';
                    Cell(cells[cell], &o);
                }
                o += "\r\n";
            }
        }
    }
    return o;
}

} // namespace

int RunReplayCommand(const ReplayCommandOptions& o, FILE* out, FILE* err) {
    if (!CodePageKnown(o.codePage))
        return Fail(err,
                    "code page " + std::to_string(o.codePage) + " is not known on this system");
    ReportPeriod period;
    if (!o.from.empty() && !(period.hasFrom = ParseDate(o.from, &period.fromDay)))
        return Fail(err, "--from: \"" + o.from + "\" is not a date YYYY-MM-DD");
    if (!o.to.empty() && !(period.hasTo = ParseDate(o.to, &period.toDay)))
        return Fail(err, "--to: \"" + o.to + "\" is not a date YYYY-MM-DD");
    if (period.hasFrom && period.hasTo && period.fromDay > period.toDay)
        return Fail(err, "--from " + o.from + " comes after --to " + o.to);
    std::vector<ReportServer> logs = {{"", o.logs}};
    for (const std::string& warning : DropRepeatedLogs(&logs))
        fprintf(err, "gwconfig: warning: %s\n", warning.c_str());

    ConfigSource source;
    source.path = o.config;
    std::vector<std::string> errors, warnings;
    const bool loaded = LoadConfig(source, o.codePage, &errors, &warnings);
    for (const std::string& warning : warnings)
        fprintf(err, "gwconfig: warning: %s\n", warning.c_str());
    if (!loaded) {
        for (const std::string& error : errors)
            Fail(err, error);
        return GW_EXIT_BAD_INPUT;
    }

    ReplayResult result;
    Replayer replayer(FilterConfig, o.codePage, &result);
    const ReplayLineVisitor visit = [&replayer](const LogLine& line, const KnownSession& session) {
        replayer.Line(line, session);
    };
    for (const std::string& log : logs[0].logs) {
        std::string error;
        if (!ReplayLog(log, period, visit, &result.counts, &error))
            return Fail(err, error);
    }
    const ReplayLogCounts& c = result.counts;
    if (c.sessions + c.audited + c.outsidePeriod == 0)
        return Fail(err, "no line of the logs could be read (" + std::to_string(c.skipped) +
                             " unreadable)");

    const std::vector<std::string> notJudged = FiltersNotJudged(FilterConfig);
    std::string document;
    if (o.format == "json")
        document = RenderJson(result, o.config, period, notJudged, o.codePage);
    else if (o.format == "csv")
        document = RenderCsv(result, o.codePage);
    else
        document = RenderText(result, o.config, notJudged, o.codePage);
    fwrite(document.data(), 1, document.size(), out);
    const bool changes = result.tally.Sessions(IMPACT_REFUSED_NOW) > 0 ||
                         result.tally.Sessions(IMPACT_ADMITTED_NOW) > 0;
    return changes ? GW_EXIT_NO : GW_EXIT_OK;
}
