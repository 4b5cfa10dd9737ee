#!/usr/bin/env bash
# Throughput of the document layer: MB/s of parse_text and scan_blocks (and the front-matter
# split) on the benchmark corpus, and of every reader on the pathological inputs.
#
#   bash bench/parser.sh [--runs N]
#
# Env: BUILD_DIR (default build-bench), ZUV_BENCH_RAW_MALLOC=1 to keep glibc's default of
# returning freed memory to the system (see below).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-bench}
corpus=$(python3 bench/prepare.py "$build" --build-type Release --targets parser_bench)

# Large node vectors are fresh mmap'd pages on every run by default, and first-touch page faults
# are very slow on some virtual machines; keeping freed memory in the heap makes the figures
# measure the parser rather than the host's page faults.
if [ "${ZUV_BENCH_RAW_MALLOC:-0}" != 1 ]; then
  export GLIBC_TUNABLES=glibc.malloc.mmap_threshold=4294967295:glibc.malloc.trim_threshold=4294967295
fi
exec "$build/parser/parser_bench" --corpus "$corpus" "$@"
