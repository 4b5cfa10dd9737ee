#!/usr/bin/env bash
# Benchmark of the Markdown engine alone: builds markdown_bench and the corpus in the build
# folder (bench/prepare.py) and prints the median MB/s of each corpus file and each hostile input.
#
#   bash bench/markdown.sh [BUILD_DIR] [RUNS]     (default: build-bench, 9 runs)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-bench}"
runs="${2:-9}"
corpus=$(python3 "$root/bench/prepare.py" "$build" --build-type RelWithDebInfo \
           --targets markdown_bench --sizes 10k,100k,1m)
echo "== corpus (median of $runs runs)"
"$build/markdown/markdown_bench" --runs "$runs" "$corpus"/*.md
echo "== hostile inputs at 1 MB (median of $runs runs)"
"$build/markdown/markdown_bench" --runs "$runs" --pathological 1000000
