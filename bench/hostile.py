#!/usr/bin/env python3
"""Growth of time and memory on hostile Markdown: every input of the engine's hostile table
(markdown/tests/pathological.cpp) at n and 4n bytes, through the engine alone
(markdown_bench) and through _zuv.parse, each measurement in a fresh process.

Prints, per input, the CPU time at both sizes and its ratio (linear work gives about 4), and
the peak resident memory of the _zuv.parse process at both sizes; the engine runs at larger
sizes (default n = 250 kB), where its working set has outgrown the caches at both, so that the
ratio shows growth, not the step out of the caches; then the peak of
_zuv.parse(">" * 16_777_216) in a fresh interpreter. Exits with 1 when a time ratio passes 10
or that peak passes 200 MB, so it can serve as a check; it is no test (times are noisy on a
shared machine: re-run a case with --only before believing a ratio). The layers above the
engine have a table of their own: bench/hostile_document.py.

    /usr/bin/python3 bench/hostile.py [--build build] [--size 50000] [--engine-size 250000]
                                      [--only NAME]...
"""
import argparse
import os
import subprocess
import sys
import tempfile

import prepare

MAX_RATIO = 10.0
DEEP_QUOTE_BYTES = 16_777_216
DEEP_QUOTE_LIMIT_MB = 200.0

# Runs in a fresh interpreter: the fastest of at least three parses of the file, in CPU seconds
# of the parsing thread, repeated until about 0.2 s were spent. (A single parse may stall on the
# first touch of fresh memory; the fastest of several does not.)
PARSE_CHILD = r"""
import sys, time, _zuv
text = open(sys.argv[1], encoding="utf-8", errors="replace", newline="").read()
best, spent, runs = None, 0.0, 0
while spent < 0.2 or runs < 3:
    runs += 1
    t0 = time.thread_time()
    _zuv.parse(text)
    t = time.thread_time() - t0
    best = t if best is None else min(best, t)
    spent += t
print(best)
"""


PEAK_CHILD = r"""
import sys, _zuv
_zuv.parse(open(sys.argv[1], encoding="utf-8", errors="replace", newline="").read())
"""


def run(cmd, env=None):
    """Runs cmd, returns (stdout, peak resident MB of the child)."""
    with subprocess.Popen(cmd, stdout=subprocess.PIPE, env=env) as proc:
        out = proc.stdout.read()
        _, status, usage = os.wait4(proc.pid, 0)
        proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0:
        raise SystemExit(f"failed ({proc.returncode}): {' '.join(cmd)}")
    return out, usage.ru_maxrss / 1024.0


def engine_seconds(bench, name, size):
    out, _ = run([bench, "--runs", "3", "--reused-only", "--pathological", str(size), "--only", name])
    fields = out.decode().splitlines()[-1].split()
    return int(fields[1]) / 1e6 / float(fields[-1])


def parse_run(bench, name, size, env, tmp):
    path = os.path.join(tmp, "input.md")
    with open(path, "wb") as f:
        f.write(run([bench, "--dump", name, str(size)])[0])
    out, _ = run([sys.executable, "-c", PARSE_CHILD, path], env)
    # The peak of one parse, alone: a second parse in the same process may peak higher, as the
    # heap is no longer fresh.
    _, peak = run([sys.executable, "-c", PEAK_CHILD, path], env)
    return float(out), peak


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--build", default=os.path.join(prepare.ROOT, "build"))
    ap.add_argument("--size", type=int, default=50_000,
                    help="n for _zuv.parse, in bytes (default 50000)")
    ap.add_argument("--engine-size", type=int, default=250_000,
                    help="n for the engine alone, in bytes (default 250000)")
    ap.add_argument("--only", action="append", help="an input of the table (repeatable)")
    args = ap.parse_args()

    build = os.path.abspath(args.build)
    prepare.build(build, ["markdown_bench", "zuv_python"])
    bench = os.path.join(build, "markdown", "markdown_bench")
    env = dict(os.environ, PYTHONPATH=os.path.join(build, "module"))
    names = run([bench, "--list"])[0].decode().split()
    if args.only:
        names = [n for n in names if n in args.only]

    n, n4 = args.size, 4 * args.size
    en = args.engine_size
    print(f"n = {en} bytes for the engine, {n} for parse; times are CPU ms, peak is the resident"
          " MB of the _zuv.parse process")
    print(f"{'input':<42}{'engine n':>10}{'4n':>10}{'ratio':>7}{'parse n':>10}{'4n':>10}"
          f"{'ratio':>7}{'peak n':>8}{'4n':>8}")
    failed = []
    with tempfile.TemporaryDirectory() as tmp:
        for name in names:
            e1, e4 = engine_seconds(bench, name, en), engine_seconds(bench, name, 4 * en)
            (p1, m1), (p4, m4) = parse_run(bench, name, n, env, tmp), parse_run(bench, name, n4, env, tmp)
            ratios = (e4 / e1, p4 / p1)
            mark = "  <-- superlinear" if max(ratios) > MAX_RATIO else ""
            if mark:
                failed.append(name)
            print(f"{name:<42}{e1 * 1e3:10.2f}{e4 * 1e3:10.2f}{ratios[0]:7.1f}"
                  f"{p1 * 1e3:10.2f}{p4 * 1e3:10.2f}{ratios[1]:7.1f}{m1:8.0f}{m4:8.0f}{mark}",
                  flush=True)

    code = f"import _zuv; _zuv.parse('>' * {DEEP_QUOTE_BYTES})"
    _, peak = run([sys.executable, "-c", code], env)
    verdict = "ok" if peak <= DEEP_QUOTE_LIMIT_MB else "over the limit"
    print(f"\n_zuv.parse('>' * {DEEP_QUOTE_BYTES}) in a fresh interpreter: peak {peak:.0f} MB "
          f"(limit {DEEP_QUOTE_LIMIT_MB:.0f} MB): {verdict}")
    if peak > DEEP_QUOTE_LIMIT_MB:
        failed.append("deep quote memory")
    if failed:
        print(f"failed: {', '.join(failed)}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
