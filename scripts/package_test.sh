#!/usr/bin/env bash
# Installs the package as a user would: from a clean copy of the source into a fresh venv of
# Debian's python3, offline (`pip install --no-build-isolation`), then runs the module tests
# against the installed module from outside the source tree. The test-only helper module
# `_zuv_testing` comes from build/module-testing when scripts/test.sh has built it there; without
# it the tests that need it are skipped.
set -euo pipefail
source "$(dirname "$0")/config.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The tracked and new files of the work tree, as they are now, but none of its build folders.
mkdir "$work/src"
(cd "$repo" && git ls-files -z --cached --others --exclude-standard \
   | while IFS= read -r -d '' f; do if [ -e "$f" ]; then printf '%s\0' "$f"; fi; done \
   | tar --null -T - -cf -) | tar -xf - -C "$work/src"

/usr/bin/python3 -m venv --system-site-packages "$work/venv"
start=$(date +%s)
(cd "$work" && venv/bin/pip install --no-build-isolation --no-index --no-cache-dir -q ./src)
echo "package: installed in $(( $(date +%s) - start )) s"

cd "$work"
venv/bin/python - <<'PY'
import pathlib, sys
import _zuv
module = pathlib.Path(_zuv.__file__)
assert module.is_relative_to(sys.prefix), f"{module} is not the installed module"
assert module.with_name("_zuv.pyi").is_file(), "_zuv.pyi is not installed beside the module"
size = module.stat().st_size
assert size < 8 << 20, f"the installed module has {size} bytes"
print(f"package: {module.name}, {size} bytes")
PY
PYTHONPATH="$repo/build/module-testing" venv/bin/python -m pytest -q -p no:cacheprovider \
  src/module/tests
