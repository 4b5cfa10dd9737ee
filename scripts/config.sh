# Sourced by test.sh and demo.sh: one configuration of build/, so that running either after the
# other rebuilds nothing. ZUV_PYTHONS (a CMake list) names the interpreters to build the module
# for; without it the folder keeps what it was configured with, at first Debian's python3.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
export CMAKE_BUILD_PARALLEL_LEVEL
build_options=(-DZUV_WERROR=ON -DPython3_EXECUTABLE=/usr/bin/python3)
if [ -n "${ZUV_PYTHONS:-}" ]; then
  build_options+=("-DZUV_PYTHONS=$ZUV_PYTHONS")
fi
