#!/usr/bin/env python3
"""gwconfig export-gpp, read back with an XML parser.

Usage: gpp_export_test.py [--registry] [WRAPPER...] GWCONFIG; run in a scratch folder.
--registry (Windows) also stores a configuration with apply and exports it back.
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

WITH_REGISTRY = sys.argv[1:2] == ["--registry"]
COMMAND = sys.argv[2:] if WITH_REGISTRY else sys.argv[1:]
KEYS = {"64": "Software\\Marrowby\\Gatewell", "32": "Software\\Wow6432Node\\Marrowby\\Gatewell"}
GUID = r"^\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}$"


def config_json(rows):
    """A configuration with `rows` distinct rows in every table."""
    def ip(first, r):
        return "%d.%d.%d.%d" % (first, r // 65536, r // 256 % 256, r % 256)
    tables = {
        "R_IPADDRESS": lambda r: {"IPFROM": ip(10, r), "IPTO": "", "TYPE": r % 2},
        "R_COMPUTERNAME": lambda r: {"CNAME": "WS-%d" % r, "TYPE": r % 2},
        "R_MAC": lambda r: {"MACADDRESS": "00-1A-2B-3C-%02X-%02X" % (r // 256, r % 256),
                            "TYPE": 1},
        "MONITOR_SERVER": lambda r: {"SERVER": "TS%d" % r},
        "R_SESSION_IP": lambda r: {"SESSION_IP": ip(172, r), "SESSION_IPCOUNTER": 1 + r % 9},
        "R_SESSION_USER": lambda r: {"SESSION_USER": "u%d" % r, "SESSION_USERCOUNT": 1 + r % 9},
    }
    return json.dumps({name: [row(r) for r in range(rows)] for name, row in tables.items()})


class ExportGpp(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.dir = self.scratch.name

    def tearDown(self):
        self.scratch.cleanup()

    def gwconfig(self, *arguments):
        run = subprocess.run(COMMAND + list(arguments), cwd=self.dir, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, universal_newlines=True)
        return run.returncode, run.stdout

    def file(self, name, data=None):
        with open(os.path.join(self.dir, name), "rb" if data is None else "wb") as f:
            return f.read() if data is None else f.write(data)

    def build(self, name, rows):
        self.file(name + ".json", config_json(rows).encode())
        code, output = self.gwconfig("build", name + ".json", "-o", name + ".WTS")
        self.assertEqual(code, 0, output)
        return self.file(name + ".WTS")

    def export(self, view, *source):
        """Exports, checks the file against the protocol, returns (data, length, uids)."""
        code, output = self.gwconfig("export-gpp", *source, "-o", "R.xml", "--view", view)
        self.assertEqual(code, 0, output)
        raw = self.file("R.xml")
        self.assertTrue(raw.startswith(b'<?xml version="1.0" encoding="utf-8"?>'), raw[:60])
        root = ET.fromstring(raw)
        self.assertEqual((root.tag, root.get("clsid")),
                         ("RegistrySettings", "{A3CCFC41-DFDB-43a5-8D26-0FE8B954DA51}"))
        self.assertEqual([(i.tag, i.get("name")) for i in root],
                         [("Registry", "tsdata"), ("Registry", "datasize")])
        values = []
        for item, kind in zip(root, ["REG_BINARY", "REG_DWORD"]):
            self.assertEqual(item.get("clsid"), "{9CD4B2F4-923D-47f5-A062-E897DD1DAD50}")
            self.assertRegex(item.get("uid"), GUID)
            changed = datetime.datetime.strptime(item.get("changed"), "%Y-%m-%d %H:%M:%S")
            age = datetime.datetime.utcnow() - changed
            self.assertLess(abs(age.total_seconds()), 600, item.get("changed"))
            [p] = item.findall("Properties")
            self.assertEqual([p.get(a) for a in ["action", "hive", "key", "name", "type"]],
                             ["U", "HKEY_LOCAL_MACHINE", KEYS[view], item.get("name"), kind])
            values.append(p.get("value"))
        return bytes.fromhex(values[0]), int(values[1], 16), {i.get("uid") for i in root}

    def expect_reads_back_equal(self, data, original):
        self.file("back.WTS", data)
        code, output = self.gwconfig("diff", original, "back.WTS")
        self.assertEqual(code, 0, output)

    def test_items_carry_the_file_blob_and_its_length_under_the_key_of_each_view(self):
        blob = self.build("small", 1)
        uids = set()
        for view in ["64", "32"]:
            data, size, item_uids = self.export(view, "small.WTS")
            self.assertEqual((data, size), (blob, len(blob)))
            uids |= item_uids
        self.assertEqual(len(uids), 4, "every item of every export has a uid of its own")

    def test_a_thousand_rows_per_table_read_back_equal(self):
        blob = self.build("big", 1000)
        data, size, _ = self.export("64", "big.WTS")
        self.assertEqual((data, size), (blob, len(blob)))
        self.expect_reads_back_equal(data, "big.WTS")

    def test_settings_beside_the_configuration_follow_as_dword_items(self):
        self.build("small", 1)
        code, output = self.gwconfig("export-gpp", "small.WTS", "-o", "R.xml", "--audit-only",
                                     "17", "--event-log", "0")
        self.assertEqual(code, 0, output)
        root = ET.fromstring(self.file("R.xml"))
        self.assertEqual([i.get("name") for i in root],
                         ["tsdata", "datasize", "EventLog", "AuditOnly"])
        self.assertEqual([(p.get("type"), p.get("value")) for p in root.iter("Properties")][2:],
                         [("REG_DWORD", "00000000"), ("REG_DWORD", "00000011")])
        self.assertEqual(len({i.get("uid") for i in root}), 4)

    def test_bad_input_writes_nothing(self):
        self.file("random.WTS", b"\x99 not a configuration")
        for source, message in [(["random.WTS"], "does not decode"),
                                (["random.WTS", "--registry"], "not both")]:
            code, output = self.gwconfig("export-gpp", *source, "-o", "R.xml")
            self.assertEqual(code, 2, source)
            self.assertIn(message, output)
            self.assertFalse(os.path.exists(os.path.join(self.dir, "R.xml")), source)

    @unittest.skipUnless(WITH_REGISTRY, "no registry here")
    def test_the_registry_configuration_exports_as_apply_stored_it(self):
        self.build("farm", 200)
        self.assertEqual(self.gwconfig("apply", "farm.WTS")[0], 0)
        data, size, _ = self.export("32", "--registry")
        self.assertEqual(size, len(data))
        self.expect_reads_back_equal(data, "farm.WTS")


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]])
