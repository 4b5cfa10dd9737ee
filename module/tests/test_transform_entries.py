from collections.abc import Sequence

import pytest

import _zuv
from sequences import Items

ZERO = {"column": 0, "line": 0, "offset": 0}
ZERO_POSITION = {"end": ZERO, "start": ZERO}


def slugged(doc):
    return _zuv.parse_with_transforms(doc, ["auto-slug"])


def ids(nodes):
    """The `id` of every heading below `nodes`, in pre-order (None for a heading without)."""
    found = []
    for node in nodes:
        if node["type"] == "heading":
            found.append(node.get("id"))
        found.extend(ids(node.get("children") or []))
    return found


def positions(node):
    yield node["position"]
    for child in node.get("children") or []:
        yield from positions(child)


# ---- heading slugs ---------------------------------------------------------------------------
# The slug rule and the de-duplication are tabled in transform/tests/slug_test.cpp; here, what
# a parsed document and the Python edge add: the text of real inline nodes, non-ASCII text
# arriving from a str, and a heading without a slug having no `id` key at all.


@pytest.mark.parametrize(
    "heading, slug",
    [
        ("Hello, World!", "hello-world"),
        ("Café Ünder", "caf-nder"),
        # Only text nodes count: code, math and citations add nothing, link and emphasis do.
        ("The `run` command", "the-command"),
        ("Area $x^2$ here", "area-here"),
        ("See [@key] now", "see-now"),
        ("[Link](http://u) and *em*", "link-and-em"),
        ("日本語 Éï", None),
        ("`only code`", None),
    ],
)
def test_heading_slugs(heading, slug):
    tree = slugged(f"# {heading}\n")
    assert ids(tree["children"]) == [slug]
    assert ("id" in tree["children"][0]) == (slug is not None)


def test_slugs_are_unique_across_the_document():
    doc = "# A\n\n# A\n\n# !\n\n# A 1\n"
    assert ids(slugged(doc)["children"]) == ["a", "a-1", None, "a-1-1"]


def test_headings_in_containers():
    doc = (
        "> ## Quoted\n\n"
        "- ## Listed\n\n"
        "<Box>\n\n## Boxed\n\n</Box>\n\n"
        "Term\n: ## Described\n\n"
        "x[^n]\n\n[^n]: ## Noted\n"
    )
    # De-duplication runs over the whole tree in pre-order; definition lists are not entered.
    assert ids(slugged(doc)["children"]) == ["quoted", "listed", "boxed", None, "noted"]


def test_slug_runs_are_idempotent():
    doc = "# A\n\n## A\n\n### B\n"
    once = slugged(doc)
    assert _zuv.parse_with_transforms(doc, ["auto-slug", "auto-slug"]) == once
    assert _zuv.parse_with_transforms(doc, ("auto-slug",) * 3) == once


# ---- table of contents -----------------------------------------------------------------------


def toc_item(label, url, depth):
    text = {"position": ZERO_POSITION, "type": "text", "value": label}
    link = {"children": [text], "position": ZERO_POSITION, "type": "link", "url": url}
    return {"children": [link], "depth": depth, "position": ZERO_POSITION, "type": "list_item"}


def toc_component(*items):
    listing = {
        "children": list(items),
        "position": ZERO_POSITION,
        "type": "list",
    }
    return {
        "attributes": [],
        "children": [listing],
        "isInline": False,
        "name": "TableOfContents",
        "position": ZERO_POSITION,
        "type": "component",
    }


TOC_DOC = "<TableOfContents />\n\n# Title\n\n## Setup `cmd`\n\n### Linux\n\n#### Deep\n\n## Usage\n"


def test_table_of_contents_replaces_the_placeholder():
    tree = _zuv.parse_with_defaults(TOC_DOC)
    toc = tree["children"][0]
    # A flat list of levels 2 and 3; the nesting shows only in each item's depth.
    assert toc == toc_component(
        toc_item("Setup ", "#setup", 2),
        toc_item("Linux", "#linux", 3),
        toc_item("Usage", "#usage", 2),
    )
    assert all(p == ZERO_POSITION for p in positions(toc))
    assert ids(tree["children"]) == ["title", "setup", "linux", "deep", "usage"]
    assert _zuv.parse_with_transforms(TOC_DOC, ["auto-slug", "toc"]) == tree


