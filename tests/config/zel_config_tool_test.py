#!/usr/bin/env python3
"""The maker's block tool against a really signed installer.

Signs a copy of the installer with a throw-away certificate, writes blocks
with zel-config, checks that osslsigncode still verifies the signature and
that the installer under Wine reads the blocks, and that every bad input is
refused with one line on standard error and no file touched.
"""
import argparse
import glob
import hashlib
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ARGS = None


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, **kw)


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


class ZelConfigToolTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # Inside the build directory, which Wine sees as drive T:.
        base = os.path.join(ARGS.build_dir, "tests", "tmp")
        os.makedirs(base, exist_ok=True)
        cls.dir = tempfile.mkdtemp(prefix="zel-config-", dir=base)
        cls.key = cls.path("key.pem")
        cls.cert = cls.path("cert.pem")
        r = run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", cls.key, "-out", cls.cert,
                 "-days", "2", "-subj", "/CN=Throw-away Maker"])
        assert r.returncode == 0, r.stderr
        cls.unsigned = cls.path("unsigned.exe")
        shutil.copyfile(ARGS.installer, cls.unsigned)
        cls.signed = cls.path("signed.exe")
        r = run(["osslsigncode", "sign", "-certs", cls.cert, "-key", cls.key, "-n", "ZELDownloader",
                 "-in", cls.unsigned, "-out", cls.signed])
        assert r.returncode == 0, r.stdout + r.stderr

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    @classmethod
    def path(cls, name):
        return os.path.join(cls.dir, name)

    def json_file(self, name, content):
        p = self.path(name)
        with open(p, "w", encoding="utf-8") as f:
            f.write(content if isinstance(content, str) else json.dumps(content))
        return p

    def tool(self, *args):
        return run([ARGS.tool, *args])

    def verify(self, exe):
        r = run(["osslsigncode", "verify", "-CAfile", self.cert, "-in", exe])
        out = r.stdout + r.stderr
        self.assertEqual(r.returncode, 0, out)
        self.assertIn("Signature verification: ok", out)
        self.assertNotIn("invalid PE checksum", out)

    def read_blocks(self, exe):
        r = self.tool("read", exe)
        lines = r.stdout.splitlines()
        return r.returncode, [json.loads(l) for l in lines[:-1]], lines[-1]

    def run_installer(self, exe):
        """Runs the installer under Wine and returns its "GConfig" log texts."""
        prefix = self.path("prefix-" + os.path.basename(exe))
        env = dict(os.environ, ZEL_WINE_PREFIX=prefix, ZEL_BUILD_DIR=ARGS.build_dir)
        r = run([ARGS.wine_run, exe], env=env, timeout=120)
        self.assertEqual(r.returncode, 0, r.stderr)
        logs = glob.glob(os.path.join(prefix, "drive_c", "users", "*", "Temp", "GameDownloadLog", "*.log"))
        self.assertEqual(len(logs), 1, logs)
        with open(logs[0], encoding="utf-8") as f:
            return [l.split("] ", 1)[1].rstrip("\r\n") for l in f if "[GConfig]" in l]

    def test_signed_build_keeps_its_signature_and_the_installer_reads_the_blocks(self):
        out = self.path("channel.exe")
        first = self.json_file("first.json", {"pkgName": "com.example.game", "supplyid": 222, "buildid": 90071992547,
                                              "sourceid": "src-\u4e2d", "bkgPngNumber": 3,
                                              "gameName": "Spiel \u00fc"})
        before = digest(self.signed)
        r = self.tool("write", self.signed, "--json", first, "--out", out)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("certificate table", r.stdout)
        self.assertEqual(digest(self.signed), before, "--out must leave the input alone")
        self.verify(out)

        # A second write in place stacks a block before the end; the first
        # written (nearer the start) wins where both set a key.
        second = self.json_file("second.json", {"supplyid": 333, "title": "Second"})
        r = self.tool("write", out, "--json", second)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.verify(out)
        self.assertEqual(glob.glob(self.path("*.tmp")), [])

        rc, blocks, last = self.read_blocks(out)
        self.assertEqual(rc, 0)
        self.assertEqual(blocks, [{"supplyid": 333, "title": "Second"},
                                  {"pkgName": "com.example.game", "supplyid": 222, "buildid": 90071992547,
                                   "sourceid": "src-\u4e2d", "bkgPngNumber": 3, "gameName": "Spiel \u00fc"}])
        self.assertTrue(last.startswith("end: 2 block(s)"), last)

        lines = self.run_installer(out)
        self.assertIn("need install pkg [com.example.game]", lines)
        self.assertIn("ZELDownloader inner SupplyId [222]", lines)
        self.assertIn("ZELDownloader inner buildid [90071992547]", lines)
        self.assertIn("ZELDownloader inner appid [src-\u4e2d]", lines)
        self.assertIn("Background png number: 3", lines)
        self.assertEqual(sum(l.startswith("find the inject data: 0x") for l in lines), 2)

        # The Windows build of the tool reads the same blocks.
        rel = os.path.relpath(out, ARGS.build_dir).replace("/", "\\")
        env = dict(os.environ, ZEL_BUILD_DIR=ARGS.build_dir)
        r = subprocess.run([ARGS.wine_run, ARGS.win_tool, "read", "T:\\" + rel], env=env, capture_output=True,
                           timeout=120)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout.decode("utf-8").replace("\r\n", "\n"), self.tool("read", out).stdout)

    def test_unsigned_build_gets_a_plain_append(self):
        out = self.path("plain.exe")
        cfg = self.json_file("plain.json", {"supplyid": 7})
        r = self.tool("write", self.unsigned, "--json", cfg, "--out", out)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("appended", r.stdout)
        with open(self.unsigned, "rb") as a, open(out, "rb") as b:
            original, written = a.read(), b.read()
        # Only the PE checksum (kept valid) changes in front of the block.
        checksum = int.from_bytes(original[0x3C:0x40], "little") + 24 + 64
        mask = lambda b: b[:checksum] + b"\0" * 4 + b[checksum + 4:len(original)]
        self.assertEqual(mask(written), mask(original))
        self.assertEqual(self.read_blocks(out)[1], [{"supplyid": 7}])

    def test_read_reports_a_damaged_block(self):
        out = self.path("damaged.exe")
        cfg = self.json_file("damaged.json", {"supplyid": 9, "area": "eu"})
        self.assertEqual(self.tool("write", self.signed, "--json", cfg, "--out", out).returncode, 0)
        with open(out, "r+b") as f:
            f.seek(-50, os.SEEK_END)  # inside the data part
            b = f.read(1)
            f.seek(-50, os.SEEK_END)
            f.write(bytes([b[0] ^ 1]))
        rc, blocks, last = self.read_blocks(out)
        self.assertEqual(rc, 1)
        self.assertEqual(blocks, [])
        self.assertTrue(last.startswith("stop: MD5 mismatch"), last)

    def test_bad_input_is_refused_and_nothing_changes(self):
        text_file = self.path("notes.exe")
        with open(text_file, "w") as f:
            f.write("just some text, long enough to be more than a DOS header would need..." * 2)
        cases = [
            ("not a PE image", text_file, {"supplyid": 1}, "not a PE image"),
            ("JSON that does not parse", self.signed, '{"supplyid": }', "JSON does not parse"),
            ("JSON that is not an object", self.signed, "[1, 2]", "JSON is not an object but array"),
            ("wrong type for a known key", self.signed, {"supplyid": 1, "installMarket": 1},
             "key installMarket: [json.exception.type_error.302] type must be boolean, but is number"),
            ("data part over 1 MiB", self.signed, {"title": "x" * (1024 * 1024)}, "over the limit of 1048576 bytes"),
        ]
        for name, exe, content, message in cases:
            with self.subTest(name):
                cfg = self.json_file("bad.json", content)
                before = digest(exe)
                out = self.path("never.exe")
                for extra in ([], ["--out", out]):
                    r = self.tool("write", exe, "--json", cfg, *extra)
                    self.assertEqual(r.returncode, 1)
                    self.assertEqual(r.stdout, "")
                    self.assertEqual(len(r.stderr.splitlines()), 1, r.stderr)
                    self.assertIn(message, r.stderr)
                    self.assertEqual(digest(exe), before)
                    self.assertFalse(os.path.exists(out))
                    self.assertEqual(glob.glob(self.path("*.tmp")), [])

        missing = self.tool("write", self.signed, "--json", self.path("absent.json"))
        self.assertEqual(missing.returncode, 1)
        self.assertIn("cannot open", missing.stderr)
        for usage in (["write", self.signed], ["frobnicate"], ["read"], []):
            self.assertEqual(self.tool(*usage).returncode, 2, usage)

    def test_size_limit_boundary_and_unknown_keys(self):
        # The compact text '{"fancyKey":true,"title":"yy...y"}' is n + 28 bytes;
        # n = 1 MiB - 28 gives a data part of exactly 1 MiB, one more goes over.
        n = 1024 * 1024 - 28
        out = self.path("big.exe")
        cfg = self.json_file("big.json", {"title": "y" * n, "fancyKey": True})
        r = self.tool("write", self.signed, "--json", cfg, "--out", out)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn('warning: unknown key "fancyKey" is ignored by the installer', r.stderr)
        self.verify(out)
        self.assertEqual(self.read_blocks(out)[1][0]["fancyKey"], True)

        cfg = self.json_file("big.json", {"title": "y" * (n + 1), "fancyKey": True})
        r = self.tool("write", self.signed, "--json", cfg, "--out", self.path("bigger.exe"))
        self.assertEqual(r.returncode, 1)
        self.assertIn("data part of 1048584 bytes is over the limit", r.stderr)

    def test_help_documents_the_commands(self):
        r = self.tool("--help")
        self.assertEqual(r.returncode, 0)
        for word in ("zel-config write EXE --json FILE [--out OUT]", "zel-config read EXE", "certificate table",
                     "1 MiB", "unknown keys"):
            self.assertIn(word, r.stdout)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--win-tool", required=True)
    parser.add_argument("--installer", required=True)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--wine-run", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
