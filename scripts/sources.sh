# shellcheck shell=bash
# Sourced by the scripts that need the files of the source tree. In a git work tree they are what
# git lists; in a copy without git (a release tarball, `git archive`, a vendored copy) they are
# every file under the root but .git and what the top .gitignore ignores, read without git. In a
# clean clone both roads give the same list (scripts/check_scripts.sh compares them), so git is
# used where it is, and needed nowhere.

# source_files ROOT [--tracked] [GLOB...]: the files under ROOT that exist, relative to it and
# NUL-terminated, whose name matches a GLOB (every file without one). In a git work tree
# --tracked leaves out the new files; a copy without git has only files of the one kind. The
# status is not zero when the list could not be made: call it as a command of its own (into a
# file), never inside `< <(...)` or `$(...)`, where `set -e` would not see it fail.
source_files() {
  local - root=$1 tracked=0
  set -o pipefail
  shift
  if [ "${1:-}" = --tracked ]; then
    tracked=1
    shift
  fi
  if ! git_top_is "$root"; then
    walk_sources "$root" "$@"
  elif [ "$tracked" = 1 ]; then
    git -C "$root" ls-files -z --cached -- "$@" | keep_existing "$root"
  else
    git -C "$root" ls-files -z --cached --others --exclude-standard -- "$@" | keep_existing "$root"
  fi
}

# Whether ROOT is the top of a git work tree, not a copy inside another repository's tree (whose
# files git would list as that repository has them) nor a tree without git at hand.
git_top_is() {
  local top here
  command -v git >/dev/null || return 1
  top=$(git -C "$1" rev-parse --show-toplevel 2>/dev/null) || return 1
  here=$(cd "$1" && pwd -P) || return 1
  [ "$top" = "$here" ]
}

# Drops the files git lists that the work tree no longer has.
keep_existing() {
  local f
  while IFS= read -r -d '' f; do
    if [ -e "$1/$f" ] || [ -L "$1/$f" ]; then printf '%s\0' "$f"; fi
  done
}

# walk_sources ROOT [GLOB...]: source_files without git. Each .gitignore that git would read is
# read as far as its patterns are names with an optional leading / (in its own folder only) and
# trailing / (folders only): the top one, and those further down that no folder above ignores,
# such as the `*` that pytest and mypy put in their caches. Any other pattern stops the walk
# rather than let it list what git would not.
walk_sources() {
  local - root=$1 ignored=(-name .git) names=() nested entry name
  set -o pipefail
  shift
  if [ -f "$root/.gitignore" ]; then read_ignore_file "$root" . || return 1; fi
  # In order of depth, so that the rules above a .gitignore are known when it is weighed.
  nested=$(cd "$root" && find . -mindepth 1 '(' "${ignored[@]}" ')' -prune -o -name .gitignore \
    -path './*/*' -type f -printf '%d %h\n' | sort -n -k1,1) || return 1
  while IFS= read -r entry; do
    if [ -n "$entry" ] && ! ignored_folder "$root" "${entry#* }"; then
      read_ignore_file "$root" "${entry#* }" || return 1
    fi
  done <<<"$nested"
  for name in "$@"; do names+=(-o -name "$name"); done
  if [ ${#names[@]} -eq 0 ]; then names=(-o -true); fi
  (cd "$root" && find . -mindepth 1 '(' "${ignored[@]}" ')' -prune -o '(' -type f -o -type l ')' \
    '(' "${names[@]:1}" ')' -printf '%P\0') | LC_ALL=C sort -z
}

# read_ignore_file ROOT DIR: adds to the caller's `ignored` the find tests of DIR/.gitignore
# (DIR under ROOT, "./..." or "."); a find test is matched against paths as "./DIR/...".
read_ignore_file() {
  local root=$1 dir=$2 line name pattern file=$1/.gitignore
  if [ "$dir" != . ]; then file=$root/${dir#./}/.gitignore; fi
  case $dir in *[][*?\\]*)
    echo "sources: $file: a folder whose name find would read as a pattern" >&2
    return 1
    ;;
  esac
  while IFS= read -r line || [ -n "$line" ]; do
    line=${line%"${line##*[! ]}"} # git drops trailing spaces
    case $line in '' | '#'*) continue ;; esac
    name=${line#/}
    name=${name%/}
    case $name in '' | '!'* | *\\* | */*)
      echo "sources: $file: '$line' is more than this walk reads without git" >&2
      return 1
      ;;
    esac
    pattern=(-path "$dir/*" -name "$name")
    if [ "${line#/}" != "$line" ]; then pattern+=(! -path "$dir/*/*"); fi
    if [ "${line%/}" != "$line" ]; then pattern+=(-type d); fi
    ignored+=(-o '(' "${pattern[@]}" ')')
  done <"$file"
}

# Whether a .gitignore so far ignores DIR ("./...") or a folder above it.
ignored_folder() {
  local root=$1 dir=$2 above=. parts part hit
  IFS=/ read -r -a parts <<<"${dir#./}"
  for part in "${parts[@]}"; do
    above+=/$part
    hit=$(cd "$root" && find "$above" -maxdepth 0 '(' "${ignored[@]}" ')' -print) || return 1
    if [ -n "$hit" ]; then return 0; fi
  done
  return 1
}
