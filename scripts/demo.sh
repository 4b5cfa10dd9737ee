#!/usr/bin/env bash
# Builds the module and prints the tree of the sample document.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc)" --target zuv_python >/dev/null
PYTHONPATH=build/module /usr/bin/python3 scripts/demo.py "${1:-examples/sample.zuv}"
