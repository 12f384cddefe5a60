#!/usr/bin/python3
"""PPO from Stable-Baselines3 as a baseline for `python3 -m burrowlight.evaluate`: train a
model, then evaluate it as the policy `ppo:Learned`.

    PYTHONPATH=build/release/python:examples:PATH_TO_GYMNASIUM_AND_SB3 \\
        examples/ppo.py train TIMESTEPS runs/ppo.npz
    BURROWLIGHT_PPO_MODEL=runs/ppo.npz PYTHONPATH=... python3 -m burrowlight.evaluate \\
        --policy ppo:Learned --seeds 0:1000 --out runs/ppo

Training is that of examples/train_ppo.py (MultiInputPolicy, the map as one row, no
"finish", the registered step limit), from seed 0, and the episodes it trains on start
from seeds drawn by Gymnasium, not from the seeds it is evaluated on. When it plays, the
policy draws each action from the model's distribution over the legal actions only,
with the run's generator; torch runs on one thread, so that a run's actions do not depend
on how the machine splits the work.
"""

import os
import sys

import numpy

import burrowlight

FINISH = burrowlight.EXPEDITION_ACTIONS.index("finish")
_models = {}


def _environment():
    import gymnasium
    return burrowlight.WithoutFinish(gymnasium.make("BurrowLight/Expedition-v0", flat_map=True))


def _model(path):
    # Loaded once per process, not once per run: a worker plays many runs. The weights are
    # kept as plain arrays (numpy's .npz, no pickle) and set into a fresh model.
    if path not in _models:
        import torch
        from stable_baselines3 import PPO
        torch.set_num_threads(1)
        model = PPO("MultiInputPolicy", _environment(), device="cpu")
        with numpy.load(path) as weights:
            model.policy.load_state_dict({name: torch.from_numpy(weights[name])
                                          for name in weights.files})
        _models[path] = model
    return _models[path]


class Learned:
    def __init__(self, seed, random):
        self.model = _model(os.environ.get("BURROWLIGHT_PPO_MODEL", "runs/ppo.npz"))
        self.random = random

    def __call__(self, observation, info):
        import torch
        seen = dict(observation, map=observation["map"].reshape(-1),
                    legal=observation["legal"][:FINISH])
        with torch.no_grad():
            tensor, _ = self.model.policy.obs_to_tensor(seen)
            logits = self.model.policy.get_distribution(tensor).distribution.logits[0]
        logits = logits.numpy().astype(numpy.float64)
        logits[~seen["legal"]] = -numpy.inf
        chances = numpy.exp(logits - logits.max())
        return int(self.random.choice(FINISH, p=chances / chances.sum()))


def train(timesteps, path):
    from stable_baselines3 import PPO
    model = PPO("MultiInputPolicy", _environment(), seed=0, verbose=0, device="cpu")
    model.learn(total_timesteps=timesteps)
    with open(path, "wb") as file:
        numpy.savez(file, **{name: tensor.numpy()
                             for name, tensor in model.policy.state_dict().items()})


if __name__ == "__main__":
    if len(sys.argv) != 4 or sys.argv[1] != "train":
        sys.exit("usage: examples/ppo.py train TIMESTEPS WEIGHTS.npz")
    train(int(sys.argv[2]), sys.argv[3])
