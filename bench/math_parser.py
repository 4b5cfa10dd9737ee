#!/usr/bin/env python3
"""Throughput of the math parser, in MB/s of math source (medians of several runs).

Builds `math_bench` and the benchmark corpus in the build folder (bench/prepare.py), takes out its
display-math bodies and inline `$...$` spans, and times the parser over them and over hostile
nesting (100,000 levels of each construct, and one construct at growing depths).

Usage: bench/math_parser.py [--build DIR] [--size 1m] [--runs 7]
"""
import argparse
import os
import re
import subprocess

import prepare

# `{$path}` is a variable reference, not math.
VARIABLE = re.compile(r"\{\$[A-Za-z0-9_.]+\}")
INLINE = re.compile(r"(?<![\\$])\$([^$\n]+)\$(?!\$)")


def extract(markdown):
    """Display bodies and inline spans of one document, in document order."""
    display, inline = [], []
    body = None
    for line in markdown.split("\n"):
        if body is not None:
            if line.strip() == "$$":
                display.append("\n".join(body))
                body = None
            else:
                body.append(line)
        elif line.startswith("$$"):
            body = []
        else:
            inline.extend(INLINE.findall(VARIABLE.sub("", line)))
    return display, inline


def write_records(path, records):
    with open(path, "wb") as f:
        f.write(b"\0".join(r.encode("utf-8") for r in records))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--build", default=os.path.join(prepare.ROOT, "build"))
    ap.add_argument("--size", default="1m")
    ap.add_argument("--runs", default="7")
    a = ap.parse_args()

    prepare.build(a.build, ["math_bench"])
    corpus = prepare.corpus(a.build, a.size)
    with open(os.path.join(corpus, "zuv-%s.md" % a.size.lower()), encoding="utf-8") as f:
        display, inline = extract(f.read())
    files = []
    for name, records in (("display", display), ("inline", inline), ("all", display + inline)):
        path = os.path.join(corpus, "math-%s.bin" % name)
        write_records(path, records)
        files.append(path)
    bench = os.path.join(a.build, "math", "math_bench")
    subprocess.run([bench, "--runs", a.runs] + files, check=True)


if __name__ == "__main__":
    main()
