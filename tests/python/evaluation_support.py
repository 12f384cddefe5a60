"""What the evaluation tests share: where the package and the test policies are, the seeds
of the large comparisons, and a folder's saves and results as bytes to compare."""

import os
import re
import subprocess
import sys
from pathlib import Path

import burrowlight

PACKAGE = Path(burrowlight.__file__).parent.parent
HERE = Path(__file__).parent
SEEDS = range(200)


def folder_bytes(folder):
    """Every save of a folder by name, and results.jsonl with the wall times left out (the
    one figure a run does not decide)."""
    saves = {path.name: path.read_bytes() for path in Path(folder).glob("seed-*.json")}
    return saves, without_wall_times((Path(folder) / "results.jsonl").read_text()).encode()


def without_wall_times(text):
    return re.sub(r'"wall_seconds":[0-9.e-]+', '"wall_seconds":_', text)


def run_module(*arguments, **options):
    environment = dict(os.environ, PYTHONPATH=f"{PACKAGE}:{HERE}")
    return subprocess.Popen([sys.executable, "-m", "burrowlight.evaluate", *arguments],
                            env=environment, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            **options)
