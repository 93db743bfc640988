// The report as plain text, for a terminal or a mail.
#include <cstdio>

#include "report/logon_report.h"
#include "report/shown_text.h"

namespace {

std::string Padded(const std::string& text, size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

std::string RightAligned(const std::string& text, size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// "REJECT_IPADDRESS 3, REJECT_MACADDRESS 1" of a tally's refusals.
std::string ReasonList(const Tally& tally) {
    std::string out;
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (tally.byReason[k] == 0)
            continue;
        out += (out.empty() ? "" : ", ") + std::string(Reason(k).text) + " " +
               Figure(tally.byReason[k]);
    }
    return out;
}

void Sections(const LogSummary& s, uint32_t codePage, std::string* out) {
    std::string& o = *out;
    if (s.firstTime.empty())
        o += "Period: no line in the period\n";
    else
        o += "Period: " + s.firstTime + " to " + s.lastTime + "\n";
    o += "Logons accepted: " + Figure(s.total.accepted) + "\n";
    o += "Sessions refused: " + Figure(s.total.refused) + "\n";

    o += "\nRefusals by reason\n";
    if (s.total.refused == 0)
        o += "  none\n";
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (s.total.byReason[k] == 0)
            continue;
        o += "  " + Padded(Reason(k).text, 34) + RightAligned(Figure(s.total.byReason[k]), 9) +
             "  " + Reason(k).filter + "\n";
    }

    o += "\nRefusals by day\n";
    if (s.days.empty())
        o += "  none\n";
    for (const auto& day : s.days) {
        o += "  " + DateText(day.first) + " " + WeekdayName(WeekdayOfDays(day.first)) +
             "  accepted " + RightAligned(Figure(day.second.accepted), 7) + "  refused " +
             RightAligned(Figure(day.second.refused), 7);
        if (day.second.refused > 0)
            o += "  (" + ReasonList(day.second) + ")";
        o += "\n";
    }

    o += "\nClients refused most often (address, computer name, MAC address)\n";
    auto clients = MostRefused(s.clients, REPORT_TOP);
    if (clients.empty())
        o += "  none\n";
    for (const auto* client : clients) {
        std::string address, name, mac;
        SplitClientKey(client->first, &address, &name, &mac);
        o += "  " + Padded(address.empty() ? "-" : address, 16) +
             Padded(name.empty() ? "-" : ShownText(codePage, name), 18) +
             Padded(mac.empty() ? "-" : mac, 18) + RightAligned(Figure(client->second.refused), 7) +
             "  " + ReasonList(client->second) + "\n";
    }

    o += "\nUsers refused most often\n";
    auto users = MostRefused(s.users, REPORT_TOP);
    if (users.empty())
        o += "  none\n";
    for (const auto* user : users) {
        o += "  " + Padded(ShownText(codePage, user->first), 24) +
             RightAligned(Figure(user->second.refused), 7) + "  " + ReasonList(user->second) + "\n";
    }

    o += "\nRefusals from facts the server could not read\n";
    bool anyUnread = false;
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (!Reason(k).unreadFact || s.total.byReason[k] == 0)
            continue;
        anyUnread = true;
        o += "  " + Padded(Reason(k).text, 34) + RightAligned(Figure(s.total.byReason[k]), 9) +
             "  " + Reason(k).meaning + "\n";
    }
    if (!anyUnread)
        o += "  none\n";

    o += "\nLines skipped: " + Figure(s.skipped) + "\n";
    for (const SkippedLine& line : s.firstSkipped)
        o += "  '" + line.log + "' line " + std::to_string(line.number) + ": " +
             LineProblemText(line.problem) + "\n";
    if (s.skipped > s.firstSkipped.size())
        o += "  ...\n";
    if (s.outsidePeriod > 0)
        o += "Lines outside the period: " + Figure(s.outsidePeriod) + "\n";
}

} // namespace

std::string RenderReportText(const LogonReport& report, uint32_t codePage) {
    std::string o = "Logon report\n";
    if (report.period.hasFrom || report.period.hasTo)
        o += "Days asked for: " +
             (report.period.hasFrom ? DateText(report.period.fromDay) : std::string("start")) +
             " to " + (report.period.hasTo ? DateText(report.period.toDay) : std::string("end")) +
             "\n";
    o += "Logs:";
    for (const ServerSummary& server : report.servers) {
        for (const std::string& log : server.summary.logs)
            o += " '" + log + "'";
    }
    o += "\n";
    Sections(report.total, codePage, &o);
    if (report.servers.size() > 1) {
        for (const ServerSummary& server : report.servers) {
            std::string name = "Server " + server.name;
            o += "\n" + name + "\n" + std::string(name.size(), '=') + "\n";
            Sections(server.summary, codePage, &o);
        }
    }
    return o;
}
