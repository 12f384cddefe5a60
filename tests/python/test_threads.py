"""Other threads run while the package waits on the disk or steps a batch: it gives the
interpreter lock up meanwhile."""

import os
import shutil
import subprocess
import sys

import pytest

# Prints how often a second thread counted while the main thread did WORK. The counter
# hands the interpreter lock back after every count, and the main thread never gives it up
# between two bytecodes, so the counter only counts while WORK has given the lock up.
COUNT_DURING = """
import sys, threading, time, numpy, burrowlight
counted, stop = [0], threading.Event()
def count():
    while not stop.is_set():
        counted[0] += 1
        time.sleep(0)
sys.setswitchinterval(100)
environment = burrowlight.ExpeditionEnv()
environment.reset(seed=1)
environments = burrowlight.VectorExpeditionEnv(4096)
environments.reset(seed=0)
actions = numpy.full(4096, 3)
counter = threading.Thread(target=count)
counter.start()
before = counted[0]
WORK
print(counted[0] - before)
stop.set()
counter.join()
"""


def counted_during(sandbox, work, prefix=()):
    done = subprocess.run([*prefix, sys.executable, "-c", COUNT_DURING.replace("WORK", work),
                           sandbox.path("s.json")],
                          env=sandbox.environment, capture_output=True, timeout=60)
    assert done.returncode == 0, done.stderr.decode()
    return int(done.stdout)


def test_another_thread_runs_while_save_flushes(sandbox):
    strace = shutil.which("strace")
    if strace is None:
        pytest.skip("strace is not installed")
    # Every fsync waits half a second first.
    slow_disk = [strace, "-f", "-qq", "-o", os.devnull, "-e", "trace=fsync",
                 "-e", "inject=fsync:delay_enter=500000"]
    assert counted_during(sandbox, "environment.save(sys.argv[1])", slow_disk) > 0


def test_another_thread_runs_while_a_batch_steps(sandbox):
    work = "for _ in range(5): environments.step(actions)"
    assert counted_during(sandbox, work) > 0
