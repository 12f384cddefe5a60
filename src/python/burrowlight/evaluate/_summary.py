"""What an evaluation's results come to: the spread of the scores with 95% bootstrap
confidence intervals, the share of runs reaching each depth, and a plot of the scores.

The intervals are percentile bootstraps of 2,000 resamples drawn from a generator of
seed 0, so the same results always give the same summary."""

import dataclasses
import math

import numpy

FLOORS = 3
RESAMPLES = 2_000


@dataclasses.dataclass(frozen=True)
class Figure:
    """A statistic of the scores and its 95% confidence interval."""

    value: float
    low: float
    high: float

    def __str__(self):
        return f"{self.value:.3f} (95% CI {self.low:.3f} to {self.high:.3f})"


@dataclasses.dataclass(frozen=True)
class Summary:
    """The figures of an evaluation over the runs that finished (``failed`` did not);
    ``reaching[d - 1]`` is the share of them whose deepest floor was depth d or deeper;
    ``steps_per_second`` counts every step of every run over the time the runs took,
    summed over processes."""

    runs: int
    failed: int
    mean: Figure
    median: Figure
    iqm: Figure
    reaching: tuple
    steps_per_second: float
    first_error: str | None

    def text(self):
        lines = [f"runs: {self.runs} finished, {self.failed} failed"]
        if self.first_error is not None:
            lines.append(f"first failure: {self.first_error}")
        if self.runs:
            lines += [f"mean score: {self.mean}", f"median score: {self.median}",
                      f"interquartile mean score: {self.iqm}"]
            lines += [f"reaching depth {depth}: {share:.1%}"
                      for depth, share in enumerate(self.reaching, start=1)]
            lines.append(f"steps per second (one process): {self.steps_per_second:.0f}")
        return "\n".join(lines) + "\n"


def _interquartile_mean(scores, axis=-1):
    from scipy import stats
    return stats.trim_mean(scores, 0.25, axis=axis)


def _figure(scores, statistic):
    from scipy import stats
    value = float(statistic(scores))
    if numpy.all(scores == scores[0]):
        return Figure(value, value, value)
    interval = stats.bootstrap((scores,), statistic, n_resamples=RESAMPLES,
                               confidence_level=0.95, method="percentile", vectorized=True,
                               random_state=numpy.random.default_rng(0)).confidence_interval
    return Figure(value, float(interval.low), float(interval.high))


def summarised(results):
    """The summary of result lines (dicts as written to results.jsonl)."""
    finished = [result for result in results if result["error"] is None]
    errors = [result["error"] for result in results if result["error"] is not None]
    scores = numpy.array([result["score"] for result in finished], dtype=float)
    seconds = sum(result["wall_seconds"] for result in finished)
    nothing = Figure(math.nan, math.nan, math.nan)
    return Summary(
        runs=len(finished),
        failed=len(errors),
        mean=_figure(scores, numpy.mean) if len(scores) else nothing,
        median=_figure(scores, numpy.median) if len(scores) else nothing,
        iqm=_figure(scores, _interquartile_mean) if len(scores) else nothing,
        reaching=tuple(
            sum(result["deepest"] >= depth for result in finished) / max(len(finished), 1)
            for depth in range(1, FLOORS + 1)),
        steps_per_second=sum(result["steps"] for result in finished) / seconds
        if seconds else 0.0,
        first_error=errors[0] if errors else None)


def plot(results, path, title):
    """A PNG bar chart of how many runs reached each score."""
    import matplotlib
    matplotlib.use("Agg")
    from matplotlib import pyplot

    scores = [result["score"] for result in results if result["error"] is None]
    values, counts = numpy.unique(numpy.array(scores, dtype=int), return_counts=True)
    figure, axes = pyplot.subplots(figsize=(8, 4.5), dpi=100)
    try:
        axes.bar(values, counts, width=0.8, color="#3b7dd8")
        axes.set_xlabel("score")
        axes.set_ylabel("runs")
        axes.set_title(title)
        figure.tight_layout()
        figure.savefig(path, format="png", metadata={"Software": None})
    finally:
        pyplot.close(figure)
