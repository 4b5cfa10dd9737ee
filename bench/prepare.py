#!/usr/bin/env python3
"""What every benchmark needs, in one place: its programs built in a build folder, and the
benchmark corpus of that folder.

- The programs are configured with ZUV_BENCH and built on request; the build runs as many jobs
  as CMAKE_BUILD_PARALLEL_LEVEL says, by default one per core (as scripts/config.sh sets it).
- The corpus is `<build>/corpus`, written on first use by the repository's seeded corpus
  generator (bench/gen_corpus.py), and reused after.

From a shell (prints the corpus folder):

    python3 bench/prepare.py BUILD [--build-type T] [--targets a,b] [--sizes 100k,1m]
"""
import argparse
import os
import subprocess

import gen_corpus

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def build(folder, targets, build_type=None):
    """Configures `folder` with the benchmark programs and builds `targets` in it."""
    configure = ["cmake", "-S", ROOT, "-B", folder, "-DZUV_BENCH=ON"]
    if build_type:
        configure.append(f"-DCMAKE_BUILD_TYPE={build_type}")
    subprocess.run(configure, check=True, stdout=subprocess.DEVNULL)
    env = dict(os.environ)
    env.setdefault("CMAKE_BUILD_PARALLEL_LEVEL", str(os.cpu_count() or 1))
    subprocess.run(["cmake", "--build", folder, "--target", *targets], check=True,
                   stdout=subprocess.DEVNULL, env=env)


def corpus(folder, sizes="100k,1m"):
    """The corpus folder of the build `folder`, with zuv-<size>.md and md-<size>.md of every
    size in the comma-separated `sizes`."""
    out = os.path.join(folder, "corpus")
    missing = [s for s in sizes.lower().split(",")
               if not all(os.path.exists(os.path.join(out, f"{stem}-{s}.md"))
                          for stem in ("zuv", "md"))]
    if missing:
        gen_corpus.write(out, ",".join(missing))
    return out


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("build")
    ap.add_argument("--build-type")
    ap.add_argument("--targets", help="comma-separated; nothing is built without them")
    ap.add_argument("--sizes", default="100k,1m")
    a = ap.parse_args()
    if a.targets:
        build(a.build, a.targets.split(","), a.build_type)
    print(corpus(a.build, a.sizes))


if __name__ == "__main__":
    main()
