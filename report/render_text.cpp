// The report as plain text, for a terminal or a mail. Columns are padded by the
// columns a terminal gives each character, and no text from a log reaches the
// terminal as a control character (ShownText).
#include <algorithm>
#include <cstdio>

#include "report/logon_report.h"
#include "report/shown_text.h"

namespace {

std::string Padded(const std::string& text, size_t width) {
    size_t shown = DisplayWidth(text);
    return shown >= width ? text + " " : text + std::string(width - shown, ' ');
}

std::string RightAligned(const std::string& text, size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string OrDash(const std::string& text) {
    return text.empty() ? "-" : text;
}

// "IP address rule 3, MAC address rule 1" of a tally's refusals (or audited ones).
std::string ReasonList(const Tally& tally, bool audited = false) {
    const uint32_t* counts = audited ? tally.auditedByReason : tally.byReason;
    std::string out;
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (counts[k] == 0)
            continue;
        out += (out.empty() ? "" : ", ") + std::string(Reason(k).words) + " " + Figure(counts[k]);
    }
    return out;
}

std::string Seen(const Tally& tally) {
    return TimeText(tally.firstSeen) + " to " + TimeText(tally.lastSeen);
}

void Networks(const std::unordered_map<uint32_t, Tally>& nets, int bits, std::string* out) {
    auto top = MostRefused(nets, REPORT_TOP);
    if (top.empty())
        *out += "  none\n";
    for (const auto* net : top)
        *out += "  " + Padded(NetworkText(net->first, bits), 20) +
                RightAligned(Figure(net->second.refused), 7) + "  " + Seen(net->second) + "  " +
                ReasonList(net->second) + "\n";
}

// What filters that only audit would have refused: by reason, then the clients and
// users most often concerned.
void AuditSection(const LogSummary& s, const TallyTops<std::string>& clientTops,
                  const TallyTops<std::string>& userTops, uint32_t codePage, std::string* out) {
    std::string& o = *out;
    o += "\nWhat the audit found (refusals of filters that only audit; the sessions went on)\n";
    if (s.total.audited == 0)
        o += "  none\n";
    size_t width = 0;
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (s.total.auditedByReason[k] > 0)
            width = std::max(width, AuditWords(k).size());
    }
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (s.total.auditedByReason[k] == 0)
            continue;
        o += "  " + Padded(AuditWords(k), width) +
             RightAligned(Figure(s.total.auditedByReason[k]), 9) + "  " + Reason(k).text + "\n";
    }
    const auto& clients = clientTops.mostAudited;
    if (!clients.empty())
        o += "\nClients the audit found most often (address, computer name, MAC address, "
             "audited, first and last line)\n";
    for (const auto* client : clients) {
        std::string address, name, mac;
        SplitClientKey(client->first, &address, &name, &mac);
        o += "  " + Padded(OrDash(ShownText(codePage, address)), 16) +
             Padded(OrDash(ShownText(codePage, name)), 18) +
             Padded(OrDash(ShownText(codePage, mac)), 18) +
             RightAligned(Figure(client->second.audited), 7) + "  " + Seen(client->second) + "  " +
             ReasonList(client->second, true) + "\n";
    }
    const auto& users = userTops.mostAudited;
    if (!users.empty())
        o += "\nUsers the audit found most often (user, audited, first and last line)\n";
    for (const auto* user : users)
        o += "  " + Padded(ShownText(codePage, user->first), 24) +
             RightAligned(Figure(user->second.audited), 7) + "  " + Seen(user->second) + "  " +
             ReasonList(user->second, true) + "\n";
}

