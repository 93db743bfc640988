// The report as one self-contained HTML page: inline styles and SVG charts, no script,
// no fonts, images or styles from elsewhere (servers are often off the internet). Every
// chart has a title, its numbers as text (tooltips and a table), colours from a palette
// that colour-blind readers tell apart, and prints as it shows.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "report/logon_report.h"
#include "report/shown_text.h"

namespace {

// The charts stack refusals by filter; the facts the server could not read form one
// more group. Okabe and Ito's palette keeps the eight apart for colour-blind readers.
const int GROUP_COUNT = 8;
const char* const GROUP_NAMES[GROUP_COUNT] = {
    "REJECT_IPADDRESS",      "REJECT_COMPUTERNAME",
    "REJECT_MACADDRESS",     "REJECT_TIMERESTRICTION",
    "REJECT_CLIENTVERSION",  "REJECT_SESSIONPERIP",
    "REJECT_SESSIONPERUSER", "REJECT_FAIL_... (facts not read)"};
const char* const GROUP_COLOURS[GROUP_COUNT] = {"#0072B2", "#E69F00", "#009E73", "#CC79A7",
                                                "#56B4E9", "#D55E00", "#F0E442", "#000000"};
const char ACCEPTED_COLOUR[] = "#BBBBBB";

int GroupOf(int reason) {
    if (Reason(reason).unreadFact)
        return 7;
    static const char* const* names = GROUP_NAMES;
    for (int g = 0; g < 7; ++g) {
        if (std::string(names[g]) == Reason(reason).text)
            return g;
    }
    return 7;
}

void Groups(const Tally& tally, uint32_t out[GROUP_COUNT]) {
    std::fill(out, out + GROUP_COUNT, 0u);
    for (int k = 0; k < REASON_COUNT; ++k)
        out[GroupOf(k)] += tally.byReason[k];
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string Num(double value) {
    char text[32];
    snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string Rect(double x, double y, double w, double h, const char* fill,
                 const std::string& title) {
    return "<rect x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" width=\"" + Num(w) + "\" height=\"" +
           Num(h) + "\" fill=\"" + fill + "\" stroke=\"#333\" stroke-width=\"0.3\"><title>" +
           Escaped(title) + "</title></rect>";
}

std::string Text(double x, double y, const std::string& text, const char* extra = "") {
    return "<text x=\"" + Num(x) + "\" y=\"" + Num(y) + "\"" + extra + ">" + Escaped(text) +
           "</text>";
}

// A rounded-up scale maximum: 1, 2, 5, 10, 20, 50, ...
uint32_t ScaleTop(uint32_t value) {
    uint32_t step = 1;
    for (;;) {
        for (uint32_t m : {1u, 2u, 5u}) {
            if (static_cast<uint64_t>(step) * m >= value)
                return step * m;
        }
        if (step > 400000000u)
            return value;
        step *= 10;
    }
}

std::string Legend(bool withAccepted) {
    std::string o = "<p class=\"legend\">";
    for (int g = 0; g < GROUP_COUNT; ++g)
        o += "<span><svg width=\"12\" height=\"12\" aria-hidden=\"true\"><rect width=\"12\" "
             "height=\"12\" fill=\"" +
             std::string(GROUP_COLOURS[g]) + "\" stroke=\"#333\" stroke-width=\"0.5\"/></svg> " +
             Escaped(GROUP_NAMES[g]) + "</span>";
    if (withAccepted)
        o += "<span><svg width=\"12\" height=\"12\" aria-hidden=\"true\"><rect width=\"12\" "
             "height=\"12\" fill=\"" +
             std::string(ACCEPTED_COLOUR) +
             "\" stroke=\"#333\" stroke-width=\"0.5\"/></svg> accepted logons</span>";
    return o + "</p>\n";
}

// Refusals per day stacked by reason, with the day's accepted logons beside them.
void DaysChart(const LogSummary& s, const std::string& id, std::string* out) {
    std::string& o = *out;
    o += "<h2>Refusals per day</h2>\n";
    if (s.days.empty()) {
        o += "<p>No line in the period.</p>\n";
        return;
    }
    uint32_t most = 1;
    for (const auto& day : s.days)
        most = std::max({most, day.second.refused, day.second.accepted});
    uint32_t top = ScaleTop(most);
    const double left = 60, height = 220, topPad = 10, bottom = 50;
    double slot = std::max(4.0, std::min(48.0, 860.0 / static_cast<double>(s.days.size())));
    double width = left + slot * static_cast<double>(s.days.size()) + 10;
    o += "<svg id=\"" + id + "\" class=\"chart\" role=\"img\" width=\"" + Num(width) +
         "\" height=\"" + Num(topPad + height + bottom) + "\" viewBox=\"0 0 " + Num(width) + " " +
         Num(topPad + height + bottom) +
         "\"><title>Refusals per day by reason, and accepted logons</title>\n";
    for (int k = 0; k <= 4; ++k) {
        double y = topPad + height - height * k / 4;
        o += "<line x1=\"" + Num(left) + "\" x2=\"" + Num(width - 10) + "\" y1=\"" + Num(y) +
             "\" y2=\"" + Num(y) + "\" stroke=\"#ddd\"/>";
        o += Text(left - 6, y + 4, Figure(static_cast<uint64_t>(top) * k / 4),
                  " text-anchor=\"end\"");
    }
    size_t labelEvery = std::max<size_t>(1, static_cast<size_t>(std::ceil(60.0 / slot)));
    size_t index = 0;
    for (const auto& day : s.days) {
        std::string date = DateText(day.first);
        double x = left + slot * static_cast<double>(index);
        double bar = std::max(1.0, (slot - 2) / 2);
        uint32_t groups[GROUP_COUNT];
        Groups(day.second, groups);
        double y = topPad + height;
        for (int g = 0; g < GROUP_COUNT; ++g) {
            if (groups[g] == 0)
                continue;
            double h = height * groups[g] / top;
            y -= h;
            o += Rect(x + 1, y, bar, h, GROUP_COLOURS[g],
                      date + ": " + GROUP_NAMES[g] + " " + Figure(groups[g]));
        }
        if (day.second.accepted > 0) {
            double h = height * day.second.accepted / top;
            o += Rect(x + 1 + bar, topPad + height - h, bar, h, ACCEPTED_COLOUR,
                      date + ": accepted " + Figure(day.second.accepted));
        }
        if (index % labelEvery == 0)
            o += Text(x + slot / 2, topPad + height + 14, date.substr(5),
                      " text-anchor=\"middle\" class=\"small\"");
        ++index;
    }
    o += "</svg>\n" + Legend(true);
    // The numbers as a table: the days with their reasons.
    bool used[REASON_COUNT] = {};
    for (int k = 0; k < REASON_COUNT; ++k)
        used[k] = s.total.byReason[k] > 0;
    o += "<table class=\"numbers\"><caption>Logons per day</caption><tr><th>Day</th>"
         "<th>Accepted</th><th>Refused</th>";
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (used[k])
            o += std::string("<th>") + Reason(k).text + "</th>";
    }
    o += "</tr>\n";
    for (const auto& day : s.days) {
        o += "<tr><td>" + DateText(day.first) + " " + WeekdayName(WeekdayOfDays(day.first)) +
             "</td><td>" + Figure(day.second.accepted) + "</td><td>" + Figure(day.second.refused) +
             "</td>";
        for (int k = 0; k < REASON_COUNT; ++k) {
            if (used[k])
                o += "<td>" + Figure(day.second.byReason[k]) + "</td>";
        }
        o += "</tr>\n";
    }
    o += "</table>\n";
}

// Refusals by weekday and hour: darker is more; each cell shows its number.
void WeekHourChart(const LogSummary& s, const std::string& id, std::string* out) {
    std::string& o = *out;
    o += "<h2>Refusals by weekday and hour</h2>\n";
    uint32_t most = 0;
    for (int d = 0; d < 7; ++d)
        for (int h = 0; h < 24; ++h)
            most = std::max(most, s.weekHour[d][h]);
    const double left = 40, top = 22, cw = 34, ch = 24;
    double width = left + cw * 24 + 4, height = top + ch * 7 + 4;
    o += "<svg id=\"" + id + "\" class=\"chart\" role=\"img\" width=\"" + Num(width) +
         "\" height=\"" + Num(height) + "\" viewBox=\"0 0 " + Num(width) + " " + Num(height) +
         "\"><title>Refusals by weekday and hour of the server's local time</title>\n";
    for (int h = 0; h < 24; ++h)
        o += Text(left + cw * h + cw / 2, top - 6, std::to_string(h),
                  " text-anchor=\"middle\" class=\"small\"");
    for (int d = 0; d < 7; ++d) {
        o += Text(left - 6, top + ch * d + ch / 2 + 4, WeekdayName(d), " text-anchor=\"end\"");
        for (int h = 0; h < 24; ++h) {
            uint32_t n = s.weekHour[d][h];
            // White to dark blue: lightness alone carries the number.
            double level = most == 0 ? 0 : static_cast<double>(n) / most;
            int r = static_cast<int>(247 - level * (247 - 8));
            int g = static_cast<int>(251 - level * (251 - 48));
            int b = static_cast<int>(255 - level * (255 - 107));
            char fill[8];
            snprintf(fill, sizeof fill, "#%02X%02X%02X", r, g, b);
            char hours[32];
            snprintf(hours, sizeof hours, " %02d:00-%02d:59: ", h, h);
            o += Rect(left + cw * h, top + ch * d, cw, ch, fill,
                      std::string(WeekdayName(d)) + hours + Figure(n) + " refused");
            if (n > 0)
                o += Text(left + cw * h + cw / 2, top + ch * d + ch / 2 + 4, Figure(n),
                          level > 0.5 ? " text-anchor=\"middle\" class=\"small\" fill=\"#fff\""
                                      : " text-anchor=\"middle\" class=\"small\"");
        }
    }
    o += "</svg>\n";
}

// Horizontal bars of the most refused clients or users, stacked by reason, with the
// number written at the end of each bar and the reasons in a table.
void TopChart(const std::string& title, const std::string& id,
              const std::vector<std::pair<std::string, const Tally*>>& rows, std::string* out) {
    std::string& o = *out;
    o += "<h2>" + Escaped(title) + "</h2>\n";
    if (rows.empty()) {
        o += "<p>None refused.</p>\n";
        return;
    }
    uint32_t most = 1;
    for (const auto& row : rows)
        most = std::max(most, row.second->refused);
    const double label = 330, barMax = 480, rh = 22;
    double width = label + barMax + 70, height = rh * static_cast<double>(rows.size()) + 6;
    o += "<svg id=\"" + id + "\" class=\"chart\" role=\"img\" width=\"" + Num(width) +
         "\" height=\"" + Num(height) + "\" viewBox=\"0 0 " + Num(width) + " " + Num(height) +
         "\"><title>" + Escaped(title) + "</title>\n";
    for (size_t i = 0; i < rows.size(); ++i) {
        double y = 3 + rh * static_cast<double>(i);
        o += Text(label - 8, y + rh / 2 + 4, rows[i].first, " text-anchor=\"end\"");
        uint32_t groups[GROUP_COUNT];
        Groups(*rows[i].second, groups);
        double x = label;
        for (int g = 0; g < GROUP_COUNT; ++g) {
            if (groups[g] == 0)
                continue;
            double w = barMax * groups[g] / most;
            o += Rect(x, y + 2, w, rh - 4, GROUP_COLOURS[g],
                      rows[i].first + ": " + GROUP_NAMES[g] + " " + Figure(groups[g]));
            x += w;
        }
        o += Text(x + 6, y + rh / 2 + 4, Figure(rows[i].second->refused), " class=\"value\"");
    }
    o += "</svg>\n";
    o += "<table class=\"numbers\"><caption>" + Escaped(title) +
         "</caption><tr><th></th><th>Refused</th><th>Accepted</th><th>Reasons</th></tr>\n";
    for (const auto& row : rows) {
        std::string reasons;
        for (int k = 0; k < REASON_COUNT; ++k) {
            if (row.second->byReason[k] > 0)
                reasons += (reasons.empty() ? "" : ", ") + std::string(Reason(k).text) + " " +
                           Figure(row.second->byReason[k]);
        }
        o += "<tr><td>" + Escaped(row.first) + "</td><td>" + Figure(row.second->refused) +
             "</td><td>" + Figure(row.second->accepted) + "</td><td>" + reasons + "</td></tr>\n";
    }
    o += "</table>\n";
}

void ReasonTable(const LogSummary& s, std::string* out) {
    std::string& o = *out;
    o += "<table class=\"numbers\"><caption>Refusals by reason, in the order the filters "
         "run</caption><tr><th>Code</th><th>Refused</th><th>Filter</th></tr>\n";
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (s.total.byReason[k] > 0)
            o += std::string("<tr><td>") + Reason(k).text + "</td><td>" +
                 Figure(s.total.byReason[k]) + "</td><td>" + Reason(k).filter + "</td></tr>\n";
    }
    o += "</table>\n";
}

void UnreadTable(const LogSummary& s, std::string* out) {
    std::string& o = *out;
    o += "<h2>Refusals from facts the server could not read</h2>\n";
    std::string rows;
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (Reason(k).unreadFact && s.total.byReason[k] > 0)
            rows += std::string("<tr><td>") + Reason(k).text + "</td><td>" +
                    Figure(s.total.byReason[k]) + "</td><td>" + Escaped(Reason(k).meaning) +
                    "</td></tr>\n";
    }
    if (rows.empty()) {
        o += "<p>None.</p>\n";
        return;
    }
    o += "<table class=\"numbers\" id=\"unread-facts\"><tr><th>Code</th><th>Refused</th>"
         "<th>What it usually means</th></tr>\n" +
         rows + "</table>\n";
}

