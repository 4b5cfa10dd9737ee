#!/usr/bin/env bash
# Benchmark of the Markdown engine alone: builds markdown_bench, generates the corpus in the
# build folder and prints the median MB/s of each corpus file and each hostile input.
#
#   bash bench/markdown.sh [BUILD_DIR] [RUNS]     (default: build-bench, 9 runs)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-bench}"
runs="${2:-9}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUV_MARKDOWN_BENCH=ON >/dev/null
cmake --build "$build" -j4 --target markdown_bench >/dev/null
python3 /work/shared/bench/gen_corpus.py --out "$build/corpus" --sizes 10k,100k,1m >/dev/null
echo "== corpus (median of $runs runs)"
"$build/markdown/markdown_bench" --runs "$runs" "$build"/corpus/*.md
echo "== hostile inputs at 1 MB (median of $runs runs)"
"$build/markdown/markdown_bench" --runs "$runs" --pathological 1000000
