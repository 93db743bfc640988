// The report as one self-contained HTML page: inline styles and SVG charts, no script,
// no fonts, images or styles from elsewhere (servers are often off the internet), and a
// Content-Security-Policy that allows nothing else. Every chart has a title and its
// numbers as text (tooltips and a table), colours from a palette that colour-blind
// readers tell apart, scales down to the window and prints on a portrait page.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "report/logon_report.h"
#include "report/shown_text.h"

namespace {

// The charts stack refusals by filter; the facts the server could not read form one
// more group. Okabe and Ito's palette keeps the eight apart for colour-blind readers.
const int GROUP_COUNT = 8;
const int FACTS_GROUP = 7;
const char* const GROUP_CODES[GROUP_COUNT - 1] = {
    "REJECT_IPADDRESS",     "REJECT_COMPUTERNAME", "REJECT_MACADDRESS",    "REJECT_TIMERESTRICTION",
    "REJECT_CLIENTVERSION", "REJECT_SESSIONPERIP", "REJECT_SESSIONPERUSER"};
const char* const GROUP_WORDS[GROUP_COUNT] = {
    "IP address rule",         "computer name rule",
    "MAC address rule",        "logon time window",
    "client version rule",     "sessions per address limit",
    "sessions per user limit", "facts not read (REJECT_FAIL_...)"};
const char* const GROUP_COLOURS[GROUP_COUNT] = {"#0072B2", "#E69F00", "#009E73", "#CC79A7",
                                                "#56B4E9", "#D55E00", "#F0E442", "#000000"};
const char ACCEPTED_COLOUR[] = "#999999";

// How many clients and users each server's own lists show.
const size_t SERVER_TOP = 5;

int GroupOf(int reason) {
    if (Reason(reason).unreadFact)
        return FACTS_GROUP;
    for (int g = 0; g < FACTS_GROUP; ++g) {
        if (std::string(GROUP_CODES[g]) == Reason(reason).text)
            return g;
    }
    return FACTS_GROUP;
}

void Groups(const uint32_t byReason[REASON_COUNT], uint32_t out[GROUP_COUNT]) {
    std::fill(out, out + GROUP_COUNT, 0u);
    for (int k = 0; k < REASON_COUNT; ++k)
        out[GroupOf(k)] += byReason[k];
}

std::string Escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
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

// A column header that may also break before "(" and after "_": a code text in it
// would otherwise be the widest word of its column.
std::string Breakable(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '(')
            out += "<wbr>";
        out += Escaped(std::string(1, c));
        if (c == '_')
            out += "<wbr>";
    }
    return out;
}

std::string Num(double value) {
    char text[32];
    snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string Rect(double x, double y, double w, double h, const char* fill, const std::string& title,
                 const char* extra = "") {
    return "<rect x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" width=\"" + Num(w) + "\" height=\"" +
           Num(h) + "\" fill=\"" + fill + "\"" + extra + "><title>" + Escaped(title) +
           "</title></rect>";
}

std::string Text(double x, double y, const std::string& text, const char* extra = "") {
    return "<text x=\"" + Num(x) + "\" y=\"" + Num(y) + "\"" + extra + ">" + Escaped(text) +
           "</text>";
}

// An svg that keeps its proportions and shrinks with the page (CSS max-width: 100%).
std::string SvgStart(const std::string& id, double width, double height, const std::string& title) {
    return "<svg id=\"" + id + "\" class=\"chart\" role=\"img\" width=\"" + Num(width) +
           "\" height=\"" + Num(height) + "\" viewBox=\"0 0 " + Num(width) + " " + Num(height) +
           "\"><title>" + Escaped(title) + "</title>\n";
}

// A rounded-up scale maximum whose quarters are round: 1, 2, 4, 5, 8, 10, 20, ...
uint32_t ScaleTop(uint32_t value) {
    uint32_t step = 1;
    for (;;) {
        for (uint32_t m : {1u, 2u, 4u, 5u, 8u}) {
            if (static_cast<uint64_t>(step) * m >= value)
                return step * m;
        }
        if (step > 400000000u)
            return value;
        step *= 10;
    }
}

std::string Swatch(const char* colour) {
    return std::string("<svg width=\"12\" height=\"12\" aria-hidden=\"true\"><rect width=\"12\" "
                       "height=\"12\" fill=\"") +
           colour + "\" stroke=\"#333\" stroke-width=\"0.5\"/></svg> ";
}

std::string Legend() {
    std::string o = "<p class=\"legend\">";
    for (int g = 0; g < GROUP_COUNT; ++g)
        o += "<span>" + Swatch(GROUP_COLOURS[g]) + Escaped(GROUP_WORDS[g]) + "</span> ";
    return o + "</p>\n";
}

// A reason told in the console's words with its code beside it.
std::string ReasonCell(int k) {
    return std::string(Reason(k).words) + " <code>" + Reason(k).text + "</code>";
}

std::string ReasonList(const uint32_t counts[REASON_COUNT]) {
    std::string out;
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (counts[k] > 0)
            out +=
                (out.empty() ? "" : ", ") + std::string(Reason(k).words) + " " + Figure(counts[k]);
    }
    return out;
}

