#!/usr/bin/env bash
# Installs the Debian packages a command needs, when any is missing:
#   deps.sh demo   build the module and run scripts/demo.py
#   deps.sh test   scripts/test.sh: the above, GoogleTest, pytest, the Unicode data, what
#                  `pip install --no-build-isolation` needs in a venv, mypy, and the checkers
#                  of the sources (clang-format, shellcheck)
#   deps.sh fuzz   the above and clang with its runtime, for the libFuzzer build
set -euo pipefail
command=${1:-test}

demo=(cmake g++ python3-dev libyaml-dev nlohmann-json3-dev)
test=("${demo[@]}" libgtest-dev python3-pytest unicode-data
      python3-venv python3-pip python3-setuptools python3-wheel mypy
      clang-format shellcheck)
case "$command" in
  demo) packages=("${demo[@]}") ;;
  test) packages=("${test[@]}") ;;
  fuzz) packages=("${test[@]}" clang) ;;
  *) echo "usage: $0 demo|test|fuzz" >&2; exit 2 ;;
esac

install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  if [ "$EUID" -ne 0 ]; then
    echo "missing packages: ${missing[*]}; install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

install_missing "${packages[@]}"
if [ "$command" = fuzz ]; then
  # The sanitizer and libFuzzer runtimes come in a package named after clang's major version.
  clang_version=$(clang -dumpversion)
  install_missing "libclang-rt-${clang_version%%.*}-dev"
fi
