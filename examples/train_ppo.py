#!/usr/bin/python3
"""A short Stable-Baselines3 PPO run on the expedition, and its mean return beside that of
a random policy over the legal actions, both on the same seeds.

    examples/train_ppo.py [TIMESTEPS] [EPISODES]

TIMESTEPS defaults to 20000 and EPISODES (seeds 0, 1, ...) to 10. The learner sees the map
as one row (flat_map=True, the shape Stable-Baselines3 takes) and plays without "finish"
(WithoutFinish), which would otherwise end an episode at once with nothing to learn from;
the registered step limit cuts off a run of refusals. Needs burrowlight (the build folder
on PYTHONPATH, or pip install .), gymnasium, stable-baselines3 and torch.
"""

import sys

import gymnasium
import numpy
from stable_baselines3 import PPO
from stable_baselines3.common.callbacks import BaseCallback

import burrowlight

ID = "BurrowLight/Expedition-v0"


class Progress(BaseCallback):
    """A line on standard error at the end of every rollout, so that a long run shows it
    is learning."""

    def __init__(self, total):
        super().__init__()
        self.total = total

    def _on_step(self):
        return True

    def _on_rollout_end(self):
        print(f"learnt {self.num_timesteps} of {self.total} timesteps", file=sys.stderr,
              flush=True)


def environment():
    return burrowlight.WithoutFinish(gymnasium.make(ID, flat_map=True))


def mean_return(choose, episodes):
    """The mean return of `choose(observation, environment)` over seeds 0 to episodes - 1."""
    returns = []
    for seed in range(episodes):
        played = environment()
        observation, _ = played.reset(seed=seed)
        total, ended = 0, False
        while not ended:
            observation, reward, terminated, truncated, _ = played.step(
                choose(observation, played))
            total += reward
            ended = terminated or truncated
        returns.append(total)
        print(f"seed {seed}: return {total:.0f}", file=sys.stderr, flush=True)
    return float(numpy.mean(returns))


def main():
    timesteps = int(sys.argv[1]) if len(sys.argv) > 1 else 20000
    episodes = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    model = PPO("MultiInputPolicy", environment(), seed=0, verbose=0)
    model.learn(total_timesteps=timesteps, callback=Progress(timesteps))
    chooser = numpy.random.default_rng(0)

    def random_legal(observation, played):
        return int(chooser.choice(numpy.flatnonzero(played.action_masks())))

    def learned(observation, played):
        return int(model.predict(observation, deterministic=False)[0])
    print(f"random policy over legal actions: {mean_return(random_legal, episodes):.2f}")
    print(f"PPO after {timesteps} timesteps:  {mean_return(learned, episodes):.2f}")


if __name__ == "__main__":
    main()
