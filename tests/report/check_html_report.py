#!/usr/bin/env python3
"""The html logon report as a browser sees it.

Writes the logs of a three-server farm (a month of logons, a MAC filter that starts
refusing behind a new router, a time window set too early, a refusal by every filter, a
server silent for three days, a client with a 63-character name, one with control
characters in its name, a scan over a /24, a damaged line), has gwconfig render the html report, loads it in
headless Chromium and reads the DOM that Chromium built: every chart must be there with
the numbers counted here, independently, from the same lines. Then it measures the page
in frames 800 and 1366 px wide and prints it on A4 and Letter (pdftotext reads the PDF).
With --screenshots FOLDER it keeps pictures of the page and of the printed pages.
"""
import argparse
import collections
import datetime
import html
import html.parser
import json
import os
import random
import re
import subprocess
import sys
import tempfile

GROUP_WORDS = {"REJECT_IPADDRESS": "IP address rule", "REJECT_COMPUTERNAME": "computer name rule",
               "REJECT_MACADDRESS": "MAC address rule",
               "REJECT_TIMERESTRICTION": "logon time window",
               "REJECT_CLIENTVERSION": "client version rule",
               "REJECT_SESSIONPERIP": "sessions per address limit",
               "REJECT_SESSIONPERUSER": "sessions per user limit"}
FACTS = "facts not read (REJECT_FAIL_...)"
WEEKDAYS = ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"]


LONG_NAME = "WORKSTATION-OF-THE-ACCOUNTING-DEPARTMENT-ON-THE-THIRD-FLOOR-X63"  # 63 chars
CONTROL_NAME = "EVIL\x1b]0;owned\x07PC"
SCAN_NET = "192.168.50"


def farm_logs(folder):
    """Writes the logs; returns {server: [(time, name, address, mac, user, code)]} of the
    accepted and refused lines, and of the lines filters only audited."""
    rng = random.Random(17)
    start = datetime.datetime(2026, 11, 1, 0, 0, 0)
    servers = {}
    audits = {}
    clients = [("10.20.0.%d" % k, "WS-%03d" % k, "00-1A-2B-3C-4D-%02X" % k) for k in range(1, 40)]
    users = ["anna", "bernd", "chloé", "dmitri", "eva", "farid", "grete", "hugo"]
    for server in ["TS1", "TS2", "TS3"]:
        lines = []
        for day in range(30):
            date = start + datetime.timedelta(days=day)
            if server == "TS3" and 9 <= day <= 11:
                continue  # 10 to 12 November: the server logged nothing
            count = 6 if date.weekday() >= 5 else 60
            for _ in range(count):
                when = date + datetime.timedelta(hours=rng.choice(range(6, 19)),
                                                 minutes=rng.randrange(60),
                                                 seconds=rng.randrange(60))
                address, name, mac = rng.choice(clients)
                user = rng.choice(users)
                code = ""
                roll = rng.random()
                if when.hour < 7:
                    code = "REJECT_TIMERESTRICTION"
                elif server == "TS2" and day >= 20 and roll < 0.5:
                    # Behind the new router the server sees no MAC address.
                    code, mac = "REJECT_FAIL_GETMACADDRESS", ""
                elif roll < 0.03:
                    code = "REJECT_IPADDRESS"
                    address, name, mac = "192.168.7.66", "EVIL,LAPTOP", "00-0C-29-AA-BB-CC"
                elif roll < 0.09:
                    code = "REJECT_COMPUTERNAME"
                    address, name, mac = "10.20.9.9", LONG_NAME, "00-0C-29-AA-BB-CD"
                elif roll < 0.10:
                    code = "REJECT_COMPUTERNAME"
                    address, name, mac = "10.20.9.8", CONTROL_NAME, ""
                elif roll < 0.12:
                    code = "REJECT_SESSIONPERUSER"
                elif roll < 0.14:
                    code = "REJECT_CLIENTVERSION"
                elif roll < 0.15:
                    code = "REJECT_MACADDRESS"
                elif roll < 0.16:
                    code = "REJECT_SESSIONPERIP"
                if code and code != "REJECT_SESSIONPERUSER":
                    user = ""  # refused at session start, before the logon
                lines.append((when.strftime("%Y-%m-%d %H:%M:%S"), name, address, mac, user, code))
        if server == "TS1":
            # A scan: every address of one network tried once, none often enough to lead.
            for k in range(1, 193):
                when = start + datetime.timedelta(days=25, hours=2, seconds=k * 17)
                lines.append((when.strftime("%Y-%m-%d %H:%M:%S"), "SCAN", "%s.%d" % (SCAN_NET, k),
                              "", "", "REJECT_IPADDRESS"))
        lines.sort()
        servers[server] = lines
        # From the 15th TS1 tries a computer name and a MAC address rule in audit mode:
        # an "Audited" line at session start, then the session's own "Accepted" line.
        audited = []
        if server == "TS1":
            for time, name, address, mac, user, code in lines:
                if not code and time >= "2026-11-15" and name[-1] in "37":
                    audited.append((time, name, address, mac, "", "REJECT_COMPUTERNAME"
                                    if name[-1] == "7" else "REJECT_MACADDRESS"))
        audits[server] = audited
        rows = sorted([(line, "Rejected" if line[5] else "Accepted") for line in lines] +
                      [(line, "Audited") for line in audited])
        with open(os.path.join(folder, server + ".log"), "wb") as log:
            for k, ((time, name, address, mac, user, code), decision) in enumerate(rows):
                text = "%s,%s,%s,%s,RDP-Tcp#%d,%s,%d,%s,%s,\r\n" % (
                    time, name, address, mac, k % 9, user, 2 + k % 50, decision, code)
                log.write(text.encode("cp1252"))
            if server == "TS3":
                log.write(b"2026-11-30 10:00:00,broken line\r\n")
    return servers, audits