def test_table_of_contents_before_slugs_has_empty_links():
    tree = _zuv.parse_with_transforms(TOC_DOC, ["toc", "auto-slug"])
    assert tree["children"][0] == toc_component(
        toc_item("Setup ", "", 2), toc_item("Linux", "", 3), toc_item("Usage", "", 2)
    )
    assert tree["children"][1:] == _zuv.parse_with_defaults(TOC_DOC)["children"][1:]


@pytest.mark.parametrize(
    "doc, replaced_at",
    [
        # The placeholder's attributes are dropped with it.
        ('<TableOfContents depth={2} />\n\n## A\n', 0),
        ("## A\n\n<TableOfContents />\n\n<TableOfContents />\n", 1),
        ("## A\n\n<TableOfContents>\n\nbody\n\n</TableOfContents>\n\n<TableOfContents />\n", 2),
        # Not top-level, or not empty: no placeholder, the contents are dropped.
        ("## A\n\n<Box>\n\n<TableOfContents />\n\n</Box>\n", None),
        ("## A\n\n> <TableOfContents />\n", None),
        ("## A\n\n- <TableOfContents />\n", None),
        ("## A\n\n<TableOfContents>\n\nbody\n\n</TableOfContents>\n", None),
        ("## A\n\n<Tableofcontents />\n", None),
    ],
)
def test_table_of_contents_placeholder_rules(doc, replaced_at):
    tree = _zuv.parse_with_defaults(doc)
    plain = slugged(doc)
    if replaced_at is None:
        assert tree == plain
        return
    expected = plain["children"]
    expected[replaced_at] = toc_component(toc_item("A", "#a", 2))
    assert tree["children"] == expected


def test_table_of_contents_without_entries_keeps_the_placeholder():
    doc = "<TableOfContents />\n\n# Only a title\n\n#### Too deep\n"
    assert _zuv.parse_with_defaults(doc) == slugged(doc)
    assert _zuv.parse_with_defaults(doc)["children"][0]["children"] == []


def test_table_of_contents_lists_headings_the_slugs_miss():
    doc = "<TableOfContents />\n\nTerm\n: ## Described\n\n## !!!\n\n<Box>\n\n### Boxed\n\n</Box>\n"
    assert _zuv.parse_with_defaults(doc)["children"][0] == toc_component(
        toc_item("Described", "", 2), toc_item("!!!", "", 2), toc_item("Boxed", "#boxed", 3)
    )


# ---- GitHub references -----------------------------------------------------------------------


def pieces(nodes):
    """Text pieces as their value, links as (url, label)."""
    out = []
    for node in nodes:
        if node["type"] == "text":
            out.append(node["value"])
        elif node["type"] == "link":
            (label,) = node["children"]
            out.append((node["url"], label["value"]))
        else:
            out.append(node["type"])
    return out


def linked(text, repo="o/r"):
    (paragraph,) = _zuv.parse_with_transforms(text, ["github"], repo)["children"]
    return pieces(paragraph["children"])


ISSUE = "https://github.com/o/r/issues/"
COMMIT = "https://github.com/o/r/commit/"


