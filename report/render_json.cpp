// The report as JSON, for scripts and monitoring systems. Field names are stable.
#include <nlohmann/json.hpp>

#include "report/logon_report.h"
#include "report/shown_text.h"

namespace {

using Json = nlohmann::ordered_json;

Json Reasons(const Tally& tally) {
    Json out = Json::object();
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (tally.byReason[k] > 0)
            out[Reason(k).text] = tally.byReason[k];
    }
    return out;
}

Json Summary(const LogSummary& s, uint32_t codePage) {
    Json o;
    o["logs"] = s.logs;
    o["period"] =
        s.firstTime.empty() ? Json(nullptr) : Json{{"first", s.firstTime}, {"last", s.lastTime}};
    o["accepted"] = s.total.accepted;
    o["refused"] = s.total.refused;
    o["refusals_by_reason"] = Reasons(s.total);
    Json days = Json::array();
    for (const auto& day : s.days)
        days.push_back({{"date", DateText(day.first)},
                        {"accepted", day.second.accepted},
                        {"refused", day.second.refused},
                        {"reasons", Reasons(day.second)}});
    o["days"] = days;
    Json grid = Json::array();
    for (int d = 0; d < 7; ++d)
        grid.push_back(std::vector<uint32_t>(s.weekHour[d], s.weekHour[d] + 24));
    o["refusals_by_weekday_and_hour"] = grid;
    Json clients = Json::array();
    for (const auto* client : MostRefused(s.clients, REPORT_TOP)) {
        std::string address, name, mac;
        SplitClientKey(client->first, &address, &name, &mac);
        clients.push_back({{"address", address},
                           {"computer_name", ShownText(codePage, name)},
                           {"mac", mac},
                           {"refused", client->second.refused},
                           {"accepted", client->second.accepted},
                           {"reasons", Reasons(client->second)}});
    }
    o["clients_refused_most"] = clients;
    Json users = Json::array();
    for (const auto* user : MostRefused(s.users, REPORT_TOP))
        users.push_back({{"user", ShownText(codePage, user->first)},
                         {"refused", user->second.refused},
                         {"accepted", user->second.accepted},
                         {"reasons", Reasons(user->second)}});
    o["users_refused_most"] = users;
    Json unread = Json::array();
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (Reason(k).unreadFact && s.total.byReason[k] > 0)
            unread.push_back({{"code", Reason(k).text},
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
    return o;
}

} // namespace

std::string RenderReportJson(const LogonReport& report, uint32_t codePage) {
    Json o;
    const ReportPeriod& p = report.period;
    o["from"] = p.hasFrom ? Json(DateText(p.fromDay)) : Json(nullptr);
    o["to"] = p.hasTo ? Json(DateText(p.toDay)) : Json(nullptr);
    o["total"] = Summary(report.total, codePage);
    Json servers = Json::array();
    for (const ServerSummary& server : report.servers) {
        Json one = {{"name", server.name}};
        Json summary = Summary(server.summary, codePage);
        for (auto& item : summary.items())
            one[item.key()] = item.value();
        servers.push_back(one);
    }
    o["servers"] = servers;
    // Paths and names that are not UTF-8 are shown with replacement characters rather
    // than stopping the report.
    return o.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}
