"""parse() end to end: exact dicts of documents, positions included."""
import resource

import pytest

import _zuv
from conftest import skip_under_sanitizer


def point(text, offset):
    line = text.count("\n", 0, offset) + 1
    column = offset - (text.rfind("\n", 0, offset) + 1) + 1
    return {"column": column, "line": line, "offset": offset}


def pos(text, start, end):
    return {"end": point(text, end), "start": point(text, start)}


def text_node(doc, start, end, value=None):
    return {"position": pos(doc, start, end), "type": "text",
            "value": doc[start:end] if value is None else value}


def test_empty_document():
    assert _zuv.parse("") == {
        "children": [], "frontmatter": None, "position": pos("", 0, 0), "type": "root"}
    assert list(_zuv.parse("x")) == ["children", "frontmatter", "position", "type"]


def test_inline_component_in_a_paragraph():
    doc = "Text <Badge /> more"
    assert _zuv.parse(doc)["children"] == [{
        "children": [
            text_node(doc, 0, 5),
            {"attributes": [], "children": [], "isInline": True, "name": "Badge",
             "position": pos(doc, 5, 14), "type": "component"},
            text_node(doc, 14, 19),
        ],
        "position": pos(doc, 0, 19), "type": "paragraph"}]


def test_block_component_with_typed_attributes():
    doc = '<Card title="Hi" n={-2} f={1.5} ok data={{{"b": [1, null]}}} who={$user.name}>\nBody\n</Card>\n'
    card = _zuv.parse(doc)["children"][0]
    attrs = {a["name"]: a["value"] for a in card["attributes"]}
    assert attrs == {"title": "Hi", "n": -2, "f": 1.5, "ok": True, "data": {"b": [1, None]},
                     "who": {"path": "user.name",
                             "position": pos(doc, doc.index("{$"), doc.index("}>") + 1)}}
    assert card["rawContent"] == "Body\n"
    assert card["children"] == [{"children": [text_node(doc, doc.index("Body"), doc.index("Body") + 4)],
                                 "position": pos(doc, doc.index("Body"), doc.index("Body") + 5),
                                 "type": "paragraph"}]
    assert card["position"] == pos(doc, 0, len(doc) - 1)


def test_front_matter_values_and_positions_after_it():
    doc = "---\ntitle: T\nn: 0x1F\nf: 1.5\nno: false\nnil: ~\nlist: [a, 'b']\n---\n# H\n"
    root = _zuv.parse(doc)
    assert root["frontmatter"] == {"f": 1.5, "list": ["a", "b"], "n": 31, "nil": None,
                                   "no": False, "title": "T"}
    heading = root["children"][0]
    assert heading["position"]["start"] == point(doc, doc.index("# H"))
    for bad in ("---\n: [\n---\nx", "---\nnull\n---\nx", "---\na: 1\na: 2\n---\nx"):
        assert _zuv.parse(bad)["frontmatter"] is None


def test_code_block_metadata():
    doc = "```js title='app.js' {1,3-4} showLineNumbers extra\nlet a;\n```\n"
    block = _zuv.parse(doc)["children"][0]
    assert block == {"highlight": [1, 3, 4], "lang": "js", "meta": "extra",
                     "position": pos(doc, 0, len(doc) - 1), "showLineNumbers": True,
                     "title": "app.js", "type": "code_block", "value": "let a;\n"}


def test_math_citations_cross_references_and_variables():
    doc = "See $x^2$ in {@fig:a} by [see @k, p. 3] for {$v}."
    kinds = [n["type"] for n in _zuv.parse(doc)["children"][0]["children"]]
    assert kinds == ["text", "math_inline", "text", "cross_ref", "text", "citation", "text",
                     "variable", "text"]
    para = _zuv.parse(doc)["children"][0]["children"]
    assert para[1]["tree"] == {"base": {"type": "ident", "value": "x"},
                               "script": {"type": "number", "value": "2"}, "type": "superscript"}
    assert para[5]["keys"] == [{"id": "k", "locator": "p. 3", "prefix": "see"}]


@pytest.mark.parametrize("doc, kind, raw", [
    # Text split by the Markdown engine at "_", brackets and escapes no longer hides math.
    ("$a_{i}$", "math_inline", "a_{i}"),
    ("$[0,1]$", "math_inline", "[0,1]"),
    ("$a\\,b$", "math_inline", "a\\,b"),
    ("{$a_b}", "variable", "a_b"),
])
def test_constructs_split_across_text_events(doc, kind, raw):
    [node] = _zuv.parse(doc)["children"][0]["children"]
    assert node["type"] == kind
    assert node.get("raw", node.get("path")) == raw
    assert node["position"] == pos(doc, 0, len(doc))


def test_block_quote_markers_never_enter_text():
    doc = "> a [@k\n> b]"
    values = [n["value"] for n in _zuv.parse(doc)["children"][0]["children"][0]["children"]]
    assert all(">" not in v for v in values)


def test_misnested_closing_tag_keeps_the_content():
    doc = "<A>kept</B>"
    assert _zuv.parse(doc)["children"][0]["children"] == [
        {"message": "Misnested tags: expected </A>, found </B>", "position": pos(doc, 7, 11),
         "rawContent": "</B>", "type": "error"},
        text_node(doc, 3, 7),
    ]


def test_recreated_indentation_has_an_empty_range():
    doc = ">\t<div>\n"
    html = _zuv.parse(doc)["children"][0]["children"][0]
    assert html["children"][0] == {"position": pos(doc, 2, 2), "type": "text", "value": "  "}


@pytest.mark.parametrize("doc", [
    ">" * 50000 + " x",
    "*a " * 10000 + "b" + " c*" * 10000,
    "[" * 20000,
    "<C>\n" * 2000 + "x\n" + "</C>\n" * 2000,
    "x " + "<A>" * 5000,
    "$" + "{" * 100000 + "$",
    "$$\n" + "\\sqrt{" * 50000 + "\n$$\n",
], ids=["quotes", "emphasis", "brackets", "components", "inline-tags", "math-braces",
        "display-roots"])
def test_hostile_nesting_parses_and_converts(doc):
    root = _zuv.parse(doc)
    assert root["type"] == "root"


def test_components_past_the_nesting_limit_become_errors():
    depth = 300
    doc = "<C>\n" * depth + "x\n" + "</C>\n" * depth
    node = _zuv.parse(doc)["children"][0]
    while node["type"] == "component":
        node = node["children"][0]
    assert node["type"] == "error"
    assert node["message"] == "Component nesting too deep"
    assert node["rawContent"].startswith("<C>")


@skip_under_sanitizer
def test_repeated_calls_do_not_grow_memory():
    doc = open(__file__, encoding="utf-8").read() * 4
    for _ in range(20):
        _zuv.parse(doc)
    before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
    for _ in range(100):
        _zuv.parse(doc)
    assert resource.getrusage(resource.RUSAGE_SELF).ru_maxrss - before < 20000
