import copy
import math

import pytest

import _zuv
from sequences import Items

KINDS = [
    "text", "code_inline", "code_block", "paragraph", "heading", "list", "list_item",
    "blockquote", "thematic_break", "html", "table", "table_row", "table_cell", "link", "image",
    "emphasis", "strong", "strikethrough", "definition_list", "definition_term",
    "definition_description", "footnote_definition", "footnote_reference", "math_inline",
    "math_display", "citation", "cross_ref", "component", "variable", "error",
]

# Every kind, all of them inside a component.
KITCHEN_SINK = """<Box>

# Head `code` $x$

Text *em* **strong** ~~del~~ [link](http://u) ![img](i.png) [@key] {@fig:a} {$user.name} {$a..b} <span>h</span>

```js
code
```

---

> quote

- item

| a | b |
|---|---|
| c | d |

Term
: Desc

Note[^1].

[^1]: Foot.

$$
y
$$

<div>raw</div>

</Box>
"""


def kinds_below(node):
    yield node["type"]
    for child in node.get("children") or []:
        yield from kinds_below(child)


@pytest.mark.parametrize("kind", KINDS)
def test_query_all_finds_every_kind_in_pre_order(kind):
    tree = _zuv.parse(KITCHEN_SINK)
    found = _zuv.query_all(tree, kind)
    (box,) = tree["children"]
    # Pre-order over the whole tree, every descendant of a match standing again on its own.
    expected = [n for n in _all_nodes(tree["children"]) if n["type"] == kind]
    assert found == expected
    assert found and all(n["type"] == kind for n in found)
    if kind == "component":
        assert found == [box]


def _all_nodes(nodes):
    for node in nodes:
        yield node
        if node["type"] != "footnote_reference":
            yield from _all_nodes(node.get("children") or [])


@pytest.mark.parametrize("name", ["Paragraph", "root", "", "text ", "Box", "math", "mrow"])
def test_query_all_with_names_that_are_no_kind(name):
    assert _zuv.query_all(_zuv.parse(KITCHEN_SINK), name) == []


def test_query_all_nesting():
    tree = _zuv.parse("- > para\n- outer\n  - inner\n")
    (paragraph,) = _zuv.query_all(tree, "paragraph")
    assert _zuv.collect_text({**tree, "children": [paragraph]}) == "para"
    items = _zuv.query_all(tree, "list_item")
    assert [_zuv.collect_text({**tree, "children": [i]}) for i in items] == [
        "para", "outerinner", "inner"]
    # The inner item also stands inside the outer one's dict.
    assert items[2] in items[1]["children"][1]["children"]


NESTED = """> a *b **c *d* e** f*
> > - x [*l* ![*i*](i.png)](u)
> >   - y
> >     > z

<Box>

<Box>

*w*

</Box>

</Box>
"""


@pytest.mark.parametrize(
    "kind", ["blockquote", "emphasis", "list", "list_item", "component", "paragraph", "text"])
def test_query_all_nested_matches_are_their_ancestors_dicts(kind):
    tree = _zuv.parse(NESTED)
    found = _zuv.query_all(tree, kind)
    assert found == [n for n in _all_nodes(tree["children"]) if n["type"] == kind]
    # The matches inside a match follow it, in pre-order, and are the very dicts it holds.
    for i, match in enumerate(found):
        inside = [n for n in _all_nodes(match.get("children") or []) if n["type"] == kind]
        assert len(found) >= i + 1 + len(inside)
        assert all(a is b for a, b in zip(inside, found[i + 1:]))


def test_query_all_deep_nesting_shares_dicts():
    found = _zuv.query_all(_zuv.parse("> " * 120 + "a *b* " * 50), "blockquote")
    assert len(found) == 120
    assert all(found[i + 1] is found[i]["children"][0] for i in range(119))
    assert found[119]["children"][0]["type"] == "paragraph"


