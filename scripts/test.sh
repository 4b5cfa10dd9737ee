#!/usr/bin/env bash
# Builds everything and runs every test: a release build with warnings as errors, the package as
# pip installs it, then the tests again under AddressSanitizer and UndefinedBehaviorSanitizer;
# first of all, the scripts themselves (scripts/check_scripts.sh) and the formatting of the C++
# files (scripts/check_format.sh). ZUV_SKIP_PACKAGE=1 and ZUV_SKIP_SANITIZE=1 leave out the
# package and the sanitizers. It needs no git: a copy of the sources without history passes too.
set -euo pipefail
source "$(dirname "$0")/config.sh"
cd "$repo"
bash scripts/deps.sh test
bash scripts/check_scripts.sh
bash scripts/check_format.sh

cmake -S . -B build "${build_options[@]}" -DZUV_TESTS=ON >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j "$CMAKE_BUILD_PARALLEL_LEVEL"

if [ "${ZUV_SKIP_PACKAGE:-0}" != 1 ]; then
  bash scripts/package_test.sh
fi

if [ "${ZUV_SKIP_SANITIZE:-0}" != 1 ]; then
  cmake -S . -B build-asan "${build_options[@]}" -DZUV_TESTS=ON -DZUV_SANITIZE=ON \
        -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build build-asan
  ctest --test-dir build-asan --output-on-failure -j "$CMAKE_BUILD_PARALLEL_LEVEL"
fi
