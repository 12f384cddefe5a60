"""Where blocks of seeds are played: worker processes on this machine, or a Dask cluster.
Both hand each finished block to `deliver` as a function that returns its results or
raises what went wrong, so that one loop (in _schedule) drives either."""

import multiprocessing
import os
import signal

from ._play import play_block


def _ignore_interrupts():
    # Ctrl-C reaches every process of the terminal's group; the evaluating process alone
    # decides what happens, and stops the workers itself.
    signal.signal(signal.SIGINT, signal.SIG_IGN)


def cores():
    return len(os.sched_getaffinity(0))


class LocalWorkers:
    """`count` worker processes forked from this one, so that the policy and its module
    need nothing more than to be picklable here."""

    target_seconds = 0.25

    def __init__(self, policy, count):
        self.slots = count
        self._policy = policy
        self._pool = multiprocessing.get_context("fork").Pool(count,
                                                              initializer=_ignore_interrupts)

    def submit(self, block, deliver):
        def failed(error):
            def reraise():
                raise error
            deliver(reraise)

        self._pool.apply_async(play_block, (self._policy, block),
                               callback=lambda results: deliver(lambda: results),
                               error_callback=failed)

    def close(self, interrupted):
        if interrupted:
            self._pool.terminate()
        else:
            self._pool.close()
        self._pool.join()


class DaskWorkers:
    """The workers of a Dask cluster, through `client`. A worker lost mid-block makes Dask
    play the block again elsewhere; a block's results depend only on its seeds."""

    target_seconds = 1.0

    def __init__(self, policy, client):
        self.slots = max(sum(client.nthreads().values()), 1)
        self._policy = policy
        self._client = client
        self._futures = set()

    def submit(self, block, deliver):
        future = self._client.submit(play_block, self._policy, block, pure=False)
        self._futures.add(future)

        def done(finished):
            self._futures.discard(finished)
            deliver(finished.result)

        future.add_done_callback(done)

    def close(self, interrupted):
        if interrupted and self._futures:
            self._client.cancel(list(self._futures))
