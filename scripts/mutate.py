#!/usr/bin/env python3
"""Mutation check of the portable code: applies each single-line change listed in
scripts/mutations.txt alone to config/ and engine/, rebuilds the native tests, runs
them, and reports the changes that no test noticed. Every file is restored after its
change, also when the run is interrupted.

On demand only (not part of CI): a full run rebuilds the tests once per change.

    scripts/mutate.py [--list FILE] [--only SUBSTRING] [--check]

Exit status: 0 when every change was noticed, 1 when some survived, 2 on a bad list
or a tree whose tests fail before any change.
"""
import argparse
import os
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "native")
TARGETS = ["config_tests", "engine_tests"]
SCOPE = ("config/", "engine/")


class Mutation:
    def __init__(self, path, occurrence, text, replacement, line_no):
        self.path = path
        self.occurrence = occurrence  # None: the line must be the only one
        self.text = text
        self.replacement = replacement
        self.list_line = line_no

    def label(self):
        which = "" if self.occurrence is None else " (#%d)" % self.occurrence
        return "%s%s: %s  ->  %s" % (self.path, which, self.text, self.replacement)


def read_list(list_path):
    mutations, path, pending = [], None, None
    with open(list_path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            if line.startswith("@ "):
                path = line[2:].strip()
                if not path.startswith(SCOPE):
                    sys.exit("%s:%d: %s is outside config/ and engine/" % (list_path, number, path))
            elif line.startswith("-"):
                head, _, text = line.partition(" ")
                occurrence = int(head[1:]) if head[1:] else None
                if path is None or pending is not None or not text:
                    sys.exit("%s:%d: a '-' line needs a file and a '+' line after it"
                             % (list_path, number))
                pending = (occurrence, text, number)
            elif line.startswith("+ "):
                if pending is None:
                    sys.exit("%s:%d: '+' without '-'" % (list_path, number))
                occurrence, text, at = pending
                mutations.append(Mutation(path, occurrence, text, line[2:], at))
                pending = None
            else:
                sys.exit("%s:%d: cannot read this line" % (list_path, number))
    if pending is not None:
        sys.exit("%s: the last '-' line has no '+' line" % list_path)
    return mutations


def mutated_source(m):
    """The file's text with the change applied; exits when the entry does not fit."""
    with open(os.path.join(ROOT, m.path), encoding="utf-8") as f:
        lines = f.readlines()
    hits = [k for k, line in enumerate(lines) if m.text in line]
    if m.occurrence is None and len(hits) != 1:
        sys.exit("list line %d: %d lines of %s hold %r" % (m.list_line, len(hits), m.path, m.text))
    if m.occurrence is not None and not 1 <= m.occurrence <= len(hits):
        sys.exit("list line %d: %s has no line #%d holding %r"
                 % (m.list_line, m.path, m.occurrence, m.text))
    k = hits[0 if m.occurrence is None else m.occurrence - 1]
    if lines[k].count(m.text) != 1:
        sys.exit("list line %d: the line holds %r more than once" % (m.list_line, m.text))
    lines[k] = lines[k].replace(m.text, m.replacement)
    return "".join(lines)


def run(command, timeout):
    try:
        done = subprocess.run(command, cwd=ROOT, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout)
        return done.returncode == 0
    except subprocess.TimeoutExpired:
        return False


def build():
    return run(["cmake", "--build", BUILD, "-j2", "--target"] + TARGETS, 1800)


def tests_pass():
    return run(["ctest", "--test-dir", BUILD, "-R", "^(%s)$" % "|".join(TARGETS)], 900)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--list", default=os.path.join(ROOT, "scripts", "mutations.txt"))
    parser.add_argument("--only", help="run only the changes whose file or text holds this")
    parser.add_argument("--check", action="store_true", help="only check that the list fits")
    args = parser.parse_args()

    mutations = read_list(args.list)
    for m in mutations:
        mutated_source(m)  # every entry must fit before anything is changed
    if args.check:
        print("%d changes, each fits its file." % len(mutations))
        return 0
    if args.only:
        mutations = [m for m in mutations if args.only in m.label()]

    if not os.path.isdir(BUILD):
        run(["cmake", "--preset", "native"], 600)
    print("Baseline: building and running the native tests ...", flush=True)
    if not build() or not tests_pass():
        print("The tests fail without any change; nothing to compare against.")
        return 2

    survivors, unbuildable = [], []
    for n, m in enumerate(mutations, 1):
        path = os.path.join(ROOT, m.path)
        with open(path, encoding="utf-8") as f:
            original = f.read()
        changed = mutated_source(m)
        started = time.time()
        try:
            with open(path, "w", encoding="utf-8") as f:
                f.write(changed)
            if not build():
                outcome = "does not build"
                unbuildable.append(m)
            elif tests_pass():
                outcome = "SURVIVED"
                survivors.append(m)
            else:
                outcome = "noticed"
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
        print("[%2d/%d] %-14s %4.0fs  %s" % (n, len(mutations), outcome, time.time() - started,
                                           m.label()), flush=True)

    build()  # leave the tests built from the unchanged sources
    noticed = len(mutations) - len(survivors) - len(unbuildable)
    print("\n%d changes: %d noticed, %d survived, %d did not build."
          % (len(mutations), noticed, len(survivors), len(unbuildable)))
    for m in survivors:
        print("  survived: " + m.label())
    for m in unbuildable:
        print("  did not build (fix the list): " + m.label())
    return 1 if survivors else 0


if __name__ == "__main__":
    sys.exit(main())
