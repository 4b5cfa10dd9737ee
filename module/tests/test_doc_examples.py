"""The examples of README.md and docs/dict-form.md, run against the module.

Two forms are read, as the documents write them:
- sessions: a `>>> ` line and its `... ` continuations, then the expected output, up to a blank
  line, the next `>>> `, the end of the code block or a line indented less than the `>>> `; the
  examples of one document share their names (`tree = ...` and then `tree["children"]`);
- math examples, in the "Math kinds" section of dict-form.md: `` `source` → `tree` ``, the tree
  of a math source.
An expected value is a Python literal, compared with its key order and its types, in which `...`
stands for a position; `SomeError: message` expects that exception with exactly that message.
"""
import ast
import pathlib
import re

import pytest

import _zuv

ROOT = pathlib.Path(__file__).resolve().parents[2]
DOCUMENTS = ["README.md", "docs/dict-form.md"]
MATH_SECTION = "## Math kinds"
MATH_EXAMPLE = re.compile(r"`([^`]+)` → `([^`]+)`")
RAISES = re.compile(r"([A-Za-z]+(?:Error|Exception)): (.*)")


class Session:
    def __init__(self, document, line, source, expected):
        self.document, self.line, self.source, self.expected = document, line, source, expected

    def __repr__(self):
        return f"{self.document}:{self.line}"


def sessions(document, lines):
    found = []
    i = 0
    while i < len(lines):
        stripped = lines[i].lstrip(" ")
        if not stripped.startswith(">>> "):
            i += 1
            continue
        indent = len(lines[i]) - len(stripped)
        start = i
        source = [stripped[4:]]
        i += 1
        while i < len(lines) and lines[i].startswith(" " * indent + "... "):
            source.append(lines[i][indent + 4:])
            i += 1
        expected = []
        while i < len(lines):
            line = lines[i]
            body = line[indent:]
            if (not line.strip() or body.startswith(">>> ") or line.lstrip().startswith("```")
                    or not line.startswith(" " * indent)):
                break
            expected.append(body)
            i += 1
        found.append(Session(document, start + 1, "\n".join(source), "\n".join(expected)))
    return found


def math_examples(document, lines):
    found = []
    inside = False
    for number, line in enumerate(lines, 1):
        if line.startswith("## "):
            inside = line.strip() == MATH_SECTION
        elif inside:
            found += [(f"{document}:{number}", source, tree)
                      for source, tree in MATH_EXAMPLE.findall(line)]
    return found


def read(document):
    return (ROOT / document).read_text(encoding="utf-8").splitlines()


SESSIONS = [s for d in DOCUMENTS for s in sessions(d, read(d))]
MATH = [m for d in DOCUMENTS for m in math_examples(d, read(d))]
NAMES = {}  # document -> the names its sessions have bound so far


def is_position(value):
    return (isinstance(value, dict) and list(value) == ["end", "start"]
            and all(isinstance(p, dict) and list(p) == ["column", "line", "offset"]
                    for p in value.values()))


def shown_as(expected, actual):
    """`actual` with every position that `expected` writes as `...` written so too."""
    if expected is Ellipsis and is_position(actual):
        return Ellipsis
    if isinstance(expected, dict) and isinstance(actual, dict):
        return {k: shown_as(expected[k], v) if k in expected else v for k, v in actual.items()}
    if isinstance(expected, list) and isinstance(actual, list) and len(expected) == len(actual):
        return [shown_as(e, a) for e, a in zip(expected, actual)]
    return actual


def check(expected_text, actual):
    expected = ast.literal_eval(expected_text)
    shown = shown_as(expected, actual)
    assert shown == expected
    # Equal values can still differ in key order or type (1 and True, 1 and 1.0).
    assert repr(shown) == repr(expected)


def test_every_document_has_examples():
    assert {s.document for s in SESSIONS} == set(DOCUMENTS)
    assert MATH


@pytest.mark.parametrize("session", SESSIONS, ids=repr)
def test_session(session):
    names = NAMES.setdefault(session.document, {"_zuv": _zuv})
    raises = RAISES.fullmatch(session.expected)
    try:
        code = compile(session.source, repr(session), "eval")
    except SyntaxError:
        assert not session.expected, "a statement shows no value"
        exec(compile(session.source, repr(session), "exec"), names)
        return
    if not session.expected:
        assert eval(code, names) is None, "a value is shown"
        return
    if raises:
        with pytest.raises(Exception) as caught:
            eval(code, names)
        assert (type(caught.value).__name__, str(caught.value)) == raises.groups()
        return
    check(session.expected, eval(code, names))


@pytest.mark.parametrize("where, source, tree", MATH, ids=[m[0] for m in MATH])
def test_math_example(where, source, tree):
    # A display block hands its lines to the math parser as they are, with no Markdown between.
    check(tree, _zuv.parse(f"$$\n{source}\n$$\n")["children"][0]["tree"])