void Headline(const LogSummary& s, std::string* out) {
    std::string& o = *out;
    o += "<p class=\"headline\"><span><b id=\"accepted\">" + Figure(s.total.accepted) +
         "</b> logons accepted</span> <span><b id=\"refused\">" + Figure(s.total.refused) +
         "</b> sessions refused</span></p>\n";
    o += "<p>" +
         (s.firstTime.empty() ? std::string("No line in the period.")
                              : "From " + s.firstTime + " to " + s.lastTime + ".") +
         " Lines skipped: <span id=\"skipped\">" + Figure(s.skipped) + "</span>";
    for (size_t k = 0; k < s.firstSkipped.size(); ++k)
        o += std::string(k == 0 ? " (" : ", ") + "'" + Escaped(s.firstSkipped[k].log) + "' line " +
             std::to_string(s.firstSkipped[k].number) + ": " +
             LineProblemText(s.firstSkipped[k].problem);
    if (!s.firstSkipped.empty())
        o += s.skipped > s.firstSkipped.size() ? ", ...)" : ")";
    if (s.outsidePeriod > 0)
        o += ". Lines outside the period: " + Figure(s.outsidePeriod);
    o += ".</p>\n";
}

void ServerTables(const LogonReport& report, std::string* out) {
    std::string& o = *out;
    o += "<h2>Servers</h2>\n<div class=\"servers\">\n";
    for (size_t i = 0; i < report.servers.size(); ++i) {
        const ServerSummary& server = report.servers[i];
        const LogSummary& s = server.summary;
        o += "<table class=\"numbers server\" id=\"server-" + std::to_string(i + 1) +
             "\"><caption>" + Escaped(server.name) + "</caption>\n";
        o += "<tr><th>Period</th><td>" +
             (s.firstTime.empty() ? std::string("-")
                                  : s.firstTime.substr(0, 10) + " to " + s.lastTime.substr(0, 10)) +
             "</td></tr>\n";
        o += "<tr><th>Accepted</th><td>" + Figure(s.total.accepted) + "</td></tr>\n";
        o += "<tr><th>Refused</th><td>" + Figure(s.total.refused) + "</td></tr>\n";
        for (int k = 0; k < REASON_COUNT; ++k) {
            if (s.total.byReason[k] > 0)
                o += std::string("<tr><th>") + Reason(k).text + "</th><td>" +
                     Figure(s.total.byReason[k]) + "</td></tr>\n";
        }
        o += "<tr><th>Lines skipped</th><td>" + Figure(s.skipped) + "</td></tr>\n</table>\n";
    }
    o += "</div>\n";
}

