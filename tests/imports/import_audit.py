#!/usr/bin/env python3
"""Import audit: every function a shipped binary imports from Windows must be exported
by the oldest Windows its bitness targets, or the loader refuses the whole binary.

Wine cannot show this (its DLLs export everything, whatever version the prefix
reports), so the audit reads the PE import tables itself and checks each name and
ordinal against the export lists in exports/, which record the exports of Windows
Server 2003 with the versions and architectures each one exists in.

Targets:
  x64: Windows Server 2003 SP2 x64 (NT 5.2)
  x86: Windows XP SP3 (NT 5.1) and Windows Server 2003 SP2 (NT 5.2)
  and for the libraries loaded into every session (gatewell.dll, sentinode.dll) also
  Windows 2000 SP4 (NT 5.0), as far as the export lists mark what 2000 lacks.

Usage: import_audit.py [--exports DIR] [--list] BINARY|FOLDER...
Exit 0 when every import is covered; 1 with one line per uncovered import (a DLL
without an export list covers nothing); 2 on a file that is not a PE image.
"""

import argparse
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

MACHINE_I386 = 0x14C
MACHINE_AMD64 = 0x8664

# The session libraries must also load on Windows 2000.
LIBRARIES_FOR_2000 = {"gatewell.dll", "sentinode.dll"}

NT_NAMES = {0x500: "Windows 2000", 0x501: "Windows XP", 0x502: "Windows Server 2003"}


class NotPe(Exception):
    pass


class Image:
    """The parts of a PE file the audit reads: machine, versions and imports."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        data = self.data
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise NotPe("no MZ header")
        (pe,) = struct.unpack_from("<I", data, 0x3C)
        if pe + 24 > len(data) or data[pe : pe + 4] != b"PE\0\0":
            raise NotPe("no PE signature")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from(
            "<HHIIIHH", data, pe + 4
        )
        optional = pe + 24
        (magic,) = struct.unpack_from("<H", data, optional)
        if magic == 0x10B:
            self.pe32plus = False
            directories = optional + 96
        elif magic == 0x20B:
            self.pe32plus = True
            directories = optional + 112
        else:
            raise NotPe("unknown optional header magic %#x" % magic)
        # Operating system and subsystem versions sit at the same offsets in both forms.
        self.os_version = struct.unpack_from("<HH", data, optional + 40)
        self.subsystem_version = struct.unpack_from("<HH", data, optional + 48)
        (count,) = struct.unpack_from("<I", data, directories - 4)
        self.directories = [
            struct.unpack_from("<II", data, directories + 8 * i) for i in range(min(count, 16))
        ]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, vsize, vaddr, rsize, raddr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, rsize), raddr, rsize))

    def offset(self, rva):
        for vaddr, size, raddr, rsize in self.sections:
            if vaddr <= rva < vaddr + size:
                if rva - vaddr >= rsize:
                    raise NotPe("address %#x lies in uninitialised data" % rva)
                return raddr + rva - vaddr
        raise NotPe("address %#x outside every section" % rva)

    def string(self, rva):
        start = self.offset(rva)
        end = self.data.index(b"\0", start)
        return self.data[start:end].decode("ascii", "replace")

    def imports(self):
        """[(dll, name or None, ordinal or None)] of the import and delay-import tables."""
        found = []
        thunk_size, flag = (8, 1 << 63) if self.pe32plus else (4, 1 << 31)
        thunk_format = "<Q" if self.pe32plus else "<I"

        def read_thunks(dll, rva):
            while True:
                (thunk,) = struct.unpack_from(thunk_format, self.data, self.offset(rva))
                if thunk == 0:
                    return
                if thunk & flag:
                    found.append((dll, None, thunk & 0xFFFF))
                else:
                    found.append((dll, self.string((thunk & 0x7FFFFFFF) + 2), None))
                rva += thunk_size

        if len(self.directories) > 1 and self.directories[1][0]:
            rva = self.directories[1][0]
            while True:
                lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, self.offset(rva))
                if name == 0:
                    break
                read_thunks(self.string(name), lookup or first)
                rva += 20
        if len(self.directories) > 13 and self.directories[13][0]:
            rva = self.directories[13][0]
            while True:
                fields = struct.unpack_from("<8I", self.data, self.offset(rva))
                if fields[1] == 0:
                    break
                read_thunks(self.string(fields[1]), fields[4])
                rva += 32
        return found


def parse_version(text):
    """A ReactOS version option as (lowest, highest) NT version, inclusive."""
    if text.endswith("+"):
        return int(text[:-1], 16), 0xFFFF
    if "-" in text:
        low, high = text.split("-", 1)
        return int(low, 16), int(high, 16)
    version = int(text, 16)
    return version, version


ARCH_WORDS = {
    "i386": {"i386"},
    "x86_64": {"x86_64", "amd64", "win64"},
}


def arch_matches(option, arch):
    words = set(option.replace(",", " ").split())
    negate = {w[1:] for w in words if w.startswith("!")}
    if negate:
        return not (negate & ARCH_WORDS[arch])
    if "win32" in words and arch == "i386":
        return True
    return bool(words & ARCH_WORDS[arch])


class ExportList:
    """One DLL's exports: name -> [(low, high, arch option)], ordinal -> same."""

    def __init__(self, path):
        self.names = {}
        self.ordinals = {}
        with open(path, encoding="utf-8") as f:
            for line in f:
                line = line.strip()
                if not line or line.startswith("#"):
                    continue
                words = line.split()
                name, ordinal, versions, arch = words[0], None, (0, 0xFFFF), None
                for word in words[1:]:
                    if word.startswith("@"):
                        ordinal = int(word[1:])
                    elif word.startswith("version="):
                        versions = parse_version(word[8:])
                    elif word.startswith("arch="):
                        arch = word[5:]
                entry = (versions[0], versions[1], arch)
                if name.startswith("@"):
                    ordinal = int(name[1:])
                else:
                    self.names.setdefault(name, []).append(entry)
                if ordinal is not None:
                    self.ordinals.setdefault(ordinal, []).append(entry)

    @staticmethod
    def exists(entries, version, arch):
        for low, high, arch_option in entries:
            if low <= version <= high and (arch_option is None or arch_matches(arch_option, arch)):
                return True
        return False


