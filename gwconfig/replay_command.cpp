#include "gwconfig/replay_command.h"

#include <nlohmann/json.hpp>

#include "compare/config_fields.h"
#include "config/audit_only_setting.h"
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
    uint64_t auditedNow = 0;        // of unchangedAdmitted, past a refusal only audited now
    uint64_t notJudgedAdmitted = 0; // admitted then, not judged now: counted only
};

// Decides each logged session again and sorts it by what changes.
class Replayer {
public:
    Replayer(const FilterConfigRecord& config, uint32_t auditMask, uint32_t codePage,
             ReplayResult* result)
        : config_(config), replay_(config, auditMask), codePage_(codePage), r_(result) {}

    void Line(const LogLine& line, const KnownSession& session) {
        DecideKnownSession(replay_, session, &now_);
        const ImpactSession client{line.address, line.computerName, line.mac,
                                   session.user == FACT_HELD ? line.user : std::string_view(),
                                   LineSeconds(line)};
        if (!line.rejected) {
            if (now_.outcome == REPLAY_ADMITTED) {
                ++r_->unchangedAdmitted;
                r_->auditedNow += now_.audited != 0 ? 1 : 0;
            } else if (now_.outcome == REPLAY_NOT_JUDGED)
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
            // The filter that refused then passes now, or only audits its refusal.
            const FilterVerdict* passed = filter >= 0 ? &now_.filters[filter] : nullptr;
            r_->tally.Add(
                IMPACT_ADMITTED_NOW,
                then + (passed != nullptr ? VerdictKey(*passed) : "") + '|' +
                    std::to_string(now_.audited),
                [&](ImpactRule* rule) {
                    rule->words = LoggedRefusalWords(reason) + "; now: " +
                                  (passed != nullptr ? RuleWords(config_, *passed, codePage_)
                                                     : std::string("admitted")) +
                                  AuditedAlsoWords(config_, now_, filter, codePage_);
                    rule->code = Reason(reason).text;
                    rule->filter = filter;
                    rule->audited = now_.audited;
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
            IMPACT_REFUSED_NOW, VerdictKey(refusal) + '|' + std::to_string(now_.audited),
            [&](ImpactRule* rule) {
                rule->words = RuleWords(config_, refusal, codePage_);
                rule->code = RejectCodeText(refusal.code);
                rule->filter = refusal.filter;
                rule->place = PlaceOfVerdict(refusal);
                rule->audited = now_.audited;
            },
            client);
    }

    const FilterConfigRecord& config_;
    ReplayConfig replay_;
    const uint32_t codePage_;
    ReplayResult* r_;
    ReplayDecision now_;
};

// The filters switched on whose facts no log line holds: those that enforce (`audited`
// false), or those that only audit.
std::vector<std::string> FiltersNotJudged(const FilterConfigRecord& c, uint32_t auditMask,
                                          bool audited) {
    const struct {
        FilterId filter;
        int32_t onSwitch;
    } needing[] = {{FILTER_VERSION, c.FLAG_VERSION},
                   {FILTER_SESSIONCOUNT_IP, c.FLAG_SERVEROPTION},
                   {FILTER_SESSIONCOUNT_USER, c.FLAG_SERVEROPTION_SESSIONPERUSER}};
    std::vector<std::string> names;
    for (const auto& n : needing) {
        if (n.onSwitch == 1 && ((auditMask & FilterAuditBit(n.filter)) != 0) == audited)
            names.push_back(FilterPageName(n.filter));
    }
    return names;
}

// "A", "A or B", "A, B or C".
std::string Listed(const std::vector<std::string>& names, const char* last) {
    std::string text;
    for (size_t k = 0; k < names.size(); ++k)
        text += (k == 0 ? "" : k + 1 == names.size() ? last : ", ") + names[k];
    return text;
}

std::string NotHeldNote(const std::vector<std::string>& filters,
                        const std::vector<std::string>& audited) {
    std::string note = "Not judged: the log holds no client build and no session counts";
    if (filters.empty() && audited.empty())
        return note + "; no filter that needs them is switched on.";
    if (!filters.empty())
        note += "; a session that reaches the " + Listed(filters, " or ") +
                " filter is not judged, never guessed";
    if (!audited.empty())
        note += "; the " + Listed(audited, " and ") +
                (audited.size() == 1 ? " filter only audits: sessions go on past it"
                                     : " filters only audit: sessions go on past them") +
                ", unjudged";
    return note + ".";
}

// What a replay was asked to decide with: the proposal and its AuditOnly filter bits.
struct Proposal {
    std::string name;
    uint32_t auditMask = 0;
    std::vector<std::string> notJudged, auditedNotJudged;
};

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

std::string RenderText(const ReplayResult& r, const Proposal& p, uint32_t codePage) {
    const ReplayLogCounts& c = r.counts;
    std::string o = "Replay of '" + p.name + "' over " + Plural(c.logs.size(), "log", "logs") +
                    ": " + Plural(c.sessions, "session", "sessions");
    if (!c.firstTime.empty())
        o += ", " + c.firstTime + " to " + c.lastTime;
    o += "\n" + NotHeldNote(p.notJudged, p.auditedNotJudged) + "\n";
    if (p.auditMask != 0)
        o += "Only audit under the proposal: " + Listed(AuditedFilterNames(p.auditMask), ", ") +
             " (a session they would refuse is admitted, noted audited)\n";
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
         (r.auditedNow > 0 ? Figure(r.auditedNow) + " of them audited now, " : "") +
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

std::string RenderJson(const ReplayResult& r, const Proposal& proposal, const ReportPeriod& p,
                       uint32_t codePage) {
    const ReplayLogCounts& c = r.counts;
    Json o;
    o["configuration"] = proposal.name;
    o["logs"] = c.logs;
    o["from"] = p.hasFrom ? Json(DateText(p.fromDay)) : Json(nullptr);
    o["to"] = p.hasTo ? Json(DateText(p.toDay)) : Json(nullptr);
    o["period"] =
        c.firstTime.empty() ? Json(nullptr) : Json{{"first", c.firstTime}, {"last", c.lastTime}};
    o["sessions"] = c.sessions;
    o["facts_not_held"] = {"client build", "session counts"};
    o["filters_not_judged"] = proposal.notJudged;
    o["audit_only"] = AuditedFilterNames(proposal.auditMask);
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
                             {"audited_by", AuditedFilterNames(rule.audited)},
                             {"clients", clients}});
        }
        o[CHANGE_NAMES[k]] = {
            {"sessions", r.tally.Sessions(k)}, {"clients", r.tally.Clients(k)}, {"rules", rules}};
    }
    o["unchanged"] = {{"admitted", r.unchangedAdmitted}, {"refused", r.unchangedRefused}};
    o["admitted_then_not_judged"] = r.notJudgedAdmitted;
    o["admitted_then_audited_now"] = r.auditedNow;
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
                    "Last seen,Audited by\r\n";
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
                                             TimeText(client.lastSeen),
                                             Listed(AuditedFilterNames(rule.audited), ", ")};
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
    BesideValues beside;
    const bool loaded = LoadConfig(source, o.codePage, &errors, &warnings, &beside);
    for (const std::string& warning : warnings)
        fprintf(err, "gwconfig: warning: %s\n", warning.c_str());
    if (!loaded) {
        for (const std::string& error : errors)
            Fail(err, error);
        return GW_EXIT_BAD_INPUT;
    }

    // The proposal's AuditOnly: the option, else the configuration's own; absent, every
    // filter enforces.
    Proposal proposal;
    proposal.name = o.config;
    const bool carried = beside.has[SIDE_AUDIT_ONLY];
    proposal.auditMask = AuditOnlyMaskFrom(o.auditOnlyGiven ? o.auditOnly
                                           : carried        ? beside.value[SIDE_AUDIT_ONLY]
                                                            : 0);
    proposal.notJudged = FiltersNotJudged(FilterConfig, proposal.auditMask, false);
    proposal.auditedNotJudged = FiltersNotJudged(FilterConfig, proposal.auditMask, true);

    ReplayResult result;
    Replayer replayer(FilterConfig, proposal.auditMask, o.codePage, &result);
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

    std::string document;
    if (o.format == "json")
        document = RenderJson(result, proposal, period, o.codePage);
    else if (o.format == "csv")
        document = RenderCsv(result, o.codePage);
    else
        document = RenderText(result, proposal, o.codePage);
    fwrite(document.data(), 1, document.size(), out);
    // A session admitted then and only audited now changes nothing: it still gets in.
    const bool changes = result.tally.Sessions(IMPACT_REFUSED_NOW) > 0 ||
                         result.tally.Sessions(IMPACT_ADMITTED_NOW) > 0;
    return changes ? GW_EXIT_NO : GW_EXIT_OK;
}