void SectionStart(const std::string& id, const std::string& heading, std::string* out) {
    *out += "<section aria-labelledby=\"h-" + id + "\">\n<h2 id=\"h-" + id + "\">" +
            Escaped(heading) + "</h2>\n";
}

// The relative luminance of "#RRGGBB" and the text colour that reads best on it;
// black or white on any fill gives a contrast of at least 4.5:1.
const char* TextColourOn(int r, int g, int b) {
    auto channel = [](int v) {
        double c = v / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    double l = 0.2126 * channel(r) + 0.7152 * channel(g) + 0.0722 * channel(b);
    double onBlack = (l + 0.05) / 0.05, onWhite = 1.05 / (l + 0.05);
    return onBlack >= onWhite ? "#000" : "#fff";
}

// Refusals per day (or week) stacked by reason on their own scale, then the accepted
// logons in a chart of their own, and the refusals filters only audited in a third when
// there are any; a day without any line is marked as such.
void DaysChart(const LogonReport& report, const LogSummary& s, std::string* out) {
    std::string& o = *out;
    int32_t first, last;
    if (!ReportDays(report, &first, &last)) {
        SectionStart("days", "Refusals per day", &o);
        o += "<p>No line in the period.</p>\n</section>\n";
        return;
    }
    const bool audit = ReportHasAudit(report);
    bool byWeek = last - first + 1 > REPORT_DAYS_SHOWN;
    const std::string unit = byWeek ? "week" : "day";
    SectionStart("days", "Refusals per " + unit, &o);
    if (byWeek)
        o += "<p>The period is longer than " + std::to_string(REPORT_DAYS_SHOWN) +
             " days: one column per week, from Monday.</p>\n";
    auto buckets = DayBuckets(s, first, last, byWeek);
    auto label = [&](int32_t day) { return byWeek ? "week of " + DateText(day) : DateText(day); };
    const double left = 56, right = 10, chartWidth = 760;
    double slot = (chartWidth - left - right) / static_cast<double>(buckets.size());
    double bar = std::max(1.0, std::min(slot - 2, 30.0));
    size_t labelEvery = std::max<size_t>(1, static_cast<size_t>(std::ceil(48.0 / slot)));

    // One chart: refusals (tall), accepted logons or audited refusals (short), each on
    // its own scale.
    enum Series { REFUSED, ACCEPTED, AUDITED };
    auto chart = [&](Series series) {
        const bool tall = series == REFUSED;
        const double topPad = 10, height = tall ? 200 : 80, bottom = 34;
        uint32_t most = 1;
        for (const auto& b : buckets)
            most = std::max(most, series == REFUSED    ? b.second.refused
                                  : series == ACCEPTED ? b.second.accepted
                                                       : b.second.audited);
        uint32_t top = ScaleTop(most);
        o += SvgStart(series == REFUSED    ? "chart-days"
                      : series == ACCEPTED ? "chart-days-accepted"
                                           : "chart-days-audited",
                      chartWidth, topPad + height + bottom,
                      series == REFUSED ? "Refusals per " + unit + " by reason"
                      : series == ACCEPTED
                          ? "Accepted logons per " + unit
                          : "Audited refusals per " + unit + " by reason (the sessions went on)");
        for (int k = 0; k <= (tall ? 4 : 2); ++k) {
            double y = topPad + height - height * k / (tall ? 4 : 2);
            o += "<line x1=\"" + Num(left) + "\" x2=\"" + Num(chartWidth - right) + "\" y1=\"" +
                 Num(y) + "\" y2=\"" + Num(y) + "\" stroke=\"#ddd\"/>";
            o += Text(left - 6, y + 4, Figure(static_cast<uint64_t>(top) * k / (tall ? 4 : 2)),
                      " text-anchor=\"end\"");
        }
        for (size_t i = 0; i < buckets.size(); ++i) {
            const Tally& t = buckets[i].second;
            std::string name = label(buckets[i].first);
            double x = left + slot * static_cast<double>(i) + (slot - bar) / 2;
            if (t.Lines() == 0) {
                o += Rect(x, topPad, bar, height, "url(#none)", name + ": no line",
                          " class=\"silent\"");
            } else if (series != ACCEPTED) {
                uint32_t groups[GROUP_COUNT];
                Groups(series == REFUSED ? t.byReason : t.auditedByReason, groups);
                double y = topPad + height;
                for (int g = 0; g < GROUP_COUNT; ++g) {
                    if (groups[g] == 0)
                        continue;
                    double h = height * groups[g] / top;
                    y -= h;
                    o += Rect(x, y, bar, h, GROUP_COLOURS[g],
                              name + (series == AUDITED ? ": audited, " : ": ") + GROUP_WORDS[g] +
                                  " " + Figure(groups[g]));
                }
            } else if (t.accepted > 0) {
                double h = height * t.accepted / top;
                o += Rect(x, topPad + height - h, bar, h, ACCEPTED_COLOUR,
                          name + ": accepted " + Figure(t.accepted));
            }
            if (i % labelEvery == 0)
                o += Text(left + slot * static_cast<double>(i) + slot / 2, topPad + height + 14,
                          DateText(buckets[i].first).substr(5),
                          " text-anchor=\"middle\" class=\"small\"");
        }
        o += "</svg>\n";
    };
    o += "<svg width=\"0\" height=\"0\" aria-hidden=\"true\" class=\"defs\"><defs><pattern "
         "id=\"none\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\"><rect width=\"6\" "
         "height=\"6\" fill=\"#fff\"/><path d=\"M0 6L6 0\" stroke=\"#999\"/></pattern></defs>"
         "</svg>\n";
    chart(REFUSED);
    o += Legend();
    o += "<p class=\"legend\"><span>" + Swatch("url(#none)") + "no line at all that " + unit +
         "</span></p>\n";
    chart(ACCEPTED);
    if (audit) {
        o += "<h3>Refusals audited per " + unit +
             " (filters that only audit: the sessions went on)</h3>\n";
        chart(AUDITED);
    }

    // The numbers by filter; the breakdown by code is in the CSV and JSON.
    bool used[GROUP_COUNT] = {};
    uint32_t totals[GROUP_COUNT];
    Groups(s.total.byReason, totals);
    for (int g = 0; g < GROUP_COUNT; ++g)
        used[g] = totals[g] > 0;
    o += "<table class=\"numbers\" id=\"days-table\"><caption>Logons per " + unit +
         " (refusals by filter)</caption><thead><tr><th scope=\"col\">" +
         (byWeek ? "Week from" : "Day") +
         "</th><th scope=\"col\">Accepted</th><th scope=\"col\">Refused</th>";
    if (audit)
        o += "<th scope=\"col\">Audited</th>";
    for (int g = 0; g < GROUP_COUNT; ++g) {
        if (used[g])
            o += "<th scope=\"col\">" + Breakable(GROUP_WORDS[g]) + "</th>";
    }
    o += "</tr></thead><tbody>\n";
    for (const auto& b : buckets) {
        const Tally& t = b.second;
        o += "<tr><th scope=\"row\">" + DateText(b.first) + " " +
             WeekdayName(WeekdayOfDays(b.first)) + "</th>";
        if (t.Lines() == 0) {
            int span = audit ? 3 : 2;
            for (int g = 0; g < GROUP_COUNT; ++g)
                span += used[g];
            o +=
                "<td colspan=\"" + std::to_string(span) + "\" class=\"silent\">no line</td></tr>\n";
            continue;
        }
        uint32_t groups[GROUP_COUNT];
        Groups(t.byReason, groups);
        o += "<td>" + Figure(t.accepted) + "</td><td>" + Figure(t.refused) + "</td>";
        if (audit)
            o += "<td>" + Figure(t.audited) + "</td>";
        for (int g = 0; g < GROUP_COUNT; ++g) {
            if (used[g])
                o += "<td>" + Figure(groups[g]) + "</td>";
        }
        o += "</tr>\n";
    }
    o += "</tbody></table>\n<p class=\"note\">Every code on its own: <code>gwconfig report "
         "--format csv</code> or <code>--format json</code>.</p>\n</section>\n";
}

// Refusals by weekday and hour: darker is more; each cell shows its number.
void WeekHourChart(const uint32_t grid[7][24], const std::string& id, const std::string& title,
                   std::string* out) {
    std::string& o = *out;
    o += "<h3>" + Escaped(title) + "</h3>\n";
    uint32_t most = 0;
    for (int d = 0; d < 7; ++d)
        for (int h = 0; h < 24; ++h)
            most = std::max(most, grid[d][h]);
    if (most == 0) {
        o += "<p>None.</p>\n";
        return;
    }
    const double left = 36, top = 18, cw = 30, ch = 20;
    double width = left + cw * 24 + 4, height = top + ch * 7 + 4;
    o += SvgStart(id, width, height, title + " by weekday and hour of the server's local time");
    for (int h = 0; h < 24; ++h)
        o += Text(left + cw * h + cw / 2, top - 5, std::to_string(h),
                  " text-anchor=\"middle\" class=\"small\"");
    for (int d = 0; d < 7; ++d) {
        o += Text(left - 6, top + ch * d + ch / 2 + 4, WeekdayName(d), " text-anchor=\"end\"");
        for (int h = 0; h < 24; ++h) {
            uint32_t n = grid[d][h];
            // White to dark blue: lightness alone carries the number.
            double level = static_cast<double>(n) / most;
            int r = static_cast<int>(247 - level * (247 - 8));
            int g = static_cast<int>(251 - level * (251 - 48));
            int b = static_cast<int>(255 - level * (255 - 107));
            char fill[8];
            snprintf(fill, sizeof fill, "#%02X%02X%02X", r, g, b);
            char hours[32];
            snprintf(hours, sizeof hours, " %02d:00-%02d:59: ", h, h);
            o += Rect(left + cw * h, top + ch * d, cw, ch, fill,
                      std::string(WeekdayName(d)) + hours + Figure(n) + " refused",
                      " stroke=\"#ccc\" stroke-width=\"0.5\"");
            if (n > 0)
                o += Text(left + cw * h + cw / 2, top + ch * d + ch / 2 + 4, Figure(n),
                          (std::string(" text-anchor=\"middle\" class=\"small\" fill=\"") +
                           TextColourOn(r, g, b) + "\"")
                              .c_str());
        }
    }
    o += "</svg>\n";
}

struct TopRow {
    std::string label; // in the chart, cut to fit
    std::string whole; // in the tooltip and the table
    const Tally* tally;
};

// Horizontal bars of the most refused clients or users, stacked by reason, with the
// number at the end of each bar; the table holds the whole names, the first and last
// line and the reasons.
void TopChart(const std::string& title, const std::string& id, const std::vector<TopRow>& rows,
              std::string* out) {
    std::string& o = *out;
    o += "<h3>" + Escaped(title) + "</h3>\n";
    if (rows.empty()) {
        o += "<p>None refused.</p>\n";
        return;
    }
    uint32_t most = 1;
    for (const TopRow& row : rows)
        most = std::max(most, row.tally->refused);
    const double label = 330, barMax = 350, rh = 22;
    double width = label + barMax + 60, height = rh * static_cast<double>(rows.size()) + 6;
    o += SvgStart(id, width, height, title);
    for (size_t i = 0; i < rows.size(); ++i) {
        double y = 3 + rh * static_cast<double>(i);
        o += "<text x=\"4\" y=\"" + Num(y + rh / 2 + 4) + "\"><title>" + Escaped(rows[i].whole) +
             "</title>" + Escaped(rows[i].label) + "</text>";
        uint32_t groups[GROUP_COUNT];
        Groups(rows[i].tally->byReason, groups);
        double x = label;
        for (int g = 0; g < GROUP_COUNT; ++g) {
            if (groups[g] == 0)
                continue;
            double w = barMax * groups[g] / most;
            o += Rect(x, y + 2, w, rh - 4, GROUP_COLOURS[g],
                      rows[i].whole + ": " + GROUP_WORDS[g] + " " + Figure(groups[g]),
                      " stroke=\"#333\" stroke-width=\"0.3\"");
            x += w;
        }
        o += Text(x + 6, y + rh / 2 + 4, Figure(rows[i].tally->refused), " class=\"value\"");
    }
    o += "</svg>\n";
}

// The rows' refusals, or with `audited` the refusals filters only audited.
void TopTable(const std::string& caption, const std::string& id, const std::string& what,
              const std::vector<TopRow>& rows, std::string* out, bool audited = false) {
    if (rows.empty())
        return;
    std::string& o = *out;
    o += "<table class=\"numbers top\"" + (id.empty() ? std::string() : " id=\"" + id + "\"") +
         "><caption>" + Escaped(caption) + "</caption><thead><tr><th scope=\"col\">" + what +
         "</th><th scope=\"col\">" + (audited ? "Audited" : "Refused") +
         "</th><th scope=\"col\">Accepted</th><th "
         "scope=\"col\">First line</th><th scope=\"col\">Last line</th><th "
         "scope=\"col\">Reasons</th></tr></thead><tbody>\n";
    for (const TopRow& row : rows)
        o += "<tr><th scope=\"row\" class=\"name\">" + Escaped(row.whole) + "</th><td>" +
             Figure(audited ? row.tally->audited : row.tally->refused) + "</td><td>" +
             Figure(row.tally->accepted) + "</td><td class=\"time\">" +
             TimeText(row.tally->firstSeen) + "</td><td class=\"time\">" +
             TimeText(row.tally->lastSeen) + "</td><td>" +
             Escaped(ReasonList(audited ? row.tally->auditedByReason : row.tally->byReason)) +
             "</td></tr>\n";
    o += "</tbody></table>\n";
}

using Top = std::vector<const std::pair<const std::string, Tally>*>;
using Toplist = TallyTops<std::string>;

std::vector<TopRow> ClientRows(const Top& top, uint32_t codePage) {
    std::vector<TopRow> rows;
    for (const auto* client : top) {
        std::string address, name, mac;
        SplitClientKey(client->first, &address, &name, &mac);
        address = address.empty() ? "-" : ShownText(codePage, address);
        name = name.empty() ? "-" : ShownText(codePage, name);
        mac = mac.empty() ? "-" : ShownText(codePage, mac);
        // The address first: a long name is cut, never the address.
        rows.push_back({CutToWidth(address, 15) + "  " + CutToWidth(name, 22),
                        address + "  " + name + "  " + mac, &client->second});
    }
    return rows;
}

std::vector<TopRow> UserRows(const Top& top, uint32_t codePage) {
    std::vector<TopRow> rows;
    for (const auto* user : top) {
        std::string name = ShownText(codePage, user->first);
        rows.push_back({CutToWidth(name, 30), name, &user->second});
    }
    return rows;
}

// The networks refused most often, with how many refused addresses each holds: a scan
// spread over many addresses shows here even when no single address stands out.
void NetworkTable(const LogSummary& s, const std::unordered_map<uint32_t, Tally>& nets, int bits,
                  std::string* out) {
    auto top = MostRefused(nets, REPORT_TOP);
    std::string& o = *out;
    if (top.empty())
        return;
    std::map<uint32_t, std::set<uint32_t>> addresses;
    for (const auto* net : top)
        addresses[net->first];
    for (const auto& client : s.clients) {
        uint32_t address;
        if (client.second.refused == 0 ||
            !AddressNumber(client.first.substr(0, client.first.find(CLIENT_KEY_SEPARATOR)),
                           &address))
            continue;
        auto found = addresses.find(address >> (32 - bits));
        if (found != addresses.end())
            found->second.insert(address);
    }
    o += "<table class=\"numbers nets\" id=\"networks-" + std::to_string(bits) +
         "\"><caption>Networks (/" + std::to_string(bits) +
         ")</caption><thead><tr><th scope=\"col\">Network</th><th scope=\"col\">Refused</th><th "
         "scope=\"col\">Addresses refused</th><th scope=\"col\">First line</th><th "
         "scope=\"col\">Last line</th></tr></thead><tbody>\n";
    for (const auto* net : top)
        o += "<tr><th scope=\"row\">" + NetworkText(net->first, bits) + "</th><td>" +
             Figure(net->second.refused) + "</td><td>" + Figure(addresses[net->first].size()) +
             "</td><td class=\"time\">" + TimeText(net->second.firstSeen) +
             "</td><td class=\"time\">" + TimeText(net->second.lastSeen) + "</td></tr>\n";
    o += "</tbody></table>\n";
}

void ReasonTable(const LogSummary& s, std::string* out) {
    std::string& o = *out;
    SectionStart("reasons", "Refusals by reason", &o);
    if (s.total.refused == 0) {
        o += "<p>None refused.</p>\n</section>\n";
        return;
    }
    o += "<table class=\"numbers\" id=\"reasons\"><caption>In the order the filters "
         "run</caption><thead><tr><th scope=\"col\">Reason</th><th "
         "scope=\"col\">Refused</th><th scope=\"col\">Filter</th></tr></thead><tbody>\n";
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (s.total.byReason[k] > 0)
            o += "<tr><th scope=\"row\">" + ReasonCell(k) + "</th><td>" +
                 Figure(s.total.byReason[k]) + "</td><td>" + Reason(k).filter + "</td></tr>\n";
    }
    o += "</tbody></table>\n</section>\n";
}