def test_query_all_skips_what_is_not_a_node():
    doc = ('<Card user={$user.name} data={{"type": "text", "value": "x"}} />\n\n'
           "{$page.title} $\\text{t}$\n")
    tree = _zuv.parse(doc)
    assert [v["path"] for v in _zuv.query_all(tree, "variable")] == ["page.title"]
    # Math trees and attribute values are never searched.
    assert [n["value"] for n in _zuv.query_all(tree, "text")] == [" "]
    # Footnote references have no children to enter.
    ref = {"children": [{"position": tree["position"], "type": "text", "value": "hid"}],
           "label": "n", "position": tree["position"], "type": "footnote_reference"}
    hand = {**tree, "children": [ref]}
    assert _zuv.query_all(hand, "text") == []
    assert _zuv.query_all(hand, "footnote_reference") == [ref]


def test_query_all_results_are_fresh():
    tree = _zuv.parse("# A *b*\n")
    before = copy.deepcopy(tree)
    first = _zuv.query_all(tree, "heading")
    first[0]["children"].clear()
    assert _zuv.query_all(tree, "heading") == before["children"]
    assert tree == before


@pytest.mark.parametrize(
    "doc, text",
    [
        ("# Hello *world*\n\nx\n", "Hello worldx"),
        ("---\ntitle: Front\n---\nbody `code` $m$ [@c] {@r} {$v}\n", "body     "),
        ("[link *text*](http://u)![alt](i.png)\n", "link textalt"),
        ("<div>raw</div>\n", "<div>raw</div>\n"),
        ("<Box>\n\nin *box*\n\n</Box>\n\nTerm\n: Desc\n", "in boxTermDesc"),
        ("```\ncode\n```\n\n$$\nm\n$$\n", ""),
        ("", ""),
    ],
)
def test_collect_text(doc, text):
    assert _zuv.collect_text(_zuv.parse(doc)) == text
    assert _zuv.collect_text(ast=_zuv.parse(doc)) == text


def test_hand_made_trees():
    tree = _zuv.parse("a*b*\n\nc\n")
    para, last = tree["children"]
    as_tuples = {**tree, "children": (para, last)}
    as_sequence = {**tree, "children": Items({**para, "children": Items(*para["children"])}, last)}
    for ast in (as_tuples, as_sequence):
        assert _zuv.collect_text(ast) == "abc"
        assert _zuv.query_all(ast, "paragraph") == [para, last]
    # An empty set reads as an empty array; records may be arrays of their fields.
    assert _zuv.collect_text({**tree, "children": set()}) == ""
    point = [1, 1, 0]
    text = ["text", "x", [point, point]]
    paragraph = ["paragraph", None, None, None, None, [text], [point, point]]
    root = ["root", None, [paragraph], [point, point]]
    assert _zuv.collect_text(root) == "x"
    assert _zuv.query_all(tuple(root), "text") == [
        {"position": {"end": dict(zip(["line", "column", "offset"], point)),
                      "start": dict(zip(["line", "column", "offset"], point))},
         "type": "text", "value": "x"}]


class Opaque:
    pass


@pytest.mark.parametrize(
    "frontmatter, message",
    [
        (2**64, "JSON number out of range"),
        (-(2**63) - 1, "JSON number out of range"),
        ({1: "x"}, "dict keys must have type str"),
        (object(), "unsupported type object"),
        (Opaque(), "unsupported type Opaque"),
        (b"x", "invalid type: byte array, expected any valid JSON value"),
        (2**200, "OverflowError: int too big to convert"),
    ],
)
def test_conversion_errors(frontmatter, message):
    ast = {**_zuv.parse("x"), "frontmatter": frontmatter}
    for call in (lambda: _zuv.collect_text(ast), lambda: _zuv.query_all(ast, "text"),
                 lambda: _zuv.validate(ast, {"components": {}})):
        with pytest.raises(ValueError) as excinfo:
            call()
        assert type(excinfo.value) is ValueError
        assert excinfo.value.args == (message,)


