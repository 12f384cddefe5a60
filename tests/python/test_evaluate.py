"""burrowlight.evaluate on this machine's processes: the same saves and results whatever
the number of processes, every save checked by burrowlight-verify against its result
line, resuming, the failures of a policy, and the seeds it takes."""

import json
import os
import re
import signal
import subprocess

import evaluation_policies
import pytest
from evaluation_support import SEEDS, folder_bytes, run_module, without_wall_times

from burrowlight.evaluate import SeedsError, StoreError, _seeds, evaluate


@pytest.fixture(scope="module")
def one_process(tmp_path_factory):
    folder = tmp_path_factory.mktemp("one-process")
    evaluation = evaluate(evaluation_policies.mixed, SEEDS, folder, workers=1, progress=False)
    return folder, evaluation


def test_two_processes_write_the_same_saves_and_results_as_one(one_process, tmp_path):
    folder, _ = one_process
    evaluate(evaluation_policies.mixed, SEEDS, tmp_path, workers=2, progress=False)
    saves, results = folder_bytes(tmp_path)
    assert len(saves) == len(SEEDS)
    assert (saves, results) == folder_bytes(folder)


def test_results_come_in_seed_order_with_every_kind_of_end(one_process):
    folder, evaluation = one_process
    lines = (folder / "results.jsonl").read_text().splitlines()
    assert [json.loads(line)["seed"] for line in lines] == list(SEEDS)
    assert [json.loads(line) for line in lines] == evaluation.results
    ends = {result["end"] for result in evaluation.results}
    assert ends == {"sealed", "action limit", "step limit"}
    cut = [result for result in evaluation.results if result["end"] == "step limit"]
    assert all(result["steps"] == 2048 and result["refusals"] == 2048 for result in cut)


def test_every_save_passes_verify_with_the_figures_of_its_result(one_process):
    folder, evaluation = one_process
    saves = [str(folder / result["save"]) for result in evaluation.results]
    checked = subprocess.run([os.environ["BURROWLIGHT_VERIFY"], *saves], capture_output=True,
                             check=True).stdout.decode().splitlines()
    figures = [{"seed": line["seed"], "score": line["score"], "depth": line["depth"],
                "accepted": line["turns"], "sealed": line["finished"], "valid": line["valid"]}
               for line in map(json.loads, checked)]
    assert figures == [{"seed": result["seed"], "score": result["score"],
                        "depth": result["depth"], "accepted": result["accepted"],
                        "sealed": result["sealed"], "valid": True}
                       for result in evaluation.results]


def test_the_summary_and_the_plot_are_written(one_process):
    folder, evaluation = one_process
    summary = evaluation.summary
    assert (summary.runs, summary.failed) == (len(SEEDS), 0)
    assert summary.mean.low <= summary.mean.value <= summary.mean.high
    assert summary.reaching[0] == 1.0
    assert (folder / "summary.txt").read_text() == summary.text()
    assert (folder / "scores.png").read_bytes().startswith(b"\x89PNG\r\n\x1a\n")


def test_ctrl_c_keeps_the_finished_runs_and_the_same_command_goes_on(one_process, tmp_path):
    arguments = ("--policy", "evaluation_policies:slow", "--seeds", "0:200", "--out",
                 str(tmp_path), "--workers", "2")
    running = run_module(*arguments, start_new_session=True)
    results = tmp_path / "results.jsonl"
    while not results.exists() or results.read_bytes().count(b"\n") < 20:
        assert running.poll() is None
    os.killpg(running.pid, signal.SIGINT)
    _, error = running.communicate()
    assert running.returncode == 130
    assert error.decode().endswith(f"Stopped; the finished runs are kept in {tmp_path}, and "
                                   "the same command goes on from there.\n")
    kept = results.read_text().splitlines()
    assert 20 <= len(kept) < len(SEEDS)
    assert all(json.loads(line)["error"] is None for line in kept)
    again = run_module(*arguments)
    output, _ = again.communicate()
    assert again.returncode == 0
    assert output.decode().startswith("runs: 200 finished, 0 failed\n")
    assert folder_bytes(tmp_path) == folder_bytes(one_process[0])


@pytest.mark.parametrize("kept, torn", [(5, ""), (5, '{"accepted":51'), (20, "")])
def test_an_evaluation_goes_on_from_the_lines_a_folder_holds(one_process, tmp_path, kept,
                                                             torn):
    lines = (one_process[0] / "results.jsonl").read_text().splitlines(keepends=True)
    (tmp_path / "results.jsonl").write_text("".join(lines[:kept]) + torn)
    evaluate(evaluation_policies.mixed, range(20), tmp_path, workers=2, progress=False)
    assert without_wall_times((tmp_path / "results.jsonl").read_text()) == \
        without_wall_times("".join(lines[:20]))
    # Only the seeds without a line were played again, and only they were saved.
    assert len(list(tmp_path.glob("seed-*.json"))) == 20 - kept