// What filters that only audit would have refused, in the console's words, and whom.
void AuditTable(const LogSummary& s, const Toplist& clients, const Toplist& users,
                uint32_t codePage, std::string* out) {
    std::string& o = *out;
    SectionStart("audit", "What the audit found", &o);
    o += "<p>Filters that only audit let these sessions go on; each line is a refusal they "
         "would have made. The sessions' logons count as accepted.</p>\n";
    if (s.total.audited == 0) {
        o += "<p>None audited.</p>\n</section>\n";
        return;
    }
    o += "<table class=\"numbers\" id=\"audited-reasons\"><caption>In the order the filters "
         "run</caption><thead><tr><th scope=\"col\">Would have been</th><th "
         "scope=\"col\">Audited</th><th scope=\"col\">Code</th></tr></thead><tbody>\n";
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (s.total.auditedByReason[k] > 0)
            o += "<tr><th scope=\"row\">" + Escaped(AuditWords(k)) + "</th><td>" +
                 Figure(s.total.auditedByReason[k]) + "</td><td><code>" + Reason(k).text +
                 "</code></td></tr>\n";
    }
    o += "</tbody></table>\n";
    TopTable("Clients the audit found most often (address, computer name, MAC address)",
             "top-audited-clients", "Client", ClientRows(clients.mostAudited, codePage), &o, true);
    TopTable("Users the audit found most often", "top-audited-users", "User",
             UserRows(users.mostAudited, codePage), &o, true);
    o += "</section>\n";
}

