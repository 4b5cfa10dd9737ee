#!/usr/bin/env bash
# Builds everything and runs every test: a release build with warnings as errors, then the
# same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)

cmake -S . -B build -DZUV_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

if [ "${ZUV_SKIP_SANITIZE:-0}" != 1 ]; then
  cmake -S . -B build-asan -DZUV_WERROR=ON -DZUV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build build-asan -j "$jobs"
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
fi