@pytest.mark.parametrize("content", [
    "not json\n",
    '{"seed": 1}\n',
    '[1, 2]\n',
])
def test_a_folder_with_lines_no_evaluation_wrote_is_refused_untouched(tmp_path, content):
    (tmp_path / "results.jsonl").write_text(content)
    with pytest.raises(StoreError, match=re.escape(
            f"{tmp_path / 'results.jsonl'} line 1 is not a line an evaluation wrote; the "
            "folder was left as it was.")):
        evaluate(evaluation_policies.mixed, range(3), tmp_path, workers=1, progress=False)
    assert sorted(path.name for path in tmp_path.iterdir()) == ["results.jsonl"]
    assert (tmp_path / "results.jsonl").read_text() == content


@pytest.fixture(scope="module")
def failing(tmp_path_factory):
    folder = tmp_path_factory.mktemp("failing")
    return folder, evaluate(evaluation_policies.failing, range(12), folder, workers=2,
                            progress=False)


NOT_AN_ACTION = ("Seed {seed}, step 4: the policy returned {action}, which is not an action "
                 "(an index from 0 to 11 into EXPEDITION_ACTIONS).")


@pytest.mark.parametrize("seed, message", [
    (3, "Seed 3: the policy raised RuntimeError when the run started: no room to start"),
    (4, "Seed 4: the policy raised ValueError at step 4: lost the map"),
    (5, NOT_AN_ACTION.format(seed=5, action="'north'")),
    (6, NOT_AN_ACTION.format(seed=6, action="12")),
    (7, NOT_AN_ACTION.format(seed=7, action="-1")),
    (8, NOT_AN_ACTION.format(seed=8, action="True")),
    (9, NOT_AN_ACTION.format(seed=9, action="2.0")),
    (10, NOT_AN_ACTION.format(seed=10, action="None")),
])
def test_a_failing_policy_fails_its_seed_alone(failing, seed, message):
    folder, evaluation = failing
    result = evaluation.results[seed]
    assert result == {"accepted": None, "deepest": None, "depth": None, "end": None,
                      "error": message, "refusals": None, "save": None, "score": None,
                      "sealed": None, "seed": seed, "steps": None,
                      "wall_seconds": result["wall_seconds"]}
    assert not (folder / f"seed-{seed}.json").exists()


def test_the_evaluation_goes_on_past_failing_seeds(failing):
    folder, evaluation = failing
    assert sorted(path.name for path in folder.glob("seed-*.json")) == sorted(
        f"seed-{seed}.json" for seed in (0, 1, 2, 11))
    summary = evaluation.summary
    assert (summary.runs, summary.failed) == (4, 8)
    assert summary.first_error == evaluation.results[3]["error"]


def test_the_command_line_fails_with_status_1_when_a_seed_failed(tmp_path):
    running = run_module("--policy", "evaluation_policies:FAILURES", "--seeds", "0:5",
                         "--out", str(tmp_path), "--workers", "1")
    output, _ = running.communicate()
    assert running.returncode == 1
    assert output.decode().startswith("runs: 0 finished, 5 failed\nfirst failure: Seed 0: "
                                      "the policy raised TypeError when the run started: 'dict' object is not "
                                      "callable\n")


@pytest.mark.parametrize("text, seeds", [
    ("0:3", [0, 1, 2]),
    ("18446744073709551614:18446744073709551616", [2**64 - 2, 2**64 - 1]),
    ("file:7\n\n  # a comment\n 3 \n0\n", [7, 3, 0]),
])
def test_seeds_are_a_range_or_a_file(tmp_path, text, seeds):
    if text.startswith("file:"):
        (tmp_path / "seeds").write_text(text[len("file:"):])
        text = str(tmp_path / "seeds")
    assert _seeds.parsed(text) == seeds


@pytest.mark.parametrize("text, message", [
    ("5:5", "There are no seeds to evaluate."),
    ("0:18446744073709551617", "Seed 18446744073709551616 is outside 0 to 2**64 - 1."),
    ("file:1\n2\n1\n", "Seed 1 is listed twice."),
    ("file:1\n-2\n", "{path} line 2: '-2' is not a seed (a whole number from 0 to 2**64 - 1)."),
    ("file:0x10\n", "{path} line 1: '0x10' is not a seed (a whole number from 0 to 2**64 - 1)."),
    ("file:\u0661\n", "{path} line 1: '\u0661' is not a seed (a whole number from 0 to "
     "2**64 - 1)."),
    ("nothere", "Cannot read the seeds file {path}: No such file or directory (os error 2)"),
])
def test_seeds_that_cannot_be_evaluated_are_refused(tmp_path, text, message):
    path = tmp_path / "seeds"
    if text.startswith("file:"):
        path.write_text(text[len("file:"):])
    with pytest.raises(SeedsError, match=re.escape(message.format(path=path))):
        _seeds.parsed(str(path) if text.startswith("file:") or text == "nothere" else text)


@pytest.mark.parametrize("seeds, message", [
    ([1, "2"], "Seed '2' is not an integer."),
    ([True], "Seed True is not an integer."),
    ([], "There are no seeds to evaluate."),
])
def test_seeds_from_python_are_checked_before_anything_runs(tmp_path, seeds, message):
    with pytest.raises(SeedsError, match=re.escape(message)):
        evaluate(evaluation_policies.mixed, seeds, tmp_path / "out", progress=False)
    assert not (tmp_path / "out").exists()