void Sections(const LogonReport& report, const LogSummary& s, uint32_t codePage, std::string* out) {
    std::string& o = *out;
    const bool audit = ReportHasAudit(report);
    const auto clientTops = Tops(s.clients, REPORT_TOP);
    const auto userTops = Tops(s.users, REPORT_TOP);
    if (s.firstTime.empty())
        o += "Period: no line in the period\n";
    else
        o += "Period: " + s.firstTime + " to " + s.lastTime + "\n";
    o += "Logons accepted: " + Figure(s.total.accepted) + "\n";
    o += "Sessions refused: " + Figure(s.total.refused) + "\n";
    if (audit)
        o += "Refusals audited (the sessions went on): " + Figure(s.total.audited) + "\n";
    o += "Distinct clients refused: " + Figure(clientTops.refused) +
         ", users refused: " + Figure(userTops.refused) + "\n";

    o += "\nRefusals by reason\n";
    if (s.total.refused == 0)
        o += "  none\n";
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (s.total.byReason[k] == 0)
            continue;
        o += "  " + Padded(Reason(k).words, 42) + RightAligned(Figure(s.total.byReason[k]), 9) +
             "  " + Reason(k).text + "\n";
    }
    if (audit)
        AuditSection(s, clientTops, userTops, codePage, &o);

    int32_t first, last;
    bool byWeek = false;
    if (ReportDays(report, &first, &last)) {
        auto silent = SilentDays(s, first, last);
        o += "\nDays without any line:";
        for (size_t k = 0; k < silent.size(); ++k)
            o += (k == 0 ? " " : ", ") + DaysText(silent[k]);
        o += silent.empty() ? " none\n" : "\n";
        byWeek = last - first + 1 > REPORT_DAYS_SHOWN;
        o += byWeek ? "\nRefusals by week (from Monday)\n" : "\nRefusals by day\n";
        for (const auto& bucket : DayBuckets(s, first, last, byWeek)) {
            const Tally& t = bucket.second;
            o += "  " + DateText(bucket.first) + " " + WeekdayName(WeekdayOfDays(bucket.first));
            if (t.Lines() == 0) {
                o += "  no line\n";
                continue;
            }
            o += "  accepted " + RightAligned(Figure(t.accepted), 7) + "  refused " +
                 RightAligned(Figure(t.refused), 7);
            if (audit)
                o += "  audited " + RightAligned(Figure(t.audited), 7);
            if (t.refused > 0)
                o += "  (" + ReasonList(t) + ")";
            if (t.audited > 0)
                o += "  (audited: " + ReasonList(t, true) + ")";
            o += "\n";
        }
    }

    o += "\nClients refused most often (address, computer name, MAC address, refused, "
         "first and last line)\n";
    const auto& clients = clientTops.mostRefused;
    if (clients.empty())
        o += "  none\n";
    for (const auto* client : clients) {
        std::string address, name, mac;
        SplitClientKey(client->first, &address, &name, &mac);
        o += "  " + Padded(OrDash(ShownText(codePage, address)), 16) +
             Padded(OrDash(ShownText(codePage, name)), 18) +
             Padded(OrDash(ShownText(codePage, mac)), 18) +
             RightAligned(Figure(client->second.refused), 7) + "  " + Seen(client->second) + "  " +
             ReasonList(client->second) + "\n";
    }

    o += "\nUsers refused most often (user, refused, first and last line)\n";
    const auto& users = userTops.mostRefused;
    if (users.empty())
        o += "  none\n";
    for (const auto* user : users) {
        o += "  " + Padded(ShownText(codePage, user->first), 24) +
             RightAligned(Figure(user->second.refused), 7) + "  " + Seen(user->second) + "  " +
             ReasonList(user->second) + "\n";
    }

    o += "\nNetworks refused most often (/24)\n";
    const auto nets24 = NetworkTallies(s, 24);
    Networks(nets24, 24, &o);
    o += "\nNetworks refused most often (/16)\n";
    Networks(WiderNetworks(nets24, 24, 16), 16, &o);

    o += "\nRefusals from facts the server could not read\n";
    bool anyUnread = false;
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (!Reason(k).unreadFact || s.total.byReason[k] == 0)
            continue;
        anyUnread = true;
        o += "  " + Padded(Reason(k).words, 42) + RightAligned(Figure(s.total.byReason[k]), 9) +
             "  " + Reason(k).text + ": " + Reason(k).meaning + "\n";
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
    Sections(report, report.total, codePage, &o);
    if (report.servers.size() > 1) {
        for (const ServerSummary& server : report.servers) {
            std::string name = "Server " + server.name;
            o += "\n" + name + "\n" + std::string(DisplayWidth(name), '=') + "\n";
            Sections(report, server.summary, codePage, &o);
        }
    }
    return o;
}
