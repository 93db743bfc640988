#!/usr/bin/env python3
"""Checks a Gatewell MSI package's tables with msiinfo, without running it.

check_msi.py MSI ARCH VERSION CONTENTS [--damage SQL]

CONTENTS lists the files the build ships ("name|shortcut" lines). With --damage the
SQL statement is applied to a copy of the package first (msibuild -q), so a test can
show that the check sees a broken package. Exits 1 and names every fault found.
"""
import os
import shutil
import subprocess
import sys
import tempfile

# Fixed for good: a new code would install beside the old version instead of over it.
UPGRADE_CODES = {
    "x64": "{79FC118A-F1E9-4659-B334-03C2A0613AFD}",
    "x86": "{D7E11CBF-95D7-4BC9-BC3E-4CC4FCC05040}",
}
PROGRAM_FILES = {"x64": "ProgramFiles64Folder", "x86": "ProgramFilesFolder"}
ALWAYS_SHIPPED = ["quillon.exe", "gatewell.dll", "QUILLON.chm"]
COMPONENT_64BIT = 256
EVENT_SOURCE_KEY = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Gatewell"
# Fixed for good, the same in both packages: Windows Installer keeps the event source while
# any package that carries this component is installed.
EVENT_SOURCE_COMPONENT = "{6BAA6660-3B81-5281-BBB8-BAE779EEAB57}"
EVENT_MESSAGE_FILES = ("#%[ProgramFilesFolder]Marrowby\\Gatewell\\gatewell.dll;"
                       "[ProgramFiles64Folder]Marrowby\\Gatewell\\gatewell.dll")


def table(msi, name):
    """Rows of a table as dicts; an absent table has none."""
    out = subprocess.run(["msiinfo", "export", msi, name], capture_output=True, text=True)
    if out.returncode != 0:
        return []
    lines = out.stdout.split("\r\n" if "\r\n" in out.stdout else "\n")
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]


def check(msi, arch, version, shipped):
    faults = []
    props = {r["Property"]: r["Value"] for r in table(msi, "Property")}
    expect_props = {
        "ProductVersion": version,
        "Manufacturer": "Marrowby",
        "ALLUSERS": "1",
        "UpgradeCode": UPGRADE_CODES[arch],
    }
    for key, value in expect_props.items():
        if props.get(key) != value:
            faults.append(f"property {key} is {props.get(key)!r}, not {value!r}")
    code = props.get("ProductCode", "")
    if len(code) != 38 or code == UPGRADE_CODES[arch]:
        faults.append(f"product code {code!r} is not a code of its own")

    directories = {r["Directory"]: r for r in table(msi, "Directory")}

    def folder(directory):
        parts = []
        while directory in directories and directories[directory]["Directory_Parent"]:
            row = directories[directory]
            name = row["DefaultDir"].split("|")[-1]
            parts.append(directory if name == "." else name)
            directory = row["Directory_Parent"]
        return "\\".join(reversed(parts))

    install_dir = f"{PROGRAM_FILES[arch]}\\Marrowby\\Gatewell"
    components = {r["Component"]: r for r in table(msi, "Component")}
    files = {r["FileName"].split("|")[-1]: r for r in table(msi, "File")}
    names = [name for name, _ in shipped]
    for name in ALWAYS_SHIPPED:
        if name not in names:
            faults.append(f"the build ships no {name}")
    for name in sorted(set(names) ^ set(files)):
        faults.append(f"{name} is {'missing from' if name in names else 'extra in'} the package")
    for name, row in files.items():
        component = components.get(row["Component_"])
        if not component:
            faults.append(f"{name} has no component")
            continue
        if folder(component["Directory_"]) != install_dir:
            faults.append(f"{name} installs to {folder(component['Directory_'])}")
        if component["KeyPath"] != row["File"]:
            faults.append(f"{name} is not its component's key path")
    for c in components.values():
        if c["Component"] == "c_event_source":
            # One component of both packages, written alike by both.
            if c["ComponentId"] != EVENT_SOURCE_COMPONENT or int(c["Attributes"]) & COMPONENT_64BIT:
                faults.append(f"the event source is not the component both packages share: {c}")
        elif bool(int(c["Attributes"]) & COMPONENT_64BIT) != (arch == "x64"):
            faults.append(f"component {c['Component']} is not marked for {arch}")
    if "c_event_source" not in components:
        faults.append("the package has no event source component")

    shortcuts = {r["Name"].split("|")[-1]: r for r in table(msi, "Shortcut")}
    for name, shortcut in shipped:
        if not shortcut:
            continue
        row = shortcuts.get(shortcut)
        if not row:
            faults.append(f'no Start menu shortcut "{shortcut}"')
            continue
        if folder(row["Directory_"]) != "ProgramMenuFolder\\Gatewell":
            faults.append(f'shortcut "{shortcut}" is in {folder(row["Directory_"])}')
        target = files.get(name, {}).get("File")
        if row["Target"] != f"[#{target}]":
            faults.append(f'shortcut "{shortcut}" leads to {row["Target"]}, not {name}')

    upgrades = table(msi, "Upgrade")
    replaces = [u for u in upgrades if u["UpgradeCode"] == UPGRADE_CODES[arch]
                and u["VersionMax"] == version and not u["VersionMin"]
                and not int(u["Attributes"]) & 2 and u["ActionProperty"]]
    if not replaces:
        faults.append("the upgrade table does not replace older versions")
    sequence = {r["Action"] for r in table(msi, "InstallExecuteSequence")}
    for action in ("FindRelatedProducts", "RemoveExistingProducts"):
        if action not in sequence:
            faults.append(f"the install sequence lacks {action}")

    # The configuration key belongs to the administrator: the only registry rows are the
    # Application log's event source, naming the library of either package (REG_EXPAND_SZ)
    # and removed with its shared component.
    expected = {("EventMessageFile", EVENT_MESSAGE_FILES), ("TypesSupported", "#7"), ("-", "")}
    found = set()
    for row in table(msi, "Registry"):
        key = row["Key"].rstrip("\\")
        if row["Root"] == "2" and key == EVENT_SOURCE_KEY and (row["Name"], row["Value"]) in expected:
            found.add((row["Name"], row["Value"]))
        else:
            faults.append(f"the package writes the registry: {row}")
    for name, value in sorted(expected - found):
        faults.append(f"the event source lacks {name} = {value!r}")
    for row in table(msi, "RemoveRegistry"):
        faults.append(f"the package removes registry values: {row}")
    return faults


def main(argv):
    args = argv[1:]
    damage = None
    if "--damage" in args:
        at = args.index("--damage")
        damage = args[at + 1]
        del args[at:at + 2]
    if len(args) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    msi, arch, version, contents = args
    shipped = []
    with open(contents) as f:
        for line in f:
            if line.strip():
                name, _, shortcut = line.rstrip("\n").partition("|")
                shipped.append((name, shortcut))
    with tempfile.TemporaryDirectory() as tmp:
        if damage:
            copy = os.path.join(tmp, os.path.basename(msi))
            shutil.copyfile(msi, copy)
            subprocess.run(["msibuild", copy, "-q", damage], check=True)
            msi = copy
        faults = check(msi, arch, version, shipped)
    for fault in faults:
        print(f"{os.path.basename(msi)}: {fault}")
    if faults:
        return 1
    print(f"{os.path.basename(msi)}: tables as expected")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