@pytest.mark.parametrize(
    "text, expected",
    [
        ("See #12.", ["See ", (ISSUE + "12", "#12"), "."]),
        ("(#12)", ["(", (ISSUE + "12", "#12"), ")"]),
        ("#007 and #12abc", [(ISSUE + "007", "#007"), " and ", (ISSUE + "12", "#12"), "abc"]),
        ("a#12 ##12 #x", ["a#12 ##12 #x"]),
        ("@dev_team hi @x-y", [("https://github.com/dev_team", "@dev_team"), " hi ",
                               ("https://github.com/x-y", "@x-y")]),
        ("@user's", [("https://github.com/user", "@user"), "'s"]),
        ("@-", [("https://github.com/-", "@-")]),
        ("me@example (@user) @#12 @", ["me@example (@user) @#12 @"]),
        ("fix 3f2a1b9c0d", ["fix ", (COMMIT + "3f2a1b9c0d", "3f2a1b9")]),
        ("DEADBEEF", [(COMMIT + "DEADBEEF", "DEADBEE")]),
        ("cafe1234_x", [(COMMIT + "cafe1234", "cafe123"), "_x"]),
        ("a" * 40, [(COMMIT + "a" * 40, "a" * 7)]),
        ("1234567 abc123 cafe1234z xdeadbeef", ["1234567 abc123 cafe1234z xdeadbeef"]),
        ("#abcdef1", ["#abcdef1"]),
        ("a" * 41, ["a" * 41]),
    ],
)
def test_github_references(text, expected):
    assert linked(text) == expected


def test_github_references_by_context():
    doc = (
        "# Fixes #1\n\n- item #2\n\n| h |\n|---|\n| #3 |\n\nTerm #4\n: Desc #5\n\n"
        "x[^n]\n\n[^n]: Note #6\n\n<Box>\n\nBoxed #7\n\n</Box>\n\n"
        "[link #8](http://u) `code #9` $#10$\n\n```\n#11\n```\n\n<div>#12 @bob</div>\n"
    )
    tree = _zuv.parse_with_transforms(doc, ["github"], repo="o/r")
    urls = [node["url"] for node in _zuv.query_all(tree, "link")]
    assert urls == ["https://github.com/o/r/issues/%d" % n for n in range(1, 8)] + ["http://u"]
    # The raw HTML keeps its text whole.
    (html,) = _zuv.query_all(tree, "html")
    assert pieces(html["children"]) == ["<div>#12 @bob</div>\n"]


# The longest "owner/name" the service allows; a longer repository links nothing.
LONGEST_REPO = "o" * 39 + "/" + "r" * 100


@pytest.mark.parametrize(
    "front, repo, url",
    [
        ("github: fm/repo\n", None, "https://github.com/fm/repo/issues/1"),
        ("github: fm/repo\n", "arg/repo", "https://github.com/arg/repo/issues/1"),
        ("github: fm/repo\n", "", "https://github.com/fm/repo/issues/1"),
        # An empty or malformed repository links nothing, from either source; a malformed
        # `repo` does not fall back to the front matter.
        ("github: ''\n", None, None),
        ("github: ''\n", "", None),
        ("github: a b/c d\n", None, None),
        ("github: fm/repo\n", "a b/c d", None),
        ("other: fm/repo\n", "arg/repo", "https://github.com/arg/repo/issues/1"),
        # Without a repository nothing is linked, mentions included.
        ("other: fm/repo\n", None, None),
        ("github: [fm, repo]\n", None, None),
        ("github: 5\n", "", None),
        (f"github: {LONGEST_REPO}\n", None, f"https://github.com/{LONGEST_REPO}/issues/1"),
        ("github: fm/repo\n", LONGEST_REPO, f"https://github.com/{LONGEST_REPO}/issues/1"),
        (f"github: {LONGEST_REPO}r\n", None, None),
        ("github: fm/repo\n", LONGEST_REPO + "r", None),
    ],
)
def test_github_repository(front, repo, url):
    doc = f"---\n{front}---\n#1 @bob\n"
    result = pieces(_zuv.parse_with_transforms(doc, ["github"], repo)["children"][0]["children"])
    if url is None:
        assert result == ["#1 @bob"]
    else:
        assert result == [(url, "#1"), " ", ("https://github.com/bob", "@bob")]


