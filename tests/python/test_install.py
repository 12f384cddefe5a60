"""`pip install .` from a copy of the checkout into a fresh virtual environment, offline,
and the registered id made in a fresh interpreter from another folder. It builds the
package anew, so it is the slow one; BURROWLIGHT_SKIP_INSTALL_TEST=1 leaves it out."""

import os
import shutil
import subprocess
import sys
from pathlib import Path

import pytest

SOURCE = Path(os.environ.get("BURROWLIGHT_SOURCE_DIR", "."))
LIBRARIES = SOURCE.resolve().parent / "shared" / "python"

pytestmark = pytest.mark.skipif(os.environ.get("BURROWLIGHT_SKIP_INSTALL_TEST") == "1",
                                reason="BURROWLIGHT_SKIP_INSTALL_TEST=1")


def test_pip_installs_the_package_into_a_fresh_virtual_environment(tmp_path):
    if not (SOURCE / "pyproject.toml").is_file():
        pytest.skip("BURROWLIGHT_SOURCE_DIR is not the checkout")
    if not (LIBRARIES / "gymnasium").is_dir():
        pytest.skip("no Gymnasium to make the environment with")
    checkout = tmp_path / "checkout"
    shutil.copytree(SOURCE, checkout, ignore=shutil.ignore_patterns(
        ".git", "build", "build-*", "*.egg-info", "__pycache__"))
    venv = tmp_path / "venv"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(venv)],
                   check=True)
    subprocess.run([str(venv / "bin" / "pip"), "install", "--quiet", "--no-index",
                    "--no-build-isolation", str(checkout)], check=True, capture_output=True)
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    program = ("import gymnasium, burrowlight\n"
               "print(burrowlight.__file__.startswith(sys.prefix))\n"
               "print(gymnasium.make('burrowlight:BurrowLight/Expedition-v0').reset(seed=0)[1]"
               "['seed'])\n")
    done = subprocess.run([str(venv / "bin" / "python"), "-c", "import sys\n" + program],
                          cwd=elsewhere, capture_output=True, text=True,
                          env={"PATH": os.environ.get("PATH", ""), "PYTHONPATH": str(LIBRARIES)})
    assert done.returncode == 0, done.stderr
    assert done.stdout == "True\n0\n"
