"""Recordings that burrowlight-replay --asciicast writes, read strictly as the asciicast v2
format has them: UTF-8 lines, each one JSON value, a header object and then events."""

import json

from harness import REPLAY

# How long a recording holds its first and its last step.
HOLD_SECONDS = 2


def _refuse_constant(name):
    raise ValueError(f"{name} is not JSON")


def parse(data):
    """The header and the events of a recording's bytes. Bytes that are not UTF-8, a line
    that is not exactly one JSON value (NaN and Infinity included) raise ValueError."""
    lines = data.decode("utf-8").split("\n")
    if lines[-1] != "":
        raise ValueError("the last line has no line feed")
    values = [json.loads(line, parse_constant=_refuse_constant) for line in lines[:-1]]
    return values[0], values[1:]


def recording_of(sandbox, save, *options):
    """The recording of `save` with `options`, parsed; the run must succeed quietly."""
    done = sandbox.run(["--asciicast", *options, save], program=REPLAY)
    if (done.returncode, done.stderr) != (0, b""):
        raise AssertionError(f"the recording failed: {done.returncode} {done.stderr!r}")
    return done.stdout


def step_seconds(step, speed):
    """When a recording at `speed` steps a second shows `step` (from 1) for the first time."""
    return HOLD_SECONDS + (step - 1) / speed


def cut(events, seconds):
    """The events up to and including `seconds`."""
    return [event for event in events if event[0] <= seconds]


def text_of(events):
    """What the events write, joined, as the bytes a terminal receives."""
    return "".join(event[2] for event in events).encode("utf-8")
