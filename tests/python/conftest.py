"""The package under test is the one the build made (PYTHONPATH, set by ctest), and the
game it is compared with is the build's program (BURROWLIGHT_BINARY). The libraries the
package plugs into (Gymnasium, Stable-Baselines3) are those installed for the interpreter,
or those in the folder BURROWLIGHT_PYTHON_LIBRARIES names, by default shared/python beside
the checkout.

The tests that need them are marked, and ctest runs each group as its own entry:
BURROWLIGHT_TEST_NEEDS lists the modules the entry's tests need (by commas), and when one
of them cannot be imported the whole run ends at once with status 77, which ctest reports
as skipped."""

import importlib
import os
import sys
from pathlib import Path

import pytest
from harness import Sandbox

LIBRARIES = Path(os.environ.get("BURROWLIGHT_PYTHON_LIBRARIES") or Path(
    os.environ.get("BURROWLIGHT_SOURCE_DIR", ".")).resolve().parent / "shared" / "python")
if LIBRARIES.is_dir() and str(LIBRARIES) not in sys.path:
    sys.path.append(str(LIBRARIES))

# What ctest takes for a test that could not run.
SKIPPED = 77


def pytest_configure(config):
    config.addinivalue_line("markers", "gymnasium: needs Gymnasium")
    config.addinivalue_line("markers", "stable_baselines: needs Stable-Baselines3 and torch")
    config.addinivalue_line("markers", "install: installs the package with pip")
    for name in filter(None, os.environ.get("BURROWLIGHT_TEST_NEEDS", "").split(",")):
        try:
            importlib.import_module(name)
        except ImportError:
            pytest.exit(f"{name} cannot be imported (looked also in {LIBRARIES}): "
                        "the tests that need it did not run", returncode=SKIPPED)

import burrowlight  # noqa: E402  (after the shared libraries, so that it registers with them)


@pytest.fixture
def sandbox():
    """A fresh directory for saves and program runs, removed afterwards."""
    with Sandbox(prefix="burrowlight-python-") as made:
        yield made


@pytest.fixture
def expedition():
    """A practice expedition one step in."""
    environment = burrowlight.ExpeditionEnv()
    environment.reset(seed=0)
    environment.step(3)
    return environment
