"""The module under hosts that misbehave: subinterpreters, objects that lie or interrupt, and
threads with small stacks. Whatever can crash the interpreter runs in a subprocess."""
import os
import subprocess
import sys
import textwrap
from collections.abc import Sequence

import pytest

import _zuv

HERE = os.path.dirname(os.path.abspath(__file__))


def run_python(code, *args):
    return subprocess.run([sys.executable, "-c", code, *args], capture_output=True, text=True,
                          timeout=300, cwd=HERE)


# Each interpreter, main or sub, reads a Mapping and a Sequence with its own classes; a sub that
# is gone leaves the main one working.
SUBINTERPRETERS = textwrap.dedent("""
    import sys
    if sys.version_info >= (3, 13):
        import _interpreters as interpreters
        def create(kind):
            return interpreters.create(interpreters.new_config(kind))
        def run(i, code):
            failure = interpreters.exec(i, code)
            assert failure is None, failure
    else:
        import _xxsubinterpreters as interpreters
        def create(kind):
            return interpreters.create(isolated=kind == "isolated")
        run = interpreters.run_string

    CHECK = '''
    import _zuv
    from sequences import Tree
    tree = _zuv.parse("a *b* c")
    assert _zuv.collect_text(Tree(tree)) == "a b c", "collect_text"
    assert len(_zuv.query_all(Tree(tree), "emphasis")) == 1, "query_all"
    '''
    kinds = sys.argv[1:]
    exec(CHECK)
    for round in range(4):
        for kind in kinds:
            i = create(kind)
            run(i, "import sys; sys.path[:0] = %r" % sys.path)
            run(i, CHECK)
            interpreters.destroy(i)
            exec(CHECK)
    print("done")
""")

ISOLATED = pytest.mark.skipif(sys.version_info < (3, 12),
                              reason="an interpreter of its own lock needs 3.12")


@pytest.mark.parametrize("kinds", [
    ["legacy"],
    pytest.param(["isolated"], marks=ISOLATED),
    pytest.param(["legacy", "isolated"], marks=ISOLATED),
], ids=lambda kinds: "-".join(kinds))
def test_subinterpreters_keep_their_own_objects(kinds):
    done = run_python(SUBINTERPRETERS, *kinds)
    assert (done.returncode, done.stderr) == (0, "")
    assert done.stdout == "done\n"


class LyingLength:
    def __init__(self, length, *items):
        self.length = length
        self.items = items

    def __len__(self):
        return self.length

    def __getitem__(self, i):
        return self.items[i]


@pytest.mark.parametrize("length", [sys.maxsize, 10**9, 0])
def test_a_lying_transforms_length_sizes_nothing(length):
    transforms = LyingLength(length, "auto-slug", "toc")
    assert _zuv.parse_with_transforms("# A\n", transforms) == _zuv.parse_with_defaults("# A\n")


class Raises(Sequence):
    """A Sequence whose length raises `error`."""

    def __init__(self, error):
        self.error = error

    def __len__(self):
        raise self.error

    def __getitem__(self, i):
        raise IndexError(i)


@pytest.mark.parametrize("error", [KeyboardInterrupt("stop"), SystemExit(3),
                                   GeneratorExit("closed"), MemoryError("no room")],
                         ids=lambda e: type(e).__name__)
def test_interrupts_and_memory_errors_pass_unchanged(error):
    tree = _zuv.parse("x")
    tree["frontmatter"] = [Raises(error)]
    with pytest.raises(type(error)) as excinfo:
        _zuv.collect_text(tree)
    assert excinfo.value is error
    with pytest.raises(type(error)) as excinfo:
        _zuv.parse_with_transforms("x", Raises(error))
    assert excinfo.value is error


def test_other_exceptions_still_become_value_errors():
    tree = _zuv.parse("x")
    tree["frontmatter"] = Raises(LookupError("gone"))
    with pytest.raises(ValueError) as excinfo:
        _zuv.collect_text(tree)
    assert str(excinfo.value) == "LookupError: gone"
    # A length that cannot be told is no reason to refuse the transforms.
    assert _zuv.parse_with_transforms("x", Raises(LookupError("gone")))["type"] == "root"