class Dom(html.parser.HTMLParser):
    """The parts of the page the checks read: element ids, titles of rects per chart,
    texts per chart, and table cells per table id."""

    def __init__(self):
        super().__init__()
        self.stack = []
        self.chart = None
        self.rect_titles = collections.defaultdict(list)
        self.chart_texts = collections.defaultdict(list)
        self.chart_titles = {}
        self.tables = collections.defaultdict(list)
        self.table = None
        self.ids = collections.defaultdict(str)
        self.current_id = None
        self.tags = collections.Counter()
        self.external = []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        self.tags[tag] += 1
        for key in ("src", "href"):
            if key in attrs:
                self.external.append(attrs[key])
        if tag == "link" or tag == "img" or tag == "iframe":
            self.external.append(tag)
        if tag == "svg" and attrs.get("id"):
            self.chart = attrs["id"]
        if tag == "table" and attrs.get("id"):
            self.table = attrs["id"]
        if attrs.get("id"):
            self.current_id = attrs["id"]
        self.stack.append(tag)

    def handle_endtag(self, tag):
        while self.stack and self.stack.pop() != tag:
            pass
        if tag == "svg" and "svg" not in self.stack:
            self.chart = None
        if tag == "table":
            self.table = None
        if tag in ("b", "span"):
            self.current_id = None

    def handle_data(self, data):
        if not self.stack:
            return
        top = self.stack[-1]
        if self.chart and top == "title":
            if len(self.stack) >= 2 and self.stack[-2] == "rect":
                self.rect_titles[self.chart].append(data)
            elif len(self.stack) >= 2 and self.stack[-2] == "svg":
                self.chart_titles[self.chart] = data
        elif self.chart and top == "text":
            self.chart_texts[self.chart].append(data)
        if self.table and top in ("td", "th", "caption"):
            self.tables[self.table].append(data)
        if top in ("span", "b") and self.current_id in ("accepted", "refused", "skipped",
                                                        "audited"):
            self.ids[self.current_id] += data


def figure(n):
    return "{:,}".format(n)


# Loads the report in frames 800 and 1366 px wide and measures what a reader would see:
# sideways scrolling, charts wider than the page, chart texts outside their chart, table
# columns without a header. The report itself runs no script; this page around it does.
LAYOUT_PAGE = """<!DOCTYPE html><html><body><pre id="result">pending</pre><script>
const results = {};
const widths = [800, 1366];
let left = widths.length;
for (const width of widths) {
  const frame = document.createElement("iframe");
  frame.style.width = width + "px";
  frame.style.height = "900px";
  frame.src = REPORT;
  frame.onload = () => {
    const d = frame.contentDocument;
    const r = {scrollWidth: d.documentElement.scrollWidth,
               clientWidth: d.documentElement.clientWidth, charts: [], tables: []};
    for (const svg of d.querySelectorAll("svg.chart")) {
      const box = svg.getBoundingClientRect();
      const outside = [];
      for (const text of svg.querySelectorAll("text")) {
        const t = text.getBoundingClientRect();
        if (t.left < box.left - 0.5 || t.right > box.right + 0.5) outside.push(text.textContent);
      }
      r.charts.push({id: svg.id, right: box.right, outside: outside});
    }
    for (const table of d.querySelectorAll("table")) {
      const head = table.tHead ? table.tHead.rows[0].cells.length : 0;
      let widest = 0;
      for (const row of table.tBodies[0].rows) {
        let cells = 0;
        for (const cell of row.cells) cells += cell.colSpan;
        widest = Math.max(widest, cells);
      }
      r.tables.push({id: table.id || (table.caption ? table.caption.textContent : "?"),
                     head: head, widest: widest, right: table.getBoundingClientRect().right});
    }
    results[width] = r;
    if (--left === 0) document.getElementById("result").textContent = JSON.stringify(results);
  };
  document.body.appendChild(frame);
}
</script></body></html>
"""


