#!/usr/bin/env bash
# Builds the module and prints the tree of a document as an outline (or all of it with --json).
# Usage: scripts/demo.sh [--json] [file.zuv]   (default: examples/sample.zuv)
set -euo pipefail
source "$(dirname "$0")/config.sh"
bash "$repo/scripts/deps.sh" demo
# A folder the test command set up keeps its tests; a new one is made without (no GTest needed).
[ -f "$repo/build/CMakeCache.txt" ] || build_options+=(-DZUV_TESTS=OFF)
# On standard error, so that the outline or the JSON stays alone on standard output.
echo "demo: building the module in build/ (the first build takes about a minute)" >&2
cmake -S "$repo" -B "$repo/build" "${build_options[@]}" >/dev/null
cmake --build "$repo/build" --target zuv_python >/dev/null
PYTHONPATH="$repo/build/module" /usr/bin/python3 "$repo/scripts/demo.py" "$@"
