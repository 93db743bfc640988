#!/usr/bin/env python3
"""The events as Wine's advapi32 receives them: this Wine stores no events, but it traces
each ReportEventW, its type and id (fixme:advapi) and its strings (+eventlog).

Usage: event_trace_test.py BIN_DIR VIEW WRAPPER...
BIN_DIR holds gw_host.exe, gatewell.dll, the stand-ins and gwconfig.exe; VIEW is the
library's registry view (64 or 32: reg.exe of the prefix otherwise writes the 32-bit one);
WRAPPER runs a Windows program in the test prefix (scripts/wine-run.sh PREFIX ARCH).
"""
import json
import os
import subprocess
import sys
import tempfile
import unittest

BIN = sys.argv[1]
VIEW = "/reg:" + sys.argv[2]
WRAPPER = sys.argv[3:]
KEY = "HKLM\\Software\\Marrowby\\Gatewell"
OWN_SESSION = 7  # not the console session Wine reports


def run(program, *arguments, trace=False, env=None):
    environment = dict(os.environ, **(env or {}))
    environment["WINEDEBUG"] = "+eventlog" if trace else "-all"
    done = subprocess.run(WRAPPER + [program] + list(arguments), cwd=BIN, env=environment,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          universal_newlines=True, errors="replace")
    return done.returncode, done.stdout


def reported(trace, event_id):
    """The ReportEventW call of `event_id`: its trace line and its strings; None if none."""
    lines = trace.splitlines()
    for at, line in enumerate(lines):
        if ":ReportEventW (" in line and ",0x%08x," % event_id in line:
            strings = []
            for following in lines[at + 1:]:
                if ":eventlog:ReportEventW " not in following:
                    break
                strings.append(following.split("ReportEventW ", 1)[1])
            return line, strings
    return None


