"""The one loop of an evaluation: it sends seeds out in blocks sized to take about the
workers' target time, keeps every worker busy with two blocks each, and hands each run
that comes back to the store as it arrives. Blocks start as single seeds and grow once
the time a run takes is known; how seeds are grouped never changes a result."""

import collections
import concurrent.futures
import math
import queue

# Saves are written in threads of this process: the game's save code waits for the disk
# without holding the interpreter, so a few writes overlap each other and the loop.
WRITERS = 8


class _Pace:
    """The mean time of a run so far, for sizing blocks."""

    def __init__(self):
        self.runs, self.seconds = 0, 0.0

    def add(self, results):
        self.runs += len(results)
        self.seconds += sum(result["wall_seconds"] for result, _ in results)

    def block_size(self, target_seconds, waiting, slots):
        if self.runs == 0:
            return 1
        wanted = round(target_seconds * self.runs / max(self.seconds, 1e-9))
        # The last blocks are split so that every worker has a share of what is left.
        return max(1, min(wanted, math.ceil(waiting / slots)))


def run(workers, store, seeds, progress):
    """Plays every seed of `seeds` on `workers` and writes each run into `store`, calling
    `progress(runs)` as runs arrive. Whatever interrupts it, every run that arrived is
    written before it returns or raises."""
    waiting = collections.deque(seeds)
    arrived = queue.Queue()
    pace = _Pace()
    in_flight = 0
    writes = set()
    with concurrent.futures.ThreadPoolExecutor(WRITERS) as writer:
        try:
            while waiting or in_flight:
                while waiting and in_flight < 2 * workers.slots:
                    size = pace.block_size(workers.target_seconds, len(waiting), workers.slots)
                    block = [waiting.popleft() for _ in range(min(size, len(waiting)))]
                    workers.submit(block, arrived.put)
                    in_flight += 1
                results = _next(arrived)
                in_flight -= 1
                pace.add(results)
                writes |= {writer.submit(store.write, *outcome) for outcome in results}
                writes = _checked(writes)
                progress(len(results))
        finally:
            concurrent.futures.wait(writes)
    _checked(writes)


def _next(arrived):
    # A timeout keeps the wait open to Ctrl-C however the platform waits on locks.
    while True:
        try:
            return arrived.get(timeout=0.5)()
        except queue.Empty:
            continue


def _checked(writes):
    """The writes still running; a write that failed raises its error here."""
    finished = {write for write in writes if write.done()}
    for write in finished:
        write.result()
    return writes - finished
