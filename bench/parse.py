#!/usr/bin/env python3
"""Speed of _zuv.parse over the benchmark corpus, beside the cost of merely building the same
Python objects (json.loads of json.dumps of the returned tree) and beside the Markdown parsers
that Debian ships (markdown-it-py's token stream, mistune's AST), all in one run.

Figures are medians of the calling thread's CPU time over several runs, as MB/s of document
text. The corpus is the build folder's (bench/prepare.py). Usage (after a build):

    PYTHONPATH=build/module /usr/bin/python3 bench/parse.py [--build build] [--sizes 100k,1m]
"""
import argparse
import gc
import json
import os
import statistics
import time

import _zuv
import prepare


def cpu_median(fn, repeat):
    times = []
    for _ in range(repeat):
        gc.collect()
        t0 = time.thread_time()
        fn()
        times.append(time.thread_time() - t0)
    return statistics.median(times)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--sizes", default="100k,1m")
    ap.add_argument("--repeat", type=int, default=11)
    args = ap.parse_args()
    corpus = prepare.corpus(args.build, args.sizes)

    peers = {}
    try:
        import markdown_it
        md = markdown_it.MarkdownIt("commonmark").enable("table").enable("strikethrough")
        peers["markdown-it tokens"] = md.parse
    except ImportError:
        pass
    try:
        import mistune
        peers["mistune ast"] = mistune.create_markdown(
            renderer="ast", plugins=["table", "footnotes", "strikethrough", "task_lists"])
    except ImportError:
        pass

    print(f"{'file':<14}{'what':<26}{'MB/s':>8}{'ratio':>8}")
    for size in args.sizes.split(","):
        for stem in ("zuv", "md"):
            path = os.path.join(corpus, f"{stem}-{size}.md")
            if not os.path.exists(path):
                continue
            text = open(path, encoding="utf-8").read()
            mb = len(text.encode("utf-8")) / 1e6
            base = cpu_median(lambda: _zuv.parse(text), args.repeat)
            dumped = json.dumps(_zuv.parse(text))
            rows = [("_zuv.parse", base),
                    ("json.loads of its tree", cpu_median(lambda: json.loads(dumped), args.repeat))]
            for name, fn in peers.items():
                rows.append((name, cpu_median(lambda: fn(text), max(3, args.repeat // 3))))
            for name, t in rows:
                print(f"{os.path.basename(path):<14}{name:<26}{mb / t:8.1f}{t / base:8.2f}")


if __name__ == "__main__":
    main()
