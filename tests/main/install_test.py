"""`cmake --install` of the build that made the programs (the folder above their bin/) into
a fresh prefix: the three programs run from there and give their version lines, and each
has its man page, which man renders with the program's own name and options. Skipped where
the build made no man pages (help2man missing)."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

from harness import BINARY, SKIPPED

BUILD = os.path.dirname(os.path.dirname(BINARY))
if not os.path.isdir(os.path.join(BUILD, "man")):
    print(f"{BUILD} has no man pages (no help2man): skipping {sys.argv[0]}", file=sys.stderr)
    sys.exit(SKIPPED)

VERSION = "0.1.0-alpha.1"
PROGRAMS = {
    "burrowlight": (f"BurrowLight {VERSION}\n", "--headless"),
    "burrowlight-verify": (f"burrowlight-verify (BurrowLight) {VERSION}\n", "--version"),
    "burrowlight-replay": (f"burrowlight-replay (BurrowLight) {VERSION}\n", "--asciicast"),
    "burrowlight-board": (f"burrowlight-board (BurrowLight) {VERSION}\n", "--database"),
    "burrowlight-submit": (f"burrowlight-submit (BurrowLight) {VERSION}\n", "--token-file"),
}


class Install(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.prefix = tempfile.mkdtemp(prefix="burrowlight-prefix-")
        subprocess.run(["cmake", "--install", BUILD, "--prefix", cls.prefix], check=True,
                       capture_output=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.prefix)

    def test_the_programs_run_from_the_prefix_and_give_their_versions(self):
        for name, (version, _) in PROGRAMS.items():
            for flag in ("--version", "-V"):
                with self.subTest(program=name, flag=flag):
                    done = subprocess.run([os.path.join(self.prefix, "bin", name), flag],
                                          capture_output=True, text=True)
                    self.assertEqual((done.returncode, done.stdout, done.stderr),
                                     (0, version, ""))

    def test_each_program_has_a_man_page_with_its_options(self):
        for name, (_, option) in PROGRAMS.items():
            with self.subTest(program=name):
                page = os.path.join(self.prefix, "share", "man", "man1", f"{name}.1")
                with open(page, encoding="utf-8") as file:
                    source = file.read()
                self.assertIn(f'.TH {name.upper()} "1"', source)
                self.assertIn(option.replace("-", r"\-"), source)
                if shutil.which("man") is None:
                    continue
                shown = subprocess.run(["man", "-l", page], capture_output=True, text=True,
                                       env={**os.environ, "MANPAGER": "cat", "MANWIDTH": "80"})
                self.assertEqual(shown.returncode, 0, shown.stderr)
                self.assertIn(name, shown.stdout)
                self.assertIn(option, shown.stdout)


if __name__ == "__main__":
    unittest.main()
