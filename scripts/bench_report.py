#!/usr/bin/env python3
"""Reads the JSON files the benchmark programs wrote (and, when they were run, the output
of scripts/wallet_load and scripts/idle_cost) and prints one Markdown table of the
project's figures beside their goals.

    scripts/bench_report.py RESULTS_DIRECTORY

RESULTS_DIRECTORY holds <program>.json from --benchmark_out, and optionally wallet_load.txt
and idle_cost.txt. A figure whose benchmark is missing or failed is shown as such."""

import json
import re
import sys
from pathlib import Path

SECONDS_PER_UNIT = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}

# The benchmarks' own constant: actions per expedition run.
ACTION_LIMIT = 512

MODE_NAMES = {"0": "GLYPHS", "1": "PIXELS zoom 0", "2": "PIXELS zoom 3"}


class Results:
    """Every benchmark entry of every program, by program and by name; a name that was
    registered several times (alternating rounds) keeps all its entries."""

    def __init__(self, directory):
        self.directory = directory
        self.entries = {}
        self.contexts = {}
        for path in sorted(directory.glob("*.json")):
            try:
                document = json.loads(path.read_text())
            except (OSError, ValueError) as error:
                print(f"bench_report: cannot read {path}: {error}", file=sys.stderr)
                continue
            self.contexts[path.stem] = document.get("context", {})
            for entry in document.get("benchmarks", []):
                if entry.get("run_type", "iteration") != "iteration":
                    continue
                self.entries.setdefault((path.stem, plain_name(entry["name"])), []).append(entry)

    def runs(self, program, name):
        """The entries of one benchmark; raises Missing when it did not run or failed."""
        entries = self.entries.get((program, name))
        if not entries:
            raise Missing(f"{program} {name} did not run")
        for entry in entries:
            if entry.get("error_occurred"):
                raise Missing(f"failed: {entry.get('error_message', 'unknown error')}")
        return entries

    def seconds_per_iteration(self, program, name):
        """Real time per iteration, over all rounds together."""
        entries = self.runs(program, name)
        total = sum(real_seconds(entry) * entry["iterations"] for entry in entries)
        return total / sum(entry["iterations"] for entry in entries)

    def counter(self, program, name, counter):
        """A counter, weighted by iterations over all rounds."""
        entries = self.runs(program, name)
        for entry in entries:
            if counter not in entry:
                raise Missing(f"{program} {name} has no counter {counter}")
        weights = sum(entry["iterations"] for entry in entries)
        return sum(entry[counter] * entry["iterations"] for entry in entries) / weights


class Missing(Exception):
    pass


# Name segments the library appends for how a benchmark was run, not for what it measures.
RUN_OPTIONS = ("real_time", "manual_time", "min_time:", "iterations:", "repeats:", "threads:")


def plain_name(name):
    """BM_SaveWrite/min_time:0.500/real_time becomes BM_SaveWrite."""
    return "/".join(part for part in name.split("/") if not part.startswith(RUN_OPTIONS))


def real_seconds(entry):
    return entry["real_time"] * SECONDS_PER_UNIT[entry.get("time_unit", "ns")]


def duration(seconds):
    for unit, scale in (("s", 1.0), ("ms", 1e-3), ("µs", 1e-6)):
        if seconds >= scale:
            return f"{seconds / scale:.3g} {unit}".replace("e+", "e")
    return f"{seconds / 1e-9:.3g} ns"


def count(value):
    return f"{value:,.0f}"


def size(value):
    for unit, scale in (("GB", 1e9), ("MB", 1e6)):
        if value >= scale:
            return f"{value / scale:.3g} {unit}"
    return f"{count(value)} bytes"