void UnreadTable(const LogSummary& s, std::string* out) {
    std::string& o = *out;
    SectionStart("unread", "Refusals from facts the server could not read", &o);
    std::string rows;
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (Reason(k).unreadFact && s.total.byReason[k] > 0)
            rows += "<tr><th scope=\"row\">" + ReasonCell(k) + "</th><td>" +
                    Figure(s.total.byReason[k]) + "</td><td>" + Escaped(Reason(k).meaning) +
                    "</td></tr>\n";
    }
    if (rows.empty()) {
        o += "<p>None.</p>\n</section>\n";
        return;
    }
    o += "<table class=\"numbers\" id=\"unread-facts\"><thead><tr><th scope=\"col\">Reason</th>"
         "<th scope=\"col\">Refused</th><th scope=\"col\">What it usually means</th></tr>"
         "</thead><tbody>\n" +
         rows + "</tbody></table>\n</section>\n";
}

std::string SilentText(const LogSummary& s, int32_t first, int32_t last) {
    std::string text;
    for (const auto& run : SilentDays(s, first, last))
        text += (text.empty() ? "" : ", ") + DaysText(run);
    return text;
}

void Headline(const LogonReport& report, const Toplist& clients, const Toplist& users,
              std::string* out) {
    const LogSummary& s = report.total;
    std::string& o = *out;
    SectionStart("summary", "Summary", &o);
    o += "<p class=\"headline\"><span><b id=\"accepted\">" + Figure(s.total.accepted) +
         "</b> logons accepted</span> <span><b id=\"refused\">" + Figure(s.total.refused) +
         "</b> sessions refused</span> <span><b id=\"distinct-clients\">" +
         Figure(clients.refused) + "</b> clients and <b id=\"distinct-users\">" +
         Figure(users.refused) + "</b> users refused</span>";
    if (ReportHasAudit(report))
        o += " <span><b id=\"audited\">" + Figure(s.total.audited) +
             "</b> refusals audited (the sessions went on)</span>";
    o += "</p>\n";
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
    // A server that logged nothing for a day is news: it may be down, or its log off.
    int32_t first, last;
    if (ReportDays(report, &first, &last)) {
        o += "<ul id=\"silent-days\">\n";
        for (const ServerSummary& server : report.servers) {
            std::string silent = SilentText(server.summary, first, last);
            o += "<li>" + Escaped(server.name) + ": " +
                 (silent.empty() ? std::string("a line on every day")
                                 : "<strong>no line on " + silent + "</strong>") +
                 "</li>\n";
        }
        o += "</ul>\n";
    }
    o += "</section>\n";
}

