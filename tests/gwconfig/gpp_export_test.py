#!/usr/bin/env python3
"""gwconfig export-gpp, read back with an XML parser.

Usage: gpp_export_test.py [--registry] GWCONFIG [PREFIX-ARGS...]
GWCONFIG (with any wrapper before it, such as the Wine runner) is run in a scratch
folder with relative paths. --registry also stores a configuration with apply and
exports it back with export-gpp --registry (Windows only).
"""
import datetime
import json
import os
import re
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

COMMAND = []
WITH_REGISTRY = "--registry" in sys.argv[1:2]

SETTINGS_CLSID = "{A3CCFC41-DFDB-43a5-8D26-0FE8B954DA51}"
ITEM_CLSID = "{9CD4B2F4-923D-47f5-A062-E897DD1DAD50}"
KEYS = {
    "64": "Software\\Marrowby\\Gatewell",
    "32": "Software\\Wow6432Node\\Marrowby\\Gatewell",
}
GUID = re.compile(r"^\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}$")


def config_json(rows):
    """A configuration with `rows` distinct rows in every table."""
    def ip(r, first):
        return "%d.%d.%d.%d" % (first, r // 65536, r // 256 % 256, r % 256)
    return json.dumps({
        "FLAG_IPADDRESS": 1,
        "R_IPADDRESS": [{"IPFROM": ip(r, 10), "IPTO": "", "TYPE": r % 2} for r in range(rows)],
        "R_COMPUTERNAME": [{"CNAME": "WS-%d" % r, "TYPE": r % 2} for r in range(rows)],
        "R_MAC": [{"MACADDRESS": "00-1A-2B-3C-%02X-%02X" % (r // 256, r % 256), "TYPE": 1}
                  for r in range(rows)],
        "MONITOR_SERVER": [{"SERVER": "TS%d" % r} for r in range(rows)],
        "R_SESSION_IP": [{"SESSION_IP": ip(r, 172), "SESSION_IPCOUNTER": 1 + r % 9}
                         for r in range(rows)],
        "R_SESSION_USER": [{"SESSION_USER": "user%d" % r, "SESSION_USERCOUNT": 1 + r % 9}
                           for r in range(rows)],
    })


class ExportGpp(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.dir = self.scratch.name

    def tearDown(self):
        self.scratch.cleanup()

    def path(self, name):
        return os.path.join(self.dir, name)

    def gwconfig(self, *arguments):
        run = subprocess.run(COMMAND + list(arguments), cwd=self.dir, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, universal_newlines=True)
        return run.returncode, run.stdout

    def build(self, name, rows):
        with open(self.path(name + ".json"), "w") as f:
            f.write(config_json(rows))
        code, output = self.gwconfig("build", name + ".json", "-o", name + ".WTS")
        self.assertEqual(code, 0, output)
        with open(self.path(name + ".WTS"), "rb") as f:
            return f.read()

    def export(self, *arguments):
        code, output = self.gwconfig("export-gpp", *arguments)
        self.assertEqual(code, 0, output)
        with open(self.path(arguments[arguments.index("-o") + 1]), "rb") as f:
            raw = f.read()
        self.assertTrue(raw.startswith(b'<?xml version="1.0" encoding="utf-8"?>'), raw[:60])
        return ET.fromstring(raw)

    def items(self, root, view):
        """The two items checked against the protocol; returns their values."""
        self.assertEqual(root.tag, "RegistrySettings")
        self.assertEqual(root.get("clsid"), SETTINGS_CLSID)
        items = list(root)
        self.assertEqual([i.tag for i in items], ["Registry", "Registry"])
        self.assertEqual([i.get("name") for i in items], ["tsdata", "datasize"])
        values = []
        for item, kind in zip(items, ["REG_BINARY", "REG_DWORD"]):
            self.assertEqual(item.get("clsid"), ITEM_CLSID)
            self.assertRegex(item.get("uid"), GUID)
            changed = datetime.datetime.strptime(item.get("changed"), "%Y-%m-%d %H:%M:%S")
            now = datetime.datetime.utcnow()
            self.assertLess(abs((now - changed).total_seconds()), 600, item.get("changed"))
            properties = item.findall("Properties")
            self.assertEqual(len(properties), 1)
            p = properties[0]
            self.assertEqual((p.get("action"), p.get("hive"), p.get("key"), p.get("name"),
                              p.get("type")),
                             ("U", "HKEY_LOCAL_MACHINE", KEYS[view], item.get("name"), kind))
            values.append(p.get("value"))
        self.assertNotEqual(items[0].get("uid"), items[1].get("uid"))
        return bytes.fromhex(values[0]), int(values[1], 16), [i.get("uid") for i in items]

    def test_items_carry_the_file_blob_and_its_length_under_the_key_of_each_view(self):
        blob = self.build("small", 1)
        seen_uids = set()
        for view in ["64", "32"]:
            root = self.export("small.WTS", "-o", "Registry%s.xml" % view, "--view", view)
            data, size, uids = self.items(root, view)
            self.assertEqual(data, blob)
            self.assertEqual(size, len(blob))
            seen_uids.update(uids)
        self.assertEqual(len(seen_uids), 4, "every export gives its items new uids")

    def test_a_thousand_rows_per_table_read_back_equal(self):
        blob = self.build("big", 1000)
        data, size, _ = self.items(self.export("big.WTS", "-o", "Registry.xml"), "64")
        self.assertEqual((data, size), (blob, len(blob)))
        with open(self.path("back.WTS"), "wb") as f:
            f.write(data)
        code, output = self.gwconfig("diff", "big.WTS", "back.WTS")
        self.assertEqual(code, 0, output)

    def test_bad_input_writes_nothing(self):
        with open(self.path("random.WTS"), "wb") as f:
            f.write(b"\x99 not a configuration")
        for arguments, message in [
            (["random.WTS", "-o", "out.xml"], "does not decode"),
            (["missing.WTS", "-o", "out.xml"], "missing.WTS"),
            (["random.WTS", "-o", "out.xml", "--view", "16"], "--view"),
            (["random.WTS", "--registry", "-o", "out.xml"], "not both"),
        ]:
            code, output = self.gwconfig("export-gpp", *arguments)
            self.assertEqual(code, 2, arguments)
            self.assertIn(message, output)
            self.assertFalse(os.path.exists(self.path("out.xml")), arguments)

    @unittest.skipUnless(WITH_REGISTRY, "no registry here")
    def test_registry_configuration_exports_as_apply_stored_it(self):
        self.build("farm", 200)
        code, output = self.gwconfig("apply", "farm.WTS")
        self.assertEqual(code, 0, output)
        data, size, _ = self.items(self.export("--registry", "-o", "Registry.xml", "--view",
                                               "32"), "32")
        self.assertEqual(size, len(data))
        with open(self.path("back.WTS"), "wb") as f:
            f.write(data)
        code, output = self.gwconfig("diff", "farm.WTS", "back.WTS")
        self.assertEqual(code, 0, output)


if __name__ == "__main__":
    COMMAND = sys.argv[2:] if WITH_REGISTRY else sys.argv[1:]
    unittest.main(argv=[sys.argv[0]])