class Table:
    def __init__(self):
        self.rows = []

    def add(self, figure, compute, goal="—", goal_value=None, ceiling=True):
        """compute() returns (value text, measured number or None). The ratio is
        value/goal for a ceiling and goal/value for a floor, so at most 1 meets the goal."""
        try:
            text, measured = compute()
        except Missing as missing:
            self.rows.append((figure, str(missing), goal, "—"))
            return
        ratio = "—"
        if goal_value is not None and measured:
            ratio = f"{(measured / goal_value) if ceiling else (goal_value / measured):.2f}"
        self.rows.append((figure, text, goal, ratio))

    def print(self):
        print("| figure | value | goal | ratio |")
        print("|---|---|---|---|")
        for row in self.rows:
            print("| " + " | ".join(row) + " |")


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    directory = Path(sys.argv[1])
    results = Results(directory)
    table = Table()

    table.add("Record::replay of 512 actions",
              lambda: per_call(results, "save_bench", "BM_ReplayFullRecord"))
    table.add("Save::write of a 512-action record vs its bare system calls",
              lambda: save_write_ratio(results), "≤ 1.2×", 1.2)

    table.add("prototype reply written in memory (the start)", lambda: reply_in_memory(
        results, "prototype_loop_bench", "BM_PrototypeReplyInMemory"))
    table.add("prototype replies that change the game, through the program, vs cat of the "
              "same bytes", lambda: against_floor(results, "prototype_loop_bench", "",
                                                 "BM_CatOfTheSameBytes"),
              "≥ 0.5 of cat", 0.5, ceiling=False)
    table.add("… vs the bare writes of the same replies, one write each",
              lambda: against_floor(results, "prototype_loop_bench", "", "BM_EachReplyWritten"))
    table.add("expedition reply written in memory (the start)", lambda: reply_in_memory(
        results, "expedition_loop_bench", "BM_ExpeditionReplyInMemory"))
    for kind, label in (("Looks", '"look" replies'), ("Refusals", "replies to refused actions")):
        goal = {"goal": "≥ 0.3 of cat", "goal_value": 0.3, "ceiling": False} \
            if kind == "Looks" else {}
        table.add(f"expedition {label}, through the program, vs cat of the same bytes",
                  lambda kind=kind: against_floor(results, "expedition_loop_bench", kind,
                                                  "BM_CatOfTheSameBytes"), **goal)
        table.add("… vs the bare writes of the same replies, one write each",
                  lambda kind=kind: against_floor(results, "expedition_loop_bench", kind,
                                                  "BM_EachReplyWritten"))
    for place, label, ceiling in (("disk", "the data disk", 1.1),
                                  ("memory", "tmpfs (/dev/shm)", 1.3)):
        table.add(f"accepted expedition actions on {label} vs bare save writes",
                  lambda place=place: accepted_ratio(results, place), f"≤ {ceiling}×", ceiling)
        table.add("… vs bare save writes and the reply of each written into a read pipe",
                  lambda place=place: accepted_ratio(results, place, "BM_BareSaveWritesAndReplies"))

    for mix, label, goal in (("uniform", "uniform random actions", 6e6),
                             ("legal_only", "a recorded stream of legal actions only", 3e6)):
        table.add(f"in-process expedition steps with the array observation, C++, one core, "
                  f"{label}, vs a copy of the observation",
                  lambda mix=mix: rate_beside_floor(results, "env_bench",
                                                    f"BM_ExpeditionStepAndObserve/{mix}",
                                                    "BM_ObservationCopy"),
                  f"≥ {count(goal)} steps/s", goal, ceiling=False)
    table.add("… a batch of 1,024 in C++",
              lambda: rate(results, "env_bench", "BM_VectorOf1024"))
    table.add("Python ExpeditionEnv.step with its observation, uniform random actions",
              lambda: python_step(directory, "single_seconds_per_step",
                                  "single_uniform_accepted_share"),
              "≥ 1,500,000 steps/s", 1.5e6, ceiling=False)
    table.add("… a recorded stream of legal actions only",
              lambda: python_step(directory, "single_legal_seconds_per_step",
                                  "single_legal_accepted_share"),
              "≥ 1,000,000 steps/s", 1e6, ceiling=False)
    table.add("… the floor: a pybind11 call that only returns a number",
              lambda: python_seconds(directory, "empty_call_seconds"))
    table.add("Python VectorExpeditionEnv(1024).step, uniform random actions",
              lambda: python_rate(directory, "vector_seconds_per_step"),
              "≥ Gymnasium's CartPoleVectorEnv(1024)", cartpole_rate(directory), ceiling=False)
    table.add("… Gymnasium's CartPoleVectorEnv(1024).step, random actions, the same run",
              lambda: python_rate(directory, "cartpole_vector_seconds_per_step"))
    table.add("… as a share of the C++ batch of 1,024 on the same threads (wall time)",
              lambda: share_of_batch(results, directory), "≥ 0.8", 0.8, ceiling=False)
    table.add("Python VectorExpeditionEnv(1).step, the single environment as a batch of one",
              lambda: python_rate(directory, "vector_of_one_seconds_per_step"))
    table.add("Python clone() and restore()",
              lambda: python_seconds(directory, "clone_and_restore_seconds"), "≤ 0.3 µs", 3e-7)

    for width, height in ((90, 30), (160, 50), (240, 70)):
        for mode, mode_name in MODE_NAMES.items():
            name = f"BM_DrawInner/width:{width}/height:{height}/mode:{mode}"
            goal = {}
            if (width, height, mode) == (240, 70, "2"):
                goal = {"goal": "< 2 ms", "goal_value": 2e-3}
            table.add(f"draw_inner per frame, {width}×{height} {mode_name}",
                      lambda name=name: frame_time(results, name), **goal)
    table.add("first full frame, 160×50 GLYPHS", lambda: first_frame(results))
    table.add("idle animated frames, 160×50 GLYPHS", lambda: idle_frames(results))

    table.add("wallet page server under wrk, one connection", lambda: wallet_rate(directory))
    table.add("idle interactive prototype (scripts/idle_cost)", lambda: idle_cost(directory))
    table.add("board: accepted submissions/s, 32 clients, each 201 on the disk",
              lambda: board_figure(directory, "submissions"), "≥ 1.0× the bare inserts", 1.0,
              ceiling=False)
    table.add("… the floor: bare SQLite inserts, one commit each, synchronous=FULL",
              lambda: board_figure(directory, "floor"))
    table.add("board: GET /api/boards/open/s under wrk, 32 connections",
              lambda: board_figure(directory, "reads"), "≥ 20,000 reads/s", 20000, ceiling=False)
    table.add("board: resident memory over the read load",
              lambda: board_figure(directory, "memory"))

    table.add("Expedition::new (three floors from a seed)",
              lambda: per_call(results, "expedition_bench", "BM_GenerateExpedition"))
    table.add("Screen flush, full 160×50 pixel redraw",
              lambda: per_call(results, "screen_bench", "BM_FullRedraw"))
    table.add("wallet response composed around a 4 KiB page",
              lambda: per_call(results, "wallet_bench", "BM_AnswerPageRequest/4096"))

    print("ratio = value/goal for a ceiling, goal/value for a floor: at most 1 meets the goal.")
    print()
    table.print()
    return 0