def pdf_words(pdf):
    """(page width, [(word, xMax, page)]) of a PDF, from pdftotext's word boxes."""
    out = subprocess.run(["pdftotext", "-bbox", pdf, "-"], check=True, capture_output=True,
                         text=True).stdout
    width = float(re.search(r'<page width="([0-9.]+)"', out).group(1))
    words = []
    for number, page in enumerate(out.split("<page ")[1:]):
        words += [(html.unescape(m.group(2)), float(m.group(1)), number)
                  for m in re.finditer(r'<word xMin="[0-9.]+" yMin="[0-9.]+" xMax="([0-9.]+)" '
                                       r'yMax="[0-9.]+">([^<]*)</word>', page)]
    return width, words


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--gwconfig", required=True)
    parser.add_argument("--chromium", default="chromium")
    parser.add_argument("--screenshots", help="folder for pictures at 800 and 1366 px and "
                        "the printed pages")
    args = parser.parse_args()
    problems = []

    def check(ok, what):
        if not ok:
            problems.append(what)

    with tempfile.TemporaryDirectory() as folder:
        servers, audits = farm_logs(folder)
        page = os.path.join(folder, "farm report.html")
        command = [args.gwconfig, "report", "-o", page]
        for server in servers:
            command += ["--server", "%s=%s" % (server, os.path.join(folder, server + ".log"))]
        subprocess.run(command, check=True)
        browser = [args.chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                   "--no-first-run", "--disable-background-networking",
                   "--disable-component-update", "--disable-sync", "--hide-scrollbars",
                   "--user-data-dir=" + os.path.join(folder, "profile")]
        url = "file://" + page.replace(" ", "%20")

        def run(*extra):
            return subprocess.run(browser + list(extra), check=True, capture_output=True,
                                  text=True, timeout=120).stdout

        dom_text = run("--dump-dom", url)
        layout_page = os.path.join(folder, "layout.html")
        with open(layout_page, "w") as out:
            out.write(LAYOUT_PAGE.replace("REPORT", repr(url)))
        layout_dom = run("--allow-file-access-from-files", "--virtual-time-budget=20000",
                         "--dump-dom", "file://" + layout_page)
        found = re.search(r'<pre id="result">([^<]*)</pre>', layout_dom)
        layout = json.loads(html.unescape(found.group(1))) if found else {}
        check(set(layout) == {"800", "1366"}, "the layout page measured %r" % layout_dom[-300:])

        # Printed on A4 and Letter portrait.
        with open(page, encoding="utf-8") as source:
            report_text = source.read()
        printed = {}
        for paper in ("A4", "letter"):
            copy = os.path.join(folder, "print-%s.html" % paper)
            with open(copy, "w", encoding="utf-8") as out:
                out.write(report_text.replace("</head>",
                                              "<style>@page { size: %s portrait; }</style></head>"
                                              % paper))
            pdf = os.path.join(folder, "%s.pdf" % paper)
            run("--no-pdf-header-footer", "--print-to-pdf=" + pdf, "file://" + copy)
            printed[paper] = pdf_words(pdf)
            if args.screenshots:
                subprocess.run(["pdftoppm", "-r", "60", "-png", pdf,
                                os.path.join(args.screenshots, "print-" + paper)], check=True)
        if args.screenshots:
            for width in (800, 1366):
                run("--window-size=%d,5000" % width,
                    "--screenshot=" + os.path.join(args.screenshots, "page-%d.png" % width), url)
    dom = Dom()
    dom.feed(dom_text)

    # What the logs hold, counted here.
    every = [line for lines in servers.values() for line in lines]
    accepted = sum(1 for line in every if not line[5])
    refused = len(every) - accepted
    check(dom.ids["accepted"].strip() == figure(accepted), "accepted %r, counted %d"
          % (dom.ids["accepted"], accepted))
    check(dom.ids["refused"].strip() == figure(refused), "refused %r, counted %d"
          % (dom.ids["refused"], refused))
    check(dom.ids["skipped"].strip() == "1", "skipped %r" % dom.ids["skipped"])
    check(dom.tags["script"] == 0, "the page has a script")
    check(not dom.external, "the page refers to other resources: %r" % dom.external)
    check("default-src 'none'" in dom_text and "Content-Security-Policy" in dom_text,
          "no Content-Security-Policy that forbids everything else")
    check(dom.tags["main"] == 1 and dom.tags["section"] >= 6 and
          dom.tags["h2"] == dom.tags["section"], "landmarks: %r" % dom.tags)
    check(not re.search("[\x00-\x08\x0b\x0c\x0e-\x1f\x7f]", dom_text),
          "a control character reached the page")
    check("EVIL\\x1B]0;owned\\x07PC" in dom_text, "the control name is not shown visibly")

    for chart in ("chart-days", "chart-days-accepted", "chart-weekhour-time",
                  "chart-weekhour-other", "chart-clients", "chart-users"):
        check(chart in dom.chart_titles, "chart %s is missing or has no title" % chart)

    # Refusals per day by reason, accepted logons in a chart of their own.
    by_day = collections.Counter()
    for time, _, _, _, _, code in every:
        if code:
            by_day[(time[:10], GROUP_WORDS.get(code, FACTS))] += 1
    wanted = {"%s: %s %s" % (day, group, figure(n)) for (day, group), n in by_day.items()}
    got = set(dom.rect_titles["chart-days"])
    check(wanted == got, "day chart differs: missing %r, extra %r"
          % (sorted(wanted - got)[:5], sorted(got - wanted)[:5]))
    accepted_by_day = collections.Counter(line[0][:10] for line in every if not line[5])
    wanted = {"%s: accepted %s" % (day, figure(n)) for day, n in accepted_by_day.items()}
    check(wanted == set(dom.rect_titles["chart-days-accepted"]), "accepted chart differs")
    # What the audit found: its own count, chart and words, apart from the refusals.
    audited = [line for lines in audits.values() for line in lines]
    check(len(audited) > 20 and dom.ids["audited"].strip() == figure(len(audited)),
          "audited %r, counted %d" % (dom.ids["audited"], len(audited)))
    by_day = collections.Counter((line[0][:10], GROUP_WORDS[line[5]]) for line in audited)
    wanted = {"%s: audited, %s %s" % (day, group, figure(n)) for (day, group), n in by_day.items()}
    got = set(dom.rect_titles["chart-days-audited"])
    check(wanted <= got and all(title.endswith(": no line") for title in got - wanted),
          "audited chart differs: missing %r" % sorted(wanted - got)[:5])
    words = "would have been refused by the Computer Name filter"
    cells = dom.tables["audited-reasons"]
    check(words in cells and cells[cells.index(words) + 1] ==
          figure(sum(1 for line in audited if line[5] == "REJECT_COMPUTERNAME")),
          "audited reasons table: %r" % cells)
    # Every day of the period is a row, and the silent server is named.
    days = dom.tables["days-table"]
    for day in range(30):
        date = (datetime.date(2026, 11, 1) + datetime.timedelta(days=day)).isoformat()
        check(any(cell.startswith(date) for cell in days), "no row for %s" % date)
    check("TS3: " in dom_text and "no line on 2026-11-10 to 2026-11-12" in dom_text,
          "TS3's silent days are not named")

    # The grids: the time window's refusals apart from the rest.
    for chart, time_window in (("chart-weekhour-time", True), ("chart-weekhour-other", False)):
        grid = collections.Counter()
        for time, _, _, _, _, code in every:
            if code and (code == "REJECT_TIMERESTRICTION") == time_window:
                t = datetime.datetime.strptime(time, "%Y-%m-%d %H:%M:%S")
                grid[(t.weekday(), t.hour)] += 1
        cells = dom.rect_titles[chart]
        check(len(cells) == 168, "%d cells in %s" % (len(cells), chart))
        for (weekday, hour), n in grid.items():
            title = "%s %02d:00-%02d:59: %s refused" % (WEEKDAYS[weekday], hour, hour, figure(n))
            check(title in cells, "%s: cell missing: %s" % (chart, title))

    # The most refused client has the 63-character name: the chart shows its address and
    # a cut name, the tooltip and the table the whole name.
    clients = collections.Counter((line[2], line[1], line[3]) for line in every if line[5])
    (address, name, mac), most = clients.most_common(1)[0]
    check(name == LONG_NAME, "the long name is not the top client: %r" % name)
    texts = dom.chart_texts["chart-clients"]
    labels = [t for t in texts if t.startswith(address + "  ")]
    check(labels and labels[0].endswith("\u2026") and len(labels[0]) < 50,
          "clients chart label of %s: %r" % (address, labels))
    check(labels and texts[texts.index(labels[0]) + 1:].count(figure(most)) > 0,
          "clients chart: %d not written after the label" % most)
    check("%s  %s  %s" % (address, name, mac) in dom.tables["top-clients"],
          "the clients table lacks the whole name")
    users = collections.Counter(line[4] for line in every if line[5] and line[4])
    user, most_user = users.most_common(1)[0]
    check(user in dom.chart_texts["chart-users"], "users chart lacks %r" % user)
    nets = dom.tables["networks-24"]
    scan = SCAN_NET + ".0/24"
    check(scan in nets and nets[nets.index(scan) + 2] == "192",
          "the scanned network is not listed with 192 addresses: %r" % nets[:12])

    # One table per server with its own numbers, and servers x reasons.
    for k, (server, lines) in enumerate(servers.items(), start=1):
        cells = dom.tables["server-%d" % k]
        refused_here = sum(1 for line in lines if line[5])
        check(cells[:1] == [server], "server table %d is %r" % (k, cells[:1]))
        check("Refused" in cells and cells[cells.index("Refused") + 1] == figure(refused_here),
              "server %s: refused not %d in %r" % (server, refused_here, cells))
    mac_failures = sum(1 for line in every if line[5] == "REJECT_FAIL_GETMACADDRESS")
    matrix = dom.tables["servers-reasons"]
    check("MAC address could not be read " in matrix, "servers x reasons lacks the words")
    unread = dom.tables["unread-facts"]
    words = "MAC address could not be read "
    check(words in unread and unread[unread.index(words) + 1] == figure(mac_failures),
          "unread facts table: %r" % unread)

    # As it shows at 800 and 1366 px: no sideways scrolling, every chart and table
    # inside the page, no chart text outside its chart, a header over every column.
    for width, seen in layout.items():
        check(seen["scrollWidth"] <= seen["clientWidth"], "%s px: the page scrolls sideways "
              "(%d of %d)" % (width, seen["scrollWidth"], seen["clientWidth"]))
        for chart in seen["charts"]:
            check(chart["right"] <= seen["clientWidth"], "%s px: %s ends at %d"
                  % (width, chart["id"], chart["right"]))
            check(not chart["outside"], "%s px: %s: texts outside the chart: %r"
                  % (width, chart["id"], chart["outside"][:3]))
        for table in seen["tables"]:
            check(table["right"] <= seen["clientWidth"], "%s px: table %s ends at %d"
                  % (width, table["id"], table["right"]))
            check(table["head"] == table["widest"], "table %s: %d headers over %d columns"
                  % (table["id"], table["head"], table["widest"]))

    # Every filter has its column in the table of days, beside the audited ones, and it
    # still fits at 800 px.
    days_tables = [t for t in layout.get("800", {}).get("tables", []) if t["id"] == "days-table"]
    check(days_tables and days_tables[0]["head"] == 4 + len(GROUP_WORDS) + 1,
          "the table of days lacks a filter's column: %r" % days_tables)

    # Printed: no word beyond the page's edge, and the table of days whole on one page.
    for paper, (page_width, words) in printed.items():
        beyond = [word for word, right, _ in words if right > page_width + 0.5]
        check(not beyond, "%s: words beyond the page: %r" % (paper, beyond[:5]))
        pages = set()
        for day in range(30):
            date = datetime.date(2026, 11, 1) + datetime.timedelta(days=day)
            row = (date.isoformat(), WEEKDAYS[date.weekday()])  # as the table's rows begin
            on = [words[k][2] for k in range(len(words) - 1)
                  if (words[k][0], words[k + 1][0]) == row]
            check(on, "%s: the row of %s is not printed" % (paper, row[0]))
            pages.update(on)
        check(len(pages) == 1, "%s: the table of days is split over pages %r" % (paper, pages))

    if problems:
        print("html report check failed:\n  " + "\n  ".join(problems))
        return 1
    print("html report: %d lines, %d refused, every chart checked in Chromium's DOM, at 800 "
          "and 1366 px and printed on A4 and Letter" % (len(every), refused))
    return 0


if __name__ == "__main__":
    sys.exit(main())
