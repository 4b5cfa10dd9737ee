import collections.abc
import dataclasses
import json
import sys

import pytest

t = pytest.importorskip("_zuv_testing")  # only the build tree has it, not an installed _zuv
from conftest import skip_under_sanitizer
from sequences import Items

DEPTH_LIMIT = 1024


class Map(collections.abc.Mapping):
    def __init__(self, **entries):
        self.entries = entries

    def __len__(self):
        return len(self.entries)

    def __iter__(self):
        return iter(self.entries)

    def __getitem__(self, key):
        return self.entries[key]


@dataclasses.dataclass
class Point:
    y: int
    x: object


class Int(int):
    pass


class Str(str):
    pass


class ListSub(list):
    pass


class DictSub(dict):
    pass


class FloatSub(float):
    pass


class BadLen(collections.abc.Sequence):
    def __len__(self):
        raise RuntimeError("no length")

    def __getitem__(self, i):
        raise IndexError


class Bytes(bytes):
    pass


class Bytearray(bytearray):
    pass


def depth_of(value):
    """Levels of single-item lists (or one-key dicts) down to the leaf, without recursion."""
    depth = 0
    while isinstance(value, (list, dict)) and value:
        value = value[0] if isinstance(value, list) else next(iter(value.values()))
        depth += 1
    return depth + (1 if isinstance(value, (list, dict)) else 0), value


def nested(depth, leaf=0):
    value = leaf
    for _ in range(depth):
        value = [value]
    return value


@pytest.mark.parametrize(
    "value, expected",
    [
        (None, None),
        (True, True),
        (False, False),
        (0, 0),
        (2**64 - 1, 2**64 - 1),
        (-(2**63), -(2**63)),
        (Int(7), 7),
        (1.5, 1.5),
        (FloatSub(2.5), 2.5),
        (float("nan"), None),
        (float("inf"), None),
        (-float("inf"), None),
        ("é€𝄞", "é€𝄞"),
        (Str("sub"), "sub"),
        ((1, (2,)), [1, [2]]),
        (ListSub([1]), [1]),
        (Items(1, Items(2)), [1, [2]]),
        (set(), []),
        (frozenset({3}), [3]),
        ({"b": 1, "a": {"d": [], "c": ()}}, {"a": {"c": [], "d": []}, "b": 1}),
        (DictSub(z=1, y=2), {"y": 2, "z": 1}),
        (Map(k=1, j=Map()), {"j": {}, "k": 1}),
        ({Str("k"): 1}, {"k": 1}),
        (Point(1, Point(2, "p")), {"x": {"x": "p", "y": 2}, "y": 1}),
        (range(3), [0, 1, 2]),
    ],
)
def test_roundtrip_values(value, expected):
    result = t.roundtrip(value)
    assert result == expected
    assert json.dumps(result) == json.dumps(expected)  # key order and exact types
    if isinstance(expected, float):
        assert type(result) is float
    if expected is not None and not isinstance(expected, float):
        assert type(result) is type(expected)


def test_result_dicts_list_keys_in_byte_order():
    result = t.roundtrip({"b": 1, "B": 2, "é": 3, "a": 4, "ab": 5, "": 6})
    assert list(result) == ["", "B", "a", "ab", "b", "é"]


@pytest.mark.parametrize(
    "value, message",
    [
        (2**64, "JSON number out of range"),
        (-(2**63) - 1, "JSON number out of range"),
        (2**128 - 1, "JSON number out of range"),
        (-(2**127), "JSON number out of range"),
        (2**128, "OverflowError: int too big to convert"),
        (-(2**127) - 1, "OverflowError: int too big to convert"),
        (2**200, "OverflowError: int too big to convert"),
        ({1: "a"}, "dict keys must have type str"),
        ({None: "a"}, "dict keys must have type str"),
        ({"a": {2: 1}}, "dict keys must have type str"),
        (b"x", "invalid type: byte array, expected any valid JSON value"),
        (Bytes(b"x"), "invalid type: byte array, expected any valid JSON value"),
        (bytearray(b"x"), "unexpected type: 'bytearray' object is not an instance of 'bytes'"),
        (object(), "unsupported type object"),
        ([1, {"a": object()}], "unsupported type object"),
        (Point, "unexpected type: 'mappingproxy' object is not an instance of 'dict'"),
        (lambda: 0, "unsupported type function"),
        (BadLen(), "RuntimeError: no length"),
        ("a\ud800", "UnicodeEncodeError: 'utf-8' codec can't encode character '\\ud800' in "
                    "position 1: surrogates not allowed"),
        ({"k\udc80": 1}, "UnicodeEncodeError: 'utf-8' codec can't encode character '\\udc80' in "
                         "position 1: surrogates not allowed"),
    ],
)
def test_conversion_errors(value, message):
    with pytest.raises(ValueError) as excinfo:
        t.roundtrip(value)
    assert type(excinfo.value) is ValueError
    assert str(excinfo.value) == message
    assert excinfo.value.args == (message,)


