import pytest

import _zuv


def finding(message, component, line, column, severity="error"):
    return {"column": column, "component": component, "line": line, "message": message,
            "severity": severity}


def check(doc, schema):
    return _zuv.validate(_zuv.parse(doc), schema)


# ---- reading the schema ----------------------------------------------------------------------

TYPE_NAMES = "`string`, `number`, `boolean`, `enum`, `object`, `array`, `variable`, `any`"


def prop(p):
    return {"components": {"X": {"props": {"p": p}}}}


# The reader's rules and messages are tabled in schema/tests/read_test.cpp; here, what the Python
# edge adds: schemas built of Python values (lists, str, None, bool beside int, float, a dict in
# its insertion order) give the reader's message unchanged, as a ValueError.
@pytest.mark.parametrize(
    "schema, message",
    [
        ([], "invalid length 0, expected struct Schema with 3 elements"),
        ("x", 'invalid type: string "x", expected struct Schema'),
        (None, "invalid type: null, expected struct Schema"),
        ({"strict": True}, "missing field `components`"),
        ({"components": {"B": 1, "A": 2}},
         "invalid type: integer `2`, expected struct ComponentSchema"),
        ({"components": {"A": {"props": {}, "description": 1.5}}},
         "invalid type: floating point `1.5`, expected a string"),
        ([{}, False, [], 0], "invalid length 4, expected fewer elements in array"),
        (prop({"type": "str"}), f"unknown variant `str`, expected one of {TYPE_NAMES}"),
        ({"components": {}, "global_props": [["x", True]]},
         "invalid type: boolean `true`, expected struct PropSchema"),
        ({"components": {}, "global_props": [[1, {"type": "any"}]]},
         "invalid type: integer `1`, expected a string"),
    ],
)
def test_schema_reading_errors(schema, message):
    with pytest.raises(ValueError) as excinfo:
        check("x", schema)
    assert type(excinfo.value) is ValueError
    assert excinfo.value.args == (message,)


@pytest.mark.parametrize(
    "schema",
    [
        {"components": {}},
        [{}],
        ({},),
        {"components": {}, "version": [1, 2], "strict": False},
        {"components": {"X": {"props": {"p": ["enum", False, None, ["a", "b"]]}}}},
        {"components": {"X": [{}, True, None, None]}},
        prop({"type": {"enum": None}, "values": None, "default": {"any": [1]}, "description": "d"}),
    ],
)
def test_accepted_schemas(schema):
    assert check("# no components\n", schema) == []


# ---- the type check --------------------------------------------------------------------------

VALUES_DOC = ('<X s="text" n={1} f={1.5} neg={-2} b={false} flag nul={null} '
              'o={{"k": 1}} a={{[1]}} v={$var.x} />\n')
ACTUAL = {"s": "string", "n": "number", "f": "number", "neg": "number", "b": "boolean",
          "flag": "boolean", "nul": "null", "o": "object", "a": "array", "v": None}


@pytest.mark.parametrize(
    "prop_type, expected, passing",
    [
        ("string", "string", {"s"}),
        ("number", "number", {"n", "f", "neg"}),
        ("boolean", "boolean", {"b", "flag"}),
        ("enum", "string (enum)", {"s"}),
        ("object", "object", {"o"}),
        ("array", "array", {"a"}),
        ("variable", "variable", set()),
        ("any", None, set(ACTUAL)),
    ],
)
def test_type_check_matrix(prop_type, expected, passing):
    schema = {"components": {"X": {"props": {name: {"type": prop_type} for name in ACTUAL}}}}
    # A variable reference passes every type: it reads back from the dict as a variable.
    failing = [name for name in ACTUAL if name not in passing and name != "v"]
    assert check(VALUES_DOC, schema) == [
        finding(f"prop `{name}` on <X> expects {expected}, got {ACTUAL[name]}", "X", 1,
                VALUES_DOC.index(f" {name}") + 2)
        for name in failing
    ]


