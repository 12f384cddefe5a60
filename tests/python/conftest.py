"""The package under test is the one the build made (PYTHONPATH, set by ctest), and the
game it is compared with is the build's program (BURROWLIGHT_BINARY)."""

import pytest
from harness import Sandbox

import burrowlight


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
