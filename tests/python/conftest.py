"""The package under test is the one the build made (PYTHONPATH, set by ctest), and the
game it is compared with is the build's program (BURROWLIGHT_BINARY). The libraries the
package plugs into (Gymnasium, Stable-Baselines3) come from the shared folder beside the
checkout where there is one; every test runs with them then, and tests that need them skip
where they cannot be imported."""

import os
import sys
from pathlib import Path

import pytest
from harness import Sandbox

_LIBRARIES = Path(os.environ.get("BURROWLIGHT_SOURCE_DIR", ".")).resolve().parent / "shared" / "python"
if _LIBRARIES.is_dir() and str(_LIBRARIES) not in sys.path:
    sys.path.append(str(_LIBRARIES))

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
