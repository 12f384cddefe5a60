"""One seed played by a policy to its end, in whichever process or machine runs it. What
comes back is plain data: the run's figures for the results file and the run's state, from
which the caller writes its save."""

import numbers
import time

import numpy

from .. import _burrowlight
from .._expedition import ExpeditionEnv

ACTIONS = len(_burrowlight.EXPEDITION_ACTIONS)
# The limit the Gymnasium ids are registered with: four times the action limit, since a
# refused step does not count toward it and a policy that keeps being refused never ends.
STEP_LIMIT = 4 * _burrowlight.ACTION_LIMIT


class PolicyError(Exception):
    """A policy that raised or answered with something that is not an action; the message
    names the seed and the step, and the run counts as failed."""


def save_name(seed):
    return f"seed-{seed}.json"


def checked_action(action, seed, step):
    if isinstance(action, numbers.Integral) and not isinstance(action, (bool, numpy.bool_)) \
            and 0 <= action < ACTIONS:
        return int(action)
    raise PolicyError(f"Seed {seed}, step {step}: the policy returned {action!r}, which is "
                      f"not an action (an index from 0 to {ACTIONS - 1} into "
                      "EXPEDITION_ACTIONS).")


def _called(function, seed, step, *arguments):
    try:
        return function(*arguments)
    except Exception as error:  # noqa: BLE001  (any failure of the policy is that seed's)
        when = "when the run started" if step == 0 else f"at step {step}"
        raise PolicyError(f"Seed {seed}: the policy raised {type(error).__name__} {when}: "
                          f"{error}") from error


def play(policy, seed):
    """`(result, state)`: the figures of `seed` played by `policy` to its end, and the
    final state (None when the policy failed, with the reason in ``result["error"]``)."""
    started = time.perf_counter()
    environment = ExpeditionEnv()
    observation, info = environment.reset(seed=seed)
    counts = {"steps": 0, "refusals": 0, "deepest": 0}
    try:
        act = _called(policy, seed, 0, seed, numpy.random.default_rng(seed))
        end = None
        while end is None:
            step = counts["steps"] + 1
            action = checked_action(_called(act, seed, step, observation, info), seed, step)
            observation, _, terminated, truncated, info = environment.step(action)
            counts["steps"] = step
            counts["refusals"] += "error" in info
            counts["deepest"] = max(counts["deepest"], int(observation["floor"][0]))
            end = ("sealed" if terminated else "action limit" if truncated
                   else "step limit" if step == STEP_LIMIT else None)
    except PolicyError as error:
        return failed(seed, str(error), time.perf_counter() - started), None
    return {
        "accepted": int(observation["turn"][0]),
        "deepest": counts["deepest"] + 1,
        "depth": int(observation["floor"][0]) + 1,
        "end": end,
        "error": None,
        "refusals": counts["refusals"],
        "save": save_name(seed),
        "score": int(observation["score"][0]),
        "sealed": bool(observation["finished"][0]),
        "seed": seed,
        "steps": counts["steps"],
        "wall_seconds": round(time.perf_counter() - started, 6),
    }, environment.clone()


def failed(seed, error, seconds):
    return {"accepted": None, "deepest": None, "depth": None, "end": None, "error": error,
            "refusals": None, "save": None, "score": None, "sealed": None, "seed": seed,
            "steps": None, "wall_seconds": round(seconds, 6)}


def play_block(policy, seeds):
    """Every seed of a block, in order: the unit of work sent to a process or a machine."""
    return [play(policy, seed) for seed in seeds]