@pytest.mark.parametrize(
    "values, doc, messages",
    [
        (["a", "b"], '<X k="c" />', ['prop `k` on <X> must be one of [a, b], got "c"']),
        (["a", "b"], '<X k="b" />', []),
        ([], '<X k="a" />', ['prop `k` on <X> must be one of [], got "a"']),
        (None, '<X k="anything" />', []),
        (["1"], "<X k={1} />", ["prop `k` on <X> expects string (enum), got number"]),
        ([], "<X k={$v} />", []),
        (["a"], '<X k="say \\"hi\\"" />', ['prop `k` on <X> must be one of [a], got "say "hi""']),
    ],
)
def test_enumerations(values, doc, messages):
    p = {"type": "enum"} if values is None else {"type": "enum", "values": values}
    schema = {"components": {"X": {"props": {"k": p}}}}
    assert [d["message"] for d in check(doc, schema)] == messages


def test_variable_attributes_of_a_parsed_document_pass_typed_props():
    doc = "<Chart width={$layout.width} kind={$opts.kind} />\n"
    schema = {"components": {"Chart": {"props": {
        "width": {"type": "number", "required": True},
        "kind": {"type": "enum", "values": ["bar"]},
    }}}}
    assert check(doc, schema) == []
    assert _zuv.validate(ast=_zuv.parse(doc), schema=schema) == []


# ---- props -----------------------------------------------------------------------------------


def test_required_unknown_and_global_props():
    doc = '<X a="1" a={2} g={3} h="x" z="?" />\n'
    schema = {
        "components": {"X": {"props": {
            "a": {"type": "string", "required": True},
            "r2": {"type": "any", "required": True},
            "r1": {"type": "any", "required": True},
            "h": {"type": "string"},
        }}},
        "global_props": [
            ["g", {"type": "string"}],
            ["g", {"type": "number"}],
            ["h", {"type": "number"}],
            ["gr", {"type": "any", "required": True}],
        ],
    }
    assert check(doc, schema) == [
        # Missing required props at the component's start (in ascending name order); a required
        # global prop is never missing.
        finding("missing required prop `r1`", "X", 1, 1),
        finding("missing required prop `r2`", "X", 1, 1),
        # Each attribute of a repeated name on its own.
        finding("prop `a` on <X> expects string, got number", "X", 1, 10),
        # The first global pair of a name applies; the component's own prop wins over both.
        finding("prop `g` on <X> expects string, got number", "X", 1, 16),
        finding("unknown prop `z` on <X>", "X", 1, 28, "warning"),
    ]


def test_diagnostic_dicts():
    (d,) = check("<X bad />\n", {"components": {"X": {"props": {}}}})
    assert list(d) == ["column", "component", "line", "message", "severity"]
    assert d == finding("unknown prop `bad` on <X>", "X", 1, 4, "warning")
    assert type(d["line"]) is int and type(d["column"]) is int


# ---- components ------------------------------------------------------------------------------

NESTED = """<Outer>

<Known />

</Outer>

<Known />
"""


@pytest.mark.parametrize(
    "strict, expected",
    [
        (False, [finding("missing required prop `id`", "Known", 7, 1)]),
        (True, [finding("unknown component <Outer>", "Outer", 1, 1),
                finding("missing required prop `id`", "Known", 7, 1)]),
    ],
)
def test_unknown_components_are_not_entered(strict, expected):
    schema = {"components": {"Known": {"props": {"id": {"type": "string", "required": True}}}},
              "strict": strict}
    assert check(NESTED, schema) == expected


def test_strict_schema_without_components():
    assert check("<Box>\n\n<Inner />\n\n</Box>\n", {"components": {}, "strict": True}) == [
        finding("unknown component <Box>", "Box", 1, 1)]
    assert check("<box />\n", {"components": {"box": {"props": {}}}, "strict": True}) == []
    assert check("<Box />\n", {"components": {"box": {"props": {}}}, "strict": True}) == [
        finding("unknown component <Box>", "Box", 1, 1)]


CHILDREN_DOC = """<Parent>

<A x />

<B />

Text <A /> inline.

</Parent>
"""


