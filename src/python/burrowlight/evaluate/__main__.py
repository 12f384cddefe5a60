"""python3 -m burrowlight.evaluate: a policy played over many seeds, every run saved.

    python3 -m burrowlight.evaluate --policy MODULE:NAME --seeds START:STOP|FILE --out DIR
                                    [--workers N | --scheduler ADDRESS]
                                    [--submit URL [--token-file FILE]]
"""

import argparse
import importlib
import sys
from pathlib import Path

from . import SUMMARY, BoardError, SeedsError, StoreError, evaluate
from ._board import TOKEN_VARIABLE, token
from ._seeds import parsed
from ._system import described

_INTERRUPTED = 130


def _arguments(argv):
    parser = argparse.ArgumentParser(
        prog="python3 -m burrowlight.evaluate",
        description="Plays a policy over many seeds, on this machine's cores or on a Dask "
                    "cluster, and writes every run as a practice save that "
                    "burrowlight-verify checks, with results.jsonl, summary.txt and "
                    "scores.png. Seeds already in DIR/results.jsonl are skipped.")
    parser.add_argument("--policy", required=True, metavar="MODULE:NAME",
                        help="the policy: NAME in the importable module MODULE, called as "
                             "NAME(seed, random) at the start of every run")
    parser.add_argument("--seeds", required=True, metavar="START:STOP|FILE",
                        help="seeds START to STOP - 1, or a file of one seed a line")
    parser.add_argument("--out", required=True, metavar="DIR",
                        help="the folder for saves and results (made if missing)")
    where = parser.add_mutually_exclusive_group()
    where.add_argument("--workers", type=int, metavar="N",
                       help="worker processes on this machine (default: one per core)")
    where.add_argument("--scheduler", metavar="ADDRESS",
                       help="a Dask scheduler, such as tcp://HOST:8786, whose workers play")
    parser.add_argument("--submit", metavar="URL",
                        help="a board (burrowlight-board) to hand every sealed run in to, "
                             "such as http://127.0.0.1:8780")
    parser.add_argument("--token-file", metavar="FILE",
                        help=f"the player's token for --submit, in a file of mode 0600 "
                             f"(default: the environment variable {TOKEN_VARIABLE})")
    arguments = parser.parse_args(argv)
    if arguments.token_file is not None and arguments.submit is None:
        parser.error("--token-file goes with --submit")
    if arguments.workers is not None and arguments.workers < 1:
        parser.error(f"--workers must be at least 1, not {arguments.workers}")
    try:
        arguments.seeds = parsed(arguments.seeds)
        arguments.policy = _policy(arguments.policy)
        arguments.token = None if arguments.submit is None else token(arguments.token_file)
    except (SeedsError, ImportError, AttributeError, ValueError, BoardError) as error:
        parser.error(str(error))
    except OSError as error:
        parser.error(f"--token-file {arguments.token_file}: {described(error)}")
    return arguments


def _policy(name):
    module, _, attribute = name.partition(":")
    if not module or not attribute:
        raise ValueError(f"--policy {name}: give MODULE:NAME, such as examples.greedy:Greedy")
    found = importlib.import_module(module)
    for part in attribute.split("."):
        found = getattr(found, part)
    return found


def main(argv=None):
    arguments = _arguments(argv)
    client = None
    if arguments.scheduler is not None:
        from dask.distributed import Client
        client = Client(arguments.scheduler)
    try:
        evaluation = evaluate(arguments.policy, arguments.seeds, arguments.out,
                              workers=arguments.workers, client=client,
                              submit=arguments.submit, token=arguments.token)
    except KeyboardInterrupt:
        print(f"Stopped; the finished runs are kept in {arguments.out}, and the same command "
              "goes on from there.", file=sys.stderr)
        return _INTERRUPTED
    except BoardError as error:
        sys.stdout.write((Path(arguments.out) / SUMMARY).read_text(encoding="utf-8"))
        print(f"burrowlight.evaluate: {error}", file=sys.stderr)
        return 1
    except (StoreError, OSError) as error:
        where = f"{error.filename}: " if getattr(error, "filename", None) else ""
        print(f"burrowlight.evaluate: {where}{described(error)}", file=sys.stderr)
        return 1
    finally:
        if client is not None:
            client.close()
    sys.stdout.write((Path(arguments.out) / SUMMARY).read_text(encoding="utf-8"))
    return 1 if evaluation.summary.failed else 0


if __name__ == "__main__":
    sys.exit(main())
