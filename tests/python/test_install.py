"""`pip install .` from a copy of the checkout into a fresh virtual environment, offline,
and the package used in a fresh interpreter from another folder: its version, and with
Gymnasium (where the tests find it) the registered id. The build happens in build/pip/,
apart from the presets' folders, and a CMake folder left there by a checkout at another
path is made anew. It builds the package anew, so it is the slow one;
BURROWLIGHT_SKIP_INSTALL_TEST=1 leaves it out."""

import os
import shutil
import subprocess
import sys
from pathlib import Path

import pytest
from conftest import LIBRARIES

SOURCE = Path(os.environ.get("BURROWLIGHT_SOURCE_DIR", "."))

pytestmark = [pytest.mark.install,
              pytest.mark.skipif(os.environ.get("BURROWLIGHT_SKIP_INSTALL_TEST") == "1",
                                 reason="BURROWLIGHT_SKIP_INSTALL_TEST=1")]

PROGRAM = """import importlib.metadata, sys
import burrowlight
print(burrowlight.__file__.startswith(sys.prefix))
print(burrowlight.__version__ == importlib.metadata.version("burrowlight"))
print(burrowlight.ExpeditionEnv().reset(seed=0)[1]["seed"])
try:
    import gymnasium
except ImportError:
    print(0)
else:
    print(gymnasium.make("burrowlight:BurrowLight/Expedition-v0").reset(seed=0)[1]["seed"])
"""


def test_pip_installs_the_package_into_a_fresh_virtual_environment(tmp_path):
    if not (SOURCE / "pyproject.toml").is_file():
        pytest.skip("BURROWLIGHT_SOURCE_DIR is not the checkout")
    checkout = tmp_path / "checkout"
    shutil.copytree(SOURCE, checkout, ignore=shutil.ignore_patterns(
        ".git", "build", "build-*", "*.egg-info", "__pycache__", ".venv"))
    # What a checkout that was moved here from elsewhere leaves behind.
    stale = checkout / "build" / "pip"
    stale.mkdir(parents=True)
    (stale / "CMakeCache.txt").write_text("CMAKE_HOME_DIRECTORY:INTERNAL=/moved/away\n")
    venv = tmp_path / "venv"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(venv)],
                   check=True)
    # With ccache's paths taken from the copy, its objects are those of the checkout's
    # release build, where one was made so.
    done = subprocess.run([str(venv / "bin" / "pip"), "install", "--verbose", "--no-index",
                           "--no-build-isolation", str(checkout)], capture_output=True, text=True,
                          env={**os.environ, "CCACHE_BASEDIR": str(checkout)})
    assert done.returncode == 0, done.stdout[-3000:] + done.stderr[-3000:]
    assert "burrowlight: building the module" in done.stdout + done.stderr
    # Nothing of the build lands beside the presets' folders.
    assert sorted(path.name for path in (checkout / "build").iterdir()) == ["pip"]
    assert (stale / "CMakeCache.txt").read_text().count(str(checkout)) > 0

    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    environment = {"PATH": os.environ.get("PATH", "")}
    if LIBRARIES.is_dir():
        environment["PYTHONPATH"] = str(LIBRARIES)
    done = subprocess.run([str(venv / "bin" / "python"), "-c", PROGRAM], cwd=elsewhere,
                          capture_output=True, text=True, env=environment)
    assert done.returncode == 0, done.stderr
    assert done.stdout == "True\nTrue\n0\n0\n"