def test_github_piece_positions():
    # The text node starts on line 3, column 5, offset 40.
    doc = "y" * 34 + "\n\n> > x #1\n"
    tree = _zuv.parse_with_transforms(doc, ["github"], repo="o/r")
    paragraph = _zuv.query_all(tree, "paragraph")[1]
    text, link = paragraph["children"]

    def at(column, offset):
        return {"column": column, "line": 3, "offset": offset}

    assert text == {"position": {"end": at(7, 42), "start": at(5, 40)}, "type": "text",
                    "value": "x "}
    assert link["position"] == {"end": at(9, 44), "start": at(7, 42)}
    assert link["children"][0]["position"] == link["position"]


# ---- the transform list ----------------------------------------------------------------------


class NoLength:
    def __getitem__(self, i):
        return ("toc", "auto-slug")[i]

    def __len__(self):
        raise RuntimeError("no length")


class Text(str):
    pass


def test_accepted_transform_lists():
    doc = "<TableOfContents />\n\n## A\n\n## A\n"
    defaults = _zuv.parse_with_defaults(doc)
    for names in (["auto-slug", "toc"], ("auto-slug", "toc"), Items("auto-slug", "toc"),
                  [Text("auto-slug"), Text("toc")]):
        assert _zuv.parse_with_transforms(doc, names) == defaults
    assert _zuv.parse_with_transforms(input=doc, transforms=["auto-slug", "toc"]) == defaults
    # A sequence that cannot tell its length is still read.
    assert _zuv.parse_with_transforms(doc, NoLength()) == _zuv.parse_with_transforms(
        doc, ["toc", "auto-slug"])
    for names in ([], (), Items()):
        assert _zuv.parse_with_transforms(doc, names) == _zuv.parse(doc)
    # repo matters only to "github".
    assert _zuv.parse_with_transforms(doc, ["auto-slug", "toc"], repo="o/r") == defaults
    assert _zuv.parse_with_transforms("#1", [], repo="o/r") == _zuv.parse("#1")


def test_transforms_run_once_per_occurrence():
    doc = "<TableOfContents />\n\n<TableOfContents />\n\n## A\n"
    tree = _zuv.parse_with_transforms(doc, ["auto-slug", "toc", "toc"])
    # The second run finds the first placeholder filled and fills the second.
    assert tree["children"][:2] == [toc_component(toc_item("A", "#a", 2))] * 2
    assert _zuv.parse_with_transforms(doc, ["auto-slug", "toc"])["children"][1]["children"] == []


