"""Runs the deepest inputs the limits accept on a thread with a small stack.

Usage: small_stack_calls.py STACK_BYTES. Prints one line per case, "name: ok" or
"name: ValueError: message", and exits 0 unless the interpreter crashed first. Run in a
subprocess: a fault here kills the process.
"""
import sys
import threading

import _zuv
import _zuv_testing


def nested_list(depth):
    value = 0
    for _ in range(depth):
        value = [value]
    return value


def nested_dict(depth):
    value = 0
    for _ in range(depth):
        value = {"k": value}
    return value


def deep_tree(levels):
    """A tree dict of `levels` nested emphasis nodes around one text node."""
    leaf = _zuv.parse("*a*")["children"][0]["children"][0]
    node = leaf
    for _ in range(levels):
        node = dict(leaf, children=[node])
    root = _zuv.parse("x")
    root["children"] = [{"children": [node], "position": leaf["position"], "type": "paragraph"}]
    return root


def with_frontmatter(value):
    root = _zuv.parse("x")
    root["frontmatter"] = value
    return root


# Deep Python objects are made, and released, on the main thread: the interpreter's own
# deallocation of a deep dict needs more than a small stack.
SCHEMA = {"components": {"C": {"props": {}}}}
COMPONENTS = "<C>\n" * 127 + "x\n" + "</C>\n" * 127
TREE = deep_tree(505)
DEEP_FRONTMATTER = with_frontmatter(nested_dict(1015))
DEEP_LIST = nested_list(1023)
DEEP_DICT = nested_dict(1023)
RESULTS = []

CASES = {
    "components": lambda: _zuv.parse(COMPONENTS),
    "components-inline": lambda: _zuv.parse("x " + "<A>" * 5000),
    "quotes": lambda: _zuv.parse(">" * 50000 + " x"),
    "emphasis": lambda: _zuv.parse("*a " * 10000 + "b" + " c*" * 10000),
    # Blocks that end inside an inline component move into it, and it into the next block.
    "moved-paragraphs": lambda: _zuv.parse("\n</A><A>\n" * 20000),
    "moved-headings": lambda: _zuv.parse("# </A><A>\n" * 20000),
    "moved-table-cells": lambda: _zuv.parse("| a |\n|---|\n" + "| </A><A> |\n" * 5000),
    "math-braces": lambda: _zuv.parse("$" + "{" * 100000 + "$"),
    "display-roots": lambda: _zuv.parse("$$\n" + "\\sqrt{" * 50000 + "\n$$\n"),
    "frontmatter": lambda: _zuv.parse("---\n" + "a: " * 2000 + "\n---\n"),
    "flow-frontmatter": lambda: _zuv.parse("---\na: " + "[" * 1020 + "]" * 1020 + "\n---\n"),
    "attribute-json": lambda: _zuv.parse("<C a={" + "[" * 126 + "]" * 126 + "} />\n"),
    "transforms": lambda: _zuv.parse_with_transforms(COMPONENTS, ["auto-slug", "toc", "github"],
                                                     repo="o/r"),
    "defaults": lambda: _zuv.parse_with_defaults(COMPONENTS),
    "collect-frontmatter": lambda: _zuv.collect_text(DEEP_FRONTMATTER),
    "validate-frontmatter": lambda: _zuv.validate(DEEP_FRONTMATTER, SCHEMA),
    "validate-components": lambda: _zuv.validate(_zuv.parse(COMPONENTS), SCHEMA),
    "collect-tree": lambda: _zuv.collect_text(TREE),
    "query-tree": lambda: _zuv.query_all(TREE, "emphasis"),
    "validate-tree": lambda: _zuv.validate(TREE, SCHEMA),
    "roundtrip-list": lambda: _zuv_testing.roundtrip(DEEP_LIST),
    "roundtrip-dict": lambda: _zuv_testing.roundtrip(DEEP_DICT),
}


def run():
    for name, case in CASES.items():
        try:
            RESULTS.append(case())
            outcome = "ok"
        except ValueError as e:
            outcome = f"ValueError: {e}"
        print(f"{name}: {outcome}", flush=True)


if __name__ == "__main__":
    threading.stack_size(int(sys.argv[1]))
    thread = threading.Thread(target=run)
    thread.start()
    thread.join()