// Servers x reasons, then each server's own numbers and lists.
void ServerTables(const LogonReport& report, uint32_t codePage, std::string* out) {
    std::string& o = *out;
    SectionStart("servers", "Servers", &o);
    o += "<table class=\"numbers\" id=\"servers-reasons\"><caption>Refusals by server and "
         "reason</caption><thead><tr><th scope=\"col\">Reason</th>";
    for (const ServerSummary& server : report.servers)
        o += "<th scope=\"col\">" + Escaped(server.name) + "</th>";
    o += "</tr></thead><tbody>\n";
    auto row = [&](const std::string& head, auto value) {
        o += "<tr><th scope=\"row\">" + head + "</th>";
        for (const ServerSummary& server : report.servers)
            o += "<td>" + Figure(value(server.summary)) + "</td>";
        o += "</tr>\n";
    };
    row("Accepted", [](const LogSummary& s) { return s.total.accepted; });
    row("Refused", [](const LogSummary& s) { return s.total.refused; });
    for (int k = 0; k < REASON_COUNT; ++k) {
        if (report.total.total.byReason[k] > 0)
            row(ReasonCell(k), [k](const LogSummary& s) { return s.total.byReason[k]; });
    }
    if (ReportHasAudit(report)) {
        row("Audited", [](const LogSummary& s) { return s.total.audited; });
        for (int k = 0; k < REASON_COUNT; ++k) {
            if (report.total.total.auditedByReason[k] > 0)
                row("audited: " + Escaped(AuditWords(k)) + " <code>" + Reason(k).text + "</code>",
                    [k](const LogSummary& s) { return s.total.auditedByReason[k]; });
        }
    }
    o += "</tbody></table>\n";
    int32_t first = 0, last = -1;
    ReportDays(report, &first, &last);
    for (size_t i = 0; i < report.servers.size(); ++i) {
        const ServerSummary& server = report.servers[i];
        const LogSummary& s = server.summary;
        o += "<h3>" + Escaped(server.name) + "</h3>\n";
        o += "<table class=\"numbers server\" id=\"server-" + std::to_string(i + 1) +
             "\"><caption>" + Escaped(server.name) +
             "</caption><thead><tr><th "
             "scope=\"col\">Count</th><th scope=\"col\">Value</th></tr></thead><tbody>\n";
        std::string silent = first <= last ? SilentText(s, first, last) : std::string();
        o += "<tr><th scope=\"row\">Period</th><td>" +
             (s.firstTime.empty() ? std::string("-")
                                  : s.firstTime.substr(0, 10) + " to " + s.lastTime.substr(0, 10)) +
             "</td></tr>\n";
        o += "<tr><th scope=\"row\">Days without a line</th><td class=\"wrap\">" +
             (silent.empty() ? std::string("none") : silent) + "</td></tr>\n";
        o += "<tr><th scope=\"row\">Accepted</th><td>" + Figure(s.total.accepted) + "</td></tr>\n";
        o += "<tr><th scope=\"row\">Refused</th><td>" + Figure(s.total.refused) + "</td></tr>\n";
        if (ReportHasAudit(report))
            o +=
                "<tr><th scope=\"row\">Audited</th><td>" + Figure(s.total.audited) + "</td></tr>\n";
        o += "<tr><th scope=\"row\">Lines skipped</th><td>" + Figure(s.skipped) +
             "</td></tr>\n</tbody></table>\n";
        TopTable("Clients refused most often on " + server.name, "", "Client",
                 ClientRows(Tops(s.clients, SERVER_TOP).mostRefused, codePage), &o);
        TopTable("Users refused most often on " + server.name, "", "User",
                 UserRows(Tops(s.users, SERVER_TOP).mostRefused, codePage), &o);
    }
    o += "</section>\n";
}

