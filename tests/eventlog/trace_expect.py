#!/usr/bin/env python3
"""Runs a Windows test program with Wine's event log trace on (WINEDEBUG=+eventlog)
and passes when the program passes and its trace holds a ReportEventW call of event ID.

Usage: trace_expect.py ID COMMAND...
"""
import os
import subprocess
import sys

event_id = int(sys.argv[1])
run = subprocess.run(sys.argv[2:], env=dict(os.environ, WINEDEBUG="+eventlog"),
                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, universal_newlines=True,
                     errors="replace")
print(run.stdout)
calls = [line for line in run.stdout.splitlines() if "ReportEventW" in line]
if run.returncode != 0:
    sys.exit("the program failed (exit code %d)" % run.returncode)
if not any(",0x%08x," % event_id in line for line in calls):
    sys.exit("no ReportEventW of event %d in the trace: %s" % (event_id, calls))
print("event %d reported" % event_id)
