#!/usr/bin/env python3
"""The html logon report as a browser sees it.

Writes the logs of a three-server farm (a fortnight of logons, a MAC filter that starts
refusing behind a new router, a time window set too early, a few damaged lines), has
gwconfig render the html report, loads it in headless Chromium and reads the DOM that
Chromium built: every chart must be there with the numbers counted here, independently,
from the same lines. With --screenshot PNG it also keeps a picture of the page.
"""
import argparse
import collections
import datetime
import html.parser
import os
import random
import subprocess
import sys
import tempfile

REASONS_IN_CHART = ["REJECT_IPADDRESS", "REJECT_COMPUTERNAME", "REJECT_MACADDRESS",
                    "REJECT_TIMERESTRICTION", "REJECT_CLIENTVERSION", "REJECT_SESSIONPERIP",
                    "REJECT_SESSIONPERUSER"]
FACTS = "REJECT_FAIL_... (facts not read)"
WEEKDAYS = ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"]


def farm_logs(folder):
    """Writes the logs; returns {server: [(time, name, address, mac, user, code)]}."""
    rng = random.Random(17)
    start = datetime.datetime(2026, 11, 23, 0, 0, 0)
    servers = {}
    clients = [("10.20.0.%d" % k, "WS-%03d" % k, "00-1A-2B-3C-4D-%02X" % k) for k in range(1, 40)]
    users = ["anna", "bernd", "chloé", "dmitri", "eva", "farid", "grete", "hugo"]
    for server in ["TS1", "TS2", "TS3"]:
        lines = []
        for day in range(14):
            date = start + datetime.timedelta(days=day)
            if date.weekday() >= 5:
                count = 6
            else:
                count = 60
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
                elif server == "TS2" and day >= 9 and roll < 0.5:
                    # Behind the new router the server sees no MAC address.
                    code, mac = "REJECT_FAIL_GETMACADDRESS", ""
                elif roll < 0.05:
                    code = "REJECT_IPADDRESS"
                    address, name, mac = "192.168.7.66", "EVIL,LAPTOP", "00-0C-29-AA-BB-CC"
                elif roll < 0.08:
                    code = "REJECT_SESSIONPERUSER"
                elif roll < 0.10:
                    code = "REJECT_CLIENTVERSION"
                if code and code != "REJECT_SESSIONPERUSER":
                    user = ""  # refused at session start, before the logon
                lines.append((when.strftime("%Y-%m-%d %H:%M:%S"), name, address, mac, user, code))
        lines.sort()
        servers[server] = lines
        with open(os.path.join(folder, server + ".log"), "wb") as log:
            for k, (time, name, address, mac, user, code) in enumerate(lines):
                decision = "Rejected" if code else "Accepted"
                text = "%s,%s,%s,%s,RDP-Tcp#%d,%s,%d,%s,%s,\r\n" % (
                    time, name, address, mac, k % 9, user, 2 + k % 50, decision, code)
                log.write(text.encode("cp1252"))
            if server == "TS3":
                log.write(b"2026-12-06 10:00:00,broken line\r\n")
    return servers


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
        if top in ("span", "b") and self.current_id in ("accepted", "refused", "skipped"):
            self.ids[self.current_id] += data


def figure(n):
    return "{:,}".format(n)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--gwconfig", required=True)
    parser.add_argument("--chromium", default="chromium")
    parser.add_argument("--screenshot")
    args = parser.parse_args()
    problems = []

    def check(ok, what):
        if not ok:
            problems.append(what)

    with tempfile.TemporaryDirectory() as folder:
        servers = farm_logs(folder)
        page = os.path.join(folder, "farm report.html")
        command = [args.gwconfig, "report", "-o", page]
        for server in servers:
            command += ["--server", "%s=%s" % (server, os.path.join(folder, server + ".log"))]
        subprocess.run(command, check=True)
        browser = [args.chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                   "--no-first-run", "--disable-background-networking",
                   "--disable-component-update", "--disable-sync",
                   "--user-data-dir=" + os.path.join(folder, "profile")]
        url = "file://" + page.replace(" ", "%20")
        dom_text = subprocess.run(browser + ["--dump-dom", url], check=True, capture_output=True,
                                  text=True, timeout=120).stdout
        if args.screenshot:
            subprocess.run(browser + ["--window-size=1280,2400", "--screenshot=" + args.screenshot,
                                      url], check=True, capture_output=True, timeout=120)
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

    for chart in ("chart-days", "chart-weekhour", "chart-clients", "chart-users"):
        check(chart in dom.chart_titles, "chart %s is missing or has no title" % chart)

    # Refusals per day by reason, accepted beside them.
    by_day = collections.Counter()
    for time, _, _, _, _, code in every:
        group = code if code in REASONS_IN_CHART else FACTS if code else "accepted"
        by_day[(time[:10], group)] += 1
    wanted = set()
    for (day, group), n in by_day.items():
        wanted.add("%s: %s %s" % (day, group, figure(n)))
    got = set(dom.rect_titles["chart-days"])
    check(wanted == got, "day chart differs: missing %r, extra %r"
          % (sorted(wanted - got)[:5], sorted(got - wanted)[:5]))

    # The weekday x hour grid: 168 cells, each with its refusals.
    grid = collections.Counter()
    for time, _, _, _, _, code in every:
        if code:
            t = datetime.datetime.strptime(time, "%Y-%m-%d %H:%M:%S")
            grid[(t.weekday(), t.hour)] += 1
    cells = dom.rect_titles["chart-weekhour"]
    check(len(cells) == 168, "%d cells in the weekday x hour grid" % len(cells))
    for (weekday, hour), n in grid.items():
        title = "%s %02d:00-%02d:59: %s refused" % (WEEKDAYS[weekday], hour, hour, figure(n))
        check(title in cells, "grid cell missing: " + title)

    # The most refused client: its number is written at the end of its bar.
    clients = collections.Counter((line[2], line[1], line[3]) for line in every if line[5])
    (address, name, mac), most = clients.most_common(1)[0]
    label = "%s  %s  %s" % (address, name or "-", mac or "-")
    texts = dom.chart_texts["chart-clients"]
    check(label in texts and texts[texts.index(label) + 1:].count(figure(most)) > 0,
          "clients chart: %r with %d not found in %r" % (label, most, texts[:6]))
    users = collections.Counter(line[4] for line in every if line[5] and line[4])
    user, most_user = users.most_common(1)[0]
    check(user in dom.chart_texts["chart-users"], "users chart lacks %r" % user)

    # One table per server with its own numbers.
    for k, (server, lines) in enumerate(servers.items(), start=1):
        cells = dom.tables["server-%d" % k]
        refused_here = sum(1 for line in lines if line[5])
        check(cells[:1] == [server], "server table %d is %r" % (k, cells[:1]))
        check("Refused" in cells and cells[cells.index("Refused") + 1] == figure(refused_here),
              "server %s: refused not %d in %r" % (server, refused_here, cells))
    unread = dom.tables["unread-facts"]
    mac_failures = sum(1 for line in every if line[5] == "REJECT_FAIL_GETMACADDRESS")
    check("REJECT_FAIL_GETMACADDRESS" in unread and
          unread[unread.index("REJECT_FAIL_GETMACADDRESS") + 1] == figure(mac_failures),
          "unread facts table: %r" % unread)

    if problems:
        print("html report check failed:\n  " + "\n  ".join(problems))
        return 1
    print("html report: %d lines, %d refused, every chart checked in Chromium's DOM"
          % (len(every), refused))
    return 0


if __name__ == "__main__":
    sys.exit(main())