def targets_of(binary, machine):
    if machine == MACHINE_AMD64:
        versions = [0x502]
    else:
        versions = [0x501, 0x502]
    # Windows 2000 had no x64 edition.
    if machine == MACHINE_I386 and os.path.basename(binary).lower() in LIBRARIES_FOR_2000:
        versions = [0x500] + versions
    return versions


def audit(binary, exports_dir, lists):
    """Problems of one binary, as lines; raises NotPe for a file that is no PE."""
    image = Image(binary)
    if image.machine == MACHINE_AMD64:
        arch, limit = "x86_64", (5, 2)
    elif image.machine == MACHINE_I386:
        arch, limit = "i386", (5, 0)
    else:
        raise NotPe("machine %#x is neither x86 nor x64" % image.machine)
    problems = []
    name = os.path.basename(binary)
    for what, version in (("OS", image.os_version), ("subsystem", image.subsystem_version)):
        if tuple(version) > limit:
            problems.append(
                "%s: PE %s version %d.%d is above %d.%d" % (name, what, version[0], version[1], *limit)
            )
    folder = os.path.dirname(os.path.abspath(binary))
    shipped_beside = {entry.lower() for entry in os.listdir(folder)}
    for dll, function, ordinal in image.imports():
        key = dll.lower()
        if key in shipped_beside:
            continue  # one of ours, audited in its own right
        if key not in lists:
            path = os.path.join(exports_dir, key.rsplit(".", 1)[0] + ".txt")
            lists[key] = ExportList(path) if os.path.exists(path) else None
        exports = lists[key]
        shown = "%s!%s" % (dll, function if function is not None else "#%d" % ordinal)
        if exports is None:
            problems.append("%s: imports %s, and no export list records %s" % (name, shown, dll))
            continue
        entries = exports.names.get(function) if function is not None else exports.ordinals.get(ordinal)
        for version in targets_of(binary, image.machine):
            if not entries or not ExportList.exists(entries, version, arch):
                problems.append(
                    "%s: imports %s, which %s (%s) does not export"
                    % (name, shown, NT_NAMES[version], arch)
                )
                break
    return problems


def binaries_in(paths):
    for path in paths:
        if os.path.isdir(path):
            for entry in sorted(os.listdir(path)):
                if entry.lower().endswith((".exe", ".dll")):
                    yield os.path.join(path, entry)
        else:
            yield path


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--exports", default=os.path.join(HERE, "exports"))
    parser.add_argument("--list", action="store_true", help="print every import as well")
    parser.add_argument("paths", nargs="+")
    args = parser.parse_args()
    lists = {}
    problems = []
    checked = 0
    for binary in binaries_in(args.paths):
        try:
            if args.list:
                for dll, function, ordinal in sorted(Image(binary).imports(), key=str):
                    print("%s\t%s!%s" % (os.path.basename(binary), dll, function or "#%d" % ordinal))
            problems += audit(binary, args.exports, lists)
        except (NotPe, OSError, struct.error, ValueError) as error:
            print("%s: cannot be read: %s" % (binary, error), file=sys.stderr)
            return 2
        checked += 1
    if checked == 0:
        print("no binary to audit in %s" % " ".join(args.paths), file=sys.stderr)
        return 2
    for problem in problems:
        print(problem)
    if problems:
        return 1
    print("%d binaries import only what their oldest Windows exports" % checked)
    return 0


if __name__ == "__main__":
    sys.exit(main())
