#!/usr/bin/env python3
"""Runs the import audit on BINARY and passes only when it fails naming every import
given (DLL!function), each as missing from a target Windows."""
import os
import subprocess
import sys

binary, expected = sys.argv[1], sys.argv[2:]
audit = os.path.join(os.path.dirname(os.path.abspath(__file__)), "import_audit.py")
run = subprocess.run([sys.executable, audit, binary], capture_output=True, text=True)
print(run.stdout + run.stderr)
missing = [name for name in expected if not any(
    name.lower() in line.lower() and "does not export" in line for line in run.stdout.splitlines())]
if run.returncode != 1 or missing:
    print("audit exit %d; not reported: %s" % (run.returncode, ", ".join(missing) or "-"))
    sys.exit(1)
print("the audit refused %s as expected" % ", ".join(expected))