class EventTrace(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory(dir=BIN)
        overrides = "HKCU\\Software\\Wine\\AppDefaults\\gw_host.exe\\DllOverrides"
        for dll in ("wtsapi32", "iphlpapi"):
            run("reg", "add", overrides, "/v", dll, "/d", "native", "/f")
        run("reg", "delete", KEY, "/v", "EventLog", "/f", VIEW)
        # A deny row for 10.0.0.5: that client is refused, any other admitted.
        config = {"FLAG_IPADDRESS": 1, "FLAG_IPADDRESS_ALLOW": 1,
                  "R_IPADDRESS": [{"IPFROM": "10.0.0.5", "IPTO": "", "TYPE": 0}]}
        # (Paths relative to BIN_DIR, where the programs run.)
        folder = os.path.relpath(cls.scratch.name, BIN)
        for name, content in (("plain", {}), ("deny", config)):
            with open(os.path.join(BIN, folder, name + ".json"), "w") as f:
                json.dump(content, f)
            code, output = run("gwconfig.exe", "build", os.path.join(folder, name + ".json"),
                               "-o", os.path.join(folder, name + ".WTS"))
            assert code == 0, output
        # From the defaults to the deny row: the apply's summary names the change.
        code, output = run("gwconfig.exe", "apply", os.path.join(folder, "plain.WTS"))
        assert code == 0, output
        cls.wts = os.path.join(folder, "deny.WTS")
        code, cls.apply_trace = run("gwconfig.exe", "apply", cls.wts, trace=True)
        assert code == 0, cls.apply_trace
        run("reg", "add", KEY, "/v", "EventLog", "/t", "REG_DWORD", "/d", "2", "/f", VIEW)

    @classmethod
    def tearDownClass(cls):
        run("reg", "delete", KEY, "/v", "EventLog", "/f", VIEW)
        cls.scratch.cleanup()

    def host(self, address, name, *actions):
        scenario = os.path.join(self.scratch.name, "scenario-%s.txt" % address)
        with open(scenario, "w") as f:
            f.write("self %d\nsession %d address=%s client=\"%s\" user=alice domain=CORP "
                    "winstation=RDP-Tcp#3 build=2600\n" % (OWN_SESSION, OWN_SESSION, address, name))
        return run("gw_host.exe", *actions, trace=True,
                   env={"GW_SCENARIO": os.path.relpath(scenario, BIN)})

    def test_apply_reports_what_changed(self):
        call = reported(self.apply_trace, 2000)
        self.assertIsNotNone(call, self.apply_trace)
        line, strings = call
        self.assertIn(",0x0004,", line)  # EVENTLOG_INFORMATION_TYPE
        self.assertEqual(strings[1], 'L"gwconfig.exe"')
        self.assertIn("deny.WTS", strings[2])
        self.assertEqual(strings[4],
                         'L"IP Address filter: switched on, 1 setting changed, 1 entry added"')

    def test_apply_names_a_change_beside_the_configuration(self):
        # EventLog is 2 (setUpClass); each apply names its change, and puts 2 back.
        own = run("hostname")[1].strip()
        for arguments, change in ((["--event-log", "0"],
                                   "refused sessions and accepted logons -> nothing"),
                                  (["--event-log", "2", "--computer", own, "--view", sys.argv[2]],
                                   "nothing -> refused sessions and accepted logons")):
            code, trace = run("gwconfig.exe", "apply", self.wts, *arguments, trace=True)
            self.assertEqual(code, 0, trace)
            call = reported(trace, 2000)
            self.assertIsNotNone(call, trace)
            self.assertEqual(call[1][4], 'L"Event log: %s"' % change)
        # A farm's reference that carries EventLog applies it where it differs.
        reference = os.path.join(self.scratch.name, "deny-quiet.json")
        with open(reference, "w") as f:
            json.dump({"FLAG_IPADDRESS": 1, "FLAG_IPADDRESS_ALLOW": 1, "EventLog": 0,
                       "R_IPADDRESS": [{"IPFROM": "10.0.0.5", "IPTO": "", "TYPE": 0}]}, f)
        code, trace = run("gwconfig.exe", "farm", os.path.relpath(reference, BIN), "--computer",
                          own, "--view", sys.argv[2], "--apply", trace=True)
        run("reg", "add", KEY, "/v", "EventLog", "/t", "REG_DWORD", "/d", "2", "/f", VIEW)
        self.assertEqual(code, 0, trace)
        self.assertIn("differs, applied: Event log: nothing -> refused sessions and accepted "
                      "logons", trace)
        call = reported(trace, 2000)
        self.assertIsNotNone(call, trace)
        self.assertEqual(call[1][4],
                         'L"Event log: refused sessions and accepted logons -> nothing"')

    def test_refused_session_reports_warning_with_facts(self):
        code, trace = self.host("10.0.0.5", "EVIL\tPC", "startup")
        self.assertEqual(code, 255, trace)  # refused as before
        call = reported(trace, 1001)
        self.assertIsNotNone(call, trace)
        line, strings = call
        self.assertIn(",0x0002,", line)  # EVENTLOG_WARNING_TYPE
        self.assertEqual(len(strings), 9, strings)
        self.assertEqual(strings[:2], ['L"10.0.0.5"', 'L"EVIL PC"'])
        self.assertEqual(strings[6:8], ['L"RDP-Tcp#3"', 'L"IP Address filter"'])
        # The entry that decided, as the IP Address page shows it.
        self.assertTrue(strings[8].startswith('L"10.0.0.5 - Logon disabled (entry '), strings[8])

    def test_audited_refusal_reports_would_have_been_refused(self):
        run("reg", "add", KEY, "/v", "AuditOnly", "/t", "REG_DWORD", "/d", "1", "/f", VIEW)
        try:
            code, trace = self.host("10.0.0.5", "EVIL-PC", "startup")
        finally:
            run("reg", "delete", KEY, "/v", "AuditOnly", "/f", VIEW)
        self.assertEqual(code, 0, trace)  # the session goes on
        self.assertIsNone(reported(trace, 1001), trace)
        call = reported(trace, 1201)
        self.assertIsNotNone(call, trace)
        self.assertIn(",0x0002,", call[0])  # EVENTLOG_WARNING_TYPE
        self.assertEqual(len(call[1]), 9, call[1])
        self.assertEqual(call[1][7], 'L"IP Address filter"')

    def test_accepted_logon_reports_information_when_asked(self):
        code, trace = self.host("10.0.0.6", "GOOD-PC", "startup", "logon")
        self.assertEqual(code, 0, trace)
        self.assertIsNone(reported(trace, 1001), trace)
        call = reported(trace, 1000)
        self.assertIsNotNone(call, trace)
        self.assertIn(",0x0004,", call[0])
        self.assertEqual(len(call[1]), 7, call[1])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