def test_convertible_front_matter():
    for frontmatter in (-(2**63), 2**64 - 1, math.nan, {"a": (1, 2)}, None):
        assert _zuv.collect_text({**_zuv.parse("x"), "frontmatter": frontmatter}) == "x"


@pytest.mark.parametrize(
    "ast, message",
    [
        ({}, "missing field `type`"),
        (5, "invalid type: integer `5`, expected struct Root"),
        ("root", 'invalid type: string "root", expected struct Root'),
        ([], "invalid length 0, expected struct Root with 4 elements"),
        ({"type": "Root"}, "unknown variant `Root`, expected `root`"),
        ({"type": "root"}, "missing field `children`"),
        ({"type": "root", "children": []}, "missing field `position`"),
        ({"type": "root", "children": [], "position": None},
         "invalid type: null, expected struct Position"),
        ({"type": "root", "children": [{"type": "nope"}]},
         "unknown variant `nope`, expected one of " + ", ".join(f"`{k}`" for k in KINDS)),
        ({"type": "root", "children": [{"type": "text"}]}, "missing field `value`"),
        ({"type": "root", "children": [{"type": "text", "value": 1}]},
         "invalid type: integer `1`, expected a string"),
    ],
)
def test_tree_shape_errors(ast, message):
    for call in (lambda: _zuv.collect_text(ast), lambda: _zuv.query_all(ast, "text")):
        with pytest.raises(ValueError) as excinfo:
            call()
        assert str(excinfo.value) == message


@pytest.mark.parametrize(
    "call, error, message",
    [
        (lambda: _zuv.query_all(5, 1), TypeError,
         "argument 'node_type': 'int' object is not an instance of 'str'"),
        (lambda: _zuv.query_all(5, None), TypeError,
         "argument 'node_type': 'None' is not an instance of 'str'"),
        (lambda: _zuv.query_all(5, "text"), ValueError,
         "invalid type: integer `5`, expected struct Root"),
        (lambda: _zuv.query_all({}), TypeError,
         "query_all() missing 1 required positional argument: 'node_type'"),
        (lambda: _zuv.query_all(node_type="text"), TypeError,
         "query_all() missing 1 required positional argument: 'ast'"),
        (lambda: _zuv.query_all({}, "a", "b"), TypeError,
         "query_all() takes 2 positional arguments but 3 were given"),
        (lambda: _zuv.query_all({}, type="text"), TypeError,
         "query_all() got an unexpected keyword argument 'type'"),
        (lambda: _zuv.collect_text(), TypeError,
         "collect_text() missing 1 required positional argument: 'ast'"),
        (lambda: _zuv.collect_text({}, {}), TypeError,
         "collect_text() takes 1 positional arguments but 2 were given"),
        (lambda: _zuv.collect_text({}, ast={}), TypeError,
         "collect_text() got multiple values for argument 'ast'"),
    ],
)
def test_argument_errors(call, error, message):
    with pytest.raises(error) as excinfo:
        call()
    assert type(excinfo.value) is error
    assert str(excinfo.value) == message


def test_query_all_node_type_arguments():
    tree = _zuv.parse("x")

    class Kind(str):
        pass

    assert _zuv.query_all(tree, Kind("text")) == _zuv.query_all(node_type="text", ast=tree)
    with pytest.raises(UnicodeEncodeError):
        _zuv.query_all(5, "\ud800")


def test_reading_keeps_no_memory(no_leak):
    tree = _zuv.parse("# A *b*\n\n<Box a={1}>\n\nx\n\n</Box>\n")
    schema = {"components": {"Box": {"props": {"a": {"type": "string"}}}}, "strict": True}
    no_leak(lambda: _zuv.query_all(tree, "text"), calls=1000)
    no_leak(lambda: _zuv.collect_text(tree), calls=1000)
    no_leak(lambda: _zuv.validate(tree, schema), calls=1000)