def test_unsupported_type_names_the_qualified_name():
    class Inner:
        pass

    with pytest.raises(ValueError) as excinfo:
        t.roundtrip([Inner()])
    assert str(excinfo.value) == "unsupported type " + Inner.__qualname__


def test_depth_limit_and_cycles():
    assert depth_of(t.roundtrip(nested(DEPTH_LIMIT))) == (DEPTH_LIMIT, 0)
    cyclic_list = [1]
    cyclic_list.append(cyclic_list)
    cyclic_dict = {"a": [{}]}
    cyclic_dict["a"][0]["back"] = cyclic_dict
    cases = [
        (nested(DEPTH_LIMIT + 1), "nesting too deep"),
        (nested(100_000), "nesting too deep"),
        ({"a": nested(DEPTH_LIMIT)}, "nesting too deep"),
        (cyclic_list, "circular reference"),
        (cyclic_dict, "circular reference"),
        ((0, [cyclic_list]), "circular reference"),
    ]
    for value, message in cases:
        with pytest.raises(ValueError) as excinfo:
            t.roundtrip(value)
        assert str(excinfo.value) == message


def test_value_to_python_depth_limit():
    deep = "[" * DEPTH_LIMIT + "]" * DEPTH_LIMIT
    assert depth_of(t.build(deep)) == (DEPTH_LIMIT, [])
    for text in ("[" * (DEPTH_LIMIT + 1) + "]" * (DEPTH_LIMIT + 1),
                 '{"a":' * (DEPTH_LIMIT + 1) + "1" + "}" * (DEPTH_LIMIT + 1)):
        with pytest.raises(ValueError) as excinfo:
            t.build(text)
        assert str(excinfo.value) == "nesting too deep"


def test_build_matches_json_loads():
    text = json.dumps({
        "type": "root", "children": [{"type": "text", "value": "héllo\u0000", "position": {}}],
        "n": [0, 1, 2**64 - 1, -(2**63), 0.1, -0.0, True, False, None, "", "ascii"],
        "dynamic key é": {"z": 1, "a": 2},
    }, sort_keys=True)
    assert t.build(text) == json.loads(text)
    assert json.dumps(t.build(text)) == json.dumps(json.loads(text))


def test_garbage_collector_state_is_restored():
    import gc

    was = gc.isenabled()
    try:
        for enabled in (True, False):
            (gc.enable if enabled else gc.disable)()
            t.build('{"a": [1, 2]}')
            assert gc.isenabled() is enabled
            with pytest.raises(ValueError):
                t.build("[" * 2000 + "]" * 2000)
            assert gc.isenabled() is enabled
    finally:
        (gc.enable if was else gc.disable)()


def test_input_objects_are_not_changed_or_leaked(no_leak):
    leaf = object()
    value = {"a": [1, (2, "x")], "b": Items(Map(k=Point(1, 2)))}
    before = sys.getrefcount(leaf)
    for _ in range(100):
        with pytest.raises(ValueError):
            t.roundtrip([leaf, {"k": leaf}])
    assert sys.getrefcount(leaf) == before
    no_leak(lambda: t.roundtrip(value))
    no_leak(lambda: t.build('{"children": [{"type": "text", "value": "é"}], "k": [1, 2.5]}'))

    cyclic = [1]
    cyclic.append(cyclic)

    def failing():
        for bad in (cyclic, [1, b"x"], {"a": {1: 2}}, 2**200, "\ud800", nested(DEPTH_LIMIT + 1)):
            try:
                t.roundtrip(bad)
            except ValueError:
                pass

    no_leak(failing, calls=300)


def resident_bytes():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * 4096


@skip_under_sanitizer
def test_native_memory_is_released():
    # Each round makes and drops about 1 MB of value trees outside the Python allocator, so a
    # leak in the C++ side of either conversion would grow the process by hundreds of MB.
    text = json.dumps({"children": [{"type": "text", "value": "x" * 40, "n": [1, 2.5, None]}] * 2000})
    bad = [[{"k": "v" * 100}] * 50, object()]
    for _ in range(20):
        t.build(text)
    before = resident_bytes()
    for _ in range(300):
        t.roundtrip(t.build(text))
        with pytest.raises(ValueError):
            t.roundtrip(bad)
    assert resident_bytes() - before < 32 * 1024 * 1024