def per_call(results, program, name):
    seconds = results.seconds_per_iteration(program, name)
    return duration(seconds), seconds


def save_write_ratio(results):
    write = results.seconds_per_iteration("save_bench", "BM_SaveWrite")
    bare = results.seconds_per_iteration("save_bench", "BM_BareSystemCalls")
    return f"{write / bare:.2f}× ({duration(write)} vs {duration(bare)})", write / bare


def reply_in_memory(results, program, name):
    seconds = results.seconds_per_iteration(program, name)
    sent = results.counter(program, name, "bytes_per_reply")
    return f"{duration(seconds)}, {size(sent)} per reply", seconds


def against_floor(results, program, kind, floor):
    """Replies per second through the program as a share of the floor's rate for the same
    replies; the ratio is the share."""
    suffix = f"/{kind}" if kind else ""
    name = "BM_ProgramAnswers" if program == "expedition_loop_bench" else \
        "BM_ProgramChangingReplies"
    program_rate = results.counter(program, name + suffix, "replies_per_second")
    floor_rate = results.counter(program, floor + suffix, "replies_per_second")
    share = program_rate / floor_rate
    return (f"{share:.2f} ({count(program_rate)} vs {count(floor_rate)} replies/s)"), share


def accepted_ratio(results, place, floor="BM_BareSaveWrites"):
    """A run of 512 accepted actions less a run of none (starting the program, creating
    the save, the first reply), beside 512 of the floor's bare writes."""
    run = results.seconds_per_iteration("expedition_loop_bench", f"BM_AcceptedActions/{place}")
    start = results.seconds_per_iteration("expedition_loop_bench",
                                          f"BM_StartWithoutActions/{place}")
    accepted = run - start
    bare = results.seconds_per_iteration("expedition_loop_bench", f"{floor}/{place}")
    ratio = accepted / bare
    return (f"{ratio:.2f}× ({count(ACTION_LIMIT / accepted)} actions/s vs "
            f"{count(ACTION_LIMIT / bare)} bare writes/s)"), ratio


def rate(results, program, name):
    """The best of the repetitions of a benchmark that repeats."""
    steps = max(entry["steps_per_second"] for entry in results.runs(program, name))
    return f"{count(steps)} steps/s", steps


