"""burrowlight.evaluate on a real Dask cluster: a dask-scheduler and two dask-worker
processes on 127.0.0.1 with ports of the system's choosing. The saves and results are
those of one local process, also when a worker is killed mid-run."""

import json
import os
import signal
import subprocess
import sys
import threading

import evaluation_policies
import pytest
from evaluation_support import HERE, PACKAGE, SEEDS, folder_bytes, run_module

from burrowlight.evaluate import evaluate

distributed = pytest.importorskip("distributed")


class Cluster:
    """A scheduler and its workers, each a process of its own, stopped by `stop`."""

    def __init__(self, folder):
        self.folder = folder
        self.scheduler_file = folder / "scheduler.json"
        self.environment = dict(os.environ, PYTHONPATH=f"{PACKAGE}:{HERE}")
        self.log = open(folder / "cluster.log", "wb")
        self.scheduler = self._start("distributed.cli.dask_scheduler", "--port", "0",
                                     "--scheduler-file", str(self.scheduler_file))
        self.workers = []

    def _start(self, module, *arguments):
        return subprocess.Popen([sys.executable, "-m", module, "--host", "127.0.0.1",
                                 "--no-dashboard", *arguments],
                                env=self.environment, cwd=self.folder,
                                stdout=self.log, stderr=self.log)

    def start_worker(self):
        # Without a nanny the worker is this very process, so that killing it loses it.
        self.workers.append(self._start(
            "distributed.cli.dask_worker", "--scheduler-file", str(self.scheduler_file),
            "--nthreads", "1", "--no-nanny", "--memory-limit", "0",
            "--local-directory", str(self.folder)))

    def client(self, workers):
        while not self.scheduler_file.exists():
            assert self.scheduler.poll() is None, (self.folder / "cluster.log").read_text()
            threading.Event().wait(0.05)
        client = distributed.Client(scheduler_file=str(self.scheduler_file))
        client.wait_for_workers(workers)
        return client

    def address(self):
        return json.loads(self.scheduler_file.read_text())["address"]

    def stop(self):
        for process in [*self.workers, self.scheduler]:
            process.kill()
            process.wait()
        self.log.close()


@pytest.fixture(scope="module")
def cluster(tmp_path_factory):
    started = Cluster(tmp_path_factory.mktemp("cluster"))
    try:
        started.start_worker()
        started.start_worker()
        yield started
    finally:
        started.stop()


@pytest.fixture(scope="module")
def client(cluster):
    with cluster.client(2) as connected:
        yield connected


@pytest.fixture(scope="module")
def one_process(tmp_path_factory):
    folder = tmp_path_factory.mktemp("one-process")
    evaluate(evaluation_policies.mixed, SEEDS, folder, workers=1, progress=False)
    return folder_bytes(folder)


def test_a_cluster_writes_the_saves_and_results_of_one_local_process(client, one_process,
                                                                     tmp_path):
    evaluation = evaluate(evaluation_policies.mixed, SEEDS, tmp_path, client=client,
                          progress=False)
    assert folder_bytes(tmp_path) == one_process
    assert evaluation.summary.runs == len(SEEDS)


def test_the_command_line_evaluates_on_a_scheduler(cluster, one_process, tmp_path):
    running = run_module("--policy", "evaluation_policies:mixed", "--seeds", "0:30",
                         "--out", str(tmp_path), "--scheduler", cluster.address())
    output, error = running.communicate()
    assert running.returncode == 0, error.decode()
    assert output.decode().startswith("runs: 30 finished, 0 failed\n")
    saves, results = folder_bytes(tmp_path)
    assert saves == {name: data for name, data in one_process[0].items()
                     if int(name[len("seed-"):-len(".json")]) < 30}
    assert results.splitlines(keepends=True) == one_process[1].splitlines(keepends=True)[:30]


def test_a_worker_killed_mid_run_changes_no_result(cluster, client, one_process, tmp_path):
    finished = {}
    evaluating = threading.Thread(target=lambda: finished.update(evaluation=evaluate(
        evaluation_policies.slow, SEEDS, tmp_path, client=client, progress=False)))
    evaluating.start()
    results = tmp_path / "results.jsonl"
    while not results.exists() or results.read_bytes().count(b"\n") < 10:
        assert evaluating.is_alive()
        threading.Event().wait(0.01)
    lost = cluster.workers[0]
    lost.send_signal(signal.SIGKILL)
    lost.wait()
    evaluating.join()
    assert folder_bytes(tmp_path) == one_process
    assert finished["evaluation"].summary.runs == len(SEEDS)
