// The report as JSON, for scripts and monitoring systems. Field names are stable.
#include <nlohmann/json.hpp>

#include "report/logon_report.h"
#include "report/shown_text.h"

namespace {

using Json = nlohmann::ordered_json;

Json Reasons(const uint32_t counts[REASON_COUNT]) {
    Json out = Json::object();
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (counts[k] > 0)
            out[Reason(k).text] = counts[k];
    }
    return out;
}

Json Grid(const uint32_t grid[7][24]) {
    Json out = Json::array();
    for (int d = 0; d < 7; ++d)
        out.push_back(std::vector<uint32_t>(grid[d], grid[d] + 24));
    return out;
}

// The counts and first and last line of one client, user or network.
void AddTally(const Tally& tally, Json* into) {
    (*into)["refused"] = tally.refused;
    (*into)["accepted"] = tally.accepted;
    (*into)["first_seen"] = TimeText(tally.firstSeen);
    (*into)["last_seen"] = TimeText(tally.lastSeen);
    (*into)["reasons"] = Reasons(tally.byReason);
    (*into)["audited"] = tally.audited;
    (*into)["audited_reasons"] = Reasons(tally.auditedByReason);
}

Json Networks(const std::unordered_map<uint32_t, Tally>& nets, int bits) {
    Json out = Json::array();
    for (const auto* net : MostRefused(nets, REPORT_TOP)) {
        Json one = {{"network", NetworkText(net->first, bits)}};
        AddTally(net->second, &one);
        out.push_back(one);
    }
    return out;
}

using Top = std::vector<const std::pair<const std::string, Tally>*>;

// The clients or users with the most refusals, or audited refusals.
Json Clients(const Top& top, uint32_t codePage) {
    Json clients = Json::array();
    for (const auto* client : top) {
        std::string address, name, mac;
        SplitClientKey(client->first, &address, &name, &mac);
        Json one = {{"address", ShownText(codePage, address)},
                    {"computer_name", ShownText(codePage, name)},
                    {"mac", ShownText(codePage, mac)}};
        AddTally(client->second, &one);
        clients.push_back(one);
    }
    return clients;
}

Json Users(const Top& top, uint32_t codePage) {
    Json users = Json::array();
    for (const auto* user : top) {
        Json one = {{"user", ShownText(codePage, user->first)}};
        AddTally(user->second, &one);
        users.push_back(one);
    }
    return users;
}

Json Summary(const LogonReport& report, const LogSummary& s, uint32_t codePage) {
    Json o;
    o["logs"] = s.logs;
    o["period"] =
        s.firstTime.empty() ? Json(nullptr) : Json{{"first", s.firstTime}, {"last", s.lastTime}};
    o["accepted"] = s.total.accepted;
    o["refused"] = s.total.refused;
    o["refusals_by_reason"] = Reasons(s.total.byReason);
    const auto clientTops = Tops(s.clients, REPORT_TOP);
    const auto userTops = Tops(s.users, REPORT_TOP);
    o["distinct_clients_refused"] = clientTops.refused;
    o["distinct_users_refused"] = userTops.refused;
    o["audited"] = s.total.audited;
    o["audited_by_reason"] = Reasons(s.total.auditedByReason);
    o["distinct_clients_audited"] = clientTops.audited;
    o["distinct_users_audited"] = userTops.audited;
    Json days = Json::array();
    for (const auto& day : s.days)
        days.push_back({{"date", DateText(day.first)},
                        {"accepted", day.second.accepted},
                        {"refused", day.second.refused},
                        {"reasons", Reasons(day.second.byReason)},
                        {"audited", day.second.audited},
                        {"audited_reasons", Reasons(day.second.auditedByReason)}});
    o["days"] = days;
    Json silent = Json::array();
    int32_t first, last;
    if (ReportDays(report, &first, &last)) {
        for (const auto& run : SilentDays(s, first, last))
            silent.push_back({{"first", DateText(run.first)}, {"last", DateText(run.second)}});
    }
    o["days_without_lines"] = silent;
    o["refusals_by_weekday_and_hour"] = Grid(s.weekHour);
    o["time_window_refusals_by_weekday_and_hour"] = Grid(s.weekHourTime);
    o["clients_refused_most"] = Clients(clientTops.mostRefused, codePage);
    o["users_refused_most"] = Users(userTops.mostRefused, codePage);
    const auto nets24 = NetworkTallies(s, 24);
    o["networks_24_refused_most"] = Networks(nets24, 24);
    o["networks_16_refused_most"] = Networks(WiderNetworks(nets24, 24, 16), 16);
    Json unread = Json::array();
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (Reason(k).unreadFact && s.total.byReason[k] > 0)
            unread.push_back({{"code", Reason(k).text},
                              {"words", Reason(k).words},
                              {"refused", s.total.byReason[k]},
                              {"meaning", Reason(k).meaning}});
    }
    o["unread_facts"] = unread;
    Json skipped = Json::array();
    for (const SkippedLine& line : s.firstSkipped)
        skipped.push_back(
            {{"log", line.log}, {"line", line.number}, {"problem", LineProblemText(line.problem)}});
    o["lines_skipped"] = {{"count", s.skipped}, {"first", skipped}};
    o["lines_outside_period"] = s.outsidePeriod;
    o["clients_audited_most"] = Clients(clientTops.mostAudited, codePage);
    o["users_audited_most"] = Users(userTops.mostAudited, codePage);
    return o;
}

} // namespace

std::string RenderReportJson(const LogonReport& report, uint32_t codePage) {
    Json o;
    const ReportPeriod& p = report.period;
    o["from"] = p.hasFrom ? Json(DateText(p.fromDay)) : Json(nullptr);
    o["to"] = p.hasTo ? Json(DateText(p.toDay)) : Json(nullptr);
    Json words = Json::object();
    for (int k = 0; k < REASON_COUNT; ++k)
        words[Reason(k).text] = Reason(k).words;
    o["reason_words"] = words;
    Json audit = Json::object();
    for (int k = 0; k < REASON_COUNT; ++k)
        audit[Reason(k).text] = AuditWords(k);
    o["audited_words"] = audit;
    o["total"] = Summary(report, report.total, codePage);
    Json servers = Json::array();
    for (const ServerSummary& server : report.servers) {
        Json one = {{"name", server.name}};
        Json summary = Summary(report, server.summary, codePage);
        for (auto& item : summary.items())
            one[item.key()] = item.value();
        servers.push_back(one);
    }
    o["servers"] = servers;
    // Paths and names that are not UTF-8 are shown with replacement characters rather
    // than stopping the report.
    return o.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}
