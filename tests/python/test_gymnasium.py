"""Where Gymnasium can be imported, the environments are Gymnasium environments too and
are registered; a stand-in with Gymnasium's names shows it on machines without it."""

import importlib
import subprocess
import sys
import textwrap

import pytest

STAND_IN = textwrap.dedent('''
    registered = {}

    class Env:
        pass

    def register(id, entry_point):
        registered[id] = entry_point

    class spaces:
        class Discrete:
            def __init__(self, n):
                self.n = n

        class Box:
            def __init__(self, low, high, shape, dtype):
                self.shape = shape

        class MultiBinary:
            def __init__(self, n):
                self.n = n

        class Dict(dict):
            pass
    ''')


def test_with_gymnasium_the_environments_are_registered(tmp_path):
    (tmp_path / "gymnasium").mkdir()
    (tmp_path / "gymnasium" / "__init__.py").write_text(STAND_IN)
    (tmp_path / "gymnasium" / "spaces.py").write_text(
        "from gymnasium import spaces as _s\nDiscrete = _s.Discrete\nBox = _s.Box\n"
        "MultiBinary = _s.MultiBinary\nDict = _s.Dict\n")
    program = textwrap.dedent('''
        import gymnasium, burrowlight
        assert issubclass(burrowlight.ExpeditionEnv, gymnasium.Env)
        assert issubclass(burrowlight.PrototypeEnv, gymnasium.Env)
        assert gymnasium.registered == {
            "BurrowLight/Expedition-v0": "burrowlight:ExpeditionEnv",
            "BurrowLight/Prototype-v0": "burrowlight:PrototypeEnv"}
        environment = burrowlight.ExpeditionEnv()
        observation, _ = environment.reset(seed=0)
        assert environment.action_space.n == 12
        assert environment.observation_space["map"].shape == observation["map"].shape
        environment.step(3)
        print("ok")
        ''')
    path = [str(tmp_path)] + sys.path
    done = subprocess.run([sys.executable, "-c", program], capture_output=True, text=True,
                          env={"PYTHONPATH": ":".join(path)})
    assert done.returncode == 0, done.stderr
    assert done.stdout == "ok\n"


def test_without_gymnasium_nothing_needs_it():
    try:
        importlib.import_module("gymnasium")
        pytest.skip("Gymnasium is installed here")
    except ImportError:
        pass
    burrowlight = importlib.import_module("burrowlight")
    assert burrowlight.ExpeditionEnv.__mro__[1].__module__ == "burrowlight._burrowlight"
