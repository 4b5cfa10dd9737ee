#!/usr/bin/env bash
# Checks the scripts themselves, in a few seconds: shellcheck finds nothing in them, exit
# statuses that `set -e` never sees (`$(...)` in an argument, `< <(...)`) included; the file
# lists of scripts/sources.sh hold without git as git has them; check_format.sh fails when it
# found nothing to check. Run by scripts/test.sh before the format check.
set -euo pipefail
source "$(dirname "$0")/sources.sh"
cd "$(dirname "$0")/.."
repo=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "scripts: $*" >&2
  exit 1
}

# Prints the NUL-terminated list in file $1 one name a line, into file $2.
lines() { tr '\0' '\n' <"$1" >"$2"; }

# same_list WHAT EXPECTED ACTUAL: the two NUL-terminated lists (files) hold the same names.
same_list() {
  LC_ALL=C sort -z "$2" >"$work/expected"
  LC_ALL=C sort -z "$3" >"$work/actual"
  if ! cmp -s "$work/expected" "$work/actual"; then
    lines "$work/expected" "$work/expected.txt"
    lines "$work/actual" "$work/actual.txt"
    diff "$work/expected.txt" "$work/actual.txt" >&2 || true
    fail "$1: the lists differ (< expected, > found)"
  fi
}

# fails_with WHAT MESSAGE COMMAND...: the command fails and says MESSAGE on standard error.
fails_with() {
  local what=$1 message=$2 status=0
  shift 2
  "$@" </dev/null >"$work/out" 2>"$work/err" || status=$?
  if [ "$status" -eq 0 ]; then
    fail "$what: succeeded; it should fail saying: $message"
  fi
  if ! grep -qF -- "$message" "$work/err"; then
    cat "$work/err" >&2
    fail "$what: failed without saying: $message"
  fi
}

# A tree of empty files under $work/$1, one path a line on standard input.
make_tree() {
  local root=$work/$1 path
  rm -rf "$root"
  mkdir -p "$root"
  while IFS= read -r path; do
    case $path in */*) mkdir -p "$root/${path%/*}" ;; esac
    : >"$root/$path"
  done
}

# The scripts that run as commands; shellcheck follows and checks what they source.
commands=()
for f in scripts/* .ci/*; do
  if head -n 1 "$f" | grep -q '^#!.*bash'; then commands+=("$f"); fi
done
[ ${#commands[@]} -gt 0 ] || fail "no script found in $repo/scripts"
shellcheck --check-sourced --external-sources --source-path=SCRIPTDIR \
  --enable=check-extra-masked-returns "${commands[@]}"

# The walk without git, over the rules of this repository's .gitignore (what is ignored at the
# top only, in folders only, anywhere; trailing spaces dropped) and a .gitignore further down:
# one of its own, a cache's `*`, and those in ignored folders, which git never reads.
make_tree walk <<'EOF'
a.cpp
buildnotes
build/x.cpp
build/.gitignore
build-asan/y.cpp
sub/build/z.cpp
sub/local.txt
sub/deeper/local.txt
pkg/m.py
pkg/m.pyc
pkg/__pycache__/m.cpython-311.pyc
.pytest_cache/v/cache/nodeids
.pytest_cache/v/.gitignore
corpus/c.md
sub/corpus/c.md
zuv.egg-info/PKG-INFO
notes.txt
EOF
printf '# build folders\n/build*/\n\n__pycache__/\n*.pyc\n/corpus/\n*.egg-info/\nnotes.txt  \n' \
  >"$work/walk/.gitignore"
printf '/local.txt\n' >"$work/walk/sub/.gitignore"
printf '# Created by pytest automatically.\n*\n' >"$work/walk/.pytest_cache/.gitignore"
printf '!x.cpp\n' | tee "$work/walk/build/.gitignore" >"$work/walk/.pytest_cache/v/.gitignore"
printf '%s\0' .gitignore a.cpp buildnotes pkg/m.py sub/.gitignore sub/build/z.cpp \
  sub/corpus/c.md sub/deeper/local.txt >"$work/walk.expected"
walk_sources "$work/walk" >"$work/walk.found"
same_list "the walk of a tree" "$work/walk.expected" "$work/walk.found"
printf '%s\0' a.cpp sub/build/z.cpp >"$work/walk.expected"
walk_sources "$work/walk" '*.cpp' '*.h' >"$work/walk.found"
same_list "the walk for *.cpp and *.h" "$work/walk.expected" "$work/walk.found"
if command -v git >/dev/null; then
  # git itself ignores the same files there (.git left out of the walk too).
  git -C "$work/walk" -c init.defaultBranch=main init -q
  git -C "$work/walk" ls-files -z --others --exclude-per-directory=.gitignore >"$work/walk.git"
  walk_sources "$work/walk" >"$work/walk.found"
  same_list "the walk beside git's list" "$work/walk.git" "$work/walk.found"
fi

# Rules the walk does not read stop it, rather than let it list what git would leave out.
while IFS='|' read -r file rule message; do
  make_tree rule <<<"sub/a.cpp"
  printf '%s\n' "$rule" >"$work/rule/$file"
  fails_with "the walk under '$rule' in $file" "$message" walk_sources "$work/rule"
done <<'EOF'
.gitignore|!a.cpp|rule/.gitignore: '!a.cpp' is more than this walk reads
.gitignore|sub/*.cpp|rule/.gitignore: 'sub/*.cpp' is more than this walk reads
.gitignore|\#notes|rule/.gitignore: '\#notes' is more than this walk reads
sub/.gitignore|!a.cpp|rule/sub/.gitignore: '!a.cpp' is more than this walk reads
EOF

# This tree: without git the same files as git lists, tracked and new (the copy of
# package_test.sh; the C++ files of check_format.sh are among them).
if git_top_is "$repo"; then
  git ls-files -z --cached --others --exclude-per-directory=.gitignore | keep_existing . \
    >"$work/repo.git"
  walk_sources . >"$work/repo.found"
  same_list "the files of $repo without git" "$work/repo.git" "$work/repo.found"
  compared="as git lists them"
else
  compared="not compared with git's (no git work tree)"
fi

# check_format.sh in copies without git: it checks every C++ file outside the ignored folders
# but the generated ones, and fails when it finds none, or one not formatted.
format_tree() {
  make_tree "$1"
  mkdir "$work/$1/scripts"
  cp scripts/check_format.sh scripts/sources.sh "$work/$1/scripts/"
  cp .clang-format "$work/$1/"
  printf '/build*/\n' >"$work/$1/.gitignore"
}
format_tree format <<'EOF'
README.md
EOF
fails_with "check_format.sh with no C++ file" "format: no C++ file found to check" \
  bash "$work/format/scripts/check_format.sh"
format_tree format <<'EOF'
build/loose.cpp
EOF
printf 'int f();\n' >"$work/format/a.cpp"
printf '// Generated by tools/x.py\nint   table [] = { 1 };\n' >"$work/format/table.inc"
printf 'int   loose ( ) ;\n' >"$work/format/build/loose.cpp"
said=$(bash "$work/format/scripts/check_format.sh")
[ "$said" = "format: 1 files as .clang-format has them" ] ||
  fail "check_format.sh over one C++ file said: $said"
printf 'int   loose ( ) ;\n' >"$work/format/b.h"
fails_with "check_format.sh with a file not formatted" "not formatted: b.h" \
  bash "$work/format/scripts/check_format.sh"

echo "scripts: ${#commands[@]} scripts pass shellcheck; the file lists without git" \
  "$compared; the format check fails on nothing to check"
