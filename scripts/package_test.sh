#!/usr/bin/env bash
# Installs the package as a user would: from a clean copy of the source into a fresh venv of
# Debian's python3, offline (`pip install --no-build-isolation`), then runs the module tests
# against the installed module from outside the source tree, and checks what a user relies on:
# the extension stands alone, and type checkers find its stub. The test-only helper module
# `_zuv_testing` comes from build/module-testing when scripts/test.sh has built it there; without
# it the tests that need it are skipped.
set -euo pipefail
source "$(dirname "$0")/config.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The tracked and new files of the work tree, as they are now, but none of its build folders
# (without git: the files of the tree, .gitignore applied).
source "$(dirname "$0")/sources.sh"
source_files "$repo" >"$work/files"
mkdir "$work/src"
(cd "$repo" && tar --null -T "$work/files" -cf -) | tar -xf - -C "$work/src"

/usr/bin/python3 -m venv --system-site-packages "$work/venv"
start=$SECONDS
(cd "$work" && venv/bin/pip install --no-build-isolation --no-index --no-cache-dir -q ./src)
echo "package: installed in $((SECONDS - start)) s"

cd "$work"
venv/bin/python - <<'PY'
import importlib.metadata, pathlib, subprocess, sys
import _zuv
module = pathlib.Path(_zuv.__file__)
assert module.is_relative_to(sys.prefix), f"{module} is not the installed module"
assert module.with_name("_zuv-stubs").joinpath("__init__.pyi").is_file(), "no stub package"
assert (importlib.metadata.version("zuv"), _zuv.version()) == ("0.1.2b11", "0.1.2-beta.11")
# The extension needs nothing but the C and C++ runtimes (libyaml is inside it).
dynamic = subprocess.run(["readelf", "-d", str(module)], capture_output=True, text=True,
                         check=True).stdout
needed = sorted(line.split("[")[1].rstrip("]") for line in dynamic.splitlines()
                if "(NEEDED)" in line)
assert set(needed) <= {"libc.so.6", "libm.so.6", "ld-linux-x86-64.so.2", "libgcc_s.so.1",
                       "libstdc++.so.6"}, needed
size = module.stat().st_size
assert size < 2 << 20, f"the installed module has {size} bytes"
print(f"package: {module.name}, {size} bytes, needs {', '.join(needed)}")
PY

# Type checkers find the stub in the venv: a script that uses every function as documented
# passes, and one that misuses them gets each misuse reported.
mkdir typed
cat > typed/uses.py <<'PY'
from typing import Any

import _zuv

tree: dict[str, Any] = _zuv.parse("# A\n\n<Box size={2} />\n")
tree = _zuv.parse_with_defaults("# A\n")
tree = _zuv.parse_with_transforms("#1", ["github"], repo="acme/site")
tree = _zuv.parse_with_transforms("# A\n", ("auto-slug", "toc"))
found: list[dict[str, Any]] = _zuv.validate(tree, {"components": {}})
text: str = _zuv.collect_text(tree)
headings: list[dict[str, Any]] = _zuv.query_all(tree, node_type="heading")
version: str = _zuv.version()
PY
cat > typed/misuses.py <<'PY'
import _zuv

_zuv.parse(b"# A")
_zuv.query_all(_zuv.parse("# A"))
depth: int = _zuv.collect_text(_zuv.parse("# A"))
_zuv.parse_with_transforms("# A", ["toc"], repo=1)
_zuv.version(1)
_zuv.parse_all("# A")


def one_name() -> None:
    _zuv.parse_with_transforms("# A", "toc")
    print("not reached: a str is refused")
PY
check_types() {
  env -u MYPYPATH mypy --strict --warn-unreachable --no-error-summary --cache-dir "$work/mypy" \
    --python-executable venv/bin/python "$1" 2>&1
}
if ! check_types typed/uses.py; then
  echo "package: mypy reports the documented uses" >&2
  exit 1
fi
reported=$(check_types typed/misuses.py || true)
expected='typed/misuses.py:3: error: Argument 1 to "parse" has incompatible type "bytes"; expected "str"  [arg-type]
typed/misuses.py:4: error: Missing positional argument "node_type" in call to "query_all"  [call-arg]
typed/misuses.py:5: error: Incompatible types in assignment (expression has type "str", variable has type "int")  [assignment]
typed/misuses.py:6: error: No overload variant of "parse_with_transforms" matches argument types "str", "List[str]", "int"  [call-overload]
typed/misuses.py:6: note: Possible overload variants:
typed/misuses.py:6: note:     def parse_with_transforms(input: str, transforms: str, repo: Optional[str] = ...) -> NoReturn
typed/misuses.py:6: note:     def parse_with_transforms(input: str, transforms: Sequence[str], repo: Optional[str] = ...) -> Dict[str, Any]
typed/misuses.py:7: error: Too many arguments for "version"  [call-arg]
typed/misuses.py:8: error: Module has no attribute "parse_all"  [attr-defined]
typed/misuses.py:13: error: Statement is unreachable  [unreachable]'
if [ "$reported" != "$expected" ]; then
  printf 'package: mypy reported on the misuses:\n%s\nexpected:\n%s\n' "$reported" "$expected" >&2
  exit 1
fi
echo "package: mypy finds the stub; the documented uses pass, the misuses are reported"

PYTHONPATH="$repo/build/module-testing" venv/bin/python -m pytest -q -p no:cacheprovider \
  src/module/tests