const char STYLE[] = R"(<style>
body { font-family: Arial, Helvetica, sans-serif; font-size: 13px; color: #111; margin: 16px 24px; }
h1 { font-size: 22px; margin: 0 0 4px 0; }
h2 { font-size: 16px; margin: 22px 0 6px 0; border-bottom: 1px solid #999; }
.headline { font-size: 16px; }
.headline span { margin-right: 24px; }
svg.chart { display: block; font-size: 11px; }
svg.chart text.small { font-size: 10px; }
.legend span { margin-right: 12px; white-space: nowrap; }
table.numbers { border-collapse: collapse; margin: 6px 16px 6px 0; }
table.numbers caption { text-align: left; font-weight: bold; padding: 2px 0; }
table.numbers th, table.numbers td { border: 1px solid #bbb; padding: 2px 6px; text-align: right; }
table.numbers th:first-child, table.numbers td:first-child { text-align: left; white-space: nowrap; }
table.numbers td:last-child, table.numbers th:last-child { text-align: left; }
table.server td:last-child, table.server th:last-child { text-align: right; }
.servers table { display: inline-table; vertical-align: top; }
* { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
@media print { body { margin: 0; } h2 { break-after: avoid; } svg.chart, table { break-inside: avoid; } }
</style>
)";

} // namespace

std::string RenderReportHtml(const LogonReport& report, uint32_t codePage) {
    const LogSummary& s = report.total;
    std::string o = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                    "<title>Logon report</title>\n";
    o += STYLE;
    o += "</head>\n<body>\n<h1>Logon report</h1>\n<p>Logs: ";
    for (size_t i = 0; i < report.servers.size(); ++i) {
        o += (i == 0 ? "" : "; ") + Escaped(report.servers[i].name) + " (";
        for (size_t k = 0; k < report.servers[i].summary.logs.size(); ++k)
            o += (k == 0 ? "" : ", ") + Escaped(report.servers[i].summary.logs[k]);
        o += ")";
    }
    if (report.period.hasFrom || report.period.hasTo)
        o += ". Days asked for: " +
             (report.period.hasFrom ? DateText(report.period.fromDay) : std::string("start")) +
             " to " + (report.period.hasTo ? DateText(report.period.toDay) : std::string("end"));
    o += ".</p>\n";
    Headline(s, &o);
    ReasonTable(s, &o);
    DaysChart(s, "chart-days", &o);
    WeekHourChart(s, "chart-weekhour", &o);

    std::vector<std::pair<std::string, const Tally*>> clients, users;
    for (const auto* client : MostRefused(s.clients, REPORT_TOP)) {
        std::string address, name, mac;
        SplitClientKey(client->first, &address, &name, &mac);
        clients.push_back({(address.empty() ? "-" : address) + "  " +
                               (name.empty() ? "-" : ShownText(codePage, name)) + "  " +
                               (mac.empty() ? "-" : mac),
                           &client->second});
    }
    for (const auto* user : MostRefused(s.users, REPORT_TOP))
        users.push_back({ShownText(codePage, user->first), &user->second});
    TopChart("Clients refused most often", "chart-clients", clients, &o);
    TopChart("Users refused most often", "chart-users", users, &o);
    UnreadTable(s, &o);
    ServerTables(report, &o);
    o += "</body>\n</html>\n";
    return o;
}