def rate_beside_floor(results, program, name, floor):
    """The best rate of a benchmark beside the best rate of its floor in the same run."""
    steps = rate(results, program, name)[1]
    floor_steps = rate(results, program, floor)[1]
    return (f"{count(steps)} steps/s vs {count(floor_steps)} copies/s "
            f"({steps / floor_steps:.3f} of the floor)"), steps


def python_figures(directory):
    try:
        return json.loads((directory / "python_env.json").read_text())
    except (OSError, ValueError):
        raise Missing("not run (the Python package was not built)") from None


def python_rate(directory, key):
    seconds = python_figures(directory).get(key)
    if seconds is None:
        raise Missing("not run (Gymnasium could not be imported)")
    steps = 1 / seconds
    return f"{count(steps)} steps/s", steps


def python_step(directory, key, share_key):
    text, steps = python_rate(directory, key)
    share = python_figures(directory)[share_key]
    return f"{text} ({share:.0%} of the steps accepted)", steps


def cartpole_rate(directory):
    """The vector goal: whatever Gymnasium's own vector environment did in the same run."""
    try:
        return python_rate(directory, "cartpole_vector_seconds_per_step")[1]
    except Missing:
        return None


def share_of_batch(results, directory):
    """The Python batch's steps per second as a share of the C++ batch's."""
    steps = python_rate(directory, "vector_seconds_per_step")[1]
    batch = rate(results, "env_bench", "BM_VectorOf1024")[1]
    return f"{steps / batch:.2f} ({count(steps)} vs {count(batch)} steps/s)", steps / batch


def python_seconds(directory, key):
    seconds = python_figures(directory)[key]
    return duration(seconds), seconds


def frame_time(results, name):
    seconds = results.seconds_per_iteration("render_bench", name)
    sent = results.counter("render_bench", name, "bytes_per_frame")
    return f"{duration(seconds)}, {size(sent)} sent", seconds


def first_frame(results):
    sent = results.counter("render_bench", "BM_FirstFrame", "bytes_per_frame")
    return size(sent), None


def idle_frames(results):
    sent = results.counter("render_bench", "BM_IdleFrames", "bytes_per_frame")
    changed = results.counter("render_bench", "BM_IdleFrames", "changed_cells_per_frame")
    return f"{size(sent)} per frame, {changed:.0f} changed cells per frame", None


def wallet_rate(directory):
    text = read_optional(directory / "wallet_load.txt", "scripts/bench --wallet")
    match = re.search(r"Requests/sec:\s*([\d.]+)", text)
    if not match:
        raise Missing("wallet_load printed no request rate")
    complete = "every response a complete 200" if "every response was a complete 200" in text \
        else "SOME RESPONSES INCOMPLETE"
    return f"{count(float(match.group(1)))} requests/s, {complete}", None


def board_figure(directory, figure):
    text = read_optional(directory / "board_bench.txt", "scripts/bench --board")
    try:
        figures = json.loads(text.strip().splitlines()[-1])
    except (ValueError, IndexError):
        raise Missing("board_bench printed no figures") from None
    floor = figures["floor_inserts_per_second"]
    if figure == "submissions":
        rate = figures["submissions_per_second"]
        return (f"{count(rate)}/s ({figures['accepted']} of {figures['sent']} accepted), "
                f"{rate / floor:.2f}× the floor", rate / floor)
    if figure == "floor":
        return f"{count(floor)} inserts/s", None
    if figure == "reads":
        complete = "every response a 200" if figures["reads_complete"] else "SOME NOT 200"
        return f"{count(figures['reads_per_second'])} reads/s, {complete}", figures["reads_per_second"]
    memory = figures["memory_kib"]
    return (f"{memory[0] / 1024:.1f} MiB → {memory[-1] / 1024:.1f} MiB over "
            f"{count(figures['memory_requests'])} reads", None)


def idle_cost(directory):
    text = read_optional(directory / "idle_cost.txt", "scripts/bench --idle")
    share = re.search(r"idle processor time in tmux:\s*([\d.]+)%", text)
    output = re.search(r"idle output on a pty:\s*(\d+) bytes", text)
    if not share or not output:
        raise Missing("idle_cost printed no figures")
    return f"{share.group(1)}% of one core, {count(int(output.group(1)))} bytes/s", None


def read_optional(path, how):
    try:
        return path.read_text()
    except OSError:
        raise Missing(f"not run (use {how})") from None


if __name__ == "__main__":
    sys.exit(main())