UNKNOWN_X = finding("unknown prop `x` on <A>", "A", 3, 4, "warning")


@pytest.mark.parametrize(
    "allowed, expected",
    [
        (None, [UNKNOWN_X]),
        (["A", "B"], [UNKNOWN_X]),
        (["A"], [UNKNOWN_X, finding("<B> is not allowed as a child here", "B", 5, 1)]),
        # Each refused child is still validated; one wrapped in a paragraph is not restricted.
        ([], [finding("<A> is not allowed as a child here", "A", 3, 1), UNKNOWN_X,
              finding("<B> is not allowed as a child here", "B", 5, 1)]),
    ],
)
def test_allowed_children(allowed, expected):
    parent = {"props": {}} if allowed is None else {"props": {}, "allowed_children": allowed}
    schema = {"components": {"Parent": parent, "A": {"props": {}}, "B": {"props": {}}}}
    assert check(CHILDREN_DOC, schema) == expected


def test_self_closing_components():
    schema = {"components": {
        "Icon": {"props": {}, "self_closing": True},
        "Inner": {"props": {"need": {"type": "any", "required": True}}},
    }}
    doc = "<Icon />\n\n<Icon>\n\n<Inner />\n\n</Icon>\n"
    assert check(doc, schema) == [
        finding("<Icon> must be self-closing (no children)", "Icon", 3, 1),
        finding("missing required prop `need`", "Inner", 5, 1),
    ]


def test_findings_in_walk_order():
    doc = """# Title

<Card title={1} extra>

- item with <Badge level="x" />

<Card />

</Card>

> <Badge level="low" />
"""
    schema = {"components": {
        "Card": {"props": {"title": {"type": "string", "required": True}},
                 "allowed_children": ["Card"]},
        "Badge": {"props": {"level": {"type": "enum", "values": ["low", "high"]}}},
    }}
    assert check(doc, schema) == [
        finding("prop `title` on <Card> expects string, got number", "Card", 3, 7),
        finding("unknown prop `extra` on <Card>", "Card", 3, 17, "warning"),
        finding('prop `level` on <Badge> must be one of [low, high], got "x"', "Badge", 5, 20),
        finding("missing required prop `title`", "Card", 7, 1),
    ]


# ---- arguments -------------------------------------------------------------------------------


@pytest.mark.parametrize(
    "ast, schema, message",
    [
        # Both objects are converted first, then the tree is read, then the schema.
        (5, "x", "invalid type: integer `5`, expected struct Root"),
        ({"type": "root", "children": [b"x"]}, "x",
         "invalid type: byte array, expected any valid JSON value"),
        (5, {"components": {b"k": 1}}, "dict keys must have type str"),
        (5, {"components": {"k": b"x"}}, "invalid type: byte array, expected any valid JSON value"),
        ({"frontmatter": 2**64}, {1: 1}, "JSON number out of range"),
        (None, None, "invalid type: null, expected struct Root"),
        ("tree", [], 'invalid type: string "tree", expected struct Root'),
        (_zuv.parse("x"), [], "invalid length 0, expected struct Schema with 3 elements"),
    ],
)
def test_conversion_order(ast, schema, message):
    with pytest.raises(ValueError) as excinfo:
        _zuv.validate(ast, schema)
    assert str(excinfo.value) == message


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: _zuv.validate(),
         "validate() missing 2 required positional arguments: 'ast' and 'schema'"),
        (lambda: _zuv.validate({}), "validate() missing 1 required positional argument: 'schema'"),
        (lambda: _zuv.validate({}, {}, {}),
         "validate() takes 2 positional arguments but 3 were given"),
        (lambda: _zuv.validate({}, ast={}), "validate() got multiple values for argument 'ast'"),
        (lambda: _zuv.validate({}, {}, strict=True),
         "validate() got an unexpected keyword argument 'strict'"),
    ],
)
def test_argument_errors(call, message):
    with pytest.raises(TypeError) as excinfo:
        call()
    assert str(excinfo.value) == message
