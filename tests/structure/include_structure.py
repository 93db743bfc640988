#!/usr/bin/env python3
"""include_structure.py ROOT

Checks the direction of the source tree's includes:
- no circle among the units of engine/ and console/ (a unit is a header with its
  source file: x.h and x.cpp), so every unit can be read knowing only those below it;
- no file of console/pages or console/tools includes from console/shell: the shell
  tells a page that it is shown, a page never reaches up into the shell;
- nothing shipped outside gwconfig/ includes from gwconfig/: the tool sits on top of
  the layers it shares with the console and the library.
Prints each fault and exits 1 when there is one."""
import os
import re
import sys

LAYERS_BELOW_GWCONFIG = ("config", "engine", "compare", "explain", "report", "console",
                         "platform", "sentinode", "replay")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def sources(root, folder):
    for directory, _, names in os.walk(os.path.join(root, folder)):
        for name in names:
            if name.endswith((".h", ".cpp")):
                yield os.path.relpath(os.path.join(directory, name), root).replace(os.sep, "/")


def unit(path):
    return os.path.splitext(path)[0]


def circles(graph):
    """The strongly connected groups of more than one unit (Tarjan, iteratively)."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = 0
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph[start])))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is not None:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(graph.get(child, ())))))
                elif child in on_stack:
                    low[node] = min(low[node], index[child])
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                group = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    group.append(member)
                    if member == node:
                        break
                if len(group) > 1:
                    found.append(sorted(group))
    return found


def main():
    root = sys.argv[1]
    files = set()
    for folder in ("engine", "console"):
        files.update(sources(root, folder))
    graph = {}
    faults = []
    for path in sorted(files):
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            included = INCLUDE.findall(f.read())
        for name in included:
            if path.startswith(("console/pages/", "console/tools/")) and name.startswith(
                "console/shell/"
            ):
                faults.append(f"{path} includes {name}: a page does not reach into the shell")
            if name in files and unit(name) != unit(path):
                graph.setdefault(unit(path), set()).add(unit(name))
    for folder in LAYERS_BELOW_GWCONFIG:
        for path in sources(root, folder):
            with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
                for name in INCLUDE.findall(f.read()):
                    if name.startswith("gwconfig/"):
                        faults.append(f"{path} includes {name}: only gwconfig/ includes gwconfig/")
    for group in circles(graph):
        faults.append("units that include one another: " + ", ".join(group))
    for fault in faults:
        print(fault)
    print(f"{len(files)} files, {len(graph)} units with includes, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
