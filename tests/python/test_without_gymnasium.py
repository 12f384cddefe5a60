"""The package where Gymnasium cannot be imported: each environment is the same class,
defined on plain ``object``, with every behaviour that does not come from Gymnasium, and
the pickles such a process makes name their classes where they always have."""

import os
import subprocess
import sys

import pytest

PREAMBLE = """
import pickle, sys
sys.modules["gymnasium"] = None
import numpy
import burrowlight
from burrowlight import ExpeditionEnv, PrototypeEnv, VectorExpeditionEnv
"""

CASES = {
    "one class on object, no Gymnasium face": """
for cls in (ExpeditionEnv, PrototypeEnv, VectorExpeditionEnv):
    assert cls.__mro__[-1] is object and len(cls.__mro__) == 4, cls.__mro__
    assert "gymnasium" not in str(cls.__mro__)
environment = ExpeditionEnv()
assert not hasattr(environment, "observation_space") and not hasattr(environment, "spec")
assert not {"FlatMap", "WithoutFinish"} & set(burrowlight.__all__)
""",
    "flat map": """
assert ExpeditionEnv(flat_map=True).reset(seed=3)[0]["map"].shape == (247,)
prototype = PrototypeEnv(flat_map=True)
prototype.reset()
assert prototype.step(0)[0]["map"].shape == (3956,)
vector = VectorExpeditionEnv(2, flat_map=True)
vector.reset(seed=1)
assert vector.step(numpy.array([3, 3]))[0]["map"].shape == (2, 247)
""",
    "render modes": """
environment = ExpeditionEnv(render_mode="ansi")
observation, _ = environment.reset(seed=0)
assert environment.render().splitlines()[13:15] == ["position: 2 2", "floor: 0"]
environment = PrototypeEnv(render_mode="rgb_array")
environment.reset()
assert environment.render().shape == (320, 480, 3)
try:
    ExpeditionEnv(render_mode="human")
except ValueError as error:
    assert "render_mode must be one of" in str(error)
else:
    raise AssertionError("a render mode it cannot give was taken")
""",
    "unseeded reset": """
seeds = {int(ExpeditionEnv().reset()[1]["seed"]) for _ in range(4)}
_, info = ExpeditionEnv().reset()
assert len(seeds) == 4 and info["seed"].dtype == numpy.uint64
""",
    "pickles name the classes where they always have": """
for name in ["ExpeditionEnv", "PrototypeEnv", "VectorExpeditionEnv"]:
    assert pickle.loads(f"cburrowlight._plain\\n{name}\\n.".encode()) is getattr(burrowlight, name)
environment = ExpeditionEnv(flat_map=True)
environment.reset(seed=4)
again = pickle.loads(pickle.dumps(environment))
assert again.clone() == environment.clone() and again.reset(seed=4)[0]["map"].shape == (247,)
""",
}


@pytest.mark.parametrize("program", CASES.values(), ids=CASES.keys())
def test_without_gymnasium(program):
    # Only the package's path, and the sanitizer runtime where the module is built with it.
    kept = ("PYTHONPATH", "LD_PRELOAD", "ASAN_OPTIONS", "PYTHONMALLOC")
    done = subprocess.run([sys.executable, "-c", PREAMBLE + program + "print('ok')\n"],
                          capture_output=True, text=True,
                          env={name: os.environ[name] for name in kept if name in os.environ})
    assert done.returncode == 0, done.stderr
    assert done.stdout == "ok\n"