const char STYLE[] = R"(<style>
body { font-family: Arial, Helvetica, sans-serif; font-size: 13px; color: #111; margin: 16px; }
main { max-width: 1100px; }
h1 { font-size: 22px; margin: 0 0 4px 0; }
h2 { font-size: 17px; margin: 24px 0 6px 0; border-bottom: 1px solid #767676; }
h3 { font-size: 14px; margin: 14px 0 4px 0; }
code { font-size: 11px; color: #333; }
.headline { font-size: 16px; }
.headline span { margin-right: 20px; }
svg.chart { display: block; max-width: 100%; height: auto; font-size: 11px; }
svg.chart text.small { font-size: 10px; }
svg.defs { position: absolute; }
.legend span { margin-right: 12px; white-space: nowrap; }
.note { color: #444; }
table.numbers { border-collapse: collapse; margin: 6px 16px 10px 0; max-width: 100%; }
table.numbers caption { text-align: left; font-weight: bold; padding: 2px 0; }
table.numbers th, table.numbers td { border: 1px solid #bbb; padding: 2px 5px; text-align: right;
  vertical-align: top; }
table.numbers td, table.numbers tbody th { white-space: nowrap; }
table.numbers thead th { text-align: center; font-weight: bold; background: #f2f2f2; }
table.numbers tbody th { text-align: left; font-weight: normal; }
table.numbers td.silent { text-align: center; color: #555; font-style: italic; }
table.top td:last-child, table.numbers#unread-facts td:last-child, table#reasons td:last-child,
  table#audited-reasons td:last-child { text-align: left; }
table.top th.name, table.top td:last-child, table#unread-facts td:last-child, td.wrap
  { white-space: normal; overflow-wrap: anywhere; }
table.top th.name { min-width: 12em; }
td.time { white-space: nowrap; }
table#days-table { font-size: 12px; }
table#days-table th, table#days-table td { padding: 2px 3px; }
table#days-table thead th { font-size: 11px; vertical-align: bottom; }
table.server, table.nets { display: inline-table; vertical-align: top; }
* { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
@page { margin: 12mm; }
@media print {
  body { margin: 0; font-size: 11px; }
  h2, h3 { break-after: avoid; }
  svg.chart, tr, caption, table#days-table { break-inside: avoid; }
  table.numbers th, table.numbers td { padding: 1px 3px; }
}
</style>
)";

} // namespace

std::string RenderReportHtml(const LogonReport& report, uint32_t codePage) {
    const LogSummary& s = report.total;
    std::string o =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src "
        "'unsafe-inline'\">\n<meta name=\"viewport\" content=\"width=device-width, "
        "initial-scale=1\">\n<title>Logon report</title>\n";
    o += STYLE;
    o += "</head>\n<body>\n<main>\n<h1>Logon report</h1>\n<p>Logs: ";
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
    const Toplist clientTops = Tops(s.clients, REPORT_TOP);
    const Toplist userTops = Tops(s.users, REPORT_TOP);
    Headline(report, clientTops, userTops, &o);
    ReasonTable(s, &o);
    if (ReportHasAudit(report))
        AuditTable(s, clientTops, userTops, codePage, &o);
    DaysChart(report, s, &o);

    SectionStart("weekhour", "Refusals by weekday and hour", &o);
    uint32_t other[7][24];
    for (int d = 0; d < 7; ++d)
        for (int h = 0; h < 24; ++h)
            other[d][h] = s.weekHour[d][h] - s.weekHourTime[d][h];
    WeekHourChart(s.weekHourTime, "chart-weekhour-time", "Logon time window", &o);
    WeekHourChart(other, "chart-weekhour-other", "Every other reason", &o);
    o += "</section>\n";

    SectionStart("top", "Clients, users and networks refused most often", &o);
    std::vector<TopRow> clients = ClientRows(clientTops.mostRefused, codePage);
    std::vector<TopRow> users = UserRows(userTops.mostRefused, codePage);
    TopChart("Clients refused most often", "chart-clients", clients, &o);
    o += Legend();
    TopTable("Clients refused most often (address, computer name, MAC address)", "top-clients",
             "Client", clients, &o);
    TopChart("Users refused most often", "chart-users", users, &o);
    TopTable("Users refused most often", "top-users", "User", users, &o);
    o += "<h3>Networks refused most often</h3>\n";
    const auto nets24 = NetworkTallies(s, 24);
    const auto nets16 = WiderNetworks(nets24, 24, 16);
    if (RefusedCount(nets16) == 0)
        o += "<p>None refused.</p>\n";
    NetworkTable(s, nets24, 24, &o);
    NetworkTable(s, nets16, 16, &o);
    o += "</section>\n";
    UnreadTable(s, &o);
    ServerTables(report, codePage, &o);
    o += "</main>\n</body>\n</html>\n";
    return o;
}