class Boom(Sequence):
    def __init__(self, error):
        self.error = error

    def __getitem__(self, i):
        raise self.error

    def __len__(self):
        return 1


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: _zuv.parse_with_defaults(),
         "parse_with_defaults() missing 1 required positional argument: 'input'"),
        (lambda: _zuv.parse_with_defaults("a", "b"),
         "parse_with_defaults() takes 1 positional arguments but 2 were given"),
        (lambda: _zuv.parse_with_defaults(text="a"),
         "parse_with_defaults() got an unexpected keyword argument 'text'"),
        (lambda: _zuv.parse_with_defaults(5),
         "argument 'input': 'int' object is not an instance of 'str'"),
        (lambda: _zuv.parse_with_transforms("a"),
         "parse_with_transforms() missing 1 required positional argument: 'transforms'"),
        (lambda: _zuv.parse_with_transforms(),
         "parse_with_transforms() missing 2 required positional arguments: 'input' and 'transforms'"),
        (lambda: _zuv.parse_with_transforms("a", [], None, 1),
         "parse_with_transforms() takes from 2 to 3 positional arguments but 4 were given"),
        (lambda: _zuv.parse_with_transforms("a", [], transforms=[]),
         "parse_with_transforms() got multiple values for argument 'transforms'"),
        (lambda: _zuv.parse_with_transforms("a", [], repository="o/r"),
         "parse_with_transforms() got an unexpected keyword argument 'repository'"),
        (lambda: _zuv.parse_with_transforms(None, []),
         "argument 'input': 'None' is not an instance of 'str'"),
        (lambda: _zuv.parse_with_transforms("a", "toc"),
         "argument 'transforms': Can't extract `str` to `Vec`"),
        (lambda: _zuv.parse_with_transforms("a", Text("toc")),
         "argument 'transforms': Can't extract `str` to `Vec`"),
        (lambda: _zuv.parse_with_transforms("a", {"toc"}),
         "argument 'transforms': 'set' object is not an instance of 'Sequence'"),
        (lambda: _zuv.parse_with_transforms("a", {"toc": 1}),
         "argument 'transforms': 'dict' object is not an instance of 'Sequence'"),
        (lambda: _zuv.parse_with_transforms("a", (n for n in ["toc"])),
         "argument 'transforms': 'generator' object is not an instance of 'Sequence'"),
        (lambda: _zuv.parse_with_transforms("a", 3),
         "argument 'transforms': 'int' object is not an instance of 'Sequence'"),
        (lambda: _zuv.parse_with_transforms("a", None),
         "argument 'transforms': 'NoneType' object is not an instance of 'Sequence'"),
        (lambda: _zuv.parse_with_transforms("a", [None]),
         "argument 'transforms': 'None' is not an instance of 'str'"),
        (lambda: _zuv.parse_with_transforms("a", [b"toc"]),
         "argument 'transforms': 'bytes' object is not an instance of 'str'"),
        (lambda: _zuv.parse_with_transforms("a", Boom(TypeError("broken"))),
         "argument 'transforms': broken"),
        (lambda: _zuv.parse_with_transforms("a", ["toc"], 5),
         "argument 'repo': 'int' object is not an instance of 'str'"),
        (lambda: _zuv.parse_with_transforms("a", ["github"], repo=b"o/r"),
         "argument 'repo': 'bytes' object is not an instance of 'str'"),
        # Every argument is converted before any name is matched.
        (lambda: _zuv.parse_with_transforms("a", ["toc", "nope", 7]),
         "argument 'transforms': 'int' object is not an instance of 'str'"),
        (lambda: _zuv.parse_with_transforms(1, ["nope"]),
         "argument 'input': 'int' object is not an instance of 'str'"),
        (lambda: _zuv.parse_with_transforms("a", ["nope"], 5),
         "argument 'repo': 'int' object is not an instance of 'str'"),
    ],
)
def test_argument_errors(call, message):
    with pytest.raises(TypeError) as excinfo:
        call()
    assert type(excinfo.value) is TypeError
    assert str(excinfo.value) == message


@pytest.mark.parametrize(
    "name", ["TOC", "Toc", " toc", "toc ", "", "auto_slug", "table-of-contents", 'a"b\\'])
def test_unknown_transform_names(name):
    with pytest.raises(ValueError) as excinfo:
        _zuv.parse_with_transforms("a", ["toc", name, "unknown-too"])
    assert type(excinfo.value) is ValueError
    assert excinfo.value.args == ('unknown transform: "%s"' % name,)


def test_errors_raised_by_the_caller_pass_unchanged():
    error = ValueError("from the sequence")
    with pytest.raises(ValueError) as excinfo:
        _zuv.parse_with_transforms("a", Boom(error))
    assert excinfo.value is error
    for call in (
        lambda: _zuv.parse_with_transforms("a\ud800", ["toc"]),
        lambda: _zuv.parse_with_transforms("a", ["toc", "\ud800"]),
        lambda: _zuv.parse_with_transforms("a", ["nope"], "\udfff"),
        lambda: _zuv.parse_with_defaults("\ud800"),
    ):
        with pytest.raises(UnicodeEncodeError):
            call()


def test_transform_calls_keep_no_references(no_leak):
    def calls():
        # A fresh exception each time: one raised again keeps growing its traceback.
        for names, repo in ((["toc", 7], None), (Boom(TypeError("broken")), None),
                            (["toc", "nope"], "o/r"), (["github"], 5),
                            (Items("github", "toc"), "o/r"), (NoLength(), None)):
            try:
                _zuv.parse_with_transforms("## A #1\n", names, repo)
            except (TypeError, ValueError):
                pass

    no_leak(calls, calls=1000)
